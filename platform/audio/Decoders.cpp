#include "platform/audio/Decoders.h"

#include "platform/audio/VorbisSetup.h"

#include <tremor/ivorbisfile.h>
#include <libopenmpt/libopenmpt.h>
#include <mpg123.h>

#include <algorithm>
#include <cstring>

namespace platform::audio {
namespace {

// Decoded streams larger than this are refused rather than exhausting memory.
constexpr size_t kMaxDecodedBytes = size_t(256) << 20;
constexpr uint32_t kMaxModuleFrames = 10 * 60 * AudioDevice::kRate;

uint32_t Le32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint16_t Le16(const uint8_t* p)
{
    return uint16_t(p[0] | p[1] << 8);
}

struct MemoryFile {
    const uint8_t* bytes;
    size_t size;
    size_t pos = 0;
};

size_t MemRead(void* out, size_t size, size_t count, void* source)
{
    auto* f = static_cast<MemoryFile*>(source);
    if (size == 0)
        return 0;
    size_t n = std::min(count, (f->size - f->pos) / size);
    std::memcpy(out, f->bytes + f->pos, n * size);
    f->pos += n * size;
    return n;
}

int MemSeek(void* source, ogg_int64_t offset, int whence)
{
    auto* f = static_cast<MemoryFile*>(source);
    ogg_int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? ogg_int64_t(f->pos) : ogg_int64_t(f->size);
    ogg_int64_t to = base + offset;
    if (to < 0 || to > ogg_int64_t(f->size))
        return -1;
    f->pos = size_t(to);
    return 0;
}

long MemTell(void* source)
{
    return long(static_cast<MemoryFile*>(source)->pos);
}

} // namespace

bool ParseWav(const uint8_t* bytes, size_t size, WavLayout& out, const WavChunkHook& hook)
{
    out = WavLayout {};
    if (size < 12 || std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "WAVE", 4) != 0)
        return false;
    size_t pos = 12;
    while (pos < size) {
        if (size - pos < 8)
            return false;
        const char* id = reinterpret_cast<const char*>(bytes + pos);
        uint64_t chunkSize = Le32(bytes + pos + 4);
        const size_t body = pos + 8;
        const size_t held = size_t(std::min<uint64_t>(chunkSize, size - body));
        if (std::memcmp(id, "data", 4) == 0) {
            // A sound cut short is not loaded: every byte the chunk names
            // must be there.
            if (held != chunkSize)
                return false;
            out.dataOffset = body;
            out.dataSize = held;
            return true;
        }
        if (std::memcmp(id, "fmt ", 4) == 0) {
            if (held < 16 || Le16(bytes + body) != 1)
                return false;
            out.format.channels = Le16(bytes + body + 2);
            out.format.rate = Le32(bytes + body + 4);
            out.format.bits = Le16(bytes + body + 14);
            if (!out.format.Valid() || out.format.rate > 1000000)
                return false;
        } else if (hook && !hook(id, bytes + body, held)) {
            return false;
        }
        if (body + chunkSize >= size)
            return false;
        pos = size_t(body + chunkSize);
    }
    return false;
}

std::shared_ptr<PcmData> DecodeWav(const uint8_t* bytes, size_t size)
{
    WavLayout layout;
    if (!ParseWav(bytes, size, layout))
        return nullptr;
    auto pcm = std::make_shared<PcmData>();
    pcm->format = layout.format;
    size_t whole = layout.dataSize / layout.format.BlockAlign() * layout.format.BlockAlign();
    pcm->bytes.assign(bytes + layout.dataOffset, bytes + layout.dataOffset + whole);
    return pcm;
}

namespace {

constexpr size_t kOggChunk = 8192;

// An open Ogg Vorbis stream over bytes it owns (or borrows, for a decoding
// done before the bytes go away).
class OggStream final : public PcmStream {
public:
    OggStream(std::vector<uint8_t> owned, const uint8_t* bytes, size_t size)
        : owned_(std::move(owned)), file_ { owned_.empty() ? bytes : owned_.data(), owned_.empty() ? size : owned_.size() }
    {
        MemoryFile check = file_;
        const bool sound = VorbisCodebooksSound([&](uint8_t* out, size_t size) { return MemRead(out, 1, size, &check); });
        ov_callbacks callbacks { MemRead, MemSeek, nullptr, MemTell };
        open_ = sound && ov_open_callbacks(&file_, &vf_, nullptr, 0, callbacks) >= 0;
    }
    ~OggStream() override { Close(); }
    OggStream(const OggStream&) = delete;
    OggStream& operator=(const OggStream&) = delete;

