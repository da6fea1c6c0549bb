#pragma once
// The abstract font the drawing context measures and draws text with: four
// metrics and the measuring and drawing operations. Text is Windows-1252
// bytes.
#include "framework/graphics/Color.h"
#include "framework/graphics/Rect.h"

#include <string>

namespace Kivo {

class Graphics;

class Font {
public:
    Font() = default;
    Font(const Font&) = default;
    Font& operator=(const Font&) = default;
    virtual ~Font() = default;

    virtual int GetAscent() { return mAscent; }
    virtual int GetAscentPadding() { return mAscentPadding; }
    virtual int GetDescent() { return mHeight - mAscent; }
    virtual int GetHeight() { return mHeight; }
    virtual int GetLineSpacingOffset() { return mLineSpacingOffset; }
    virtual int GetLineSpacing() { return mHeight + mLineSpacingOffset; }
    virtual int StringWidth(const std::string& text);
    virtual int CharWidth(char c);
    // The previous character is ignored here; image fonts kern with it.
    virtual int CharWidthKern(char c, char prev);
    // y is the baseline.
    virtual void DrawString(Graphics* g, int x, int y, const std::string& text, const Color& color,
                            const Rect& clip);
    virtual void DrawStringF(Graphics* g, float x, float y, const std::string& text, const Color& color,
                             const Rect& clip);
    // A new copy of the concrete font; the caller owns it.
    virtual Font* Duplicate() = 0;

    int mAscent = 0;
    int mAscentPadding = 0; // empty rows at the top of the ascent
    int mHeight = 0;
    int mLineSpacingOffset = 0;
};

} // namespace Kivo
