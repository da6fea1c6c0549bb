#include "SurfaceFixture.h"

#include "framework/graphics/Matrix3x3.h"
#include "framework/raster/WideKernels.h"

#include <cstdlib>
#include <functional>
#include <numbers>
#include <random>

namespace {

using Kivo::Color;
using Kivo::Rect;
using surfacetest::kLayouts;
using surfacetest::Rgba;
using surfacetest::SurfaceTest;

TEST_F(SurfaceTest, FillsPerLayout)
{
    struct Case {
        const char* name;
        int layout; // index into kLayouts: 565, 555, 32-bit
        uint32_t before;
        Color color;
        int mode;
        uint32_t after;
    } cases[] = {
        { "opaque white 565", 0, 0x0000, Color(255, 255, 255), 0, 0xFFFF },
        { "opaque white 555", 1, 0x0000, Color(255, 255, 255), 0, 0x7FFF },
        { "opaque white 32, top byte cleared", 2, 0xFF000000, Color(255, 255, 255), 0, 0x00FEFEFE },
        { "black at 128 over white 32", 2, 0x00FFFFFF, Rgba(0, 0, 0, 128), 0, 0x007F7F7F },
        // Source ((((c a + 128) >> 8) + 1) M) >> 8, destination (d inverse + M) >> 8.
        { "red at 128 over black 565", 0, 0x0000, Rgba(255, 0, 0, 128), 0, 0x7800 },
        { "green at 64 over white 555", 1, 0x7FFF, Rgba(0, 255, 0, 64), 0, 0x5FD7 },
        { "additive white on black 565", 0, 0x0000, Color(255, 255, 255), 1, 0xFFFF },
        { "additive saturates 565", 0, 0xF800, Color(255, 0, 0), 1, 0xF800 },
        { "additive saturates 32", 2, 0xFFFF0000, Color(255, 16, 0), 1, 0x00FF1000 },
        { "additive at half alpha 555", 1, 0x0000, Rgba(255, 255, 255, 128), 1, 0x4210 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Start(kLayouts[c.layout]);
        auto image = Opaque(3, 3);
        SetAll(*image, c.before);
        image->FillRect(Rect(1, 1, 1, 1), c.color, c.mode);
        EXPECT_EQ(image->mBits, nullptr); // drawn into the surface only
        const auto px = Pixels(*image);
        EXPECT_EQ(px[4], c.after);
        EXPECT_EQ(px[0], c.before);
        EXPECT_EQ(px[5], c.before);
    }
}

// A picture with transparent pixels fills on its bits whether or not it has
// a keyed surface: blending into the surface would turn the key colour into
// a visible one.
TEST_F(SurfaceTest, FillsOnTransparentPicturesDoNotDependOnTheSurface)
{
    for (int layout : { 0, 2 }) {
        SCOPED_TRACE(layout);
        Start(kLayouts[layout]);
        const std::vector<uint32_t> pixels { 0x00000000, 0xFF00FF00 };
        std::vector<uint32_t> filled[2];
        for (bool surface : { false, true }) {
            Kivo::DDImage image(display.get());
            image.SetBits(pixels.data(), 2, 1);
            if (surface) {
                ASSERT_TRUE(image.CreateSurfaceFromBits());
            }
            image.FillRect(Rect(0, 0, 2, 1), Rgba(255, 0, 0, 128), 0);
            const uint32_t* bits = image.GetBits();
            ASSERT_NE(bits, nullptr);
            filled[surface].assign(bits, bits + 2);
        }
        EXPECT_EQ(filled[true], filled[false]);
        EXPECT_EQ(filled[false][0] >> 24, 0x80u); // the transparent pixel turns translucent red
    }
}

TEST_F(SurfaceTest, PlainLinesStepOnePixelPerMajorStep)
{
    Start(kLayouts[2]);
    const char* shallow = "##.........\n"
                          "..####.....\n"
                          "......###..\n"
                          ".........##\n";
    for (bool backwards : { false, true }) {
        SCOPED_TRACE(backwards);
        auto image = Opaque(11, 4);
        SetAll(*image, 0);
        if (backwards)
            image->DrawLine(10, 3, 0, 0, Color(255, 255, 255), 0);
        else
            image->DrawLine(0, 0, 10, 3, Color(255, 255, 255), 0);
        EXPECT_EQ(Shape(*image), shallow);
    }
    // Equal extents step along y; the opaque colour is placed with rounding.
    auto image = Opaque(4, 4);
    SetAll(*image, 0);
    image->DrawLine(3, 0, 0, 3, Color(255, 0, 0), 0);
    EXPECT_EQ(Shape(*image), "...#\n..#.\n.#..\n#...\n");
    EXPECT_EQ(Pixels(*image)[3], 0x00FE0000u);
    // Straight lines are one-pixel fills; translucent lines blend.
    image->DrawLine(0, 1, 3, 1, Rgba(0, 0, 0, 128), 0);
    EXPECT_EQ(Pixels(*image)[6], 0x007F0000u);
    EXPECT_EQ(Pixels(*image)[4], 0u);
    image->DrawLine(1, 0, 1, 3, Color(0, 0, 255), 1);
    EXPECT_EQ(Shape(*image), ".#.#\n.##.\n.#..\n##..\n");
}

TEST_F(SurfaceTest, SmoothLineWeightsAndEdges)
{
    Start(kLayouts[2]);
    auto image = Opaque(5, 4);
    SetAll(*image, 0);
    image->DrawLineAA(0, 0, 4, 2, Color(255, 255, 255), 0);
    // Weights 255, 127 / 128, 255 / 0, 127 / 128, then the end at 127; white
    // packs to 254, so a weight w gives (254 w) >> 8 in each channel.
    const uint32_t expect[] = { 253, 126, 0, 0, 0, 0, 127, 253, 126, 0, 0, 0, 0, 127, 126, 0, 0, 0, 0, 0 };
    const auto px = Pixels(*image);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(px[i], expect[i] * 0x010101u) << i;

    // Endpoints in one pixel: drawn twice, nothing else.
    SetAll(*image, 0);
    image->DrawLineAA(2.2, 1.1, 2.7, 1.9, Color(255, 255, 255), 0);
    EXPECT_EQ(Shape(*image), ".....\n..#..\n.....\n.....\n");
    // Fraction 0.1 x 0.2 gives weight 250 twice: 248, then (248 x 6 + 254 x 250) >> 8.
    EXPECT_EQ(Pixels(*image)[7], 0x00FDFDFDu);

    // On the bottom row no neighbour is drawn below (nothing outside the image).
    SetAll(*image, 0);
    image->DrawLineAA(0, 3.5, 4, 3.5, Rgba(255, 255, 255, 128), 0);
    EXPECT_EQ(Shape(*image), ".....\n.....\n.....\n#####\n");

    // The additive smoothed line draws nothing.
    SetAll(*image, 0);
    image->DrawLineAA(0, 0, 4, 2, Color(255, 255, 255), 1);
    EXPECT_EQ(Shape(*image), ".....\n.....\n.....\n.....\n");
}

TEST_F(SurfaceTest, SmoothLineOnSpreadSixteenBitLayouts)
{
    for (int layout : { 0, 1 }) {
        SCOPED_TRACE(layout);
        Start(kLayouts[layout]);
        auto image = Opaque(3, 2);
        SetAll(*image, layout == 0 ? 0xFFFF : 0x7FFF);
        image->DrawLineAA(0, 0, 2, 1, Color(0, 0, 0), 0);
        const auto px = Pixels(*image);
        // Weight 255 keeps 0 of 31 parts of white: nothing of it is left.
        EXPECT_EQ(px[0], 0u);
        // Weight 127 (factor 15 of 32, destination 16 of 32): half of white.
        EXPECT_EQ(px[1], layout == 0 ? 0x7BEFu : 0x3DEFu);
    }
}

} // namespace

namespace {

using Kivo::Color;
using Kivo::Rect;
using surfacetest::kLayouts;
using surfacetest::Rgba;
using surfacetest::SurfaceTest;

class SurfaceBltTest : public SurfaceTest {
protected:
    std::unique_ptr<Kivo::MemoryImage> Source(const std::vector<uint32_t>& pixels, bool hint = false)
    {
        auto image = std::make_unique<Kivo::MemoryImage>(&app);
        image->SetBits(pixels.data(), int(pixels.size()), 1);
        image->SetBltHint(hint);
        return image;
    }
};

TEST_F(SurfaceBltTest, BlitsPerLayoutAndColour)
{
    struct Case {
        const char* name;
        int layout;
        uint32_t source;
        uint32_t before;
        Color color;
        int mode;
        uint32_t after;
        bool hint = false;
    } cases[] = {
        { "opaque copy keeps the native alpha", 2, 0xFF102030, 0, Color(255, 255, 255), 0, 0xFF102030 },
        { "opaque copy 565", 0, 0xFFF8FCF8, 0, Color(255, 255, 255), 0, 0xFFFF },
        { "grey halves 32", 2, 0xFF102030, 0, Color(128, 128, 128), 0, 0x00081018 },
        { "grey halves 565 in fifths of 32", 0, 0xFFF8FCF8, 0, Color(128, 128, 128), 0, 0x7BEF },
        { "grey halves 555", 1, 0xFFF8F8F8, 0, Color(128, 128, 128), 0, 0x3DEF },
        { "other colour keeps red only 32", 2, 0xFFFFFFFF, 0, Color(255, 0, 0), 0, 0x00FE0000 },
        { "translucent over white 32", 2, 0x80FFFFFF, 0x00FFFFFF, Color(255, 255, 255), 0, 0x80FFFFFF },
        { "translucent over black 565", 0, 0x80FFFFFF, 0, Color(255, 255, 255), 0, 0x8410 },
        { "transparent untouched by a colour", 2, 0x00FFFFFF, 0x00123456, Color(1, 2, 3), 0, 0x00123456 },
        { "additive red on red saturates 565", 0, 0xFFFF0000, 0xF800, Color(255, 255, 255), 1, 0xF800 },
        { "additive red on black 32", 2, 0xFFFF0000, 0, Color(255, 255, 255), 1, 0x00FF0000 },
        { "additive black leaves the pixel", 2, 0xFF000000, 0x00102030, Color(255, 255, 255), 1, 0x00102030 },
        { "additive by a colour 32", 2, 0xFFFF0000, 0x00010000, Color(128, 0, 0), 1, 0x00800000 },
        { "hinted alpha 128 is 16 of 32 on 565", 0, 0x80FFFFFF, 0, Color(255, 255, 255), 0, 0x7BEF, true },
        { "hinted 32", 2, 0x80FFFFFF, 0x00000000, Color(255, 255, 255), 0, 0x007F7F7F, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Start(kLayouts[c.layout]);
        auto image = Opaque(3, 2);
        SetAll(*image, c.before);
        auto source = Source({ 0xFF000000, c.source }, c.hint);
        image->Blt(source.get(), 1, 1, Rect(1, 0, 1, 1), c.color, c.mode);
        EXPECT_TRUE(source->mDrawn);
        const auto px = Pixels(*image);
        EXPECT_EQ(px[4], c.after);
        EXPECT_EQ(px[3], c.before);
        EXPECT_EQ(px[5], c.before);
        EXPECT_EQ(image->mBits, nullptr);
    }
}

TEST_F(SurfaceBltTest, TransparentPixelsAreLeftOut)
{
    Start(kLayouts[2]);
    auto image = Opaque(4, 1);
    SetAll(*image, 0x00ABCDEF);
    // Copy and blend paths both skip alpha 0; a long transparent run is walked
    // in pieces of at most 255 pixels.
    std::vector<uint32_t> pixels(300, 0x00FFFFFF);
    pixels[1] = 0xFF010203;
    pixels[299] = 0xFF040506;
    auto source = Source(pixels);
    image->Blt(source.get(), 0, 0, Rect(0, 0, 2, 1), Color(255, 255, 255), 0);
    EXPECT_EQ(Pixels(*image), (std::vector<uint32_t> { 0x00ABCDEF, 0xFF010203, 0x00ABCDEF, 0x00ABCDEF }));
    auto wide = Opaque(300, 1);
    SetAll(*wide, 0x00ABCDEF);
    wide->Blt(source.get(), 0, 0, Rect(0, 0, 300, 1), Rgba(255, 255, 255, 255 - 1), 0);
    const auto px = Pixels(*wide);
    EXPECT_EQ(px[0], 0x00ABCDEFu);
    EXPECT_EQ(px[298], 0x00ABCDEFu);
    EXPECT_NE(px[299], 0x00ABCDEFu);
}

TEST_F(SurfaceBltTest, MirroredBlitsRunRightToLeft)
{
    for (int mode : { 0, 1 }) {
        SCOPED_TRACE(mode);
        Start(kLayouts[2]);
        auto image = Opaque(13, 1);
        SetAll(*image, 0);
        auto source = Source({ 0xFF000001, 0xFF000002, 0xFF000003 });
        image->BltMirror(source.get(), 10, 0, Rect(0, 0, 3, 1), Color(255, 255, 255), mode);
        const auto px = Pixels(*image);
        EXPECT_EQ(px[9], 0u);
        EXPECT_EQ(px[10] & 0xFFFFFF, 3u);
        EXPECT_EQ(px[11] & 0xFFFFFF, 2u);
        EXPECT_EQ(px[12] & 0xFFFFFF, 1u);
    }
}

TEST_F(SurfaceBltTest, SurfaceSourcesCopyThroughDirectDrawKeepingTheLock)
{
    Start(kLayouts[2]);
    auto image = Opaque(3, 1);
    SetAll(*image, 0);
    auto source = std::make_unique<Kivo::DDImage>(display.get());
    const std::vector<uint32_t> pixels { 0xFF112233, 0x00000000 };
    source->SetBits(pixels.data(), 2, 1);
    ASSERT_TRUE(source->CreateSurfaceFromBits());
    ASSERT_TRUE(image->LockSurface());
    image->Blt(source.get(), 1, 0, Rect(0, 0, 2, 1), Color(255, 255, 255), 0);
    EXPECT_EQ(image->mLockCount, 1);
    image->UnlockSurface();
    // Keyed: the transparent pixel is not copied.
    EXPECT_EQ(Pixels(*image), (std::vector<uint32_t> { 0, 0x112233, 0 }));
}

TEST_F(SurfaceBltTest, ImagesWithoutASurfaceKeepTheirPicture)
{
    Start(kLayouts[2]);
    auto image = std::make_unique<Kivo::DDImage>(display.get());
    const std::vector<uint32_t> pixels { 0x80000000, 0xFF000000 };
    image->SetBits(pixels.data(), 2, 1); // translucent: never gets a surface
    auto source = Source({ 0xFF00FF00 });
    image->BltMirror(source.get(), 1, 0, Rect(0, 0, 1, 1), Color(255, 255, 255), 0);
    ASSERT_NE(image->mBits, nullptr);
    EXPECT_EQ(image->mBits[1], 0xFF000000u);
    image->Blt(source.get(), 1, 0, Rect(0, 0, 1, 1), Color(255, 255, 255), 0);
    EXPECT_NE(image->mBits[1], 0xFF000000u); // drawn on the bits
}

} // namespace

namespace {

using Kivo::Color;
using surfacetest::kLayouts;
using surfacetest::SurfaceTest;

// Translucent fills over rows long enough for the widest blend, the narrower
// one and the leftovers, with and without the AVX2 kernels, against the
// channel-by-channel rule: source
// ((((c a + r) >> 8) + 1) M) >> 8 with r 127 on 32-bit and 128 on 16-bit
// layouts, destination (d inverse + M) >> 8 with the + M on 16-bit only.
TEST_F(SurfaceTest, TranslucentFillsFollowTheChannelRule)
{
    std::mt19937 random(7);
    for (int run = 0; run < 6; ++run) {
        const bool wideKernels = run < 3;
        const int layout = run % 3;
        const platform::PixelLayout& l = kLayouts[layout];
        const bool wide = l.bytesPerPixel == 4;
        const uint32_t masks[3] = { l.redMask, l.greenMask, l.blueMask };
        for (int a : { 1, 64, 128, 200, 254 }) {
            SCOPED_TRACE(testing::Message() << "layout " << layout << " alpha " << a << " AVX2 " << wideKernels);
            Kivo::UseWideKernels(wideKernels);
            Start(l);
            auto image = Opaque(31, 3);
            EachPixel(*image, [&](uint32_t& p) { p = wide ? random() : random() & 0xFFFF; });
            const auto before = Pixels(*image);
            const int c[3] = { int(random() % 256), int(random() % 256), int(random() % 256) };
            image->FillRect(Rect(1, 0, 29, 3), Rgba(c[0], c[1], c[2], a), 0);
            const auto after = Pixels(*image);
            for (size_t i = 0; i < after.size(); ++i) {
                const int x = int(i % 31);
                uint32_t want = before[i];
                if (x >= 1 && x < 30) {
                    want = 0;
                    for (int k = 0; k < 3; ++k) {
                        const uint64_t m = masks[k];
                        want += uint32_t((((uint64_t(c[k]) * a + (wide ? 127 : 128)) >> 8) + 1) * m >> 8 & m);
                        want += uint32_t(((before[i] & m) * uint64_t(256 - a) + (wide ? 0 : m)) >> 8 & m);
                    }
                }
                EXPECT_EQ(after[i], want) << "pixel " << i;
            }
        }
    }
    Kivo::UseWideKernels(true);
}

TEST_F(SurfaceTest, CoverageFillsBlendByCoverage)
{
    for (int layout : { 0, 2 }) {
        SCOPED_TRACE(layout);
        Start(kLayouts[layout]);
        auto image = Opaque(4, 2);
        SetAll(*image, 0);
        const uint8_t coverage[] = { 255, 127, 0, 9, 9, 9 }; // 3 x 2, at (1, 0)
        const Kivo::Span spans[] = { { 0, 1, 3 }, { 1, 0, 4 } };
        // Additive calls blend like normal ones; pixels beyond the coverage
        // buffer (row 1, column 0) are left alone.
        image->FillScanLinesWithCoverage(spans, 2, Color(255, 255, 255), 1, coverage, 1, 0, 3, 2);
        const auto px = Pixels(*image);
        if (layout == 2) {
            // White packs to 254; coverage 255 gives factor 255, 127 gives 127.
            EXPECT_EQ(px[1], 0x00FDFDFDu);
            EXPECT_EQ(px[2], 0x007E7E7Eu);
        } else {
            EXPECT_EQ(px[1], 0xEFBDu); // white packs to 30, 62, 30; 255 / 256 of that
            EXPECT_EQ(px[2], 0x73CEu);
        }
        EXPECT_EQ(px[3], 0u);
        EXPECT_EQ(px[4], 0u);
        EXPECT_NE(px[5], 0u);
        EXPECT_EQ(image->mBits, nullptr);
    }
}

// A surface that cannot be locked gets nothing drawn by any surface routine:
// the picture stays in the software copies.
TEST_F(SurfaceTest, ASurfaceThatCannotBeLockedKeepsTheSoftwareCopies)
{
    Start(kLayouts[2]);
    Kivo::MemoryImage source(&app);
    const std::vector<uint32_t> white(4, 0xFFFFFFFF);
    source.SetBits(white.data(), 2, 2);
    const uint8_t coverage[] = { 255, 255, 255, 255 };
    const Kivo::Span span { 0, 0, 2 };
    struct Case {
        const char* name;
        std::function<void(Kivo::DDImage&)> draw;
    } cases[] = {
        { "coverage fill",
          [&](Kivo::DDImage& i) { i.FillScanLinesWithCoverage(&span, 1, Color(255, 255, 255), 0, coverage, 0, 0, 2, 2); } },
        { "fill", [](Kivo::DDImage& i) { i.FillRect(Rect(0, 0, 2, 2), Color(255, 255, 255), 0); } },
        { "additive fill", [](Kivo::DDImage& i) { i.FillRect(Rect(0, 0, 2, 2), Color(255, 255, 255), 1); } },
        { "line", [](Kivo::DDImage& i) { i.DrawLine(0, 0, 1, 1, Color(255, 255, 255), 0); } },
        { "smooth line", [](Kivo::DDImage& i) { i.DrawLineAA(0, 0, 1, 1, Color(255, 255, 255), 0); } },
        { "blit", [&](Kivo::DDImage& i) { i.Blt(&source, 0, 0, Rect(0, 0, 2, 2), Color::White, 0); } },
        { "mirrored blit", [&](Kivo::DDImage& i) { i.BltMirror(&source, 0, 0, Rect(0, 0, 2, 2), Color::White, 0); } },
    };
    const std::vector<uint32_t> pixels { 0xFF102030, 0xFF405060, 0xFF708090, 0xFFA0B0C0 };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Kivo::DDImage image(display.get());
        image.SetBits(pixels.data(), 2, 2);
        ASSERT_TRUE(image.CreateSurfaceFromBits());
        platform::DDraw().FailCall("Lock", DDERR_SURFACEBUSY);
        c.draw(image);
        platform::ResetDDraw();
        ASSERT_NE(image.mBits, nullptr);
        EXPECT_EQ(std::vector<uint32_t>(image.mBits, image.mBits + 4), pixels);
    }
}

} // namespace

namespace {

using Kivo::Color;
using Kivo::Rect;
using surfacetest::kLayouts;
using surfacetest::Rgba;
using surfacetest::SurfaceTest;

TEST_F(SurfaceTest, FastStretchesSampleTheNearestPixel)
{
    Start(kLayouts[2]);
    Kivo::MemoryImage source(&app);
    const std::vector<uint32_t> pixels { 0xFF000001, 0xFF000002, 0x00000000 };
    source.SetBits(pixels.data(), 3, 1);
    auto image = Opaque(6, 1);
    const Rect all(0, 0, 6, 1);
    struct Case {
        const char* name;
        bool mirror;
        int mode;
        uint32_t before;
        std::vector<uint32_t> after;
    } cases[] = {
        { "plain", false, 0, 0, { 0, 0xFF000001, 0xFF000001, 0xFF000002, 0xFF000002, 0 } },
        { "mirrored", true, 0, 0, { 0, 0xFF000002, 0xFF000002, 0xFF000001, 0xFF000001, 0 } },
        { "additive saturates", false, 1, 0x00FFFFFE, { 0x00FFFFFE, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0x00FFFFFE } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetAll(*image, c.before);
        if (c.mirror)
            image->StretchBltMirror(&source, Rect(1, 0, 4, 1), Rect(0, 0, 2, 1), all, Color(255, 255, 255), c.mode,
                                    true);
        else
            image->StretchBlt(&source, Rect(1, 0, 4, 1), Rect(0, 0, 2, 1), all, Color(255, 255, 255), c.mode, true);
        EXPECT_EQ(Pixels(*image), c.after);
    }
    // A transparent source pixel, or a whole-zero one added, leaves the pixel.
    SetAll(*image, 0x00123456);
    image->StretchBlt(&source, Rect(0, 0, 2, 1), Rect(2, 0, 1, 1), all, Color(255, 255, 255), 0, true);
    image->StretchBlt(&source, Rect(2, 0, 2, 1), Rect(2, 0, 1, 1), all, Color(255, 255, 255), 1, true);
    EXPECT_EQ(Pixels(*image), std::vector<uint32_t>(6, 0x00123456));
    // A colour scales the premultiplied source: alpha 128 over black.
    const std::vector<uint32_t> white { 0xFFFFFFFF };
    source.SetBits(white.data(), 1, 1);
    SetAll(*image, 0);
    image->StretchBlt(&source, Rect(0, 0, 1, 1), Rect(0, 0, 1, 1), all, Rgba(255, 255, 255, 128), 0, true);
    EXPECT_EQ(Pixels(*image)[0], 0x007F7F7Fu); // (255 x 128) >> 8
    // Clipped away: nothing drawn, the software copies stay.
    auto fresh = Opaque(2, 1);
    std::vector<uint32_t> keep { 0xFF000000, 0xFF000000 };
    fresh->SetBits(keep.data(), 2, 1);
    fresh->StretchBlt(&source, Rect(0, 0, 2, 1), Rect(0, 0, 1, 1), Rect(5, 5, 1, 1), Color(255, 255, 255), 0, true);
    EXPECT_NE(fresh->mBits, nullptr);
}

} // namespace

namespace {

using Kivo::Color;
using Kivo::Rect;
using surfacetest::kLayouts;
using surfacetest::Rgba;
using surfacetest::SurfaceTest;

// A smooth stretch into a surface is the filtered stretch made in a picture
// of the clipped destination's size and blitted into the surface with the
// colour and draw mode; the picture stays in the surface only.
TEST_F(SurfaceTest, SmoothStretchesBlitAFilteredPictureIntoTheSurface)
{
    Kivo::MemoryImage source(&app);
    const std::vector<uint32_t> pixels { 0xFFFF0000, 0x8000FF00, 0xFF0000FF, 0xFFFFFFFF, 0x00000000, 0xFF204060 };
    source.SetBits(pixels.data(), 3, 2);
    struct Case {
        const char* name;
        Rect dest, clip;
        Rect shown; // the clipped destination
        Color color;
        int mode;
    } cases[] = {
        { "white", Rect(1, 1, 6, 4), Rect(0, 0, 8, 6), Rect(1, 1, 6, 4), Color(255, 255, 255), 0 },
        { "coloured, clipped", Rect(-2, 1, 6, 4), Rect(0, 0, 8, 6), Rect(0, 1, 4, 4), Rgba(255, 128, 64, 128), 0 },
        { "additive", Rect(1, 0, 7, 5), Rect(0, 0, 8, 3), Rect(1, 0, 7, 3), Color(255, 255, 255), 1 },
    };
    for (int layout : { 0, 2 }) {
        Start(kLayouts[layout]);
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.name << ", layout " << layout);
            auto image = Opaque(8, 6);
            auto twin = Opaque(8, 6);
            for (Kivo::DDImage* i : { image.get(), twin.get() })
                SetAll(*i, layout == 2 ? 0x00406080 : 0x4210);
            image->StretchBlt(&source, c.dest, Rect(0, 0, 3, 2), c.clip, c.color, c.mode, false);
            Kivo::MemoryImage stretched(&app);
            stretched.Create(c.shown.mWidth, c.shown.mHeight);
            stretched.Clear();
            stretched.StretchBlt(&source, Rect(c.dest.mX - c.shown.mX, c.dest.mY - c.shown.mY, c.dest.mWidth, c.dest.mHeight),
                                 Rect(0, 0, 3, 2), Rect(0, 0, c.shown.mWidth, c.shown.mHeight), Color(255, 255, 255), 0,
                                 false);
            twin->Blt(&stretched, c.shown.mX, c.shown.mY, Rect(0, 0, c.shown.mWidth, c.shown.mHeight), c.color, c.mode);
            ASSERT_NE(image->mSurface, nullptr);
            EXPECT_EQ(image->mBits, nullptr);
            EXPECT_EQ(Pixels(*image), Pixels(*twin));
        }
    }
}

// The nearest-pixel stretch into a 16-bit surface, from a plain and from a
// palette source: each destination pixel takes its source pixel's colour
// packed for the surface, transparent ones leave it.
TEST_F(SurfaceTest, FastStretchesInto16BitFromPlainAndPaletteSources)
{
    Start(kLayouts[0]);
    const std::vector<uint32_t> pixels { 0xFFFF0000, 0xFF0000FF, 0x00000000 };
    const Rect all(0, 0, 6, 1);
    for (bool palette : { false, true }) {
        SCOPED_TRACE(palette ? "palette" : "plain");
        Kivo::MemoryImage source(&app);
        source.SetBits(pixels.data(), 3, 1);
        if (palette) {
            ASSERT_TRUE(source.Palletize());
        }
        auto image = Opaque(6, 1);
        SetAll(*image, 0x07E0);
        image->StretchBlt(&source, Rect(0, 0, 6, 1), Rect(0, 0, 3, 1), all, Color(255, 255, 255), 0, true);
        EXPECT_EQ(Pixels(*image), (std::vector<uint32_t> { 0xF800, 0xF800, 0x001F, 0x001F, 0x07E0, 0x07E0 }));
        // Two pixels over three: the mirrored stretch is the plain one
        // reversed.
        image->StretchBlt(&source, Rect(0, 0, 3, 1), Rect(0, 0, 2, 1), all, Color(255, 255, 255), 0, true);
        const auto plain = Pixels(*image);
        image->StretchBltMirror(&source, Rect(0, 0, 3, 1), Rect(0, 0, 2, 1), all, Color(255, 255, 255), 0, true);
        const auto mirrored = Pixels(*image);
        EXPECT_EQ(std::vector<uint32_t>(mirrored.begin(), mirrored.begin() + 3),
            std::vector<uint32_t>(plain.rend() - 3, plain.rend()));
        EXPECT_NE(plain[0], plain[2]);
        EXPECT_EQ(std::vector<uint32_t>(mirrored.begin() + 3, mirrored.end()), (std::vector<uint32_t> { 0x001F, 0x07E0, 0x07E0 }));
    }
}

TEST_F(SurfaceTest, RotatedBlitAtAngleZeroDrawsTheWholeRect)
{
    struct Case {
        const char* name;
        int layout;
        uint32_t before;
        Color color;
        int mode;
        uint32_t drawn; // each drawn pixel from an opaque white source
    } cases[] = {
        { "32 over black", 2, 0, Color(255, 255, 255), 0, 0x00FDFDFD },
        { "32 over white", 2, 0x00FFFFFF, Color(255, 255, 255), 0, 0x00FEFEFE },
        { "565 packed", 0, 0, Color(255, 255, 255), 0, 0xFFFF },
        { "555 packed", 1, 0, Color(255, 255, 255), 0, 0x7FFF },
        { "colour modulated", 2, 0, Rgba(255, 255, 255, 254), 0, 0x00FBFBFB },
        { "additive scales by 255 / 256", 2, 0, Color(255, 255, 255), 1, 0x00FCFCFC },
        { "additive saturates", 2, 0x00808080, Color(255, 255, 255), 1, 0x00FFFFFF },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Start(kLayouts[c.layout]);
        Kivo::MemoryImage source(&app);
        const std::vector<uint32_t> white(4 * 3, 0xFFFFFFFF);
        source.SetBits(white.data(), 4, 3);
        auto image = Opaque(6, 5);
        SetAll(*image, c.before);
        image->BltRotated(&source, 1, 1, Rect(0, 0, 4, 3), Rect(0, 0, 6, 5), c.color, c.mode, 0.0, 0, 0);
        // The 4 x 3 source lands at x 1..4, y 1..3, its edges included.
        EXPECT_EQ(Shape(*image), c.before ? "######\n######\n######\n######\n######\n"
                                          : "......\n.####.\n.####.\n.####.\n......\n");
        const auto px = Pixels(*image);
        for (int at : { 6 + 1, 12 + 2, 18 + 4 })
            EXPECT_EQ(px[at], c.drawn) << at;
        for (int at : { 6 + 0, 6 + 5, 24 + 2 })
            EXPECT_EQ(px[at], c.before) << at;
    }
}

TEST_F(SurfaceTest, RotatedBlitsOfOneRowAndMissedClips)
{
    Start(kLayouts[2]);
    Kivo::MemoryImage source(&app);
    const std::vector<uint32_t> white(4, 0xFFFFFFFF);
    source.SetBits(white.data(), 4, 1);
    auto image = Opaque(6, 5);
    SetAll(*image, 0);
    // One pixel high at a half-pixel height: no row samples it.
    image->BltRotated(&source, 1, 1.5f, Rect(0, 0, 4, 1), Rect(0, 0, 6, 5), Color(255, 255, 255), 0, 0.0, 0, 0);
    EXPECT_EQ(Shape(*image), "......\n......\n......\n......\n......\n");
    // At a whole height its one row is drawn.
    image->BltRotated(&source, 1, 1, Rect(0, 0, 4, 1), Rect(0, 0, 6, 5), Color(255, 255, 255), 0, 0.0, 0, 0);
    EXPECT_EQ(Shape(*image), "......\n.####.\n......\n......\n......\n");
    // A clip rect that misses the box: the software copies stay.
    std::vector<uint32_t> keep(30, 0xFF000000);
    image->SetBits(keep.data(), 6, 5);
    image->CreateSurfaceFromBits();
    image->BltRotated(&source, 1, 1, Rect(0, 0, 4, 1), Rect(50, 50, 2, 2), Color(255, 255, 255), 0, 0.5, 0, 0);
    EXPECT_NE(image->mBits, nullptr);
}

TEST_F(SurfaceTest, RotatedBlitAHalfTurnMirrorsBothAxes)
{
    Start(kLayouts[2]);
    Kivo::MemoryImage source(&app);
    std::vector<uint32_t> pixels(5 * 4);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = 0xFF000000u | uint32_t(i + 1);
    source.SetBits(pixels.data(), 5, 4);
    auto image = Opaque(12, 10);
    SetAll(*image, 0);
    image->BltRotated(&source, 3, 3, Rect(0, 0, 5, 4), Rect(0, 0, 12, 10), Color(255, 255, 255), 0, std::numbers::pi, 2.5f,
                      2.0f);
    // Every pixel written lies inside the turned box and holds a source value.
    const auto px = Pixels(*image);
    int drawn = 0;
    for (int i = 0; i < 120; ++i) {
        if (!px[i])
            continue;
        ++drawn;
        const int x = i % 12, y = i / 12;
        EXPECT_TRUE(x >= 3 && x < 8 && y >= 3 && y < 8) << x << "," << y;
        EXPECT_LE(px[i], 20u);
    }
    EXPECT_GT(drawn, 0);
    // Turned: the source's last pixel (20) comes out nearest the top left
    // and its first (1) nearest the bottom right, where an unturned copy
    // would have them the other way round.
    int high = -1, low = -1;
    for (int i = 0; i < 120; ++i) {
        if (!px[i])
            continue;
        if (high < 0 || (px[i] & 0xFF) > (px[high] & 0xFF))
            high = i;
        if (low < 0 || (px[i] & 0xFF) < (px[low] & 0xFF))
            low = i;
    }
    ASSERT_GE(high, 0);
    EXPECT_LT(high % 12, low % 12);
    EXPECT_LT(high / 12, low / 12);
    EXPECT_GE(px[high] & 0xFF, 15u);
    EXPECT_LE(px[low] & 0xFF, 6u);
}

} // namespace

