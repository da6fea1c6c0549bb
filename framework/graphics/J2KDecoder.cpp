#include "framework/graphics/ImageLib.h"
#include "framework/graphics/ImageReader.h"

#include "platform/j2k/J2KCodec.h"
#include "platform/win32/Modules.h"

#include <memory>
#include <mutex>

namespace ImageLib {

namespace {

struct Codec {
    std::mutex mutex;
    HMODULE module = nullptr;
    bool lookedUp = false;
    bool usable = false;
    J2K_getVersionFn getVersion = nullptr;
    J2K_OpenCustomFn openCustom = nullptr;
    J2K_OpenFileFn openFile = nullptr;
    J2K_CloseFn close = nullptr;
    J2K_GetInfoFn getInfo = nullptr;
    J2K_GetResolutionDimensionsFn getResolutionDimensions = nullptr;
    J2K_DecodeFn decode = nullptr;
    J2K_getLastErrorFn getLastError = nullptr;
    J2K_getErrorStrFn getErrorStr = nullptr;
};

Codec& TheCodec()
{
    static Codec codec;
    return codec;
}

template <typename F>
bool Find(HMODULE module, const char* name, F& out)
{
    out = reinterpret_cast<F>(GetProcAddress(module, name));
    return out != nullptr;
}

// Looks the functions up once; a missing one or too old a version frees
// the library for good.
bool Usable(Codec& c)
{
    if (c.lookedUp)
        return c.usable;
    if (!c.module)
        return false;
    c.lookedUp = true;
    c.usable = Find(c.module, "_J2K_getVersion@0", c.getVersion) && Find(c.module, "_J2K_OpenCustom@8", c.openCustom) &&
               Find(c.module, "_J2K_OpenFile@4", c.openFile) && Find(c.module, "_J2K_Close@4", c.close) &&
               Find(c.module, "_J2K_GetInfo@16", c.getInfo) &&
               Find(c.module, "_J2K_GetResolutionDimensions@16", c.getResolutionDimensions) &&
               Find(c.module, "_J2K_Decode@20", c.decode) && Find(c.module, "_J2K_getLastError@0", c.getLastError) &&
               Find(c.module, "_J2K_getErrorStr@4", c.getErrorStr) && c.getVersion() >= 0x120000;
    if (!c.usable) {
        FreeLibrary(c.module);
        c.module = nullptr;
    }
    return c.usable;
}

int SeekSource(uint64_t offset, void* user)
{
    return static_cast<Reader*>(user)->Seek(static_cast<int64_t>(offset)) ? 0 : -1;
}

uint32_t ReadSource(void* buffer, uint32_t size, void* user)
{
    return static_cast<uint32_t>(static_cast<Reader*>(user)->Read(buffer, size));
}

void CloseSource(void*) {}

} // namespace

Image* DecodeJ2K(Reader& in)
{
    Codec& c = TheCodec();
    {
        std::lock_guard lock(c.mutex);
        if (!Usable(c))
            return nullptr;
    }
    const J2K_Callbacks callbacks{ SeekSource, ReadSource, CloseSource, static_cast<uint64_t>(in.Size()) };
    void* j2k = c.openCustom(&callbacks, &in);
    if (!j2k) {
        c.getErrorStr(c.getLastError()); // the text is not shown anywhere
        return nullptr;
    }
    int width = 0, height = 0, components = 0;
    std::unique_ptr<Image> image;
    if (c.getInfo(j2k, &width, &height, &components) == 0 &&
        c.getResolutionDimensions(j2k, 0, &width, &height) == 0)
        image.reset(NewImage(width, height));
    if (image) {
        auto* buffer = reinterpret_cast<unsigned char*>(image->mBits);
        int size = width * height * 4;
        int pitch = width * 4;
        if (c.decode(j2k, &buffer, &size, "bpp=4,rl=0", &pitch) != 0)
            image.reset();
    }
    c.close(j2k);
    if (!image)
        return nullptr;
    const size_t n = static_cast<size_t>(width) * height;
    for (size_t i = 0; i < n; ++i)
        image->mBits[i] |= 0xFF000000;
    return image.release();
}

} // namespace ImageLib

void LoadJ2KCodec()
{
    ImageLib::Codec& c = ImageLib::TheCodec();
    std::lock_guard lock(c.mutex);
    if (!c.module) {
        c.module = LoadLibraryA(kJ2KCodecModule);
        c.lookedUp = false;
    }
}

void FreeJ2KCodec()
{
    ImageLib::Codec& c = ImageLib::TheCodec();
    std::lock_guard lock(c.mutex);
    if (c.module)
        FreeLibrary(c.module);
    c.module = nullptr;
    c.lookedUp = c.usable = false;
}
