#include "platform/audio/VorbisSetup.h"

#include <ogg/ogg.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

namespace platform::audio {
namespace {

constexpr long kBookSync = 0x564342;
// The whole code space of lengths up to 32 bits, in units of a 32-bit code.
constexpr uint64_t kWholeCode = uint64_t(1) << 32;
constexpr long kChunk = 8192;
// More logical streams than a sound file ever holds; each costs a framing state.
constexpr size_t kMaxStreams = 64;

int ILog(long v)
{
    int n = 0;
    for (; v > 0; v >>= 1)
        ++n;
    return n;
}

// The largest v whose dim-th power is at most `entries` (dim at least 1).
long LookupValues(long entries, long dim)
{
    auto fits = [&](long v) {
        long power = 1;
        for (long i = 0; i < dim; ++i)
            if ((power *= v) > entries)
                return false;
        return true;
    };
    long v = long(std::floor(std::pow(double(entries), 1.0 / double(dim))));
    while (fits(v + 1))
        ++v;
    while (v > 0 && !fits(v))
        --v;
    return v;
}

bool Skip(oggpack_buffer& b, uint64_t bits)
{
    const uint64_t left = uint64_t(b.storage) * 8 - uint64_t(oggpack_bits(&b));
    if (bits > left)
        return false;
    while (bits > 0) {
        const uint64_t step = std::min<uint64_t>(bits, uint64_t(1) << 24);
        oggpack_adv(&b, int(step));
        bits -= step;
    }
    return true;
}

// One codebook: its lengths, then its lookup table, which is only passed over.
bool BookSound(oggpack_buffer& b)
{
    if (oggpack_read(&b, 24) != kBookSync)
        return false;
    const long dim = oggpack_read(&b, 16);
    const long entries = oggpack_read(&b, 24);
    const long ordered = oggpack_read(&b, 1);
    if (dim < 0 || entries < 0 || ordered < 0)
        return false;
    uint64_t filled = 0; // the code space taken, of kWholeCode
    long used = 0;
    auto use = [&](long length, long count) {
        filled += uint64_t(count) << (32 - length);
        used += count;
        return filled <= kWholeCode;
    };
    if (ordered == 0) {
        const long sparse = oggpack_read(&b, 1);
        if (sparse < 0)
            return false;
        for (long i = 0; i < entries; ++i) {
            const long present = sparse ? oggpack_read(&b, 1) : 1;
            if (present < 0)
                return false;
            if (present == 0)
                continue;
            const long length = oggpack_read(&b, 5);
            if (length < 0 || !use(length + 1, 1))
                return false;
        }
    } else {
        long length = oggpack_read(&b, 5) + 1;
        if (length < 1)
            return false;
        for (long i = 0; i < entries; ++length) {
            const long count = oggpack_read(&b, ILog(entries - i));
            if (count < 0 || count > entries - i || (count > 0 && (length > 32 || !use(length, count))))
                return false;
            i += count;
        }
    }
    if (used > 1 && filled != kWholeCode)
        return false;

    const long lookup = oggpack_read(&b, 4);
    if (lookup == 0)
        return true;
    if (lookup != 1 && lookup != 2)
        return false;
    oggpack_read(&b, 32); // minimum
    oggpack_read(&b, 32); // step
    const long bits = oggpack_read(&b, 4) + 1;
    if (oggpack_read(&b, 1) < 0 || bits < 1 || (lookup == 1 && dim == 0))
        return false;
    const uint64_t values = lookup == 1 ? uint64_t(LookupValues(entries, dim)) : uint64_t(entries) * uint64_t(dim);
    return Skip(b, values * uint64_t(bits));
}

// A setup header ("\x05vorbis" already seen): its codebooks, the rest unread.
bool SetupSound(ogg_packet& packet)
{
    oggpack_buffer b;
    oggpack_readinit(&b, packet.packet, int(packet.bytes));
    oggpack_adv(&b, 7 * 8);
    const long books = oggpack_read(&b, 8) + 1;
    if (books < 1)
        return false;
    for (long i = 0; i < books; ++i)
        if (!BookSound(b))
            return false;
    return true;
}

} // namespace

bool VorbisCodebooksSound(const ByteReader& read)
{
    ogg_sync_state sync;
    ogg_sync_init(&sync);
    // Every logical stream is framed on its own, as interleaved streams are,
    // and each stream of a chain brings its own setup header.
    struct Stream {
        ogg_stream_state state;
        int headers = 0; // of the three, in order: identification, comment, setup
    };
    std::map<int, Stream> streams;
    bool sound = true;
    while (sound) {
        ogg_page page;
        const int found = ogg_sync_pageout(&sync, &page);
        if (found < 0)
            continue;
        if (found == 0) {
            char* buffer = ogg_sync_buffer(&sync, kChunk);
            const size_t got = buffer ? read(reinterpret_cast<uint8_t*>(buffer), size_t(kChunk)) : 0;
            if (got == 0)
                break;
            ogg_sync_wrote(&sync, long(got));
            continue;
        }
        const int serial = ogg_page_serialno(&page);
        auto stream = streams.find(serial);
        if (stream == streams.end()) {
            if (streams.size() == kMaxStreams) {
                sound = false;
                break;
            }
            stream = streams.emplace(serial, Stream {}).first;
            ogg_stream_init(&stream->second.state, serial);
        }
        ogg_stream_pagein(&stream->second.state, &page);
        ogg_packet packet;
        for (int out; sound && (out = ogg_stream_packetout(&stream->second.state, &packet)) != 0;) {
            int& headers = stream->second.headers;
            if (out < 0 || headers == 3)
                continue;
            static const char* const kHeaders[3] = {"\x01vorbis", "\x03vorbis", "\x05vorbis"};
            sound = packet.bytes >= 7 && std::memcmp(packet.packet, kHeaders[headers], 7) == 0;
            if (sound && ++headers == 3)
                sound = SetupSound(packet);
        }
    }
    bool whole = !streams.empty();
    for (auto& [serial, stream] : streams) {
        whole = whole && stream.headers == 3;
        ogg_stream_clear(&stream.state);
    }
    ogg_sync_clear(&sync);
    return sound && whole;
}

} // namespace platform::audio
