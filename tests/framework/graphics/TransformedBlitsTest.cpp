#include "framework/graphics/BltRects.h"
#include "framework/graphics/Matrix3x3.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/raster/WideKernels.h"

#include "Picture.h"
#include "TestHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <random>
#include <set>
#include <vector>

using namespace Kivo;
using graphicstest::RGBA;
using graphicstest::TestHost;

namespace {

using graphicstest::Picture;

int Red(uint32_t p) { return (p >> 16) & 0xFF; }

constexpr uint32_t kGreen = 0xFF00FF00;
constexpr uint32_t kRed = 0xFFFF0000;

// A green source rect (10, 10, 20, 20) framed by red in a 40 x 40 image:
// any red in a destination was read from outside the rect.
Picture FramedGreen()
{
    return Picture(40, 40, [](int x, int y) { return x >= 10 && x < 30 && y >= 10 && y < 30 ? kGreen : kRed; });
}

} // namespace

TEST(TransformedBlits, AngleZeroDrawsEveryPixelOfAnyRect)
{
    TestHost host;
    const int W = 6, H = 5;
    auto pixel = [](int i, int j) { return 0xFF000000u | (255u << 16) | (100u << 8) | static_cast<uint32_t>(i * 40 + j); };
    // The same 6 x 5 picture as the whole first image, and below other rows
    // in the second: rows are addressed with the source image's width.
    Picture first(W, H, pixel);
    Picture second(W + 3, H + 7, [&](int x, int y) { return y >= 7 && x < W ? pixel(x, y - 7) : kRed; });
    const Rect rects[] = { Rect(0, 0, W, H), Rect(0, 7, W, H) };
    MemoryImage* sources[] = { &first.image, &second.image };
    for (int k = 0; k < 2; ++k) {
        for (bool viaBltF : { false, true }) {
            const uint32_t fill = 0x11223344;
            Picture dest(20, 20, fill);
            if (viaBltF)
                dest.image.BltF(sources[k], 3, 4, rects[k], Rect(0, 0, 20, 20), Color::White, 0);
            else
                dest.image.BltRotated(sources[k], 3, 4, rects[k], Rect(0, 0, 20, 20), Color::White, 0, 0, 0, 0);
            std::set<std::pair<int, int>> expected;
            for (int i = 0; i < W; ++i)
                for (int j = 0; j < H; ++j) {
                    expected.insert({ 3 + i, 4 + j });
                    // Tap weight 0xFFFE gives A = 254: 255 -> 253, 100 -> 99.
                    const uint32_t b = (static_cast<uint32_t>(i * 40 + j) * 254 & ~0xFFu) >> 8;
                    EXPECT_EQ(dest.At(3 + i, 4 + j), 0xFFFD6300u | b) << i << "," << j;
                }
            EXPECT_EQ(dest.Changed(fill), expected) << "source " << k << " BltF " << viaBltF;
        }
    }
    EXPECT_TRUE(first.image.mDrawn);
}

TEST(TransformedBlits, HalfPixelPositionMixesHorizontalNeighbours)
{
    TestHost host;
    Picture src(4, 3, [](int x, int) { return 0xFF000000u | static_cast<uint32_t>(x * 60) << 16; });
    Picture dest(30, 30, 0u);
    dest.image.BltF(&src.image, 10.5f, 20.0f, Rect(0, 0, 4, 3), Rect(0, 0, 30, 30), Color::White, 0);
    // Destination column 11 + k lies half way between source columns k and
    // k + 1.
    for (int y = 20; y <= 22; ++y)
        for (int k = 0; k < 3; ++k) {
            const uint32_t p = dest.At(11 + k, y);
            EXPECT_EQ(p >> 24, 0xFFu);
            EXPECT_NEAR(Red(p), (k * 60 + (k + 1) * 60) / 2, 2) << k;
        }
    EXPECT_EQ(dest.Changed(0).size(), 9u);
}

