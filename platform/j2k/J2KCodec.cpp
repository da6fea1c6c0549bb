#include "platform/j2k/J2KCodec.h"

#include "platform/Paths.h"

#include <openjpeg.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

enum J2KError {
    kErrNone = 0,
    kErrOpen,
    kErrFormat,
    kErrHeader,
    kErrArgument,
    kErrDecode,
    kErrComponents,
    kErrBuffer,
};

thread_local int gLastError = kErrNone;

int Fail(int code)
{
    gLastError = code;
    return code;
}

struct J2KImage {
    J2K_Callbacks callbacks{};
    void* userData = nullptr;
    uint64_t position = 0;
    FILE* file = nullptr; // for images opened by file name
    opj_stream_t* stream = nullptr;
    opj_codec_t* codec = nullptr;
    opj_image_t* image = nullptr;
    bool decoded = false;
};

OPJ_SIZE_T StreamRead(void* buffer, OPJ_SIZE_T size, void* user)
{
    auto* j = static_cast<J2KImage*>(user);
    const uint32_t want = static_cast<uint32_t>(std::min<OPJ_SIZE_T>(size, 0x7FFFFFFF));
    const uint32_t n = j->callbacks.read(buffer, want, j->userData);
    j->position += n;
    return n ? n : static_cast<OPJ_SIZE_T>(-1);
}

OPJ_BOOL StreamSeek(OPJ_OFF_T offset, void* user)
{
    auto* j = static_cast<J2KImage*>(user);
    if (offset < 0 || j->callbacks.seek(static_cast<uint64_t>(offset), j->userData) != 0)
        return OPJ_FALSE;
    j->position = static_cast<uint64_t>(offset);
    return OPJ_TRUE;
}

OPJ_OFF_T StreamSkip(OPJ_OFF_T count, void* user)
{
    auto* j = static_cast<J2KImage*>(user);
    const int64_t target = static_cast<int64_t>(j->position) + count;
    if (target < 0 || !StreamSeek(target, user))
        return -1;
    return count;
}

void Quiet(const char*, void*) {}

void Release(J2KImage* j)
{
    if (j->image)
        opj_image_destroy(j->image);
    if (j->codec)
        opj_destroy_codec(j->codec);
    if (j->stream)
        opj_stream_destroy(j->stream);
    if (j->callbacks.close)
        j->callbacks.close(j->userData);
    if (j->file)
        std::fclose(j->file);
    delete j;
}

// The library allocates for the whole image and every tile while it reads
// the header, so a few hostile header bytes could cost seconds and hundreds
// of megabytes. The image size segment is read here first and held to the
// image limits the program uses everywhere (16384 a side, 2^26 pixels) and
// to a sane tile count.
constexpr uint32_t kMaxSide = 16384;
constexpr uint64_t kMaxPixels = uint64_t(1) << 26;
constexpr uint64_t kMaxTiles = 1024;
constexpr uint32_t kMaxComponents = 16;

uint32_t BigEndian(const uint8_t* p, int bytes)
{
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v = (v << 8) | p[i];
    return v;
}

bool ReadAt(const J2K_Callbacks& cb, void* user, uint64_t offset, uint8_t* out, uint32_t size)
{
    return cb.seek(offset, user) == 0 && cb.read(out, size, user) == size;
}

// The offset of the codestream: 0 for a bare one, the data of the first
// "jp2c" box in a boxed file.
bool FindCodestream(const J2K_Callbacks& cb, void* user, bool boxed, uint64_t& offset)
{
    offset = 0;
    if (!boxed)
        return true;
    for (int boxes = 0; boxes < 256; ++boxes) {
        uint8_t h[16];
        if (!ReadAt(cb, user, offset, h, 8))
            return false;
        uint64_t length = BigEndian(h, 4);
        uint64_t header = 8;
        if (length == 1) {
            if (!ReadAt(cb, user, offset + 8, h + 8, 8))
                return false;
            length = (uint64_t(BigEndian(h + 8, 4)) << 32) | BigEndian(h + 12, 4);
            header = 16;
        }
        if (std::memcmp(h + 4, "jp2c", 4) == 0) {
            offset += header;
            return true;
        }
        if (length < header) // 0 runs to the end: no codestream after it
            return false;
        offset += length;
    }
    return false;
}