namespace {

using surfacetest::kLayouts;
using surfacetest::SurfaceTest;

TEST_F(SurfaceTest, PalletizingLetsTheSurfaceGoAndKeepsThePicture)
{
    Start(kLayouts[2]);
    auto image = Opaque(2, 1);
    SetAll(*image, 0x00102030);
    EXPECT_TRUE(image->Palletize());
    EXPECT_EQ(image->mSurface, nullptr);
    ASSERT_NE(image->mColorTable, nullptr);
    EXPECT_EQ(image->mColorTable[image->mColorIndices[1]], 0xFF102030u);
    // The screen keeps its adopted surface.
    auto* screen = display->mScreenImage;
    EXPECT_FALSE(screen->Palletize());
    EXPECT_EQ(screen->mSurface, display->mDrawSurface);
}

} // namespace

namespace {

// Each channel's top bits to its place in the 16-bit layout.
uint32_t To16(uint32_t p, const platform::PixelLayout& layout)
{
    const bool wideGreen = layout.greenMask == 0x07E0;
    const uint32_t r = (p >> 19) & 31, g = wideGreen ? (p >> 10) & 63 : (p >> 11) & 31, b = (p >> 3) & 31;
    return wideGreen ? r << 11 | g << 5 | b : r << 10 | g << 5 | b;
}

} // namespace

