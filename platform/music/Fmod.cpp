#include "platform/music/Fmod.h"

#include "platform/Backend.h"
#include "platform/audio/Decoders.h"
#include "platform/music/MusicFiles.h"
#include "platform/win32/Modules.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>

using namespace platform::audio;

struct FSOUND_SAMPLE {
    std::shared_ptr<PcmData> pcm;
    unsigned mode = FSOUND_LOOP_OFF;
    int volume = 255, pan = 128, priority = 0;
    uint32_t loopStart = 0, loopLength = 0;
};

struct FSOUND_STREAM {
    std::shared_ptr<PcmData> pcm;
};

namespace {

// A voice with the mixer it lives on, which must outlive it.
struct Playing {
    std::shared_ptr<Mixer> mixer;
    std::unique_ptr<Voice> voice;
    bool paused = false;
};

} // namespace

struct FMUSIC_MODULE {
    RenderedModule song;
    Playing playing;
    bool looping = true;
    int volume = 256;
};

namespace {

struct State {
    std::recursive_mutex mutex;
    std::shared_ptr<Mixer> mixer;
    std::map<int, Playing> channels;
    // Songs cannot be freed through the library's calls, and samples need
    // not be: both live here until freed or until the process ends.
    std::vector<std::unique_ptr<FMUSIC_MODULE>> songs;
    std::map<FSOUND_SAMPLE*, std::unique_ptr<FSOUND_SAMPLE>> samples;

    FSOUND_SAMPLE* Keep(std::unique_ptr<FSOUND_SAMPLE> sample)
    {
        FSOUND_SAMPLE* p = sample.get();
        samples[p] = std::move(sample);
        return p;
    }

    // A mixer on the current backend's device; a new one when the backend
    // changed (voices on the old one go silent).
    Mixer& GetMixer()
    {
        platform::AudioDevice& device = platform::CurrentBackend().GetAudio();
        if (!mixer || mixer->Device() != &device)
            mixer = std::make_shared<Mixer>(&device);
        return *mixer;
    }

    bool Start(Playing& p, std::shared_ptr<PcmData> pcm)
    {
        Mixer& m = GetMixer();
        p.voice.reset();
        p.mixer = mixer;
        p.voice = m.CreateVoice(std::move(pcm));
        p.paused = false;
        return p.voice != nullptr;
    }
};

// Never destroyed: at exit the backend's audio device may already be gone.
State& S()
{
    static State* state = new State;
    return *state;
}

using Lock = std::lock_guard<std::recursive_mutex>;

std::shared_ptr<PcmData> DecodeFile(const char* name)
{
    std::vector<uint8_t> bytes;
    if (!platform::music::ReadSource(false, name, 0, 0, bytes))
        return nullptr;
    return DecodeStream(bytes.data(), bytes.size());
}

Voice* ChannelVoice(State& s, int channel)
{
    auto it = s.channels.find(channel);
    return it == s.channels.end() || !it->second.voice ? nullptr : it->second.voice.get();
}

int PlayOn(int channel, std::shared_ptr<PcmData> pcm, const FSOUND_SAMPLE* sample)
{
    State& s = S();
    Lock lock(s.mutex);
    if (channel == FSOUND_FREE) {
        channel = 0;
        while (ChannelVoice(s, channel) && s.channels[channel].voice->IsPlaying())
            ++channel;
    }
    if (channel < 0 || !s.Start(s.channels[channel], std::move(pcm)))
        return -1;
    Voice& v = *s.channels[channel].voice;
    if (sample) {
        v.SetLoop(sample->loopStart, sample->loopLength);
        v.SetVolume(GainToVolume(sample->volume / 255.0));
    }
    v.Play(sample && (sample->mode & FSOUND_LOOP_NORMAL));
    return channel;
}

uint32_t ModeOf(const PcmFormat& f)
{
    return (f.bits == 8 ? FSOUND_8BITS : FSOUND_16BITS) | (f.channels == 1 ? FSOUND_MONO : FSOUND_STEREO);
}

} // namespace

