#include "tests/game/play/GamePlayTestSupport.h"

#include "game/effects/GfxFluids.h"
#include "game/match/BrickHelper.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

using namespace playtest;

namespace {

class Actions : public ::testing::Test {
protected:
    void SetUp() override
    {
        Kivo::SeedRandomInt(11);
        GamePlayBase::ResetSharedState();
    }
    TickFrames frames;
    // The cells whose brick went empty.
    std::set<std::pair<int, int>> Emptied(const Swap& play) const
    {
        std::set<std::pair<int, int>> cells;
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x)
                if (play.IsCell(x, y) && play.GetBrickCode(x, y) == 0)
                    cells.insert({ x, y });
        return cells;
    }
    void Full(Swap& play, const char* second = "1")
    {
        std::vector<std::string> rows;
        for (int y = 0; y < 10; ++y) {
            std::string row;
            for (int x = 0; x < 10; ++x)
                row += std::string("-") + second + " ";
            rows.push_back(row);
        }
        play.Paint(rows);
    }
    CurrentProfile profile;
};

TEST_F(Actions, DestroyAtResults)
{
    Swap play;
    play.Paint({ "-1 -_ -K -b -C o1 O1 -e" });
    EXPECT_EQ(play.DestroyAt(-1, 0, 0), 0);
    EXPECT_EQ(play.DestroyAt(0, 9, 0), 0); // a gap holds an empty brick
    EXPECT_EQ(play.DestroyAt(1, 0, 0), 0);
    EXPECT_EQ(play.DestroyAt(2, 0, 0), 0);
    // A box only joins the hit cells.
    EXPECT_EQ(play.DestroyAt(3, 0, 0), 1);
    EXPECT_EQ(play.GetBrickCode(3, 0), 1);
    ASSERT_EQ(play.mHitCells.size(), 1u);
    // Two chains take two hits, the third destroys.
    EXPECT_EQ(play.DestroyAt(4, 0, 0), 9);
    EXPECT_EQ(play.GetBrickFlags(4, 0), 1u);
    play.Paint({ "-1 -_ -K -b -c o1 O1 -e" });
    EXPECT_EQ(play.DestroyAt(4, 0, 0), 9);
    EXPECT_EQ(play.GetBrickFlags(4, 0), 0u);
    play.Run(30);
    play.Paint({ "-1 -_ -K -b -1 o1 O1 -e" });
    EXPECT_EQ(play.DestroyAt(4, 0, 0), 3);
    EXPECT_EQ(play.DestroyAt(5, 0, 0), 7);
    EXPECT_EQ(play.GetCellFlags(5, 0), 0u);
    // A moving brick is left alone.
    play.GetBrick(0, 0)->MoveTo(0, 3);
    EXPECT_EQ(play.DestroyAt(0, 0, 0), 0);
}

TEST_F(Actions, TwoHitCellsAndBlastKinds)
{
    Swap play;
    struct Case {
        int kind;
        uint32_t after; // cell flags after one destroy on a flags-24 cell
    };
    const Case cases[] = { { 0, 8 }, { 1, 8 }, { 2, 24 }, { 3, 24 } };
    for (const Case& c : cases) {
        play.Paint({ "O1" });
        EXPECT_EQ(play.DestroyAt(0, 0, c.kind), c.after == 24 ? 3 : 7) << c.kind;
        EXPECT_EQ(play.GetCellFlags(0, 0), c.after) << c.kind;
    }
    play.Paint({ "o1" });
    play.GetCell(0, 0)->mFlags = 8;
    EXPECT_EQ(play.DestroyAt(0, 0, 1), 7);
    EXPECT_EQ(play.GetCellFlags(0, 0), 0u);
}

TEST_F(Actions, BlastShapes)
{
    Swap play;
    Full(play);
    play.BombBlast(0, 0);
    EXPECT_EQ(Emptied(play), (std::set<std::pair<int, int>>{ { 0, 0 }, { 1, 0 }, { 0, 1 }, { 1, 1 } }));

    Full(play);
    play.BiggerMatchBlast(5, 5);
    auto cells = Emptied(play);
    EXPECT_EQ(cells.size(), 21u);
    EXPECT_FALSE(cells.count({ 3, 3 }));
    EXPECT_FALSE(cells.count({ 7, 7 }));
    EXPECT_TRUE(cells.count({ 3, 4 }));

    Full(play);
    play.GetBrick(4, 4)->SetFlag(kBrickEnergized); // an energized diagonal
    play.GetBrick(6, 6)->SetFlag(kBrickChain);     // a chained diagonal stays
    play.EnergyBlast(5, 5);
    EXPECT_EQ(Emptied(play), (std::set<std::pair<int, int>>{ { 4, 5 }, { 6, 5 }, { 5, 4 }, { 5, 6 }, { 4, 4 } }));
}

TEST_F(Actions, RowBlastTravelsOutward)
{
    Swap play;
    Full(play);
    play.RowBlast(3, 2);
    play.UpdateGfx();
    EXPECT_EQ(Emptied(play), (std::set<std::pair<int, int>>{ { 3, 2 } }));
    play.Effects(22);
    EXPECT_EQ(Emptied(play).size(), 5u); // columns 1..5 after two steps of 0.1 s
    play.Effects(100);
    EXPECT_EQ(Emptied(play).size(), 10u);
    EXPECT_EQ(play.GetEffectCount(), 0);
}