// Opaque images and the screen are converted to 16-bit surfaces a row at a
// time; every width (the rows' tails) gives the same values.
TEST_F(SurfaceTest, SixteenBitRowsConvertEachPixel)
{
    uint32_t seed = 99;
    auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
    for (int layout : { 0, 1 })
        for (int width : { 1, 7, 8, 9, 16, 23, 64 }) {
            SCOPED_TRACE(testing::Message() << "layout " << layout << " width " << width);
            Start(kLayouts[layout]);
            std::vector<uint32_t> pixels(size_t(width) * 3);
            for (uint32_t& p : pixels)
                p = 0xFF000000u | (next() >> 8);
            auto image = std::make_unique<Kivo::DDImage>(display.get());
            image->SetBits(pixels.data(), width, 3);
            ASSERT_TRUE(image->CreateSurfaceFromBits());
            std::vector<uint32_t> expected;
            for (uint32_t p : pixels)
                expected.push_back(To16(p, kLayouts[layout]));
            EXPECT_EQ(Pixels(*image), expected);

            // Drawn bits flushed again.
            uint32_t* bits = image->GetBits();
            ASSERT_NE(bits, nullptr);
            expected.clear();
            for (int i = 0; i < width * 3; ++i) {
                bits[i] = 0xFF000000u | next();
                expected.push_back(To16(bits[i], kLayouts[layout]));
            }
            image->BitsChanged();
            image->FlushBitsToSurface();
            EXPECT_EQ(Pixels(*image), expected);
        }
}

