// The window framework: modal showing with and without effects, results and
// closing results, singleton windows given up at kill time, toggling, and
// the appear and disappear effects themselves.
#include "framework/core/Singleton.h"
#include "game/ui/Callback.h"
#include "game/ui/DelayWidget.h"
#include "game/ui/WindowBase.h"
#include "game/ui/WindowEffects.h"
#include "tests/support/FakeApp.h"
#include "tests/support/RecordingImage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr int kNoResult = Kivo::Dialog::kNoResult;

int gShowSounds = 0;
int gHideSounds = 0;

// A window with the keyboard rule of the game's windows: keys act only while
// it is visible; Escape answers 0, Enter 1.
template <int Id>
class ProbeWindowT : public Singleton<ProbeWindowT<Id>>, public WindowBase {
public:
    ProbeWindowT() : WindowBase(nullptr, "", false, Id) { Resize(300, 200, 200, 100); }
    void KeyDown(int key) override
    {
        if (!mVisible)
            return;
        Kivo::Widget::KeyDown(key);
        if (key == 27)
            mResult = 0;
        else if (key == 13)
            mResult = 1;
    }
    void PlayShowSound() override { ++gShowSounds; }
    void PlayHideSound() override { ++gHideSounds; }
};
using ProbeWindow = ProbeWindowT<120>;
using OtherWindow = ProbeWindowT<121>;

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override { gShowSounds = gHideSounds = 0; }
    void TearDown() override
    {
        app.mOnAppStep = nullptr;
        app.Steps(2);
        EXPECT_EQ(ProbeWindow::Existing(), nullptr);
        EXPECT_EQ(app.mManager.mBaseModalWidget, nullptr);
    }

    FakeApp app;
};

struct ShowCase {
    bool accelerated;
    bool animate;
    int keysIgnored;       // Escape pressed before each step until it takes
    int stepsFromAnswer;   // the answer's step through the last one
    int hideSounds;
};

class ShowTable : public WindowTest, public ::testing::WithParamInterface<ShowCase> {};

TEST_P(ShowTable, EffectsOnlyWhenAcceleratedAndAnimated)
{
    const ShowCase c = GetParam();
    app.mAccelerated = c.accelerated;
    ProbeWindow* window = ProbeWindow::Instance();
    int answeredAt = -1;
    int ignored = 0;
    bool sawInvisibleEffect = false;
    app.mOnAppStep = [&] {
        if (answeredAt >= 0)
            return;
        sawInvisibleEffect |= !window->mVisible && window->mEffect;
        app.mManager.KeyDown(27);
        if (window->mResult == kNoResult)
            ++ignored;
        else
            answeredAt = app.mAppSteps;
    };
    EXPECT_EQ(ShowWindowAnimated(window, c.animate), 0);
    EXPECT_EQ(gShowSounds, 1);
    EXPECT_EQ(gHideSounds, c.hideSounds);
    EXPECT_EQ(ignored, c.keysIgnored);
    EXPECT_EQ(sawInvisibleEffect, c.keysIgnored > 0);
    EXPECT_EQ(app.mAppSteps - answeredAt + 1, c.stepsFromAnswer);
    EXPECT_EQ(ProbeWindow::Existing(), nullptr) << "given up at kill time";
}

INSTANTIATE_TEST_SUITE_P(Window, ShowTable,
                         ::testing::Values(ShowCase{false, false, 0, 1, 0}, ShowCase{false, true, 0, 1, 0},
                                           ShowCase{true, false, 0, 1, 0}, ShowCase{true, true, 21, 21, 1}));

TEST_F(WindowTest, ShowingAWindowThatIsUpGivesMinusOneSilently)
{
    ProbeWindow* window = ProbeWindow::Instance();
    int again = 0;
    app.mOnAppStep = [&] {
        again = window->Show();
        window->mResult = 4;
    };
    EXPECT_EQ(window->Show(), 4);
    EXPECT_EQ(again, -1);
    EXPECT_EQ(gShowSounds, 1);
}

TEST_F(WindowTest, ShutdownEndsTheWaitWithTheCurrentResult)
{
    app.mAccelerated = true;
    ProbeWindow* window = ProbeWindow::Instance();
    app.mOnAppStep = [&] { app.mShuttingDown = app.mAppSteps == 3; };
    EXPECT_EQ(ShowWindowAnimated(window, true), kNoResult);
    EXPECT_EQ(app.mAppSteps, 3);

    // Answered, with the disappear effect skipped.
    app.mShuttingDown = false;
    app.mAppSteps = 0;
    window = ProbeWindow::Instance();
    window->mDisappearKind = WINDOW_EFFECT_DISAPPEAR;
    app.mOnAppStep = [&] {
        window->mResult = 7;
        app.mShuttingDown = true;
    };
    EXPECT_EQ(window->Show(), 7);
    EXPECT_EQ(app.mAppSteps, 1);
    EXPECT_EQ(gHideSounds, 0);
    app.mShuttingDown = false;
}