    // The format, or false for one the mixer cannot play.
    bool Format(PcmFormat& format)
    {
        vorbis_info* info = open_ ? ov_info(&vf_, -1) : nullptr;
        if (!info || info->channels < 1 || info->channels > 2 || info->rate <= 0)
            return false;
        format = { uint16_t(info->channels), 16, uint32_t(info->rate) };
        return true;
    }
    // Frames in the whole stream, 0 when unknown.
    uint64_t Length()
    {
        const ogg_int64_t n = open_ ? ov_pcm_total(&vf_, -1) : 0;
        return n > 0 ? uint64_t(n) : 0;
    }
    bool Next(std::vector<uint8_t>& out) override
    {
        char chunk[kOggChunk];
        int bitstream = 0;
        while (open_) {
            const long got = ov_read(&vf_, chunk, sizeof chunk, &bitstream);
            if (got > 0) {
                out.insert(out.end(), chunk, chunk + got);
                return true;
            }
            // A hole in the stream: decoding goes on after it, unless
            // nothing but holes follow.
            if (got == 0 || ++holes_ > 64)
                Close();
        }
        return false;
    }

private:
    void Close()
    {
        if (open_)
            ov_clear(&vf_);
        open_ = false;
    }

    std::vector<uint8_t> owned_;
    MemoryFile file_;
    OggVorbis_File vf_ {};
    bool open_ = false;
    int holes_ = 0;
};

} // namespace

std::shared_ptr<PcmData> DecodeOgg(const uint8_t* bytes, size_t size)
{
    OggStream stream({}, bytes, size);
    auto pcm = std::make_shared<PcmData>();
    if (!stream.Format(pcm->format))
        return nullptr;
    while (pcm->bytes.size() <= kMaxDecodedBytes && stream.Next(pcm->bytes)) {
    }
    if (pcm->bytes.size() > kMaxDecodedBytes || pcm->bytes.empty())
        return nullptr;
    pcm->bytes.resize(pcm->bytes.size() / pcm->format.BlockAlign() * pcm->format.BlockAlign());
    return pcm;
}

namespace {

// The bytes are `owned` when it is not empty, else the borrowed `bytes`.
std::shared_ptr<PcmData> OpenStream(std::vector<uint8_t> owned, const uint8_t* bytes, size_t size)
{
    if (!owned.empty())
        bytes = owned.data(), size = owned.size();
    if (size < 4 || std::memcmp(bytes, "OggS", 4) != 0)
        return DecodeStream(bytes, size);
    auto stream = std::make_unique<OggStream>(std::move(owned), bytes, size);
    auto pcm = std::make_shared<PcmData>();
    if (!stream->Format(pcm->format))
        return nullptr;
    const uint64_t frames = stream->Length();
    const uint64_t whole = frames * pcm->format.BlockAlign();
    if (frames == 0 || whole > kMaxDecodedBytes)
        return nullptr;
    // Room for every frame and the last piece's overshoot, so the bytes
    // never move while the mixer reads them; untouched pages cost nothing.
    pcm->bytes.reserve(size_t(whole) + kOggChunk);
    pcm->streamFrames = uint32_t(frames);
    pcm->stream = std::move(stream);
    return pcm;
}

} // namespace

std::shared_ptr<PcmData> OpenStream(std::vector<uint8_t> bytes)
{
    return OpenStream(std::move(bytes), nullptr, 0);
}

std::shared_ptr<PcmData> OpenStream(const uint8_t* bytes, size_t size)
{
    return OpenStream({}, bytes, size);
}

