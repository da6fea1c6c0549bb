#include "framework/graphics/Graphics.h"
#include "game/ui/BaseScreen.h"
#include "game/ui/Callback.h"
#include "game/ui/FullscreenFadder.h"
#include "game/ui/GameStateManager.h"
#include "tests/support/FakeApp.h"
#include "tests/support/LogWidget.h"
#include "tests/support/RecordingImage.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

// A stored call that runs a function and counts its runs and deletions.
struct Counts {
    int invoked = 0;
    int deleted = 0;
};

class CountingCall : public baseCallback {
public:
    explicit CountingCall(Counts* counts, std::function<void()> action = {})
        : mCounts(counts), mAction(std::move(action))
    {
    }
    ~CountingCall() override { ++mCounts->deleted; }
    void Invoke() override
    {
        ++mCounts->invoked;
        if (mAction)
            mAction();
    }
    baseCallback* Clone() override { return new CountingCall(mCounts, mAction); }

    Counts* mCounts;
    std::function<void()> mAction;
};

class TestScreen : public BaseScreen {
public:
    TestScreen(std::string name, CallLog* log) : mName(std::move(name)), mLog(log) {}
    void OnEnter() override { mLog->push_back(mName + ".OnEnter"); }
    void OnLeave() override { mLog->push_back(mName + ".OnLeave"); }
    bool AllowCover() override { return mAllowCover; }
    void Resume() override { mLog->push_back(mName + ".Resume"); }

    std::string mName;
    CallLog* mLog;
    bool mAllowCover = false;
};

FullscreenFadder* FindFadder(Kivo::WidgetManager& manager)
{
    for (Kivo::Widget* w : manager.GetChildren())
        if (auto* fadder = dynamic_cast<FullscreenFadder*>(w))
            return fadder;
    return nullptr;
}

class ScreenTest : public ::testing::Test {
protected:
    ScreenTest()
    {
        a = new TestScreen("A", &log);
        b = new TestScreen("B", &log);
        c = new TestScreen("C", &log);
        states.RegisterState("A", a);
        states.RegisterState("B", b);
        states.RegisterState("C", c);
    }

    ~ScreenTest() override { RunFades(); }

    // Steps until no fade is left in the tree; the number of steps taken.
    int RunFades()
    {
        int steps = 0;
        while (FindFadder(app.mManager) && steps < 1000) {
            app.Step();
            ++steps;
        }
        return steps;
    }
    bool InTree(TestScreen* screen) { return app.mManager.HasWidget(screen); }

    FakeApp app;
    CallLog log;
    GameStateManager states; // destroyed first: leaves and deletes the screens
    TestScreen* a;
    TestScreen* b;
    TestScreen* c;
};

TEST_F(ScreenTest, StackRules)
{
    EXPECT_FALSE(states.ChangeState(nullptr));
    EXPECT_TRUE(states.ChangeState(a));
    EXPECT_FALSE(states.PushState(b)); // A refuses cover
    EXPECT_EQ(states.mStates, (std::vector<GameState*>{a}));
    EXPECT_FALSE(InTree(b));
    a->mAllowCover = true;
    EXPECT_TRUE(states.PushState(b));
    states.PopState();
    EXPECT_FALSE(states.mQuit);
    states.PopState();
    EXPECT_TRUE(states.mQuit);
    EXPECT_TRUE(states.mStates.empty());
    EXPECT_EQ(log, (CallLog{"A.OnEnter", "B.OnEnter", "B.OnLeave", "A.Resume", "A.OnLeave"}));
    EXPECT_FALSE(InTree(a));

    TestScreen* duplicate = new TestScreen("A2", &log);
    states.RegisterState("A", duplicate);
    EXPECT_EQ(states.FindState("A"), a);
    EXPECT_EQ(states.FindState("a"), nullptr);
    EXPECT_EQ(states.FindState("AB"), nullptr);
}

TEST_F(ScreenTest, EnterAddsFocusesAndFadesIn)
{
    states.ChangeState(a);
    EXPECT_TRUE(InTree(a));
    EXPECT_EQ(app.mManager.mFocusWidget, a);
    FullscreenFadder* fade = FindFadder(app.mManager);
    ASSERT_NE(fade, nullptr);
    EXPECT_EQ(app.mManager.GetChildren().back(), fade);
    EXPECT_EQ(fade->mAlpha.mCurrent, 1.0f);
    EXPECT_EQ(fade->GetRect(), Kivo::Rect(0, 0, 800, 600));
    EXPECT_EQ(RunFades(), 29); // 1 / 0.035 steps, rounded up
}

// The switch a screen asks for runs once, at full black, after the fade
// has left the tree; a second request during the fade is dropped unrun.
TEST_F(ScreenTest, SwitchThroughAFade)
{
    states.ChangeState(a);
    RunFades();
    log.clear();

    Counts first, second;
    bool fadeGoneWhenRun = false, fadeQueuedWhenRun = false, screenInTreeWhenRun = false;
    FullscreenFadder* fade = nullptr;
    a->LeaveWithFade(new CountingCall(&first, [&] {
        fadeGoneWhenRun = !app.mManager.HasWidget(fade) && fade->mManager == nullptr;
        fadeQueuedWhenRun = app.mSafeDeleteList.Contains(fade);
        screenInTreeWhenRun = InTree(a);
        EXPECT_EQ(fade->mAlpha.mCurrent, 1.0f);
        states.ChangeState(states.FindState("B"));
    }));
    fade = FindFadder(app.mManager);
    ASSERT_NE(fade, nullptr);
    a->LeaveWithFade(new CountingCall(&second));
    EXPECT_EQ(second.deleted, 1);

    app.Steps(28);
    EXPECT_EQ(first.invoked, 0);
    EXPECT_EQ(app.mManager.mFocusWidget, a); // the screen keeps the keys during the fade
    app.Step();
    EXPECT_EQ(first.invoked, 1);
    EXPECT_EQ(first.deleted, 1);
    EXPECT_TRUE(fadeGoneWhenRun);
    EXPECT_TRUE(fadeQueuedWhenRun);
    EXPECT_TRUE(screenInTreeWhenRun);
    EXPECT_EQ(second.invoked, 0);
    EXPECT_EQ(log, (CallLog{"A.OnLeave", "B.OnEnter"}));
    EXPECT_FALSE(InTree(a));
    EXPECT_TRUE(InTree(b));
    EXPECT_EQ(app.mManager.mFocusWidget, b);
    EXPECT_FALSE(a->mClosing);
    EXPECT_EQ(a->mPendingCall, nullptr);

    RunFades();
    Counts late;
    app.mShuttingDown = true;
    b->LeaveWithFade(new CountingCall(&late));
    EXPECT_EQ(late.deleted, 1);
    EXPECT_EQ(late.invoked, 0);
    EXPECT_EQ(FindFadder(app.mManager), nullptr);
}

