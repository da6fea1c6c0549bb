#include "framework/graphics/Transform.h"

#include "FontTestSupport.h"
#include "TestHost.h"

#include <gtest/gtest.h>

using namespace Kivo;
using graphicstest::DrawCall;
using graphicstest::RecordingImage;

namespace {

struct ImageDrawTest : ::testing::Test {
    ImageDrawTest()
    {
        std::vector<uint32_t> px(100, 0xFF00FF00);
        image.SetBits(px.data(), 10, 10);
    }
    std::vector<std::string> Ops() const
    {
        std::vector<std::string> ops;
        for (const DrawCall& c : dest.calls)
            ops.push_back(c.op);
        return ops;
    }
    graphicstest::TestHost host;
    MemoryImage image;
    RecordingImage dest{ 100, 100 };
    Graphics g{ &dest };
};

TEST_F(ImageDrawTest, PlainDrawsClipTheSourceAndRefuseRectsOutsideTheImage)
{
    g.DrawImage(&image, -3, 0);
    ASSERT_EQ(dest.calls.size(), 1u);
    EXPECT_EQ(dest.calls[0].op, "Blt");
    EXPECT_EQ(dest.calls[0].dest, Rect(0, 0, 0, 0));
    EXPECT_EQ(dest.calls[0].src, Rect(3, 0, 7, 10));
    EXPECT_EQ(dest.calls[0].color, Color::White);

    g.SetColorizeImages(true);
    g.SetColor(Color(1, 2, 3));
    g.DrawImageMirror(&image, -3, 0, Rect(0, 0, 10, 10), true);
    EXPECT_EQ(dest.calls.back().op, "BltMirror");
    EXPECT_EQ(dest.calls.back().src, Rect(0, 0, 7, 10)) << "the cut-off columns come from the other side";
    EXPECT_EQ(dest.calls.back().color, Color(1, 2, 3));

    dest.calls.clear();
    const Rect outside[] = { Rect(5, 0, 6, 10), Rect(0, 5, 10, 6), Rect(-1, 0, 5, 5), Rect(0, -1, 5, 5),
                             Rect(2, 2, -1, 5), Rect(2, 2, 5, -1) };
    for (const Rect& r : outside) {
        g.DrawImageSrc(&image, 0, 0, r);
        g.DrawImageSrcF(&image, 0, 0, r);
        g.DrawImageMirror(&image, 0, 0, r, true);
        g.DrawImageRotatedF(&image, 0, 0, 1.0, 0, 0, &r);
        g.DrawImageMatrix(&image, Matrix3x3(), r, 0, 0);
        g.DrawImageStretch(&image, Rect(0, 0, 20, 20), r);
    }
    g.DrawImage(&image, 200, 0);
    EXPECT_TRUE(dest.calls.empty());
}

TEST_F(ImageDrawTest, ScaledContextsStretch)
{
    g.SetScale(2, 2, 0, 0);
    g.DrawImage(&image, 1, 1);
    g.DrawImageStretch(&image, 1, 1, 5, 5);
    ASSERT_EQ(Ops(), (std::vector<std::string>{ "StretchBlt", "StretchBlt" }));
    EXPECT_EQ(dest.calls[0].dest, Rect(2, 2, 20, 20));
    EXPECT_EQ(dest.calls[1].dest, Rect(2, 2, 10, 10));
    EXPECT_EQ(dest.calls[1].src, Rect(0, 0, 10, 10));
}

TEST_F(ImageDrawTest, CelsAndAnimationFrames)
{
    MemoryImage sheet;
    sheet.Create(128, 64);
    sheet.mNumCols = 4;
    sheet.mNumRows = 2;
    g.DrawImageCel(&sheet, 0, 0, 5);
    g.DrawImageCel(&sheet, 0, 0, 4, 0);
    g.DrawImageCel(&sheet, 0, 0, -1);
    g.DrawImageCel(&sheet, Rect(0, 0, 64, 64), 1, 1);
    g.DrawImageAnim(&sheet, 0, 0, 1234);
    ASSERT_EQ(Ops(), (std::vector<std::string>{ "Blt", "StretchBlt", "Blt" }));
    EXPECT_EQ(dest.calls[0].src, Rect(32, 32, 32, 32));
    EXPECT_EQ(dest.calls[1].src, Rect(32, 32, 32, 32));
    EXPECT_EQ(dest.calls[2].src, Rect(0, 0, 32, 32)) << "no animation: cel 0";

    sheet.mNumCols = 0;
    sheet.mNumRows = 0;
    g.DrawImageCel(&sheet, 0, 0, 3);
    g.DrawImageCel(&sheet, Rect(0, 0, 5, 5), 3);
    EXPECT_EQ(dest.calls.size(), 3u) << "a grid without columns draws nothing";
}

TEST_F(ImageDrawTest, NinePartBoxTilesTheCentre)
{
    MemoryImage box;
    box.Create(30, 30);
    g.DrawImageBox(Rect(0, 0, 100, 50), &box);
    int centre = 0;
    for (const DrawCall& c : dest.calls) {
        centre += c.src == Rect(10, 10, 10, 10);
        EXPECT_GE(c.dest.mX, 0);
        EXPECT_LE(c.dest.mX + c.src.mWidth, 100);
        EXPECT_LE(c.dest.mY + c.src.mHeight, 50);
    }
    EXPECT_EQ(centre, 8 * 3);
    EXPECT_EQ(dest.calls.size(), 24u + 2 * 3 + 2 * 8 + 4);

    dest.calls.clear();
    g.DrawImageBoxSrc(Rect(0, 0, 0, 30), Rect(0, 0, 100, 50), &box);
    EXPECT_TRUE(dest.calls.empty());
}

TEST_F(ImageDrawTest, TransformsPickTheCheapestPath)
{
    struct Case {
        const char* name;
        void (*make)(Transform&);
        bool subPixel;
        const char* op;
    } cases[] = {
        { "translation", [](Transform& t) { t.Translate(3, 4); }, false, "Blt" },
        { "translation, sub-pixel", [](Transform& t) { t.Translate(3, 4); }, true, "BltF" },
        { "rotation", [](Transform& t) { t.Rotate(0.5f); }, false, "BltRotated" },
        { "mirror", [](Transform& t) { t.Scale(-1, 1); }, false, "BltMirror" },
        { "scale", [](Transform& t) { t.Scale(2, 3); }, false, "StretchBlt" },
        { "mirror and stretch", [](Transform& t) { t.Scale(-1, 2); }, false, "StretchBltMirror" },
        { "matrix", [](Transform& t) { t.Scale(2, 2); t.Rotate(1); }, false, "BltMatrix" },
    };
    for (const Case& c : cases) {
        dest.calls.clear();
        Transform t;
        c.make(t);
        g.DrawImageTransformCommon(&image, t, Rect(0, 0, 10, 10), 50, 50, c.subPixel);
        ASSERT_EQ(dest.calls.size(), 1u) << c.name;
        EXPECT_EQ(dest.calls[0].op, c.op) << c.name;
    }
    // The stretch is centred on the point; a mirrored one keeps a positive
    // width.
    dest.calls.clear();
    Transform stretch;
    stretch.Scale(2, 3);
    g.DrawImageTransform(&image, stretch, 50, 50);
    Transform mirror;
    mirror.Scale(-1, 2);
    g.DrawImageTransform(&image, mirror, 50, 50);
    EXPECT_EQ(dest.calls[0].dest, Rect(40, 35, 20, 30));
    EXPECT_EQ(dest.calls[1].dest, Rect(45, 40, 10, 20));

    // On the 3D draw surface sub-pixel draws go through the matrix.
    dest.calls.clear();
    host.drawSurface = &dest;
    Graphics surface(&dest);
    surface.DrawImageTransformF(&image, Transform(), 50, 50);
    EXPECT_EQ(Ops(), std::vector<std::string>{ "BltMatrix" });
}

TEST_F(ImageDrawTest, ScaledFloatDrawsGoThroughTheMatrixAboutTheScaleOrigin)
{
    g.Translate(4, 0);
    g.SetScale(2, 2, 0, 0);
    g.DrawImageF(&image, 1, 6);
    g.DrawImageTransformF(&image, Transform(), 6, 11);
    ASSERT_EQ(Ops(), (std::vector<std::string>{ "BltMatrix", "BltMatrix" }));
    for (const DrawCall& c : dest.calls) {
        // The scale origin is the translation (4, 0): the image centre,
        // (10, 11) on the screen, lands at (4 + 6 * 2, 11 * 2).
        const Vector3 centre = dest.lastMatrix.TransformPoint(0, 0);
        EXPECT_FLOAT_EQ(centre.x + c.fx, 16);
        EXPECT_FLOAT_EQ(centre.y + c.fy, 22);
        EXPECT_FLOAT_EQ(dest.lastMatrix.m[0], 2);
    }
}

} // namespace
