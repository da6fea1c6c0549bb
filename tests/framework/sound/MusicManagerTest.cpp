#include "AudioHostDouble.h"
#include "SoundTestSupport.h"

#include "framework/core/PakInterface.h"
#include "framework/core/Strings.h"
#include "framework/sound/BassMusicInterface.h"
#include "framework/sound/MusicManager.h"
#include "tests/support/ScopedCwd.h"

#include <climits>
#include <cstdio>
#include <utility>

namespace {

using namespace soundtest;
using Kivo::StrFormat;

// Every call the manager makes, as text.
class RecordingMusic final : public Kivo::MusicInterface {
public:
    bool LoadMusic(int song, const std::string& fileName) override
    {
        calls.push_back(StrFormat("LoadMusic %d %s", song, fileName.c_str()));
        return true;
    }
    void FadeIn(int song, int offset, double speed, bool noLoop) override
    {
        calls.push_back(StrFormat("FadeIn %d %d %.17g %d", song, offset, speed, noLoop));
    }
    void FadeOut(int song, bool stopSong, double speed) override
    {
        calls.push_back(StrFormat("FadeOut %d %d %.17g", song, stopSong, speed));
    }
    std::vector<std::string> Take() { return std::exchange(calls, {}); }
    std::vector<std::string> calls;
};

// The single-precision 0.01 every cross-fade uses.
const std::string kSpeed = "0.0099999997764825821";

class MusicManagerTest : public SoundTest {
protected:
    void SetUp() override
    {
        SoundTest::SetUp();
        audio.music = &music;
    }
    void TearDown() override
    {
        delete manager;
        SoundTest::TearDown();
    }
    // The manager made with `list` as "properties/music.xml" (no file when
    // null), in a folder of its own.
    MusicManager* MakeWith(const char* list)
    {
        if (list)
            dir.Write("properties/music.xml", list);
        testsupport::ScopedCwd cwd(dir.Path());
        return manager = MusicManager::Instance();
    }
    // Plays the five tracks in turn: the loads they make.
    std::vector<std::string> LoadsOfEveryTrack()
    {
        std::vector<std::string> loads;
        for (int level = 0; level <= 4; ++level) {
            manager->PlayLevelMusic(level);
            for (const std::string& call : music.Take())
                if (call.rfind("LoadMusic", 0) == 0)
                    loads.push_back(call);
        }
        return loads;
    }

