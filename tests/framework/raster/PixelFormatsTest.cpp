#include "framework/raster/PixelFormats.h"
#include "framework/raster/WideKernels.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cstdint>
#include <initializer_list>

namespace {

using namespace Kivo::Raster;

template <class Fmt>
uint32_t Straight(uint32_t d, uint32_t s, uint32_t a)
{
    typename Fmt::Pixel p = static_cast<typename Fmt::Pixel>(d);
    Fmt::BlendStraight(&p, s, a);
    return p;
}

template <class Fmt>
uint32_t Premultiplied(uint32_t d, uint32_t s, uint32_t a)
{
    typename Fmt::Pixel p = static_cast<typename Fmt::Pixel>(d);
    Fmt::BlendPremultiplied(&p, s, a);
    return p;
}

TEST(PixelFormats, PackCutsEachChannelToItsTopBits)
{
    EXPECT_EQ(Format565::Pack(0xFFFFFFFF), 0xFFFFu);
    EXPECT_EQ(Format555::Pack(0xFFFFFFFF), 0x7FFFu);
    EXPECT_EQ(Format565::Pack(0x00070307), 0u);
    EXPECT_EQ(Format565::Pack(0x12345678), 0x32AFu);
    EXPECT_EQ(Format555::Pack(0x12345678), 0x194Fu);
    EXPECT_EQ(FormatARGB::Pack(0x00FFFFFF), 0xFFFFFFFFu);
    EXPECT_EQ(FormatX888::Pack(0x00123456), 0xFF123456u);
}

TEST(PixelFormats, BlendExamples)
{
    EXPECT_EQ(Straight<FormatARGB>(0x00000000, 0x80FF0000, 0x80), 0x7FFE0000u);
    EXPECT_EQ(Straight<FormatARGB>(0xFF0000FF, 0x80FF0000, 0x80), 0xFF7F007Fu);
    EXPECT_EQ(Straight<FormatARGB>(0x80000000, 0x80FFFFFF, 0x80), 0xBFA9A9A9u);
    EXPECT_EQ(Straight<FormatX888>(0x12345678, 0x80FF0000, 0x80), 0xFF982A3Bu);
    EXPECT_EQ(Straight<Format565>(0x001F, 0x80FF0000, 0x80), 0x780Eu);
    EXPECT_EQ(Straight<Format555>(0x001F, 0x80FF0000, 0x80), 0x3C0Eu);
    EXPECT_EQ(Straight<Format565>(0xFFFF, 0x00000000, 9), 0xEF7Du);
    // 555 drops bit 15 of the destination.
    EXPECT_EQ(Straight<Format555>(0xFFFF, 0x00000000, 0) & 0x8000u, 0u);
    // A premultiplied channel equal to a over a transparent pixel: the
    // quotient 256 is limited to 255.
    EXPECT_EQ(Premultiplied<FormatARGB>(0x00000000, 0x00313131, 49), 0x30FFFFFFu);
    // a = 0 erodes the destination by one step.
    EXPECT_EQ(Straight<FormatARGB>(0xFFFFFFFF, 0xFFFFFFFF, 0), 0xFEFEFEFEu);
    EXPECT_EQ(Straight<FormatX888>(0xFFFFFFFF, 0xFFFFFFFF, 0), 0xFFFEFEFEu);
    EXPECT_EQ(Straight<Format565>(0xFFFF, 0xFFFFFFFF, 0), 0xF7BEu);
}

TEST(PixelFormats, ZeroAlphaOntoTransparentPixelLeavesItAlone)
{
    for (uint32_t d : { 0x00000000u, 0x00FF8040u })
        for (uint32_t s : { 0x00000000u, 0xFFFFFFFFu }) {
            EXPECT_EQ(Straight<FormatARGB>(d, s, 0), d);
            EXPECT_EQ(Premultiplied<FormatARGB>(d, s & 0xFF000000u, 0), d);
        }
}

// The ARGB blend divides by a reciprocal; compare every alpha pair and the
// extreme channels with the plain per-channel formula.
TEST(PixelFormats, ArgbBlendMatchesPerChannelDivision)
{
    const uint32_t channels[] = { 0, 1, 2, 127, 128, 200, 254, 255 };
    for (uint32_t a = 0; a < 256; ++a)
        for (uint32_t da = 0; da < 256; ++da) {
            const uint32_t ia = 256 - a;
            const uint32_t outA = 256 - (((256 - da) * ia) >> 8);
            if (outA == 0)
                continue;
            // Each channel its own values, so that fields that reach the
            // limit sit beside ones that do not.
            for (uint32_t dc : channels)
                for (uint32_t sc : channels) {
                    const uint32_t dcs[3] = { dc, sc, 255 - dc }, scs[3] = { sc, 255 - dc, 255 - sc };
                    uint32_t d = da << 24, s = 0, straight = (outA - 1) << 24, premul = straight;
                    for (int k = 0; k < 3; ++k) {
                        const int shift = 16 - 8 * k;
                        d |= dcs[k] << shift;
                        s |= scs[k] << shift;
                        const uint32_t kept = ((dcs[k] * da) >> 8) * ia;
                        straight |= ((kept + ((scs[k] * a) >> 8) * 256) / outA) << shift;
                        premul |= std::min((kept + scs[k] * 256) / outA, 255u) << shift;
                    }
                    ASSERT_EQ(Straight<FormatARGB>(d, s, a), straight) << a << " " << da << " " << dc << " " << sc;
                    ASSERT_EQ(Premultiplied<FormatARGB>(d, s, a), premul) << a << " " << da << " " << dc << " " << sc;
                }
        }
}

// Eight ARGB pixels side by side, on every kernel path, against one at a
// time: skipped, opaque and blended samples over every kind of pixel, for
// every length of a span's last block.
TEST(PixelFormats, ArgbSpansMatchThePixels)
{
    uint32_t seed = 5;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    const uint32_t alphas[] = { 0, 8, 9, 10, 100, 128, 200, 239, 240, 254, 255 };
    for (const bool wide : { false, true }) {
        if (!Kivo::UseWideKernels(wide) && wide)
            continue;
        SCOPED_TRACE(wide ? "AVX2 kernels" : "SSE2 kernels");
        for (int i = 0; i < 20000; ++i) {
            const int n = 1 + i % 8;
            uint32_t s[8], d[8], want[8];
            for (int k = 0; k < 8; ++k) {
                const uint32_t a = alphas[next() % std::size(alphas)];
                const uint32_t da = next() % 3 == 0 ? 255 : next() % 3 == 0 ? 0 : next() >> 24;
                uint32_t c = next() & 0xFFFFFF;
                if (i % 2) // premultiplied: channels about the alpha
                    c &= (std::min(a + 1, 255u) * 0x010101u);
                s[k] = a << 24 | c;
                d[k] = want[k] = da << 24 | (next() & 0xFFFFFF);
            }
            for (int k = 0; k < n; ++k) {
                const uint32_t a = s[k] >> 24;
                if (a >= 240)
                    FormatARGB::WriteOpaque(&want[k], s[k]);
                else if (a > 8 && i % 2)
                    FormatARGB::BlendPremultiplied(&want[k], s[k], a);
                else if (a > 8)
                    FormatARGB::BlendStraight(&want[k], s[k], a);
            }
            if (i % 2)
                FormatARGB::OverSpan<true>(d, s, n, wide);
            else
                FormatARGB::OverSpan<false>(d, s, n, wide);
            for (int k = 0; k < 8; ++k)
                ASSERT_EQ(d[k], want[k]) << "case " << i << " pixel " << k << std::hex << " s " << s[k];
        }
    }
    Kivo::UseWideKernels(true);
}

// No channel of a blend ever carries into its neighbour: each field of the
// packed result equals the per-field formula, for any a and every channel
// of a premultiplied source at most a.
template <class Fmt, int RedBits, int GreenBits>
void CheckNoCarry()
{
    for (uint32_t a = 0; a < 256; ++a)
        for (uint32_t d : { 0u, 0xFFFFFFFFu, 0x00FF00FFu, 0x0000FF00u })
            for (uint32_t c : { 0u, a / 2, a, 255u }) {
                const uint32_t s = c * 0x010101u;
                const uint32_t dp = Fmt::Pack(d);
                const uint32_t st = Straight<Fmt>(dp, s, a);
                const uint32_t w = (255 - a) >> 3;
                const uint32_t redMax = (1u << RedBits) - 1, greenMax = (1u << GreenBits) - 1;
                const uint32_t dr = (dp >> (RedBits + GreenBits)) & redMax, dg = (dp >> RedBits) & greenMax,
                               db = dp & redMax;
                const uint32_t sr = (c * a) >> 11, sg = (c * a) >> (16 - GreenBits);
                ASSERT_EQ((st >> (RedBits + GreenBits)) & redMax, ((dr * w) >> 5) + sr) << a << " " << c;
                ASSERT_EQ((st >> RedBits) & greenMax, ((dg * w) >> 5) + sg) << a << " " << c;
                ASSERT_EQ(st & redMax, ((db * w) >> 5) + sr) << a << " " << c;
                if (c <= a) {
                    const uint32_t pm = Premultiplied<Fmt>(dp, s, a);
                    ASSERT_EQ((pm >> (RedBits + GreenBits)) & redMax, ((dr * w) >> 5) + (c >> (8 - RedBits)));
                    ASSERT_EQ((pm >> RedBits) & greenMax, ((dg * w) >> 5) + (c >> (8 - GreenBits)));
                    ASSERT_EQ(pm & redMax, ((db * w) >> 5) + (c >> (8 - RedBits)));
                }
            }
}

TEST(PixelFormats, SixteenBitBlendsNeverCarry)
{
    CheckNoCarry<Format565, 5, 6>();
    CheckNoCarry<Format555, 5, 5>();
}

TEST(PixelFormats, X888BlendsNeverCarry)
{
    for (uint32_t a = 0; a < 256; ++a)
        for (uint32_t d : { 0u, 0xFFFFFFFFu, 0x00FF00FFu })
            for (uint32_t c : { 0u, a, 255u }) {
                const uint32_t st = Straight<FormatX888>(d, c * 0x010101u, a);
                for (int shift : { 0, 8, 16 }) {
                    const uint32_t dc = (d >> shift) & 0xFF;
                    ASSERT_EQ((st >> shift) & 0xFF, ((dc * (255 - a)) >> 8) + ((c * a) >> 8));
                    if (c <= a) {
                        ASSERT_EQ((Premultiplied<FormatX888>(d, c * 0x010101u, a) >> shift) & 0xFF,
                                  ((dc * (255 - a)) >> 8) + c);
                    }
                }
                ASSERT_EQ(st >> 24, 0xFFu);
            }
}

} // namespace