std::shared_ptr<PcmData> DecodeMp3(const uint8_t* bytes, size_t size)
{
    int err = 0;
    mpg123_handle* mh = mpg123_new(nullptr, &err);
    if (!mh)
        return nullptr;
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    mpg123_format_none(mh);
    const long* rates = nullptr;
    size_t count = 0;
    mpg123_rates(&rates, &count);
    for (size_t i = 0; i < count; ++i)
        mpg123_format(mh, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    auto pcm = std::make_shared<PcmData>();
    bool haveFormat = false;
    if (mpg123_open_feed(mh) == MPG123_OK && mpg123_feed(mh, bytes, size) == MPG123_OK) {
        unsigned char chunk[16384];
        for (;;) {
            size_t done = 0;
            int r = mpg123_read(mh, chunk, sizeof chunk, &done);
            if (r == MPG123_NEW_FORMAT && !haveFormat) {
                long rate = 0;
                int channels = 0, encoding = 0;
                mpg123_getformat(mh, &rate, &channels, &encoding);
                pcm->format = { uint16_t(channels), 16, uint32_t(rate) };
                haveFormat = pcm->format.Valid();
                if (!haveFormat)
                    break;
            }
            if (haveFormat)
                pcm->bytes.insert(pcm->bytes.end(), chunk, chunk + done);
            if ((r != MPG123_OK && r != MPG123_NEW_FORMAT) || pcm->bytes.size() > kMaxDecodedBytes)
                break;
        }
    }
    mpg123_delete(mh);
    if (!haveFormat || pcm->bytes.empty() || pcm->bytes.size() > kMaxDecodedBytes)
        return nullptr;
    pcm->bytes.resize(pcm->bytes.size() / pcm->format.BlockAlign() * pcm->format.BlockAlign());
    return pcm;
}

std::shared_ptr<PcmData> DecodeStream(const uint8_t* bytes, size_t size)
{
    if (size >= 4 && std::memcmp(bytes, "RIFF", 4) == 0)
        return DecodeWav(bytes, size);
    if (size >= 4 && std::memcmp(bytes, "OggS", 4) == 0)
        return DecodeOgg(bytes, size);
    return DecodeMp3(bytes, size);
}

namespace {

constexpr size_t kModuleChunk = 4096;

// A tracker module rendered as it plays, at 44.1 kHz 16-bit stereo.
class ModuleStream final : public PcmStream {
public:
    explicit ModuleStream(openmpt_module* mod) : mod_(mod) { }
    ~ModuleStream() override { openmpt_module_destroy(mod_); }
    ModuleStream(const ModuleStream&) = delete;
    ModuleStream& operator=(const ModuleStream&) = delete;

    bool Next(std::vector<uint8_t>& out) override
    {
        int16_t chunk[2 * kModuleChunk];
        const size_t got = openmpt_module_read_interleaved_stereo(mod_, AudioDevice::kRate, kModuleChunk, chunk);
        const size_t at = out.size();
        out.resize(at + sizeof chunk[0] * 2 * got);
        for (size_t i = 0; i < 2 * got; ++i) {
            out[at + 2 * i] = uint8_t(chunk[i]);
            out[at + 2 * i + 1] = uint8_t(uint16_t(chunk[i]) >> 8);
        }
        return got > 0;
    }

private:
    openmpt_module* mod_;
};

} // namespace

bool DecodeModule(const uint8_t* bytes, size_t size, RenderedModule& out)
{
    openmpt_module* mod = openmpt_module_create_from_memory2(bytes, size, openmpt_log_func_silent, nullptr,
        nullptr, nullptr, nullptr, nullptr, nullptr);
    if (!mod)
        return false;
    auto stream = std::make_unique<ModuleStream>(mod);
    const double length = openmpt_module_get_duration_seconds(mod) * AudioDevice::kRate;
    const uint32_t frames = length > 0 ? uint32_t(std::min(length, double(kMaxModuleFrames))) : 0;
    if (frames == 0)
        return false;
    out.orderFrames.clear();
    const int32_t orders = openmpt_module_get_num_orders(mod);
    for (int32_t o = 0; o < orders; ++o) {
        const double start = openmpt_module_set_position_order_row(mod, o, 0);
        out.orderFrames.push_back(uint32_t(std::clamp(start, 0.0, 3600.0) * AudioDevice::kRate));
    }
    openmpt_module_set_position_seconds(mod, 0.0);
    auto pcm = std::make_shared<PcmData>();
    pcm->format = { 2, 16, AudioDevice::kRate };
    // As for Ogg streams: room for every frame and the last piece's
    // overshoot, so the bytes never move while the mixer reads them.
    pcm->bytes.reserve(size_t(frames) * pcm->format.BlockAlign() + sizeof(int16_t) * 2 * kModuleChunk);
    pcm->streamFrames = frames;
    pcm->stream = std::move(stream);
    out.pcm = std::move(pcm);
    return true;
}

} // namespace platform::audio
