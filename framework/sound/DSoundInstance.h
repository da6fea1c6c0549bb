#pragma once
// A sound instance over its own duplicate of a loaded sound's buffer. Without
// a buffer (no sound device) it is silent: Play fails and it never plays.
#include "framework/sound/SoundInstance.h"
#include "platform/dsound/DSound.h"

namespace Kivo {

class DSoundManager;

class DSoundInstance : public SoundInstance {
public:
    // Check mBuffer against a non-null source: a failed duplicate leaves none.
    DSoundInstance(DSoundManager* manager, LPDIRECTSOUNDBUFFER sourceSound);
    ~DSoundInstance() override;

    void Release() override;
    void SetBaseVolume(double volume) override;
    void SetBasePan(int pan) override;
    void AdjustPitch(double semitones) override;
    void SetVolume(double volume) override;
    void SetPan(int pan) override;
    bool Play(bool looping, bool autoRelease) override;
    void Stop() override;
    bool IsPlaying() override;
    bool IsReleased() override;
    double GetVolume() override;

    // The buffer attenuation, in hundredths of a decibel, for a linear factor.
    static LONG VolumeToAttenuation(double volume);

    // Recomputes the buffer attenuation from the three volume factors.
    void RehupVolume();

    DSoundManager* mManager;
    LPDIRECTSOUNDBUFFER mSourceSound;
    LPDIRECTSOUNDBUFFER mBuffer = nullptr;
    bool mAutoRelease = false;
    bool mHasPlayed = false;
    bool mReleased = false;
    int mBasePan = 0;
    double mBaseVolume = 1.0;
    int mPan = 0;
    double mVolume = 1.0;
    DWORD mDefaultFrequency = 44100;

private:
    void RehupPan();
};

} // namespace Kivo
