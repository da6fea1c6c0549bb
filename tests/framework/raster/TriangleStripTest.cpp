#include "framework/raster/TriangleStrip.h"

#include "RasterTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <utility>
#include <vector>

namespace {

using namespace Kivo;
using RasterTest::FakeTexture;
using RasterTest::Surface;

// Every slot of the spy table records its index, the three records and the
// texture record it was handed.
struct Call {
    int index;
    RasterVertex v[3];
    RasterTexture texture;
    RasterColor colour;
};
std::vector<Call> gCalls;

template <size_t I>
void Spy(const RasterVertex* v, uint8_t*, uint32_t, const RasterTexture* t, const RasterColor* c)
{
    Call call{ static_cast<int>(I), { v[0], v[1], v[2] }, *t, *c };
    gCalls.push_back(call);
}

template <size_t... I>
constexpr TriangleFuncTable SpyTable(std::index_sequence<I...>)
{
    return { &Spy<I>... };
}
constexpr TriangleFuncTable kSpies = SpyTable(std::make_index_sequence<128>());

const StripColor kWhite = { 255, 255, 255, 255 };
const StripRect kClip = { 0, 0, 100, 100 };

std::vector<Call> Record(const std::vector<StripVertex>& strip, RasterTextureSource* texture = nullptr,
                         StripColor colour = kWhite, int32_t format = 0x8888, bool linear = false,
                         bool vertexColours = true, StripRect clip = kClip)
{
    gCalls.clear();
    uint8_t pixel[4];
    DrawTriangleStripWithTable(kSpies, strip.data(), static_cast<int>(strip.size()), texture, &colour, &clip,
                               pixel, 400, format, linear, vertexColours);
    return gCalls;
}

int64_t Winding(const Call& c)
{
    return (int64_t(c.v[1].x) - c.v[0].x) * (int64_t(c.v[2].y) - c.v[0].y)
        - (int64_t(c.v[1].y) - c.v[0].y) * (int64_t(c.v[2].x) - c.v[0].x);
}

TEST(TriangleStrip, WalksTheStripAlternatingTheOrder)
{
    std::vector<StripVertex> strip;
    for (int i = 0; i < 5; ++i)
        strip.push_back({ 10.0f + 10 * i, (i & 1) ? 30.0f : 10.0f, 0, 0, 0xFF000000u + i });
    const std::vector<Call> calls = Record(strip);
    ASSERT_EQ(calls.size(), 3u);
    const int expected[3][3] = { { 0, 1, 2 }, { 1, 3, 2 }, { 2, 3, 4 } };
    for (int t = 0; t < 3; ++t) {
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(calls[t].v[k].x, static_cast<int32_t>(strip[expected[t][k]].x * 65536)) << t << " " << k;
        EXPECT_EQ(Winding(calls[t]) > 0, Winding(calls[0]) > 0) << "triangle " << t;
    }
}

// A strip triangle that the clip removes still advances the alternation:
// with the middle triangle below the clip, the third keeps the winding of
// the first.
TEST(TriangleStrip, ClippedTrianglesKeepTheAlternation)
{
    const std::vector<StripVertex> strip = { { 10, 5, 0, 0, 0 }, { 5, 50, 0, 0, 0 }, { 30, 50, 0, 0, 0 },
                                             { 40, 60, 0, 0, 0 }, { 50, 5, 0, 0, 0 } };
    const std::vector<Call> calls = Record(strip, nullptr, kWhite, 0x8888, false, true, { 0, 0, 100, 41 });
    ASSERT_GE(calls.size(), 2u);
    for (const Call& c : calls)
        EXPECT_EQ(Winding(c) > 0, Winding(calls[0]) > 0);
}

TEST(TriangleStrip, ClippedPolygonIsDrawnAsAFanSharingItsFirstVertex)
{
    // A triangle poking out of the clip on the left and the top becomes a
    // pentagon: three triangles, all with the polygon's first vertex.
    const std::vector<StripVertex> strip = { { -20, 50, 0, 0, 0xFF0000FF }, { 50, -20, 1, 0, 0xFF00FF00 },
                                             { 60, 60, 1, 1, 0xFFFF0000 } };
    const std::vector<Call> calls = Record(strip);
    ASSERT_EQ(calls.size(), 3u);
    for (size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(std::memcmp(&calls[i].v[0], &calls[0].v[0], sizeof(RasterVertex)), 0);
        if (i > 0) {
            EXPECT_EQ(std::memcmp(&calls[i].v[1], &calls[i - 1].v[2], sizeof(RasterVertex)), 0);
        }
        for (const RasterVertex& v : calls[i].v) {
            EXPECT_GE(v.x, 0);
            EXPECT_GE(v.y, 0);
        }
    }
}

TEST(TriangleStrip, ChoosesTheSlotFromFormatAndOptions)
{
    const std::vector<StripVertex> tri = { { 10, 10, 0, 0, 0 }, { 20, 10, 0, 0, 0 }, { 10, 20, 0, 0, 0 } };
    FakeTexture opaque(4, 4, 0xFF808080), holes(4, 4, 0xFF808080);
    holes.texels[5] = 0x00000000;
    struct Case {
        RasterTextureSource* texture;
        StripColor colour;
        int32_t format;
        bool linear, vertexColours;
        int expected;
    } cases[] = {
        // Texture with transparent pixels, vertex colours, tinted, into 565.
        { &holes, { 255, 128, 128, 255 }, 0x565, false, true, 94 },
        { &opaque, kWhite, 0x8888, false, false, 16 },
        { &opaque, kWhite, 0, false, false, 16 },
        { &opaque, kWhite, 0x888, true, false, 32 + 25 }, // linear sets Blend too
        { &opaque, { 255, 255, 255, 254 }, 0x555, false, false, 96 + 18 },
        { nullptr, { 10, 20, 30, 40 }, 0x888, false, false, 32 + 2 }, // no texture, no colours: Null
        { nullptr, kWhite, 0x565, true, true, 64 + 5 },
    };
    for (const Case& c : cases) {
        const std::vector<Call> calls = Record(tri, c.texture, c.colour, c.format, c.linear, c.vertexColours);
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].index, c.expected);
    }
    EXPECT_EQ(gTriangleFuncs[32 + 2], &DrawTriangleNull);
}