TEST(TransformedBlits, RotatedModesAndColours)
{
    TestHost host;
    Picture src(4, 4, 0xFFFF6400); // red 255, green 100
    struct Case {
        const char* name;
        Color color;
        int mode;
        uint32_t dest;
        uint32_t expected; // at (1, 0) of an angle-0 blit
    } cases[] = {
        { "additive keeps alpha, saturates", Color::White, 1, 0x40102030, 0x40FF8330 },
        { "additive tinted", RGBA(128, 255, 0, 255), 1, 0x40102030, 0x408E8230 },
        { "colour alpha 0 draws nothing", RGBA(255, 255, 255, 0), 0, 0x40102030, 0x40102030 },
        { "normal", Color::White, 0, 0x40102030, 0xFFFD6300 },
    };
    for (const Case& c : cases) {
        Picture dest(4, 4, c.dest);
        dest.image.BltRotated(&src.image, 0, 0, Rect(0, 0, 4, 4), Rect(0, 0, 4, 4), c.color, c.mode, 0, 0, 0);
        EXPECT_EQ(dest.At(1, 0), c.expected) << c.name;
    }
}

TEST(TransformedBlits, NothingOutsideClipNorFromBadSourcesOrAngles)
{
    TestHost host;
    Picture src(8, 8, kGreen);
    const Rect whole(0, 0, 8, 8);
    const Rect clip(0, 0, 16, 16);
    struct Case {
        const char* name;
        Rect srcRect;
        float x;
        double angle;
    } cases[] = {
        { "bounds outside the clip", whole, 40, 0.3 },
        { "left of the source", Rect(-1, 0, 8, 8), 2, 0 },
        { "above the source", Rect(0, -1, 8, 8), 2, 0 },
        { "right of the source", Rect(1, 0, 8, 8), 2, 0 },
        { "below the source", Rect(0, 1, 8, 8), 2, 0 },
        { "empty", Rect(0, 0, 0, 8), 2, 0 },
        { "negative height", Rect(0, 0, 8, -3), 2, 0 },
        { "NaN angle", whole, 2, std::nan("") },
        { "infinite angle", whole, 2, INFINITY },
        { "NaN position", whole, NAN, 0 },
    };
    for (const Case& c : cases) {
        Picture dest(16, 16, 0u);
        dest.image.BltRotated(&src.image, c.x, 2, c.srcRect, clip, Color::White, 0, c.angle, 4, 4);
        // Stretches have no angle or float position: those cases put them away.
        const int sx = std::isfinite(c.x) && std::isfinite(c.angle) ? static_cast<int>(c.x) : 40;
        dest.image.StretchBlt(&src.image, Rect(sx, 2, 9, 9), c.srcRect, Rect(0, 0, 16, 16), Color::White, 0, true);
        dest.image.StretchBlt(&src.image, Rect(sx, 2, 9, 9), c.srcRect, Rect(0, 0, 16, 16), Color::White, 0, false);
        dest.image.BltMatrix(&src.image, c.x, 8, Matrix3x3::Rotation(static_cast<float>(c.angle)), clip,
                             Color::White, 0, c.srcRect, false);
        EXPECT_TRUE(dest.Changed(0).empty()) << c.name;
    }
    // Only memory images can be read.
    Image plain;
    Picture dest(16, 16, 0u);
    dest.image.BltRotated(&plain, 2, 2, whole, clip, Color::White, 0, 0.5, 4, 4);
    dest.image.StretchBlt(&plain, Rect(0, 0, 9, 9), whole, clip, Color::White, 0, false);
    EXPECT_TRUE(dest.Changed(0).empty());
    EXPECT_TRUE(plain.mDrawn);
}

TEST(TransformedBlits, RotationsAndStretchesReadOnlyTheSourceRect)
{
    TestHost host;
    Picture framed = FramedGreen();
    Picture alone(20, 20, kGreen); // its rect ends where the pixels end
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> unit(0, 1);
    for (int n = 0; n < 200; ++n) {
        const bool edge = n % 2;
        MemoryImage* src = edge ? &alone.image : &framed.image;
        const Rect rect = edge ? Rect(0, 0, 20, 20) : Rect(10, 10, 20, 20);
        Picture dest(64, 64, 0u);
        const double angle = (unit(rng) - 0.5) * 4 * std::numbers::pi;
        const float x = static_cast<float>(unit(rng) * 60 - 10);
        const float y = static_cast<float>(unit(rng) * 60 - 10);
        dest.image.BltRotated(src, x, y, rect, Rect(0, 0, 64, 64), Color::White, n % 3 == 0,
                              angle, static_cast<float>(unit(rng) * 20), static_cast<float>(unit(rng) * 20));
        const Rect to(static_cast<int>(x), static_cast<int>(y), 1 + static_cast<int>(unit(rng) * 70),
                      1 + static_cast<int>(unit(rng) * 70));
        dest.image.StretchBlt(src, to, rect, Rect(0, 0, 64, 64), Color::White, 0, n % 4 < 2);
        ASSERT_FALSE(dest.Any([](uint32_t p) { return Red(p) != 0; }))
            << "angle " << angle << " at " << x << "," << y << " stretch " << to.mWidth << "x" << to.mHeight;
    }
}

