#include "game/effects/DistortionMesh.h"
#include "game/effects/ImageMesh.h"
#include "game/effects/ImageText.h"

#include "framework/core/Random.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Transform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

// Records the triangles drawn onto it.
struct TriangleSink : Kivo::Image {
    TriangleSink()
    {
        mWidth = 800;
        mHeight = 600;
    }
    void BltTrianglesTex(Kivo::Image*, const Kivo::TriVertex (*v)[3], int n, const Kivo::Rect&, const Kivo::Color&, int,
                         float, float, bool) override
    {
        for (int i = 0; i < n; ++i)
            mTriangles.push_back({v[i][0], v[i][1], v[i][2]});
    }
    std::vector<std::vector<Kivo::TriVertex>> mTriangles;
};

struct Picture : Kivo::Image {
    Picture(int w, int h)
    {
        mWidth = w;
        mHeight = h;
    }
};

struct XY {
    float x, y;
};

void ExpectCorners(const std::vector<Kivo::TriVertex>& tri, std::initializer_list<XY> expected)
{
    ASSERT_EQ(tri.size(), expected.size());
    size_t i = 0;
    for (const XY& p : expected) {
        EXPECT_FLOAT_EQ(tri[i].x, p.x) << i;
        EXPECT_FLOAT_EQ(tri[i].y, p.y) << i;
        ++i;
    }
}

TEST(DistortionMesh, OneCellCoversTheSourceRectAsTwoTriangles)
{
    Picture picture(200, 100);
    DistortionMesh mesh(2, 2);
    mesh.SetImage(&picture);
    mesh.SetSourceRect(50, 20, 100, 40);
    EXPECT_FLOAT_EQ(mesh.mCellWidth, 100);
    EXPECT_FLOAT_EQ(mesh.mCellHeight, 40);
    EXPECT_FLOAT_EQ(mesh.Vertex(1, 1)->u, 0.75f);
    EXPECT_FLOAT_EQ(mesh.Vertex(1, 1)->v, 0.6f);
    mesh.mHalfPixel = true;
    TriangleSink sink;
    Kivo::Graphics g(&sink);
    mesh.Draw(&g);
    ASSERT_EQ(sink.mTriangles.size(), 2u);
    ExpectCorners(sink.mTriangles[0], {{-0.5f, -0.5f}, {99.5f, -0.5f}, {99.5f, 39.5f}});
    ExpectCorners(sink.mTriangles[1], {{-0.5f, -0.5f}, {99.5f, 39.5f}, {-0.5f, 39.5f}});
    EXPECT_EQ(sink.mTriangles[0][0].color, 0xFFFFFFFFu);
}

TEST(DistortionMesh, VertexEditsStayInsideTheGrid)
{
    DistortionMesh mesh(3, 3);
    mesh.SetSourceRect(0, 0, 20, 10); // cells of 10 x 5, no image: texture = rect
    mesh.SetVertexPos(1, 1, 2, 3, 0);
    EXPECT_FLOAT_EQ(mesh.Vertex(1, 1)->x, 12);
    EXPECT_FLOAT_EQ(mesh.Vertex(1, 1)->y, 8);
    mesh.SetVertexPos(0, 0, 2, 3, 2);
    EXPECT_FLOAT_EQ(mesh.Vertex(0, 0)->x, 12);
    EXPECT_FLOAT_EQ(mesh.Vertex(0, 0)->y, 8);
    mesh.SetVertexPos(2, 2, 2, 3, 1);
    EXPECT_FLOAT_EQ(mesh.Vertex(2, 2)->x, 2);

    const std::vector<Kivo::TriVertex> before = mesh.mVertices;
    for (auto [c, r] : {std::pair{-1, 0}, {3, 0}, {0, -1}, {0, 3}}) {
        mesh.SetVertexPos(c, r, 5, 5, 1);
        mesh.SetVertexColor(c, r, 0);
        mesh.SetVertexUV(c, r, 9, 9);
    }
    EXPECT_EQ(0, memcmp(before.data(), mesh.mVertices.data(), before.size() * sizeof(Kivo::TriVertex)));

    mesh.ResetVertices(0x80102030);
    EXPECT_FLOAT_EQ(mesh.Vertex(1, 1)->x, 10);
    mesh.ScaleAlpha(0.5f);
    EXPECT_EQ(mesh.Vertex(2, 1)->color, 0x40102030u);
    mesh.ScaleAlpha(10.0f); // saturates, never spills into the colour
    EXPECT_EQ(mesh.Vertex(2, 1)->color, 0xFF102030u);
}