bool SizeSegmentIsSane(const J2K_Callbacks& cb, void* user, bool boxed)
{
    uint64_t start;
    uint8_t siz[42];
    if (!FindCodestream(cb, user, boxed, start) || !ReadAt(cb, user, start, siz, sizeof siz) ||
        BigEndian(siz, 2) != 0xFF4F || BigEndian(siz + 2, 2) != 0xFF51)
        return false;
    const uint32_t x1 = BigEndian(siz + 8, 4), y1 = BigEndian(siz + 12, 4);
    const uint32_t x0 = BigEndian(siz + 16, 4), y0 = BigEndian(siz + 20, 4);
    const uint32_t tw = BigEndian(siz + 24, 4), th = BigEndian(siz + 28, 4);
    const uint32_t tx0 = BigEndian(siz + 32, 4), ty0 = BigEndian(siz + 36, 4);
    const uint32_t components = BigEndian(siz + 40, 2);
    if (x1 <= x0 || y1 <= y0 || x1 - x0 > kMaxSide || y1 - y0 > kMaxSide ||
        uint64_t(x1 - x0) * (y1 - y0) > kMaxPixels || tw == 0 || th == 0 || tx0 > x0 || ty0 > y0 ||
        uint64_t(tx0) + tw <= x0 || uint64_t(ty0) + th <= y0 || components == 0 || components > kMaxComponents)
        return false;
    const uint64_t across = (uint64_t(x1 - tx0) + tw - 1) / tw;
    const uint64_t down = (uint64_t(y1 - ty0) + th - 1) / th;
    return across * down <= kMaxTiles;
}

int J2K_getVersion() { return 0x120000; }

void* J2K_OpenCustom(const J2K_Callbacks* callbacks, void* userData)
{
    if (!callbacks || !callbacks->read || !callbacks->seek) {
        Fail(kErrArgument);
        return nullptr;
    }
    auto* j = new J2KImage;
    j->callbacks = *callbacks;
    j->userData = userData;

    uint8_t sig[12] = {};
    const uint32_t n = callbacks->read(sig, sizeof sig, userData);
    static const uint8_t kJP2[12] = { 0, 0, 0, 0x0C, 'j', 'P', ' ', ' ', 0x0D, 0x0A, 0x87, 0x0A };
    static const uint8_t kJ2K[4] = { 0xFF, 0x4F, 0xFF, 0x51 };
    OPJ_CODEC_FORMAT format;
    if (n >= 12 && std::memcmp(sig, kJP2, 12) == 0)
        format = OPJ_CODEC_JP2;
    else if (n >= 4 && std::memcmp(sig, kJ2K, 4) == 0)
        format = OPJ_CODEC_J2K;
    else {
        Fail(kErrFormat);
        Release(j);
        return nullptr;
    }
    if (!SizeSegmentIsSane(*callbacks, userData, format == OPJ_CODEC_JP2)) {
        Fail(kErrHeader);
        Release(j);
        return nullptr;
    }
    if (callbacks->seek(0, userData) != 0) {
        Fail(kErrOpen);
        Release(j);
        return nullptr;
    }

    j->stream = opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_TRUE);
    opj_stream_set_user_data(j->stream, j, nullptr);
    opj_stream_set_user_data_length(j->stream, callbacks->length);
    opj_stream_set_read_function(j->stream, StreamRead);
    opj_stream_set_skip_function(j->stream, StreamSkip);
    opj_stream_set_seek_function(j->stream, StreamSeek);

    j->codec = opj_create_decompress(format);
    opj_set_info_handler(j->codec, Quiet, nullptr);
    opj_set_warning_handler(j->codec, Quiet, nullptr);
    opj_set_error_handler(j->codec, Quiet, nullptr);
    opj_dparameters_t params;
    opj_set_default_decoder_parameters(&params);
    if (!opj_setup_decoder(j->codec, &params) || !opj_read_header(j->stream, j->codec, &j->image) || !j->image ||
        j->image->numcomps == 0 || j->image->x1 <= j->image->x0 || j->image->y1 <= j->image->y0) {
        Fail(kErrHeader);
        Release(j);
        return nullptr;
    }
    gLastError = kErrNone;
    return j;
}

