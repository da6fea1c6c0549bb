#pragma once
// The sound effects of the application: up to 256 loaded sounds by id and up
// to 32 instances playing at once.
#include "framework/sound/SoundInstance.h"
#include "platform/win32/WinTypes.h"

#include <string>

namespace Kivo {

class SoundManager {
public:
    virtual ~SoundManager() = default;
    virtual bool Initialized() = 0;
    // The id of the sound loaded from `fileName` (given without extension),
    // loading it into a free id when no id has that name yet; -1 on failure.
    virtual int FindOrLoadSound(const std::string& fileName) = 0;
    virtual bool LoadSound(unsigned int id, const std::string& fileName) = 0;
    virtual void ReleaseSound(unsigned int id) = 0;
    virtual void SetVolume(double volume) = 0;
    virtual bool SetBaseVolume(unsigned int id, double volume) = 0;
    virtual bool SetBasePan(unsigned int id, int pan) = 0;
    // The instance stays owned by the manager; null when none can be had.
    virtual SoundInstance* GetSoundInstance(unsigned int id) = 0;
    virtual void ReleaseSounds() = 0;
    virtual void ReleaseChannels() = 0;
    virtual double GetMasterVolume() = 0;
    virtual void SetMasterVolume(double volume) = 0;
    virtual void Flush() = 0;
    virtual void SetCooperativeWindow(HWND window, bool windowed) = 0;
    virtual void StopAllSounds() = 0;
    virtual int GetFreeSoundId() = 0;
    virtual int GetNumSounds() = 0;
};

} // namespace Kivo
