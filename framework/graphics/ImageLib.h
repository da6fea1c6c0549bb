#pragma once
// Image files: PNG, JPEG, TGA, GIF and JPEG 2000, read through the data file
// layer into 32-bit ARGB pixels, with alpha from an optional companion image;
// and PNG writing for screenshots.
#include <cstdint>
#include <string>

namespace ImageLib {

class Image {
public:
    Image() = default;
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;
    virtual ~Image() { delete[] mBits; }

    int32_t mWidth = 0;
    int32_t mHeight = 0;
    uint32_t* mBits = nullptr; // width x height words 0xAARRGGBB, rows top down
};

// Tries ".tga", ".jpg", ".png", ".gif", ".j2k", ".jp2" in that order on the
// name without its extension, or only the loader of the name's extension
// (case ignored). With lookForAlpha, "dir/_name" or else "name_" supplies
// the alpha channel from its blue channel; found alone it makes an image of
// `alphaColor` (RGB) with that alpha. Null when nothing loads; the caller
// owns the result.
Image* GetImage(const std::string& fileName, bool lookForAlpha = true, uint32_t alphaColor = 0xFFFFFF);

// Writes 8-bit RGBA without interlace. False when the file or the encoder
// fails.
bool WritePNGImage(const std::string& fileName, const Image* image);

} // namespace ImageLib

// The JPEG 2000 codec library, loaded by name at application start and freed
// at its end. Without it JPEG 2000 files do not load.
void LoadJ2KCodec();
void FreeJ2KCodec();
