#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"

#include "TestHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Kivo;
using graphicstest::TestHost;

namespace {

// Records the destination calls the context makes.
class RecordingImage : public Image {
public:
    RecordingImage(int w, int h)
    {
        mWidth = w;
        mHeight = h;
    }
    void FillRect(const Rect& r, const Color& c, int mode) override
    {
        calls.push_back("fill " + Str(r) + " a" + std::to_string(c.mAlpha) + " m" + std::to_string(mode));
    }
    void DrawRect(const Rect& r, const Color&, int) override { calls.push_back("rect " + Str(r)); }
    void DrawLine(double x1, double y1, double x2, double y2, const Color&, int) override
    {
        lines.push_back({ x1, y1, x2, y2 });
    }
    void BltTrianglesTex(Image*, const TriVertex (*v)[3], int n, const Rect& clip, const Color& c, int, float tx,
                         float ty, bool) override
    {
        calls.push_back("tri " + std::to_string(n) + " " + Str(clip) + " c" + std::to_string(c.ToInt()) + " t" +
                        std::to_string(int(tx)) + "," + std::to_string(int(ty)) + " v" +
                        std::to_string(int(v[0][0].x)) + "," + std::to_string(int(v[0][0].y)));
    }
    static std::string Str(const Rect& r)
    {
        return std::to_string(r.mX) + "," + std::to_string(r.mY) + "," + std::to_string(r.mWidth) + "," +
               std::to_string(r.mHeight);
    }
    std::vector<std::string> calls;
    std::vector<std::vector<double>> lines;
};

} // namespace

TEST(Graphics, AlphaScale)
{
    RecordingImage image(10, 10);
    Graphics g(&image);
    EXPECT_EQ(g.GetColor().mAlpha, 255);
    g.SetAlphaScale(0.5f);
    EXPECT_EQ(g.GetColor().mAlpha, 127);
    g.SetAlphaScale(1);
    EXPECT_EQ(g.GetColor().mAlpha, 254); // trunc(127 / 0.5)
    g.SetAlphaScale(0.5f);
    g.SetColorRGBA(1, 2, 3, 200);
    EXPECT_EQ(g.GetColor().mAlpha, 100);

    g.SetAlphaScale(0); // then back: no division by zero
    EXPECT_EQ(g.GetColor().mAlpha, 0);
    g.SetAlphaScale(1);
    EXPECT_EQ(g.GetColor().mAlpha, 0);
    g.SetColorRGBA(0, 0, 0, 255);
    g.SetAlphaScale(1.5f); // kept within a byte
    EXPECT_EQ(g.GetColor().mAlpha, 255);
}

TEST(Graphics, ClipTranslationAndStateStack)
{
    RecordingImage image(100, 50);
    Graphics g(&image);
    EXPECT_EQ(g.mClipRect, Rect(0, 0, 100, 50));
    g.SetClipRect(-10, 40, 50, 50);
    EXPECT_EQ(g.mClipRect, Rect(0, 40, 40, 10));
    g.ClipRect(0, 0, 200, 200); // only shrinks
    EXPECT_EQ(g.mClipRect, Rect(0, 40, 40, 10));
    g.Translate(5, 5);
    EXPECT_EQ(g.mClipRect, Rect(0, 40, 40, 10));
    g.TranslateF(0.75f, -0.5f);
    g.SetClipRect(0, 0, 10, 10);
    EXPECT_EQ(g.mClipRect, Rect(5, 4, 10, 10)); // 5.75 and 4.5 truncated

    g.PushState();
    g.SetColor(Color(0x123456));
    g.SetDrawMode(1);
    g.SetClipRect(20, 20, 3, 3);
    g.Translate(7, 7);
    g.PopState();
    EXPECT_EQ(g.GetColor().ToInt(), 0xFF000000u);
    EXPECT_EQ(g.GetDrawMode(), 0);
    EXPECT_EQ(g.mClipRect, Rect(5, 4, 10, 10));
    EXPECT_FLOAT_EQ(g.mTransX, 5.75f);
    g.PopState(); // empty stack: nothing
    EXPECT_EQ(g.mClipRect, Rect(5, 4, 10, 10));

    std::unique_ptr<Graphics> copy(g.Create());
    EXPECT_EQ(copy->mClipRect, g.mClipRect);
    EXPECT_EQ(copy->mDestImage, &image);
}

