#include "framework/sound/SoundFiles.h"

#include "framework/sound/SoundDecoders.h"

#include "framework/core/PakFile.h"
#include "framework/core/Paths.h"
#include "framework/sound/DSoundManager.h"
#include "framework/sound/MusicLibraries.h"
#include "platform/Paths.h"
#include "platform/ReplaceFile.h"
#include "platform/audio/Decoders.h"
#include "platform/audio/VorbisSetup.h"

#include <tremor/ivorbisfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>

namespace Kivo {
namespace {

using platform::audio::PcmFormat;

constexpr DWORD kSourceBufferFlags = DSBCAPS_STATIC | DSBCAPS_LOCSOFTWARE | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN
    | DSBCAPS_CTRLVOLUME | DSBCAPS_GETCURRENTPOSITION2; // 0x80EA

// Creates the id's source buffer for `size` bytes of PCM and lets `write`
// fill the locked memory. A buffer that could not be filled is released, so
// a failed load leaves the slot empty.
bool FillSourceBuffer(DSoundManager& manager, unsigned int id, const PcmFormat& format, DWORD size,
    const std::function<bool(uint8_t* memory)>& write)
{
    manager.mSourceDataSizes[id] = size;
    WAVEFORMATEX wf {};
    wf.wFormatTag = WAVE_FORMAT_PCM;
    wf.nChannels = format.channels;
    wf.nSamplesPerSec = format.rate;
    wf.nBlockAlign = WORD(format.BlockAlign());
    wf.nAvgBytesPerSec = format.rate * format.BlockAlign();
    wf.wBitsPerSample = format.bits;
    DSBUFFERDESC desc {};
    desc.dwSize = sizeof desc;
    desc.dwFlags = kSourceBufferFlags;
    desc.dwBufferBytes = size;
    desc.lpwfxFormat = &wf;
    LPDIRECTSOUNDBUFFER buffer = nullptr;
    if (FAILED(manager.mDirectSound->CreateSoundBuffer(&desc, &buffer, nullptr)))
        return false;
    LPVOID memory = nullptr;
    DWORD locked = 0;
    bool ok = SUCCEEDED(buffer->Lock(0, size, &memory, &locked, nullptr, nullptr, 0));
    if (ok) {
        ok = write(static_cast<uint8_t*>(memory));
        ok = SUCCEEDED(buffer->Unlock(memory, locked, nullptr, 0)) && ok;
    }
    if (!ok) {
        buffer->Release();
        return false;
    }
    manager.mSourceSounds[id] = buffer;
    return true;
}

bool FillFromDecoded(DSoundManager& manager, unsigned int id, const DecodedSound& sound)
{
    return FillSourceBuffer(manager, id, sound.format, DWORD(sound.data.size()), [&](uint8_t* memory) {
        std::memcpy(memory, sound.data.data(), sound.data.size());
        return true;
    });
}

size_t OggRead(void* ptr, size_t size, size_t count, void* file)
{
    return PakFileRead(ptr, size, count, static_cast<PakFileHandle*>(file));
}

// The pak calls take 32-bit offsets: only the low half is passed on.
int OggSeek(void* file, ogg_int64_t offset, int origin)
{
    if (!file)
        return -1;
    return PakFileSeek(static_cast<PakFileHandle*>(file), static_cast<int32_t>(offset), origin);
}

int OggClose(void* file)
{
    return PakFileClose(static_cast<PakFileHandle*>(file));
}

long OggTell(void* file)
{
    return PakFileTell(static_cast<PakFileHandle*>(file));
}

// Fills memory the PCM store hands out.
using PcmWriter = std::function<bool(uint8_t* memory)>;
// Gets the format and size of the PCM and stores what the writer fills in.
using PcmStore = std::function<bool(const PcmFormat& format, DWORD size, const PcmWriter& write)>;

// Decodes an Ogg Vorbis file whole, read through the pak calls, into the
// store. Fails on a stream that does not open (a codebook Tremor cannot
// decode safely included), holds no samples, has a format the mixer cannot
// play or would exceed a sound buffer.
bool ReadOggFile(const std::string& fileName, const PcmStore& store)
{
    PakFileHandle* file = PakFileOpen(fileName.c_str(), "rb");
    if (!file)
        return false;
    const bool sound = platform::audio::VorbisCodebooksSound(
        [&](uint8_t* out, size_t size) { return PakFileRead(out, 1, size, file); });
    OggVorbis_File vf;
    if (!sound || PakFileSeek(file, 0, SEEK_SET) != 0
        || ov_open_callbacks(file, &vf, nullptr, 0, ov_callbacks { OggRead, OggSeek, OggClose, OggTell }) < 0) {
        PakFileClose(file);
        return false;
    }
    vorbis_info* info = ov_info(&vf, -1);
    ogg_int64_t frames = ov_pcm_total(&vf, -1);
    PcmFormat format { uint16_t(info ? info->channels : 0), 16, uint32_t(info ? info->rate : 0) };
    bool ok = info && format.Valid() && frames > 0 && uint64_t(frames) * format.BlockAlign() <= DSBSIZE_MAX;
    ok = ok && store(format, DWORD(frames * format.BlockAlign()), [&](uint8_t* memory) {
        long remaining = long(frames * format.BlockAlign());
        int bitstream = 0;
        while (remaining > 0) {
            long got = ov_read(&vf, reinterpret_cast<char*>(memory), int(std::min<long>(remaining, 1 << 30)), &bitstream);
            if (got < 1)
                break;
            memory += got;
            remaining -= got;
        }
        return remaining == 0;
    });
    ov_clear(&vf);
    return ok;
}

// Channels and bits of an FMOD sample mode.
PcmFormat FModFormat(unsigned mode, int frequency)
{
    return { uint16_t(mode & FSOUND_MONO ? 1 : 2), uint16_t(mode & FSOUND_8BITS ? 8 : 16), uint32_t(frequency) };
}

void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(uint8_t(value >> (8 * i)));
}

} // namespace

