#include "tools/match3sim/Sim.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

class EveryLevel : public ::testing::TestWithParam<std::tuple<int, int>> {};

// Each level of the data set is played to its end in each mode; a run that
// needs more moves than the limit has stalled.
TEST_P(EveryLevel, IsWon)
{
    match3sim::Options options;
    options.level = std::get<0>(GetParam());
    options.mode = std::get<1>(GetParam());
    options.seed = static_cast<uint32_t>(options.level * 7 + options.mode);
    options.moveLimit = 600;
    match3sim::Result r = match3sim::PlayLevel(KIVO_DATA_DIR, options);
    ASSERT_TRUE(r.loaded);
    EXPECT_TRUE(r.won) << r.end << " after " << r.moves << " moves";
    EXPECT_GT(r.scoreBricks, 0);
}

std::string RunName(const ::testing::TestParamInfo<std::tuple<int, int>>& info)
{
    static const char* kModes[] = { "", "swap", "group", "chain" };
    return "level" + std::to_string(std::get<0>(info.param)) + "_" + kModes[std::get<1>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(DataSet, EveryLevel, ::testing::Combine(::testing::Range(1, 41), ::testing::Values(1, 2, 3)),
                         RunName);

TEST(Match3Sim, RunsRepeatExactly)
{
    struct Case {
        int level, mode;
        uint32_t seed, checksum;
        int moves;
    };
    const Case cases[] = {
        { 1, 1, 7, 0x578942a4u, 44 },
        { 12, 2, 3, 0xe3df0af3u, 58 },
        { 27, 3, 99, 0x1b2674fbu, 92 },
    };
    for (const Case& c : cases) {
        match3sim::Options options;
        options.level = c.level;
        options.mode = c.mode;
        options.seed = c.seed;
        match3sim::Result r = match3sim::PlayLevel(KIVO_DATA_DIR, options);
        EXPECT_TRUE(r.won) << c.level;
        EXPECT_EQ(r.checksum, c.checksum) << c.level;
        EXPECT_EQ(r.moves, c.moves) << c.level;
    }
}

TEST(Match3Sim, MissingLevelIsNeverWon)
{
    match3sim::Options options;
    options.level = 999;
    match3sim::Result r = match3sim::PlayLevel(KIVO_DATA_DIR, options);
    EXPECT_FALSE(r.loaded);
    EXPECT_FALSE(r.won);
    EXPECT_EQ(r.end, std::string("level not loaded: no level999 in ") + KIVO_DATA_DIR + "/main.pak");
    r = match3sim::PlayLevel("/nonexistent", match3sim::Options());
    EXPECT_FALSE(r.won);
    EXPECT_EQ(r.end, "level not loaded: cannot read /nonexistent/main.pak");
}

TEST(Match3Sim, WithoutBonusesToo)
{
    match3sim::Options options;
    options.level = 30;
    options.mode = 1;
    options.useBonuses = false;
    options.logMoves = true;
    match3sim::Result r = match3sim::PlayLevel(KIVO_DATA_DIR, options);
    EXPECT_TRUE(r.won) << r.end;
    EXPECT_EQ(r.totalBonuses, 0);
    EXPECT_EQ(static_cast<int>(r.log.size()), r.moves);
}

} // namespace
