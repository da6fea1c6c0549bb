#include "framework/sound/SoundFiles.h"

#include "framework/core/PakFile.h"
#include "framework/core/Paths.h"
#include "framework/sound/DSoundManager.h"
#include "framework/sound/MusicLibraries.h"
#include "platform/Paths.h"
#include "platform/audio/Decoders.h"

#include <tremor/ivorbisfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <sys/stat.h>

namespace Kivo {
namespace {

using platform::audio::PcmFormat;

constexpr DWORD kSourceBufferFlags = DSBCAPS_STATIC | DSBCAPS_LOCSOFTWARE | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN
    | DSBCAPS_CTRLVOLUME | DSBCAPS_GETCURRENTPOSITION2; // 0x80EA

uint32_t Be32(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

// The last-write time of a file as a Windows FILETIME; 0 when it cannot be read.
uint64_t LastWriteTime(const std::string& name)
{
    struct stat st {};
    if (stat(platform::DiskPath(name).c_str(), &st) != 0)
        return 0;
    constexpr uint64_t kSecondsFrom1601 = 11644473600ull;
    return (uint64_t(st.st_mtim.tv_sec) + kSecondsFrom1601) * 10000000ull + uint64_t(st.st_mtim.tv_nsec) / 100;
}

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

bool DecodeWavSound(const uint8_t* bytes, size_t size, DecodedSound& out)
{
    uint8_t key = 0;
    auto chunk = [&key](const char* id, const uint8_t* body, size_t length) {
        if (std::memcmp(id, "xor ", 4) == 0) {
            if (length >= 1)
                key = body[0];
            return true;
        }
        if (std::memcmp(id, "dep ", 4) != 0)
            return true;
        if (length < 2)
            return false;
        size_t nameLength = std::min<size_t>(body[0] | body[1] << 8, 255);
        if (length < 2 + nameLength + 8)
            return false;
        std::string name(reinterpret_cast<const char*>(body + 2), nameLength);
        const uint8_t* t = body + 2 + nameLength;
        uint64_t recorded = 0;
        for (int i = 7; i >= 0; --i)
            recorded = recorded << 8 | t[i];
        return LastWriteTime(name) == recorded;
    };
    platform::audio::WavLayout layout;
    if (!platform::audio::ParseWav(bytes, size, layout, chunk))
        return false;
    out.format = layout.format;
    out.data.assign(bytes + layout.dataOffset, bytes + layout.dataOffset + layout.dataSize);
    if (key != 0)
        for (uint8_t& b : out.data)
            b ^= key;
    return true;
}

int16_t MuLawToLinear(uint8_t code)
{
    int u = code | 0x80;
    int m;
    if (u >= 240)
        m = (255 - u) * 2;
    else if (u >= 224)
        m = (247 - u) * 4;
    else if (u >= 208)
        m = (235 - u) * 8;
    else if (u >= 192)
        m = (221 - u) * 16;
    else if (u >= 176)
        m = (206 - u) * 32;
    else if (u >= 160)
        m = 12192 - 64 * u;
    else if (u >= 144)
        m = 22368 - 128 * u;
    else if (u >= 129)
        m = 40672 - 256 * u;
    else
        m = 255;
    return int16_t(code >= 128 ? m * 4 : -(m * 4));
}

bool DecodeAuSound(const uint8_t* bytes, size_t size, DecodedSound& out)
{
    if (size < 24 || std::memcmp(bytes, ".snd", 4) != 0)
        return false;
    uint32_t offset = Be32(bytes + 4), dataSize = Be32(bytes + 8), encoding = Be32(bytes + 12);
    uint32_t rate = Be32(bytes + 16), channels = Be32(bytes + 20);
    if (offset > size || (encoding != 1 && encoding != 2) || channels < 1 || channels > 2 || rate == 0 || rate > 1000000)
        return false;
    dataSize = uint32_t(std::min<size_t>(dataSize, size - offset));
    const uint8_t* in = bytes + offset;
    out.format = { uint16_t(channels), uint16_t(encoding == 1 ? 16 : 8), rate };
    out.data.resize(size_t(dataSize) * out.format.bits / 8);
    for (uint32_t i = 0; i < dataSize; ++i) {
        if (encoding == 1) {
            uint16_t s = uint16_t(MuLawToLinear(in[i]));
            out.data[2 * i] = uint8_t(s);
            out.data[2 * i + 1] = uint8_t(s >> 8);
        } else {
            out.data[i] = in[i] ^ 0x80; // signed linear to unsigned PCM
        }
    }
    return true;
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
    PakFileHandle* file = PakFileOpen(fileName.c_str(), "rb");
    if (!file)
        return false;
    OggVorbis_File vf;
    if (ov_open_callbacks(file, &vf, nullptr, 0, ov_callbacks { OggRead, OggSeek, OggClose, OggTell }) < 0) {
        PakFileClose(file);
        return false;
    }
    vorbis_info* info = ov_info(&vf, -1);
    ogg_int64_t frames = ov_pcm_total(&vf, -1);
    PcmFormat format { uint16_t(info ? info->channels : 0), 16, uint32_t(info ? info->rate : 0) };
    bool ok = info && format.Valid() && frames > 0 && uint64_t(frames) * format.BlockAlign() <= DSBSIZE_MAX;
    ok = ok && FillSourceBuffer(manager, id, format, DWORD(frames * format.BlockAlign()), [&](uint8_t* memory) {
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
        if (FILE* fp = std::fopen(platform::DiskPath(cachePath).c_str(), "wb")) {
            std::vector<uint8_t> header;
            header.insert(header.end(), { 'R', 'I', 'F', 'F' });
            PutLe(header, size + 36, 4);
            header.insert(header.end(), { 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ' });
            PutLe(header, 16, 4);
            PutLe(header, 1, 2);
            PutLe(header, format.channels, 2);
            PutLe(header, format.rate, 4);
            PutLe(header, format.rate * format.BlockAlign(), 4);
            PutLe(header, format.BlockAlign(), 2);
            PutLe(header, format.bits, 2);
            header.insert(header.end(), { 'd', 'a', 't', 'a' });
            PutLe(header, size, 4);
            std::fwrite(header.data(), 1, header.size(), fp);
            std::fwrite(p1, 1, std::min<size_t>(len1, size), fp);
            std::fclose(fp);
        }
        fmod->FSOUND_Sample_Unlock(sample, p1, p2, len1, len2);
    }
    return sample;
}

} // namespace Kivo
