#include "tests/game/play/GamePlayTestSupport.h"

#include "game/match/LevelMap.h"

#include <gtest/gtest.h>

using namespace playtest;

namespace {

class Modes : public ::testing::Test {
protected:
    void SetUp() override
    {
        Kivo::SeedRandomInt(21);
        GamePlayBase::ResetSharedState();
    }
    CurrentProfile profile;
};

TEST_F(Modes, SwapLineTest)
{
    struct Case {
        const char* what;
        const char* row;
        bool busyFirst;
        bool line;
    };
    // Always an exchange of (2, 0) with (3, 0).
    const Case cases[] = {
        { "makes a line", "-1 -1 -2 -1", false, true },
        { "same colours", "-2 -3 -1 -1 -4", false, false },
        { "a joker does not count", "-1 -1 -2 -J", false, false },
        { "a box breaks the run", "-1 -b -2 -1", false, false },
        { "a chained brick counts", "-c -1 -2 -1", false, true },
        { "a moving brick does not count", "-1 -1 -2 -1", true, false },
        { "the other cell of the exchange does not count", "-3 -1 -2 -1 -4", false, false },
    };
    for (const Case& c : cases) {
        Swap play;
        play.Paint({ c.row });
        if (c.busyFirst)
            play.GetBrick(0, 0)->MoveTo(0, 5);
        EXPECT_EQ(play.MakesLine(2, 0, 3, 0), c.line) << c.what;
    }
}

TEST_F(Modes, SwapClicks)
{
    Swap play;
    play.Paint({ "-1 -1 -2 -1 -3", "-4 -5 -c -6 -4" });
    // A chained brick is never selected.
    play.CellDown(2, 1, 0);
    EXPECT_FALSE(play.HasSelection());
    // A refused exchange counts toward the refusal combo.
    play.CellDown(3, 0, 0);
    EXPECT_TRUE(play.HasSelection());
    play.CellDown(4, 0, 0);
    EXPECT_FALSE(play.HasSelection());
    EXPECT_EQ(play.GetBrickCode(4, 0), 3);
    EXPECT_EQ(play.GetCombos().Find(6)->count, 1);
    play.Run(60);
    // A second click on the selection drops it.
    play.CellDown(3, 0, 0);
    play.CellDown(3, 0, 0);
    EXPECT_FALSE(play.HasSelection());
    // Dragging the selection onto a neighbour exchanges them.
    play.CellDown(3, 0, 0);
    play.CellDrag(3, 0, 2, 0);
    EXPECT_EQ(play.GetBrickCode(2, 0), 1);
    EXPECT_EQ(play.GetBrickCode(3, 0), 2);
}

TEST_F(Modes, SwapMatchPassGroups)
{
    struct Case {
        const char* what;
        std::vector<std::string> rows;
        int bricks, groups;
    };
    const Case cases[] = {
        { "L", { "-1 -2 -3", "-1 -3 -2", "-1 -1 -1" }, 5, 1 },
        { "T", { "-1 -1 -1", "-2 -1 -3", "-3 -1 -2" }, 5, 1 },
        { "+", { "-2 -1 -3", "-1 -1 -1", "-3 -1 -2" }, 5, 1 },
        { "two lines", { "-1 -1 -1 -2", "-3 -4 -3 -4", "-2 -2 -2 -4" }, 6, 2 },
        { "no line", { "-1 -1 -2 -1" }, 0, 0 },
    };
    for (const Case& c : cases) {
        Swap play;
        play.Paint(c.rows);
        SetProfileInt("score_level_bricks", 0);
        play.MatchPass();
        EXPECT_EQ(play.Bricks(), c.bricks) << c.what;
        // Groups that hold no moved cell are cascades.
        EXPECT_EQ(play.GetCombos().Find(5)->count, c.groups) << c.what;
        EXPECT_EQ(play.panels.mMatches, 0) << c.what;
    }
}

TEST_F(Modes, SwapReportsBothLinesOfAMove)
{
    Swap play;
    play.Paint({ "-1 -1 -2 -3", "-2 -2 -1 -4", "-3 -4 -3 -1" });
    play.CellDown(2, 0, 0);
    play.CellDown(2, 1, 0);
    EXPECT_EQ(play.GetBrickCode(2, 0), 1);
    for (int i = 0; i < 80 && play.panels.mMatches == 0; ++i)
        play.Run(1);
    // 3 + 3 bricks reported as one move: a big match.
    EXPECT_EQ(play.panels.mMatches, 1);
    EXPECT_EQ(GetProfileInt("score_level_bonus"), 10);
    EXPECT_EQ(play.mTargetIndex, -1);
}

TEST_F(Modes, SwapSetUpAvoidsReadyPairs)
{
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        Kivo::SeedRandomInt(seed);
        Swap play;
        LevelMap map(10, 10);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x)
                map.SetCell(x, y, 255, 1, 0, 0);
        play.PrepareLevelMap(map);
        // Each cell against the cells drawn before it.
        LevelMap before(10, 10);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x) {
                uint8_t code = 0;
                map.GetCell(x, y, &code, nullptr, nullptr, nullptr);
                ASSERT_GE(code, 1);
                ASSERT_LE(code, 6);
                EXPECT_FALSE(GamePlaySwap::RefusesColour(before, x, y, code)) << seed << ": " << x << "," << y;
                before.SetCell(x, y, code, 1, 0, 0);
            }
    }
}

