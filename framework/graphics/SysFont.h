#pragma once
// A font of the operating system. Text is measured by the system's layout;
// it is drawn by the system straight into a display surface's device
// context, or, for any other destination, into two off-screen bitmaps (over
// white and over black) from which coloured pixels with alpha are derived.
#include "framework/graphics/Font.h"
#include "platform/gdi/Gdi.h"

#include <cstdint>

namespace Kivo {

class FontHost;

class SysFont : public Font {
public:
    // Through the installed application, the ANSI character set, 96 dpi.
    SysFont(const std::string& face, int pointSize, bool bold = false, bool italics = false, bool underline = false);
    // At the dots per inch of the application's window.
    SysFont(FontHost* app, const std::string& face, int pointSize, int charSet, bool bold = false,
            bool italics = false, bool underline = false);
    // A new font from the other's logical font; shadow and bold are off.
    SysFont(const SysFont& other);
    SysFont& operator=(const SysFont&) = delete;
    ~SysFont() override;

    int StringWidth(const std::string& text) override;
    void DrawString(Graphics* g, int x, int y, const std::string& text, const Color& color, const Rect& clip) override;
    Font* Duplicate() override;

    HFONT mHFont = nullptr; // owned
    FontHost* mApp = nullptr;
    bool mDrawShadow = false;   // a black copy one pixel right and down first
    bool mSimulateBold = false; // every text twice, one pixel apart

private:
    void Init(const std::string& face, int pointSize, int charSet, bool bold, bool italics, bool underline,
              bool screenDpi);
    HWND Window() const;
    void DrawOnSurface(Graphics* g, HDC dc, int x, int y, const std::string& text, const Color& color,
                       const Rect& clip);
    void DrawInSoftware(Graphics* g, int x, int y, const std::string& text, const Color& color);
    // Shadow and text with their top-left at (x, y), truncated.
    void TextOut(HDC dc, double x, double y, const std::string& text, const Color& color);
};

// The text pixel from the same pixel drawn over white (A) and over black
// (B): equal ones are opaque, white over black is transparent, and between
// them each channel's alpha is B - A + 255 and its colour B * 255 / alpha.
// The pixel's alpha is the smallest channel alpha; a channel alpha of 0 or
// less cannot come from coverage and gives a transparent pixel.
uint32_t TextPixelFromBackgrounds(uint32_t overWhite, uint32_t overBlack);

} // namespace Kivo
