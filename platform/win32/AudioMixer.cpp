#include "platform/win32/AudioMixer.h"

#include <atomic>
#include <cstring>

struct HMIXER__ {
    int unused;
};

namespace {

constexpr DWORD kWaveOutLineId = 0x10000;
constexpr DWORD kVolumeControlId = 1;

std::atomic<uint32_t> gWaveOutVolume { 65535 };
HMIXER__ gMixer {};

bool IsMixer(HMIXEROBJ mixer)
{
    return mixer == &gMixer;
}

} // namespace

MMRESULT mixerOpen(HMIXER* mixer, UINT deviceId, DWORD_PTR, DWORD_PTR, DWORD)
{
    if (!mixer)
        return MMSYSERR_INVALPARAM;
    if (deviceId != 0)
        return MMSYSERR_BADDEVICEID;
    *mixer = &gMixer;
    return MMSYSERR_NOERROR;
}

MMRESULT mixerClose(HMIXER mixer)
{
    return IsMixer(mixer) ? MMSYSERR_NOERROR : MMSYSERR_INVALHANDLE;
}

MMRESULT mixerGetDevCapsA(UINT_PTR deviceId, MIXERCAPSA* caps, UINT size)
{
    if (!caps || size < sizeof(MIXERCAPSA))
        return MMSYSERR_INVALPARAM;
    if (deviceId != 0 && deviceId != reinterpret_cast<UINT_PTR>(&gMixer))
        return MMSYSERR_BADDEVICEID;
    std::memset(caps, 0, sizeof *caps);
    std::strcpy(caps->szPname, "Wave output");
    caps->cDestinations = 1;
    return MMSYSERR_NOERROR;
}

MMRESULT mixerGetLineInfoA(HMIXEROBJ mixer, MIXERLINEA* line, DWORD flags)
{
    if (!IsMixer(mixer))
        return MMSYSERR_INVALHANDLE;
    if (!line || line->cbStruct < sizeof(MIXERLINEA))
        return MMSYSERR_INVALPARAM;
    if ((flags & 0xF) != MIXER_GETLINEINFOF_COMPONENTTYPE)
        return MMSYSERR_INVALFLAG;
    if (line->dwComponentType != MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT)
        return MIXERR_INVALLINE;
    line->dwLineID = kWaveOutLineId;
    line->cChannels = 2;
    line->cControls = 1;
    std::strcpy(line->szShortName, "Wave");
    std::strcpy(line->szName, "Wave");
    return MMSYSERR_NOERROR;
}

MMRESULT mixerGetLineControlsA(HMIXEROBJ mixer, MIXERLINECONTROLSA* controls, DWORD flags)
{
    if (!IsMixer(mixer))
        return MMSYSERR_INVALHANDLE;
    if (!controls || controls->cbStruct < sizeof(MIXERLINECONTROLSA) || !controls->pamxctrl
        || controls->cbmxctrl < sizeof(MIXERCONTROLA))
        return MMSYSERR_INVALPARAM;
    if ((flags & 0xF) != MIXER_GETLINECONTROLSF_ONEBYTYPE)
        return MMSYSERR_INVALFLAG;
    if (controls->dwLineID != kWaveOutLineId)
        return MIXERR_INVALLINE;
    if (controls->dwControlType != MIXERCONTROL_CONTROLTYPE_VOLUME)
        return MIXERR_INVALCONTROL;
    MIXERCONTROLA& c = *controls->pamxctrl;
    std::memset(&c, 0, sizeof c);
    c.cbStruct = sizeof c;
    c.dwControlID = kVolumeControlId;
    c.dwControlType = MIXERCONTROL_CONTROLTYPE_VOLUME;
    c.Bounds.s.dwMaximum = 65535;
    c.Metrics.cSteps = 65536;
    std::strcpy(c.szShortName, "Volume");
    std::strcpy(c.szName, "Volume");
    return MMSYSERR_NOERROR;
}

namespace {

// One unsigned value serves every channel, as the program reads and writes it.
MMRESULT CheckDetails(HMIXEROBJ mixer, const MIXERCONTROLDETAILS* details)
{
    if (!IsMixer(mixer))
        return MMSYSERR_INVALHANDLE;
    if (!details || details->cbStruct < sizeof(MIXERCONTROLDETAILS) || !details->paDetails
        || details->cbDetails < sizeof(MIXERCONTROLDETAILS_UNSIGNED) || details->cChannels == 0)
        return MMSYSERR_INVALPARAM;
    if (details->dwControlID != kVolumeControlId)
        return MIXERR_INVALCONTROL;
    return MMSYSERR_NOERROR;
}

} // namespace

MMRESULT mixerGetControlDetailsA(HMIXEROBJ mixer, MIXERCONTROLDETAILS* details, DWORD)
{
    if (MMRESULT r = CheckDetails(mixer, details))
        return r;
    auto* values = static_cast<MIXERCONTROLDETAILS_UNSIGNED*>(details->paDetails);
    for (DWORD i = 0; i < details->cChannels; ++i)
        values[i].dwValue = gWaveOutVolume.load();
    return MMSYSERR_NOERROR;
}

MMRESULT mixerSetControlDetails(HMIXEROBJ mixer, MIXERCONTROLDETAILS* details, DWORD)
{
    if (MMRESULT r = CheckDetails(mixer, details))
        return r;
    DWORD v = static_cast<MIXERCONTROLDETAILS_UNSIGNED*>(details->paDetails)[0].dwValue;
    gWaveOutVolume = v > 65535 ? 65535 : v;
    return MMSYSERR_NOERROR;
}

namespace platform {
uint32_t WaveOutVolume()
{
    return gWaveOutVolume.load();
}
}