// The rotated blit into a surface on a table of layouts, angles, colours,
// modes and clips, from a source with every alpha, held to the values it
// gives (a digest of the whole surface per case); the source's
// 256-colour form gives the same pixels as its bits.
TEST_F(SurfaceTest, RotatedBlitsKeepTheirPixels)
{
    struct Case {
        int layout;
        double angle;
        Color color;
        int mode;
        Rect clip;
        uint64_t digest;
    } cases[] = {
        { 2, 0.3, Color(255, 255, 255), 0, Rect(0, 0, 40, 40), 15590843916305151809ull },
        { 2, -2.1, Color(255, 255, 255), 0, Rect(3, 5, 29, 22), 9795821871294178187ull },
        { 2, 0.3, Rgba(200, 90, 30, 170), 0, Rect(0, 0, 40, 40), 16224508582562699148ull },
        { 2, 1.2, Rgba(255, 255, 255, 255), 1, Rect(0, 0, 40, 40), 4667453275036307818ull },
        { 2, 4.0, Rgba(90, 200, 255, 128), 1, Rect(0, 0, 40, 40), 4978731274290519604ull },
        { 0, 0.3, Color(255, 255, 255), 0, Rect(0, 0, 40, 40), 2999766627334982798ull },
        { 0, 2.7, Rgba(200, 90, 30, 170), 0, Rect(2, 2, 30, 33), 6500820231448039601ull },
        { 0, 5.5, Color(255, 255, 255), 1, Rect(0, 0, 40, 40), 10304159505549293455ull },
        { 1, 0.3, Color(255, 255, 255), 0, Rect(0, 0, 40, 40), 2928988245543988014ull },
        { 1, -0.8, Rgba(255, 255, 255, 60), 1, Rect(0, 0, 40, 40), 4475956453525998789ull },
    };
    std::vector<uint32_t> pixels(24 * 18);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = uint32_t((i * 37) % 16 * 17) << 24 | uint32_t((i * 7) % 5) * 0x334455u;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "layout " << c.layout << " angle " << c.angle << " mode " << c.mode);
        uint64_t digests[2] = { 0, 0 };
        for (int form = 0; form < 2; ++form) {
            Start(kLayouts[c.layout]);
            Kivo::MemoryImage source(&app);
            source.SetBits(pixels.data(), 24, 18);
            if (form == 1) {
                ASSERT_TRUE(source.Palletize());
            }
            auto image = Opaque(40, 40);
            uint32_t seed = 5;
            EachPixel(*image, [&](uint32_t& p) { p = (seed = seed * 1664525u + 1013904223u) >> 8; });
            image->BltRotated(&source, 9.25f, 11.5f, Rect(1, 2, 21, 15), c.clip, c.color, c.mode, c.angle, 10.5f, 7.f);
            uint64_t h = 1469598103934665603ull;
            for (uint32_t p : Pixels(*image))
                h = (h ^ p) * 1099511628211ull;
            digests[form] = h;
        }
        EXPECT_EQ(digests[1], digests[0]);
        EXPECT_EQ(digests[0], c.digest);
    }
}

