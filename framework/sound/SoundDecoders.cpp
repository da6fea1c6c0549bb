#include "framework/sound/SoundDecoders.h"

#include "platform/Paths.h"
#include "platform/audio/Decoders.h"

#include <algorithm>
#include <cstring>
#include <sys/stat.h>

namespace Kivo {
namespace {

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

} // namespace

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
    // The sound is loaded only when every byte the header names is there.
    if (offset > size || dataSize > size - offset || (encoding != 1 && encoding != 2) || channels < 1 ||
        channels > 2 || rate == 0 || rate > 1000000)
        return false;
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

} // namespace Kivo
