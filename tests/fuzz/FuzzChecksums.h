#pragma once
// Mutated input with its checksums made right again: the CRC of every
// complete PNG chunk and of every complete Ogg page is recomputed over what
// it covers, so that a target reaches the decoding behind the checks instead
// of stopping at them.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace fuzz {

// CRC-32 of PNG chunks (zlib's): reflected, from all ones, inverted.
inline uint32_t PngCrc(const uint8_t* p, size_t n)
{
    uint32_t c = 0xFFFFFFFFu;
    while (n--) {
        c ^= *p++;
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
    }
    return ~c;
}

// CRC-32 of Ogg pages: most significant bit first, from zero, not inverted.
inline uint32_t OggCrc(const uint8_t* p, size_t n)
{
    uint32_t c = 0;
    while (n--) {
        c ^= uint32_t(*p++) << 24;
        for (int k = 0; k < 8; ++k)
            c = (c << 1) ^ (0x04C11DB7u & (0u - (c >> 31)));
    }
    return c;
}

// After the 8-byte signature: chunks of a big-endian length, a 4-byte type,
// the data and the CRC of type and data, big-endian.
inline std::vector<uint8_t> WithPngCrcs(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> out(data, data + size);
    for (size_t pos = 8; pos + 12 <= size;) {
        uint8_t* chunk = out.data() + pos;
        const size_t length = size_t(chunk[0]) << 24 | size_t(chunk[1]) << 16 | size_t(chunk[2]) << 8 | chunk[3];
        if (length > size - pos - 12)
            break;
        const uint32_t crc = PngCrc(chunk + 4, length + 4);
        for (int i = 0; i < 4; ++i)
            chunk[8 + length + i] = uint8_t(crc >> (24 - 8 * i));
        pos += 12 + length;
    }
    return out;
}

// Pages start at "OggS" (a reader looks for the next one after bytes that
// are not a page): a 27-byte header whose last byte counts the segments, the
// segment sizes, then the body. The CRC, little-endian at byte 22, covers the
// whole page with the CRC field zero.
inline std::vector<uint8_t> WithOggCrcs(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> out(data, data + size);
    for (size_t pos = 0; pos + 27 <= size;) {
        uint8_t* page = out.data() + pos;
        if (std::memcmp(page, "OggS", 4) != 0) {
            ++pos;
            continue;
        }
        const size_t segments = page[26];
        if (27 + segments > size - pos)
            break;
        size_t length = 27 + segments;
        for (size_t i = 0; i < segments; ++i)
            length += page[27 + i];
        if (length > size - pos)
            break;
        std::memset(page + 22, 0, 4);
        const uint32_t crc = OggCrc(page, length);
        for (int i = 0; i < 4; ++i)
            page[22 + i] = uint8_t(crc >> (8 * i));
        pos += length;
    }
    return out;
}

} // namespace fuzz