TEST(TransformedBlits, StretchRectsFollowTheClip)
{
    struct Case {
        Rect src, clip, dest;
        bool ok;
        Rect clipped;
        FRect area, mirrored;
    } cases[] = {
        { { 0, 0, 10, 10 }, { 0, 0, 100, 100 }, { -5, 0, 20, 20 }, true, { 0, 0, 15, 20 }, { 2.5, 0, 7.5, 10 },
          { 0, 0, 7.5, 10 } },
        { { 4, 2, 8, 8 }, { 0, 0, 100, 100 }, { 10, 10, 16, 4 }, true, { 10, 10, 16, 4 }, { 4, 2, 8, 8 },
          { 4, 2, 8, 8 } },
        { { 0, 0, 10, 10 }, { 0, 0, 10, 10 }, { 5, 5, 10, 10 }, true, { 5, 5, 5, 5 }, { 0, 0, 5, 5 },
          { 5, 0, 5, 5 } },
        { { 0, 0, 10, 10 }, { 0, 0, 10, 10 }, { 20, 0, 10, 10 }, false, {}, {}, {} },
        { { 0, 0, 10, 10 }, { 0, 0, 10, 10 }, { 0, 0, 0, 10 }, false, {}, {}, {} },
        // Edges past the 32-bit range.
        { { 0, 0, 10, 10 }, { 0, 0, 100, 100 }, { 2000000000, 0, 2000000000, 10 }, false, {}, {}, {} },
        { { 0, 0, 10, 10 }, { -2000000000, 0, 2000000000, 100 }, { -2000000000, 0, 2000000010, 10 }, true,
          { -2000000000, 0, 2000000000, 10 }, { 0, 0, 10 - 10 / 2000000010.0 * 10, 10 }, {} },
    };
    for (const Case& c : cases) {
        Rect clipped;
        FRect area;
        ASSERT_EQ(GetStretchBltRects(c.src, c.clip, c.dest, clipped, area), c.ok);
        if (!c.ok)
            continue;
        EXPECT_EQ(clipped, c.clipped);
        EXPECT_EQ(area, c.area);
        ASSERT_TRUE(GetStretchBltMirrorRects(c.src, c.clip, c.dest, clipped, area));
        if (c.mirrored.mWidth > 0) {
            EXPECT_EQ(area, c.mirrored);
        }
    }

    FRect bounds;
    ASSERT_TRUE(GetRotatedBltBounds(3, 4, Rect(0, 0, 6, 5), Rect(0, 0, 100, 100), 0, 0, 0, bounds));
    EXPECT_EQ(bounds, FRect(3, 4, 6, 5));
    // A quarter turn about the rect's centre swaps its sides.
    ASSERT_TRUE(GetRotatedBltBounds(0, 0, Rect(0, 0, 6, 4), Rect(-50, -50, 100, 100), std::numbers::pi / 2, 3, 2,
                                    bounds));
    EXPECT_NEAR(bounds.mX, 1, 1e-5);
    EXPECT_NEAR(bounds.mY, -1, 1e-5);
    EXPECT_NEAR(bounds.mWidth, 4, 1e-5);
    EXPECT_EQ(FRect::Intersection(FRect(0, 0, 1, 1), FRect(2, 2, 1, 1)), FRect());
}

