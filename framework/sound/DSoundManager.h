#pragma once
// The sound manager over DirectSound. Each loaded sound is a static buffer
// with the whole decoded PCM; an instance plays a duplicate of it, which
// shares the sample memory. Without a window, "DirectSoundCreate" or a
// device it works silently. One caller at a time.
#include "framework/sound/DSoundInstance.h"
#include "framework/sound/SoundManager.h"
#include "platform/dsound/DSound.h"

#include <string>

namespace Kivo {

class DSoundManager : public SoundManager {
public:
    static constexpr int kMaxSourceSounds = 256;
    static constexpr int kMaxChannels = 32;
    static constexpr DWORD kSweepIntervalMs = 1000;

    DSoundManager(HWND window, bool useFMod);
    ~DSoundManager() override;

    bool Initialized() override;
    int FindOrLoadSound(const std::string& fileName) override;
    bool LoadSound(unsigned int id, const std::string& fileName) override;
    void ReleaseSound(unsigned int id) override;
    void SetVolume(double volume) override;
    bool SetBaseVolume(unsigned int id, double volume) override;
    bool SetBasePan(unsigned int id, int pan) override;
    SoundInstance* GetSoundInstance(unsigned int id) override;
    void ReleaseSounds() override;
    void ReleaseChannels() override;
    double GetMasterVolume() override;
    void SetMasterVolume(double volume) override;
    void Flush() override;
    void SetCooperativeWindow(HWND window, bool windowed) override;
    void StopAllSounds() override;
    int GetFreeSoundId() override;
    int GetNumSounds() override;

    LPDIRECTSOUNDBUFFER mSourceSounds[kMaxSourceSounds] {};
    std::string mSourceFileNames[kMaxSourceSounds];
    LPDIRECTSOUNDBUFFER mPrimaryBuffer = nullptr;
    DWORD mSourceDataSizes[kMaxSourceSounds] {};
    double mBaseVolumes[kMaxSourceSounds];
    int mBasePans[kMaxSourceSounds] {};
    DSoundInstance* mPlayingSounds[kMaxChannels] {};
    double mVolume = 1.0;
    DWORD mLastReleaseTick = 0;
    LPDIRECTSOUND mDirectSound = nullptr;
    bool mUseFMod;

private:
    int FindFreeChannel();
    void ReleaseFreeChannels();
};

} // namespace Kivo