TEST(DistortionMesh, SingleRowOrColumnHasNoCells)
{
    DistortionMesh mesh(1, 4);
    mesh.SetSourceRect(0, 0, 0, 30);
    EXPECT_EQ(mesh.mCellWidth, 0);
    EXPECT_EQ(mesh.Vertex(0, 0)->u, 0); // zero-width texture gives no division
    DistortionMesh empty(-3, 2);
    EXPECT_TRUE(empty.mVertices.empty());
    empty.SetSourceRect(0, 0, 10, 10);
}

TEST(ImageMesh, ZeroJitterOnlyShiftsInnerVerticesByHalfAPixel)
{
    Picture picture(40, 40);
    ImageMesh mesh(&picture, 10, 0);
    ASSERT_EQ(mesh.mColumns, 5);
    ASSERT_EQ(mesh.mRows, 5);
    EXPECT_FLOAT_EQ(mesh.Vertex(2, 3)->x, 19.5f);
    EXPECT_FLOAT_EQ(mesh.Vertex(2, 3)->y, 29.5f);
    EXPECT_FLOAT_EQ(mesh.Vertex(2, 3)->u, 0.5f);
    EXPECT_FLOAT_EQ(mesh.Vertex(2, 3)->v, 0.75f);
    EXPECT_FLOAT_EQ(mesh.Vertex(0, 3)->x, 0); // the edge stays straight
    EXPECT_FLOAT_EQ(mesh.Vertex(4, 4)->y, 40);
}

TEST(ImageMesh, JitterStaysWithinHalfTheAmountOfACell)
{
    Kivo::SeedRandomInt(7);
    Picture picture(100, 100);
    ImageMesh mesh(&picture, 20, 0.5f);
    for (int r = 1; r < 5; ++r)
        for (int c = 1; c < 5; ++c) {
            const float dx = mesh.Vertex(c, r)->x + 0.5f - static_cast<float>(c) * 20;
            EXPECT_LE(std::abs(dx), 5.0f);
            EXPECT_FLOAT_EQ(mesh.Vertex(c, r)->u * 100, static_cast<float>(c) * 20 + dx);
        }
}

struct TransformedMesh : ImageMesh {
    using ImageMesh::ImageMesh;
    void GetCellTransform(int* c, int* r, float& dx, float& dy, float& scale, float& rotation, float& alpha) override
    {
        ImageMesh::GetCellTransform(c, r, dx, dy, scale, rotation, alpha);
        if (*c == 0)
            alpha = *r == 0 ? 0.0f : -1.0f; // left column hidden
        else if (*r == 0)
            scale = 0.5f, dx = 100, alpha = 0.5f;
        // (1, 1) keeps scale 0: drawn unscaled
    }
};

TEST(ImageMesh, CellTransformsFadeScaleAndSkipCells)
{
    Picture picture(20, 20);
    TransformedMesh mesh(&picture, 10, 0);
    TriangleSink sink;
    Kivo::Graphics g(&sink);
    mesh.Draw(&g);
    ASSERT_EQ(sink.mTriangles.size(), 4u); // cells (1, 0) and (1, 1)
    // Cell (1, 0): centre (15, 5), halved about it, moved 100 right.
    ExpectCorners(sink.mTriangles[0], {{112.5f, 2.5f}, {117.5f, 2.5f}, {117.5f, 7.5f}});
    EXPECT_EQ(sink.mTriangles[0][0].color, 0x7FFFFFFFu);
    // Cell (1, 1) after jitter of 0: its top-left corner sits at (9.5, 9.5).
    ExpectCorners(sink.mTriangles[2], {{9.5f, 9.5f}, {20, 10}, {20, 20}});
    EXPECT_EQ(sink.mTriangles[2][0].color, 0xFFFFFFFFu);
}

TEST(ImageMesh, RotationTurnsCornersAboutTheCellCentre)
{
    struct Turned : ImageMesh {
        using ImageMesh::ImageMesh;
        void GetCellTransform(int* c, int* r, float& dx, float& dy, float& s, float& rot, float& a) override
        {
            ImageMesh::GetCellTransform(c, r, dx, dy, s, rot, a);
            rot = 3.14159265f / 2;
        }
    };
    Picture picture(10, 10);
    Turned mesh(&picture, 10, 0);
    TriangleSink sink;
    Kivo::Graphics g(&sink);
    mesh.Draw(&g);
    ASSERT_EQ(sink.mTriangles.size(), 2u);
    // A quarter turn takes the top-left corner to the top-right.
    EXPECT_NEAR(sink.mTriangles[0][0].x, 10, 0.05);
    EXPECT_NEAR(sink.mTriangles[0][0].y, 0, 0.05);
}

TEST(ImageText, NonBitmapFontLaysOutNothing)
{
    ImageText text("abc", nullptr, 1, 2);
    EXPECT_TRUE(text.mGlyphs.empty());
    EXPECT_EQ(text.mWidth, 0);
    Kivo::Graphics g(nullptr);
    text.DrawGlyph(&g, 0, Kivo::Transform());
}

} // namespace
