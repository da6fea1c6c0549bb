#include "platform/gdi/Gdi.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct MulDivCase {
    int a, b, c, expected;
};

TEST(Gdi, MulDivRoundsHalfAwayFromZero)
{
    const MulDivCase cases[] = {
        { 12, 96, 72, 16 }, { 1, 1, 2, 1 }, { -1, 1, 2, -1 }, { 1, 1, -2, -1 }, { 5, 1, 0, -1 },
        { 0x40000000, 4, 1, -1 }, { 0x40000000, 4, 8, 0x20000000 },
    };
    for (const MulDivCase& c : cases)
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << " " << c.b << " " << c.c;
}

// A memory DC with a 32-bit DIB selected and a font selected.
struct Canvas {
    Canvas(int w, int h, HFONT f, bool topDown = true) : width(w), height(h), font(f)
    {
        dc = CreateCompatibleDC(nullptr);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = topDown ? -h : h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
        oldBitmap = SelectObject(dc, bitmap);
        oldFont = SelectObject(dc, font);
        RECT all{ 0, 0, w, h };
        FillRect(dc, &all, reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        SetBkMode(dc, TRANSPARENT);
    }
    ~Canvas()
    {
        SelectObject(dc, oldFont);
        SelectObject(dc, oldBitmap);
        EXPECT_TRUE(DeleteObject(bitmap));
        DeleteDC(dc);
        EXPECT_TRUE(DeleteObject(font));
    }
    // Columns holding a pixel that is not white, as [first, last + 1).
    std::pair<int, int> InkColumns() const
    {
        int first = width, last = -1;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if ((bits[y * width + x] & 0xFFFFFF) != 0xFFFFFF) {
                    first = std::min(first, x);
                    last = std::max(last, x);
                }
        return { first, last + 1 };
    }
    int width, height;
    HFONT font;
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ oldBitmap, oldFont;
    uint32_t* bits = nullptr;
};

HFONT MakeFont(const char* face, int height = -16, int weight = FW_NORMAL)
{
    return CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_TT_PRECIS, 0,
                       ANTIALIASED_QUALITY, 0, face);
}

int Width(HDC dc, const std::string& text, UINT format = DT_CALCRECT | DT_NOPREFIX)
{
    RECT r{ 0, 0, 0, 0 };
    std::string copy = text;
    DrawTextExA(dc, copy.data(), static_cast<int>(copy.size()), &r, format, nullptr);
    return r.right;
}

TEST(Gdi, ProgramFacesResolveToInstalledFonts)
{
    for (const char* face : { "Tahoma", "Arial", "Arial Unicode MS", "Courier New", "No Such Face" }) {
        HFONT font = MakeFont(face);
        ASSERT_NE(font, nullptr) << face;
        HDC dc = GetDC(nullptr);
        HGDIOBJ old = SelectObject(dc, font);
        TEXTMETRICA tm{};
        ASSERT_TRUE(GetTextMetricsA(dc, &tm));
        EXPECT_GT(tm.tmAscent, 10) << face;
        EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
        EXPECT_GE(tm.tmHeight, 16);
        if (std::strcmp(face, "Courier New") == 0) {
            EXPECT_EQ(Width(dc, "iiii"), Width(dc, "MMMM")) << "a monospaced face";
        }
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
        EXPECT_TRUE(DeleteObject(font));
    }
}

TEST(Gdi, MetricsFollowHeightWeightAndCopies)
{
    HFONT bold = MakeFont("DejaVu Sans", -32, FW_BOLD);
    LOGFONTA lf{};
    ASSERT_EQ(GetObjectA(bold, sizeof lf, &lf), static_cast<int>(sizeof lf));
    EXPECT_EQ(lf.lfHeight, -32);
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_STREQ(lf.lfFaceName, "DejaVu Sans");
    HFONT copy = CreateFontIndirectA(&lf);
    HFONT regular = MakeFont("DejaVu Sans", -32);
    HDC dc = GetDC(nullptr);
    TEXTMETRICA a{}, b{}, c{};
    HGDIOBJ old = SelectObject(dc, bold);
    GetTextMetricsA(dc, &a);
    const int boldWidth = Width(dc, "Hello");
    SelectObject(dc, copy);
    GetTextMetricsA(dc, &b);
    SelectObject(dc, regular);
    GetTextMetricsA(dc, &c);
    const int regularWidth = Width(dc, "Hello");
    EXPECT_EQ(a.tmWeight, 700);
    EXPECT_EQ(c.tmWeight, 400);
    EXPECT_EQ(a.tmHeight, b.tmHeight);
    EXPECT_GT(boldWidth, regularWidth);
    // An em of 32 pixels: the cell is taller than the em by the leading.
    EXPECT_EQ(c.tmInternalLeading, c.tmHeight - 32);
    EXPECT_FALSE(DeleteObject(regular)) << "still selected";
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    for (HFONT f : { bold, copy, regular })
        EXPECT_TRUE(DeleteObject(f));
    EXPECT_FALSE(DeleteObject(bold)) << "already deleted";
}