int FileSeek(uint64_t offset, void* user)
{
    return std::fseek(static_cast<FILE*>(user), static_cast<long>(offset), SEEK_SET) == 0 ? 0 : -1;
}

uint32_t FileRead(void* buffer, uint32_t size, void* user)
{
    return static_cast<uint32_t>(std::fread(buffer, 1, size, static_cast<FILE*>(user)));
}

void* J2K_OpenFile(const char* fileName)
{
    FILE* f = fileName ? std::fopen(platform::DiskPath(fileName).c_str(), "rb") : nullptr;
    if (!f) {
        Fail(kErrOpen);
        return nullptr;
    }
    std::fseek(f, 0, SEEK_END);
    const long size = std::ftell(f);
    std::fseek(f, 0, SEEK_SET);
    J2K_Callbacks cb{ FileSeek, FileRead, nullptr, static_cast<uint64_t>(std::max(size, 0L)) };
    auto* j = static_cast<J2KImage*>(J2K_OpenCustom(&cb, f));
    if (!j) {
        std::fclose(f);
        return nullptr;
    }
    j->file = f;
    return j;
}

void J2K_Close(void* image)
{
    if (image)
        Release(static_cast<J2KImage*>(image));
}

int J2K_GetResolutionDimensions(void* image, int level, int* width, int* height)
{
    auto* j = static_cast<J2KImage*>(image);
    if (!j || level < 0 || level > 31 || !width || !height)
        return Fail(kErrArgument);
    const opj_image_t* im = j->image;
    auto ceilDivPow2 = [level](OPJ_UINT32 v) { return (static_cast<uint64_t>(v) + (1ull << level) - 1) >> level; };
    *width = static_cast<int>(ceilDivPow2(im->x1) - ceilDivPow2(im->x0));
    *height = static_cast<int>(ceilDivPow2(im->y1) - ceilDivPow2(im->y0));
    return kErrNone;
}

int J2K_GetInfo(void* image, int* width, int* height, int* components)
{
    auto* j = static_cast<J2KImage*>(image);
    if (!j || !components || J2K_GetResolutionDimensions(image, 0, width, height) != 0)
        return Fail(kErrArgument);
    *components = static_cast<int>(j->image->numcomps);
    return kErrNone;
}

bool ParseOptions(const char* options, int& reduce)
{
    reduce = 0;
    int bpp = 4;
    std::string text = options ? options : "";
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (item.rfind("bpp=", 0) == 0)
            bpp = std::atoi(item.c_str() + 4);
        else if (item.rfind("rl=", 0) == 0)
            reduce = std::atoi(item.c_str() + 3);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return bpp == 4 && reduce >= 0 && reduce < 32;
}

// One component's sample as 8 bits.
uint32_t Sample(const opj_image_comp_t& c, uint32_t x, uint32_t y, uint32_t width, uint32_t height)
{
    const uint32_t cx = static_cast<uint32_t>(static_cast<uint64_t>(x) * c.w / width);
    const uint32_t cy = static_cast<uint32_t>(static_cast<uint64_t>(y) * c.h / height);
    int64_t v = c.data[static_cast<size_t>(cy) * c.w + cx];
    const uint32_t prec = std::clamp<uint32_t>(c.prec, 1, 31);
    if (c.sgnd)
        v += int64_t(1) << (prec - 1);
    if (prec > 8)
        v >>= prec - 8;
    else
        v <<= 8 - prec;
    return static_cast<uint32_t>(std::clamp<int64_t>(v, 0, 255));
}