namespace {

// A source with every alpha and a spread of colours.
std::vector<uint32_t> MixedSource(int width, int height)
{
    std::vector<uint32_t> pixels(size_t(width) * height);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = uint32_t((i * 53) % 16 * 17) << 24 | uint32_t((i * 11) % 7) * 0x254A6Fu;
    return pixels;
}

// The largest difference of one channel between two ARGB pixel lists (alpha
// not compared), and the number of pixels of the first that the draw moved
// far from the background.
struct Agreement {
    int worst = 0;
    int drawn = 0;
};

Agreement Compare(const uint32_t* a, const uint32_t* b, const std::vector<uint32_t>& background, size_t n)
{
    Agreement out;
    auto distance = [](uint32_t p, uint32_t q) {
        int most = 0;
        for (int s = 0; s < 24; s += 8)
            most = std::max(most, std::abs(int((p >> s) & 0xFF) - int((q >> s) & 0xFF)));
        return most;
    };
    for (size_t i = 0; i < n; ++i) {
        out.worst = std::max(out.worst, distance(a[i], b[i]));
        out.drawn += distance(a[i], background[i]) > 32;
    }
    return out;
}

} // namespace

// The transformed blits into a surface of each layout give the memory
// image's pixels (within one step of a 16-bit channel), drop the software
// copies and leave the lock as they found it.
TEST_F(SurfaceTest, TransformedBlitsIntoSurfacesMatchTheMemoryImage)
{
    constexpr int W = 48, H = 40;
    const std::vector<uint32_t> sourcePixels = MixedSource(20, 14);
    std::vector<uint32_t> background(size_t(W) * H);
    for (size_t i = 0; i < background.size(); ++i)
        background[i] = 0xFF000000u | uint32_t((i / W) % 3 * 0x101010u + (i % W) % 4 * 0x080008u);
    Kivo::Matrix3x3 turn;
    turn.Scale(1.4f, 0.8f);
    turn.Rotate(0.6f);
    Kivo::TriVertex triangles[2][3] = {
        { { 2, 3, 0, 0, 0, 0 }, { 40, 6, 0, 1, 0, 0 }, { 10, 30, 0, 0, 1, 0 } },
        { { 30, 20, 0, 0.2f, 0.1f, 0xFFFF8040 }, { 47, 38, 0, 1, 1, 0x80FFFFFF }, { 18, 36, 0, 0.5f, 0.9f, 0xFF20FF20 } },
    };
    struct Case {
        const char* name;
        Color color;
        int mode;
        bool blend;
        bool triangles;
        Rect clip;
    } cases[] = {
        { "matrix, point", Color(255, 255, 255), 0, false, false, Rect(0, 0, W, H) },
        { "matrix, linear, clipped", Color(255, 255, 255), 0, true, false, Rect(5, 4, 30, 25) },
        { "matrix, tinted", Rgba(200, 120, 60, 180), 0, true, false, Rect(-10, -10, 100, 100) },
        { "matrix, additive", Rgba(255, 200, 100, 255), 1, false, false, Rect(0, 0, W, H) },
        { "triangles", Color(255, 255, 255), 0, false, true, Rect(0, 0, W, H) },
        { "triangles, tinted, linear", Rgba(90, 255, 180, 200), 0, true, true, Rect(3, 3, 40, 30) },
    };
    for (int layout = 0; layout < 3; ++layout)
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.name << ", layout " << layout);
            Start(kLayouts[layout]);
            Kivo::MemoryImage source(&app);
            source.SetBits(sourcePixels.data(), 20, 14);
            auto draw = [&](Kivo::MemoryImage& target) {
                if (c.triangles)
                    target.BltTrianglesTex(&source, triangles, 2, c.clip, c.color, c.mode, 0.5f, -1.0f, c.blend);
                else
                    target.BltMatrix(&source, 24.0f, 19.0f, turn, c.clip, c.color, c.mode, Rect(2, 1, 16, 12),
                                     c.blend);
            };
            Kivo::MemoryImage reference(&app);
            reference.SetBits(background.data(), W, H);
            draw(reference);
            // The reference in the surface's own precision.
            Kivo::DDImage rounded(display.get());
            rounded.SetBits(reference.GetBits(), W, H);
            ASSERT_TRUE(rounded.CreateSurfaceFromBits());
            rounded.DeleteAllNonSurfaceData();

            Kivo::DDImage image(display.get());
            image.SetBits(background.data(), W, H);
            ASSERT_TRUE(image.CreateSurfaceFromBits());
            draw(image);
            EXPECT_EQ(image.mBits, nullptr);
            EXPECT_EQ(image.mLockCount, 0);
            const Agreement agree = Compare(image.GetBits(), rounded.GetBits(), background, background.size());
            EXPECT_LE(agree.worst, layout == 2 ? 2 : 8);
            EXPECT_GT(agree.drawn, 20);
        }
}