TEST_F(Actions, EnergizedBricksExplodeLater)
{
    Swap play;
    play.Paint({ "-2 -3 -4 -5", "-e -e -3 -6" });
    EXPECT_EQ(play.DestroyAt(0, 1, 0), 3);
    for (int i = 0; i < 14; ++i)
        play.ProcessTimedActions();
    EXPECT_EQ(play.GetBrickCode(1, 1), 1);
    play.ProcessTimedActions();
    // Its neighbours went, the energized one among them, which goes off in turn.
    EXPECT_EQ(play.GetBrickCode(0, 0), 0);
    EXPECT_EQ(play.GetBrickCode(1, 1), 0);
    EXPECT_EQ(play.GetBrickCode(2, 1), 3);
    for (int i = 0; i < 15; ++i)
        play.ProcessTimedActions();
    EXPECT_EQ(play.GetBrickCode(2, 1), 0);
    EXPECT_EQ(play.GetBrickCode(1, 0), 0);
}

TEST_F(Actions, BoxesBreakBesideHits)
{
    Swap play;
    play.Paint({ "-b -1 -b", "-b -b -2" });
    play.DestroyAt(1, 0, 0);
    play.ProcessHitCells();
    // The 4-neighbours break, the diagonal box stays.
    EXPECT_EQ(play.GetBrickFlags(0, 0), 0u);
    EXPECT_EQ(play.GetBrickFlags(2, 0), 0u);
    EXPECT_EQ(play.GetBrickFlags(1, 1), 0u);
    EXPECT_EQ(play.GetBrickFlags(0, 1), 4u);
    EXPECT_TRUE(play.mFieldChanged);
    EXPECT_TRUE(play.mHitCells.empty());
}

TEST_F(Actions, ArmedBonuses)
{
    Swap play;
    Full(play, "2");
    play.panels.mProgress[0] = 1.0f;
    play.panels.mProgress[2] = 1.0f;
    EXPECT_FALSE(play.UseBonus(kBonusBomb, -1, -1));
    EXPECT_EQ(play.GetArmedCursor(), 1);
    EXPECT_EQ(play.panels.mProgress[0], 0.0f);
    // Taking the row gives the bomb back.
    EXPECT_FALSE(play.UseBonus(kBonusRow, -1, -1));
    EXPECT_EQ(play.GetArmedCursor(), 2);
    EXPECT_EQ(play.panels.mProgress[0], 1.0f);
    EXPECT_EQ(play.panels.mProgress[2], 0.0f);
    // A click applies the armed bonus itself.
    play.CellDown(4, 6, 0);
    EXPECT_EQ(play.GetArmedCursor(), 0);
    play.Effects(120);
    EXPECT_EQ(play.Bricks(), 10);
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(play.GetBrickCode(x, 6), 0);
    // Locking or deactivating gives an armed slot back.
    EXPECT_FALSE(play.UseBonus(kBonusMagnet, -1, -1));
    play.SetActive(false);
    EXPECT_EQ(play.GetArmedCursor(), 0);
    EXPECT_EQ(play.panels.mProgress[3], 1.0f);
}

TEST_F(Actions, MagnetRefusalsGiveTheSlotBack)
{
    Swap play;
    play.Paint({ "-b -_ -K -3" });
    for (int x : { 0, 1, 2 }) {
        play.panels.mProgress[3] = 0.0f;
        EXPECT_FALSE(play.UseBonus(kBonusMagnet, x, 0)) << x;
        EXPECT_EQ(play.panels.mProgress[3], 1.0f) << x;
    }
    // Free bricks of the colour go, chained ones stay.
    play.Paint({ "-3 -4 -3 -5", "-3 -c" });
    play.GetBrick(1, 1)->ClearFlag(kBrickChain);
    play.PutBrick(3, 1, 1)->SetFlag(kBrickChain);
    EXPECT_TRUE(play.UseBonus(kBonusMagnet, 0, 0));
    EXPECT_EQ(play.Count(3), 1);
    EXPECT_EQ(play.GetBrickCode(1, 1), 3);
    // Each taken brick's cell waits for its part of the sweep.
    EXPECT_GE(play.GetHoldBack(0, 0), 100);
    EXPECT_GE(play.GetHoldBack(2, 0), 100);
}

TEST_F(Actions, LightningPrefersBreakableCells)
{
    Swap play;
    std::vector<std::string> rows;
    for (int y = 0; y < 10; ++y)
        rows.push_back(y == 9 ? "o2 o2 o2 o2 o2 o2 o2 o2 o2 o2 " : Row("1212121212"));
    play.Paint(rows);
    play.Lightning(-300, -560);
    EXPECT_EQ(play.Running<GfxFluids>(), 20);
    int held = 0, heldBreakable = 0;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            if (play.GetHoldBack(x, y) > 0) {
                ++held;
                heldBreakable += y == 9;
            }
    EXPECT_EQ(held, 20);
    EXPECT_GE(heldBreakable, 6);
    play.Effects(150);
    EXPECT_EQ(play.Bricks(), 20);
    EXPECT_EQ(play.Running<GfxFluids>(), 0);
}

TEST_F(Actions, ChainPenaltyChainsAFreeBrick)
{
    Swap play;
    Full(play, "4");
    play.ChainPenalty(0.0f);
    play.Effects(60);
    int chained = 0;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            chained += play.IsChained(x, y);
    EXPECT_EQ(chained, 1);
}

} // namespace
