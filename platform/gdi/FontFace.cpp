#include "platform/gdi/FontFace.h"

#include "platform/gdi/Cp1252.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace platform::gdi {

namespace {

// The packaged faces, for when fontconfig finds nothing that FreeType opens.
constexpr const char* kFallbackRegular = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr const char* kFallbackBold = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

FT_Library Library()
{
    static FT_Library library = [] {
        FT_Library l = nullptr;
        if (FT_Init_FreeType(&l) != 0)
            l = nullptr;
        return l;
    }();
    return library;
}

// 26.6 fixed point to whole pixels, rounded.
int Round26(FT_Pos v) { return static_cast<int>((v + 32) >> 6); }

int Scale(long units, int ppem, int unitsPerEm) { return unitsPerEm > 0 ? static_cast<int>((units * ppem + unitsPerEm / 2) / unitsPerEm) : 0; }

std::string FaceName(const LOGFONTA& font)
{
    return Cp1252ToUtf8(std::string(font.lfFaceName, strnlen(font.lfFaceName, LF_FACESIZE)));
}

// The file and face index fontconfig offers for the logical font; false when
// fontconfig has nothing.
bool Match(const LOGFONTA& font, std::string& file, int& index)
{
    // The configuration is loaded once and released at exit.
    static const bool ready = [] {
        if (!FcInit())
            return false;
        std::atexit(FcFini);
        return true;
    }();
    if (!ready)
        return false;
    FcPattern* pattern = FcPatternCreate();
    const std::string name = FaceName(font);
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.empty() ? "sans-serif" : name.c_str()));
    const int weight = font.lfWeight == 0 ? FW_NORMAL : std::clamp<int>(font.lfWeight, 1, 1000);
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
    FcPatternAddInteger(pattern, FC_SLANT, font.lfItalic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    bool found = false;
    if (match) {
        FcChar8* path = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) {
            file = reinterpret_cast<const char*>(path);
            if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch)
                index = 0;
            found = true;
        }
        FcPatternDestroy(match);
    }
    return found;
}

} // namespace

struct FontFace::Impl {
    FT_Face face = nullptr;
};

FontFace::~FontFace()
{
    if (mImpl && mImpl->face)
        FT_Done_Face(mImpl->face);
}

std::unique_ptr<FontFace> FontFace::Create(const LOGFONTA& font)
{
    if (!Library())
        return nullptr;
    std::unique_ptr<FontFace> f(new FontFace);
    f->mImpl = std::make_unique<Impl>();
    std::string file;
    int index = 0;
    if (Match(font, file, index) && f->Open(file, index, font))
        return f;
    if (f->Open(font.lfWeight >= 600 ? kFallbackBold : kFallbackRegular, 0, font) || f->Open(kFallbackRegular, 0, font))
        return f;
    return nullptr;
}

bool FontFace::Open(const std::string& file, int index, const LOGFONTA& font)
{
    FT_Face face = nullptr;
    if (FT_New_Face(Library(), file.c_str(), index, &face) != 0)
        return false;
    if (!FT_IS_SCALABLE(face)) {
        FT_Done_Face(face);
        return false;
    }
    if (mImpl->face)
        FT_Done_Face(mImpl->face);
    mImpl->face = face;
    mFile = file;

    long winAscent = face->ascender, winDescent = -face->descender;
    long avgWidth = 0;
    if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2)); os2 && os2->version != 0xFFFF) {
        if (os2->usWinAscent + os2->usWinDescent > 0) {
            winAscent = os2->usWinAscent;
            winDescent = os2->usWinDescent;
        }
        avgWidth = os2->xAvgCharWidth;
    }
    const int upem = face->units_per_EM;
    // A negative height asks for the em, a positive one for the whole cell.
    int ppem = 16;
    if (font.lfHeight < 0)
        ppem = -font.lfHeight;
    else if (font.lfHeight > 0 && winAscent + winDescent > 0)
        ppem = std::max(1, static_cast<int>((int64_t(font.lfHeight) * upem + (winAscent + winDescent) / 2) / (winAscent + winDescent)));
    ppem = std::min(ppem, 2048);
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(ppem));

    mSynthBold = font.lfWeight >= 600 && !(face->style_flags & FT_STYLE_FLAG_BOLD);
    mSynthItalic = font.lfItalic && !(face->style_flags & FT_STYLE_FLAG_ITALIC);
    mUnderline = font.lfUnderline != 0;
    mStrikeOut = font.lfStrikeOut != 0;
    mUnderlinePos = std::max(1, Scale(-face->underline_position, ppem, upem));
    mUnderlineThickness = std::max(1, Scale(face->underline_thickness, ppem, upem));

    TEXTMETRICA& m = mMetrics;
    m = TEXTMETRICA{};
    m.tmAscent = Scale(winAscent, ppem, upem);
    m.tmDescent = Scale(winDescent, ppem, upem);
    m.tmHeight = m.tmAscent + m.tmDescent;
    m.tmInternalLeading = std::max(0, static_cast<int>(m.tmHeight) - ppem);
    m.tmAveCharWidth = Scale(avgWidth, ppem, upem);
    m.tmMaxCharWidth = Scale(face->max_advance_width, ppem, upem);
    m.tmWeight = font.lfWeight == 0 ? FW_NORMAL : font.lfWeight;
    m.tmDigitizedAspectX = m.tmDigitizedAspectY = 96;
    m.tmFirstChar = 0x20;
    m.tmLastChar = 0xFF;
    m.tmDefaultChar = 0x1F;
    m.tmBreakChar = 0x20;
    m.tmItalic = font.lfItalic ? 1 : 0;
    m.tmUnderlined = font.lfUnderline ? 1 : 0;
    m.tmStruckOut = font.lfStrikeOut ? 1 : 0;
    m.tmPitchAndFamily = FT_IS_FIXED_WIDTH(face) ? 0 : 1; // TMPF_FIXED_PITCH set means variable pitch
    m.tmCharSet = font.lfCharSet;
    for (Glyph& g : mGlyphs)
        g = Glyph{};
    return true;
}