signed char FSOUND_SetBufferSize(int lengthMs)
{
    return lengthMs > 0;
}

signed char FSOUND_SetHWND(void*)
{
    return 1;
}

signed char FSOUND_Init(int mixRate, int maxChannels, unsigned int)
{
    if (mixRate <= 0 || maxChannels <= 0)
        return 0;
    State& s = S();
    Lock lock(s.mutex);
    s.GetMixer();
    return 1;
}

void FSOUND_Close()
{
    State& s = S();
    Lock lock(s.mutex);
    s.channels.clear();
}

FSOUND_SAMPLE* FSOUND_Sample_Load(int, const char* name, unsigned int, int)
{
    std::shared_ptr<PcmData> pcm = DecodeFile(name);
    if (!pcm)
        return nullptr;
    auto sample = std::make_unique<FSOUND_SAMPLE>();
    sample->mode = ModeOf(pcm->format) | FSOUND_LOOP_OFF;
    sample->pcm = std::move(pcm);
    State& s = S();
    Lock lock(s.mutex);
    return s.Keep(std::move(sample));
}

FSOUND_SAMPLE* FSOUND_Sample_Alloc(int, int length, unsigned int mode, int defFreq, int defVol, int defPan, int defPri)
{
    auto pcm = std::make_shared<PcmData>();
    pcm->format = { uint16_t(mode & FSOUND_STEREO ? 2 : 1), uint16_t(mode & FSOUND_8BITS ? 8 : 16), uint32_t(defFreq) };
    if (length <= 0 || defFreq <= 0 || uint64_t(length) * pcm->format.BlockAlign() > (uint64_t(1) << 28))
        return nullptr;
    pcm->bytes.assign(size_t(length) * pcm->format.BlockAlign(), pcm->format.bits == 8 ? 0x80 : 0);
    auto sample = std::make_unique<FSOUND_SAMPLE>();
    sample->pcm = std::move(pcm);
    sample->mode = mode;
    sample->volume = std::clamp(defVol, 0, 255);
    sample->pan = std::clamp(defPan, 0, 255);
    sample->priority = defPri;
    State& s = S();
    Lock lock(s.mutex);
    return s.Keep(std::move(sample));
}

void FSOUND_Sample_Free(FSOUND_SAMPLE* sample)
{
    State& s = S();
    Lock lock(s.mutex);
    s.samples.erase(sample);
}

signed char FSOUND_Sample_Lock(FSOUND_SAMPLE* sample, int offset, int length, void** ptr1, void** ptr2, unsigned int* len1, unsigned int* len2)
{
    if (!sample || !ptr1 || !len1 || offset < 0 || length <= 0
        || uint64_t(offset) + uint64_t(length) > sample->pcm->bytes.size())
        return 0;
    *ptr1 = sample->pcm->bytes.data() + offset;
    *len1 = unsigned(length);
    if (ptr2)
        *ptr2 = nullptr;
    if (len2)
        *len2 = 0;
    return 1;
}

signed char FSOUND_Sample_Unlock(FSOUND_SAMPLE* sample, void*, void*, unsigned int, unsigned int)
{
    return sample != nullptr;
}

signed char FSOUND_Sample_SetLoopPoints(FSOUND_SAMPLE* sample, int loopStart, int loopLength)
{
    if (!sample || loopStart < 0 || loopLength < 0 || uint32_t(loopStart) >= sample->pcm->Frames())
        return 0;
    sample->loopStart = uint32_t(loopStart);
    sample->loopLength = uint32_t(loopLength);
    return 1;
}

unsigned int FSOUND_Sample_GetLength(FSOUND_SAMPLE* sample)
{
    return sample ? sample->pcm->Frames() : 0;
}

signed char FSOUND_Sample_GetDefaults(FSOUND_SAMPLE* sample, int* freq, int* vol, int* pan, int* pri)
{
    if (!sample)
        return 0;
    if (freq)
        *freq = int(sample->pcm->format.rate);
    if (vol)
        *vol = sample->volume;
    if (pan)
        *pan = sample->pan;
    if (pri)
        *pri = sample->priority;
    return 1;
}