bool ReadPakFile(const std::string& name, std::vector<uint8_t>& out)
{
    out.clear();
    PakFileHandle* file = PakFileOpen(name.c_str(), "rb");
    if (!file)
        return false;
    PakFileSeek(file, 0, SEEK_END);
    int32_t size = PakFileTell(file);
    PakFileSeek(file, 0, SEEK_SET);
    bool ok = size >= 0;
    if (ok) {
        out.resize(size_t(size));
        ok = PakFileRead(out.data(), 1, out.size(), file) == out.size();
    }
    PakFileClose(file);
    return ok;
}

bool LoadWavSound(DSoundManager& manager, unsigned int id, const std::string& fileName)
{
    std::vector<uint8_t> bytes;
    DecodedSound sound;
    return ReadPakFile(fileName, bytes) && DecodeWavSound(bytes.data(), bytes.size(), sound)
        && FillFromDecoded(manager, id, sound);
}

bool LoadAuSound(DSoundManager& manager, unsigned int id, const std::string& fileName)
{
    std::vector<uint8_t> bytes;
    DecodedSound sound;
    return ReadPakFile(fileName, bytes) && DecodeAuSound(bytes.data(), bytes.size(), sound)
        && FillFromDecoded(manager, id, sound);
}

bool LoadOggSound(DSoundManager& manager, unsigned int id, const std::string& fileName)
{
    return ReadOggFile(fileName, [&](const PcmFormat& format, DWORD size, const PcmWriter& write) {
        return FillSourceBuffer(manager, id, format, size, write);
    });
}

bool LoadFModSound(DSoundManager& manager, unsigned int id, const std::string& fileName)
{
    FMOD_INSTANCE* fmod = GetFModInstance();
    if (!fmod)
        return false;
    FSOUND_SAMPLE* sample = fmod->FSOUND_Sample_Load(-1, fileName.c_str(), 0, 0);
    if (!sample)
        return false;
    unsigned mode = fmod->FSOUND_Sample_GetMode(sample);
    int frequency = 0;
    fmod->FSOUND_Sample_GetDefaults(sample, &frequency, nullptr, nullptr, nullptr);
    PcmFormat format = FModFormat(mode, frequency);
    DWORD size = fmod->FSOUND_Sample_GetLength(sample) * format.BlockAlign();
    // The copy may fail and the sound still counts as loaded, as the library
    // gives no other way to tell a short sample.
    bool ok = FillSourceBuffer(manager, id, format, size, [&](uint8_t* memory) {
        void *p1 = nullptr, *p2 = nullptr;
        unsigned len1 = 0, len2 = 0;
        if (fmod->FSOUND_Sample_Lock(sample, 0, int(size), &p1, &p2, &len1, &len2)) {
            std::memcpy(memory, p1, std::min<size_t>(len1, size));
            fmod->FSOUND_Sample_Unlock(sample, p1, p2, len1, len2);
        }
        return true;
    });
    fmod->FSOUND_Sample_Free(sample);
    return ok;
}

