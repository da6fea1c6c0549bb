#include "framework/graphics/SysFont.h"

#include "FontTestSupport.h"
#include "TestHost.h"

#include <gtest/gtest.h>

using namespace Kivo;
using graphicstest::RecordingImage;

namespace {

LOGFONTA LogFont(const SysFont& f)
{
    LOGFONTA lf{};
    EXPECT_EQ(GetObjectA(f.mHFont, sizeof lf, &lf), static_cast<int>(sizeof lf));
    return lf;
}

TEST(SysFont, CreationMetricsAndCopies)
{
    SysFont bold("DejaVu Sans", 12, true);
    SysFont plain(nullptr, "DejaVu Sans", 12, ANSI_CHARSET);
    EXPECT_EQ(LogFont(bold).lfHeight, -16) << "12 points at 96 dpi";
    EXPECT_EQ(LogFont(bold).lfWeight, 700);
    EXPECT_EQ(LogFont(plain).lfWeight, 400);
    EXPECT_EQ(LogFont(plain).lfQuality, ANTIALIASED_QUALITY);
    EXPECT_GT(plain.GetAscent(), 0);
    EXPECT_EQ(plain.GetLineSpacing(), plain.GetHeight());
    EXPECT_EQ(plain.GetDescent(), plain.GetHeight() - plain.GetAscent());
    EXPECT_EQ(plain.StringWidth(""), 0);
    EXPECT_GT(bold.StringWidth("Hello"), plain.StringWidth("Hello"));

    bold.mDrawShadow = bold.mSimulateBold = true;
    std::unique_ptr<Font> copy(bold.Duplicate());
    auto* sys = static_cast<SysFont*>(copy.get());
    EXPECT_NE(sys->mHFont, bold.mHFont);
    EXPECT_EQ(LogFont(*sys).lfHeight, -16);
    EXPECT_EQ(sys->GetAscent(), bold.GetAscent());
    EXPECT_EQ(sys->StringWidth("Hello"), bold.StringWidth("Hello"));
    EXPECT_FALSE(sys->mDrawShadow || sys->mSimulateBold);
}

TEST(SysFont, AlphaFromTheTwoBackgrounds)
{
    struct Case {
        uint32_t overWhite, overBlack, expected;
    } cases[] = {
        { 0x123456, 0x123456, 0xFF123456 }, // covered fully: opaque
        { 0xFFFFFF, 0x000000, 0 },          // uncovered: transparent
        { 0xFF8080, 0x7F0000, 0x7FFF0000 }, // red at half coverage
        { 0x808080, 0x000000, 0x7F000000 }, // black at half coverage
        { 0xFF0000, 0x000000, 0 },          // a channel alpha of 0: no division
        { 0x00FFFF, 0xFF0000, 0 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(TextPixelFromBackgrounds(c.overWhite, c.overBlack), c.expected) << std::hex << c.overWhite;
}

TEST(SysFont, DrawsHelloThroughAnImageOfTheMeasuredWidth)
{
    graphicstest::TestHost host;
    SysFont font("DejaVu Sans", 12);
    RecordingImage dest(200, 50);
    Graphics g(&dest);
    g.Translate(5, 0);
    g.SetFont(&font);
    g.SetColor(Color(0, 0, 255));
    g.DrawString("Hello", 10, 30);
    ASSERT_EQ(dest.calls.size(), 1u);
    const int w = font.StringWidth("Hello");
    EXPECT_EQ(dest.sourceSizes[0], std::make_pair(w, font.GetHeight()));
    EXPECT_EQ(dest.calls[0].dest, Rect(15, 30 - font.GetAscent(), 0, 0));
    int opaque = 0, clear = 0, edge = 0;
    for (uint32_t p : dest.sourcePixels[0]) {
        const uint32_t a = p >> 24;
        opaque += a == 255 && (p & 0xFFFFFF) == 0x0000FF;
        clear += p == 0;
        edge += a > 0 && a < 255 && (p & 0xFFFFFF) == 0x0000FF;
    }
    EXPECT_GT(opaque, 0);
    EXPECT_GT(clear, 0);
    EXPECT_GT(edge, 0);

    dest.calls.clear();
    g.DrawString("", 10, 30);
    EXPECT_TRUE(dest.calls.empty()) << "empty text draws nothing";
}

// The row of the topmost pixel that is not `background`.
int TopInk(const uint32_t* px, int w, int h, uint32_t background)
{
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if ((px[y * w + x] & 0xFFFFFF) != background)
                return y;
    return -1;
}

TEST(SysFont, SurfaceTextSitsOnePixelLowerThanSoftwareText)
{
    graphicstest::TestHost images;
    graphicstest::TestFontHost host;
    SysFont font(&host, "DejaVu Sans", 12, ANSI_CHARSET);
    constexpr int W = 60, H = 30;

    MemoryImage software;
    std::vector<uint32_t> black(W * H, 0xFF000000);
    software.SetBits(black.data(), W, H);
    Graphics sg(&software);
    sg.SetFont(&font);
    sg.SetColor(Color(255, 255, 255));
    sg.DrawString("H", 2, 20);

    RecordingImage surface(W, H);
    host.surface = &surface;
    host.surfaceDc = CreateCompatibleDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader = { sizeof(BITMAPINFOHEADER), W, -H, 1, 32, BI_RGB, 0, 0, 0, 0, 0 };
    uint32_t* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(host.surfaceDc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    HGDIOBJ old = SelectObject(host.surfaceDc, bitmap);
    Graphics dg(&surface);
    dg.SetFont(&font);
    dg.SetColor(Color(255, 255, 255));
    dg.DrawString("H", 2, 20);
    EXPECT_EQ(host.surfaceDraws, 1);
    EXPECT_TRUE(surface.calls.empty());

    const int softwareTop = TopInk(software.GetBits(), W, H, 0);
    ASSERT_GE(softwareTop, 0);
    EXPECT_EQ(TopInk(bits, W, H, 0), softwareTop + 1);
    SelectObject(host.surfaceDc, old);
    DeleteObject(bitmap);
    DeleteDC(host.surfaceDc);
}

} // namespace