TEST_F(Modes, GroupFlood)
{
    Group play;
    play.Paint({ "-1 -1 -2", "-3 -1 -1", "-1 -b -J" });
    EXPECT_EQ(play.FloodMark(0, 0), 4);
    play.ClearMarks();
    play.GetBrick(2, 1)->MoveTo(2, 5);
    EXPECT_EQ(play.FloodMark(0, 0), 3);
    EXPECT_FALSE(play.GetCellFlags(0, 2) & kCellGroupMark);
    EXPECT_FALSE(play.GetCellFlags(1, 2) & kCellGroupMark);
}

TEST_F(Modes, GroupClicks)
{
    Group play;
    play.Paint({ "-1 -1 -2 -3 -3 -3", "-4 -5 -4 -5 -4 -5" });
    // Two alike: a plain highlight and a click that removes nothing.
    play.CellEnter(0, 0);
    EXPECT_FALSE(play.GetCellFlags(0, 0) & kCellGroupMark);
    play.CellDown(0, 0, 0);
    EXPECT_EQ(play.Count(1), 2);
    EXPECT_EQ(play.GetCombos().Find(6)->count, 1);
    play.CellLeave(0, 0);
    // Three alike go.
    play.CellEnter(4, 0);
    EXPECT_TRUE(play.GetCellFlags(3, 0) & kCellGroupMark);
    play.CellDown(4, 0, 0);
    EXPECT_EQ(play.Count(3), 0);
    EXPECT_EQ(play.Bricks(), 3);
    EXPECT_EQ(play.panels.mMatches, 1);
}

// The pointer came to a cell while a bonus was armed; once the bonus is
// gone, a click there without moving takes the group under the pointer, not
// the one the pointer left before.
TEST_F(Modes, GroupClickWhereTheBonusWasAimed)
{
    Group play;
    play.Paint({ "-1 -1 -2 -3 -3 -3", "-4 -5 -4 -5 -4 -5" });
    play.CellEnter(0, 0);
    play.CellLeave(0, 0);
    play.UseBonus(kBonusBomb, -1, -1);
    ASSERT_NE(play.GetArmedCursor(), 0);
    play.CellEnter(4, 0);
    play.CellDown(4, 0, 1); // the right button puts the bonus back
    ASSERT_EQ(play.GetArmedCursor(), 0);
    play.CellDown(4, 0, 0);
    EXPECT_EQ(play.Count(3), 0);
    EXPECT_EQ(play.Count(1), 2);
    EXPECT_EQ(play.panels.mMatches, 1);
}

