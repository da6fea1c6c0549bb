#include "tests/game/play/GamePlayTestSupport.h"

#include "game/effects/GfxSwirlText.h"
#include "game/match/BrickColored.h"
#include "game/match/ISolver.h"
#include "game/match/LevelMap.h"
#include "game/ui/Callback.h"

#include <gtest/gtest.h>

using namespace playtest;

namespace {

class Counter {
public:
    void Hit() { ++n; }
    int n = 0;
};

class Base : public ::testing::Test {
protected:
    void SetUp() override
    {
        Kivo::SeedRandomInt(5);
        GamePlayBase::ResetSharedState();
    }
    template <class P>
    void Load(P& play, const std::vector<std::string>& rows)
    {
        play.Paint(rows);
        LevelMap map(0, 0);
        play.StoreLevelMap(map);
        play.LoadLevelMap(map);
        play.SetLevelDoneCallback(new CB_Callback<Counter, void>(&done, &Counter::Hit));
    }
    CurrentProfile profile;
    Counter done;
};

// Rows with no line and no group of three: colours by (x + 2y) mod 4.
std::vector<std::string> Quiet(int rows = 10)
{
    std::vector<std::string> out;
    for (int y = 0; y < rows; ++y) {
        std::string row;
        for (int x = 0; x < 10; ++x)
            row += std::string("-") + static_cast<char>('1' + (x + 2 * y) % 4) + " ";
        out.push_back(row);
    }
    return out;
}

TEST_F(Base, KeyStatesAtLoad)
{
    struct Case {
        const char* what;
        std::vector<std::string> rows;
        int state;
    };
    const Case cases[] = {
        { "plain", { "-1 -2 -3" }, 0 },
        { "cells to break", { "o1 O2 -3" }, 3 },
        { "a way to the hole", { "S1 o2", "k1 -2", "H3 -1" }, 1 },
        { "a start with no way", { "S1 o2", "-1 -2", "H3 -1" }, kNoKey },
        { "the key and nothing to break", { "SK -2", "k1 -2", "H3 -1" }, kKeyInPlay },
    };
    for (const Case& c : cases) {
        Group play;
        Load(play, c.rows);
        EXPECT_EQ(play.GetKeyState(), c.state) << c.what;
    }
}

TEST_F(Base, LevelEnds)
{
    {
        // Nothing to break: won on the first quiet, active tick, once.
        Group play;
        Load(play, Quiet());
        play.Update();
        EXPECT_EQ(done.n, 1);
        play.NotifyLevelDone();
        EXPECT_EQ(done.n, 1);
    }
    done.n = 0;
    {
        // A hole but no key start: won once the last cell is broken.
        Group play;
        auto rows = Quiet();
        rows[5].replace(0, 1, "o");
        rows[9].replace(0, 1, "H");
        Load(play, rows);
        play.Run(50);
        EXPECT_EQ(done.n, 0);
        // The selection survives ticks while cells remain.
        play.mSelX = 3;
        play.mSelY = 3;
        play.Run(5);
        EXPECT_EQ(play.mSelX, 3);
        for (int i = 0; i < 1000 && play.DestroyAt(0, 5, 0) == 0; ++i)
            play.Run(1);
        play.Settle();
        play.Update();
        EXPECT_EQ(done.n, 1);
        EXPECT_EQ(play.GetKeyState(), kNoKey);
    }
}

TEST_F(Base, BonusGameKeyTravelsToTheHole)
{
    SetProfileInt("score_level_bonusgame", 12);
    Group play;
    auto rows = Quiet();
    rows[0].replace(12, 1, "S");
    rows[1].replace(12, 1, "k");
    rows[2].replace(12, 1, "H");
    Load(play, rows);
    play.Update();
    EXPECT_EQ(play.GetKeyState(), kKeyInPlay);
    EXPECT_EQ(play.GetBrickCode(4, 0), kBrickKey);
    EXPECT_GE(play.GetHoldBack(4, 0), 40);
    play.Settle();
    play.DestroyAt(4, 1, 0);
    play.DestroyAt(4, 2, 0);
    play.Settle();
    for (int i = 0; i < 200 && done.n == 0; ++i)
        play.Update(), play.UpdateF(1.0f);
    EXPECT_EQ(play.GetBrickCode(4, 2), kBrickKey);
    EXPECT_EQ(done.n, 1);
}

TEST_F(Base, PrepareResolvesLevelColours)
{
    Group play;
    play.SetColors({ 7, 8 });
    LevelMap map(4, 1);
    map.SetCell(0, 0, 254, 1, 0, 0);
    map.SetCell(1, 0, 253, 1, 0, 0);
    map.SetCell(2, 0, 252, 1, 0, 0);
    map.SetCell(3, 0, 255, 1, 0, 0);
    play.PrepareLevelMap(map);
    const uint8_t expected[] = { 7, 8, 0, 255 };
    for (int x = 0; x < 4; ++x) {
        uint8_t code = 0;
        map.GetCell(x, 0, &code, nullptr, nullptr, nullptr);
        EXPECT_EQ(code, expected[x]) << x;
    }
}

TEST_F(Base, LoadCountsHitsAndFitsTheBoard)
{
    Group play;
    LevelMap big(15, 15);
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 15; ++x)
            big.SetCell(x, y, 3, 1, 0, x == 1 ? 24 : x == 2 ? 8 : 0);
    play.LoadLevelMap(big);
    // Ten rows of the board: 2 + 1 hits a row; the rest of the map is cut.
    EXPECT_EQ(play.GetKeyState(), 30);
    LevelMap small(3, 2);
    small.SetCell(0, 0, 0, 1, 0, 8);
    play.LoadLevelMap(small);
    EXPECT_EQ(play.GetKeyState(), 1);
    EXPECT_EQ(play.GetCellKind(0, 0), 1);
    EXPECT_EQ(play.GetCellKind(5, 5), 0);
    EXPECT_NE(play.GetBrickCode(0, 0), 0); // code 0 draws a level colour
}