TEST(Gdi, DrawTextMeasuresLinesAndPrefixes)
{
    HFONT font = MakeFont("DejaVu Sans");
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    EXPECT_EQ(Width(dc, ""), 0);
    const int ab = Width(dc, "ab");
    EXPECT_GT(ab, 0);
    EXPECT_EQ(Width(dc, "&a&b", DT_CALCRECT), ab);
    EXPECT_GT(Width(dc, "&a&b"), ab);
    RECT r{ 5, 7, 5, 7 };
    char text[] = "ab\r\nabab\nx";
    EXPECT_EQ(DrawTextExA(dc, text, -1, &r, DT_CALCRECT | DT_NOPREFIX, nullptr), 3 * tm.tmHeight);
    EXPECT_EQ(r.right - r.left, Width(dc, "abab"));
    EXPECT_EQ(r.bottom, 7 + 3 * tm.tmHeight);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    DeleteObject(font);
}

TEST(Gdi, TextOutBlendsCoverageInTheTextColourWithinTheClip)
{
    Canvas c(80, 24, MakeFont("DejaVu Sans"));
    const int w = Width(c.dc, "Hello");
    SetTextColor(c.dc, RGB(255, 0, 0));
    ASSERT_TRUE(TextOutA(c.dc, 10, 2, "Hello", 5));
    auto [first, end] = c.InkColumns();
    EXPECT_GE(first, 10);
    EXPECT_LE(end, 10 + w + 1);
    EXPECT_GT(end - first, w / 2);
    bool solid = false, partial = false;
    for (int i = 0; i < 80 * 24; ++i) {
        const uint32_t p = c.bits[i] & 0xFFFFFF;
        // Red over white: red stays full, green and blue fall together.
        EXPECT_EQ(p >> 16, 0xFFu);
        EXPECT_EQ(p >> 8 & 0xFF, p & 0xFF);
        solid |= p == 0xFF0000;
        partial |= p != 0xFF0000 && p != 0xFFFFFF;
    }
    EXPECT_TRUE(solid);
    EXPECT_TRUE(partial) << "anti-aliased edges";

    RECT all{ 0, 0, 80, 24 };
    FillRect(c.dc, &all, reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    EXPECT_EQ(IntersectClipRect(c.dc, 0, 0, 14, 24), SIMPLEREGION);
    TextOutA(c.dc, 10, 2, "Hello", 5);
    EXPECT_LE(c.InkColumns().second, 14);
    EXPECT_EQ(IntersectClipRect(c.dc, 20, 0, 30, 24), NULLREGION);
}

TEST(Gdi, UpperBytesDrawTheirWindows1252Glyphs)
{
    Canvas big(4, 4, MakeFont("DejaVu Sans", -64));
    // 0x80 is the euro sign, 0xE9 e acute; neither is the missing-glyph box.
    EXPECT_NE(Width(big.dc, "\x80"), Width(big.dc, "\x81"));
    EXPECT_NE(Width(big.dc, "\xE9"), Width(big.dc, "\x81"));
    Canvas c(40, 24, MakeFont("DejaVu Sans"), false);
    std::string all;
    for (int b = 0x80; b <= 0xFF; ++b)
        all += static_cast<char>(b);
    TextOutA(c.dc, 0, 0, all.data(), static_cast<int>(all.size()));
    // Bottom-up rows: the glyphs near the top of the picture sit at the end
    // of the pixel memory.
    bool inkAtEnd = false;
    for (int i = 20 * 40; i < 24 * 40; ++i)
        inkAtEnd |= (c.bits[i] & 0xFFFFFF) != 0xFFFFFF;
    EXPECT_TRUE(inkAtEnd);
}

TEST(Gdi, BadHandlesAndBitmapsFail)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 0;
    info.bmiHeader.biHeight = -4;
    info.bmiHeader.biBitCount = 32;
    void* bits = reinterpret_cast<void*>(1);
    EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    EXPECT_EQ(bits, nullptr);
    info.bmiHeader.biWidth = 4;
    info.bmiHeader.biBitCount = 24;
    EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    int local = 0;
    EXPECT_FALSE(DeleteObject(reinterpret_cast<HGDIOBJ>(&local)));
    EXPECT_FALSE(TextOutA(reinterpret_cast<HDC>(&local), 0, 0, "a", 1));
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_BRUSH))) << "stock objects stay";
    {
        // A bitmap lives in one DC at a time; each DC gets its default back.
        Canvas a(4, 4, MakeFont("DejaVu Sans")), b(4, 4, MakeFont("DejaVu Sans"));
        EXPECT_EQ(SelectObject(b.dc, a.bitmap), nullptr);
        EXPECT_FALSE(DeleteObject(a.bitmap)) << "still selected";
    }
    // A window DC measures but has no pixels to draw into.
    HDC dc = GetDC(nullptr);
    EXPECT_TRUE(TextOutA(dc, 0, 0, "a", 1));
    EXPECT_EQ(ReleaseDC(nullptr, dc), 1);
}

} // namespace
