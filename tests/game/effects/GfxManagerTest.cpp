#include "game/effects/GfxDelay.h"
#include "game/effects/GfxManager.h"
#include "game/effects/GfxPlaySample.h"
#include "game/ui/Callback.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

// An effect that logs what the manager does to it and returns scripted
// process results (the last one repeats).
struct Probe : gfxBase {
    Probe(std::vector<std::string>* log, std::string id, std::vector<int> results, bool starts = true)
        : mLog(log), mId(std::move(id)), mResults(std::move(results)), mStarts(starts)
    {
    }
    ~Probe() override { mLog->push_back("~" + mId); }
    bool start() override
    {
        mLog->push_back("start " + mId);
        return mStarts;
    }
    int process() override
    {
        mLog->push_back("process " + mId);
        if (mOnProcess)
            mOnProcess(this);
        int r = mResults[std::min(mCalls, mResults.size() - 1)];
        ++mCalls;
        return r;
    }
    void update(float) override { mLog->push_back("update " + mId); }
    void draw(Kivo::Graphics*) override { mLog->push_back("draw " + mId); }
    std::string name() override { return mId; }
    void onMessage(const std::string& m) override { mLog->push_back(mId + " got " + m); }

    std::vector<std::string>* mLog;
    std::string mId;
    std::vector<int> mResults;
    bool mStarts;
    size_t mCalls = 0;
    std::function<void(Probe*)> mOnProcess;
};

using Log = std::vector<std::string>;

TEST(GfxManager, BarrierHoldsLaterEffectsButStartedOnesStillUpdateAndDraw)
{
    Log log;
    GfxManager m;
    auto* a = new Probe(&log, "a", {0, -2});
    m.addEffect(a);
    m.addEffect(new Probe(&log, "b", {0}));
    m.processEffects(); // both start
    log.clear();
    m.processEffects(); // a holds b
    m.updateEffects(1);
    m.drawEffects(nullptr);
    EXPECT_EQ(log, (Log{"process a", "update a", "update b", "draw a", "draw b"}));
}

TEST(GfxManager, NotStartedEffectsAreNeitherUpdatedNorDrawn)
{
    Log log;
    GfxManager m;
    m.addEffect(new Probe(&log, "a", {-2}));
    m.addEffect(new Probe(&log, "b", {0}));
    m.processEffects();
    m.updateEffects(1);
    m.drawEffects(nullptr);
    EXPECT_EQ(log, (Log{"start a", "process a", "update a", "draw a"}));
}

TEST(GfxManager, FollowUpsAreSplicedBehindTheirReleaserAndRunInTheSameStep)
{
    Log log;
    GfxManager m;
    auto* a = new Probe(&log, "a", {-1});
    a->mOnProcess = [&](Probe* p) {
        p->addNext(new Probe(&log, "f1", {0}));
        p->addNext(new Probe(&log, "f2", {0}));
    };
    m.addEffect(a);
    m.addEffect(new Probe(&log, "b", {0}));
    m.processEffects();
    EXPECT_EQ(log, (Log{"start a", "process a", "~a", "start f1", "process f1", "start f2", "process f2",
                        "start b", "process b"}));
    log.clear();
    m.drawEffects(nullptr);
    EXPECT_EQ(log, (Log{"draw f1", "draw f2", "draw b"}));
}

TEST(GfxManager, FollowUpsOfABarrierWaitForTheNextStep)
{
    Log log;
    GfxManager m;
    auto* a = new Probe(&log, "a", {-2, -1});
    a->mOnProcess = [&](Probe* p) {
        if (p->mCalls == 0)
            p->addNext(new Probe(&log, "f", {0}));
    };
    m.addEffect(a);
    m.processEffects();
    EXPECT_EQ(log, (Log{"start a", "process a"}));
    log.clear();
    m.processEffects();
    EXPECT_EQ(log, (Log{"process a", "~a", "start f", "process f"}));
}

TEST(GfxManager, FailedStartDeletesAtOnceAndFrontInsertionComesFirst)
{
    Log log;
    {
        GfxManager m;
        m.addEffect(new Probe(&log, "x", {0}, false));
        m.addEffect(new Probe(&log, "b", {0}));
        m.addEffect(new Probe(&log, "a", {0}), true);
        m.addEffect(nullptr);
        m.processEffects();
        EXPECT_EQ(m.size(), 2u);
        m.drawEffects(nullptr);
        EXPECT_EQ(log, (Log{"start a", "process a", "start x", "~x", "start b", "process b", "draw a", "draw b"}));
        log.clear();
    }
    EXPECT_EQ(log, (Log{"~a", "~b"}));
}