// The inner window's Enter goes on while it fades out: those keys are still
// the inner window's, and the outer one hears only the Escape that follows.
TEST_F(WindowTest, NestedWindowsAnswerIndependently)
{
    app.mAccelerated = true;
    ProbeWindow* outer = ProbeWindow::Instance();
    int inner = kNoResult;
    int key = 0; // pressed before each step once the inner window is up
    app.mOnAppStep = [&] {
        if (key) {
            app.mManager.KeyDown(key);
        } else if (outer->mVisible) {
            key = 13;
            inner = ShowWindowAnimated(OtherWindow::Instance(), true);
            key = 27;
        }
    };
    EXPECT_EQ(ShowWindowAnimated(outer, true), 0);
    EXPECT_EQ(inner, 1);
    EXPECT_EQ(OtherWindow::Existing(), nullptr);
}

// The screen under a window gets the keys back when the window has gone, so
// that its keys (F1 in the menu, Escape in the game) work without a click.
TEST_F(WindowTest, TheKeysGoBackToTheScreenThatHadThemWithOrWithoutEffects)
{
    for (bool accelerated : {false, true}) {
        app.mAccelerated = accelerated;
        Kivo::Widget screen;
        screen.Resize(0, 0, 800, 600);
        app.mManager.AddWidget(&screen);
        app.mManager.SetFocus(&screen);
        ProbeWindow* window = ProbeWindow::Instance();
        app.mOnAppStep = [&] {
            if (app.mManager.mFocusWidget == window)
                app.mManager.KeyDown(27);
        };
        EXPECT_EQ(ShowWindowAnimated(window, true), 0) << accelerated;
        app.mOnAppStep = nullptr;
        app.Steps(2);
        EXPECT_EQ(app.mManager.mFocusWidget, &screen) << accelerated;
        app.mManager.RemoveWidget(&screen);
    }
}

// A widget that notes the keys it hears.
class KeyLog : public Kivo::Widget {
public:
    void KeyDown(int key) override { keys.push_back(key); }
    std::vector<int> keys;
};

// Answered, a window fades out still modal: the keys pressed then reach
// neither the screen below nor the window's own controls, and are the
// screen's again once the window has gone.
TEST_F(WindowTest, AnAnsweredWindowHoldsTheKeysUntilItHasGone)
{
    app.mAccelerated = true;
    KeyLog screen;
    screen.Resize(0, 0, 800, 600);
    app.mManager.AddWidget(&screen);
    app.mManager.SetFocus(&screen);
    KeyLog control;
    ProbeWindow* window = ProbeWindow::Instance();
    window->AddWidget(&control);
    int pressedWhileClosing = 0;
    app.mOnAppStep = [&] {
        if (window->mResult == kNoResult) {
            if (window->mVisible && !window->mEffect) {
                app.mManager.SetFocus(&control);
                app.mManager.KeyDown('A');
                window->mResult = 0; // a click on a button of the window
            }
            return;
        }
        app.mManager.KeyDown('B');
        ++pressedWhileClosing;
    };
    EXPECT_EQ(ShowWindowAnimated(window, true), 0);
    window->RemoveWidget(&control);
    EXPECT_GT(pressedWhileClosing, 10);
    EXPECT_EQ(control.keys, std::vector<int>{'A'});
    EXPECT_EQ(screen.keys, std::vector<int>{});
    EXPECT_EQ(app.mManager.mFocusWidget, &screen);
    app.mOnAppStep = nullptr;
    app.mManager.KeyDown('C');
    EXPECT_EQ(screen.keys, std::vector<int>{'C'});
    app.mManager.RemoveWidget(&screen);
}

TEST_F(WindowTest, InstanceRightAfterAShowIsANewWindow)
{
    ProbeWindow* first = ProbeWindow::Instance();
    first->mAppearKind = WINDOW_EFFECT_APPEAR;
    app.mOnAppStep = [&] { first->mResult = 3; };
    EXPECT_EQ(first->Show(), 3);
    // The first one waits for deletion; it must not come back.
    ProbeWindow* second = ProbeWindow::Instance();
    EXPECT_NE(second, first);
    EXPECT_EQ(second->mResult, kNoResult);
    app.mOnAppStep = [&] { second->mResult = 5; };
    EXPECT_EQ(second->Show(), 5);
}