TEST(TransformedBlits, FastStretchReadsTheClippedPartAndTints)
{
    TestHost host;
    Picture src(4, 1, [](int x, int) { return 0xFF000000u | static_cast<uint32_t>(x * 50 + 10) << 16; });
    Picture dest(8, 1, 0xFF000000);
    // Half the destination rect lies left of the clip: only source columns
    // 2 and 3 are read.
    dest.image.StretchBlt(&src.image, Rect(-4, 0, 8, 1), Rect(0, 0, 4, 1), Rect(0, 0, 8, 1), Color::White, 0, true);
    std::vector<int> reds;
    for (int x = 0; x < 4; ++x)
        reds.push_back(Red(dest.At(x, 0)));
    EXPECT_EQ(reds, (std::vector<int>{ 109, 159, 159, 159 })); // 110 and 160 blended opaquely
    EXPECT_EQ(dest.At(4, 0), 0xFF000000u);

    // A tinted stretch of one colour draws what the tinted one to one blit
    // of that colour draws (it used to draw nothing).
    for (const Color& tint : { RGBA(255, 0, 0, 255), RGBA(90, 90, 90, 200), RGBA(30, 200, 120, 60) }) {
        Picture small(4, 4, 0xC0F0E0D0);
        Picture big(8, 8, 0xC0F0E0D0);
        Picture stretched(8, 8, 0xFF102030);
        Picture blitted(8, 8, 0xFF102030);
        stretched.image.StretchBlt(&small.image, Rect(0, 0, 8, 8), Rect(0, 0, 4, 4), Rect(0, 0, 8, 8), tint, 0,
                                   true);
        blitted.image.Blt(&big.image, 0, 0, Rect(0, 0, 8, 8), tint, 0);
        EXPECT_FALSE(stretched.Changed(0xFF102030).empty());
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                ASSERT_EQ(stretched.At(x, y), blitted.At(x, y)) << x << "," << y;
    }
}

TEST(TransformedBlits, FilteredStretchOfOpaqueSourceIsOpaque)
{
    TestHost host;
    Picture white(6, 6, 0xFFFFFFFF);
    // Sizes whose weights lose nothing to truncation (at 1:6 six columns
    // weigh 6 x trunc(257 / 6) = 252 and the alpha stays below 255).
    const Rect sizes[] = { Rect(0, 0, 6, 6), Rect(0, 0, 3, 3), Rect(0, 0, 13, 9), Rect(0, 0, 12, 18),
                           Rect(2, 1, 6, 6) };
    for (const Rect& to : sizes) {
        Picture dest(20, 20, 0u);
        dest.image.StretchBlt(&white.image, to, Rect(0, 0, 6, 6), Rect(0, 0, 20, 20), RGBA(9, 9, 9, 9), 1, false);
        for (int y = to.mY; y < to.mY + to.mHeight; ++y)
            for (int x = to.mX; x < to.mX + to.mWidth; ++x)
                // Full channels sum to 256 at 1:1; held to 255 they give 254
                // over transparent black and cannot reach the next channel.
                ASSERT_EQ(dest.At(x, y), 0xFFFEFEFEu) << to.mWidth << "x" << to.mHeight << " at " << x << "," << y;
        EXPECT_EQ(dest.Changed(0).size(), static_cast<size_t>(to.mWidth * to.mHeight));
    }
}

TEST(TransformedBlits, MatrixPlacesTheRectCentredAndAgreesWithRotation)
{
    TestHost host;
    // Left half red, right half blue: the right half as source rect.
    Picture src(8, 4, [](int x, int) { return x < 4 ? kRed : 0xFF0000FFu; });
    Picture dest(20, 20, 0xFF000000);
    Matrix3x3 identity;
    dest.image.BltMatrix(&src.image, 10, 10, identity, Rect(0, 0, 20, 20), Color::White, 0, Rect(4, 0, 4, 4), false);
    std::set<std::pair<int, int>> square;
    for (int y = 8; y < 12; ++y)
        for (int x = 8; x < 12; ++x) {
            square.insert({ x, y });
            EXPECT_EQ(dest.At(x, y), 0xFF0000FFu) << x << "," << y;
        }
    EXPECT_EQ(dest.Changed(0xFF000000), square);

    // Four coloured quadrants turned a quarter about the centre by both
    // paths land in the same places.
    const uint32_t quadrant[4] = { 0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF };
    Picture quads(16, 16, [&](int x, int y) { return quadrant[(x >= 8) + 2 * (y >= 8)]; });
    const float turn = static_cast<float>(std::numbers::pi / 2);
    Picture rotated(40, 40, 0xFF000000);
    Picture matrix(40, 40, 0xFF000000);
    rotated.image.BltRotated(&quads.image, 12, 12, Rect(0, 0, 16, 16), Rect(0, 0, 40, 40), Color::White, 0, turn, 8, 8);
    matrix.image.BltMatrix(&quads.image, 20, 20, Matrix3x3::Rotation(turn), Rect(0, 0, 40, 40), Color::White, 0,
                           Rect(0, 0, 16, 16), false);
    auto quadrantOf = [](uint32_t p) { return ((p >> 16 & 0xFF) > 128) * 1 + ((p >> 8 & 0xFF) > 128) * 2 + ((p & 0xFF) > 128) * 4; };
    // The rotated blit samples at pixel corners, the rasterizer at pixel
    // centres: where the turn reverses an axis they differ by a pixel, so
    // the seams and the edges are left out.
    for (int y = 14; y < 26; ++y)
        for (int x = 14; x < 26; ++x) {
            if ((x >= 19 && x <= 21) || (y >= 19 && y <= 21))
                continue;
            EXPECT_EQ(quadrantOf(rotated.At(x, y)), quadrantOf(matrix.At(x, y))) << x << "," << y;
        }
}

