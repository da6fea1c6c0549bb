#include "AudioHostDouble.h"
#include "SoundTestSupport.h"

#include "framework/core/Random.h"
#include "framework/resources/ResourceHelpers.h"
#include "framework/resources/ResourceHost.h"
#include "framework/resources/ResourceManager.h"
#include "framework/sound/DSoundManager.h"
#include "framework/sound/VoiceHelper.h"
#include "tests/support/ResourceTable.h"
#include "tests/support/ScopedCwd.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <memory>

namespace {

using namespace soundtest;

// The resource manager's view of the application: sounds go to the real
// sound manager.
class SoundsOnlyHost final : public testsupport::ResourceTable {
public:
    explicit SoundsOnlyHost(Kivo::SoundManager& sounds) : mSounds(sounds) {}
    // The resources go while the sounds are still released through here.
    ~SoundsOnlyHost() override { mManager.reset(); }

    // With `sameId`, every sound goes to id 0, as every sound does when
    // there is no sound device.
    int GetFreeSoundId() override { return sameId ? 0 : mSounds.GetFreeSoundId(); }
    bool LoadSound(int id, const std::string& path) override { return mSounds.LoadSound(id, path); }
    void SetBaseVolume(int id, double volume) override { mSounds.SetBaseVolume(id, volume); }
    void SetBasePan(int id, int pan) override { mSounds.SetBasePan(id, pan); }
    void ReleaseSound(int id) override { mSounds.ReleaseSound(id); }

    bool sameId = false;

private:
    Kivo::SoundManager& mSounds;
};

// A square wave of `level` lasting half a second at 22050 Hz.
std::string Square(int16_t level)
{
    std::string samples;
    for (int i = 0; i < 11025; ++i)
        samples += Le(uint16_t((i / 50) % 2 ? -level : level), 2);
    return Riff(Fmt(1, 1, 22050, 16) + Chunk("data", samples));
}

const char* const kManifest = "<ResourceManifest><Resources id=\"Sounds\">"
                              "<Sound id=\"VOICE_LINE1\" path=\"voice/line1\"/>"
                              "<Sound id=\"VOICE_LINE2\" path=\"voice/line2\"/>"
                              "<Sound id=\"VOICE_LINE3\" path=\"voice/line3\"/>"
                              "</Resources></ResourceManifest>";

// Three voice lines of levels 1000, 2000 and 4000, loaded as the group
// "Sounds"; the line that plays is told by the level of the mix.
class VoiceHelperTest : public SoundTest {
protected:
    void SetUp() override
    {
        SoundTest::SetUp();
        for (int n = 1; n <= 3; ++n)
            dir.Write("voice/line" + std::to_string(n) + ".wav", Square(int16_t(500 << n)));
        dir.Write("properties/sounds.xml", kManifest);
        sounds = std::make_unique<Kivo::DSoundManager>(reinterpret_cast<HWND>(1), false);
        resources = std::make_unique<SoundsOnlyHost>(*sounds);
        audio.sounds = sounds.get();
        audio.resources = resources->mManager.get();
        audio.booleans["voice_current"] = true;
        cwd = std::make_unique<testsupport::ScopedCwd>(dir.Path());
        ASSERT_TRUE(LoadSoundsGroup());

        // The level of line 1 alone, straight from the sound manager.
        Kivo::SoundInstance* one = sounds->GetSoundInstance(unsigned(GetSoundIdByName("VOICE_LINE1")));
        ASSERT_NE(one, nullptr);
        one->Play(false, true);
        unit = Rms(Play(441, 0));
        ASSERT_GT(unit, 0);
        Play(22050, 0);
        Kivo::SeedRandomInt(77);
        voice = VoiceHelper::Instance();
    }
    void TearDown() override
    {
        delete voice;
        cwd.reset();
        resources.reset();
        sounds.reset();
        SoundTest::TearDown();
    }
    // The line heard in the next 10 ms: 1 to 3, or 0 for silence.
    int Heard()
    {
        double rms = Rms(Play(441, 0));
        return rms == 0 ? 0 : int(std::lround(std::log2(rms / unit))) + 1;
    }
    void NextUpdate() { ++audio.updateCount; }