// Images that cannot draw into a surface keep drawing on their bits: a
// translucent destination, and one whose adopted surface is older than its
// bits. A draw-disabled image is left alone.
TEST_F(SurfaceTest, TransformedBlitsThatStayOnTheBits)
{
    Start(kLayouts[2]);
    Kivo::MemoryImage source(&app);
    const std::vector<uint32_t> white(16, 0xFFFFFFFF);
    source.SetBits(white.data(), 4, 4);
    Kivo::Matrix3x3 identity;
    std::vector<uint32_t> translucent(64, 0x80000000);
    Kivo::DDImage glass(display.get());
    glass.SetBits(translucent.data(), 8, 8);
    glass.BltMatrix(&source, 4, 4, identity, Rect(0, 0, 8, 8), Color(255, 255, 255), 0, Rect(0, 0, 4, 4), false);
    EXPECT_EQ(glass.mSurface, nullptr);
    ASSERT_NE(glass.mBits, nullptr);
    EXPECT_EQ(glass.mBits[4 * 8 + 4] & 0xFFFFFF, 0xFFFFFFu);

    auto image = Opaque(8, 8);
    image->mDrawToBits = true;
    SetAll(*image, 0);
    image->BltMatrix(&source, 4, 4, identity, Rect(0, 0, 8, 8), Color(255, 255, 255), 0, Rect(0, 0, 4, 4), false);
    const Kivo::TriVertex tri[1][3] = { { { 0, 0, 0, 0, 0, 0 }, { 8, 0, 0, 1, 0, 0 }, { 0, 8, 0, 0, 1, 0 } } };
    image->BltTrianglesTex(&source, tri, 1, Rect(0, 0, 8, 8), Color(255, 255, 255), 0, 0, 0, false);
    image->mDrawToBits = false;
    for (uint32_t p : Pixels(*image))
        EXPECT_EQ(p, 0u);
}