unsigned int FSOUND_Sample_GetMode(FSOUND_SAMPLE* sample)
{
    return sample ? sample->mode : 0;
}

int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sample)
{
    return sample ? PlayOn(channel, sample->pcm, sample) : -1;
}

signed char FSOUND_StopSound(int channel)
{
    State& s = S();
    Lock lock(s.mutex);
    Voice* v = ChannelVoice(s, channel);
    if (!v)
        return 0;
    v->Stop();
    s.channels[channel].paused = false;
    return 1;
}

signed char FSOUND_SetVolume(int channel, int volume)
{
    State& s = S();
    Lock lock(s.mutex);
    Voice* v = ChannelVoice(s, channel);
    if (!v)
        return 0;
    v->SetVolume(GainToVolume(std::clamp(volume, 0, 255) / 255.0));
    return 1;
}

signed char FSOUND_SetPaused(int channel, signed char paused)
{
    State& s = S();
    Lock lock(s.mutex);
    Voice* v = ChannelVoice(s, channel);
    if (!v)
        return 0;
    Playing& p = s.channels[channel];
    if (paused && v->IsPlaying()) {
        v->Stop();
        p.paused = true;
    } else if (!paused && p.paused) {
        v->Play(v->IsLooping());
        p.paused = false;
    }
    return 1;
}

signed char FSOUND_SetLoopMode(int channel, unsigned int loopMode)
{
    State& s = S();
    Lock lock(s.mutex);
    Voice* v = ChannelVoice(s, channel);
    if (!v)
        return 0;
    v->SetLooping(loopMode & FSOUND_LOOP_NORMAL);
    return 1;
}

signed char FSOUND_IsPlaying(int channel)
{
    State& s = S();
    Lock lock(s.mutex);
    Voice* v = ChannelVoice(s, channel);
    return v && v->IsPlaying();
}

FSOUND_STREAM* FSOUND_Stream_OpenFile(const char* name, unsigned int, int)
{
    std::vector<uint8_t> bytes;
    std::shared_ptr<PcmData> pcm =
        platform::music::ReadSource(false, name, 0, 0, bytes) ? OpenStream(std::move(bytes)) : nullptr;
    return pcm ? new FSOUND_STREAM { std::move(pcm) } : nullptr;
}

signed char FSOUND_Stream_Close(FSOUND_STREAM* stream)
{
    delete stream;
    return stream != nullptr;
}

int FSOUND_Stream_Play(int channel, FSOUND_STREAM* stream)
{
    return stream ? PlayOn(channel, stream->pcm, nullptr) : -1;
}

FMUSIC_MODULE* FMUSIC_LoadSong(const char* name)
{
    std::vector<uint8_t> bytes;
    if (!platform::music::ReadSource(false, name, 0, 0, bytes))
        return nullptr;
    auto module = std::make_unique<FMUSIC_MODULE>();
    if (!DecodeModule(bytes.data(), bytes.size(), module->song))
        return nullptr;
    State& s = S();
    Lock lock(s.mutex);
    s.songs.push_back(std::move(module));
    return s.songs.back().get();
}

signed char FMUSIC_PlaySong(FMUSIC_MODULE* module)
{
    if (!module)
        return 0;
    State& s = S();
    Lock lock(s.mutex);
    if (!s.Start(module->playing, module->song.pcm))
        return 0;
    module->playing.voice->SetVolume(GainToVolume(module->volume / 256.0));
    module->playing.voice->Play(module->looping);
    return 1;
}

signed char FMUSIC_StopSong(FMUSIC_MODULE* module)
{
    if (!module || !module->playing.voice)
        return 0;
    module->playing.voice->Stop();
    module->playing.voice->SetPosition(0);
    module->playing.paused = false;
    return 1;
}

