#include "framework/graphics/MemoryImage.h"

#include "Picture.h"
#include "TestHost.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

using namespace Kivo;
using graphicstest::RGBA;
using graphicstest::TestHost;
using Canvas = graphicstest::Picture;

TEST(MemoryImageDrawing, FillRectBlendsOverTheDestinationAlpha)
{
    TestHost host;
    struct Case {
        uint32_t dest;
        Color color;
        int mode;
        uint32_t expected;
    } cases[] = {
        { 0x00000000, RGBA(255, 0, 0, 0), 0, 0x00000000 },
        { 0xFF102030, RGBA(255, 0, 0, 0), 0, 0xFF102030 },
        { 0x00000000, RGBA(255, 0, 0, 128), 0, 0x80FE0000 },
        { 0xFF000000, RGBA(255, 0, 0, 128), 0, 0xFF7F0000 },
        { 0xFF000000, RGBA(255, 0, 0, 128), 1, 0xFF7F0000 }, // additive fills blend normally
        { 0xFF204060, RGBA(255, 128, 0, 128), 0, 0xFF8F6030 },
        { 0x80204060, RGBA(255, 128, 0, 128), 0, 0xBFB46A20 },
        { 0x12345678, RGBA(1, 2, 3, 255), 1, 0xFF010203 },
    };
    for (const Case& c : cases) {
        Canvas canvas(3, 3, c.dest);
        canvas.image.FillRect(Rect(1, 1, 2, 1), c.color, c.mode);
        EXPECT_EQ(canvas.At(1, 1), c.expected) << std::hex << c.dest << " " << c.color.ToInt();
        EXPECT_EQ(canvas.At(2, 1), c.expected);
        EXPECT_EQ(canvas.At(0, 1), c.dest);
        EXPECT_EQ(canvas.At(1, 2), c.dest);
    }
}

TEST(MemoryImageDrawing, OutlinesLinesAndClears)
{
    TestHost host;
    const Color white = Color::White;
    Canvas rect(20, 20, 0);
    rect.image.DrawRect(Rect(10, 10, 4, 3), RGBA(0, 0, 0, 128), 0);
    std::set<std::pair<int, int>> outline;
    for (int x = 10; x <= 14; ++x)
        outline.insert({ x, 10 }), outline.insert({ x, 13 });
    for (int y = 11; y <= 12; ++y)
        outline.insert({ 10, y }), outline.insert({ 14, y });
    EXPECT_EQ(rect.Changed(0), outline);
    EXPECT_EQ(rect.At(10, 10), 0x80000000u); // no pixel blended twice

    Canvas line(10, 10, 0);
    line.image.DrawLine(3.7, 5, 8.2, 5, white, 0);
    std::set<std::pair<int, int>> row;
    for (int x = 3; x <= 8; ++x)
        row.insert({ x, 5 });
    EXPECT_EQ(line.Changed(0), row);
    line.image.ClearRect(Rect(0, 0, 10, 10));
    line.image.DrawLine(4, 4, 4, 4, white, 1);
    EXPECT_EQ(line.Changed(0), (std::set<std::pair<int, int>>{ { 4, 4 } }));

    Canvas sloped(6, 4, 0);
    sloped.image.DrawLine(0, 0, 4, 2, white, 0);
    EXPECT_EQ(sloped.Changed(0), (std::set<std::pair<int, int>>{ { 0, 0 }, { 1, 0 }, { 2, 1 }, { 3, 1 }, { 4, 2 } }));
    EXPECT_EQ(sloped.At(2, 1), 0xFFFEFEFEu); // opaque lines write 254
    sloped.image.DrawLine(4, 2, 0, 0, RGBA(0, 0, 255, 128), 0);
    EXPECT_EQ(sloped.At(2, 1), 0xFF7F7FFEu);
    sloped.image.DrawLine(0, 0, 4, 2, RGBA(10, 20, 30, 255), 1);
    EXPECT_EQ(sloped.At(2, 1), 0xFF8993FFu);
    sloped.image.DrawLine(0, 0, 4, 2, white, 2); // unknown mode: nothing
    EXPECT_EQ(sloped.At(2, 1), 0xFF8993FFu);
}

TEST(MemoryImageDrawing, SmoothedLineStaysInsideTheImage)
{
    TestHost host;
    // Walks right to left down to x = 0 and past it: the neighbour and the
    // overshooting pixel would land at x = -1, the end of the row above.
    Canvas canvas(4, 8, 0);
    canvas.image.DrawLineAA(3.99, 0.99, 0.0, 6.0, Color::White, 0);
    for (int y = 1; y < 8; ++y)
        EXPECT_EQ(canvas.At(3, y), 0u) << "row " << y;
    EXPECT_NE(canvas.At(0, 3), 0u);
    EXPECT_NE(canvas.At(3, 0), 0u);

    Canvas flat(4, 4, 0);
    flat.image.DrawLineAA(0, 2, 3, 2, Color::White, 1); // horizontal: a fill, any mode
    EXPECT_EQ(flat.Changed(0).size(), 4u);
    flat.image.DrawLineAA(0, 0, 3, 3, Color::White, 1); // sloped additive: nothing
    EXPECT_EQ(flat.Changed(0).size(), 4u);
}

