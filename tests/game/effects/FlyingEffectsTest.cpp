#include "game/effects/GfxEnergizerFly.h"
#include "game/effects/GfxFastFlare.h"
#include "game/effects/GfxFirework.h"
#include "game/effects/GfxFlyText.h"
#include "game/effects/GfxImageExpand.h"
#include "game/effects/GfxShowScore.h"

#include "framework/graphics/Graphics.h"
#include "game/match/BrickBase.h"
#include "game/match/BrickFactory.h"
#include "game/match/Grid.h"
#include "game/ui/Callback.h"
#include "tests/game/effects/EffectsFixture.h"
#include "tests/game/match/MatchTestSupport.h"
#include "tests/support/MovementPlay.h"

#include <cmath>
#include <functional>
#include <memory>
#include <set>

namespace {

class TestPlay : public MovementPlay {
public:
    BrickBase* CreateBrick(int code) override { return ::CreateBrick(code); }
    BrickBase* CreateRandomBrick() override { return ::CreateBrick(1); }
};

using FlyingEffectsTest = EffectTest;

TEST_F(FlyingEffectsTest, EnergizerWithoutAQualifyingBrickNeverStarts)
{
    TestPlay play;
    Paint(play, {"KKKK", "...."});
    GfxEnergizerFly effect(400, 500, &play);
    EXPECT_FALSE(effect.start());
    EXPECT_EQ(res.PlayedCount("SOUND_ENERGIZER_FLY_START"), 0);
}

TEST_F(FlyingEffectsTest, EnergizerRetargetsWhenItsBrickIsTakenAndEnergisesOnArrival)
{
    TestPlay play;
    std::vector<std::string> rows(10, "1212121212");
    Paint(play, rows);
    GfxEnergizerFly effect(400, 580, &play);
    ASSERT_TRUE(effect.start());
    const int firstX = effect.mTargetX, firstY = effect.mTargetY;
    play.GetBrick(firstX, firstY)->SetFlag(kBrickEnergized); // taken by someone else
    int steps = 0, retargets = 0;
    std::vector<fakepyro::Burst> bursts;
    int result = 0;
    while (steps++ < 2000 && result != -1) {
        const int targetX = effect.mTargetX, targetY = effect.mTargetY;
        effect.update(1.0f);
        result = effect.process();
        retargets += targetX != effect.mTargetX || targetY != effect.mTargetY;
        auto now = fakepyro::TakeBursts(effect);
        bursts.insert(bursts.end(), now.begin(), now.end());
        EXPECT_TRUE(std::isfinite(effect.mX) && std::isfinite(effect.mY));
    }
    EXPECT_EQ(result, -1);
    EXPECT_GE(retargets, 1);
    EXPECT_EQ(res.PlayedCount("SOUND_ENERGIZER_FLY_START"), 1);
    EXPECT_EQ(res.PlayedCount("SOUND_ENERGIZER_FLY_DONE"), 1);
    ASSERT_EQ(bursts.size(), 2u);
    EXPECT_EQ(bursts[0].mName, "energized_end");
    EXPECT_EQ(bursts[1].mName, "energized_end2");
    EXPECT_TRUE(play.GetBrick(effect.mTargetX, effect.mTargetY)->HasFlag(kBrickEnergized));
    EXPECT_EQ(bursts[0].mX, static_cast<int>(Grid::Instance()->CellToScreenX(effect.mTargetX)));
    int energised = 0;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            energised += play.GetBrick(x, y)->HasFlag(kBrickEnergized);
    EXPECT_EQ(energised, 2); // the taken brick and the one it reached
}

TEST_F(FlyingEffectsTest, FlareCallsBackOnceThenLingersOneStepUnseen)
{
    for (float distance : {300.0f, 0.0f}) {
        int calls = 0;
        GfxFastFlare flare(100, 100, 100 + distance, 100, new Counter(&calls));
        ASSERT_TRUE(flare.start());
        Kivo::Graphics g(&screen);
        int steps = 0;
        while (flare.mT < 1 && steps++ < 100) {
            EXPECT_EQ(flare.process(), 0);
            flare.update(1.0f);
            EXPECT_TRUE(std::isfinite(flare.mX) && std::isfinite(flare.mY));
        }
        EXPECT_EQ(steps, distance > 0 ? 15 : 1); // 20 / distance per step
        screen.Clear();
        flare.draw(&g);
        EXPECT_EQ(screen.mDraws.size(), 20u);
        EXPECT_EQ(screen.mDraws[19].mColor.mAlpha, 240);
        EXPECT_EQ(flare.process(), 0);
        EXPECT_EQ(calls, 1);
        screen.Clear();
        flare.draw(&g);
        EXPECT_TRUE(screen.mDraws.empty());
        EXPECT_EQ(flare.process(), -1);
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(flare.mX, 100 + distance);
    }
}

TEST_F(FlyingEffectsTest, TargetingFlareBurstsWhereItArrivesAndEndsWithTheBurst)
{
    int calls = 0;
    GfxFastFlareTarger flare(710, 90, 500, 300, new Counter(&calls));
    ASSERT_TRUE(flare.start());
    int steps = 0;
    while (flare.process() != -1 && steps++ < 500)
        flare.update(1.0f);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(fakepyro::NameOf(nullptr), "");
    ASSERT_NE(flare.mEmitter.mEmitter, nullptr);
    EXPECT_EQ(static_cast<fakepyro::Emitter*>(flare.mEmitter.mEmitter)->mX, 500.0f);
    EXPECT_GT(steps, 15 + 10);
    EXPECT_LT(steps, 15 + 10 + 5 + 25 + 3);
}

TEST_F(FlyingEffectsTest, DurationsDoNotDependOnTheFrameFractions)
{
    struct Case {
        const char* mName;
        std::function<gfxBase*()> mMake;
        int mSteps;
    } cases[] = {
        {"score", [] { return new GfxShowScore(58, 145, 120, "label"); }, 200},
        {"expand", [] { return new GfxImageExpand(300, 300, Img("BRICK_KEY")); }, 40},
        {"rotate", [] { return new GfxRotateFade(300, 300, Img("BRICK_KEY")); }, 150},
    };
    Kivo::Graphics g(&screen);
    for (const Case& c : cases) {
        for (float frac : {0.25f, 1.0f, 3.0f}) {
            std::unique_ptr<gfxBase> effect(c.mMake());
            ASSERT_TRUE(effect->start());
            int steps = 0;
            do {
                effect->update(frac);
                effect->draw(&g);
                ++steps;
            } while (effect->process() != -1 && steps < 1000);
            EXPECT_EQ(steps, c.mSteps) << c.mName << " " << frac;
        }
    }
    for (const auto& d : screen.mDraws) {
        EXPECT_GE(d.mColor.mAlpha, 0);
        EXPECT_LE(d.mColor.mAlpha, 255);
    }
}

TEST_F(FlyingEffectsTest, ExpandGlowsAtMostToAHundredAndRotateFadeStartsOpaque)
{
    Kivo::Graphics g(&screen);
    GfxImageExpand expand(300, 300, Img("BRICK_KEY"));
    expand.mStartScale = 1.0f;
    ASSERT_TRUE(expand.start());
    int peak = 0, steps = 0;
    while (expand.process() != -1 && steps++ < 100) {
        screen.Clear();
        expand.draw(&g);
        peak = std::max(peak, screen.mDraws.at(0).mColor.mAlpha);
    }
    EXPECT_EQ(steps, 49); // 50 steps from scale 1
    EXPECT_GE(peak, 95);
    EXPECT_LE(peak, 100);

    GfxRotateFade fade(300, 300, Img("BRICK_KEY"));
    ASSERT_TRUE(fade.start());
    EXPECT_GE(std::fabs(fade.mSpin), 6.0f);
    screen.Clear();
    fade.draw(&g);
    EXPECT_EQ(screen.mDraws.at(0).mColor.mAlpha, 255);
}

TEST_F(FlyingEffectsTest, FireworkFliesUpAndBurstsAfterOneSecond)
{
    std::set<int> kinds;
    for (uint32_t seed = 1; seed < 40; ++seed) {
        Kivo::SeedRandomInt(seed);
        GfxFirework rocket(-1);
        ASSERT_GE(rocket.mKind, 0);
        ASSERT_LE(rocket.mKind, 2);
        kinds.insert(rocket.mKind);
    }
    EXPECT_EQ(kinds.size(), 3u);

    GfxFirework rocket(2);
    ASSERT_TRUE(rocket.start());
    EXPECT_EQ(rocket.mY, 600.0f);
    const float startX = rocket.mX;
    std::vector<fakepyro::Burst> bursts;
    int steps = 0;
    while (steps++ < 1000) {
        rocket.update(1.0f);
        const int result = rocket.process();
        auto now = fakepyro::TakeBursts(rocket);
        bursts.insert(bursts.end(), now.begin(), now.end());
        if (!now.empty()) {
            EXPECT_NEAR(rocket.mTime, 1.0f, 0.011f);
        }
        if (result == -1)
            break;
    }
    ASSERT_EQ(bursts.size(), 1u);
    EXPECT_EQ(bursts[0].mName, "fireworks_explode3");
    EXPECT_LT(bursts[0].mY, 300);                              // well up the screen
    EXPECT_LT(std::fabs(bursts[0].mX - 400), std::fabs(startX - 400) + 1); // leaning to the middle
    EXPECT_EQ(res.PlayedCount("SOUND_FIREWORKS_STAR1"), 1);
    EXPECT_EQ(res.PlayedCount("SOUND_FIREWORKS_EXPLODE2"), 1);
    EXPECT_LT(steps, 100 + 40);
}

TEST_F(FlyingEffectsTest, FlyTextRisesAndFadesOverTwoSeconds)
{
    GfxFlyText text("AB", 200, 300, GetFontById("FONT_BOARD"));
    ASSERT_TRUE(text.start());
    Kivo::Graphics g(&screen);
    int steps = 0;
    while (text.process() != -1 && steps < 500) {
        text.update(1.0f);
        if (++steps == 100) {
            text.draw(&g);
            EXPECT_NEAR(text.mProgress.mCurrent, 0.5f, 1e-4f);
        }
    }
    EXPECT_GE(steps, 200); // 0.005 per step, summed in single precision
    EXPECT_LE(steps, 201);
    // Shadow then text, two glyphs each, 20 pixels up at half way.
    ASSERT_EQ(screen.mDraws.size(), 4u);
    EXPECT_EQ(screen.mDraws[0].mColor.mRed, 0);
    EXPECT_EQ(screen.mDraws[2].mColor.mRed, 255);
    EXPECT_LT(screen.mDraws[2].mY, 300 - 20 + 1);
}

} // namespace