bool LoadSoundFile(DSoundManager& manager, unsigned int id, const std::string& name)
{
    return LoadWavSound(manager, id, name + ".wav") || (manager.mUseFMod && LoadFModSound(manager, id, name + ".mp3"))
        || LoadOggSound(manager, id, name + ".ogg") || LoadAuSound(manager, id, name + ".au");
}

bool DecodeSoundFile(const std::string& name, DecodedSound& out)
{
    std::vector<uint8_t> bytes;
    const auto store = [&](const PcmFormat& format, DWORD size, const PcmWriter& write) {
        out.format = format;
        out.data.resize(size);
        return write(out.data.data());
    };
    return (ReadPakFile(name + ".wav", bytes) && DecodeWavSound(bytes.data(), bytes.size(), out))
        || ReadOggFile(name + ".ogg", store)
        || (ReadPakFile(name + ".au", bytes) && DecodeAuSound(bytes.data(), bytes.size(), out));
}

FSOUND_SAMPLE* WriteCachedWav(const std::string& name)
{
    FMOD_INSTANCE* fmod = GetFModInstance();
    if (!fmod)
        return nullptr;
    std::string cachePath = GetAppDataFolder() + "cached\\" + GetFileName(name, true) + ".wav";
    MakeDirectories(GetFileDir(cachePath));
    if (FSOUND_SAMPLE* cached = fmod->FSOUND_Sample_Load(-1, cachePath.c_str(), 0, 0))
        return cached;
    FSOUND_SAMPLE* sample = fmod->FSOUND_Sample_Load(-1, (name + ".ogg").c_str(), 0, 0);
    if (!sample)
        return nullptr;
    unsigned mode = fmod->FSOUND_Sample_GetMode(sample);
    int frequency = 0;
    fmod->FSOUND_Sample_GetDefaults(sample, &frequency, nullptr, nullptr, nullptr);
    PcmFormat format = FModFormat(mode, frequency);
    uint32_t size = fmod->FSOUND_Sample_GetLength(sample) * format.BlockAlign();
    void *p1 = nullptr, *p2 = nullptr;
    unsigned len1 = 0, len2 = 0;
    if (fmod->FSOUND_Sample_Lock(sample, 0, int(size), &p1, &p2, &len1, &len2)) {
        std::vector<uint8_t> file;
        file.insert(file.end(), { 'R', 'I', 'F', 'F' });
        PutLe(file, size + 36, 4);
        file.insert(file.end(), { 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ' });
        PutLe(file, 16, 4);
        PutLe(file, 1, 2);
        PutLe(file, format.channels, 2);
        PutLe(file, format.rate, 4);
        PutLe(file, format.rate * format.BlockAlign(), 4);
        PutLe(file, format.BlockAlign(), 2);
        PutLe(file, format.bits, 2);
        file.insert(file.end(), { 'd', 'a', 't', 'a' });
        PutLe(file, size, 4);
        const uint8_t* pcm = static_cast<const uint8_t*>(p1);
        file.insert(file.end(), pcm, pcm + std::min<size_t>(len1, size));
        // Whole or not at all: a cut cache file would be loaded as a cut
        // sound at every later start. Said once, not for every sound.
        static bool told = false;
        std::string error;
        if (!platform::ReplaceFile(platform::DiskPath(cachePath), file.data(), file.size(), &error) && !told) {
            told = true;
            std::fprintf(stderr, "Sound cache not written: %s\n", error.c_str());
        }
        fmod->FSOUND_Sample_Unlock(sample, p1, p2, len1, len2);
    }
    return sample;
}

} // namespace Kivo
