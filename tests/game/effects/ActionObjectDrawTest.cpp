#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "game/effects/ActionObject.h"
#include "game/effects/ActionScript.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Records the colour of every image drawn onto it, whichever blit path the
// transform takes.
class DrawCounter : public Kivo::Image {
public:
    DrawCounter(int width, int height)
    {
        mWidth = width;
        mHeight = height;
    }
    void Blt(Image*, int, int, const Kivo::Rect&, const Kivo::Color& c, int) override { mColors.push_back(c); }
    void BltF(Image*, float, float, const Kivo::Rect&, const Kivo::Rect&, const Kivo::Color& c, int) override
    {
        mColors.push_back(c);
    }
    void BltRotated(Image*, float, float, const Kivo::Rect&, const Kivo::Rect&, const Kivo::Color& c, int, double, float,
                    float) override
    {
        mColors.push_back(c);
    }
    void StretchBlt(Image*, const Kivo::Rect&, const Kivo::Rect&, const Kivo::Rect&, const Kivo::Color& c, int,
                    bool) override
    {
        mColors.push_back(c);
    }
    void BltMatrix(Image*, float, float, const Kivo::Matrix3x3&, const Kivo::Rect&, const Kivo::Color& c, int,
                   const Kivo::Rect&, bool) override
    {
        mColors.push_back(c);
    }
    std::vector<Kivo::Color> mColors;
};

} // namespace

TEST(ActionObjectDraw, HiddenObjectsDrawNothingVisibleOnesTheirColour)
{
    DrawCounter dest(200, 200), sprite(10, 10);
    Kivo::Graphics g(&dest);
    ActionScript script;
    script.Read(R"(<action><object name="a"/></action>)");
    ActionObject& a = *script.mObjects.front();
    a.mPosition[0] = 20;
    a.mColor.mRed = 9;

    struct Case {
        bool image;
        float scaleX, scaleY, rotation, factor;
        int alpha;
        size_t draws;
    };
    const Case cases[] = {
        { false, 1, 1, 0, 1, 255, 0 },  { true, 0.0005f, 1, 0, 1, 255, 0 }, { true, 1, -0.0005f, 0, 1, 255, 0 },
        { true, 1, 1, 0, 1, 0, 0 },     { true, 1, 1, 0, 1, 255, 1 },       { true, -1, 2, 1.5f, 0.75f, 40, 1 },
    };
    for (const Case& c : cases) {
        dest.mColors.clear();
        a.mImage = c.image ? &sprite : nullptr;
        a.mScale[0] = c.scaleX;
        a.mScale[1] = c.scaleY;
        a.mRotation = c.rotation;
        a.mColor.mAlpha = c.alpha;
        script.DrawAt(&g, 5, 5, c.factor);
        ASSERT_EQ(dest.mColors.size(), c.draws) << c.scaleX << " " << c.scaleY << " " << c.alpha;
        if (c.draws) {
            EXPECT_EQ(dest.mColors[0].mRed, 9);
        }
    }
    // The drawing state is restored.
    EXPECT_EQ(g.GetColor().mRed, Kivo::Color().mRed);
}