TEST(Graphics, RectanglesReachTheDestination)
{
    struct Case {
        const char* name;
        void (*draw)(Graphics&);
        std::vector<std::string> calls;
    } cases[] = {
        { "outline inside", [](Graphics& g) { g.DrawRect(0, 0, 10, 5); }, { "rect 0,0,10,5" } },
        { "outline crossing the clip",
          [](Graphics& g) { g.ClipRect(0, 0, 8, 20); g.DrawRect(0, 0, 10, 5); },
          { "fill 0,0,8,1 a255 m0", "fill 0,5,8,1 a255 m0", "fill 0,1,1,4 a255 m0", "fill 0,0,0,0 a255 m0" } },
        { "scaled fill", [](Graphics& g) { g.SetScale(2, 2, 0, 0); g.FillRect(1, 1, 3, 3); }, { "fill 2,2,6,6 a255 m0" } },
        { "translated fill clipped", [](Graphics& g) { g.Translate(15, 15); g.FillRect(0, 0, 10, 10); },
          { "fill 15,15,5,5 a255 m0" } },
        { "transparent colour draws nothing",
          [](Graphics& g) { g.SetColorRGBA(1, 1, 1, 0); g.FillRect(0, 0, 5, 5); g.DrawRect(0, 0, 5, 5); }, {} },
        { "scaled outline", [](Graphics& g) { g.SetScale(2, 2, 0, 0); g.DrawRect(1, 1, 3, 3); }, { "rect 2,2,6,6" } },
        { "triangles scaled in place",
          [](Graphics& g) {
              g.SetScale(2, 2, 0, 0);
              TriVertex v[1][3];
              v[0][0].x = v[0][0].y = 5;
              g.DrawTrianglesTex(nullptr, v, 1);
              if (v[0][0].x != 10)
                  ADD_FAILURE() << "vertex not changed in place";
              g.DrawTriangleTex(nullptr, v[0][0], v[0][1], v[0][2]);
              if (v[0][0].x != 10)
                  ADD_FAILURE() << "copy changed";
          },
          { "tri 1 0,0,20,20 c4294967295 t0,0 v10,10", "tri 1 0,0,20,20 c4294967295 t0,0 v20,20" } },
    };
    for (const Case& c : cases) {
        RecordingImage image(20, 20);
        Graphics g(&image);
        c.draw(g);
        EXPECT_EQ(image.calls, c.calls) << c.name;
    }
}

TEST(Graphics, ClipLine)
{
    struct Case {
        const char* name;
        double in[4];
        bool inside;
        double out[4];
    } cases[] = {
        { "vertical inside", { 5, 2, 5, 8 }, true, { 5, 2, 5, 8 } },
        { "wholly left", { -5, 2, -1, 8 }, false, {} },
        { "crossing right", { 5, 5, 25, 5 }, true, { 5, 5, 19, 5 } },
        { "crossing left and top", { -10, -10, 10, 10 }, true, { 0, 0, 10, 10 } },
        { "below", { 0, 25, 5, 30 }, false, {} },
        { "starts in the last partial row", { 0, 19.5, 5, 30 }, false, {} },
        { "crossing bottom", { 0, 10, 20, 30 }, true, { 0, 10, 9, 19 } },
    };
    RecordingImage image(40, 40);
    Graphics g(&image);
    g.SetClipRect(0, 0, 20, 20);
    for (const Case& c : cases) {
        double x1 = c.in[0], y1 = c.in[1], x2 = c.in[2], y2 = c.in[3];
        ASSERT_EQ(g.ClipLine(x1, y1, x2, y2), c.inside) << c.name;
        if (c.inside) {
            EXPECT_DOUBLE_EQ(x1, c.out[0]) << c.name;
            EXPECT_DOUBLE_EQ(y1, c.out[1]) << c.name;
            EXPECT_DOUBLE_EQ(x2, c.out[2]) << c.name;
            EXPECT_DOUBLE_EQ(y2, c.out[3]) << c.name;
        }
    }
    g.Translate(3, 1);
    g.DrawLine(0, 0, 100, 0);
    ASSERT_EQ(image.lines.size(), 1u);
    EXPECT_EQ(image.lines[0], (std::vector<double>{ 3, 1, 19, 1 }));
}

TEST(Graphics, DrawsIntoMemoryImagesAndNothingWithoutOne)
{
    TestHost host;
    MemoryImage image;
    image.Create(8, 8);
    image.Clear();
    host.drawSurface = &image;
    Graphics g(&image);
    EXPECT_TRUE(g.mIs3D);
    g.SetColor(Color(0xFF0000));
    g.ClipRect(0, 0, 4, 4);
    g.DrawLine(-3, 2, 20, 2);
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(image.mBits[2 * 8 + x], x < 4 ? 0xFFFF0000u : 0u) << x;

    Graphics none(nullptr);
    EXPECT_FALSE(none.mIs3D);
    EXPECT_EQ(none.mClipRect, Rect());
    none.FillRect(0, 0, 10, 10);
    none.DrawLine(0, 0, 5, 5);
}