TEST(TriangleStrip, ConvertsToFixedPointAndBuildsTheTextureRecord)
{
    const std::vector<StripVertex> tri = { { 10, 10.5f, 1.0f, 0.5f, 0x80C04020 }, { 20.25f, 10, 0.5f, 0, 0 },
                                           { 10, 20, 0, 1, 0 } };
    FakeTexture wide(256, 3, 0xFFFFFFFF);
    std::vector<Call> calls = Record(tri, &wide);
    ASSERT_EQ(calls.size(), 1u);
    const RasterVertex& v = calls[0].v[0];
    EXPECT_EQ(v.x, 10 << 16);
    EXPECT_EQ(v.y, 0xA8000);
    EXPECT_EQ(v.u, 0x1000000);
    EXPECT_EQ(v.v, 0x18000); // 0.5 of a height of 3
    EXPECT_EQ(v.alpha, 0x800000);
    EXPECT_EQ(v.red, 0xC00000);
    EXPECT_EQ(v.green, 0x400000);
    EXPECT_EQ(v.blue, 0x200000);
    EXPECT_EQ(calls[0].v[1].x, 0x144000);
    EXPECT_EQ(calls[0].texture.texelCount, 768u);
    EXPECT_EQ(calls[0].texture.width, 256u);
    EXPECT_EQ(calls[0].texture.texels, wide.texels.data());

    FakeTexture hundred(100, 2, 0xFFFFFFFF);
    calls = Record(tri, &hundred);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].texture.widthShift, 10u);
    EXPECT_EQ(calls[0].texture.uMask, 99u << 16);
    EXPECT_EQ(calls[0].texture.vMask, 1u << 16);

    // Colour channels outside 0..255 are held at the ends.
    calls = Record(tri, nullptr, { 300, -5, 128, 255 });
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].colour.red, 255u);
    EXPECT_EQ(calls[0].colour.green, 0u);
    EXPECT_EQ(calls[0].colour.blue, 128u);
}

TEST(TriangleStrip, FewerThanThreeVerticesDrawNothingButCommitTheTexture)
{
    const std::vector<StripVertex> strip = { { 10, 10, 0, 0, 0 }, { 20, 10, 0, 0, 0 }, { 10, 20, 0, 0, 0 } };
    for (int count = 0; count < 3; ++count) {
        FakeTexture t(2, 2, 0xFFFFFFFF);
        gCalls.clear();
        uint8_t pixel[4];
        DrawTriangleStripWithTable(kSpies, strip.data(), count, &t, &kWhite, &kClip, pixel, 4, 0, false, false);
        EXPECT_TRUE(gCalls.empty());
        EXPECT_EQ(t.commits, 1);
        EXPECT_EQ(t.getBits, 0);
    }
}

