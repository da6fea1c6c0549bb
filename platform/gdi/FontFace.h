#pragma once
// A FreeType face at one pixel size, chosen by fontconfig from a logical
// font, with the 256 glyphs of the Windows-1252 bytes rendered on demand
// into 8-bit coverage. Callers hold the layer's lock (GdiLock).
#include "platform/gdi/Gdi.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace platform::gdi {

struct Glyph {
    bool loaded = false;
    int advance = 0; // whole pixels
    int left = 0;    // from the pen to the first coverage column
    int top = 0;     // from the baseline up to the first coverage row
    int width = 0;
    int rows = 0;
    std::vector<uint8_t> coverage; // width x rows, 0..255
};

// Where text goes: 32-bit pixels (row y at rows + y * stride words) and the
// rectangle that may be touched.
struct PixelTarget {
    uint32_t* rows = nullptr;
    ptrdiff_t stride = 0;
    RECT clip{};
};

class FontFace {
public:
    // Never null while some scalable font is installed; null otherwise.
    static std::unique_ptr<FontFace> Create(const LOGFONTA& font);
    ~FontFace();

    const TEXTMETRICA& Metrics() const { return mMetrics; }
    const std::string& File() const { return mFile; }
    const Glyph& GetGlyph(uint8_t byte);
    int TextWidth(const char* text, int length);
    // (x, y) is the top-left of the text cell.
    void Draw(const PixelTarget& target, int x, int y, const char* text, int length, COLORREF color);

private:
    FontFace() = default;
    bool Open(const std::string& file, int index, const LOGFONTA& font);
    void FillRun(const PixelTarget& target, int left, int top, int right, int bottom, COLORREF color);

    struct Impl;
    std::unique_ptr<Impl> mImpl;
    std::string mFile;
    TEXTMETRICA mMetrics{};
    int mUnderlinePos = 0; // rows below the baseline
    int mUnderlineThickness = 1;
    bool mUnderline = false;
    bool mStrikeOut = false;
    bool mSynthBold = false;
    bool mSynthItalic = false;
    std::array<Glyph, 256> mGlyphs;
};

} // namespace platform::gdi