TEST(TransformedBlits, TrianglesMoveAndTakeVertexColours)
{
    TestHost host;
    Picture src(4, 4, kGreen);
    Picture dest(20, 20, 0xFF000000);
    TriVertex tris[2][3] = {};
    auto set = [](TriVertex& v, float x, float y, float u, float w, uint32_t colour) {
        v.x = x;
        v.y = y;
        v.u = u;
        v.v = w;
        v.color = colour;
    };
    set(tris[0][0], 0, 0, 0, 0, 0);
    set(tris[0][1], 4, 0, 1, 0, 0);
    set(tris[0][2], 0, 4, 0, 1, 0);
    set(tris[1][0], 4, 0, 1, 0, 0);
    set(tris[1][1], 4, 4, 1, 1, 0);
    set(tris[1][2], 0, 4, 0, 1, 0);
    dest.image.BltTrianglesTex(&src.image, tris, 2, Rect(0, 0, 20, 20), Color::White, 0, 10, 5, false);
    EXPECT_EQ(dest.At(11, 6), kGreen);
    EXPECT_EQ(dest.At(1, 1), 0xFF000000u);

    // No texture: the vertex colours draw.
    for (auto& tri : tris)
        for (auto& v : tri)
            v.color = 0xFFFF0000;
    Image plain;
    Picture untextured(20, 20, 0xFF000000);
    untextured.image.BltTrianglesTex(&plain, tris, 2, Rect(0, 0, 20, 20), Color::White, 0, 2, 2, false);
    EXPECT_EQ(Red(untextured.At(3, 3)), 255);
    EXPECT_TRUE(plain.mDrawn);
}

TEST(TransformedBlits, PaletteSourcesReadThroughTheirTable)
{
    TestHost host;
    Picture src(8, 8, [](int x, int y) { return 0xFF000000u | static_cast<uint32_t>((x + y) * 20); });
    Picture direct(20, 20, 0u);
    direct.image.BltRotated(&src.image, 3, 3, Rect(0, 0, 8, 8), Rect(0, 0, 20, 20), Color::White, 0, 0.4, 4, 4);
    direct.image.StretchBlt(&src.image, Rect(0, 0, 13, 5), Rect(0, 0, 8, 8), Rect(0, 0, 20, 20), Color::White, 0,
                            false);
    ASSERT_TRUE(src.image.Palletize());
    ASSERT_EQ(src.image.mBits, nullptr);
    Picture viaTable(20, 20, 0u);
    viaTable.image.BltRotated(&src.image, 3, 3, Rect(0, 0, 8, 8), Rect(0, 0, 20, 20), Color::White, 0, 0.4, 4, 4);
    viaTable.image.StretchBlt(&src.image, Rect(0, 0, 13, 5), Rect(0, 0, 8, 8), Rect(0, 0, 20, 20), Color::White, 0,
                              false);
    EXPECT_NE(src.image.mColorIndices, nullptr); // the 256-colour form stays
    EXPECT_TRUE(viaTable.Changed(0) == direct.Changed(0));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(viaTable.At(x, y), direct.At(x, y)) << x << "," << y;
}

