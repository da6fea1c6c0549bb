#include "MatchTestSupport.h"
#include "framework/core/Random.h"
#include "game/match/SolverChain.h"
#include "game/match/SolverListener.h"
#include "game/match/SolverSwap.h"

#include <gtest/gtest.h>

namespace {

class HintLog : public SolverListener {
public:
    void ShowHint(int count, const int* cells) override { hints.emplace_back(cells, cells + count); }
    std::vector<std::vector<int>> hints;
};

// No two neighbours share a colour and no swap makes a line.
const std::vector<std::string> kStuck = {
    "1234", "3412", "1234", "3412",
};

TEST(SolverSwap, StuckBoardHasNoMovesAndNoHint)
{
    TestField field;
    Paint(field, kStuck);
    HintLog log;
    SolverSwap solver(&field, &log);
    EXPECT_EQ(solver.Solve(), 0);
    for (int i = 0; i < 601; ++i)
        solver.Tick();
    EXPECT_TRUE(log.hints.empty());
    EXPECT_EQ(solver.GetIdle(), -600);
}

TEST(SolverSwap, HintComesOnThe601stIdleTick)
{
    TestField field;
    Paint(field, { "1123", "3412" }); // (2,1)=1 swaps up into (2,0): 1 1 1
    HintLog log;
    SolverSwap solver(&field, &log);
    EXPECT_EQ(solver.Solve(), 1);
    EXPECT_EQ(solver.GetMark(2, 0), 1);
    EXPECT_EQ(solver.GetMark(2, 1), 1);
    for (int i = 0; i < 600; ++i)
        solver.Tick();
    EXPECT_TRUE(log.hints.empty());
    solver.Tick();
    ASSERT_EQ(log.hints.size(), 1u);
    EXPECT_EQ(log.hints[0], (std::vector<int>{ 2, 12 }));
    EXPECT_EQ(solver.GetIdle(), -600);
    for (int i = 0; i < 1200; ++i)
        solver.Tick();
    EXPECT_EQ(log.hints.size(), 1u);
    solver.Tick();
    EXPECT_EQ(log.hints.size(), 2u);
    solver.ResetIdle();
    EXPECT_EQ(solver.GetIdle(), 0);
}

TEST(SolverSwap, LineAfterSwapHonoursBoxesChainsAndJokers)
{
    struct Case {
        const char* name;
        char middle;    // brick at (1, 0)
        uint32_t flags; // on (1, 0)
        bool line;
    };
    const Case cases[] = {
        { "plain", '1', 0, true },
        { "boxed breaks the line", '1', kBrickBox, false },
        { "chained still counts", '1', kBrickChain, true },
        { "joker does not match red", 'J', 0, false },
    };
    for (const Case& c : cases) {
        TestField field;
        Paint(field, { std::string("2") + c.middle + "13", "1" });
        field.GetBrick(1, 0)->SetFlag(c.flags);
        SolverSwap solver(&field, nullptr);
        // The red brick of (0, 1) arriving at (0, 0).
        EXPECT_EQ(solver.LineAfterSwap(0, 0, 0, 1, 1), c.line) << c.name;
        EXPECT_EQ(solver.Solve(), c.line ? 1 : 0) << c.name;
    }
}

TEST(SolverSwap, LineAfterSwapStopsAtTheCellSwappedFrom)
{
    TestField field;
    Paint(field, { "1213" });
    SolverSwap solver(&field, nullptr);
    EXPECT_FALSE(solver.LineAfterSwap(1, 0, 0, 0, 1));
    EXPECT_TRUE(solver.LineAfterSwap(1, 0, 1, 1, 1));
}

TEST(Solver, OppositeDirections)
{
    const int expected[] = { 0, 3, 4, 1, 2, 0 };
    for (int d = 0; d <= 5; ++d)
        EXPECT_EQ(Opposite(d), expected[d]) << d;
    EXPECT_EQ(Opposite(-1), 0);
}

TEST(SolverChain, GroupsJoinThroughFourNeighboursOnly)
{
    struct Case {
        const char* name;
        std::vector<std::string> rows;
        int moves;
    };
    const Case cases[] = {
        { "diagonal does not join", { "1.", ".1", "..1" }, 0 },
        { "L shape", { "11", ".1" }, 1 },
        { "joker completes two red", { "1J1" }, 1 },
        { "two apart", { "11.11" }, 0 },
        { "key joins nothing", { "1K1" }, 0 },
        { "two groups", { "111.222" }, 2 },
        // A group with branches is one move however the search enters it.
        { "plus", { ".1.", "111", ".1." }, 1 },
        { "comb", { "1.1.1", "11111" }, 1 },
        { "long arms",
          { "....1....", "....1....", "....1....", "....1....", "111111111", "....1....", "....1....",
            "....1....", "....1...." },
          1 },
        { "fork", { "1111111", "...1...", "...1...", "...1..." }, 1 },
        { "ring", { "111", "1.1", "111" }, 1 },
    };
    for (const Case& c : cases) {
        TestField field;
        Paint(field, c.rows);
        SolverChain solver(&field, nullptr);
        EXPECT_EQ(solver.Solve(), c.moves) << c.name;
    }
}

TEST(SolverChain, BoxedBrickJoinsNoGroupAndHintListsTheGroup)
{
    TestField field;
    Paint(field, { "111", "1.." });
    field.GetBrick(0, 1)->SetFlag(kBrickBox);
    HintLog log;
    SolverChain solver(&field, &log);
    Kivo::SeedRandomInt(1);
    for (int i = 0; i < 601; ++i)
        solver.Tick();
    EXPECT_EQ(solver.GetMoveCount(), 1);
    ASSERT_EQ(log.hints.size(), 1u);
    EXPECT_EQ(log.hints[0], (std::vector<int>{ 0, 1, 2 }));
}

} // namespace
