#include "platform/music/Bass.h"

#include "platform/Backend.h"
#include "platform/audio/Decoders.h"
#include "platform/music/MusicFiles.h"
#include "platform/win32/Modules.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>

namespace {

using namespace platform::audio;

struct Channel {
    std::unique_ptr<Voice> voice;
    bool music = false;
    std::vector<uint32_t> orderFrames;
    float volume = 1.0f;
    float amplify = 50.0f; // 50 plays a module at its own level
    DWORD flags = 0;
    bool paused = false;
};

struct State {
    std::mutex mutex;
    std::unique_ptr<Mixer> mixer; // set between BASS_Init and BASS_Free
    std::map<DWORD, Channel> channels;
    std::vector<DWORD> stoppedByStop;
    DWORD nextHandle = 1;
    DWORD bufferMs = 500;
    float volume = 1.0f;
};

// Never destroyed: at exit the backend's audio device may already be gone.
State& S()
{
    static State* state = new State;
    return *state;
}

thread_local int gError = BASS_OK;

template <typename T>
T Fail(int code, T result)
{
    gError = code;
    return result;
}

BOOL Ok()
{
    gError = BASS_OK;
    return TRUE;
}

Channel* Find(State& s, DWORD handle)
{
    auto it = s.channels.find(handle);
    return it == s.channels.end() ? nullptr : &it->second;
}

void ApplyGain(Channel& c)
{
    double gain = c.volume * (c.music ? c.amplify / 50.0 : 1.0);
    c.voice->SetVolume(GainToVolume(gain));
}

DWORD AddChannel(State& s, std::shared_ptr<PcmData> pcm, bool music, std::vector<uint32_t> orders, DWORD flags)
{
    Channel c;
    c.voice = s.mixer->CreateVoice(std::move(pcm));
    if (!c.voice)
        return Fail<DWORD>(BASS_ERROR_FORMAT, 0);
    c.music = music;
    c.orderFrames = std::move(orders);
    c.flags = flags;
    c.voice->SetLooping(flags & BASS_SAMPLE_LOOP);
    DWORD handle = s.nextHandle++;
    s.channels.emplace(handle, std::move(c));
    gError = BASS_OK;
    return handle;
}

BOOL FreeChannel(DWORD handle, bool music)
{
    State& s = S();
    std::lock_guard lock(s.mutex);
    Channel* c = Find(s, handle);
    if (!c || c->music != music)
        return Fail(BASS_ERROR_HANDLE, FALSE);
    s.channels.erase(handle);
    return Ok();
}

} // namespace

DWORD BASS_GetVersion()
{
    return 0x02040000;
}

BOOL BASS_Init(int device, DWORD freq, DWORD, HWND, const void*)
{
    State& s = S();
    std::lock_guard lock(s.mutex);
    if (s.mixer)
        return Fail(BASS_ERROR_ALREADY, FALSE);
    if (device < -1 || freq == 0)
        return Fail(BASS_ERROR_ILLPARAM, FALSE);
    s.mixer = std::make_unique<Mixer>(&platform::CurrentBackend().GetAudio());
    return Ok();
}

BOOL BASS_Free()
{
    State& s = S();
    std::lock_guard lock(s.mutex);
    if (!s.mixer)
        return Fail(BASS_ERROR_INIT, FALSE);
    s.channels.clear();
    s.stoppedByStop.clear();
    s.mixer.reset();
    return Ok();
}

// Stopping the output holds every playing channel where it is; starting it
// again lets them go on.
BOOL BASS_Stop()
{
    State& s = S();
    std::lock_guard lock(s.mutex);
    if (!s.mixer)
        return Fail(BASS_ERROR_INIT, FALSE);
    for (auto& [handle, c] : s.channels) {
        if (c.voice->IsPlaying()) {
            c.voice->Stop();
            s.stoppedByStop.push_back(handle);
        }
    }
    return Ok();
}

BOOL BASS_Start()
{
    State& s = S();
    std::lock_guard lock(s.mutex);
    if (!s.mixer)
        return Fail(BASS_ERROR_INIT, FALSE);
    for (DWORD handle : s.stoppedByStop)
        if (Channel* c = Find(s, handle))
            c->voice->Play(c->flags & BASS_SAMPLE_LOOP);
    s.stoppedByStop.clear();
    return Ok();
}

BOOL BASS_SetVolume(float volume)
{
    if (!(volume >= 0.0f && volume <= 1.0f))
        return Fail(BASS_ERROR_ILLPARAM, FALSE);
    S().volume = volume;
    return Ok();
}

float BASS_GetVolume()
{
    return S().volume;
}