TEST(TransformedBlits, FilteredEnlargingInterpolatesNeighbours)
{
    TestHost host;
    Picture src(2, 2, [](int x, int) { return 0xFF000000u | static_cast<uint32_t>(x * 200) << 16; });
    Picture dest(4, 2, 0xFF000000);
    dest.image.StretchBlt(&src.image, Rect(0, 0, 4, 2), Rect(0, 0, 2, 2), Rect(0, 0, 4, 2), Color::White, 0, false);
    // Columns at 0, 1/3, 2/3 and 1 of the way: weights 257, 171/86, 85/172
    // and 257 across, 257 down, then blended opaquely over black.
    for (int y = 0; y < 2; ++y) {
        std::vector<int> reds;
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(dest.At(x, y) >> 24, 255u);
            reds.push_back(Red(dest.At(x, y)));
        }
        EXPECT_EQ(reds, (std::vector<int>{ 0, 66, 133, 200 }));
    }
}

// The normal rotated blit draws several pixels at a time from a source held
// as pixels; a source held as colour indices goes pixel by pixel. Both give
// the same pictures on every kernel path, for any angle, position, rect,
// tint and destination alpha.
TEST(TransformedBlits, RotatedKernelsGiveThePerPixelBlend)
{
    TestHost host;
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> unit(0, 1);
    std::vector<uint32_t> pool;
    for (int i = 0; i < 200; ++i) {
        const uint32_t a = i % 4 == 0 ? 0 : i % 4 == 1 ? 255 : rng() & 0xFF;
        pool.push_back(a << 24 | (rng() & 0xFFFFFF));
    }
    const int sw = 23, sh = 17, dw = 48, dh = 40;
    std::vector<uint32_t> srcPx(sw * sh);
    for (uint32_t& p : srcPx)
        p = pool[rng() % pool.size()];
    MemoryImage direct, indexed;
    direct.SetBits(srcPx.data(), sw, sh);
    indexed.SetBits(srcPx.data(), sw, sh);
    ASSERT_TRUE(indexed.Palletize());
    const Color tints[] = { Color::White, RGBA(128, 128, 128, 255), RGBA(255, 120, 10, 200), RGBA(40, 250, 90, 3) };
    for (const bool wide : { false, true }) {
        if (!UseWideKernels(wide) && wide)
            continue;
        SCOPED_TRACE(wide ? "AVX2 kernels" : "SSE2 kernels");
        for (int n = 0; n < 120; ++n) {
            std::vector<uint32_t> destPx(dw * dh);
            for (uint32_t& p : destPx)
                p = (n % 3 == 0 ? 0xFFu : n % 3 == 1 ? rng() & 0xFF : (rng() % 2) * 0xFF) << 24 | (rng() & 0xFFFFFF);
            const int rx = static_cast<int>(rng() % 8), ry = static_cast<int>(rng() % 6);
            const Rect rect(rx, ry, 1 + static_cast<int>(rng() % (sw - rx)), 1 + static_cast<int>(rng() % (sh - ry)));
            const double angle = n % 7 == 0 ? 0 : (unit(rng) - 0.5) * 4 * std::numbers::pi;
            const float x = static_cast<float>(unit(rng) * 40 - 6), y = static_cast<float>(unit(rng) * 34 - 6);
            const float cx = static_cast<float>(unit(rng) * rect.mWidth), cy = static_cast<float>(unit(rng) * rect.mHeight);
            const Rect clip(static_cast<int>(rng() % 5), static_cast<int>(rng() % 5), dw - 4, dh - 3);
            const Color& tint = tints[n % std::size(tints)];
            MemoryImage a, b;
            a.SetBits(destPx.data(), dw, dh);
            b.SetBits(destPx.data(), dw, dh);
            a.BltRotated(&direct, x, y, rect, clip, tint, DRAWMODE_NORMAL, angle, cx, cy);
            b.BltRotated(&indexed, x, y, rect, clip, tint, DRAWMODE_NORMAL, angle, cx, cy);
            ASSERT_EQ(std::vector<uint32_t>(a.mBits, a.mBits + destPx.size()),
                      std::vector<uint32_t>(b.mBits, b.mBits + destPx.size()))
                << "case " << n << " angle " << angle << " at " << x << "," << y;
        }
    }
    UseWideKernels(true);
}
