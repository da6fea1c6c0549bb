#pragma once
// One playing copy of a loaded sound, handed out and owned by the sound
// manager. Volumes are linear factors (1.0 full); pans run from -10000
// (left) to 10000 (right).
namespace Kivo {

class SoundInstance {
public:
    virtual ~SoundInstance() = default;
    virtual void Release() = 0;
    virtual void SetBaseVolume(double volume) = 0;
    virtual void SetBasePan(int pan) = 0;
    virtual void AdjustPitch(double semitones) = 0;
    virtual void SetVolume(double volume) = 0;
    virtual void SetPan(int pan) = 0;
    virtual bool Play(bool looping, bool autoRelease) = 0;
    virtual void Stop() = 0;
    virtual bool IsPlaying() = 0;
    virtual bool IsReleased() = 0;
    virtual double GetVolume() = 0;
};

} // namespace Kivo
