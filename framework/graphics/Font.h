#pragma once
// The abstract font that the drawing context measures and draws text with.
// It keeps four metrics; concrete fonts (system fonts, image fonts) measure
// and draw. The base measures every text as 0 wide and draws nothing.
#include "framework/graphics/Color.h"
#include "framework/graphics/Rect.h"

#include <cstdint>
#include <string>

namespace Kivo {

class Graphics;

class Font {
public:
    virtual ~Font() = default;

    virtual int GetAscent() { return mAscent; }
    virtual int GetAscentPadding() { return mAscentPadding; }
    virtual int GetDescent() { return mHeight - mAscent; }
    virtual int GetHeight() { return mHeight; }
    virtual int GetLineSpacingOffset() { return mLineSpacingOffset; }
    virtual int GetLineSpacing() { return mHeight + mLineSpacingOffset; }
    virtual int StringWidth(const std::string& /*text*/) { return 0; }
    virtual int CharWidth(char c) { return StringWidth(std::string(1, c)); }
    virtual int CharWidthKern(char c, char /*previous*/) { return CharWidth(c); }
    // y is the baseline; the font applies the context's translation itself.
    virtual void DrawString(Graphics* /*g*/, int /*x*/, int /*y*/, const std::string& /*text*/,
                            const Color& /*color*/, const Rect& /*clip*/)
    {
    }
    virtual void DrawStringF(Graphics* /*g*/, float /*x*/, float /*y*/, const std::string& /*text*/,
                             const Color& /*color*/, const Rect& /*clip*/)
    {
    }
    // A heap copy that the caller owns.
    virtual Font* Duplicate() = 0;

    int32_t mAscent = 0;
    int32_t mAscentPadding = 0;
    int32_t mHeight = 0;
    int32_t mLineSpacingOffset = 0;
};

} // namespace Kivo
