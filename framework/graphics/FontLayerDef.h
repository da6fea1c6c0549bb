#pragma once
// One layer of a font description: an image of glyphs with, per character,
// a rectangle, offsets, an advance, kerning against every following
// character and a draw order, plus the layer's colour modulation, metrics
// and the point sizes and tags it applies to.
#include "framework/graphics/Color.h"
#include "framework/graphics/Rect.h"
#include "framework/graphics/SharedImage.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace Kivo {

class FontData;

struct GlyphInfo {
    Rect mImageRect; // inside the layer image
    int32_t mOffsetX = 0;
    int32_t mOffsetY = 0;
    std::array<int8_t, 256> mKerningOffsets{}; // added when followed by character k
    int32_t mWidth = 0;                        // the advance
    int32_t mOrder = 0;                        // draw order
};

class FontLayerDef {
public:
    explicit FontLayerDef(FontData* owner) : mFontData(owner) {}
    // The copy references the same shared image and borrows an unshared one.
    FontLayerDef(const FontLayerDef&) = default;
    FontLayerDef& operator=(const FontLayerDef&) = delete;

    FontData* mFontData;
    std::vector<std::string> mRequiredTags; // upper case
    std::vector<std::string> mExcludedTags;
    std::array<GlyphInfo, 256> mCharData{}; // indexed by unsigned character code
    Color mColorMult{ 255, 255, 255 };
    Color mColorAdd = Color(0, true); // all four channels 0
    SharedImageRef mImage;
    int32_t mDrawMode = -1; // -1 keeps the drawing context's
    int32_t mOffsetX = 0;
    int32_t mOffsetY = 0;
    int32_t mSpacing = 0;
    int32_t mMinPointSize = -1;
    int32_t mMaxPointSize = -1; // -1: no upper limit
    int32_t mPointSize = 0;     // 0: never rescaled for the point size
    int32_t mAscent = 0;
    int32_t mAscentPadding = 0;
    int32_t mHeight = 0; // 0: the default height
    int32_t mDefaultHeight = 0;
    int32_t mLineSpacingOffset = 0;
    int32_t mBaseOrder = 0;
};

} // namespace Kivo
