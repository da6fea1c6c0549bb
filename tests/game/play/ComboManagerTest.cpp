#include "game/play/ComboManager.h"
#include "game/play/ComboManagerListener.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class Log : public ComboManagerListener {
public:
    void ComboReached(int id, int count, int, int) override { events.push_back("reached " + Pair(id, count)); }
    void ComboEnded(int id, int count, int, int) override { events.push_back("ended " + Pair(id, count)); }
    static std::string Pair(int id, int count) { return std::to_string(id) + ":" + std::to_string(count); }
    std::vector<std::string> events;
};

void Ticks(ComboManager& combos, int n)
{
    for (int i = 0; i < n; ++i)
        combos.Update();
}

TEST(ComboManager, RunsReachAndEndByTheirWindows)
{
    Log log;
    ComboManager combos(&log);
    combos.AddType(0, 0.5f, 3);
    combos.Hit(0, 1, 1);
    Ticks(combos, 40);
    combos.Hit(0, 1, 1);
    Ticks(combos, 40);
    combos.Hit(0, 2, 2);
    combos.Hit(0, 2, 2);
    // Every hit at or above the threshold is reported.
    EXPECT_EQ(log.events, (std::vector<std::string>{ "reached 0:3", "reached 0:4" }));
    Ticks(combos, 50);
    EXPECT_EQ(log.events.size(), 2u);
    Ticks(combos, 2);
    EXPECT_EQ(log.events.back(), "ended 0:4");
    // The run starts again from 1.
    combos.Hit(0, 0, 0);
    EXPECT_EQ(combos.Find(0)->count, 1);
}

TEST(ComboManager, ShortRunsNeitherEndNorCarryOver)
{
    Log log;
    ComboManager combos(&log);
    combos.AddType(6, 0.4f, 5);
    combos.Hit(6, 0, 0);
    combos.Hit(6, 0, 0);
    Ticks(combos, 100);
    EXPECT_TRUE(log.events.empty());
    EXPECT_EQ(combos.Find(6)->count, 2);
    combos.Hit(6, 0, 0);
    EXPECT_EQ(combos.Find(6)->count, 1);
    // Unknown ids are ignored; adding an id again replaces the type.
    combos.Hit(9, 0, 0);
    combos.AddType(6, 1.0f, 2);
    EXPECT_EQ(combos.Find(6)->count, 0);
    EXPECT_FLOAT_EQ(combos.Find(6)->window, 1.0f);
}

TEST(ComboManager, FirstHitCountsAtOnce)
{
    // A new type's last time lies a whole window back, so its first hit
    // continues an (empty) run.
    Log log;
    ComboManager combos(&log);
    combos.AddType(1, 3.0f, 1);
    combos.Hit(1, 4, 5);
    EXPECT_EQ(log.events, (std::vector<std::string>{ "reached 1:1" }));
    EXPECT_EQ(combos.Find(1)->x, 4);
    EXPECT_EQ(combos.Find(1)->y, 5);
}

} // namespace
