#include "SurfaceFixture.h"

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