signed char FMUSIC_SetLooping(FMUSIC_MODULE* module, signed char looping)
{
    if (!module)
        return 0;
    module->looping = looping != 0 && unsigned(looping) != FSOUND_LOOP_OFF;
    if (module->playing.voice)
        module->playing.voice->SetLooping(module->looping);
    return 1;
}

signed char FMUSIC_SetOrder(FMUSIC_MODULE* module, int order)
{
    if (!module || order < 0 || size_t(order) >= module->song.orderFrames.size())
        return 0;
    if (module->playing.voice)
        module->playing.voice->SetPosition(module->song.orderFrames[size_t(order)] * module->song.pcm->format.BlockAlign());
    return 1;
}

signed char FMUSIC_SetPaused(FMUSIC_MODULE* module, signed char paused)
{
    if (!module || !module->playing.voice)
        return 0;
    Playing& p = module->playing;
    if (paused && p.voice->IsPlaying()) {
        p.voice->Stop();
        p.paused = true;
    } else if (!paused && p.paused) {
        p.voice->Play(module->looping);
        p.paused = false;
    }
    return 1;
}

signed char FMUSIC_SetMasterVolume(FMUSIC_MODULE* module, int volume)
{
    if (!module || volume < 0 || volume > 256)
        return 0;
    module->volume = volume;
    if (module->playing.voice)
        module->playing.voice->SetVolume(GainToVolume(volume / 256.0));
    return 1;
}

signed char FMUSIC_IsPlaying(FMUSIC_MODULE* module)
{
    return module && module->playing.voice && module->playing.voice->IsPlaying();
}

namespace platform {

void RegisterFmodLibrary()
{
#define KIVO_FMOD(name, bytes) RegisterModuleFunction("fmod.dll", "_" #name "@" #bytes, &name)
    KIVO_FMOD(FSOUND_SetBufferSize, 4);
    KIVO_FMOD(FSOUND_SetHWND, 4);
    KIVO_FMOD(FSOUND_Init, 12);
    KIVO_FMOD(FSOUND_Close, 0);
    KIVO_FMOD(FSOUND_Sample_Load, 16);
    KIVO_FMOD(FSOUND_Sample_Alloc, 28);
    KIVO_FMOD(FSOUND_Sample_Free, 4);
    KIVO_FMOD(FSOUND_Sample_Lock, 28);
    KIVO_FMOD(FSOUND_Sample_Unlock, 20);
    KIVO_FMOD(FSOUND_Sample_SetLoopPoints, 12);
    KIVO_FMOD(FSOUND_Sample_GetLength, 4);
    KIVO_FMOD(FSOUND_Sample_GetDefaults, 20);
    KIVO_FMOD(FSOUND_Sample_GetMode, 4);
    KIVO_FMOD(FSOUND_PlaySound, 8);
    KIVO_FMOD(FSOUND_StopSound, 4);
    KIVO_FMOD(FSOUND_SetVolume, 8);
    KIVO_FMOD(FSOUND_SetPaused, 8);
    KIVO_FMOD(FSOUND_SetLoopMode, 8);
    KIVO_FMOD(FSOUND_IsPlaying, 4);
    KIVO_FMOD(FSOUND_Stream_OpenFile, 12);
    KIVO_FMOD(FSOUND_Stream_Close, 4);
    KIVO_FMOD(FSOUND_Stream_Play, 8);
    KIVO_FMOD(FMUSIC_LoadSong, 4);
    KIVO_FMOD(FMUSIC_PlaySong, 4);
    KIVO_FMOD(FMUSIC_StopSong, 4);
    KIVO_FMOD(FMUSIC_SetLooping, 8);
    KIVO_FMOD(FMUSIC_SetOrder, 8);
    KIVO_FMOD(FMUSIC_SetPaused, 8);
    KIVO_FMOD(FMUSIC_SetMasterVolume, 8);
    KIVO_FMOD(FMUSIC_IsPlaying, 4);
#undef KIVO_FMOD
}

} // namespace platform
