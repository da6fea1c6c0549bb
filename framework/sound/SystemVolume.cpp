#include "framework/sound/SystemVolume.h"

namespace Kivo {

// The mixer's results are not checked: a control that was not found has id 0,
// and reading it leaves the value as it was.
WaveOutVolume::WaveOutVolume()
{
    mixerOpen(&mMixer, 0, 0, 0, 0);
    MIXERCAPSA caps {};
    mixerGetDevCapsA(reinterpret_cast<UINT_PTR>(mMixer), &caps, sizeof caps);
    MIXERLINEA line {};
    line.cbStruct = sizeof line;
    line.dwComponentType = MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT;
    mixerGetLineInfoA(mMixer, &line, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_COMPONENTTYPE);
    MIXERLINECONTROLSA controls {};
    controls.cbStruct = sizeof controls;
    controls.dwLineID = line.dwLineID;
    controls.dwControlType = MIXERCONTROL_CONTROLTYPE_VOLUME;
    controls.cControls = 1;
    controls.cbmxctrl = sizeof mControl;
    controls.pamxctrl = &mControl;
    mixerGetLineControlsA(mMixer, &controls, MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE);
}

WaveOutVolume::~WaveOutVolume()
{
    mixerClose(mMixer);
}

void WaveOutVolume::Details(bool write, DWORD& value)
{
    MIXERCONTROLDETAILS_UNSIGNED detail { value };
    MIXERCONTROLDETAILS details {};
    details.cbStruct = sizeof details;
    details.dwControlID = mControl.dwControlID;
    details.cChannels = 1;
    details.cbDetails = sizeof detail;
    details.paDetails = &detail;
    if (write)
        mixerSetControlDetails(mMixer, &details, MIXER_OBJECTF_HMIXER | MIXER_SETCONTROLDETAILSF_VALUE);
    else
        mixerGetControlDetailsA(mMixer, &details, MIXER_OBJECTF_HMIXER | MIXER_GETCONTROLDETAILSF_VALUE);
    value = detail.dwValue;
}

DWORD WaveOutVolume::Get()
{
    DWORD value = 0;
    Details(false, value);
    return value;
}

void WaveOutVolume::Set(DWORD value)
{
    Details(true, value);
}

} // namespace Kivo