int J2K_Decode(void* image, unsigned char** buffer, int* size, const char* options, int* pitch)
{
    auto* j = static_cast<J2KImage*>(image);
    int reduce = 0;
    if (!j || !buffer || !*buffer || !size || !pitch || !ParseOptions(options, reduce) || j->decoded)
        return Fail(kErrArgument);
    int width = 0, height = 0;
    J2K_GetResolutionDimensions(image, reduce, &width, &height);
    if (width <= 0 || height <= 0 || *pitch < width * 4 ||
        static_cast<int64_t>(*pitch) * (height - 1) + int64_t(width) * 4 > *size)
        return Fail(kErrBuffer);
    j->decoded = true;
    if (!opj_set_decoded_resolution_factor(j->codec, static_cast<OPJ_UINT32>(reduce)) ||
        !opj_decode(j->codec, j->stream, j->image) || !opj_end_decompress(j->codec, j->stream))
        return Fail(kErrDecode);

    const opj_image_t* im = j->image;
    const uint32_t n = std::min<uint32_t>(im->numcomps, 4);
    for (uint32_t i = 0; i < n; ++i)
        if (!im->comps[i].data || im->comps[i].w == 0 || im->comps[i].h == 0)
            return Fail(kErrComponents);
    const bool color = n >= 3;
    const bool alpha = n == 2 || n == 4;
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(*buffer + static_cast<size_t>(y) * *pitch);
        for (int x = 0; x < width; ++x) {
            const uint32_t r = Sample(im->comps[0], x, y, width, height);
            const uint32_t g = color ? Sample(im->comps[1], x, y, width, height) : r;
            const uint32_t b = color ? Sample(im->comps[2], x, y, width, height) : r;
            const uint32_t a = alpha ? Sample(im->comps[n - 1], x, y, width, height) : 255;
            uint32_t word = (a << 24) | (r << 16) | (g << 8) | b;
            std::memcpy(&row[x], &word, 4);
        }
    }
    gLastError = kErrNone;
    return kErrNone;
}

int J2K_getLastError() { return gLastError; }

const char* J2K_getErrorStr(int code)
{
    switch (code) {
    case kErrNone: return "No error";
    case kErrOpen: return "Cannot open the source";
    case kErrFormat: return "Not a JPEG 2000 file";
    case kErrHeader: return "Invalid JPEG 2000 header";
    case kErrArgument: return "Invalid argument";
    case kErrDecode: return "Decoding failed";
    case kErrComponents: return "Unsupported components";
    case kErrBuffer: return "Buffer too small";
    default: return "Unknown error";
    }
}

} // namespace

namespace platform {

std::vector<std::pair<std::string, FARPROC>> J2KCodecFunctions()
{
    auto f = [](auto* function) { return reinterpret_cast<FARPROC>(function); };
    return {
        { "_J2K_getVersion@0", f(&J2K_getVersion) },
        { "_J2K_OpenCustom@8", f(&J2K_OpenCustom) },
        { "_J2K_OpenFile@4", f(&J2K_OpenFile) },
        { "_J2K_Close@4", f(&J2K_Close) },
        { "_J2K_GetInfo@16", f(&J2K_GetInfo) },
        { "_J2K_GetResolutionDimensions@16", f(&J2K_GetResolutionDimensions) },
        { "_J2K_Decode@20", f(&J2K_Decode) },
        { "_J2K_getLastError@0", f(&J2K_getLastError) },
        { "_J2K_getErrorStr@4", f(&J2K_getErrorStr) },
    };
}

} // namespace platform
