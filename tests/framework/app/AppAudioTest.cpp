#include "tests/framework/app/AppFixture.h"

#include "framework/sound/SoundManager.h"
#include "framework/sound/VoiceHelper.h"
#include "tests/support/ScopedCwd.h"

#include <cmath>

namespace apptest {
namespace {

class AppAudio : public AppTest {};

std::string Le(uint32_t value, int bytes)
{
    std::string s;
    for (int i = 0; i < bytes; ++i)
        s += char(value >> (8 * i));
    return s;
}

// One second of a 16-bit mono square wave at 22050 Hz.
std::string SquareWav()
{
    std::string data;
    for (int i = 0; i < 22050; ++i)
        data += Le(uint16_t((i / 50) % 2 ? -8000 : 8000), 2);
    return "RIFF" + Le(uint32_t(36 + data.size()), 4) + "WAVEfmt " + Le(16, 4) + Le(1, 2) + Le(1, 2) + Le(22050, 4) +
        Le(44100, 4) + Le(2, 2) + Le(16, 2) + "data" + Le(uint32_t(data.size()), 4) + data;
}

// The level of the next 10 ms of the mix.
double Level(platform::HeadlessBackend& backend)
{
    std::vector<int16_t> out(441 * 2);
    backend.audio.Render(out.data(), 441);
    double sum = 0;
    for (int16_t s : out)
        sum += double(s) * s;
    return std::sqrt(sum / out.size());
}

// The application answers the voice lines: a new line per update at most,
// gated by its "voice_current" setting while no profile is selected.
TEST_F(AppAudio, VoiceLinesStartAtMostOncePerApplicationUpdate)
{
    MakeApp(false);
    app->musicDisabled = false; // the fixture's default is sound off
    app->Init();
    app->Unmute(true); // a window without the focus mutes itself
    ASSERT_FALSE(app->IsMuted());
    ASSERT_EQ(Kivo::GetAudioHost(), app.get());
    testsupport::TempDir dir;
    dir.Write("line.wav", SquareWav());
    {
        testsupport::ScopedCwd cwd(dir.Path());
        ASSERT_TRUE(app->soundManager->LoadSound(0, "line"));
    }
    VoiceHelper* voice = VoiceHelper::Instance();

    app->UpdateFrames();
    voice->PlayVoice(0);
    EXPECT_EQ(Level(*backend), 0); // "voice_current" is not set
    app->SetBoolean("voice_current", true);
    app->UpdateFrames();
    voice->PlayVoice(0);
    EXPECT_GT(Level(*backend), 0);
    voice->StopVoice();
    voice->PlayVoice(0); // the same update
    EXPECT_EQ(Level(*backend), 0);
    app->UpdateFrames();
    voice->PlayVoice(0);
    EXPECT_GT(Level(*backend), 0);

    app->musicDisabled = true;
    app->UpdateFrames();
    voice->PlayVoice(0); // sound off: the playing line goes on
    EXPECT_GT(Level(*backend), 0);
    delete voice;
    EXPECT_EQ(Level(*backend), 0);

    // Without the game's message window the text goes to a message box.
    app->ShowMessageWindow("Sounds failed");
    auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Sounds failed");

    // A line still held when the application (and its sound manager) goes
    // is not touched again.
    app->musicDisabled = false;
    voice = VoiceHelper::Instance();
    app->UpdateFrames();
    voice->PlayVoice(0);
    ASSERT_TRUE(voice->IsVoicePlaying());
    app.reset();
    EXPECT_FALSE(voice->IsVoicePlaying());
    delete voice;
}

} // namespace
} // namespace apptest