TEST_F(WindowTest, ToggleRemovesAWindowDuringItsEffect)
{
    app.mAccelerated = true;
    ProbeWindow* window = ProbeWindow::Instance();
    app.mOnAppStep = [&] {
        if (app.mAppSteps == 5) {
            EXPECT_EQ(ToggleWindow(window, WINDOW_EFFECT_APPEAR, WINDOW_EFFECT_DISAPPEAR), -1);
        }
    };
    EXPECT_EQ(ShowWindowAnimated(window, true), kNoResult);
    EXPECT_EQ(app.mAppSteps, 5);
    // The orphaned effect ends by itself without touching the window.
    app.mOnAppStep = nullptr;
    app.Steps(2);
    EXPECT_TRUE(app.mManager.GetChildren().empty());
}

TEST_F(WindowTest, AKindWithoutEffectNeitherHidesNorHolds)
{
    app.mAccelerated = true;
    ProbeWindow* window = ProbeWindow::Instance();
    window->mAppearKind = 9;
    window->mDisappearKind = 9;
    bool visible = false;
    app.mOnAppStep = [&] {
        visible = window->mVisible;
        window->mResult = 2;
    };
    EXPECT_EQ(window->Show(), 2);
    EXPECT_TRUE(visible);
    EXPECT_EQ(app.mAppSteps, 1);
}

TEST_F(WindowTest, BackgroundSizesAndCentresTheWindow)
{
    RecordingImage picture(301, 120);
    WindowBase window(&picture, "", false, 122);
    EXPECT_EQ(window.GetRect(), Kivo::Rect(249, 240, 301, 120));
    window.SetBackground(nullptr);
    EXPECT_EQ(window.GetRect(), Kivo::Rect(400, 300, 0, 0));
}

TEST_F(WindowTest, ShadeDimsTheWholeScreenWhereverTheWindowIs)
{
    RecordingImage screen(800, 600);
    Kivo::Graphics g(&screen);
    g.Translate(500, 400);
    WindowBase::DrawShade(&g);
    ASSERT_EQ(screen.mOps.size(), 1u);
    EXPECT_EQ(screen.mOps[0].mRect, Kivo::Rect(0, 0, 800, 600));
    EXPECT_EQ(screen.mOps[0].mColor.mAlpha, 80);
    EXPECT_EQ(screen.mOps[0].mColor.mRed, 0);
}

TEST_F(WindowTest, DelayWindowIsAnInvisibleWindowOverEverything)
{
    app.mAccelerated = true;
    auto* delay = new DelayWidget(3);
    EXPECT_EQ(delay->GetRect(), Kivo::Rect(0, 0, 800, 600));
    EXPECT_EQ(delay->Show(), 0);
    EXPECT_EQ(app.mAppSteps, 3);
    EXPECT_TRUE(app.mDialogs.empty());
}

// ---- effects

struct Counter {
    void Hit() { ++hits; }
    int hits = 0;
};

TEST(WindowEffectTest, FactoryMapsKindsToEffects)
{
    FakeApp app;
    WindowBase window(nullptr, "", false, 122);
    for (int kind : {-1, 0, 6, 100})
        EXPECT_EQ(CreateWindowEffect(&window, kind), nullptr) << kind;
    struct Expect {
        int kind;
        bool disappear;
        bool rubber;
        bool scaled;
    };
    for (const Expect& e : {Expect{1, false, false, true}, Expect{2, true, false, true},
                            Expect{3, false, false, false}, Expect{4, true, false, false},
                            Expect{5, false, true, true}}) {
        std::unique_ptr<WindowEffect> effect(CreateWindowEffect(&window, e.kind));
        ASSERT_NE(effect, nullptr);
        EXPECT_EQ(dynamic_cast<EffectWindowDisappear*>(effect.get()) != nullptr, e.disappear) << e.kind;
        EXPECT_EQ(dynamic_cast<EffectWindowAppearRubber*>(effect.get()) != nullptr, e.rubber) << e.kind;
        float sx = 0;
        float sy = 0;
        EXPECT_EQ(effect->GetScale(&sx, &sy), e.scaled) << e.kind;
        EXPECT_EQ(effect->GetRect(), Kivo::Rect(0, 0, 800, 600));
    }
}

TEST(WindowEffectTest, RunForTheirUpdatesThenEndOnceWithTheCallback)
{
    FakeApp app;
    WindowBase window(nullptr, "", false, 122);
    for (auto [kind, updates] : {std::pair{1, 20}, std::pair{2, 20}, std::pair{4, 20}, std::pair{5, 51}}) {
        // 0.02 added fifty times falls short of 1 by a rounding step in
        // single precision: the rubber effect needs one update more.
        Counter counter;
        WindowEffect* effect = CreateWindowEffect(&window, kind);
        effect->SetCallback(new CB_Callback<Counter, void>(&counter, &Counter::Hit));
        app.mManager.AddWidget(effect);
        for (int i = 1; i < updates; ++i)
            app.mManager.UpdateFrameF(1.0f);
        EXPECT_FALSE(effect->mFinished) << kind;
        app.mManager.UpdateFrameF(1.0f);
        EXPECT_TRUE(effect->mFinished) << kind;
        EXPECT_EQ(counter.hits, 0);
        app.Step();
        EXPECT_EQ(counter.hits, 1) << kind;
        EXPECT_TRUE(app.mManager.GetChildren().empty());
        app.Steps(2);
        EXPECT_EQ(counter.hits, 1);
    }
}

