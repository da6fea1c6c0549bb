#pragma once
// A string laid out with a bitmap font, one source rectangle per character,
// so that effects can draw and move the letters one by one.
#include "framework/graphics/Rect.h"

#include <string>
#include <vector>

namespace Kivo {
class Font;
class Graphics;
class Image;
class ImageFont;
class Transform;
} // namespace Kivo

class ImageText {
public:
    struct Glyph {
        int mX;
        int mY;
        int mWidth;
        int mHeight;
        int mIndex; // the character's index in the font
    };

    // Only a bitmap font gives glyphs; any other lays out nothing.
    ImageText(const std::string& text, Kivo::Font* font, int param1, int param2);
    virtual ~ImageText() = default;

    // Glyph `index` at (0, 0) through the transform; nothing outside the text.
    void DrawGlyph(Kivo::Graphics* g, int index, const Kivo::Transform& transform);

    Kivo::ImageFont* mFont;
    std::string mText;
    int mParam1;
    int mParam2;
    int mWidth = 0;
    int mHeight = 0;
    Kivo::Image* mImage = nullptr;
    std::vector<Glyph> mGlyphs;
};
