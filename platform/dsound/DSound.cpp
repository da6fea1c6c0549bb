#include "platform/dsound/DSound.h"

#include "platform/Backend.h"
#include "platform/audio/Mixer.h"
#include "platform/win32/Modules.h"

#include <atomic>
#include <cstring>
#include <map>
#include <mutex>

namespace {

using platform::audio::Mixer;
using platform::audio::PcmData;
using platform::audio::Voice;

struct Faults {
    std::mutex mutex;
    std::map<std::string, HRESULT> next;
};

Faults& GetFaults()
{
    static Faults faults;
    return faults;
}

// S_OK unless a failure was injected for `call`.
HRESULT Injected(const char* call)
{
    Faults& f = GetFaults();
    std::lock_guard lock(f.mutex);
    auto it = f.next.find(call);
    if (it == f.next.end())
        return DS_OK;
    HRESULT hr = it->second;
    f.next.erase(it);
    return hr;
}

template <typename Interface>
class RefCounted : public Interface {
public:
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override
    {
        ULONG left = --refs_;
        if (left == 0)
            delete this;
        return left;
    }
    virtual ~RefCounted() = default;

private:
    std::atomic<ULONG> refs_ { 1 };
};

// The primary buffer only keeps its format: the output format is fixed by
// the audio device.
class PrimaryBuffer final : public RefCounted<IDirectSoundBuffer> {
public:
    HRESULT GetCurrentPosition(DWORD*, DWORD*) override { return DSERR_INVALIDCALL; }
    HRESULT GetFormat(WAVEFORMATEX* format, DWORD size, DWORD* written) override
    {
        if (!format || size < sizeof format_)
            return DSERR_INVALIDPARAM;
        *format = format_;
        if (written)
            *written = sizeof format_;
        return DS_OK;
    }
    HRESULT GetVolume(LONG* v) override { return v ? (*v = 0, DS_OK) : DSERR_INVALIDPARAM; }
    HRESULT GetPan(LONG* p) override { return p ? (*p = 0, DS_OK) : DSERR_INVALIDPARAM; }
    HRESULT GetFrequency(DWORD*) override { return DSERR_CONTROLUNAVAIL; }
    HRESULT GetStatus(DWORD* s) override { return s ? (*s = 0, DS_OK) : DSERR_INVALIDPARAM; }
    HRESULT Lock(DWORD, DWORD, LPVOID*, DWORD*, LPVOID*, DWORD*, DWORD) override { return DSERR_INVALIDCALL; }
    HRESULT Play(DWORD, DWORD, DWORD) override { return DS_OK; }
    HRESULT SetCurrentPosition(DWORD) override { return DSERR_INVALIDCALL; }
    HRESULT SetFormat(const WAVEFORMATEX* format) override
    {
        if (HRESULT hr = Injected("SetFormat"))
            return hr;
        if (!format || format->wFormatTag != WAVE_FORMAT_PCM)
            return DSERR_BADFORMAT;
        format_ = *format;
        return DS_OK;
    }
    HRESULT SetVolume(LONG) override { return DSERR_CONTROLUNAVAIL; }
    HRESULT SetPan(LONG) override { return DSERR_CONTROLUNAVAIL; }
    HRESULT SetFrequency(DWORD) override { return DSERR_CONTROLUNAVAIL; }
    HRESULT Stop() override { return DS_OK; }
    HRESULT Unlock(LPVOID, DWORD, LPVOID, DWORD) override { return DSERR_INVALIDCALL; }

private:
    WAVEFORMATEX format_ { WAVE_FORMAT_PCM, 2, 22050, 88200, 4, 16, 0 };
};

class SecondaryBuffer final : public RefCounted<IDirectSoundBuffer> {
public:
    SecondaryBuffer(std::shared_ptr<Mixer> mixer, std::shared_ptr<PcmData> data, DWORD flags)
        : mixer_(std::move(mixer)), voice_(mixer_->CreateVoice(std::move(data))), flags_(flags)
    {
    }
    ~SecondaryBuffer() override { voice_.reset(); }

    std::shared_ptr<Mixer> GetMixer() const { return mixer_; }
    const std::shared_ptr<PcmData>& Data() const { return voice_->Data(); }
    DWORD Flags() const { return flags_; }