BOOL BASS_GetInfo(void*)
{
    return Fail(BASS_ERROR_NOTAVAIL, FALSE);
}

BOOL BASS_SetConfig(DWORD option, DWORD value)
{
    if (option != BASS_CONFIG_BUFFER)
        return Fail(BASS_ERROR_ILLTYPE, FALSE);
    S().bufferMs = value;
    return Ok();
}

DWORD BASS_GetConfig(DWORD option)
{
    if (option != BASS_CONFIG_BUFFER)
        return Fail<DWORD>(BASS_ERROR_ILLTYPE, 0xFFFFFFFF);
    gError = BASS_OK;
    return S().bufferMs;
}

BOOL BASS_ChannelStop(DWORD handle)
{
    State& s = S();
    std::lock_guard lock(s.mutex);
    Channel* c = Find(s, handle);
    if (!c)
        return Fail(BASS_ERROR_HANDLE, FALSE);
    c->voice->Stop();
    c->paused = false;
    return Ok();
}

BOOL BASS_ChannelPlay(DWORD handle, BOOL restart)
{
    State& s = S();
    std::lock_guard lock(s.mutex);
    Channel* c = Find(s, handle);
    if (!c)
        return Fail(BASS_ERROR_HANDLE, FALSE);
    if (restart)
        c->voice->SetPosition(0);
    c->voice->Play(c->flags & BASS_SAMPLE_LOOP);
    c->paused = false;
    return Ok();
}

BOOL BASS_ChannelPause(DWORD handle)
{
    State& s = S();
    std::lock_guard lock(s.mutex);
    Channel* c = Find(s, handle);
    if (!c)
        return Fail(BASS_ERROR_HANDLE, FALSE);
    if (!c->voice->IsPlaying())
        return Fail(BASS_ERROR_NOTAVAIL, FALSE);
    c->voice->Stop();
    c->paused = true;
    return Ok();
}

BOOL BASS_ChannelSetAttribute(DWORD handle, DWORD attrib, float value)
{
    State& s = S();
    std::lock_guard lock(s.mutex);
    Channel* c = Find(s, handle);
    if (!c)
        return Fail(BASS_ERROR_HANDLE, FALSE);
    if (attrib == BASS_ATTRIB_VOL)
        c->volume = std::clamp(value, 0.0f, 1.0f);
    else if (attrib == BASS_ATTRIB_MUSIC_AMPLIFY && c->music)
        c->amplify = std::clamp(value, 0.0f, 100.0f);
    else
        return Fail(BASS_ERROR_ILLTYPE, FALSE);
    ApplyGain(*c);
    return Ok();
}

BOOL BASS_ChannelGetAttribute(DWORD handle, DWORD attrib, float* value)
{
    State& s = S();
    std::lock_guard lock(s.mutex);
    Channel* c = Find(s, handle);
    if (!c)
        return Fail(BASS_ERROR_HANDLE, FALSE);
    if (!value)
        return Fail(BASS_ERROR_ILLPARAM, FALSE);
    if (attrib == BASS_ATTRIB_VOL)
        *value = c->volume;
    else if (attrib == BASS_ATTRIB_MUSIC_AMPLIFY && c->music)
        *value = c->amplify;
    else
        return Fail(BASS_ERROR_ILLTYPE, FALSE);
    return Ok();
}

BOOL BASS_ChannelSetPosition(DWORD handle, QWORD pos, DWORD mode)
{
    State& s = S();
    std::lock_guard lock(s.mutex);
    Channel* c = Find(s, handle);
    if (!c)
        return Fail(BASS_ERROR_HANDLE, FALSE);
    const PcmData& pcm = *c->voice->Data();
    if (mode == BASS_POS_BYTE) {
        if (pos >= uint64_t(pcm.Frames()) * pcm.format.BlockAlign())
            return Fail(BASS_ERROR_POSITION, FALSE);
        c->voice->SetPosition(uint32_t(pos));
        return Ok();
    }
    if (mode == BASS_POS_MUSIC_ORDER && c->music) {
        // The low word is the order; rows within it are not kept.
        size_t order = pos & 0xFFFF;
        if (order >= c->orderFrames.size() || c->orderFrames[order] >= pcm.Frames())
            return Fail(BASS_ERROR_POSITION, FALSE);
        c->voice->SetPosition(c->orderFrames[order] * pcm.format.BlockAlign());
        return Ok();
    }
    return Fail(BASS_ERROR_NOTAVAIL, FALSE);
}

QWORD BASS_ChannelGetPosition(DWORD handle, DWORD mode)
{
    State& s = S();
    std::lock_guard lock(s.mutex);
    Channel* c = Find(s, handle);
    if (!c || mode != BASS_POS_BYTE)
        return Fail<QWORD>(c ? BASS_ERROR_NOTAVAIL : BASS_ERROR_HANDLE, ~QWORD(0));
    gError = BASS_OK;
    return c->voice->Position();
}

