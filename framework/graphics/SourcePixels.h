#pragma once
// How the memory image's blits read a source: its 32-bit bits, or its
// 256-colour form through the colour table; which part of it they may read.
#include "framework/graphics/Color.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/Rect.h"

#include <cstddef>
#include <cstdint>

namespace Kivo {

struct DirectPixels {
    const uint32_t* bits;
    uint32_t operator[](size_t i) const { return bits[i]; }
};

struct PalettePixels {
    const uint32_t* table;
    const uint8_t* indices;
    uint32_t operator[](size_t i) const { return table[indices[i]]; }
};

// run(pixels) with the source's pixels in whichever form holds them.
template <typename Run>
void WithSourcePixels(MemoryImage* src, Run run)
{
    if (!src->mBits && src->mColorTable && src->mColorIndices)
        run(PalettePixels{ src->mColorTable, src->mColorIndices });
    else
        run(DirectPixels{ src->GetBits() });
}

// The transformed blits' source rect must lie wholly inside the source:
// they read every pixel of it (and the filters their neighbours) without
// further tests.
inline bool SourceRectInside(const Rect& r, const Image* image)
{
    return r.mWidth > 0 && r.mHeight > 0 && r.mX >= 0 && r.mY >= 0 && r.mX <= image->mWidth - r.mWidth &&
           r.mY <= image->mHeight - r.mHeight;
}

// A clip rect held to the image.
inline Rect ClipToImage(const Rect& clip, const Image* image)
{
    return clip.Intersection(Rect(0, 0, image->mWidth, image->mHeight));
}

inline bool IsWhite(const Color& c)
{
    return c.mRed == 255 && c.mGreen == 255 && c.mBlue == 255 && c.mAlpha == 255;
}

} // namespace Kivo
