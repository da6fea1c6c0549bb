#pragma once
// The system's wave-output volume through the multimedia mixer: mixer 0, its
// wave-output source line, that line's volume control, one unsigned value.
#include "platform/win32/AudioMixer.h"

namespace Kivo {

class WaveOutVolume {
public:
    WaveOutVolume();  // opens the mixer and finds the control
    ~WaveOutVolume(); // closes the mixer
    WaveOutVolume(const WaveOutVolume&) = delete;
    WaveOutVolume& operator=(const WaveOutVolume&) = delete;

    DWORD Get();
    void Set(DWORD value);

private:
    void Details(bool write, DWORD& value);

    HMIXER mMixer = nullptr;
    MIXERCONTROLA mControl {};
};

} // namespace Kivo
