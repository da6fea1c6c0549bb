#include "game/effects/GfxBoardAppear.h"
#include "game/effects/GfxBrickBlowup.h"
#include "game/effects/GfxBrickGameSwitching.h"
#include "game/effects/GfxBricksAppear.h"
#include "game/effects/GfxBricksDisappear.h"
#include "game/effects/GfxBricksExchange.h"
#include "game/effects/GfxBricksFlyaway.h"
#include "game/effects/GfxDrawBrickHelper.h"
#include "game/effects/GfxExplodeBrickMesh.h"
#include "game/effects/GfxExplodeRowFly.h"
#include "game/effects/GfxFlyChain.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/Transform.h"
#include "game/match/Grid.h"
#include "game/match/LevelMap.h"
#include "game/ui/Callback.h"
#include "tests/game/effects/EffectsFixture.h"

#include <cmath>
#include <functional>

namespace {

float CellX(int x) { return Grid::Instance()->CellToScreenX(x); }
float CellY(int y) { return Grid::Instance()->CellToScreenY(y); }

struct BrickEffectsTest : EffectTest {
    // Runs update(1) then process() until the effect ends; the number of steps.
    int RunToEnd(gfxBase& effect, int limit = 2000, std::function<void(int)> each = nullptr)
    {
        if (!effect.start())
            return -1;
        for (int step = 1; step <= limit; ++step) {
            effect.update(1.0f);
            if (each)
                each(step);
            if (effect.process() == -1)
                return step;
        }
        return limit + 1;
    }
    int calls = 0;
};

TEST_F(BrickEffectsTest, EndConditions)
{
    {
        GfxBrickExplode effect(300, 300, 1);
        ASSERT_TRUE(effect.start());
        int steps = 0;
        while (effect.process() != -1 && steps < 100)
            ++steps;
        EXPECT_EQ(steps + 1, 40);
    }
    {
        LevelMap empty(10, 10);
        GfxBricksAppear effect(empty, new Counter(&calls));
        ASSERT_TRUE(effect.start());
        EXPECT_EQ(effect.process(), 0); // nothing moved yet
        effect.update(1.0f);
        EXPECT_EQ(effect.process(), -1);
        EXPECT_EQ(calls, 1);
    }
    {
        LevelMap keyOnly(10, 10);
        keyOnly.SetCell(3, 4, 12, 1, 0, 0);
        GfxBricksDisappear effect(keyOnly, 6, 7, new Counter(&calls));
        EXPECT_TRUE(effect.mBricks.empty()); // the key never flies
        ASSERT_TRUE(effect.start());
        EXPECT_EQ(effect.process(), -1);
        EXPECT_EQ(calls, 2);
        const auto bursts = fakepyro::TakeBursts(effect);
        ASSERT_EQ(bursts.size(), 1u);
        EXPECT_EQ(bursts[0], (fakepyro::Burst{"key_done_final", static_cast<int>(CellX(6)), static_cast<int>(CellY(7))}));
    }
    {
        GfxBrickFlyaway effect(400, 560, 2);
        float lastY = 0;
        const int steps = RunToEnd(effect, 500, [&](int) { lastY = effect.mY; });
        EXPECT_LT(steps, 500);
        EXPECT_GT(lastY, 600.0f);
        EXPECT_LE(lastY - effect.mVelocityY + 0.15f, 600.0f); // the step before was still on screen
    }
    {
        GfxBrickBlowup effect(100, 100, 3);
        float peak = 0;
        const int steps = RunToEnd(effect, 500, [&](int) { peak = std::max(peak, effect.mScale); });
        EXPECT_NEAR(peak, 1.15f, 0.01f);
        EXPECT_GE(steps, 8 + 25); // pi / 0.4 steps of swelling, then about 1 / 0.04
        EXPECT_LE(steps, 8 + 28);
    }
}

TEST_F(BrickEffectsTest, RowHalvesShowOnlyTheSideThatHasSomewhereToGo)
{
    Kivo::Graphics g(&screen);
    struct Case {
        int mColumn;
        int mLeftDraws;
        int mRightDraws;
    } cases[] = {{0, 0, 1}, {9, 1, 0}, {4, 1, 1}};
    for (const Case& c : cases) {
        GfxExplodeRowFly effect(c.mColumn, 2);
        ASSERT_TRUE(effect.start());
        effect.update(1.0f);
        screen.Clear();
        effect.draw(&g);
        EXPECT_EQ(screen.Count(Img("BRICK_BONUS_ROW_PART_LEFT")), c.mLeftDraws) << c.mColumn;
        EXPECT_EQ(screen.Count(Img("BRICK_BONUS_ROW_PART_RIGHT")), c.mRightDraws) << c.mColumn;
    }
    GfxExplodeRowFly effect(3, 2);
    const int steps = RunToEnd(effect);
    EXPECT_EQ(steps, 61); // the right half needs 0.6 s
    EXPECT_NEAR(effect.mRight.mX, CellX(9), 6.75f); // within one step of travel
}

TEST_F(BrickEffectsTest, ExchangeTremblesThenSwapsWithBursts)
{
    Kivo::Image* a = Img("BRICK_0");
    Kivo::Image* b = Img("BRICK_9"); // one cel: no turn to show, and no division by zero
    GfxBricksExchange effect(CellX(2), CellY(3), a, CellX(3), CellY(3), b, new Counter(&calls));
    ASSERT_TRUE(effect.start());
    EXPECT_LE(effect.mT, -0.3f);
    std::vector<fakepyro::Burst> bursts;
    bool stayed = true;
    int steps = 0;
    while (steps < 500) {
        effect.update(1.0f);
        const int result = effect.process();
        ++steps;
        auto now = fakepyro::TakeBursts(effect);
        if (!now.empty()) {
            EXPECT_EQ(now.size(), 2u);
            EXPECT_TRUE(effect.mT >= -0.2f);
        }
        bursts.insert(bursts.end(), now.begin(), now.end());
        if (effect.mT <= 0)
            for (const auto& brick : effect.mBricks)
                stayed &= std::fabs(brick.mX - brick.mCellX) <= 3 && std::fabs(brick.mY - brick.mCellY) <= 3;
        if (result == -1)
            break;
    }
    EXPECT_TRUE(stayed);
    EXPECT_EQ(calls, 1);
    ASSERT_EQ(bursts.size(), 4u);
    for (const auto& burst : bursts)
        EXPECT_EQ(burst.mName, "brick_exchange_hilight");
    EXPECT_EQ(bursts[0].mX, static_cast<int>(CellX(2)));
    EXPECT_EQ(bursts[1].mX, static_cast<int>(CellX(3)));
    EXPECT_NEAR(effect.mBricks[0].mX, CellX(3), 0.01f);
    EXPECT_NEAR(effect.mBricks[1].mX, CellX(2), 0.01f);
    EXPECT_EQ(effect.mBricks[1].mCel, 0);
}

TEST_F(BrickEffectsTest, BrickLookWithBoxDrawsOnlyTheBox)
{
    Kivo::Graphics g(&screen);
    GfxBricksAppear helper(LevelMap(0, 0), nullptr);
    Kivo::Transform t;
    t.Translate(100, 100);
    helper.DrawBrick(&g, Img("BRICK_0"), 9, 4 | 1, t);
    ASSERT_EQ(screen.mDraws.size(), 1u);
    EXPECT_EQ(screen.mDraws[0].mImage, Img("BRICK_MOD_BOX"));
    EXPECT_EQ(screen.mDraws[0].mX, 100 - 22.5f - 2 + 0.5f);
    EXPECT_EQ(screen.mDraws[0].mY, 100 - 22.5f - 3 + 0.5f);

    screen.Clear();
    helper.DrawBrick(&g, Img("BRICK_0"), 9, 1 | 2, t); // cel 9 of 8 is cel 1
    ASSERT_EQ(screen.mDraws.size(), 4u);
    EXPECT_EQ(screen.mDraws[0].mSource.mX, 40);
    EXPECT_EQ(screen.mDraws[1].mImage, Img("BRICK_MOD_FRAME"));
    EXPECT_EQ(screen.mDraws[2].mImage, Img("BRICK_MOD_CHAIN2"));
    EXPECT_EQ(screen.mDraws[3].mImage, Img("BRICK_MOD_CHAIN1"));
}

TEST_F(BrickEffectsTest, BricksFlyInFromOutsideAndFlashWhereTheyLand)
{
    LevelMap map(10, 10);
    map.SetCell(0, 0, 1, 1, 0, 0);
    map.SetCell(9, 9, 12, 1, 0, 0);
    map.SetCell(5, 5, 11, 1, 0, 0); // no image for the joker: not drawn
    GfxBricksAppear effect(map, new Counter(&calls));
    ASSERT_EQ(effect.mBricks.size(), 2u);
    const FlyingBrick& first = effect.mBricks[0];
    EXPECT_NEAR(std::hypot(first.mStartX - first.mEndX, first.mStartY - first.mEndY), 250.0f, 0.01f);
    EXPECT_LT(first.mStartX, first.mEndX); // out beyond the top left
    std::vector<fakepyro::Burst> bursts;
    const int steps = RunToEnd(effect, 500, [&](int) {
        auto now = fakepyro::TakeBursts(effect);
        bursts.insert(bursts.end(), now.begin(), now.end());
    });
    EXPECT_LE(steps, 68);
    EXPECT_EQ(calls, 1);
    ASSERT_EQ(bursts.size(), 2u);
    EXPECT_EQ(res.PlayedCount("SOUND_BRICKS_FLYIN"), 1);

    GfxBricksFlyaway away(map, nullptr);
    ASSERT_TRUE(away.start());
    away.update(1.0f);
    Kivo::Graphics g(&screen);
    away.draw(&g);
    ASSERT_EQ(screen.mDraws.size(), 2u);
    EXPECT_EQ(screen.mDraws[0].mColor.mAlpha, static_cast<int>((1 - away.mBricks[0].mT) * 255));
    EXPECT_LT(RunToEnd(away), 70);
    EXPECT_TRUE(fakepyro::TakeBursts(away).empty());
}

TEST_F(BrickEffectsTest, DisappearingBricksWaitThenStreamIntoTheKeyCell)
{
    LevelMap map(10, 10);
    map.SetCell(1, 1, 2, 1, 0, 0);
    map.SetCell(8, 2, 3, 1, 1, 0);
    map.SetCell(4, 4, 12, 1, 0, 0);
    GfxBricksDisappear effect(map, 4, 4, new Counter(&calls));
    ASSERT_EQ(effect.mBricks.size(), 2u);
    const int steps = RunToEnd(effect, 1000, [&](int step) {
        if (step < 160) {
            EXPECT_EQ(effect.mBricks[0].mX, CellX(1));
        }
    });
    EXPECT_GT(steps, 160 + 50);
    EXPECT_LT(steps, 180 + 67 + 2);
    EXPECT_EQ(calls, 1);
    const auto bursts = fakepyro::TakeBursts(effect);
    ASSERT_EQ(bursts.size(), 1u);
    EXPECT_EQ(bursts[0].mName, "key_done_final");
}

TEST_F(BrickEffectsTest, GameSwitchingSkipsMissingLooksAndSingleCelImages)
{
    GfxBrickGameSwitching::sCounter = 11;
    GfxBrickGameSwitching effect(new Counter(&calls));
    effect.addBrick(0, 0, 10, 0, 1, 1, 11, 0); // single-cel new look, no old look
    effect.addBrick(2, 2, 11, 0, 3, 3, 11, 0); // neither look: not added
    effect.addBrick(4, 4, 1, 1, 5, 5, 2, 0);
    ASSERT_EQ(effect.mBricks.size(), 2u);
    EXPECT_EQ(effect.mBricks[0].mArcX, -150.0f);
    EXPECT_EQ(GfxBrickGameSwitching::sCounter, 14);
    Kivo::Graphics g(&screen);
    bool crossFaded = false;
    const int steps = RunToEnd(effect, 1000, [&](int) {
        screen.Clear();
        effect.draw(&g);
        for (const auto& d : screen.mDraws)
            EXPECT_NE(d.mImage, nullptr);
        const auto& b = effect.mBricks[1];
        if (b.mFade.mCurrent > 0 && b.mFade.mCurrent < 1) {
            crossFaded = true;
            EXPECT_EQ(screen.Count(Img("BRICK_0")), 1);
            EXPECT_EQ(screen.Count(Img("BRICK_1")), 1);
        }
    });
    EXPECT_TRUE(crossFaded);
    EXPECT_LE(steps, 20 + 126);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(effect.mBricks[1].mX, CellX(5));
}

TEST_F(BrickEffectsTest, MeshPiecesFlyOutAndFade)
{
    Kivo::Image* brick = Img("BRICK_1"); // 40 x 40 cels
    GfxExplodeBrickMesh effect(brick, 10);
    effect.mX = 100;
    effect.mY = 200;
    ASSERT_TRUE(effect.start());
    ASSERT_EQ(effect.mPieces.size(), 16u);
    Kivo::Graphics g(&screen);
    effect.update(1.0f);
    effect.draw(&g);
    EXPECT_EQ(screen.mVertices.size(), 16u * 2 * 3);
    const int steps = RunToEnd(effect);
    EXPECT_GE(steps, 32 - 1);
    EXPECT_LE(steps, 48 + 1);
    // A corner piece has moved away from the centre.
    EXPECT_LT(effect.mPieces[0].mOffsetX, -10.0f);
    screen.Clear();
    effect.draw(&g);
    EXPECT_TRUE(screen.mVertices.empty());

    // A picture smaller than one mesh cell has no pieces and ends at once.
    GfxExplodeBrickMesh tiny(Img("IMAGE_GFX_SMALL_SHART_DOT"), 10);
    ASSERT_TRUE(tiny.start());
    EXPECT_TRUE(tiny.mPieces.empty());
    tiny.update(1.0f);
    EXPECT_EQ(tiny.process(), -1);
}

TEST_F(BrickEffectsTest, ChainFliesOntoItsCellAndBursts)
{
    GfxFlyChain effect(300, 200, true, new Counter(&calls));
    Kivo::Graphics g(&screen);
    ASSERT_TRUE(effect.start());
    EXPECT_LT(effect.mY, 0.0f); // from above the board
    effect.draw(&g);
    EXPECT_EQ(screen.mDraws.size(), 3u);
    const int steps = RunToEnd(effect);
    EXPECT_GE(steps, 50); // 0.02 per step, summed in single precision
    EXPECT_LE(steps, 51);
    EXPECT_EQ(calls, 1);
    const auto bursts = fakepyro::TakeBursts(effect);
    ASSERT_EQ(bursts.size(), 1u);
    EXPECT_EQ(bursts[0], (fakepyro::Burst{"cell_clouds_explode", 300, 200}));
}

TEST_F(BrickEffectsTest, BoardFadesInWhileShrinking)
{
    GfxBoardAppear effect(new Counter(&calls));
    Kivo::Graphics g(&screen);
    const int steps = RunToEnd(effect, 500, [&](int step) {
        if (step == 50) {
            EXPECT_NEAR(effect.mScale, 1.5f, 0.01f);
            effect.draw(&g);
        }
    });
    EXPECT_EQ(steps, 101);
    EXPECT_EQ(effect.mScale, 1.0f);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(res.PlayedCount("SOUND_BOARD_APPEAR"), 1);
    ASSERT_EQ(screen.mDraws.size(), 2u);
    EXPECT_EQ(screen.mDraws[0].mImage, Img("IMAGE_BOARD_BACKGROUND"));
    EXPECT_EQ(screen.mDraws[1].mImage, Img("IMAGE_FIELD_FRAME"));
    EXPECT_EQ(screen.mDraws[0].mColor.mAlpha, 127);
}

} // namespace