TEST(MemoryImageDrawing, CoverageSpans)
{
    TestHost host;
    Canvas canvas(5, 2, 0);
    const uint8_t coverage[] = { 255, 0, 255, 128 };
    const Span span{ 0, 0, 4 };
    canvas.image.FillScanLinesWithCoverage(&span, 1, RGBA(255, 0, 0, 255), 0, coverage, 0, 0, 4, 1);
    EXPECT_EQ(canvas.At(0, 0), 0xFFFE0000u);
    EXPECT_EQ(canvas.At(1, 0), 0u);
    EXPECT_EQ(canvas.At(2, 0), 0xFFFE0000u);
    EXPECT_EQ(canvas.At(3, 0), 0x80FE0000u);

    // Pixels outside the coverage rectangle have no byte to read.
    Canvas offset(5, 2, 0);
    const Span spans[] = { { 0, 0, 5 }, { 1, 0, 5 } };
    offset.image.FillScanLinesWithCoverage(spans, 2, RGBA(255, 0, 0, 255), 0, coverage, 1, 0, 2, 1);
    EXPECT_EQ(offset.Changed(0), (std::set<std::pair<int, int>>{ { 1, 0 } }));
}

TEST(MemoryImageDrawing, NormalBlitCases)
{
    TestHost host;
    const uint32_t src[3] = { 0xFF804020, 0x80FF8040, 0x00FFFFFF };
    struct Case {
        const char* name;
        Color color;
        uint32_t dest;
        bool forceNotOpaque; // alpha flags say the destination is not opaque
        uint32_t expected[3];
    } cases[] = {
        { "run-length", Color::White, 0xFF204060, false, { 0xFF804020, 0xFF8F6050, 0xFF204060 } },
        { "white opaque", Color::White, 0xFF204060, true, { 0xFF7F3F1F, 0xFF8F6050, 0xFF204060 } },
        { "white transparent", Color::White, 0, false, { 0xFF7F3F1F, 0x80FE7F3F, 0 } },
        { "grey opaque", RGBA(128, 128, 128, 255), 0xFF204060, false, { 0xFF3F200F, 0xFF4F4040, 0xFF204060 } },
        { "grey transparent", RGBA(128, 128, 128, 255), 0, false, { 0xFF3F1F0F, 0x807E3F1F, 0 } },
        { "colour opaque", RGBA(255, 128, 0, 255), 0xFF204060, false, { 0xFF7F2000, 0xFF8F4030, 0xFF204060 } },
        { "colour transparent", RGBA(255, 128, 0, 255), 0, false, { 0xFF7F1F00, 0x80FD3F00, 0 } },
    };
    for (const Case& c : cases) {
        for (bool palette : { false, true }) {
            MemoryImage source;
            source.SetBits(src, 3, 1);
            if (palette) {
                ASSERT_TRUE(source.Palletize());
            }
            Canvas canvas(5, 2, c.dest);
            if (c.forceNotOpaque)
                canvas.image.SetImageMode(true, false);
            canvas.image.Blt(&source, 1, 1, Rect(0, 0, 3, 1), c.color, 0);
            for (int i = 0; i < 3; ++i)
                EXPECT_EQ(canvas.At(1 + i, 1), c.expected[i]) << c.name << (palette ? " palette" : "") << " pixel " << i;
            EXPECT_EQ(canvas.Changed(c.dest).count({ 0, 1 }), 0u);
            EXPECT_TRUE(source.mDrawn);
        }
    }
}

TEST(MemoryImageDrawing, AdditiveBlitKeepsDestinationAlpha)
{
    TestHost host;
    struct Case {
        const char* name;
        uint32_t src;
        Color color;
        uint32_t expected;
    } cases[] = {
        { "white", 0xFF804020, Color::White, 0x80906050 },
        { "saturates", 0xFFF0F0F0, Color::White, 0x80FFFFFF },
        { "transparent pixels add too", 0x00804020, Color::White, 0x80906050 },
        { "translucent source", 0x80FF8040, Color::White, 0x808F6050 },
        { "colour", 0xFF804020, RGBA(255, 0, 0, 255), 0x808F2030 },
    };
    for (const Case& c : cases) {
        MemoryImage source;
        source.SetBits(&c.src, 1, 1);
        Canvas canvas(2, 1, 0x80102030);
        canvas.image.Blt(&source, 1, 0, Rect(0, 0, 1, 1), c.color, 1);
        EXPECT_EQ(canvas.At(1, 0), c.expected) << c.name;
        EXPECT_EQ(canvas.At(0, 0), 0x80102030u);
    }
}

TEST(MemoryImageDrawing, BlitsThatDrawNothing)
{
    TestHost host;
    MemoryImage source;
    const uint32_t px = 0xFFFFFFFF;
    source.SetBits(&px, 1, 1);
    Image plain;
    plain.mWidth = plain.mHeight = 1;
    Canvas canvas(2, 2, 0x11223344);
    canvas.image.Blt(&source, 0, 0, Rect(0, 0, 1, 1), Color::White, 2);
    canvas.image.Blt(&plain, 0, 0, Rect(0, 0, 1, 1), Color::White, 0);
    EXPECT_TRUE(canvas.Changed(0x11223344).empty());
    EXPECT_TRUE(plain.mDrawn);
}
