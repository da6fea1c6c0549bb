#include "framework/raster/ClipPolygon.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

using Kivo::ClipPolygonToRect;
using Kivo::ClipScratch;
using Kivo::StripVertex;

struct Clipped {
    int n;
    std::vector<const StripVertex*> vertices;
    int poolCount;
};

// Clip rectangle 10..19 × 10..19 unless given.
Clipped Clip(const StripVertex& a, const StripVertex& b, const StripVertex& c, ClipScratch& scratch,
             float left = 10, float right = 19, float top = 10, float bottom = 19)
{
    const StripVertex* in[3] = { &a, &b, &c };
    const StripVertex* out[ClipScratch::kCapacity];
    const int n = ClipPolygonToRect(in, out, left, right, top, bottom, scratch);
    EXPECT_EQ(out[n], nullptr);
    return { n, std::vector<const StripVertex*>(out, out + n), scratch.poolCount };
}

TEST(ClipPolygon, TriangleInsideComesBackAsItself)
{
    ClipScratch s;
    const StripVertex a{ 11, 11, 0, 0, 0 }, b{ 18, 12, 0, 0, 0 }, c{ 10, 19, 0, 0, 0 };
    const Clipped r = Clip(a, b, c, s);
    ASSERT_EQ(r.n, 3);
    EXPECT_EQ(r.vertices, (std::vector<const StripVertex*>{ &a, &b, &c }));
    EXPECT_EQ(r.poolCount, 0);
}

TEST(ClipPolygon, WhollyOutsideAnyBoundOrNotFiniteGivesNothing)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        StripVertex a, b, c;
    } cases[] = {
        { { 0, 11, 0, 0, 0 }, { 9, 12, 0, 0, 0 }, { 5, 18, 0, 0, 0 } },     // left
        { { 20, 11, 0, 0, 0 }, { 29, 12, 0, 0, 0 }, { 25, 18, 0, 0, 0 } },  // right
        { { 11, 0, 0, 0, 0 }, { 18, 9, 0, 0, 0 }, { 15, 5, 0, 0, 0 } },     // top
        { { 11, 20, 0, 0, 0 }, { 18, 29, 0, 0, 0 }, { 15, 25, 0, 0, 0 } },  // bottom
        { { nan, 11, 0, 0, 0 }, { 18, 12, 0, 0, 0 }, { 15, 18, 0, 0, 0 } }, // NaN would pass every bound
        { { 11, nan, 0, 0, 0 }, { 18, 12, 0, 0, 0 }, { 15, 18, 0, 0, 0 } },
        { { -inf, 11, 0, 0, 0 }, { 18, 12, 0, 0, 0 }, { 15, 18, 0, 0, 0 } }, // crossing would be NaN
        { { 11, 11, 0, 0, 0 }, { 18, inf, 0, 0, 0 }, { 15, 18, 0, 0, 0 } },
    };
    for (const Case& c : cases) {
        ClipScratch s;
        EXPECT_EQ(Clip(c.a, c.b, c.c, s).n, 0) << c.a.x << "," << c.a.y;
    }
    ClipScratch s;
    const StripVertex a{ 11, 11, 0, 0, 0 }, b{ 18, 12, 0, 0, 0 }, c{ 10, 19, 0, 0, 0 };
    EXPECT_EQ(Clip(a, b, c, s, 10, 9, 10, 19).n, 0) << "width 0";
    EXPECT_EQ(Clip(a, b, c, s, 10, 19, 10, 9).n, 0) << "height 0";
}

TEST(ClipPolygon, CrossingsKeepOrderAndVerticesOnABoundStay)
{
    ClipScratch s;
    // Only A beyond the left bound: [AB, B, C, CA].
    const StripVertex a{ 0, 15, 0, 0, 0xFF000000 }, b{ 18, 11, 1, 0, 0 }, c{ 18, 19, 1, 1, 0 };
    Clipped r = Clip(a, b, c, s);
    ASSERT_EQ(r.n, 4);
    EXPECT_EQ(r.vertices[1], &b);
    EXPECT_EQ(r.vertices[2], &c);
    EXPECT_FLOAT_EQ(r.vertices[0]->x, 10);
    EXPECT_FLOAT_EQ(r.vertices[3]->x, 10);
    EXPECT_LT(r.vertices[0]->y, 15);
    EXPECT_GT(r.vertices[3]->y, 15);

    // B and C beyond it: [A, AB, CA].
    const StripVertex a2{ 18, 15, 0, 0, 0 }, b2{ 0, 11, 0, 0, 0 }, c2{ 0, 19, 0, 0, 0 };
    r = Clip(a2, b2, c2, s);
    ASSERT_EQ(r.n, 3);
    EXPECT_EQ(r.vertices[0], &a2);
    EXPECT_LT(r.vertices[1]->y, r.vertices[2]->y);

    // A vertex exactly on a bound is kept as itself; the width-1 clip keeps it.
    const StripVertex onLeft{ 10, 15, 0, 0, 0 }, l1{ 5, 11, 0, 0, 0 }, l2{ 5, 19, 0, 0, 0 };
    r = Clip(onLeft, l1, l2, s, 10, 10, 10, 19);
    ASSERT_EQ(r.n, 3);
    EXPECT_EQ(r.vertices[0], &onLeft);
    for (const StripVertex* v : r.vertices)
        EXPECT_FLOAT_EQ(v->x, 10);
}

TEST(ClipPolygon, CrossingInterpolatesEverythingAndTruncatesColourBytes)
{
    ClipScratch s;
    // The left bound at the middle of A-B: alpha 255 -> 0 gives 127.
    const StripVertex a{ 5, 15, 0, 0.5f, 0xFF204060 }, b{ 15, 15, 1, 0.5f, 0x00FF0000 }, c{ 15, 19, 1, 1, 0 };
    const Clipped r = Clip(a, b, c, s);
    ASSERT_EQ(r.n, 4);
    const StripVertex& x = *r.vertices[0];
    EXPECT_FLOAT_EQ(x.x, 10);
    EXPECT_FLOAT_EQ(x.y, 15);
    EXPECT_FLOAT_EQ(x.u, 0.5f);
    EXPECT_FLOAT_EQ(x.v, 0.5f);
    EXPECT_EQ(x.colour, (127u << 24) | (0x8Fu << 16) | (0x20u << 8) | 0x30u);
}

// An edge shared by two triangles of a strip crosses a bound at the same
// point in both, whichever way each triangle walks it: no cracks.
TEST(ClipPolygon, SharedEdgeCrossingIsBitIdentical)
{
    const StripVertex p{ 3.3f, 12.7f, 0.1f, 0.9f, 0x80FF1020 }, q{ 17.9f, 18.1f, 0.7f, 0.2f, 0x10203040 };
    const StripVertex r1{ 16, 11, 0, 0, 0 }, r2{ 12, 19, 0, 0, 0 };
    ClipScratch s1, s2;
    const Clipped c1 = Clip(p, q, r1, s1);
    const Clipped c2 = Clip(q, p, r2, s2);
    auto onEdge = [&](const Clipped& c) {
        for (const StripVertex* v : c.vertices)
            if (v->x == 10.0f && v != &r1 && v != &r2)
                return *v;
        ADD_FAILURE() << "no crossing at the left bound";
        return StripVertex{};
    };
    const StripVertex e1 = onEdge(c1), e2 = onEdge(c2);
    EXPECT_EQ(std::memcmp(&e1, &e2, sizeof e1), 0);
}

} // namespace