    AudioHostDouble audio;
    RecordingMusic music;
    MusicManager* manager = nullptr;
};

// Each track of the data set's list is loaded as it first plays, once.
TEST_F(MusicManagerTest, LoadsTheDataSetsTracksAsTheyFirstPlay)
{
    PakInterface paks;
    PakInterfaceBase* previous = SetActivePakInterface(&paks);
    for (const char* pak : { "main.pak", "other.pak", "voice.pak" })
        ASSERT_TRUE(paks.AddPakFile(std::string(KIVO_DATA_DIR) + "/" + pak)) << pak;
    manager = MusicManager::Instance();
    SetActivePakInterface(previous);

    EXPECT_TRUE(music.Take().empty());
    EXPECT_TRUE(audio.boxes.empty());
    EXPECT_EQ(manager->GetCurrentTrack(), -1);
    EXPECT_EQ(MusicManager::Instance(), manager);
    manager->PlayMenuMusic();
    EXPECT_EQ(music.Take(), (std::vector<std::string> { "FadeOut -1 1 " + kSpeed, "LoadMusic 0 music/menu.ogg",
                                                         "FadeIn 0 0 " + kSpeed + " 0" }));
    EXPECT_EQ(LoadsOfEveryTrack(),
              (std::vector<std::string> { "LoadMusic 1 music/level1.ogg", "LoadMusic 2 music/level2.ogg",
                                          "LoadMusic 3 music/level3.ogg", "LoadMusic 4 music/level4.ogg" }));
    EXPECT_TRUE(LoadsOfEveryTrack().empty());
}

TEST_F(MusicManagerTest, ABrokenListShowsOneErrorAndLoadsWhatItCan)
{
    struct Case {
        const char* list; // null: no file
        std::vector<std::string> loads;
        std::string box; // empty: none
    } cases[] = {
        { nullptr, {}, "Couldn't open music.xml. Error returned:\n\"Failed to open file\"|Error|0" },
        { "", {}, "Couldn't open music.xml. Error returned:\n\"Error document empty.\"|Error|0" },
        { "<Music><level_track2 file=\"b.xm\"/><menu_track/><level_track4 file=\"d.ogg\"/></Music>",
          { "LoadMusic 2 b.xm", "LoadMusic 4 d.ogg" }, "" },
        { "<Songs><menu_track file=\"a.ogg\"/></Songs>", {}, "" },
    };
    for (const Case& c : cases) {
        MakeWith(c.list);
        EXPECT_TRUE(music.Take().empty());
        EXPECT_EQ(LoadsOfEveryTrack(), c.loads) << (c.list ? c.list : "no file");
        EXPECT_EQ(audio.boxes, c.box.empty() ? std::vector<std::string> {} : std::vector<std::string> { c.box })
            << (c.list ? c.list : "no file");
        audio.boxes.clear();
        delete std::exchange(manager, nullptr);
        std::remove((dir / "properties/music.xml").c_str());
    }
}

TEST_F(MusicManagerTest, TrackChangesCrossFadeOnce)
{
    MakeWith("<Music/>");
    manager->PlayMenuMusic();
    EXPECT_EQ(music.Take(), (std::vector<std::string> { "FadeOut -1 1 " + kSpeed, "FadeIn 0 0 " + kSpeed + " 0" }));
    manager->PlayMenuMusic();
    EXPECT_TRUE(music.Take().empty());

    // Level to track, each level asked after the one before it.
    const std::pair<int, int> levels[] = { { 1, 1 }, { 2, 2 }, { 3, 3 }, { 4, 4 }, { 5, 1 }, { 6, 2 }, { 7, 3 },
                                           { 8, 4 }, { 0, 0 }, { -1, -1 }, { INT_MIN, 0 }, { INT_MAX, 3 } };
    int previous = 0;
    for (auto [level, track] : levels) {
        manager->PlayLevelMusic(level);
        EXPECT_EQ(manager->GetCurrentTrack(), track) << level;
        EXPECT_EQ(music.Take(), (std::vector<std::string> { StrFormat("FadeOut %d 1 ", previous) + kSpeed,
                                                             StrFormat("FadeIn %d 0 ", track) + kSpeed + " 0" }))
            << level;
        previous = track;
    }
    manager->PlayLevelMusic(7); // the same track as INT_MAX
    EXPECT_TRUE(music.Take().empty());

    manager->FadeOutMusic(0.02f);
    manager->FadeInMusic(0.5f, true);
    manager->FadeInMusic(0.5f, false);
    EXPECT_EQ(music.Take(), (std::vector<std::string> { "FadeOut 3 0 0.019999999552965164", "FadeIn 3 -1 0.5 0",
                                                         "FadeIn 3 0 0.5 0" }));
    EXPECT_EQ(manager->GetCurrentTrack(), 3);
}

TEST_F(MusicManagerTest, WithoutAMusicInterfaceNothingIsCalled)
{
    audio.music = nullptr;
    MakeWith(nullptr);
    manager->PlayLevelMusic(2);
    manager->FadeOutMusic(0.1f);
    manager->FadeInMusic(0.1f, true);
    EXPECT_EQ(manager->GetCurrentTrack(), 2);
    EXPECT_EQ(audio.boxes.size(), 1u);
}

// The data set's tracks through the BASS interface, heard in the mix.
TEST_F(MusicManagerTest, TheMenuTrackFadesInAndALevelTrackReplacesIt)
{
    PakInterface paks;
    PakInterfaceBase* previous = SetActivePakInterface(&paks);
    for (const char* pak : { "main.pak", "other.pak", "voice.pak" })
        ASSERT_TRUE(paks.AddPakFile(std::string(KIVO_DATA_DIR) + "/" + pak)) << pak;
    Kivo::BassMusicInterface bass(reinterpret_cast<HWND>(1));
    audio.music = &bass;
    manager = MusicManager::Instance();

    manager->PlayMenuMusic();
    EXPECT_EQ(Rms(Play(441, 0)), 0); // the fade starts from silence
    for (int i = 0; i < 50; ++i)
        bass.Update();
    double half = Rms(Play(4410, 0));
    for (int i = 0; i < 60; ++i)
        bass.Update();
    double full = Rms(Play(4410, 0));
    EXPECT_GT(half, 0);
    EXPECT_GT(full, half);
    EXPECT_TRUE(bass.IsPlaying(0));

    manager->PlayLevelMusic(5);
    for (int i = 0; i < 101; ++i)
        bass.Update();
    EXPECT_FALSE(bass.IsPlaying(0)); // stopped when its fade reached 0
    EXPECT_TRUE(bass.IsPlaying(1));
    EXPECT_GT(Rms(Play(4410, 0)), 0);

    manager->FadeOutMusic(0.5f);
    bass.Update();
    bass.Update();
    EXPECT_EQ(Rms(Play(441, 0)), 0);
    EXPECT_TRUE(bass.IsPlaying(1)); // silent but running
    manager->FadeInMusic(0.5f, true);
    bass.Update();
    EXPECT_GT(Rms(Play(4410, 0)), 0);

    delete std::exchange(manager, nullptr);
    audio.music = nullptr;
    SetActivePakInterface(previous);
}

} // namespace
