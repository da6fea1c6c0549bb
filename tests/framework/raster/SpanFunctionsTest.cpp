#include "framework/raster/SpanFunctions.h"
#include "framework/raster/TexelSampling.h"

#include "RasterTestSupport.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

using namespace Kivo;
using RasterTest::Colour;
using RasterTest::MakeTexture;
using RasterTest::Surface;
using RasterTest::Vertex;

constexpr uint32_t kNoVertexColour = 0xFFFFFFFF;

// Draws a 4 × 4 square through one table slot onto a 4 × 4 destination
// filled with dest, from a uniform 4 × 4 texture, with texture coordinates
// half a texel in, so that one-texel members hit texel centres and four-texel
// members sample exactly one texel. Returns the pixel every position shows
// (the test fails if they differ).
uint32_t DrawSquare(int group, int slot, uint32_t texel, uint32_t colour, uint32_t vertexColour, uint32_t dest)
{
    Surface s(group, 4, 4, dest);
    const std::vector<uint32_t> texels(16, texel);
    const RasterTexture t = MakeTexture(texels, 4);
    const RasterColor c = Colour(colour);
    const RasterVertex q[4] = { Vertex(0, 0, 0.5, 0.5, vertexColour), Vertex(4, 0, 4.5, 0.5, vertexColour),
                                Vertex(0, 4, 0.5, 4.5, vertexColour), Vertex(4, 4, 4.5, 4.5, vertexColour) };
    const RasterVertex t1[3] = { q[0], q[1], q[2] }, t2[3] = { q[1], q[3], q[2] };
    const TriangleFunc f = gTriangleFuncs[group * 32 + slot];
    f(t1, s.bits(), s.pitch, &t, &c);
    f(t2, s.bits(), s.pitch, &t, &c);
    const uint32_t first = s.Get(0, 0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(s.Get(x, y), first) << x << "," << y;
    return first;
}

struct Example {
    int slot;
    int group;
    uint32_t texel, colour, vertexColour, dest, expected;
};

// The worked examples of every textured slot, in every format they name.
const Example kExamples[] = {
    // Opaque: texel alpha ignored, 32-bit alpha forced to 255.
    { 16, 0, 0x00FFFFFF, 0xFFFFFFFF, kNoVertexColour, 0x00000000, 0xFFFFFFFF },
    { 16, 1, 0x00FFFFFF, 0xFFFFFFFF, kNoVertexColour, 0x00000000, 0xFFFFFFFF },
    { 16, 2, 0x00FFFFFF, 0xFFFFFFFF, kNoVertexColour, 0x0000, 0xFFFF },
    { 16, 3, 0x00FFFFFF, 0xFFFFFFFF, kNoVertexColour, 0x0000, 0x7FFF },
    { 16, 2, 0x12345678, 0xFFFFFFFF, kNoVertexColour, 0x0000, 0x32AF },
    { 16, 3, 0x12345678, 0xFFFFFFFF, kNoVertexColour, 0x0000, 0x194F },
    // Four-texel sample at a centre of opaque white: 253, written opaque.
    { 17, 0, 0xFFFFFFFF, 0xFFFFFFFF, kNoVertexColour, 0x00000000, 0xFFFDFDFD },
    // Draw colour modulation.
    { 18, 0, 0xFFFFFFFF, 0xFFFF8000, kNoVertexColour, 0x00000000, 0xFFFE7F00 },
    { 18, 1, 0xFFFFFFFF, 0xFFFF8000, kNoVertexColour, 0xFF000000, 0xFFFE7F00 },
    { 18, 2, 0xFFFFFFFF, 0xFFFF8000, kNoVertexColour, 0x0000, 0xFBE0 },
    { 18, 3, 0xFFFFFFFF, 0xFFFF8000, kNoVertexColour, 0x0000, 0x7DE0 },
    { 18, 1, 0x00FFFFFF, 0x80FFFFFF, kNoVertexColour, 0xFF000000, 0xFF7E7E7E },
    { 18, 0, 0xFFFFFFFF, 0x80FFFFFF, kNoVertexColour, 0x00000000, 0x7EFDFDFD },
    { 18, 0, 0xFFFFFFFF, 0x80FFFFFF, kNoVertexColour, 0xFFFFFFFF, 0xFFFDFDFD },
    { 18, 1, 0xFFFFFFFF, 0xF1FFFFFF, kNoVertexColour, 0xFF000000, 0xFFFEFEFE }, // 241: opaque
    { 18, 1, 0xFFFFFFFF, 0xF0FFFFFF, kNoVertexColour, 0xFF000000, 0xFFEDEDED }, // 240: blends
    { 18, 1, 0xFFFFFFFF, 0x00FFFFFF, kNoVertexColour, 0xFFFFFFFF, 0xFFFEFEFE }, // alpha 0 still erodes
    { 18, 2, 0xFFFFFFFF, 0x00FFFFFF, kNoVertexColour, 0xFFFF, 0xF7BE },
    { 18, 0, 0xFFFFFFFF, 0x00FFFFFF, kNoVertexColour, 0x00000000, 0x00000000 }, // a = 0 on alpha 0
    // Vertex colours.
    { 20, 0, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0x00000000, 0xFFFEFEFE },
    { 20, 2, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0x0000, 0xFFFF },
    { 20, 3, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0x0000, 0x7FFF },
    { 20, 1, 0xFFFFFFFF, 0xFFFFFFFF, 0xF0FFFFFF, 0xFF000000, 0xFFEDEDED }, // sa 239 blends
    { 20, 1, 0xFFFFFFFF, 0xFFFFFFFF, 0xF1FFFFFF, 0xFF000000, 0xFFFEFEFE }, // sa 240 opaque
    { 20, 1, 0xFFFFFFFF, 0xFFFFFFFF, 0x00FFFFFF, 0xFFFFFFFF, 0xFFFEFEFE },
    { 20, 2, 0xFFFFFFFF, 0xFFFFFFFF, 0x00FFFFFF, 0xFFFF, 0xF7BE },
    { 21, 0, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0x00000000, 0xFFFBFBFB },
    { 21, 0, 0xFFFFFFFF, 0xFFFFFFFF, 0x32FFFFFF, 0x00000000, 0x30FFFFFF },
    // Vertex colours and draw colour: the colour acts twice.
    { 22, 0, 0xFFFFFFFF, 0xFFFFFF80, 0xFFFFFFFF, 0x00000000, 0xFFFCFC3E },
    { 22, 1, 0xFFFFFFFF, 0xFFFFFF80, 0xFFFFFFFF, 0xFF000000, 0xFFFCFC3E },
    { 22, 2, 0xFFFFFFFF, 0xFFFFFF80, 0xFFFFFFFF, 0x0000, 0xFFE7 },
    { 22, 3, 0xFFFFFFFF, 0xFFFFFF80, 0xFFFFFFFF, 0x0000, 0x7FE7 },
    { 22, 1, 0xFFFFFFFF, 0x80FFFFFF, 0xFFFFFFFF, 0xFF000000, 0xFF3D3D3D }, // a quarter, not a half
    { 23, 0, 0xFFFFFFFF, 0xFFFFFF80, 0xFFFFFFFF, 0x00000000, 0xFFF7F73D },
    { 23, 1, 0xFFFFFFFF, 0xFFFFFF80, 0xFFFFFFFF, 0xFF000000, 0xFFF7F73D },
    { 23, 2, 0xFFFFFFFF, 0xFFFFFF80, 0xFFFFFFFF, 0x0000, 0xF7A7 },
    { 23, 3, 0xFFFFFFFF, 0xFFFFFF80, 0xFFFFFFFF, 0x0000, 0x7BC7 },
    // Alpha-blended texels: skip at 8, blend 9..239, opaque from 240.
    { 24, 0, 0x80FF0000, 0xFFFFFFFF, kNoVertexColour, 0x00000000, 0x7FFE0000 },
    { 24, 0, 0x80FF0000, 0xFFFFFFFF, kNoVertexColour, 0xFF0000FF, 0xFF7F007F },
    { 24, 1, 0x08FFFFFF, 0xFFFFFFFF, kNoVertexColour, 0xFF123456, 0xFF123456 },
    { 24, 1, 0x09FFFFFF, 0xFFFFFFFF, kNoVertexColour, 0xFF000000, 0xFF080808 },
    { 24, 1, 0xEFFFFFFF, 0xFFFFFFFF, kNoVertexColour, 0xFF000000, 0xFFEEEEEE },
    { 24, 0, 0xF0FFFFFF, 0xFFFFFFFF, kNoVertexColour, 0x00000000, 0xFFFFFFFF },
    { 25, 1, 0xFFFFFFFF, 0xFFFFFFFF, kNoVertexColour, 0xFF000000, 0xFFFDFDFD },
    { 25, 2, 0x00FFFFFF, 0xFFFFFFFF, kNoVertexColour, 0x1234, 0x1234 }, // transparent: nothing
    // Alpha-blended and draw colour.
    { 26, 1, 0x09FFFFFF, 0xFFFF8000, kNoVertexColour, 0xFF000000, 0xFF070300 },
    { 26, 1, 0x80FFFFFF, 0xFFFF8000, kNoVertexColour, 0xFF000000, 0xFF7E3F00 },
    { 26, 0, 0x80FFFFFF, 0xFFFF8000, kNoVertexColour, 0x00000000, 0x7EFD7E00 },
    { 26, 0, 0x80FFFFFF, 0xFFFF8000, kNoVertexColour, 0xFFFFFFFF, 0xFFFDBE7F },
    { 26, 2, 0x80FFFFFF, 0xFFFF8000, kNoVertexColour, 0x0000, 0x79E0 },
    { 26, 3, 0x80FFFFFF, 0xFFFF8000, kNoVertexColour, 0x0000, 0x3CE0 },
    { 26, 0, 0xFFFFFFFF, 0xFFFFFF80, kNoVertexColour, 0x00000000, 0xFFFEFE7F },
    { 26, 2, 0xFFFFFFFF, 0xFFFFFF80, kNoVertexColour, 0x0000, 0xFFEF },
    { 26, 1, 0xFFFFFFFF, 0x01FFFFFF, kNoVertexColour, 0xFFFFFFFF, 0xFFFEFEFE },
    { 26, 2, 0xFFFFFFFF, 0x01FFFFFF, kNoVertexColour, 0xFFFF, 0xF7BE },
    { 26, 0, 0xFFFFFFFF, 0x01FFFFFF, kNoVertexColour, 0xFFFFFFFF, 0xFEFEFEFE },
    { 27, 1, 0xFFFFFFFF, 0xFFFFFF80, kNoVertexColour, 0xFF000000, 0xFFFBFB7D },
    { 27, 1, 0xFFFFFFFF, 0xF1FFFFFF, kNoVertexColour, 0xFF000000, 0xFFEDEDED },
    { 27, 1, 0xFFFFFFFF, 0xF2FFFFFF, kNoVertexColour, 0xFF000000, 0xFFEEEEEE },
    // Alpha-blended and vertex colours.
    { 28, 0, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0x00000000, 0xFFFEFEFE },
    { 28, 2, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0x0000, 0xFFFF },
    { 28, 3, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0x0000, 0x7FFF },
    { 28, 1, 0xF0FFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFF000000, 0xFFEDEDED }, // texel 240: a 239
    { 28, 1, 0xF1FFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFF000000, 0xFFFEFEFE }, // texel 241: a 240
    { 28, 1, 0x08FFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFF123456, 0xFF123456 },
    { 28, 1, 0xFFFFFFFF, 0xFFFFFFFF, 0x00FFFFFF, 0xFFFFFFFF, 0xFFFEFEFE }, // vertex alpha 0 erodes
    { 29, 0, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0x00000000, 0xFFFBFBFB },
    { 29, 0, 0xFFFFFFFF, 0xFFFFFFFF, 0x32FFFFFF, 0x00000000, 0x30FFFFFF },
    // Everything.
    { 30, 0, 0xFFFFFFFF, 0xFFFFFF80, 0xFFFFFFFF, 0x00000000, 0xFFFCFC3E },
    { 30, 2, 0xFFFFFFFF, 0xFFFFFF80, 0xFFFFFFFF, 0x0000, 0xFFE7 },
    { 30, 0, 0xFFFFFFFF, 0x80FFFFFF, 0xFFFFFFFF, 0x80102030, 0x9E6B757F },
    { 30, 2, 0xFFFFFFFF, 0xFFFFFFFF, 0x00FFFFFF, 0xFFFF, 0xF7BE },
    { 30, 0, 0xFFFFFFFF, 0x10FFFFFF, 0xFFFFFFFF, 0x00000000, 0x00000000 }, // coverage 0 on alpha 0
    { 31, 1, 0xFFFFFFFF, 0xFFFFFF80, 0xFFFFFFFF, 0xFF000000, 0xFFF7F73D },
    { 31, 0, 0xFFFFFFFF, 0x80FFFFFF, 0xFFFFFFFF, 0xFF000000, 0xFF3D3D3D },
    { 31, 0, 0xFFFFFFFF, 0x1EFFFFFF, 0xFFFFFFFF, 0x00000000, 0x01FFFFFF },
};

TEST(SpanFunctions, WorkedExamples)
{
    for (const Example& e : kExamples)
        EXPECT_EQ(DrawSquare(e.group, e.slot, e.texel, e.colour, e.vertexColour, e.dest), e.expected)
            << "slot " << e.slot << " group " << e.group << std::hex << " texel " << e.texel << " colour "
            << e.colour << " vertex " << e.vertexColour << " dest " << e.dest;
}

// Where every pixel comes out opaque, the four formats agree: 16-bit results
// are the packed 32-bit ones and X888 equals ARGB.
TEST(SpanFunctions, OpaqueScenesAgreeAcrossFormats)
{
    const uint32_t texels[] = { 0xFF123456, 0xFFFEDCBA, 0xFF808080, 0xFF00FF7F };
    for (int slot : { 16, 17, 18, 20, 22, 24, 26, 28, 30 }) {
        for (uint32_t texel : texels) {
            const uint32_t colour = (slot & 2) ? 0xFFC08040 : 0xFFFFFFFF;
            const uint32_t vc = (slot & 4) ? 0xFF80FFC0 : kNoVertexColour;
            const uint32_t argb = DrawSquare(0, slot, texel, colour, vc, 0x00000000);
            ASSERT_EQ(argb >> 24, 0xFFu) << slot;
            EXPECT_EQ(DrawSquare(1, slot, texel, colour, vc, 0xFF000000), argb) << slot;
            EXPECT_EQ(DrawSquare(2, slot, texel, colour, vc, 0), Raster::Format565::Pack(argb)) << slot;
            EXPECT_EQ(DrawSquare(3, slot, texel, colour, vc, 0), Raster::Format555::Pack(argb)) << slot;
        }
    }
}

TEST(SpanFunctions, NearestTexelReadsOnlyInsideTheTexture)
{
    const std::vector<uint32_t> texels = { 1, 2, 3, 4, 5, 6 }; // 3 × 2
    const RasterTexture t = MakeTexture(texels, 3);
    struct Case {
        uint32_t u, v, expected;
    } cases[] = {
        { 0x10000, 0x10000, 5 },
        { 0x30000, 0, 4 },           // one past the row end reads the next row
        { 0x30000, 0x10000, 0 },     // ... and black in the last row
        { 0xFFFF8000, 0, 0 },        // just below 0 becomes 65535
        { 0x20000, 0xFFFFFFFF, 0 },  // index wraps: still bounded
    };
    for (const Case& c : cases)
        EXPECT_EQ(Raster::NearestTexel(t, c.u, c.v), c.expected) << std::hex << c.u << " " << c.v;

    // Slot 16 draws an index outside as opaque black, slot 24 leaves it.
    const std::vector<uint32_t> one = { 0xFFFFFFFF };
    const RasterTexture t1 = MakeTexture(one, 1);
    const RasterColor white = Colour(0xFFFFFFFF);
    const RasterVertex tri[3] = { Vertex(0, 0, 1, 0), Vertex(4, 0, 5, 0), Vertex(0, 4, 1, 4) };
    Surface s16(0, 4, 4, 0x00123456), s24(0, 4, 4, 0x00123456);
    gTriangleFuncs[16](tri, s16.bits(), s16.pitch, &t1, &white);
    gTriangleFuncs[24](tri, s24.bits(), s24.pitch, &t1, &white);
    EXPECT_EQ(s16.Get(0, 0), 0xFF000000u);
    EXPECT_EQ(s24.Get(0, 0), 0x00123456u);
}

TEST(SpanFunctions, FourTexelSample)
{
    const std::vector<uint32_t> white(16, 0xFFFFFFFF);
    const RasterTexture t = MakeTexture(white, 4);
    EXPECT_EQ(SampleFourTexels(t, 0x10000, 0x10000), 0xFEFDFDFDu);
    // Inside an opaque area: alpha 252..254, channels at most 253.
    for (uint32_t f = 0; f < 0x10000; f += 0x0FFF) {
        const uint32_t s = SampleFourTexels(t, 0x10000 + f, 0x10000 + (f ^ 0x5555));
        EXPECT_GE(s >> 24, 252u);
        EXPECT_LE(s >> 24, 254u);
        EXPECT_LE(s & 0xFF, 253u);
    }
    // Above row 0 the upper taps read 0; left of column 0 they read the
    // previous row's last texel.
    std::vector<uint32_t> rows(16, 0xFF000000);
    rows[3] = 0xFFFFFFFF; // last texel of row 0
    const RasterTexture r = MakeTexture(rows, 4);
    EXPECT_EQ(SampleFourTexels(r, 0, static_cast<uint32_t>(-0x8000)) >> 24, (0x7FFFu * 0xFF >> 16) + 0u);
    EXPECT_GT(SampleFourTexels(r, static_cast<uint32_t>(-0x8000), 0x10000) & 0xFF, 100u);
    // The bound is per tap: at the last texel only that one tap is read.
    const std::vector<uint32_t> texel(4, 0xFF404040);
    const RasterTexture small = MakeTexture(texel, 2);
    EXPECT_EQ(SampleFourTexels(small, 0x10000, 0x10000), 0xFE3F3F3Fu);
}

// Eight samples at a time, four-texel or nearest, give the single samples on every kernel path, for
// points inside, beside and far outside textures of every small shape.
TEST(SpanFunctions, FourTexelSamplesInARow)
{
    uint32_t seed = 99;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    for (const bool wide : { false, true }) {
        if (!UseWideKernels(wide) && wide)
            continue;
        SCOPED_TRACE(wide ? "AVX2 kernels" : "SSE2 kernels");
        for (int n = 0; n < 400; ++n) {
            const int width = 1 + static_cast<int>(next() % 9), height = 1 + static_cast<int>(next() % 7);
            std::vector<uint32_t> texels(static_cast<size_t>(width) * height);
            for (uint32_t& t : texels)
                t = next();
            const RasterTexture t = MakeTexture(texels, width);
            const bool far = n % 5 == 0;
            const uint32_t u = far ? next() : static_cast<uint32_t>(static_cast<int32_t>(next() % (width + 4) * 0x10000) - 0x28000) + (next() & 0xFFFF);
            const uint32_t v = far ? next() : static_cast<uint32_t>(static_cast<int32_t>(next() % (height + 4) * 0x10000) - 0x28000) + (next() & 0xFFFF);
            const uint32_t du = far ? next() : static_cast<uint32_t>(static_cast<int32_t>(next() % 0x30000) - 0x18000);
            const uint32_t dv = far ? next() : static_cast<uint32_t>(static_cast<int32_t>(next() % 0x30000) - 0x18000);
            uint32_t row[8];
            SampleFourTexelsRow(t, u, v, du, dv, wide, row);
            uint32_t nearest[8];
            NearestTexelRow(t, u, v, du, dv, wide, nearest);
            for (uint32_t k = 0; k < 8; ++k) {
                ASSERT_EQ(row[k], SampleFourTexels(t, u + k * du, v + k * dv)) << "case " << n << " point " << k;
                ASSERT_EQ(nearest[k], Raster::NearestTexel(t, u + k * du, v + k * dv)) << "case " << n << " point " << k;
            }
        }
    }
    UseWideKernels(true);
}

// The slot map: 128 entries, 71 distinct members, each where the table of
// members puts it.
TEST(SpanFunctions, DispatchTable)
{
    struct Row {
        TriangleFunc group[4];
    };
    const TriangleFunc N = DrawTriangleNull;
    const Row rows[32] = {
        { N, N, N, N },
        { N, N, N, N },
        { N, N, N, N },
        { N, N, N, N },
        { DrawTriangleARGBGouraud, DrawTriangleX888Gouraud, DrawTriangle565Gouraud, DrawTriangle555Gouraud },
        { DrawTriangleARGBGouraud, DrawTriangleX888Gouraud, DrawTriangle565Gouraud, DrawTriangle555Gouraud },
        { DrawTriangleARGBGouraudMod, DrawTriangleX888GouraudMod, DrawTriangle565GouraudMod, DrawTriangle555GouraudMod },
        { DrawTriangleARGBGouraudMod, DrawTriangleX888GouraudMod, DrawTriangle565GouraudMod, DrawTriangle555GouraudMod },
        { N, N, N, N },
        { N, N, N, N },
        { N, N, N, N },
        { N, N, N, N },
        { DrawTriangleARGBGouraud, DrawTriangleX888Gouraud, DrawTriangle565Gouraud, DrawTriangle555Gouraud },
        { DrawTriangleARGBGouraud, DrawTriangleX888Gouraud, DrawTriangle565Gouraud, DrawTriangle555Gouraud },
        { DrawTriangleARGBGouraudMod, DrawTriangleX888GouraudMod, DrawTriangle565GouraudMod, DrawTriangle555GouraudMod },
        { DrawTriangleARGBGouraudMod, DrawTriangleX888GouraudMod, DrawTriangle565GouraudMod, DrawTriangle555GouraudMod },
        { DrawTriangle32Tex, DrawTriangle32Tex, DrawTriangle565Tex, DrawTriangle555Tex },
        { DrawTriangle32TexLinear, DrawTriangle32TexLinear, DrawTriangle565TexLinear, DrawTriangle555TexLinear },
        { DrawTriangleARGBTexMod, DrawTriangleX888TexMod, DrawTriangle565TexMod, DrawTriangle555TexMod },
        { DrawTriangleARGBTexModLinear, DrawTriangleX888TexModLinear, DrawTriangle565TexModLinear, DrawTriangle555TexModLinear },
        { DrawTriangleARGBTexGouraud, DrawTriangleX888TexGouraud, DrawTriangle565TexGouraud, DrawTriangle555TexGouraud },
        { DrawTriangleARGBTexGouraudLinear, DrawTriangleX888TexGouraudLinear, DrawTriangle565TexGouraudLinear, DrawTriangle555TexGouraudLinear },
        { DrawTriangleARGBTexGouraudMod, DrawTriangleX888TexGouraudMod, DrawTriangle565TexGouraudMod, DrawTriangle555TexGouraudMod },
        { DrawTriangleARGBTexGouraudModLinear, DrawTriangleX888TexGouraudModLinear, DrawTriangle565TexGouraudModLinear, DrawTriangle555TexGouraudModLinear },
        { DrawTriangleARGBTexBlend, DrawTriangleX888TexBlend, DrawTriangle565TexBlend, DrawTriangle555TexBlend },
        { DrawTriangleARGBTexBlendLinear, DrawTriangleX888TexBlendLinear, DrawTriangle565TexBlendLinear, DrawTriangle555TexBlendLinear },
        { DrawTriangleARGBTexBlendMod, DrawTriangleX888TexBlendMod, DrawTriangle565TexBlendMod, DrawTriangle555TexBlendMod },
        { DrawTriangleARGBTexBlendModLinear, DrawTriangleX888TexBlendModLinear, DrawTriangle565TexBlendModLinear, DrawTriangle555TexBlendModLinear },
        { DrawTriangleARGBTexBlendGouraud, DrawTriangleX888TexBlendGouraud, DrawTriangle565TexBlendGouraud, DrawTriangle555TexBlendGouraud },
        { DrawTriangleARGBTexBlendGouraudLinear, DrawTriangleX888TexBlendGouraudLinear, DrawTriangle565TexBlendGouraudLinear, DrawTriangle555TexBlendGouraudLinear },
        { DrawTriangleARGBTexBlendGouraudMod, DrawTriangleX888TexBlendGouraudMod, DrawTriangle565TexBlendGouraudMod, DrawTriangle555TexBlendGouraudMod },
        { DrawTriangleARGBTexBlendGouraudModLinear, DrawTriangleX888TexBlendGouraudModLinear, DrawTriangle565TexBlendGouraudModLinear, DrawTriangle555TexBlendGouraudModLinear },
    };
    std::set<TriangleFunc> distinct;
    for (int g = 0; g < 4; ++g)
        for (int slot = 0; slot < 32; ++slot) {
            EXPECT_EQ(gTriangleFuncs[g * 32 + slot], rows[slot].group[g]) << "group " << g << " slot " << slot;
            distinct.insert(gTriangleFuncs[g * 32 + slot]);
        }
    EXPECT_EQ(distinct.size(), 71u);

    struct Index {
        bool tex, blend, gouraud, mod;
        int32_t format;
        bool linear;
        int expected;
    } indices[] = {
        { true, true, true, true, 0x565, false, 94 },
        { false, false, true, false, 0, false, 4 },
        { false, false, true, false, 0x8888, false, 4 },
        { false, false, true, false, 0x1234, true, 5 },
        { true, false, false, false, 0x888, false, 48 },
        { true, true, false, true, 0x555, true, 96 + 27 },
    };
    for (const Index& i : indices)
        EXPECT_EQ(TriangleFuncIndex(i.tex, i.blend, i.gouraud, i.mod, i.format, i.linear), i.expected);
}

} // namespace