// Untextured triangles (no source) fill with their vertex colours, over
// the same pixels as on a memory image.
TEST_F(SurfaceTest, UntexturedTrianglesIntoASurface)
{
    Start(kLayouts[0]);
    const Kivo::TriVertex tri[1][3] = { { { 0, 0, 0, 0, 0, 0xFFFFFFFF }, { 0, 16, 0, 0, 0, 0xFFFFFFFF },
                                          { 16, 0, 0, 0, 0, 0xFFFFFFFF } } };
    Kivo::MemoryImage reference(&app);
    const std::vector<uint32_t> black(64, 0xFF000000);
    reference.SetBits(black.data(), 8, 8);
    reference.BltTrianglesTex(nullptr, tri, 1, Rect(0, 0, 8, 8), Color(255, 255, 255), 0, 0, 0, false);
    std::string expected;
    for (int i = 0; i < 64; ++i)
        expected += std::string(reference.GetBits()[i] == 0xFFFFFFFF ? "#" : ".") + (i % 8 == 7 ? "\n" : "");
    ASSERT_NE(expected.find('#'), std::string::npos);

    auto image = Opaque(8, 8);
    SetAll(*image, 0);
    image->BltTrianglesTex(nullptr, tri, 1, Rect(0, 0, 8, 8), Color(255, 255, 255), 0, 0, 0, false);
    EXPECT_EQ(image->mBits, nullptr);
    EXPECT_EQ(Shape(*image), expected);
    EXPECT_EQ(Pixels(*image)[0], 0xFFFFu);
}

