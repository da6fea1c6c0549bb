#include "game/match/BrickColored.h"
#include "game/match/BrickFactory.h"
#include "game/match/CellBase.h"
#include "tests/support/MovementPlay.h"

#include <gtest/gtest.h>

namespace {

// Every cell playable and holding colour 1, column 0 empty; refills of 7.
class TestPlay : public PatternPlay {
public:
    TestPlay() : PatternPlay(7, [](int x, int) { return x == 0 ? 0 : 1; }) {}
    // Column 0 from the top: one code per row.
    void Column(std::initializer_list<int> codes)
    {
        int y = 0;
        for (int code : codes)
            PutBrick(code, 0, y++);
    }
    // Bricks finish their glides.
    void Glide()
    {
        for (int i = 0; i < 500; ++i)
            Update(1.0f);
    }
};

TEST(Movement, Predicates)
{
    TestPlay play;
    play.Column({ 2, 12, 3, 4, 5, 0 });
    play.GetBrick(0, 2)->SetFlag(kBrickBox);
    play.GetBrick(0, 3)->SetFlag(kBrickChain2);
    play.AddHold(0, 4, 0.1f);
    play.GetCell(0, 1)->SetFlag(kCellSecondHit);
    play.SetCell(0, 6, 0);
    play.PutBrick(3, 0, 6);

    EXPECT_TRUE(play.IsSelectableBrick(0, 0));
    EXPECT_FALSE(play.IsSelectableBrick(0, 1)); // key
    EXPECT_FALSE(play.IsSelectableBrick(0, 2)); // box
    EXPECT_TRUE(play.IsBoxed(0, 2));
    EXPECT_TRUE(play.IsChained(0, 3));
    EXPECT_FALSE(play.IsFreeBrick(0, 3));
    EXPECT_TRUE(play.IsSelectableBrick(0, 3));
    EXPECT_TRUE(play.IsBrickBusyAt(0, 4));
    EXPECT_FALSE(play.IsSelectableBrick(0, 4)); // held back
    EXPECT_TRUE(play.IsEmptyCell(0, 5));
    EXPECT_TRUE(play.IsBreakableCell(0, 1));
    EXPECT_FALSE(play.IsCell(0, 6)); // a gap, even with a brick on it
    EXPECT_FALSE(play.IsFreeBrick(0, 6));
    for (auto [x, y] : { std::pair { -1, 0 }, { 10, 0 }, { 0, 10 }, { 0, -1 } }) {
        EXPECT_FALSE(play.IsCell(x, y));
        EXPECT_FALSE(play.IsFreeBrick(x, y));
        EXPECT_FALSE(play.IsSelectableBrick(x, y));
        EXPECT_FALSE(play.IsEmptyCell(x, y));
        EXPECT_FALSE(play.IsBrickBusyAt(x, y));
        EXPECT_FALSE(play.CanSpawnAt(x, y));
    }
}

TEST(Movement, ChainedBrickStaysAndRefillAppearsBelowIt)
{
    TestPlay play;
    play.Column({ 2, 0, 1, 1, 1, 1, 1, 1, 1, 1 });
    play.GetBrick(0, 0)->SetFlag(kBrickChain);
    EXPECT_FALSE(play.TryFallInto(0, 1));
    EXPECT_TRUE(play.CanSpawnAt(0, 1));
    EXPECT_FALSE(play.FallAndRefill(true));
    EXPECT_EQ(play.GetBrickCode(0, 0), 2);
    EXPECT_EQ(play.GetBrickCode(0, 1), 7);
    EXPECT_TRUE(static_cast<BrickColored*>(play.GetBrick(0, 1))->IsStateOn(6));
}

TEST(Movement, FreeBrickFallsPastAGap)
{
    TestPlay play;
    play.Column({ 3, 0, 0, 1, 1, 1, 1, 1, 1, 1 });
    play.SetCell(0, 1, 0);
    BrickBase* brick = play.GetBrick(0, 0);
    EXPECT_FALSE(play.CanSpawnAt(0, 2)); // the brick above will fill it
    EXPECT_TRUE(play.FallAndRefill(false));
    EXPECT_EQ(play.GetBrick(0, 2), brick);
    EXPECT_EQ(play.GetBrickCode(0, 0), 0);
    EXPECT_TRUE(brick->IsBusy());
}

TEST(Movement, KeyFallsOnlyAlongItsPath)
{
    TestPlay play;
    play.Column({ 12, 0, 1, 1, 1, 1, 1, 1, 1, 1 });
    play.FallAndRefill(true);
    EXPECT_EQ(play.GetBrickCode(0, 0), 12);
    EXPECT_EQ(play.GetBrickCode(0, 1), 7); // refilled from the top past the key

    TestPlay path;
    path.Column({ 12, 0, 1, 1, 1, 1, 1, 1, 1, 1 });
    path.GetCell(0, 1)->SetFlag(kCellKeyPath);
    EXPECT_TRUE(path.FallAndRefill(false));
    EXPECT_EQ(path.GetBrickCode(0, 1), 12);
}

TEST(Movement, EmptiedCellWaitsFiveTicks)
{
    TestPlay play;
    play.Column({ 4, 0, 1, 1, 1, 1, 1, 1, 1, 1 });
    ASSERT_TRUE(play.FallAndRefill(true));
    EXPECT_EQ(play.GetBrickCode(0, 0), 0); // no brick made in the held cell
    play.Glide();
    for (int tick = 1; tick <= 4; ++tick) {
        play.Settle();
        play.FallAndRefill(true);
        EXPECT_EQ(play.GetBrickCode(0, 0), 0) << tick;
    }
    play.Settle();
    play.FallAndRefill(true);
    EXPECT_EQ(play.GetBrickCode(0, 0), 7);
}

TEST(Movement, Turns)
{
    TestPlay play;
    play.PutBrick(5, 0, 0);
    play.BeginRotate(1);
    EXPECT_TRUE(play.IsRotating());
    EXPECT_FLOAT_EQ(play.GetRotationAngle(), 1.5707963f);
    play.Rotate(0);
    EXPECT_FALSE(play.IsRotating());
    EXPECT_EQ(play.GetBrickCode(9, 0), 5); // once clockwise
    EXPECT_EQ(play.GetRotation(), 0);

    play.Rotate(3); // (0 - 3) mod 4 = 1 quarter clockwise
    EXPECT_EQ(play.GetBrickCode(9, 9), 5);
    EXPECT_EQ(play.GetRotation(), 3);

    play.Rotate(-1); // same orientation: no turn
    EXPECT_EQ(play.GetBrickCode(9, 9), 5);
    EXPECT_EQ(play.GetRotation(), 3);
}

} // namespace