namespace {

// A pitch that is not a whole number of pixels is rounded down: rows of a
// 4-pixel-wide destination with a pitch of 4 × size plus half a pixel lie
// 4 × size bytes apart.
TEST(SpanFunctions, PitchIsRoundedDownToWholePixels)
{
    for (int group = 0; group < 4; ++group) {
        const int size = RasterTest::PixelSize(group);
        const uint32_t pitch = 4 * size + size / 2;
        std::vector<uint8_t> bytes(pitch * 4, 0);
        const RasterColor white = Colour(0xFFFFFFFF);
        const uint32_t c = 0xFFFFFFFF;
        const RasterVertex t1[3] = { Vertex(0, 0, 0, 0, c), Vertex(4, 0, 0, 0, c), Vertex(0, 4, 0, 0, c) };
        const RasterVertex t2[3] = { Vertex(4, 0, 0, 0, c), Vertex(4, 4, 0, 0, c), Vertex(0, 4, 0, 0, c) };
        gTriangleFuncs[group * 32 + 4](t1, bytes.data(), pitch, nullptr, &white);
        gTriangleFuncs[group * 32 + 4](t2, bytes.data(), pitch, nullptr, &white);
        for (size_t i = 0; i < bytes.size(); ++i)
            EXPECT_EQ(bytes[i] != 0, i < size_t(16 * size)) << "group " << group << " byte " << i;
    }
}

} // namespace