    AudioHostDouble audio;
    std::unique_ptr<Kivo::DSoundManager> sounds;
    std::unique_ptr<SoundsOnlyHost> resources;
    std::unique_ptr<testsupport::ScopedCwd> cwd;
    double unit = 0;
    VoiceHelper* voice = nullptr;
};

TEST_F(VoiceHelperTest, TheSoundAndVoiceSettingsDecideWhetherALinePlays)
{
    struct Case {
        bool soundOff, hasProfile;
        int profileVoice;
        bool voiceCurrent, plays;
    } cases[] = {
        { false, false, 0, true, true },  { false, false, 0, false, false }, { false, true, 1, false, true },
        { false, true, 0, true, false },  { true, false, 0, true, false },   { true, true, 1, true, false },
    };
    for (const Case& c : cases) {
        audio.musicDisabled = c.soundOff;
        audio.hasProfile = c.hasProfile;
        audio.profile["voice"] = c.profileVoice;
        audio.booleans["voice_current"] = c.voiceCurrent;
        NextUpdate();
        voice->StopVoice();
        voice->PlayVoiceByName("VOICE_LINE2");
        EXPECT_EQ(Heard(), c.plays ? 2 : 0) << c.soundOff << c.hasProfile << c.profileVoice << c.voiceCurrent;
        EXPECT_EQ(voice->IsVoicePlaying(), c.plays);
    }
}

TEST_F(VoiceHelperTest, OneLineAtATimeAndOneNewLinePerUpdate)
{
    NextUpdate();
    voice->PlayVoiceByName("VOICE_LINE1");
    voice->PlayVoiceByName("VOICE_LINE3"); // the same update: dropped
    EXPECT_EQ(Heard(), 1);
    NextUpdate();
    voice->PlayVoiceByName("VOICE_LINE3"); // replaces line 1
    EXPECT_EQ(Heard(), 3);
    EXPECT_TRUE(voice->IsVoicePlaying());
    Play(22050, 0); // past its end
    EXPECT_FALSE(voice->IsVoicePlaying());

    NextUpdate();
    voice->PlayVoiceByName("VOICE_LINE2");
    voice->StopVoice();
    EXPECT_EQ(Heard(), 0);
    EXPECT_FALSE(voice->IsVoicePlaying());

    // An unknown line plays nothing and still ends the line before it.
    NextUpdate();
    voice->PlayVoiceByName("VOICE_LINE1");
    NextUpdate();
    voice->PlayVoiceByName("VOICE_NONE");
    voice->PlayVoice(-7);
    EXPECT_EQ(Heard(), 0);
    EXPECT_EQ(voice->GetLastVoiceId(), GetSoundIdByName("VOICE_LINE1"));
}

TEST_F(VoiceHelperTest, RandomLinesNeverRepeatTheLastOne)
{
    int previous = 0;
    int seen[4] = {};
    for (int i = 0; i < 60; ++i) {
        NextUpdate();
        voice->PlayRandomVoice("VOICE_LINE", 1, 3, 1.0f);
        int line = Heard();
        ASSERT_NE(line, 0);
        EXPECT_NE(line, previous) << i;
        ++seen[line];
        previous = line;
    }
    EXPECT_GT(seen[1] * seen[2] * seen[3], 0);

    // A range of one line plays it again; a range with no loaded line
    // plays nothing and ends at once.
    for (int i = 0; i < 2; ++i) {
        NextUpdate();
        voice->PlayRandomVoice("VOICE_LINE", 2, 2, 1.0f);
        EXPECT_EQ(Heard(), 2);
    }
    NextUpdate();
    voice->PlayRandomVoice("VOICE_LINE", 4, 9, 1.0f);
    EXPECT_EQ(Heard(), 0);
    NextUpdate();
    voice->PlayRandomVoice("VOICE_LINE", INT_MIN, INT_MAX, 1.0f); // the widest range does not overflow
    EXPECT_EQ(Heard(), 0);

    // A chance of 0 keeps silent (the seeded draws are never exactly 0).
    for (int i = 0; i < 20; ++i) {
        NextUpdate();
        voice->PlayRandomVoice("VOICE_LINE", 1, 3, 0.0f);
        EXPECT_EQ(Heard(), 0);
    }
}

// Lines that all share the last line's id are drawn a bounded number of
// times: the line plays again rather than the draw never ending.
TEST_F(VoiceHelperTest, RandomLinesThatShareOneIdStillPlay)
{
    resources->sameId = true;
    ASSERT_TRUE(LoadSoundsGroup());
    ASSERT_EQ(GetSoundIdByName("VOICE_LINE1"), GetSoundIdByName("VOICE_LINE3"));
    for (int i = 0; i < 2; ++i) {
        NextUpdate();
        voice->PlayRandomVoice("VOICE_LINE", 1, 3, 1.0f);
        EXPECT_NE(Heard(), 0) << i;
    }
}

TEST_F(VoiceHelperTest, ReloadingTheSoundsGroupReportsABrokenManifest)
{
    int before = GetSoundIdByName("VOICE_LINE1");
    EXPECT_TRUE(LoadSoundsGroup());
    EXPECT_GE(GetSoundIdByName("VOICE_LINE1"), 0);
    EXPECT_NE(before, -1);
    EXPECT_TRUE(audio.messages.empty());

    // A manifest that does not parse, a sound that does not load, no file.
    const char* const manifests[] = {
        "<ResourceManifest><Resources id=\"Sounds\"><Sound id=\"VOICE_LINE1\"/>",
        "<ResourceManifest><Resources id=\"Sounds\"><Sound id=\"VOICE_X\" path=\"voice/none\"/>"
        "</Resources></ResourceManifest>",
        nullptr,
    };
    for (const char* manifest : manifests) {
        auto fresh = std::make_unique<Kivo::ResourceManager>(resources.get());
        audio.resources = fresh.get();
        if (manifest)
            dir.Write("properties/sounds.xml", manifest);
        else
            std::remove((dir / "properties/sounds.xml").c_str());
        EXPECT_FALSE(LoadSoundsGroup()) << (manifest ? manifest : "no file");
        ASSERT_EQ(audio.messages.size(), 1u);
        EXPECT_EQ(audio.messages[0], fresh->GetErrorText());
        EXPECT_FALSE(audio.messages[0].empty());
        audio.messages.clear();
    }
    audio.resources = resources->mManager.get();

    // After a reload that failed, the mended manifest reloads.
    dir.Write("properties/sounds.xml", manifests[0]);
    EXPECT_FALSE(LoadSoundsGroup());
    dir.Write("properties/sounds.xml", kManifest);
    EXPECT_TRUE(LoadSoundsGroup()) << resources->mManager->GetErrorText();
    EXPECT_EQ(audio.messages.size(), 1u);
    NextUpdate();
    voice->PlayVoiceByName("VOICE_LINE3");
    EXPECT_EQ(Heard(), 3);
}

} // namespace
