#include "framework/raster/SpanFrame.h"
#include "framework/raster/SpanFunctions.h"

#include "RasterTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <set>
#include <utility>
#include <vector>

namespace {

using Kivo::RasterVertex;
using RasterTest::Colour;
using RasterTest::Surface;
using RasterTest::Vertex;

// Adds one to every pixel the frame visits.
struct CountShader {
    using Pixel = uint32_t;
    static constexpr int kFirst = 2;
    static constexpr int kCount = 4;
    static constexpr bool kScalesColours = false;
    static void SpanStart(uint32_t*) {}
    static void Draw(Pixel* d, const uint32_t*) { ++*d; }
};

constexpr int kSize = 64;

struct Counts {
    std::vector<uint32_t> pixels = std::vector<uint32_t>(kSize * kSize, 0);
    void Draw(const RasterVertex& a, const RasterVertex& b, const RasterVertex& c)
    {
        const RasterVertex v[3] = { a, b, c };
        Kivo::Raster::ScanTriangle(v, reinterpret_cast<uint8_t*>(pixels.data()), kSize * 4, CountShader{});
    }
    std::set<std::pair<int, int>> Covered() const
    {
        std::set<std::pair<int, int>> s;
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x)
                if (pixels[y * kSize + x])
                    s.insert({ x, y });
        return s;
    }
};

TEST(SpanFrame, FillRule)
{
    struct Case {
        const char* what;
        RasterVertex a, b, c;
        std::set<std::pair<int, int>> covered;
    };
    const Case cases[] = {
        { "right triangle", Vertex(0, 0), Vertex(4, 0), Vertex(0, 4),
          { { 0, 0 }, { 1, 0 }, { 2, 0 }, { 3, 0 }, { 0, 1 }, { 1, 1 }, { 2, 1 }, { 0, 2 }, { 1, 2 }, { 0, 3 } } },
        { "between two rows", Vertex(0, 0.2), Vertex(9, 0.5), Vertex(3, 0.9), {} },
        { "same y", Vertex(0, 2), Vertex(9, 2), Vertex(3, 2), {} },
        { "top at 3.0 takes row 3", Vertex(5, 3), Vertex(8, 3), Vertex(5, 4), { { 5, 3 }, { 6, 3 }, { 7, 3 } } },
        { "bottom at 3.0 leaves row 3", Vertex(5, 2), Vertex(8, 2), Vertex(5, 3), { { 5, 2 }, { 6, 2 }, { 7, 2 } } },
        { "span 2.0 to 5.0", Vertex(2, 0), Vertex(5, 0), Vertex(2, 0.5), { { 2, 0 }, { 3, 0 }, { 4, 0 } } },
        { "span 2.25 to 2.75", Vertex(2.25, 0), Vertex(2.75, 0), Vertex(2.25, 3), {} },
        { "collinear", Vertex(1, 1), Vertex(5, 5), Vertex(9, 9), {} },
    };
    for (const Case& c : cases) {
        Counts counts;
        counts.Draw(c.a, c.b, c.c);
        EXPECT_EQ(counts.Covered(), c.covered) << c.what;
    }
}

// Jittered meshes of many triangles: every pixel of the area is visited
// exactly once, so shared edges have neither gaps nor double blends.
TEST(SpanFrame, MeshesAreWatertight)
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> jitter(-2.4, 2.4);
    for (int round = 0; round < 20; ++round) {
        constexpr int n = 8, step = kSize / n;
        RasterVertex grid[n + 1][n + 1];
        for (int j = 0; j <= n; ++j)
            for (int i = 0; i <= n; ++i) {
                const double x = i * step + (i > 0 && i < n ? jitter(rng) : 0);
                const double y = j * step + (j > 0 && j < n ? jitter(rng) : 0);
                grid[j][i] = Vertex(x, y);
            }
        Counts counts;
        for (int j = 0; j < n; ++j)
            for (int i = 0; i < n; ++i) {
                // Alternate the diagonal and the vertex order.
                if ((i + j + round) & 1) {
                    counts.Draw(grid[j][i], grid[j][i + 1], grid[j + 1][i]);
                    counts.Draw(grid[j + 1][i + 1], grid[j + 1][i], grid[j][i + 1]);
                } else {
                    counts.Draw(grid[j][i], grid[j + 1][i + 1], grid[j + 1][i]);
                    counts.Draw(grid[j][i + 1], grid[j + 1][i + 1], grid[j][i]);
                }
            }
        for (int k = 0; k < kSize * kSize; ++k)
            ASSERT_EQ(counts.pixels[k], 1u) << "round " << round << " pixel " << k % kSize << "," << k / kSize;
    }
}