QWORD BASS_ChannelGetLength(DWORD handle, DWORD mode)
{
    State& s = S();
    std::lock_guard lock(s.mutex);
    Channel* c = Find(s, handle);
    if (!c || mode != BASS_POS_BYTE)
        return Fail<QWORD>(c ? BASS_ERROR_NOTAVAIL : BASS_ERROR_HANDLE, ~QWORD(0));
    gError = BASS_OK;
    const PcmData& pcm = *c->voice->Data();
    return uint64_t(pcm.Frames()) * pcm.format.BlockAlign();
}

DWORD BASS_ChannelFlags(DWORD handle, DWORD flags, DWORD mask)
{
    State& s = S();
    std::lock_guard lock(s.mutex);
    Channel* c = Find(s, handle);
    if (!c)
        return Fail<DWORD>(BASS_ERROR_HANDLE, 0xFFFFFFFF);
    c->flags = (c->flags & ~mask) | (flags & mask);
    c->voice->SetLooping(c->flags & BASS_SAMPLE_LOOP);
    gError = BASS_OK;
    return c->flags;
}

DWORD BASS_ChannelIsActive(DWORD handle)
{
    State& s = S();
    std::lock_guard lock(s.mutex);
    Channel* c = Find(s, handle);
    if (!c)
        return Fail<DWORD>(BASS_ERROR_HANDLE, BASS_ACTIVE_STOPPED);
    gError = BASS_OK;
    if (c->voice->IsPlaying())
        return BASS_ACTIVE_PLAYING;
    return c->paused ? BASS_ACTIVE_PAUSED : BASS_ACTIVE_STOPPED;
}

HMUSIC BASS_MusicLoad(BOOL mem, const void* file, QWORD offset, DWORD length, DWORD flags, DWORD)
{
    std::vector<uint8_t> bytes;
    if (!platform::music::ReadSource(mem, file, offset, length, bytes))
        return Fail<HMUSIC>(BASS_ERROR_FILEOPEN, 0);
    RenderedModule module;
    if (!DecodeModule(bytes.data(), bytes.size(), module))
        return Fail<HMUSIC>(BASS_ERROR_FORMAT, 0);
    State& s = S();
    std::lock_guard lock(s.mutex);
    if (!s.mixer)
        return Fail<HMUSIC>(BASS_ERROR_INIT, 0);
    return AddChannel(s, std::move(module.pcm), true, std::move(module.orderFrames), flags);
}

BOOL BASS_MusicFree(HMUSIC handle)
{
    return FreeChannel(handle, true);
}

HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD flags)
{
    // A stream from memory reads the caller's block, which stays valid while
    // the stream lives; a file is read whole into bytes of the stream's own.
    std::shared_ptr<PcmData> pcm;
    if (mem) {
        if (!file || length == 0)
            return Fail<HSTREAM>(BASS_ERROR_FILEOPEN, 0);
        pcm = OpenStream(static_cast<const uint8_t*>(file) + offset, size_t(length));
    } else {
        std::vector<uint8_t> bytes;
        if (!platform::music::ReadSource(false, file, offset, length, bytes))
            return Fail<HSTREAM>(BASS_ERROR_FILEOPEN, 0);
        pcm = OpenStream(std::move(bytes));
    }
    if (!pcm)
        return Fail<HSTREAM>(BASS_ERROR_FORMAT, 0);
    State& s = S();
    std::lock_guard lock(s.mutex);
    if (!s.mixer)
        return Fail<HSTREAM>(BASS_ERROR_INIT, 0);
    return AddChannel(s, std::move(pcm), false, {}, flags);
}

BOOL BASS_StreamFree(HSTREAM handle)
{
    return FreeChannel(handle, false);
}