    HRESULT GetCurrentPosition(DWORD* play, DWORD* write) override
    {
        DWORD pos = voice_->Position();
        if (play)
            *play = pos;
        if (write)
            *write = pos;
        return DS_OK;
    }
    HRESULT GetFormat(WAVEFORMATEX* format, DWORD size, DWORD* written) override
    {
        if (!format || size < sizeof(WAVEFORMATEX))
            return DSERR_INVALIDPARAM;
        const auto& f = Data()->format;
        *format = { WAVE_FORMAT_PCM, f.channels, f.rate, f.rate * f.BlockAlign(), WORD(f.BlockAlign()), f.bits, 0 };
        if (written)
            *written = sizeof(WAVEFORMATEX);
        return DS_OK;
    }
    HRESULT GetVolume(LONG* v) override
    {
        if (!(flags_ & DSBCAPS_CTRLVOLUME))
            return DSERR_CONTROLUNAVAIL;
        return v ? (*v = voice_->Volume(), DS_OK) : DSERR_INVALIDPARAM;
    }
    HRESULT GetPan(LONG* p) override
    {
        if (!(flags_ & DSBCAPS_CTRLPAN))
            return DSERR_CONTROLUNAVAIL;
        return p ? (*p = voice_->Pan(), DS_OK) : DSERR_INVALIDPARAM;
    }
    HRESULT GetFrequency(DWORD* hz) override
    {
        if (!(flags_ & DSBCAPS_CTRLFREQUENCY))
            return DSERR_CONTROLUNAVAIL;
        return hz ? (*hz = voice_->Frequency(), DS_OK) : DSERR_INVALIDPARAM;
    }
    HRESULT GetStatus(DWORD* status) override
    {
        if (HRESULT hr = Injected("GetStatus"))
            return hr;
        if (!status)
            return DSERR_INVALIDPARAM;
        bool playing = voice_->IsPlaying();
        *status = playing ? DSBSTATUS_PLAYING | (voice_->IsLooping() ? DSBSTATUS_LOOPING : 0) : 0;
        return DS_OK;
    }
    HRESULT Lock(DWORD offset, DWORD bytes, LPVOID* ptr1, DWORD* bytes1, LPVOID* ptr2, DWORD* bytes2, DWORD flags) override
    {
        if (HRESULT hr = Injected("Lock"))
            return hr;
        std::vector<uint8_t>& data = Data()->bytes;
        const DWORD size = DWORD(data.size());
        if (flags & DSBLOCK_ENTIREBUFFER) {
            offset = 0;
            bytes = size;
        }
        if (!ptr1 || !bytes1 || offset >= size || bytes == 0 || bytes > size)
            return DSERR_INVALIDPARAM;
        DWORD first = std::min(bytes, size - offset);
        *ptr1 = data.data() + offset;
        *bytes1 = first;
        if (ptr2)
            *ptr2 = first < bytes ? data.data() : nullptr;
        if (bytes2)
            *bytes2 = bytes - first;
        if (first < bytes && (!ptr2 || !bytes2))
            return DSERR_INVALIDPARAM;
        return DS_OK;
    }
    HRESULT Play(DWORD, DWORD, DWORD flags) override
    {
        if (HRESULT hr = Injected("Play"))
            return hr;
        voice_->Play((flags & DSBPLAY_LOOPING) != 0);
        return DS_OK;
    }
    HRESULT SetCurrentPosition(DWORD position) override
    {
        if (position >= Data()->bytes.size())
            return DSERR_INVALIDPARAM;
        voice_->SetPosition(position);
        return DS_OK;
    }
    HRESULT SetFormat(const WAVEFORMATEX*) override { return DSERR_INVALIDCALL; }
    HRESULT SetVolume(LONG volume) override
    {
        if (!(flags_ & DSBCAPS_CTRLVOLUME))
            return DSERR_CONTROLUNAVAIL;
        if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX)
            return DSERR_INVALIDPARAM;
        voice_->SetVolume(volume);
        return DS_OK;
    }
    HRESULT SetPan(LONG pan) override
    {
        if (!(flags_ & DSBCAPS_CTRLPAN))
            return DSERR_CONTROLUNAVAIL;
        if (pan < DSBPAN_LEFT || pan > DSBPAN_RIGHT)
            return DSERR_INVALIDPARAM;
        voice_->SetPan(pan);
        return DS_OK;
    }
    HRESULT SetFrequency(DWORD hz) override
    {
        if (!(flags_ & DSBCAPS_CTRLFREQUENCY))
            return DSERR_CONTROLUNAVAIL;
        if (hz == DSBFREQUENCY_ORIGINAL)
            hz = Data()->format.rate;
        if (hz < DSBFREQUENCY_MIN || hz > DSBFREQUENCY_MAX)
            return DSERR_INVALIDPARAM;
        voice_->SetFrequency(hz);
        return DS_OK;
    }
    HRESULT Stop() override
    {
        voice_->Stop();
        return DS_OK;
    }
    HRESULT Unlock(LPVOID ptr1, DWORD, LPVOID, DWORD) override
    {
        const auto& data = Data()->bytes;
        const uint8_t* p = static_cast<const uint8_t*>(ptr1);
        if (!p || p < data.data() || p >= data.data() + data.size())
            return DSERR_INVALIDPARAM;
        return DS_OK;
    }

private:
    std::shared_ptr<Mixer> mixer_;
    std::unique_ptr<Voice> voice_;
    DWORD flags_;
};