TEST(WindowEffectTest, RubberGrowsFromAPointOvershootsAndSettlesAtOne)
{
    FakeApp app;
    WindowBase window(nullptr, "", false, 122);
    EffectWindowAppearRubber effect(&window);
    float sx = -1;
    float sy = -1;
    effect.GetScale(&sx, &sy);
    EXPECT_EQ(sx, 0.0f);
    EXPECT_EQ(sy, 0.0f);
    effect.mPhase.mCurrent = static_cast<float>(M_PI / 2) / EffectWindowAppearRubber::Kx();
    effect.GetScale(&sx, &sy);
    EXPECT_NEAR(sx, 1.05f, 1e-6);
    effect.mPhase.mCurrent = static_cast<float>(M_PI / 2) / EffectWindowAppearRubber::Ky();
    effect.GetScale(&sx, &sy);
    EXPECT_NEAR(sy, 1.1f, 1e-6);
    // Just before the end it is within a hair of 1, and at the end exactly 1.
    effect.mPhase.mCurrent = 0.9999f;
    effect.GetScale(&sx, &sy);
    EXPECT_NEAR(sx, 1.0f, 1e-3);
    EXPECT_NEAR(sy, 1.0f, 1e-3);
    for (int i = 0; i < 50; ++i)
        effect.UpdateF(1.0f);
    effect.GetScale(&sx, &sy);
    EXPECT_EQ(sx, 1.0f);
    EXPECT_EQ(sy, 1.0f);
}

TEST(WindowEffectTest, AppearStartsAtSeventyPercentAndDisappearEndsThere)
{
    FakeApp app;
    WindowBase window(nullptr, "", false, 122);
    EffectWindowAppear appear(&window);
    EffectWindowDisappear disappear(&window);
    float sx = 0;
    float sy = 0;
    appear.GetScale(&sx, &sy);
    EXPECT_FLOAT_EQ(sx, 0.7f);
    EXPECT_EQ(appear.mAlpha.mCurrent, 0.0f);
    disappear.GetScale(&sx, &sy);
    EXPECT_FLOAT_EQ(sx, 1.0f);
    for (int i = 0; i < 20; ++i)
        disappear.UpdateF(1.0f);
    disappear.GetScale(&sx, &sy);
    EXPECT_FLOAT_EQ(sy, 0.7f);
    EXPECT_EQ(disappear.mAlpha.mCurrent, 0.0f);
}

TEST(WindowEffectTest, DrawsTheWindowWhereItStoodWithTheFadingAlpha)
{
    FakeApp app;
    RecordingImage picture(100, 50);
    WindowBase window(&picture, "", false, 122);
    window.SetVisible(false);
    WindowEffect* effect = CreateWindowEffect(&window, WINDOW_EFFECT_DISAPPEAR_ALPHA);
    window.Move(10, 20);
    effect->mAlpha.mCurrent = 0.5f;
    RecordingImage screen(800, 600);
    Kivo::Graphics g(&screen);
    effect->Draw(&g);
    ASSERT_EQ(screen.mOps.size(), 1u);
    EXPECT_EQ(screen.mOps[0].mImage, &picture);
    EXPECT_EQ(screen.mOps[0].mRect.mX, 350);
    EXPECT_EQ(screen.mOps[0].mRect.mY, 275);
    EXPECT_EQ(screen.mOps[0].mColor.mAlpha, 127);
    // A window that goes away leaves an effect that draws nothing.
    delete effect;
    EXPECT_EQ(window.mEffect, nullptr);
}

TEST(WindowEffectTest, AWindowDeletedDuringItsEffectLeavesItHarmless)
{
    FakeApp app;
    Counter counter;
    auto* window = new WindowBase(nullptr, "", false, 122);
    app.mManager.AddWidget(window);
    window->PlayEffect(WINDOW_EFFECT_APPEAR, &WindowBase::OnAppearDone);
    WindowEffect* effect = window->mEffect;
    ASSERT_NE(effect, nullptr);
    EXPECT_FALSE(window->mVisible);
    app.mManager.RemoveWidget(window);
    EXPECT_EQ(effect->mWindow, nullptr);
    delete window;
    RecordingImage screen(800, 600);
    Kivo::Graphics g(&screen);
    effect->Draw(&g);
    EXPECT_TRUE(screen.mOps.empty());
    app.Steps(2);
    EXPECT_TRUE(app.mManager.GetChildren().empty());
}

} // namespace