// Looked up by the program but never called.
BOOL BASS_ChannelSlideAttribute(DWORD, DWORD, float, DWORD) { return Fail(BASS_ERROR_NOTAVAIL, FALSE); }
BOOL BASS_ChannelIsSliding(DWORD, DWORD) { return Fail(BASS_ERROR_NOTAVAIL, FALSE); }
DWORD BASS_ChannelGetLevel(DWORD) { return Fail<DWORD>(BASS_ERROR_NOTAVAIL, 0xFFFFFFFF); }
HFX BASS_ChannelSetFX(DWORD, DWORD, int) { return Fail<HFX>(BASS_ERROR_NOTAVAIL, 0); }
BOOL BASS_ChannelRemoveFX(DWORD, HFX) { return Fail(BASS_ERROR_NOTAVAIL, FALSE); }
DWORD BASS_ChannelGetData(DWORD, void*, DWORD) { return Fail<DWORD>(BASS_ERROR_NOTAVAIL, 0xFFFFFFFF); }
HSYNC BASS_ChannelSetSync(DWORD, DWORD, QWORD, SYNCPROC*, void*) { return Fail<HSYNC>(BASS_ERROR_NOTAVAIL, 0); }
BOOL BASS_ChannelRemoveSync(DWORD, HSYNC) { return Fail(BASS_ERROR_NOTAVAIL, FALSE); }
BOOL BASS_FXSetParameters(HFX, const void*) { return Fail(BASS_ERROR_NOTAVAIL, FALSE); }
BOOL BASS_FXGetParameters(HFX, void*) { return Fail(BASS_ERROR_NOTAVAIL, FALSE); }
HPLUGIN BASS_PluginLoad(const char*, DWORD) { return Fail<HPLUGIN>(BASS_ERROR_NOTAVAIL, 0); }
HSAMPLE BASS_SampleLoad(BOOL, const void*, QWORD, DWORD, DWORD, DWORD) { return Fail<HSAMPLE>(BASS_ERROR_NOTAVAIL, 0); }
BOOL BASS_SampleFree(HSAMPLE) { return Fail(BASS_ERROR_NOTAVAIL, FALSE); }
BOOL BASS_SampleSetInfo(HSAMPLE, const void*) { return Fail(BASS_ERROR_NOTAVAIL, FALSE); }
BOOL BASS_SampleGetInfo(HSAMPLE, void*) { return Fail(BASS_ERROR_NOTAVAIL, FALSE); }
HCHANNEL BASS_SampleGetChannel(HSAMPLE, BOOL) { return Fail<HCHANNEL>(BASS_ERROR_NOTAVAIL, 0); }
BOOL BASS_SampleStop(HSAMPLE) { return Fail(BASS_ERROR_NOTAVAIL, FALSE); }

int BASS_ErrorGetCode()
{
    return gError;
}

namespace platform {

void RegisterBassLibrary()
{
#define KIVO_BASS(name) RegisterModuleFunction("bass.dll", #name, &name)
    KIVO_BASS(BASS_GetVersion);
    KIVO_BASS(BASS_Init);
    KIVO_BASS(BASS_Free);
    KIVO_BASS(BASS_Stop);
    KIVO_BASS(BASS_Start);
    KIVO_BASS(BASS_SetVolume);
    KIVO_BASS(BASS_GetVolume);
    KIVO_BASS(BASS_GetInfo);
    KIVO_BASS(BASS_SetConfig);
    KIVO_BASS(BASS_GetConfig);
    KIVO_BASS(BASS_ChannelStop);
    KIVO_BASS(BASS_ChannelPlay);
    KIVO_BASS(BASS_ChannelPause);
    KIVO_BASS(BASS_ChannelSetAttribute);
    KIVO_BASS(BASS_ChannelGetAttribute);
    KIVO_BASS(BASS_ChannelSetPosition);
    KIVO_BASS(BASS_ChannelGetPosition);
    KIVO_BASS(BASS_ChannelFlags);
    KIVO_BASS(BASS_ChannelIsActive);
    KIVO_BASS(BASS_ChannelSlideAttribute);
    KIVO_BASS(BASS_ChannelIsSliding);
    KIVO_BASS(BASS_ChannelGetLevel);
    KIVO_BASS(BASS_ChannelSetFX);
    KIVO_BASS(BASS_ChannelRemoveFX);
    KIVO_BASS(BASS_ChannelGetLength);
    KIVO_BASS(BASS_ChannelGetData);
    KIVO_BASS(BASS_ChannelSetSync);
    KIVO_BASS(BASS_ChannelRemoveSync);
    KIVO_BASS(BASS_MusicLoad);
    KIVO_BASS(BASS_MusicFree);
    KIVO_BASS(BASS_StreamCreateFile);
    KIVO_BASS(BASS_StreamFree);
    KIVO_BASS(BASS_FXSetParameters);
    KIVO_BASS(BASS_FXGetParameters);
    KIVO_BASS(BASS_PluginLoad);
    KIVO_BASS(BASS_SampleLoad);
    KIVO_BASS(BASS_SampleFree);
    KIVO_BASS(BASS_SampleSetInfo);
    KIVO_BASS(BASS_SampleGetInfo);
    KIVO_BASS(BASS_SampleGetChannel);
    KIVO_BASS(BASS_SampleStop);
    KIVO_BASS(BASS_ErrorGetCode);
#undef KIVO_BASS
}

} // namespace platform