TEST_F(Base, RandomBricks)
{
    Swap swap;
    swap.SetColors({ 1, 2, 3 });
    int previous = -1;
    for (int i = 0; i < 300; ++i) {
        BrickBase* brick = swap.CreateRandomBrick();
        EXPECT_NE(brick->GetCode(), previous);
        previous = brick->GetCode();
        delete brick;
    }
    // One colour, or none, never loops.
    swap.SetColors({ 4 });
    for (int i = 0; i < 3; ++i) {
        BrickBase* brick = swap.CreateRandomBrick();
        EXPECT_EQ(brick->GetCode(), 4);
        delete brick;
    }
    swap.SetColors({});
    BrickBase* none = swap.CreateRandomBrick();
    EXPECT_EQ(none->GetCode(), 0);
    delete none;
    // A remembered index beyond fewer colours is never used.
    Group group;
    group.SetColors({ 1, 2, 3, 4, 5 });
    for (int i = 0; i < 50; ++i)
        delete group.CreateRandomBrick();
    group.SetColors({ 6, 7 });
    for (int i = 0; i < 100; ++i) {
        BrickBase* brick = group.CreateRandomBrick();
        EXPECT_TRUE(brick->GetCode() == 6 || brick->GetCode() == 7);
        delete brick;
    }
}

TEST_F(Base, BigMatchesByMode)
{
    struct Case {
        int mode, count, bonus, flares;
    };
    // Flares: one to the colour's slot, four more on a bigger match; a big
    // match also sends an energizer.
    const Case cases[] = {
        { 1, 4, 0, 1 }, { 1, 5, 10, 2 }, { 1, 9, 10, 2 }, { 2, 6, 0, 1 }, { 2, 7, 10, 2 },
        { 2, 9, 20, 5 }, { 3, 5, 0, 1 }, { 3, 6, 10, 2 }, { 3, 8, 20, 5 },
    };
    for (const Case& c : cases) {
        SetProfileInt("score_level_bonus", 0);
        std::unique_ptr<GamePlayBase> play(c.mode == 1 ? static_cast<GamePlayBase*>(new Swap)
                                                       : c.mode == 2 ? static_cast<GamePlayBase*>(new Group)
                                                                     : static_cast<GamePlayBase*>(new Chain));
        LevelMap map(10, 10);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x)
                map.SetCell(x, y, static_cast<uint8_t>(1 + (x + 2 * y) % 4), 1, 0, y == 0 ? 8 : 0);
        play->LoadLevelMap(map);
        play->BricksRemoved(5, 5, 1, c.count);
        EXPECT_EQ(GetProfileInt("score_level_bonus"), c.bonus) << c.mode << " " << c.count;
        EXPECT_EQ(RunningEffects<GfxFastFlare>(*play) + RunningEffects<GfxEnergizerFly>(*play), c.flares)
            << c.mode << " " << c.count;
        // The blast takes the bricks around the cell.
        EXPECT_EQ(play->GetBrickCode(5, 5) == 0, c.bonus > 0);
        EXPECT_EQ(play->GetBrickCode(3, 5) == 0, c.bonus == 20);
    }
}

TEST_F(Base, ComboAwards)
{
    Swap play;
    ComboManager& combos = play.GetCombos();
    combos.Hit(1, 2, 2);
    combos.Hit(1, 2, 2);
    EXPECT_EQ(GetProfileInt("score_level_combo"), 10);
    for (int i = 0; i < 3; ++i)
        combos.Hit(0, 1, 1);
    for (int i = 0; i < 160; ++i)
        combos.Update();
    EXPECT_EQ(GetProfileInt("score_level_combo"), 22);
    for (int i = 0; i < 3; ++i)
        combos.Hit(5, 1, 1);
    for (int i = 0; i < 110; ++i)
        combos.Update();
    EXPECT_EQ(GetProfileInt("score_level_bonus"), 12);
}