class DirectSound final : public RefCounted<IDirectSound> {
public:
    DirectSound() : mixer_(std::make_shared<Mixer>(&platform::CurrentBackend().GetAudio())) { }

    HRESULT CreateSoundBuffer(const DSBUFFERDESC* desc, IDirectSoundBuffer** buffer, IUnknown* outer) override
    {
        if (HRESULT hr = Injected("CreateSoundBuffer"))
            return hr;
        if (outer)
            return DSERR_NOAGGREGATION;
        if (!desc || !buffer || desc->dwSize != sizeof(DSBUFFERDESC))
            return DSERR_INVALIDPARAM;
        *buffer = nullptr;
        if (!cooperative_)
            return DSERR_UNINITIALIZED;
        if (desc->dwFlags & DSBCAPS_PRIMARYBUFFER) {
            if (desc->dwBufferBytes != 0 || desc->lpwfxFormat)
                return DSERR_INVALIDPARAM;
            *buffer = new PrimaryBuffer;
            return DS_OK;
        }
        const WAVEFORMATEX* wf = desc->lpwfxFormat;
        if (!wf || desc->dwBufferBytes < DSBSIZE_MIN || desc->dwBufferBytes > DSBSIZE_MAX)
            return DSERR_INVALIDPARAM;
        auto data = std::make_shared<PcmData>();
        data->format = { wf->nChannels, wf->wBitsPerSample, wf->nSamplesPerSec };
        if (wf->wFormatTag != WAVE_FORMAT_PCM || !data->format.Valid() || wf->nSamplesPerSec < DSBFREQUENCY_MIN
            || wf->nSamplesPerSec > DSBFREQUENCY_MAX || wf->nBlockAlign != data->format.BlockAlign())
            return DSERR_BADFORMAT;
        // Silence, as a fresh buffer sounds.
        data->bytes.assign(desc->dwBufferBytes, wf->wBitsPerSample == 8 ? 0x80 : 0);
        *buffer = new SecondaryBuffer(mixer_, std::move(data), desc->dwFlags);
        return DS_OK;
    }

    HRESULT DuplicateSoundBuffer(IDirectSoundBuffer* original, IDirectSoundBuffer** duplicate) override
    {
        if (HRESULT hr = Injected("DuplicateSoundBuffer"))
            return hr;
        auto* source = dynamic_cast<SecondaryBuffer*>(original);
        if (!source || !duplicate)
            return DSERR_INVALIDPARAM;
        auto* copy = new SecondaryBuffer(source->GetMixer(), source->Data(), source->Flags());
        DWORD hz = 0;
        if (SUCCEEDED(source->GetFrequency(&hz)))
            copy->SetFrequency(hz);
        *duplicate = copy;
        return DS_OK;
    }

    HRESULT SetCooperativeLevel(HWND, DWORD level) override
    {
        if (HRESULT hr = Injected("SetCooperativeLevel"))
            return hr;
        if (level < DSSCL_NORMAL || level > 4)
            return DSERR_INVALIDPARAM;
        cooperative_ = true;
        return DS_OK;
    }

private:
    std::shared_ptr<Mixer> mixer_;
    bool cooperative_ = false;
};

} // namespace

HRESULT DirectSoundCreate(const GUID*, IDirectSound** ds, IUnknown* outer)
{
    if (!ds)
        return DSERR_INVALIDPARAM;
    *ds = nullptr;
    if (outer)
        return DSERR_NOAGGREGATION;
    if (HRESULT hr = Injected("DirectSoundCreate"))
        return hr;
    *ds = new DirectSound;
    return DS_OK;
}

namespace platform {

void RegisterDirectSound()
{
    RegisterModuleFunction("dsound.dll", "DirectSoundCreate", &DirectSoundCreate);
}

void FailNextDirectSoundCall(const std::string& call, HRESULT result)
{
    Faults& f = GetFaults();
    std::lock_guard lock(f.mutex);
    f.next[call] = result;
}

} // namespace platform