TEST(TriangleStrip, ConversionSaturates)
{
    EXPECT_EQ(ToFixed(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(ToFixed(1e30), INT32_MAX);
    EXPECT_EQ(ToFixed(-1e30), INT32_MIN);
    EXPECT_EQ(ToFixed(-1.75 * 65536), -0x1C000);
}

// A polygon covering the whole clip fills every pixel of it, its last
// column and row included, and nothing outside it.
TEST(TriangleStrip, CoveringQuadFillsTheWholeClip)
{
    for (int group = 0; group < 4; ++group) {
        Surface s(group, 12, 10, 0x11111111, 2, 0x22222222);
        const StripRect clip = { 1, 1, 10, 8 };
        const std::vector<StripVertex> quad = { { -5, -5, 0, 0, 0xFFFFFFFF }, { 40, -5, 0, 0, 0xFFFFFFFF },
                                                { -5, 40, 0, 0, 0xFFFFFFFF }, { 40, 40, 0, 0, 0xFFFFFFFF } };
        DrawTriangleStrip(quad.data(), 4, nullptr, &kWhite, 0, &clip, s.bits(), s.pitch,
                          RasterTest::kGroupFormats[group], false, true);
        const uint32_t fill = group < 2 ? 0x11111111u : 0x1111u;
        for (int y = -2; y < 12; ++y)
            for (int x = -2; x < 14; ++x) {
                const bool drawn = x >= 1 && x < 11 && y >= 1 && y < 9;
                const uint32_t expected = drawn ? (group < 2 ? 0xFFFEFEFEu : group == 2 ? 0xFFFFu : 0x7FFFu)
                    : (x < 0 || y < 0 || x >= 12 || y >= 10) ? (group < 2 ? 0x22222222u : 0x2222u)
                                                              : fill;
                ASSERT_EQ(s.Get(x, y), drawn ? s.Get(1, 1) : expected) << group << " at " << x << "," << y;
                if (drawn) {
                    ASSERT_NE(s.Get(x, y), fill);
                }
            }
    }
}

// 100,000 random triangles, slivers and hostile coordinates through every
// format and option set: nothing is written outside the clip.
TEST(TriangleStrip, NoWriteOutsideTheClip)
{
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> near(-30, 70), unit(0, 1);
    std::uniform_int_distribution<uint32_t> bits32;
    const float specials[] = { std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                               -std::numeric_limits<float>::infinity(), 1e30f, -1e30f, 3e9f, -3e9f,
                               32767.9f, -32768.5f, 1e-30f };
    FakeTexture texture(5, 3, 0);
    for (uint32_t& t : texture.texels)
        t = bits32(rng);
    for (int group = 0; group < 4; ++group) {
        Surface s(group, 48, 40, 0x33333333, 4, 0x5A5A5A5A);
        const StripRect clip = { 3, 2, 40, 33 };
        const Surface before = s;
        for (int i = 0; i < 25000; ++i) {
            StripVertex v[3];
            for (StripVertex& p : v)
                p = { near(rng), near(rng), unit(rng) * 3 - 1, unit(rng) * 3 - 1, bits32(rng) };
            switch (i % 4) {
            case 1: // sliver under one row high, straddling a row boundary
                v[1].y = std::floor(v[0].y) + 1 + unit(rng) * 0.0006f;
                v[0].y = std::floor(v[0].y) + 1 - unit(rng) * 0.0006f;
                v[2].y = v[0].y + (v[1].y - v[0].y) * unit(rng);
                break;
            case 2: // hostile numbers
                v[i % 3].x = specials[bits32(rng) % 10];
                v[(i + 1) % 3].y = specials[bits32(rng) % 10];
                break;
            case 3: // thin in x
                v[1].x = v[0].x + unit(rng) * 0.0004f;
                v[2].x = v[0].x - unit(rng) * 0.0004f;
                break;
            default:
                break;
            }
            const StripColor colour = { int(bits32(rng) & 0x1FF) - 64, 255, 128, int(bits32(rng) % 300) };
            const uint32_t opts = bits32(rng);
            DrawTriangleStrip(v, 3, (opts & 1) ? &texture : nullptr, &colour, 0, &clip, s.bits(), s.pitch,
                              RasterTest::kGroupFormats[group], (opts & 2) != 0, (opts & 4) != 0);
        }
        for (int y = -4; y < 44; ++y)
            for (int x = -4; x < 52; ++x)
                if (x < clip.x || y < clip.y || x >= clip.x + clip.width || y >= clip.y + clip.height) {
                    ASSERT_EQ(s.Get(x, y), before.Get(x, y)) << "group " << group << " at " << x << "," << y;
                }
    }
}

} // namespace