TEST_F(Base, SlotProgressArrives)
{
    Swap play;
    play.panels.mProgress[1] = 0.9f;
    play.FlareArrived(1);
    EXPECT_FLOAT_EQ(play.panels.mProgress[1], 1.0f);
    EXPECT_EQ(play.Running<GfxEnergizerFly>(), 0);
    play.panels.mProgress[1] = 1.4f;
    play.FlareArrived(1);
    EXPECT_FLOAT_EQ(play.panels.mProgress[1], 1.0f);
    EXPECT_EQ(play.Running<GfxEnergizerFly>(), 1);
    // A flare flies only while the level is in play.
    play.mHitsLeft = 0;
    play.BonusSlotProgress(1, 2, 2);
    EXPECT_EQ(play.Running<GfxFastFlare>(), 0);
    play.mHitsLeft = 4;
    play.BonusSlotProgress(1, 2, 2);
    play.BonusSlotProgress(-1, 2, 2);
    EXPECT_EQ(play.Running<GfxFastFlare>(), 1);
}

TEST_F(Base, NoMoves)
{
    struct Case {
        const char* what;
        const char* row;
        bool shuffled, boxesHit, unchained;
    };
    const Case cases[] = {
        { "eight free bricks", "-1 -2 -3 -1 -2 -3 -1 -2", true, false, false },
        { "seven and boxes", "-1 -2 -3 -1 -2 -3 -1 -b -b", false, true, false },
        { "seven and chains", "-1 -2 -3 -1 -2 -3 -1 -c -c", false, false, true },
    };
    for (const Case& c : cases) {
        Swap play;
        Load(play, { c.row });
        auto count = [&play](bool (GamePlayMovement::*test)(int, int) const) {
            int n = 0;
            for (int x = 0; x < 10; ++x)
                n += (play.*test)(x, 0);
            return n;
        };
        int boxes = count(&GamePlayMovement::IsBoxed), chains = count(&GamePlayMovement::IsChained);
        play.Update();
        ASSERT_EQ(play.GetMoveCount(), 0) << c.what;
        int held = 0;
        for (int x = 0; x < 10; ++x)
            held += play.GetHoldBack(x, 0) > 50;
        EXPECT_EQ(held > 0, c.shuffled) << c.what;
        EXPECT_EQ(play.Running<GfxSwirlText>(), c.shuffled ? 1 : 0) << c.what;
        EXPECT_EQ(count(&GamePlayMovement::IsBoxed) < boxes, c.boxesHit) << c.what;
        EXPECT_EQ(count(&GamePlayMovement::IsChained) < chains, c.unchained) << c.what;
    }
}

TEST_F(Base, LandingSoundAtMostOncePerFiveTicks)
{
    Swap play;
    int played = 0;
    for (int tick = 100; tick < 120; ++tick) {
        play.mTick = tick;
        for (int i = 0; i < 3; ++i)
            play.BrickLanded(0, 0);
        played += play.playedThisTick.count("SOUND_BRICK_LANDED") > 0;
        play.playedThisTick.clear();
    }
    EXPECT_EQ(played, 4);
}

TEST_F(Base, HintsMarkTheMove)
{
    Group play;
    Load(play, { "-1 -1 -1 -2" });
    const int cells[] = { 0, 1, 2, 250 };
    play.ShowHint(4, cells);
    EXPECT_TRUE(static_cast<BrickColored*>(play.GetBrick(1, 0))->IsStateOn(4));
    EXPECT_FALSE(static_cast<BrickColored*>(play.GetBrick(3, 0))->IsStateOn(4));
}

TEST_F(Base, DebugKeysNeedTheSetting)
{
    Swap play;
    Load(play, Quiet());
    play.CellEnter(2, 2);
    for (int key : { int('C'), int('B'), int('E'), 13 })
        play.KeyDown(key);
    EXPECT_EQ(play.GetBrickFlags(2, 2), 0u);
    EXPECT_EQ(done.n, 0);
}

} // namespace

namespace {

TEST(Rotation, WayTargetFollowsTheHole)
{
    CurrentProfile profile;
    for (int k : { 1, 2, 3, 4, -1, -2, -3, -4 }) {
        Group play;
        auto rows = Quiet();
        rows[7].replace(6, 1, "H");
        play.Paint(rows);
        LevelMap map(0, 0);
        play.StoreLevelMap(map);
        play.LoadLevelMap(map);
        play.BeginRotate(0);
        play.Rotate(k);
        int q = ((k % 4) + 4) % 4;
        play.SetFieldOffset(static_cast<float>(q) * 1.5707964f, 1.0f);
        int x = -1, y = -1;
        ASSERT_TRUE(play.mWay.GetTargetCell(x, y)) << k;
        EXPECT_TRUE(play.GetCellFlags(x, y) & kCellHole) << k << ": " << x << "," << y;
    }
}

} // namespace
