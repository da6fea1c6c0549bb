#include "framework/graphics/MemoryImage.h"
#include "game/ui/LabelScoreCounter.h"
#include "game/ui/LineWithEffects.h"
#include "game/ui/UiEffects.h"
#include "tests/support/FakeApp.h"
#include "tests/support/RecordingImage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using Log = std::vector<std::string>;

// Effects that log what is asked of them.
class LogEffects : public UiEffectsFactory {
public:
    struct List : UiEffectList {
        explicit List(Log* log) : log(log) {}
        void Process() override {}
        void UpdateF(float) override {}
        void Draw(Kivo::Graphics*) override {}
        void AddPyroSystem(const std::string& name, int x, int y) override
        {
            log->push_back(name + " " + std::to_string(x) + "," + std::to_string(y));
        }
        Log* log;
    };
    struct Emitter : UiEmitter {
        explicit Emitter(Log* log) : log(log) {}
        void Start() override { log->push_back("start"); }
        void Stop(bool drop) override { log->push_back(drop ? "stop drop" : "stop"); }
        void SetPosition(float x, float) override { lastX = x; }
        void UpdateF(float) override {}
        void Draw(Kivo::Graphics*) override {}
        Log* log;
        float lastX = -1;
    };
    UiEffectList* NewEffectList() override { return new List(&log); }
    UiEmitter* NewEmitter(const std::string& name) override
    {
        log.push_back("emitter " + name);
        return emitter = new Emitter(&log);
    }

    LogEffects() { SetUiEffects(this); }
    ~LogEffects() override { SetUiEffects(nullptr); }
    Log log;
    Emitter* emitter = nullptr;
};

class Listener : public LabelScoreListener {
public:
    void CountStarted(int id) override { log.push_back("started " + std::to_string(id)); }
    void CountFinished(int id) override { log.push_back("finished " + std::to_string(id)); }
    Log log;
};

class Counter : public ::testing::Test {
protected:
    Counter() { app.mManager.AddWidget(&counter); }
    ~Counter() override { app.mManager.RemoveWidget(&counter); }

    FakeApp app;
    LogEffects effects;
    Listener listener;
    LabelScoreCounter counter{4, nullptr, "Bricks", &listener};
};

TEST_F(Counter, CountsInA180StepsAfterItsDelayWithBurstsAtStartAndEnd)
{
    counter.Resize(0, 0, 300, 40);
    counter.StartCount(900, 0.5f);
    EXPECT_GT(std::abs(counter.mSwing.GetX()), 79.9f);
    app.Steps(49);
    EXPECT_TRUE(listener.log.empty());
    EXPECT_EQ(counter.mCount.mCurrent, 0.0f);
    app.Steps(1); // the delay ends and the first step of the count follows at once
    EXPECT_EQ(listener.log, Log{"started 4"});
    app.Steps(89);
    EXPECT_NEAR(counter.mCount.mCurrent, 450, 0.5);
    EXPECT_TRUE(counter.IsCounting());
    app.Steps(90);
    EXPECT_EQ(listener.log, (Log{"started 4", "finished 4"}));
    EXPECT_FALSE(counter.IsCounting());
    EXPECT_EQ(effects.log, (Log{"counter_appear 150,20", "counter_one_done 260,15"}));
}

TEST_F(Counter, AZeroCountStillStartsAndFinishes)
{
    counter.StartCount(0, 0);
    app.Step();
    EXPECT_EQ(listener.log, (Log{"started 4", "finished 4"}));
    EXPECT_EQ(static_cast<int>(counter.mCount.mCurrent), 0);
}

TEST_F(Counter, ANegativeCountEndsToo)
{
    counter.StartCount(-180, 0);
    app.Steps(181);
    EXPECT_EQ(listener.log, (Log{"started 4", "finished 4"}));
    EXPECT_EQ(counter.mCount.mCurrent, -180.0f);
}

// Skipping tells the listener only of a count on its way. One still in its
// delay has not started: it is put on its target silently, and a target of
// 0 finishes once on the next update.
TEST_F(Counter, SkipToEndTellsOnlyWhileTheCountMoves)
{
    struct Case {
        const char* name;
        int target;
        float delaySeconds;
        int stepsBeforeSkip;
        Log atSkip;   // heard from the start through the skip
        Log afterIt;  // heard in the updates after the skip
    };
    const Case cases[] = {
        {"delayed", 500, 1, 0, {}, {}},
        {"delayed, target 0", 0, 1, 0, {}, {"finished 4"}},
        {"counting", 500, 0, 10, {"started 4", "finished 4"}, {}},
        {"finished", 500, 0, 200, {"started 4", "finished 4"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A new counter, as each showing of the window builds them.
        Listener heard;
        LabelScoreCounter fresh{4, nullptr, "Bricks", &heard};
        app.mManager.AddWidget(&fresh);
        fresh.StartCount(c.target, c.delaySeconds);
        app.Steps(c.stepsBeforeSkip);
        fresh.SkipToEnd();
        EXPECT_EQ(heard.log, c.atSkip);
        EXPECT_EQ(fresh.mCount.mCurrent, static_cast<float>(c.target));
        heard.log.clear();
        app.Steps(5);
        EXPECT_EQ(heard.log, c.afterIt);
        EXPECT_FALSE(fresh.IsCounting());
        app.mManager.RemoveWidget(&fresh);
    }
}

TEST(LineWithEffects, GrowsWithItsTrailAndHidesAtOnce)
{
    FakeApp app;
    LogEffects effects;
    Kivo::MemoryImage image;
    image.Create(200, 6);
    RecordingImage screen(800, 600);
    app.mManager.mScreenImage = &screen;
    LineWithEffects line(&image, 10, 50);
    EXPECT_EQ(line.mWidth, 200);
    app.mManager.AddWidget(&line);

    line.Show(true, true);
    app.Steps(25);
    EXPECT_FLOAT_EQ(effects.emitter->lastX, 100.0f);
    app.mManager.MarkAllDirty();
    app.mManager.DrawScreen();
    ASSERT_EQ(screen.mOps.size(), 1u);
    EXPECT_EQ(screen.mOps[0].mRect, Kivo::Rect(10, 50, 100, 6));
    app.Steps(30);
    // Emitting stops once the line is whole (particles out live on).
    ASSERT_GE(effects.log.size(), 3u);
    EXPECT_EQ(effects.log[1], "start");
    for (size_t i = 2; i < effects.log.size(); ++i)
        EXPECT_EQ(effects.log[i], "stop");

    line.Show(false, false);
    EXPECT_EQ(effects.log.back(), "stop drop");
    screen.mOps.clear();
    app.mManager.MarkAllDirty();
    app.mManager.DrawScreen();
    EXPECT_TRUE(screen.mOps.empty());
    app.mManager.RemoveWidget(&line);
}

} // namespace
