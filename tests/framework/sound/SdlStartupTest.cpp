#include "framework/sound/DSoundManager.h"
#include "platform/Backend.h"
#include "platform/dsound/DSound.h"
#include "platform/sdl/SdlBackend.h"
#include "platform/win32/Time.h"
#include "tests/support/TempDir.h"

#include "SoundTestSupport.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

// Under SDL_AUDIODRIVER=dummy the output thread runs and mixes while the
// sound is played.
TEST(SdlSound, TheManagerStartsAndPlaysWithTheDefaultHost)
{
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    platform::RegisterSdlBackend();
    ASSERT_TRUE(platform::UseBackend("sdl"));
    platform::RegisterDirectSound();
    testsupport::TempDir dir;
    std::string beep = dir.Write("beep.wav", soundtest::Riff(soundtest::Fmt(1, 2, 44100, 16)
        + soundtest::Chunk("data", soundtest::Tone16(44100, 2, 440, 4410))));
    testing::internal::CaptureStderr();
    {
        Kivo::DSoundManager manager(reinterpret_cast<HWND>(1), false);
        ASSERT_TRUE(manager.Initialized());
        int id = manager.FindOrLoadSound(beep.substr(0, beep.size() - 4));
        ASSERT_EQ(id, 255);
        Kivo::SoundInstance* instance = manager.GetSoundInstance(id);
        ASSERT_NE(instance, nullptr);
        EXPECT_TRUE(instance->Play(true, false));
        EXPECT_TRUE(instance->IsPlaying());
        Sleep(50);
        instance->SetVolume(0.5);
        instance->Stop();
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    platform::UseBackend("headless");
}

} // namespace
