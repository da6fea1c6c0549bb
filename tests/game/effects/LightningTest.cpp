#include "game/effects/GfxLiveLightningLine.h"
#include "game/effects/ImageEdger.h"
#include "game/effects/LightningFigure.h"
#include "game/effects/LightningLine.h"
#include "game/effects/LightningLineGrow.h"
#include "game/effects/LightningPoint.h"
#include "game/match/EnergyOutline.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "tests/game/effects/EffectsFixture.h"
#include "tests/support/DiscImage.h"

#include <cmath>

namespace {

using LightningTest = EffectTest;
using testsupport::DiscImage;

bool AllFinite(const LightningBase& l)
{
    for (const LightningPoint* p : l.mPoints)
        if (!std::isfinite(p->getX()) || !std::isfinite(p->getY()))
            return false;
    return true;
}

TEST_F(LightningTest, SegmentCountsBelowTwoBecomeTwo)
{
    for (int segments : {-3, 0, 1, 2}) {
        LightningLine line(0, 0, 100, 0, 5, segments);
        line.generate();
        EXPECT_EQ(line.mSegments, 2);
        EXPECT_EQ(line.mPoints.size(), 3u);
    }
}

TEST_F(LightningTest, LineZigzagsWithinItsAmplitudeAndBowBendsToOneSide)
{
    LightningLine line(0, 0, 100, 0, 10, 5);
    line.generate();
    ASSERT_EQ(line.mPoints.size(), 6u);
    EXPECT_EQ(line.mPoints.front()->getX(), 0.0f);
    EXPECT_EQ(line.mPoints.back()->getX(), 100.0f);
    for (size_t i = 1; i < 5; ++i) {
        const LightningPoint* p = line.mPoints[i];
        EXPECT_LE(std::fabs(p->mY), 7.0f);                 // amplitude x 0.7 at most
        EXPECT_GE(std::fabs(p->mY), 6.0f * 0.4f - 1e-4f);   // and 0.6 x 0.4 at least
        EXPECT_NEAR(p->mX, 20.0f * static_cast<float>(i), 2.0f);
    }
    LightningBow bow(0, 0, 100, 0, 10, 4);
    bow.generate();
    ASSERT_EQ(bow.mPoints.size(), 5u);
    const float side = bow.mPoints[2]->mY;
    EXPECT_GT(std::fabs(side), 6.0f * 1.0f * 0.75f - 1e-3f); // the crest: sin(pi/2) x height x (1 - 0.3)
    for (size_t i = 1; i < 4; ++i)
        EXPECT_GT(bow.mPoints[i]->mY * side, 0.0f);
}

TEST_F(LightningTest, SameSeedSameShape)
{
    auto shape = [] {
        Kivo::SeedRandomInt(77);
        LightningBow bow(10, 20, 60, 80, 4, 6);
        bow.generate();
        std::vector<float> out;
        for (const LightningPoint* p : bow.mPoints)
            out.insert(out.end(), {p->getX(), p->getY()});
        return out;
    };
    EXPECT_EQ(shape(), shape());
}

TEST_F(LightningTest, ZeroLengthGeneratesOnTheStartAndRegeneratesWhenAnEndMoves)
{
    LightningLine line(30, 40, 30, 40, 3, 4);
    line.generate();
    EXPECT_TRUE(AllFinite(line));
    for (const LightningPoint* p : line.mPoints) {
        EXPECT_EQ(p->mX, 30.0f);
        EXPECT_EQ(p->mY, 40.0f);
    }
    EXPECT_LT(line.mLength, 0.1f);
    line.setEnd(80, 40);
    EXPECT_TRUE(AllFinite(line));
    EXPECT_NEAR(line.mLength, 50.0f, 1e-3f);
    EXPECT_EQ(line.mPoints.back()->mX, 80.0f);
}

TEST_F(LightningTest, MovingAnEndTurnsAndStretchesAboutTheOther)
{
    LightningLine line(0, 0, 100, 0, 4, 4);
    line.generate();
    line.setEnd(0, 50);
    EXPECT_TRUE(AllFinite(line));
    EXPECT_NEAR(line.mLength, 50.0f, 0.5f);
    EXPECT_NEAR(line.mPoints.back()->mX, 0.0f, 1.0f);
    EXPECT_NEAR(line.mPoints.back()->mY, 50.0f, 1.0f);
    EXPECT_EQ(line.mPoints.front()->mX, 0.0f); // the pivot stays
    line.setStart(0, 50);                    // both ends on one point
    EXPECT_TRUE(AllFinite(line));
    EXPECT_LT(line.mLength, 0.1f);
}

TEST_F(LightningTest, LivePointsJitterUnlessFrozen)
{
    LightningPointLive live(5, 5, false), frozen(5, 5, true);
    for (int i = 0; i < 50; ++i) {
        live.update(0.01f);
        frozen.update(0.01f);
    }
    EXPECT_NE(live.getX(), 5.0f);
    EXPECT_LT(std::fabs(live.mOffsetX), 10.0f);
    EXPECT_EQ(frozen.getX(), 5.0f);
}

TEST_F(LightningTest, EndSegmentsUseTheCentreImage)
{
    Kivo::Graphics g(&screen);
    LightningDraw two;
    two.addPoint(0, 0, true);
    two.addPoint(50, 0, true);
    two.draw(&g);
    ASSERT_EQ(screen.mDraws.size(), 1u);
    EXPECT_EQ(screen.mDraws[0].mImage, Img("IMAGE_GFX_LIGHTNING_LINE_CENTER"));
    EXPECT_EQ(screen.mDraws[0].mDrawMode, Kivo::DRAWMODE_ADDITIVE);
    EXPECT_EQ(g.GetDrawMode(), Kivo::DRAWMODE_NORMAL);

    screen.Clear();
    LightningLine line(0, 0, 120, 0, 3, 3);
    line.generate();
    line.draw(&g);
    ASSERT_EQ(screen.mDraws.size(), 3u);
    EXPECT_EQ(screen.mDraws[0].mImage, Img("IMAGE_GFX_LIGHTNING_LINE_CENTER"));
    EXPECT_EQ(screen.mDraws[1].mImage, Img("IMAGE_GFX_LIGHTNING_LINE"));
    EXPECT_EQ(screen.mDraws[2].mImage, Img("IMAGE_GFX_LIGHTNING_LINE_CENTER"));
}

TEST_F(LightningTest, GrowthWanderingAwayStillEnds)
{
    for (float spread : {2.0f, 50.0f}) {
        LightningLineGrow grow(0, 0, 0, 0, spread, 15);
        grow.generate();
        EXPECT_EQ(grow.mPoints.size(), 2u);
        grow.setEnd(1000, 0);
        EXPECT_TRUE(AllFinite(grow));
        EXPECT_LE(grow.mPoints.size(), static_cast<size_t>(4 * 1000 / 15 + 16 + 2));
        EXPECT_EQ(grow.mPoints.back()->mX, 1000.0f);
    }
    LightningLineGrow still(5, 5, 5, 5, 2, 0); // no step: no growth
    still.generate();
    still.setEnd(100, 100);
    EXPECT_EQ(still.mPoints.size(), 2u);
}

TEST_F(LightningTest, LiveLineReachesItsEndAfterTenUpdatesAtFactorFifteen)
{
    GfxLiveLightningLine effect(100, 100, 250, 100);
    effect.mGrowthSpeedFactor = 15.0f;
    effect.mHoldTime = 0.2f;
    ASSERT_TRUE(effect.start());
    for (int i = 0; i < 9; ++i) {
        effect.update(1.0f);
        EXPECT_EQ(effect.process(), 0);
    }
    EXPECT_LT(effect.mProgress, 1.0f);
    effect.update(1.0f);
    EXPECT_EQ(effect.mProgress, 1.0f);
    EXPECT_NEAR(effect.mLine->mPoints.back()->mX, 250.0f, 1e-3f);
    // Holds 0.2 s, fading over the last 0.05 s.
    Kivo::Graphics g(&screen);
    int steps = 0;
    std::vector<float> alphas;
    while (effect.process() == 0 && steps < 100) {
        effect.update(1.0f);
        alphas.push_back(effect.mAlpha.mCurrent);
        ++steps;
    }
    EXPECT_EQ(steps, 20);
    EXPECT_EQ(alphas[13], 1.0f);
    EXPECT_GT(alphas[17], 0.0f);
    EXPECT_LT(alphas[17], 1.0f);
    EXPECT_EQ(alphas.back(), 0.0f);
    effect.mAlpha.mCurrent = 0.4f;
    effect.draw(&g);
    ASSERT_FALSE(screen.mDraws.empty());
    EXPECT_EQ(screen.mDraws[0].mImage, Img("IMAGE_GFX_LIGHTNING_ANIMATION"));
    EXPECT_EQ(screen.mDraws[0].mColor.mAlpha, static_cast<int>(effect.mAlpha.mCurrent * 255));
}

TEST_F(LightningTest, LiveLineBetweenOnePointIsCompleteAtItsFirstUpdate)
{
    for (float dt : {1.0f, 0.0f}) {
        GfxLiveLightningLine effect(40, 40, 40, 40);
        ASSERT_TRUE(effect.start());
        effect.update(dt);
        EXPECT_EQ(effect.mProgress, 1.0f);
        EXPECT_TRUE(AllFinite(*effect.mLine));
        Kivo::Graphics g(&screen);
        effect.draw(&g); // a line of no length draws without harm
        EXPECT_EQ(effect.process(), -1);
    }
}

TEST_F(LightningTest, RaysStopAtTheFirstDarkPixel)
{
    auto disc = DiscImage(21, 21, 6);
    ImageEdger edger(disc.get());
    EXPECT_EQ(edger.mRadius, 14);
    float x, y;
    ASSERT_TRUE(edger.castRay(0, x, y)); // angle 0 points down
    EXPECT_EQ(x, 10.0f);
    EXPECT_EQ(y, 17.0f);
    ASSERT_TRUE(edger.castRay(3.1415926f / 2, x, y)); // right
    EXPECT_EQ(x, 17.0f);
    EXPECT_EQ(y, 10.0f);

    auto bright = DiscImage(21, 21, 100);
    bright->mNumCols = 1;
    ImageEdger blind(bright.get());
    // The ray ends inside the cel: no dark pixel, the centre comes back.
    blind.mRadius = 5;
    EXPECT_FALSE(blind.castRay(1.0f, x, y));
    EXPECT_EQ(x, 10.0f);
    EXPECT_EQ(y, 10.0f);

    RecordingImage plain(20, 20); // not a memory image
    ImageEdger none(&plain);
    EXPECT_FALSE(none.castRay(0, x, y));
}

TEST_F(LightningTest, FigureCrawlsWithAtMostTwoLines)
{
    auto disc = DiscImage(45, 45, 18);
    LightningFigure figure(disc.get(), 6);
    ASSERT_EQ(figure.mElements.size(), 6u);
    int made = 0;
    for (int i = 0; i < 600; ++i) {
        figure.update(1.0f);
        int lines = 0;
        for (const auto& e : figure.mElements) {
            lines += e.mLightning && e.mLightning->getType() == 2;
            if (e.mLightning) {
                EXPECT_TRUE(AllFinite(*e.mLightning));
            }
        }
        EXPECT_EQ(lines, figure.mLineCount);
        EXPECT_LE(lines, 2);
        made += figure.mElements[0].mLife > 0.79f && figure.mElements[0].mLife <= 1.5f;
    }
    EXPECT_GT(made, 2); // elements die and are made anew
    Kivo::Graphics g(&screen);
    figure.drawAt(&g, 100, 100);
    EXPECT_FALSE(screen.mDraws.empty());

    RecordingImage plain(45, 45);
    LightningFigure none(&plain, 2);
    EXPECT_TRUE(none.mElements.empty());
}

TEST_F(LightningTest, EnergyOutlinesAreFiguresOnceInstalled)
{
    auto disc = DiscImage(45, 45, 18);
    SetEnergyOutlineMaker(nullptr);
    EXPECT_EQ(MakeEnergyOutline(disc.get()), nullptr);
    InstallEnergyOutlines();
    std::unique_ptr<EnergyOutline> outline(MakeEnergyOutline(disc.get()));
    ASSERT_NE(outline, nullptr);
    for (int i = 0; i < 20; ++i)
        outline->Update(1.0f);
    Kivo::Graphics g(&screen);
    outline->DrawAt(&g, 200, 100);
    EXPECT_FALSE(screen.mDraws.empty());
    for (const auto& d : screen.mDraws) {
        EXPECT_GT(d.mX, 150.0f);
        EXPECT_LT(d.mX, 260.0f);
    }
    SetEnergyOutlineMaker(nullptr);
}

} // namespace