TEST(GfxManager, NamesFindEffectsExactly)
{
    Log log;
    GfxManager m;
    m.addEffect(new Probe(&log, "fly", {0}));
    m.addEffect(new Probe(&log, "Fly", {0}));
    m.addEffect(new Probe(&log, "fly", {0}));
    EXPECT_TRUE(m.sendEffectMessage("fly", "kill"));
    EXPECT_FALSE(m.sendEffectMessage("none", "kill"));
    EXPECT_EQ(log, (Log{"fly got kill", "fly got kill"}));
    EXPECT_TRUE(m.removeEffectsByName("fly"));
    EXPECT_FALSE(m.removeEffectsByName("fly"));
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m.mEffects.front()->name(), "Fly");
}

TEST(gfxBase, DestroyingAnEffectDeletesItsQueuedFollowUps)
{
    Log log;
    auto* a = new Probe(&log, "a", {0});
    a->addNext(new Probe(&log, "f", {0}));
    delete a;
    EXPECT_EQ(log, (Log{"~a", "~f"}));
}

// Runs `steps` update steps of one tick each; returns how many ran before
// the probe behind the delay was first processed.
int StepsUntilProcessed(GfxManager& m, Log& log, int steps)
{
    for (int i = 0; i < steps; ++i) {
        m.processEffects();
        m.updateEffects(1);
        for (const auto& e : log)
            if (e == "process b")
                return i;
    }
    return -1;
}

TEST(GfxDelay, PlainDelayHoldsTheListUnlessNonBlocking)
{
    struct Case {
        bool nonBlocking;
        int firstStep;
    } cases[] = {{false, 10}, {true, 0}};
    for (const Case& c : cases) {
        Log log;
        GfxManager m;
        if (c.nonBlocking)
            m.addEffect(new GfxDelay(0.095f, true));
        else
            m.addEffect(new GfxDelay(0.095f));
        m.addEffect(new Probe(&log, "b", {0}));
        EXPECT_EQ(StepsUntilProcessed(m, log, 50), c.firstStep) << c.nonBlocking;
    }
}

TEST(GfxDelay, ReleasesItsNextEffectDirectlyBehindItself)
{
    Log log;
    GfxManager m;
    m.addEffect(new GfxDelay(0.02f, static_cast<gfxBase*>(new Probe(&log, "n", {0}))));
    m.addEffect(new Probe(&log, "b", {0}));
    m.processEffects();
    m.updateEffects(1);
    m.processEffects();
    m.updateEffects(1);
    EXPECT_EQ(m.size(), 2u);
    log.clear();
    m.processEffects();
    EXPECT_EQ(log, (Log{"start n", "process n", "process b"}));
    EXPECT_EQ(m.size(), 2u);
    EXPECT_EQ(m.mEffects.front()->name(), "n");
}

struct Counter {
    GfxManager* mManager;
    int mCalls = 0;
    void Fire()
    {
        ++mCalls;
        // A nested pass meets the firing delay as a barrier.
        mManager->processEffects();
    }
};

TEST(GfxDelay, CallbackRunsOnceEvenWithANestedPass)
{
    Log log;
    GfxManager m;
    Counter counter{&m};
    m.addEffect(new GfxDelay(0.0f, new CB_Callback<Counter, void>(&counter, &Counter::Fire)));
    m.addEffect(new Probe(&log, "b", {0}));
    m.processEffects();
    EXPECT_EQ(counter.mCalls, 1);
    EXPECT_EQ(log, (Log{"start b", "process b"}));
    EXPECT_EQ(m.size(), 1u);
}

TEST(GfxDelay, UnreleasedCallbackAndNextEffectAreDeleted)
{
    Log log;
    {
        GfxDelay d(5.0f, static_cast<gfxBase*>(new Probe(&log, "n", {0})));
    }
    EXPECT_EQ(log, (Log{"~n"}));
}

TEST(GfxPlaySample, MissingSoundNeverStarts)
{
    GfxManager m;
    m.addEffect(new GfxPlaySample("SOUND_NOT_THERE", 10));
    m.processEffects();
    EXPECT_TRUE(m.empty());
}

} // namespace