const Glyph& FontFace::GetGlyph(uint8_t byte)
{
    Glyph& g = mGlyphs[byte];
    if (g.loaded)
        return g;
    g.loaded = true;
    FT_Face face = mImpl->face;
    const FT_UInt index = FT_Get_Char_Index(face, Cp1252ToUnicode(byte));
    if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP) != 0)
        return g;
    FT_GlyphSlot slot = face->glyph;
    if (mSynthItalic)
        FT_GlyphSlot_Oblique(slot);
    if (mSynthBold)
        FT_GlyphSlot_Embolden(slot);
    g.advance = Round26(slot->advance.x);
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0 || slot->bitmap.pixel_mode != FT_PIXEL_MODE_GRAY)
        return g;
    const FT_Bitmap& bm = slot->bitmap;
    g.left = slot->bitmap_left;
    g.top = slot->bitmap_top;
    g.width = static_cast<int>(bm.width);
    g.rows = static_cast<int>(bm.rows);
    g.coverage.resize(static_cast<size_t>(g.width) * g.rows);
    for (int r = 0; r < g.rows; ++r)
        std::memcpy(&g.coverage[static_cast<size_t>(r) * g.width], bm.buffer + static_cast<ptrdiff_t>(r) * bm.pitch, g.width);
    return g;
}

int FontFace::TextWidth(const char* text, int length)
{
    int w = 0;
    for (int i = 0; i < length; ++i)
        w += GetGlyph(static_cast<uint8_t>(text[i])).advance;
    return w;
}

namespace {

// The pixel moved towards the colour by `coverage` (0..255); the top byte
// is kept.
inline uint32_t Blend(uint32_t pixel, uint32_t r, uint32_t g, uint32_t b, uint32_t coverage)
{
    const uint32_t keep = 255 - coverage;
    const uint32_t pr = ((r * coverage + (pixel >> 16 & 0xFF) * keep + 127) / 255);
    const uint32_t pg = ((g * coverage + (pixel >> 8 & 0xFF) * keep + 127) / 255);
    const uint32_t pb = ((b * coverage + (pixel & 0xFF) * keep + 127) / 255);
    return (pixel & 0xFF000000) | pr << 16 | pg << 8 | pb;
}

} // namespace

void FontFace::FillRun(const PixelTarget& t, int left, int top, int right, int bottom, COLORREF color)
{
    left = std::max(left, static_cast<int>(t.clip.left));
    top = std::max(top, static_cast<int>(t.clip.top));
    right = std::min(right, static_cast<int>(t.clip.right));
    bottom = std::min(bottom, static_cast<int>(t.clip.bottom));
    const uint32_t pixel = uint32_t(GetRValue(color)) << 16 | uint32_t(GetGValue(color)) << 8 | GetBValue(color);
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) {
            uint32_t& p = t.rows[y * t.stride + x];
            p = (p & 0xFF000000) | pixel;
        }
}

void FontFace::Draw(const PixelTarget& t, int x, int y, const char* text, int length, COLORREF color)
{
    const uint32_t r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
    const int baseline = y + mMetrics.tmAscent;
    int pen = x;
    for (int i = 0; i < length; ++i) {
        const Glyph& glyph = GetGlyph(static_cast<uint8_t>(text[i]));
        const int gx = pen + glyph.left, gy = baseline - glyph.top;
        const int x0 = std::max(gx, static_cast<int>(t.clip.left)), x1 = std::min(gx + glyph.width, static_cast<int>(t.clip.right));
        const int y0 = std::max(gy, static_cast<int>(t.clip.top)), y1 = std::min(gy + glyph.rows, static_cast<int>(t.clip.bottom));
        for (int py = y0; py < y1; ++py) {
            const uint8_t* cov = &glyph.coverage[static_cast<size_t>(py - gy) * glyph.width];
            uint32_t* row = t.rows + py * t.stride;
            for (int px = x0; px < x1; ++px)
                if (const uint32_t c = cov[px - gx])
                    row[px] = Blend(row[px], r, g, b, c);
        }
        pen += glyph.advance;
    }
    if (mUnderline)
        FillRun(t, x, baseline + mUnderlinePos, pen, baseline + mUnderlinePos + mUnderlineThickness, color);
    if (mStrikeOut) {
        const int mid = baseline - mMetrics.tmAscent / 3;
        FillRun(t, x, mid, pen, mid + mUnderlineThickness, color);
    }
}

} // namespace platform::gdi