TEST_F(Modes, GroupFollowsFallingBricks)
{
    Group play;
    play.SetColors({ 5 });
    play.Paint({ "-1", "-2", "-1", "-1" });
    play.mHitsLeft = 5; // the level goes on
    play.CellEnter(0, 3);
    EXPECT_FALSE(play.GetCellFlags(0, 3) & kCellGroupMark);
    play.DestroyAt(0, 1, 0);
    play.Settle();
    play.Run(2);
    EXPECT_TRUE(play.GetCellFlags(0, 3) & kCellGroupMark);
    EXPECT_TRUE(play.GetCellFlags(0, 1) & kCellGroupMark);
}

TEST_F(Modes, ChainByClicks)
{
    Chain play;
    play.Paint({ "-1 -1 -1 -1 -2" });
    play.CellDown(0, 0, 0);
    play.CellEnter(1, 0);
    // A click on the end of a chain of two keeps it.
    play.CellDown(1, 0, 0);
    EXPECT_EQ(play.mPath.Size(), 2);
    play.CellEnter(2, 0);
    EXPECT_EQ(play.mPath.Size(), 3);
    // A click elsewhere starts afresh there.
    play.CellDown(0, 0, 0);
    EXPECT_EQ(play.mPath.Size(), 1);
    play.CellEnter(1, 0);
    play.CellEnter(2, 0);
    play.CellDown(2, 0, 0);
    EXPECT_EQ(play.mPath.Size(), 0);
    EXPECT_EQ(play.Count(1), 1);
    EXPECT_EQ(play.Bricks(), 3);
    EXPECT_EQ(play.panels.mMatches, 1);
}

TEST_F(Modes, ChainPathRules)
{
    Chain play;
    play.Paint({ "-1 -J -1 -2", "-2 -2 -2 -2" });
    play.CellDown(0, 0, 0);
    // A joker joins; another colour after it does not.
    play.CellEnter(1, 0);
    play.CellEnter(2, 0);
    EXPECT_EQ(play.mPath.Size(), 3);
    play.CellEnter(3, 0);
    EXPECT_EQ(play.mPath.Size(), 3);
    // Going back over the chain cuts it there.
    play.CellEnter(1, 0);
    EXPECT_EQ(play.mPath.Size(), 2);
    play.CellEnter(2, 0);
    play.CellDown(2, 0, 0);
    EXPECT_EQ(play.Count(1), 0);
    EXPECT_EQ(play.Count(11), 0);
    // A diagonal step is not a chain.
    play.Paint({ "-3 -2", "-2 -3", "-3 -3" });
    play.CellDown(0, 0, 0);
    play.CellEnter(1, 1);
    EXPECT_EQ(play.mPath.Size(), 1);
}

TEST_F(Modes, ChainReleasedAfterDragging)
{
    for (int n : { 2, 3 }) {
        Chain play;
        play.Paint({ "-1 -1 -1 -2" });
        play.CellDown(0, 0, 0);
        for (int x = 1; x < n; ++x)
            play.CellEnter(x, 0);
        play.mClickStyle = false;
        play.BoardMouseUp();
        EXPECT_FALSE(play.HasSelection()) << n;
        EXPECT_EQ(play.Count(1), n == 3 ? 0 : 3) << n;
    }
}

TEST_F(Modes, ChainDroppedWhenItsBricksGo)
{
    Chain play;
    play.Paint({ "-1 -1 -1 -2", "-3 -3 -3 -2" });
    play.CellDown(0, 0, 0);
    play.CellEnter(1, 0);
    play.DestroyAt(1, 0, 1);
    play.Run(1);
    EXPECT_FALSE(play.HasSelection());
}

} // namespace