namespace {

// Fills (1, 1)-(3, 3) white through the image's surface context.
void WhiteSquareAsText(Kivo::DDImage& image, bool expectContext = true)
{
    HDC dc = nullptr;
    ASSERT_TRUE(image.BeginSurfaceText(&dc));
    ASSERT_EQ(dc != nullptr, expectContext);
    if (dc) {
        RECT square { 1, 1, 3, 3 };
        FillRect(dc, &square, reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    image.EndSurfaceText(dc);
}

} // namespace

// Text through the system's context lands in the surface: a locked image is
// unlocked for it and locked again, its software copies are dropped, and
// bits newer than an adopted surface reach the surface first.
TEST_F(SurfaceTest, SurfaceTextDrawsIntoTheSurface)
{
    Start(kLayouts[0]);
    auto image = Opaque(4, 4);
    SetAll(*image, 0);
    ASSERT_TRUE(image->LockSurface());
    WhiteSquareAsText(*image);
    EXPECT_EQ(image->mLockCount, 1);
    EXPECT_NE(image->mLockedSurfaceDesc.lpSurface, nullptr);
    image->UnlockSurface();
    EXPECT_EQ(image->mBits, nullptr);
    EXPECT_EQ(Shape(*image), "....\n.##.\n.##.\n....\n");

    // The screen's bits hold a pixel the surface has not seen yet.
    Kivo::DDImage& screen = *display->mScreenImage;
    uint32_t* bits = screen.GetBits();
    ASSERT_NE(bits, nullptr);
    bits[5 * screen.mWidth + 5] = 0xFFFFFFFF;
    screen.BitsChanged();
    WhiteSquareAsText(screen);
    EXPECT_EQ(screen.mBits, nullptr);
    bits = screen.GetBits();
    // White as a 565 pixel reads back.
    EXPECT_EQ(bits[5 * screen.mWidth + 5] & 0xF8FCF8, 0xF8FCF8u);
    EXPECT_EQ(bits[screen.mWidth + 1] & 0xF8FCF8, 0xF8FCF8u);

    // No surface for translucent pixels: the text goes on the bits.
    std::vector<uint32_t> translucent(16, 0x80000000);
    Kivo::DDImage glass(display.get());
    glass.SetBits(translucent.data(), 4, 4);
    HDC dc = nullptr;
    EXPECT_FALSE(glass.BeginSurfaceText(&dc));
    EXPECT_EQ(dc, nullptr);

    // A draw-disabled image gives no context and keeps its pixels.
    image->mDrawToBits = true;
    SetAll(*image, 0);
    WhiteSquareAsText(*image, false);
    image->mDrawToBits = false;
    EXPECT_EQ(Shape(*image), "....\n....\n....\n....\n");
}
