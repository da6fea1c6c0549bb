#pragma once
// A font layer prepared for an image font's current size: its glyph image
// (the layer's own, borrowed, or a rescaled copy it owns) and the glyph
// rectangles inside that image.
#include "framework/graphics/Rect.h"

#include <array>

namespace Kivo {

class FontLayerDef;
class Image;

class ActiveFontLayer {
public:
    ActiveFontLayer() = default;
    // Borrows a borrowed image; holds its own copy of an owned one.
    ActiveFontLayer(const ActiveFontLayer& other);
    ActiveFontLayer& operator=(const ActiveFontLayer&) = delete;
    virtual ~ActiveFontLayer();

    FontLayerDef* mBaseFontLayer = nullptr;
    Image* mScaledImage = nullptr;
    bool mOwnsImage = false;
    std::array<Rect, 256> mScaledCharImageRects{}; // indexed by unsigned character code
};

} // namespace Kivo
