#include "SoundTestSupport.h"

#include "framework/sound/DSoundManager.h"
#include "platform/dsound/DSound.h"
#include "platform/win32/Modules.h"

#include <cmath>
#include <functional>
#include <memory>

namespace {

using namespace soundtest;
using Kivo::DSoundInstance;
using Kivo::DSoundManager;

HWND const kWindow = reinterpret_cast<HWND>(1);

class SoundManagerTest : public SoundTest {
protected:
    void SetUp() override
    {
        SoundTest::SetUp();
        manager = std::make_unique<DSoundManager>(kWindow, false);
        ASSERT_TRUE(manager->Initialized());
        // 0.1 s of a 1 kHz tone at 44100 Hz.
        beep = dir.Write("beep.wav", Riff(Fmt(1, 1, 44100, 16) + Chunk("data", Tone16(44100, 1, 1000, 4410))));
        beep.resize(beep.size() - 4);
    }
    void TearDown() override
    {
        manager.reset();
        SoundTest::TearDown();
    }
    DSoundInstance* Instance(int id) { return static_cast<DSoundInstance*>(manager->GetSoundInstance(id)); }

    std::unique_ptr<DSoundManager> manager;
    std::string beep; // without extension
};

TEST(SoundInstanceLaws, VolumeTableAndClamps)
{
    const std::pair<double, LONG> table[] = {
        { 1.0, 0 }, { 0.5, -1384 }, { 0.1, -3846 }, { 0.01, -5133 }, { 0.0, -10000 }, { -0.5, -10000 }, { 2.0, 0 },
    };
    for (auto [volume, expected] : table)
        EXPECT_EQ(DSoundInstance::VolumeToAttenuation(volume), expected) << volume;
}

TEST_F(SoundManagerTest, PitchVolumeAndPanReachTheBuffer)
{
    int id = manager->FindOrLoadSound(beep);
    ASSERT_EQ(id, 255);
    DSoundInstance* instance = Instance(id);
    ASSERT_NE(instance, nullptr);
    DWORD hz = 0;
    for (auto [semitones, expected] : { std::pair { 12.0, 88200u }, { -12.0, 22049u }, { 100.0, 100000u }, { -100.0, 136u }, { -120.0, 100u }, { 0.0, 44100u } }) {
        instance->AdjustPitch(semitones);
        ASSERT_EQ(instance->mBuffer->GetFrequency(&hz), DS_OK);
        EXPECT_EQ(hz, expected) << semitones;
    }
    LONG v = 1;
    manager->SetVolume(0.5);
    instance->mBuffer->GetVolume(&v);
    EXPECT_EQ(v, -1384);
    instance->SetVolume(0.2); // 0.1 overall
    instance->mBuffer->GetVolume(&v);
    EXPECT_EQ(v, -3846);

    LONG pan = 0;
    instance->SetBasePan(8000);
    instance->SetPan(5000);
    instance->mBuffer->GetPan(&pan);
    EXPECT_EQ(pan, 10000);
    instance->SetPan(-30000);
    instance->mBuffer->GetPan(&pan);
    EXPECT_EQ(pan, -10000);
}

TEST_F(SoundManagerTest, APlayedInstanceIsHeardAtItsLevelAndPan)
{
    manager->SetBaseVolume(255, 0.1); // before the load: applies to new instances
    manager->SetBasePan(255, -10000);
    int id = manager->FindOrLoadSound(beep);
    DSoundInstance* instance = Instance(id);
    ASSERT_TRUE(instance->Play(false, false));
    EXPECT_TRUE(instance->IsPlaying());
    platform::FailNextDirectSoundCall("GetStatus", DSERR_INVALIDCALL);
    EXPECT_FALSE(instance->IsPlaying());
    auto left = Play(2205, 0);
    auto right = Play(0, 1);
    // 0.1 gives -38.46 dB.
    EXPECT_NEAR(Rms(left) / (16000 / std::sqrt(2.0)), std::pow(10.0, -38.46 / 20), 0.001);
    instance->SetPan(10000); // base -10000 + 10000 = centre
    instance->SetBaseVolume(1.0);
    auto both = Play(100, 1);
    EXPECT_GT(Rms(both), 5000);
}

TEST_F(SoundManagerTest, IdsNamesAndCounts)
{
    EXPECT_EQ(manager->GetFreeSoundId(), 0);
    EXPECT_EQ(manager->FindOrLoadSound(beep), 255);
    EXPECT_EQ(manager->FindOrLoadSound(beep), 255);
    std::string other = dir.Write("other.au", std::string(".snd") + std::string("\0\0\0\x18\0\0\0\x04\0\0\0\x02\0\0\x1F\x40\0\0\0\x01", 20) + "abcd");
    other.resize(other.size() - 3);
    EXPECT_EQ(manager->FindOrLoadSound(other), 254);
    EXPECT_EQ(manager->GetNumSounds(), 2);
    EXPECT_EQ(manager->FindOrLoadSound(dir / "missing"), -1);
    EXPECT_EQ(manager->mSourceFileNames[253], dir / "missing"); // the name stays after a failed load
    EXPECT_EQ(manager->FindOrLoadSound(dir / "missing"), 253);
    EXPECT_EQ(manager->GetNumSounds(), 2);

    EXPECT_FALSE(manager->LoadSound(256, beep));
    EXPECT_FALSE(manager->SetBaseVolume(256, 1.0));
    EXPECT_FALSE(manager->SetBasePan(256, 0));
    EXPECT_EQ(manager->GetSoundInstance(256), nullptr);
    manager->ReleaseSound(1000); // ignored
    EXPECT_EQ(manager->GetSoundInstance(3), nullptr); // nothing loaded there
    manager->ReleaseSound(255);
    EXPECT_EQ(manager->GetNumSounds(), 1);
    EXPECT_EQ(manager->mSourceFileNames[255], "");
}

TEST_F(SoundManagerTest, ChannelsRunOutAndAreReclaimedAfterAutoRelease)
{
    ASSERT_TRUE(manager->LoadSound(0, beep));
    Backend().clock.AdvanceMillis(5000);
    std::vector<DSoundInstance*> playing;
    for (int i = 0; i < 31; ++i) {
        playing.push_back(Instance(0));
        ASSERT_NE(playing.back(), nullptr) << i;
        playing.back()->Play(true, false);
    }
    DSoundInstance* shortOne = Instance(0);
    ASSERT_NE(shortOne, nullptr);
    shortOne->Play(false, true);
    EXPECT_EQ(manager->GetSoundInstance(0), nullptr); // the 33rd
    Play(4410 + 10, 0);                              // the one-shot ends; the loops go on
    EXPECT_FALSE(shortOne->IsPlaying());
    EXPECT_NE(manager->GetSoundInstance(0), nullptr);
    EXPECT_EQ(manager->GetSoundInstance(0), nullptr);

    // StopAllSounds keeps auto-release, so the stopped instances come back
    // at the next sweep.
    for (int i = 0; i < 5; ++i)
        playing[i]->Play(true, true);
    manager->StopAllSounds();
    EXPECT_FALSE(playing[0]->IsPlaying());
    EXPECT_TRUE(playing[0]->mAutoRelease);
    Backend().clock.AdvanceMillis(1001);
    for (int i = 0; i < 5; ++i)
        EXPECT_NE(manager->GetSoundInstance(0), nullptr) << i;
    EXPECT_EQ(manager->GetSoundInstance(0), nullptr);
}

TEST_F(SoundManagerTest, AFailedDuplicateFreesTheChannelAndTheRunGoesOn)
{
    ASSERT_TRUE(manager->LoadSound(0, beep));
    platform::FailNextDirectSoundCall("DuplicateSoundBuffer", DSERR_OUTOFMEMORY);
    EXPECT_EQ(manager->GetSoundInstance(0), nullptr);
    EXPECT_TRUE(host.fatals.empty());
    EXPECT_TRUE(Backend().boxes.TakeShown().empty());
    for (DSoundInstance* channel : manager->mPlayingSounds)
        EXPECT_EQ(channel, nullptr);
    EXPECT_NE(manager->GetSoundInstance(0), nullptr);
}

TEST_F(SoundManagerTest, WithoutADeviceEverythingIsSilent)
{
    struct Case {
        const char* what;
        std::function<void()> arrange;
        HWND window;
    } cases[] = {
        { "no window", [] {}, nullptr },
        { "no DirectSoundCreate", [] { platform::UnregisterModuleFunction("dsound.dll", "DirectSoundCreate"); }, kWindow },
        { "creation fails", [] { platform::FailNextDirectSoundCall("DirectSoundCreate", E_FAIL); }, kWindow },
    };
    for (const Case& c : cases) {
        c.arrange();
        DSoundManager silent(c.window, false);
        EXPECT_FALSE(silent.Initialized()) << c.what;
        EXPECT_TRUE(silent.LoadSound(0, beep)) << c.what;
        EXPECT_EQ(silent.GetNumSounds(), 0) << c.what;
        Kivo::SoundInstance* instance = silent.GetSoundInstance(7);
        ASSERT_NE(instance, nullptr) << c.what;
        EXPECT_FALSE(instance->Play(false, false)) << c.what;
        EXPECT_FALSE(instance->IsPlaying()) << c.what;
        platform::RegisterDirectSound();
    }
}

TEST_F(SoundManagerTest, MasterVolumeIsTheWaveOutputVolume)
{
    manager->SetMasterVolume(0.5);
    EXPECT_DOUBLE_EQ(manager->GetMasterVolume(), 32767 / 65535.0);
    manager->SetMasterVolume(7.0);
    EXPECT_DOUBLE_EQ(manager->GetMasterVolume(), 1.0);
}

} // namespace
