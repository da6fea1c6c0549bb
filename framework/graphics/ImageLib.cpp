#include "framework/graphics/ImageLib.h"

#include "framework/core/PakFile.h"
#include "framework/graphics/ImageReader.h"

#include <strings.h>

namespace ImageLib {

namespace {

struct Loader {
    const char* extension;
    Image* (*decode)(Reader&);
};

const Loader kLoaders[] = {
    { ".tga", DecodeTGA }, { ".jpg", DecodeJPEG }, { ".png", DecodePNG },
    { ".gif", DecodeGIF }, { ".j2k", DecodeJ2K },  { ".jp2", DecodeJ2K },
};

Image* LoadFile(const std::string& path, Image* (*decode)(Reader&))
{
    PakFileHandle* file = PakFileOpen(path.c_str(), "rb");
    if (!file)
        return nullptr;
    PakReader reader(file);
    Image* image = decode(reader);
    PakFileClose(file);
    return image;
}

Image* LoadByExtension(const std::string& fileName)
{
    const size_t slash = fileName.find_last_of("/\\");
    const size_t dot = fileName.rfind('.');
    std::string base = fileName;
    std::string extension;
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
        base = fileName.substr(0, dot);
        extension = fileName.substr(dot);
    }
    for (const Loader& loader : kLoaders) {
        if (!extension.empty() && strcasecmp(extension.c_str(), loader.extension) != 0)
            continue;
        if (Image* image = LoadFile(base + loader.extension, loader.decode))
            return image;
    }
    return nullptr;
}

} // namespace

Image* GetImage(const std::string& fileName, bool lookForAlpha, uint32_t alphaColor)
{
    Image* image = LoadByExtension(fileName);
    if (!lookForAlpha)
        return image;

    const size_t slash = fileName.find_last_of("/\\");
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    Image* alpha = GetImage(fileName.substr(0, nameStart) + "_" + fileName.substr(nameStart), false);
    if (!alpha)
        alpha = GetImage(fileName + "_", false);
    if (!alpha)
        return image;

    const size_t n = static_cast<size_t>(alpha->mWidth) * alpha->mHeight;
    if (!image) {
        for (size_t i = 0; i < n; ++i)
            alpha->mBits[i] = (alpha->mBits[i] << 24) | (alphaColor & 0xFFFFFF);
        return alpha;
    }
    if (image->mWidth == alpha->mWidth && image->mHeight == alpha->mHeight) {
        for (size_t i = 0; i < n; ++i)
            image->mBits[i] = (image->mBits[i] & 0xFFFFFF) | (alpha->mBits[i] << 24);
    }
    delete alpha;
    return image;
}

} // namespace ImageLib
