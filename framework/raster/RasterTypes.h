#pragma once
// The records every part of the software rasterizer shares, and the narrow
// view it has of the images above it: the drawing layer hands it a texture
// through RasterTextureSource and its colour and clip rectangle in the
// layout of its own Color and Rect.
#include <bit>
#include <cstdint>

namespace Kivo {

static_assert(std::endian::native == std::endian::little,
              "pixels are packed 32- and 16-bit words in little-endian order");

// One vertex of a strip as the caller gives it: position in destination
// pixels, texture position as a fraction of the texture's size, colour
// 0xAARRGGBB (drawn only when vertex colours are on).
struct StripVertex {
    float x;
    float y;
    float u;
    float v;
    uint32_t colour;
};

// A vertex set up for the span functions; every word is 16.16 fixed point.
// Colour channels are channel × 65536; u and v are in texels.
struct RasterVertex {
    int32_t x;
    int32_t y;
    int32_t alpha;
    int32_t red;
    int32_t green;
    int32_t blue;
    int32_t u;
    int32_t v;
};
static_assert(sizeof(RasterVertex) == 8 * sizeof(int32_t));

// The texture as span functions see it. Only texels, width and texelCount
// are read while drawing; the shift and masks are kept for the record layout
// and assume power-of-two sizes.
struct RasterTexture {
    const uint32_t* texels;
    uint32_t widthShift;
    uint32_t uMask;
    uint32_t vMask;
    uint32_t width;
    uint32_t texelCount;
    uint32_t height;
};

// The draw colour as span functions see it, each channel 0..255.
struct RasterColor {
    uint32_t alpha;
    uint32_t red;
    uint32_t green;
    uint32_t blue;
};

using TriangleFunc = void (*)(const RasterVertex* vertices, uint8_t* bits, uint32_t pitch,
                              const RasterTexture* texture, const RasterColor* colour);

// Destination pixel-format codes. Any other code draws as ARGB.
enum : int32_t {
    kRasterFormatARGB = 0x8888,
    kRasterFormatX888 = 0x888,
    kRasterFormat565 = 0x565,
    kRasterFormat555 = 0x555,
};

// Same layout as the drawing layer's Color: red, green, blue, alpha.
struct StripColor {
    int32_t red;
    int32_t green;
    int32_t blue;
    int32_t alpha;
};

// Same layout as the drawing layer's Rect.
struct StripRect {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
};

// What the rasterizer needs of a texture image. CommitBits brings the two
// alpha flags up to date and runs once per strip, before the flags are read;
// GetBits returns Width() × Height() words 0xAARRGGBB, row after row from the
// top, owned by the image.
class RasterTextureSource {
public:
    virtual void CommitBits() = 0;
    virtual const uint32_t* GetBits() = 0;
    virtual int32_t GetWidth() const = 0;
    virtual int32_t GetHeight() const = 0;
    // Some pixel has alpha 0.
    virtual bool HasTransparency() const = 0;
    // Some pixel has an alpha between 1 and 254.
    virtual bool HasAlpha() const = 0;

protected:
    ~RasterTextureSource() = default;
};

} // namespace Kivo