// Untextured fills: a uniform 16.16 alpha across the triangle.
uint32_t FillPixel(int group, int32_t alpha, uint32_t rgb, uint32_t dest, uint32_t drawColour = 0xFFFFFFFF)
{
    Surface s(group, 4, 4, dest);
    RasterVertex v[3] = { Vertex(0, 0, 0, 0, rgb), Vertex(4, 0, 0, 0, rgb), Vertex(0, 4, 0, 0, rgb) };
    for (RasterVertex& r : v)
        r.alpha = alpha;
    const Kivo::RasterColor c = Colour(drawColour);
    const int slot = drawColour == 0xFFFFFFFF ? 4 : 6;
    Kivo::gTriangleFuncs[group * 32 + slot](v, s.bits(), s.pitch, nullptr, &c);
    return s.Get(1, 1);
}

TEST(SpanFrame, FillAlphaClasses)
{
    struct Case {
        int group;
        int32_t alpha;
        uint32_t rgb, dest, colour, expected;
    } cases[] = {
        { 1, 0xF00001, 0x00FF8040, 0xFF000000, 0xFFFFFFFF, 0xFFFF8040 }, // above 240.0: opaque
        { 1, 0xF00000, 0x00FF0000, 0xFF000000, 0xFFFFFFFF, 0xFFEF0000 }, // 240.0 blends with a = 240
        { 1, 0x80001, 0x00FF0000, 0xFF000000, 0xFFFFFFFF, 0xFF070000 },  // 8.0 + ε blends with a = 8
        { 1, 0x80000, 0x00FF0000, 0xFF123456, 0xFFFFFFFF, 0xFF123456 },  // 8.0 leaves the pixel
        // Onto alpha 0: the source colour as its weighted terms give it back
        // (red 255 × 128 >> 8 = 127, × 256 / 128 = 254), alpha a - 1.
        { 0, 0x800000, 0x00FF8040, 0x00000000, 0xFFFFFFFF, 0x7FFE8040 },
        { 2, 0xFF0000, 0x00FFFFFF, 0x0000, 0xFFFFFFFF, 0xFFFF },
        { 3, 0xFF0000, 0x00FFFFFF, 0x0000, 0xFFFFFFFF, 0x7FFF },
        // Draw alpha 128 on vertex alpha 255: 127.5, blended with a = 127.
        { 1, 0xFF0000, 0x00FFFFFF, 0xFF000000, 0x80FFFFFF, 0xFF7E7E7E },
    };
    for (const auto& c : cases)
        EXPECT_EQ(FillPixel(c.group, c.alpha, c.rgb, c.dest, c.colour), c.expected)
            << c.group << " " << std::hex << c.alpha;
}

// An interpolant that rounding takes just below 0 must not read as a very
// large value: fading quads whose alpha stays below 8 never write.
TEST(SpanFrame, FadesNeverSparkle)
{
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> angle(0, 6.283185307179586), centre(20, 44);
    for (int group = 0; group < 4; ++group) {
        Surface s(group, kSize, kSize, 0x5A5A5A5A);
        const Surface before = s;
        const Kivo::RasterColor white = Colour(0xFFFFFFFF);
        for (int i = 0; i < 3000; ++i) {
            const double a = angle(rng), cx = centre(rng), cy = centre(rng), r = 17.3;
            RasterVertex q[4];
            for (int k = 0; k < 4; ++k) {
                const double t = a + k * 1.5707963267948966;
                q[k] = Vertex(cx + r * std::cos(t), cy + r * std::sin(t), 0, 0, k < 2 ? 0x07FFFFFF : 0x00FFFFFF);
            }
            const RasterVertex t1[3] = { q[0], q[1], q[2] }, t2[3] = { q[0], q[2], q[3] };
            Kivo::gTriangleFuncs[group * 32 + 4](t1, s.bits(), s.pitch, nullptr, &white);
            Kivo::gTriangleFuncs[group * 32 + 4](t2, s.bits(), s.pitch, nullptr, &white);
        }
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x)
                ASSERT_EQ(s.Get(x, y), before.Get(x, y)) << "group " << group << " at " << x << "," << y;
    }
}

// A member never changes the records it is given: the strip reuses them
// across a fan.
TEST(SpanFrame, MembersLeaveTheirRecordsUnchanged)
{
    Surface s(0, 8, 8, 0);
    const RasterVertex v[3] = { Vertex(0, 0, 0, 0, 0xFF808080), Vertex(8, 1, 0, 0, 0x80FFFFFF),
                                Vertex(1, 8, 0, 0, 0x40FF0000) };
    RasterVertex copy[3];
    std::memcpy(copy, v, sizeof v);
    const Kivo::RasterColor c = Colour(0x80408020);
    Kivo::DrawTriangleARGBGouraudMod(v, s.bits(), s.pitch, nullptr, &c);
    EXPECT_EQ(std::memcmp(copy, v, sizeof v), 0);
}

} // namespace
