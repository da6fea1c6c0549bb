// Every sound, voice line and music track of the generated data set decodes
// through the program's own sound loader, read from the built archives.
#include "SoundTestSupport.h"

#include "framework/core/PakInterface.h"
#include "framework/sound/DSoundManager.h"
#include "framework/sound/SoundFiles.h"

#include <map>
#include <regex>

namespace {

using soundtest::SoundTest;

HWND const kWindow = reinterpret_cast<HWND>(1);

class DataSetSoundTest : public SoundTest {
protected:
    void SetUp() override
    {
        SoundTest::SetUp();
        previous = SetActivePakInterface(&paks);
        for (const char* pak : {"main.pak", "other.pak", "voice.pak"})
            ASSERT_TRUE(paks.AddPakFile(std::string(KIVO_DATA_DIR) + "/" + pak)) << pak;
        manager = std::make_unique<Kivo::DSoundManager>(kWindow, false);
    }
    void TearDown() override
    {
        manager.reset();
        SetActivePakInterface(previous);
        SoundTest::TearDown();
    }
    std::string Entry(const std::string& name)
    {
        std::vector<uint8_t> bytes;
        EXPECT_TRUE(Kivo::ReadPakFile(name, bytes)) << name;
        return std::string(bytes.begin(), bytes.end());
    }
    // Loads `path` (no extension) into the next id; its length in
    // milliseconds, 0 when it does not load.
    double Load(const std::string& path)
    {
        unsigned id = next++;
        if (!manager->LoadSound(id, path))
            return 0;
        WAVEFORMATEX format {};
        manager->mSourceSounds[id]->GetFormat(&format, sizeof format, nullptr);
        if (format.nAvgBytesPerSec == 0)
            return 0;
        return 1000.0 * manager->mSourceDataSizes[id] / format.nAvgBytesPerSec;
    }

    PakInterface paks;
    PakInterfaceBase* previous = nullptr;
    std::unique_ptr<Kivo::DSoundManager> manager;
    unsigned next = 0;
};

TEST_F(DataSetSoundTest, EverySoundVoiceAndTrackDecodesAtItsLength)
{
    // The sounds the game plays at a fixed pace must end before the next.
    const std::map<std::string, double> longest = {
        {"SOUND_COUNTER_TICK", 70}, {"SOUND_TIMER_TICK", 200}, {"SOUND_BRICK_LANDED", 100},
    };
    int sounds = 0;
    for (const char* manifest : {"properties/sounds.xml", "properties/voice.xml"}) {
        std::string text = Entry(manifest);
        std::smatch m;
        ASSERT_TRUE(std::regex_search(text, m, std::regex("<SetDefaults path=\"([^\"]*)\""))) << manifest;
        const std::string folder = m[1].str() + "/";
        std::regex entry("<Sound path=\"([^\"]*)\" id=\"([^\"]*)\"");
        for (auto it = std::sregex_iterator(text.begin(), text.end(), entry); it != std::sregex_iterator(); ++it, ++sounds) {
            const std::string id = (*it)[2].str();
            double ms = Load(folder + (*it)[1].str());
            EXPECT_GE(ms, 20) << id;
            EXPECT_LE(ms, longest.count(id) ? longest.at(id) : 3000) << id;
            if (id.rfind("VOICE_", 0) == 0) {
                EXPECT_GE(ms, 250) << id << " is too short for a spoken line";
            }
        }
    }
    EXPECT_EQ(sounds, 83 + 36);

    std::string music = Entry("properties/music.xml");
    std::regex track("file=\"([^\"]*)\\.ogg\"");
    int tracks = 0;
    for (auto it = std::sregex_iterator(music.begin(), music.end(), track); it != std::sregex_iterator(); ++it, ++tracks) {
        EXPECT_GE(Load((*it)[1].str()), 30000) << (*it)[1].str();
    }
    EXPECT_EQ(tracks, 5);
}

} // namespace