// A stored call that does not leave the screen (a push): before the
// screen's first leave it is taken off the tree with OnLeave; after it,
// the screen stays in the tree without OnLeave.
TEST_F(ScreenTest, PushFromAStoredCallDependsOnAnEarlierLeave)
{
    for (bool leftBefore : {false, true}) {
        SCOPED_TRACE(leftBefore);
        states.ChangeState(a);
        RunFades();
        if (leftBefore) {
            a->Leave();
            a->Enter();
            RunFades();
        }
        log.clear();
        a->mAllowCover = true;
        Counts counts;
        a->LeaveWithFade(new CountingCall(&counts, [&] { states.PushState(c); }));
        RunFades();
        EXPECT_EQ(InTree(a), leftBefore);
        EXPECT_EQ(log, leftBefore ? (CallLog{"C.OnEnter"}) : (CallLog{"C.OnEnter", "A.OnLeave"}));
        states.PopState();
        states.PopState();
        app.mManager.RemoveWidget(a);
        RunFades();
    }
}

TEST_F(ScreenTest, FadeOverlayDarkensAboveTheScreens)
{
    RecordingImage screen(800, 600);
    app.mManager.mScreenImage = &screen;
    LogWidget below("W", &log, 0, 0, 800, 600);
    app.mManager.AddWidget(&below);
    Counts counts;
    auto* fade = new FullscreenFadder(false, new CountingCall(&counts));

    app.mManager.MouseDown(10, 10, 1); // the fade takes every hit
    app.mManager.MouseUp(10, 10, 1);
    EXPECT_EQ(log, CallLog{});

    std::vector<int> alphas;
    for (int i = 0; i < 3; ++i) {
        app.Step();
        screen.mOps.clear();
        app.mManager.DrawScreen();
        ASSERT_FALSE(screen.mOps.empty());
        const RecordingImage::Op& last = screen.mOps.back();
        EXPECT_EQ(last.mKind, RecordingImage::Op::FILL);
        EXPECT_EQ(last.mRect, Kivo::Rect(0, 0, 800, 600));
        alphas.push_back(last.mColor.mAlpha);
    }
    EXPECT_EQ(alphas, (std::vector<int>{8, 17, 26})); // trunc(steps * 0.035 * 255)

    // Taken away before it ends: its call is deleted unrun.
    app.mManager.RemoveWidget(fade);
    delete fade;
    EXPECT_EQ(counts.invoked, 0);
    EXPECT_EQ(counts.deleted, 1);
    app.mManager.RemoveWidget(&below);
}

// The calls land in a virtual base, reached from a class with a second
// base, as with the game-play classes: a wrong this-adjustment shows.
struct CallRecord {
    std::vector<std::string> calls;
};
struct Padding {
    virtual ~Padding() = default;
    int pad = 7;
};
struct Target : Padding, virtual CallRecord {
    void Zero() { calls.push_back("zero"); }
    int One(int x)
    {
        calls.push_back("one " + std::to_string(x));
        return x;
    }
    void Two(int x, bool y) { calls.push_back("two " + std::to_string(x) + (y ? " yes" : " no")); }
    int Three(int x, int y, int z)
    {
        calls.push_back("three " + std::to_string(x + y + z));
        return 0;
    }
};

std::vector<std::string> gStaticCalls;
void StaticCall(int x) { gStaticCalls.push_back("static " + std::to_string(x)); }

TEST(StoredCallTest, EveryFormCallsItsTargetWithItsArguments)
{
    gStaticCalls.clear();
    Target target;
    std::vector<std::unique_ptr<baseCallback>> calls;
    calls.emplace_back(new CB_Callback<Target, void>(&target, &Target::Zero));
    calls.emplace_back(new CB_Callback_P1<Target, int, int>(&target, 4, &Target::One));
    calls.emplace_back(new CB_Callback_P2<Target, int, bool, void>(&target, 5, true, &Target::Two));
    calls.emplace_back(new CB_Callback_P3<Target, int, int, int, int>(&target, 1, 2, 3, &Target::Three));
    calls.emplace_back(new CB_CallbackStatic_P1<int>(9, &StaticCall));
    for (auto& call : calls) {
        std::unique_ptr<baseCallback> copy(call->Clone());
        call->Invoke();
        copy->Invoke();
    }
    EXPECT_EQ(target.calls, (std::vector<std::string>{"zero", "zero", "one 4", "one 4", "two 5 yes", "two 5 yes",
                                                      "three 6", "three 6"}));
    EXPECT_EQ(gStaticCalls, (std::vector<std::string>{"static 9", "static 9"}));
}

} // namespace
