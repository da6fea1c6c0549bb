// The memory image's one-to-one blits work by runs and several pixels at a
// time; these tests hold them to the plain per-pixel blends on a table of
// sizes, alignments, source rects, tints, destination classes and source
// forms.
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/BltRects.h"
#include "framework/graphics/PixelBlend.h"
#include "framework/graphics/PixelRows.h"
#include "framework/raster/WideKernels.h"

#include "Picture.h"
#include "TestHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

using namespace Kivo;
using graphicstest::RGBA;
using graphicstest::TestHost;

namespace {

// Runs body() on the SSE2 kernels and, where the processor has AVX2, on the
// AVX2 ones; the default is back afterwards.
template <typename Body>
void ForEachKernelPath(Body body)
{
    for (const bool wide : { false, true }) {
        if (!UseWideKernels(wide) && wide)
            continue;
        SCOPED_TRACE(wide ? "AVX2 kernels" : "SSE2 kernels");
        body();
    }
    UseWideKernels(true);
}

bool IsWhite(const Color& c) { return c.mRed == 255 && c.mGreen == 255 && c.mBlue == 255 && c.mAlpha == 255; }

// The per-pixel normal blend: a destination whose flags say opaque takes
// opaque pixels as they are and blends the translucent ones onto its colour;
// any other takes the full "over" blend; tints scale the source.
uint32_t NormalPixel(uint32_t d, uint32_t s, const Color& color, bool destOpaque)
{
    const uint32_t sa = s >> 24;
    if (IsWhite(color)) {
        if (sa == 0)
            return d;
        if (destOpaque) {
            if (sa == 255)
                return s;
            const uint32_t rb = ((((d & 0xFF00FF) * (256 - sa)) >> 8) + (((s & 0xFF00FF) * sa) >> 8)) & 0xFF00FF;
            const uint32_t g = ((((d & 0xFF00) * (256 - sa)) >> 8) + (((s & 0xFF00) * sa) >> 8)) & 0xFF00;
            return 0xFF000000 | rb | g;
        }
        return blend::OverShiftThenSum(d, s, sa);
    }
    const uint32_t ca = static_cast<uint32_t>(color.mAlpha), cr = static_cast<uint32_t>(color.mRed),
                   cg = static_cast<uint32_t>(color.mGreen), cb = static_cast<uint32_t>(color.mBlue);
    const uint32_t a = (sa * ca) / 255;
    if (a == 0)
        return d;
    uint32_t na, w;
    blend::OverParams(d >> 24, a, na, w);
    const uint32_t iw = 256 - w;
    // Word arithmetic as the blit has always done it: the channels' dropped
    // fractions can carry.
    if (cr == cg && cg == cb) {
        const uint32_t rb =
            (((((s & 0xFF00FF) * cr >> 8) & 0xFF00FF) * w >> 8) + ((d & 0xFF00FF) * iw >> 8)) & 0xFF00FF;
        const uint32_t gg = (((s & 0xFF00) * w * cr >> 16) + ((d & 0xFF00) * iw >> 8)) & 0xFF00;
        return (na << 24) | rb | gg;
    }
    const uint32_t rr = ((((s & 0xFF0000) * w >> 8) * cr >> 8) + ((d & 0xFF0000) * iw >> 8)) & 0xFF0000;
    const uint32_t gg = (((s & 0xFF00) * w * cg >> 16) + ((d & 0xFF00) * iw >> 8)) & 0xFF00;
    const uint32_t bb = (((s & 0xFF) * w * cb >> 16) + ((d & 0xFF) * iw >> 8)) & 0xFF;
    return (na << 24) | rr | gg | bb;
}

// The per-pixel additive blend: each colour channel plus the (tinted,
// alpha-weighted) source channel, held at 255; alpha kept.
uint32_t AdditivePixel(uint32_t d, uint32_t s, const Color& color, bool srcTranslucent)
{
    const uint32_t sa = s >> 24;
    uint32_t out = d & 0xFF000000;
    const int k[3] = { color.mBlue, color.mGreen, color.mRed };
    for (int i = 0; i < 3; ++i) {
        uint32_t c = (s >> (8 * i)) & 0xFF;
        if (!IsWhite(color))
            c = (c * ((static_cast<uint32_t>(k[i]) * static_cast<uint32_t>(color.mAlpha)) / 255)) >> 8;
        if (srcTranslucent)
            c = (c * sa) >> 8;
        out |= std::min<uint32_t>(((d >> (8 * i)) & 0xFF) + c, 255) << (8 * i);
    }
    return out;
}

// Source pixels in runs of one alpha class, some as long as a run byte
// holds or longer, from a pool of colours small enough for the 256-colour form.
std::vector<uint32_t> RunPixels(int w, int h, std::mt19937& rng)
{
    std::vector<uint32_t> pool;
    for (int i = 0; i < 60; ++i) {
        const uint32_t cls = i % 3;
        const uint32_t a = cls == 0 ? 0 : cls == 1 ? 255 : 1 + static_cast<uint32_t>(rng() % 254);
        pool.push_back(a << 24 | (rng() & 0xFFFFFF));
    }
    pool.push_back(0xFFFFFFFF);
    pool.push_back(0xFF000000);
    std::vector<uint32_t> px(static_cast<size_t>(w) * h);
    size_t i = 0;
    while (i < px.size()) {
        // Long runs of about a run byte's reach: 255 pixels fill one byte
        // exactly, 256 spill one pixel into the next.
        const size_t longRuns[] = { 254, 255, 256, 300 };
        const size_t len = rng() % 9 == 0 ? longRuns[rng() % 4] : 1 + rng() % 12;
        const uint32_t cls = rng() % 3;
        for (size_t k = 0; k < len && i < px.size(); ++k, ++i) {
            uint32_t p;
            do
                p = pool[rng() % pool.size()];
            while ((p >> 24 == 0 ? 0u : p >> 24 == 255 ? 1u : 2u) != cls);
            px[i] = p;
        }
    }
    return px;
}

TEST(BlitRows, OneToOneBlitsGiveThePerPixelBlends)
{
    TestHost host;
    std::mt19937 rng(25);
    const Color tints[] = { Color::White, RGBA(128, 128, 128, 255), RGBA(200, 200, 200, 90),
                            RGBA(255, 128, 0, 255), RGBA(30, 250, 120, 170), RGBA(255, 255, 255, 0) };
    struct Size {
        int w, h;
    } sizes[] = { { 1, 1 }, { 3, 2 }, { 4, 3 }, { 5, 1 }, { 7, 4 }, { 16, 3 }, { 45, 5 }, { 301, 2 } };
    int cases = 0;
    ForEachKernelPath([&] {
        for (const Size& size : sizes)
            for (int shift = 0; shift < 4; ++shift)
                for (bool palette : { false, true })
                    for (int mode : { DRAWMODE_NORMAL, DRAWMODE_ADDITIVE })
                        for (int destKind = 0; destKind < 3; ++destKind)
                            for (const Color& tint : tints) {
                                const int sw = size.w + 3, sh = size.h + 1;
                                const std::vector<uint32_t> srcPx = RunPixels(sw, sh, rng);
                                MemoryImage source;
                                source.SetBits(srcPx.data(), sw, sh);
                                if (palette) {
                                    ASSERT_TRUE(source.Palletize());
                                }
                                // Destinations: opaque; mixed alpha; opaque pixels
                                // under flags that say transparent.
                                const int dw = size.w + 9, dh = size.h + 2;
                                std::vector<uint32_t> destPx(static_cast<size_t>(dw) * dh);
                                for (uint32_t& p : destPx) {
                                    const uint32_t a = destKind == 1 ? (rng() % 3 == 0 ? 0u : rng() % 3 == 0 ? 255u
                                                                                                       : rng() & 0xFF)
                                                                     : 255u;
                                    p = a << 24 | (rng() & 0xFFFFFF);
                                }
                                MemoryImage dest;
                                dest.SetBits(destPx.data(), dw, dh);
                                if (destKind == 2)
                                    dest.SetImageMode(true, false);
                                dest.CommitBits();
                                const bool destOpaque = !dest.mHasTrans && !dest.mHasAlpha;
                                source.CommitBits();
                                const bool srcTranslucent = source.mHasAlpha;

                                const Rect r(shift % 3, 1, size.w, size.h);
                                const int x = 1 + shift, y = 1;
                                std::vector<uint32_t> expected = destPx;
                                for (int row = 0; row < r.mHeight; ++row)
                                    for (int col = 0; col < r.mWidth; ++col) {
                                        uint32_t& d = expected[static_cast<size_t>(y + row) * dw + x + col];
                                        const uint32_t s = srcPx[static_cast<size_t>(r.mY + row) * sw + r.mX + col];
                                        d = mode == DRAWMODE_NORMAL ? NormalPixel(d, s, tint, destOpaque)
                                                                    : AdditivePixel(d, s, tint, srcTranslucent);
                                    }
                                dest.Blt(&source, x, y, r, tint, mode);
                                const std::vector<uint32_t> got(dest.mBits, dest.mBits + destPx.size());
                                ASSERT_EQ(got, expected)
                                    << size.w << "x" << size.h << " shift " << shift << (palette ? " palette" : "")
                                    << " mode " << mode << " dest " << destKind << " tint " << tint.mRed << ","
                                    << tint.mGreen << "," << tint.mBlue << "," << tint.mAlpha;
                                ++cases;
                            }
    });
    EXPECT_GT(cases, 0);
}

// An opaque pixel over anything, as the word blend computes it: the
// destination's part drops out and each channel is (c x 255) >> 8.
TEST(BlitRows, OpaqueOverIsTheWordBlendWithFullWeight)
{
    for (uint32_t c = 0; c < 0x1000000; c += 7) {
        const uint32_t s = 0xFF000000 | c;
        const uint32_t rb = (((s & 0xFF00FF) * 255) >> 8) & 0xFF00FF;
        const uint32_t g = (((s & 0xFF00) * 255) >> 8) & 0xFF00;
        ASSERT_EQ(rows::OpaqueOver(s), 0xFF000000 | rb | g) << std::hex << s;
        ASSERT_EQ(rows::OpaqueOver(s), blend::OverShiftThenSum(0x12345678, s, 255)) << std::hex << s;
    }
}

// The fast stretch: the nearest source pixel, columns reached by adding the
// step before each pixel, rows by position; "over" per pixel.
TEST(BlitRows, FastStretchIsTheNearestPixelOver)
{
    TestHost host;
    std::mt19937 rng(7);
    struct Case {
        Rect src, dest, clip;
    } cases[] = {
        { Rect(0, 0, 16, 8), Rect(0, 0, 40, 20), Rect(0, 0, 48, 24) },
        { Rect(3, 1, 9, 5), Rect(5, 2, 17, 13), Rect(0, 0, 48, 24) },
        { Rect(0, 0, 20, 10), Rect(1, 1, 7, 3), Rect(0, 0, 48, 24) },
        { Rect(2, 2, 13, 7), Rect(-6, -3, 40, 30), Rect(4, 3, 21, 11) },
        { Rect(0, 0, 1, 1), Rect(3, 3, 5, 4), Rect(0, 0, 48, 24) },
        { Rect(1, 0, 19, 10), Rect(0, 0, 48, 24), Rect(0, 0, 48, 24) },
    };
    for (const Case& c : cases)
        for (bool palette : { false, true }) {
            const std::vector<uint32_t> srcPx = RunPixels(20, 10, rng);
            MemoryImage source;
            source.SetBits(srcPx.data(), 20, 10);
            if (palette) {
                ASSERT_TRUE(source.Palletize());
            }
            std::vector<uint32_t> destPx(48 * 24);
            for (uint32_t& p : destPx)
                p = (rng() % 2 ? 0xFF000000u : (rng() & 0xFF) << 24) | (rng() & 0xFFFFFF);
            MemoryImage dest;
            dest.SetBits(destPx.data(), 48, 24);
            Rect to;
            FRect area;
            ASSERT_TRUE(GetStretchBltRects(c.src, c.clip, c.dest, to, area));
            std::vector<uint32_t> expected = destPx;
            const double stepX = area.mWidth / to.mWidth, stepY = area.mHeight / to.mHeight;
            for (int r = 0; r < to.mHeight; ++r) {
                const int sy = std::clamp(static_cast<int>(area.mY + r * stepY), c.src.mY, c.src.mY + c.src.mHeight - 1);
                double pos = area.mX;
                for (int i = 0; i < to.mWidth; ++i) {
                    pos += stepX;
                    const int sx = std::clamp(static_cast<int>(pos), c.src.mX, c.src.mX + c.src.mWidth - 1);
                    const uint32_t s = srcPx[static_cast<size_t>(sy) * 20 + sx];
                    uint32_t& d = expected[static_cast<size_t>(to.mY + r) * 48 + to.mX + i];
                    const uint32_t a = s >> 24;
                    if (a)
                        d = blend::OverShiftThenSum(d, s, a);
                }
            }
            dest.StretchBlt(&source, c.dest, c.src, c.clip, Color::White, DRAWMODE_NORMAL, true);
            const std::vector<uint32_t> got(dest.mBits, dest.mBits + destPx.size());
            ASSERT_EQ(got, expected) << c.dest.mX << "," << c.dest.mY << " " << c.dest.mWidth << "x"
                                     << c.dest.mHeight << (palette ? " palette" : "");
        }
}

// A translucent fill blends each pixel as the per-pixel "over" does, onto
// every destination alpha, for rows of every length around the kernels'
// widths and in every position.
TEST(BlitRows, TranslucentFillIsThePerPixelOver)
{
    TestHost host;
    std::mt19937 rng(11);
    const uint32_t alphas[] = { 0, 1, 2, 77, 128, 200, 254, 255 };
    ForEachKernelPath([&] {
        for (const uint32_t alpha : alphas)
            for (int opaqueShare : { 0, 1, 2 }) {
                const int w = 40, h = 24;
                std::vector<uint32_t> px(static_cast<size_t>(w) * h);
                for (size_t i = 0; i < px.size(); ++i) {
                    const uint32_t da = opaqueShare == 2 || (opaqueShare == 1 && rng() % 4) ? 255u : i & 0xFF;
                    px[i] = da << 24 | (rng() & 0xFFFFFF);
                }
                MemoryImage dest;
                dest.SetBits(px.data(), w, h);
                const uint32_t rgb = rng() & 0xFFFFFF;
                const Color c = RGBA(static_cast<int>(rgb >> 16), static_cast<int>((rgb >> 8) & 0xFF),
                                     static_cast<int>(rgb & 0xFF), static_cast<int>(alpha));
                std::vector<uint32_t> expected = px;
                for (int y = 0; y < h; ++y) {
                    const Rect r(y % 5, y, 1 + (y * 7) % (w - 5), 1);
                    for (int x = r.mX; x < r.mX + r.mWidth; ++x) {
                        uint32_t& d = expected[static_cast<size_t>(y) * w + x];
                        d = alpha == 255 ? 0xFF000000 | rgb : alpha ? blend::OverSumThenShift(d, rgb, alpha) : d;
                    }
                    dest.FillRect(r, c, DRAWMODE_NORMAL);
                }
                const std::vector<uint32_t> got(dest.mBits, dest.mBits + px.size());
                ASSERT_EQ(got, expected) << "alpha " << alpha << " opaque share " << opaqueShare;
            }
    });
}

} // namespace
