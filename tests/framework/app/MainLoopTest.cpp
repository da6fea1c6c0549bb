#include "tests/framework/app/AppFixture.h"

#include "framework/display/NullDisplay.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/win32/Sync.h"
#include "platform/win32/Time.h"
#include "tests/support/ShownDebugOutput.h"

#include <algorithm>
#include <csignal>
#include <thread>

namespace apptest {
namespace {

class MainLoop : public AppTest {};

TEST_F(MainLoop, AStallCatchesUpTwentyUpdatesWithForcedDrawsOnceHandedOver)
{
    struct Case {
        bool handedOver;
        const char* log;
    };
    for (const Case& c : { Case { true, "UUUUUUUUUDUUUUUUUUUDUUD" }, Case { false, "UUUUUUUUUUUUUUUUUUUUD" } }) {
        SCOPED_TRACE(c.handedOver);
        MakeApp(false);
        app->fakePresents = true;
        app->loadingHandedOver = c.handedOver;
        app->needsDraw = false;
        app->lastAccTime = timeGetTime();
        backend->clock.AdvanceMillis(2000);
        RunUntilSleep();
        EXPECT_EQ(app->log, c.log);
        EXPECT_EQ(app->updateCount, 20);
    }
}

TEST_F(MainLoop, RetracePacingRunsTheUpdatesEachFrameOwes)
{
    struct Case {
        int refreshRate;
        const char* log; // from the first draw on
    };
    // At 60 Hz a frame owes 1.667 updates: one, then two, then two. A
    // display that reports no rate is timed as 60 Hz.
    for (const Case& c : { Case { 60, "DUDUUDUUDUDUUDUUD" }, Case { 0, "DUDUUDUUDUDUUDUUD" },
                           Case { 100, "DUDUDUDUDUDUDUDUD" } }) {
        SCOPED_TRACE(c.refreshRate);
        MakeApp(false);
        app->fakePresents = true;
        app->msPerDraw = 16;
        app->waitForVSync = true;
        app->displayWindowed = false;
        app->refreshRate = c.refreshRate;
        for (int i = 0; i < 200 && app->log.size() < 17; ++i)
            Step(1);
        EXPECT_EQ(app->log, c.log);
        EXPECT_FALSE(app->vsyncBroken);
    }
}

TEST_F(MainLoop, AWindowedFrameWaitsOutItsLastFractionOfAMillisecondAsleep)
{
    // A 60 Hz frame is 16.67 ms on a clock of whole milliseconds: after 16 ms
    // the rest of the frame is slept, not passed through the loop. The
    // manual clock moves only when the loop sleeps, so a loop that waits by
    // spinning stands still at its first frame.
    MakeApp(false);
    app->fakePresents = true;
    app->waitForVSync = true;
    app->displayWindowed = true;
    app->refreshRate = 60;
    app->needsDraw = false;
    app->lastAccTime = timeGetTime();
    const uint64_t slept = backend->clock.SleptMillis();
    Step(600);
    const auto frames = std::count(app->log.begin(), app->log.end(), 'D');
    ASSERT_GE(frames, 20);
    EXPECT_NEAR(double(backend->clock.SleptMillis() - slept) / double(frames), 1000.0 / 60, 1.0);
}

TEST_F(MainLoop, ARetraceThatDoesNotWaitIsFoundAndPacingStops)
{
    struct Case {
        int msPerFrame;
        bool broken;
    };
    // 100 updates in 500 ms three times in a row cannot be a 100 Hz retrace;
    // in 1000 ms they can.
    for (const Case& c : { Case { 5, true }, Case { 10, false } }) {
        SCOPED_TRACE(c.msPerFrame);
        MakeApp(false);
        app->fakePresents = true;
        app->msPerDraw = c.msPerFrame;
        app->waitForVSync = true;
        app->displayWindowed = false;
        app->refreshRate = 100;
        for (int i = 0; i < 100000 && app->updateCount < 450 && !app->vsyncBroken; ++i)
            Step(1);
        EXPECT_EQ(app->vsyncBroken, c.broken);
        if (c.broken) {
            EXPECT_EQ(app->updateCount, 400); // the first hundred only start the clock
        }
    }
}

TEST_F(MainLoop, PausedPassesOnlySleepAndPumpButStillEndAFailedLoad)
{
    MakeApp(false);
    app->fakePresents = true;
    app->paused = true;
    const uint64_t slept = backend->clock.SleptMillis();
    Step(5);
    EXPECT_EQ(app->log, "");
    EXPECT_EQ(backend->clock.SleptMillis() - slept, 500u);
    EXPECT_FALSE(app->shutdown);
    app->loadingFailed = true;
    Step(1);
    EXPECT_TRUE(app->shutdown);
}

TEST_F(MainLoop, MinimizedUpdatesCountWithoutUpdatingTheWidgets)
{
    MakeApp(false);
    RecordingWidget widget;
    app->widgetManager->AddWidget(&widget);
    app->minimized = true;
    app->lastAccTime = timeGetTime();
    backend->clock.AdvanceMillis(50);
    RunUntilSleep();
    EXPECT_EQ(app->updateCount, 5);
    EXPECT_EQ(widget.updates, 0);
    app->minimized = false;
    backend->clock.AdvanceMillis(50);
    RunUntilSleep();
    EXPECT_GE(app->updateCount, 10);
    EXPECT_EQ(widget.updates, app->updateCount - 5);
    app->widgetManager->RemoveWidget(&widget);
}

TEST_F(MainLoop, TheLoadingThrottleSleepsNothingForAPassThatOnlySlept)
{
    MakeApp(false);
    app->fakePresents = true;
    app->needsDraw = false;
    app->loadingThrottle = true;
    app->lastAccTime = timeGetTime();
    const uint64_t slept = backend->clock.SleptMillis();
    RunUntilSleep();
    // The frame's 10 ms; a pass whose work took less than its sleep owes
    // nothing (computed without sign it would owe 250 ms).
    EXPECT_EQ(backend->clock.SleptMillis() - slept, 10u);
}

TEST_F(MainLoop, StartRunsUntilShutdownAndReportsItsFigures)
{
    testsupport::ShownDebugOutput shown;
    struct Case {
        bool draws;
        bool avgFps; // a run that drew nothing has no frame rate
    };
    for (const Case& c : { Case { false, false }, Case { true, true } }) {
        SCOPED_TRACE(c.draws);
        MakeApp(false);
        app->shutdownAfterUpdates = 30;
        if (c.draws)
            app->drawTime = 20;
        testing::internal::CaptureStderr();
        app->Start();
        const std::string out = testing::internal::GetCapturedStderr();
        EXPECT_FALSE(app->loopRunning);
        EXPECT_EQ(app->updateCount, 30);
        EXPECT_NE(out.find("Update Count  = 30\r\n"), std::string::npos) << out;
        EXPECT_EQ(out.find("Avg FPS       = ") != std::string::npos, c.avgFps) << out;
        EXPECT_EQ(platform::TimerPeriodDepth(), 0);
    }
}

TEST_F(MainLoop, TheAverageFrameRateIsWhatDrawingAndTheLastPresentCouldSustain)
{
    testsupport::ShownDebugOutput shown;
    // On the scripted clock each draw takes 6 ms and the presents take 2, 4,
    // 6, 8 and 10 ms; the run then goes on without drawing.
    struct SlowDisplay : Kivo::NullDisplay {
        SlowDisplay() : NullDisplay(800, 600) {}
        bool Redraw(const Kivo::Rect* rect) override
        {
            presentMs += 2;
            platform::HeadlessBackend::Current()->clock.AdvanceMillis(presentMs);
            return NullDisplay::Redraw(rect);
        }
        int presentMs = 0;
    };
    struct SlowWidget : RecordingWidget {
        void Draw(Kivo::Graphics*) override { platform::HeadlessBackend::Current()->clock.AdvanceMillis(6); }
    };
    MakeApp(false);
    app->ddInterface = new SlowDisplay;
    SlowWidget widget;
    app->widgetManager->AddWidget(&widget);
    app->startTime = GetTickCount();
    for (int frame = 0; frame < 5; ++frame) {
        widget.MarkDirty();
        ASSERT_TRUE(app->Redraw(nullptr));
    }
    app->widgetManager->RemoveWidget(&widget);
    EXPECT_EQ(app->drawCount, 5);
    EXPECT_EQ(app->drawTime, 30);
    EXPECT_EQ(app->screenBltTime, 10);
    backend->clock.AdvanceMillis(1940);
    app->shutdownAfterUpdates = 0;
    testing::internal::CaptureStderr();
    app->Start();
    const std::string out = testing::internal::GetCapturedStderr();
    EXPECT_NE(out.find("Seconds       = 2\r\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Draw Time     = 30\r\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Screen Blt    = 10\r\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Avg FPS       = 125\r\n"), std::string::npos) << out; // 5 x 1000 / (30 + 10)
}

TEST_F(MainLoop, StopSignalsEndTheLoopAsAQuitDoes)
{
    testsupport::ShownDebugOutput shown;
    Kivo::KivoAppBase::CatchStopSignals();
    for (int signal : { SIGHUP, SIGTERM, SIGINT }) {
        SCOPED_TRACE(signal);
        MakeApp(false);
        raise(signal); // caught: the test process goes on
        EXPECT_EQ(Kivo::KivoAppBase::StopSignal(), signal);
        testing::internal::CaptureStderr();
        app->Start(); // returns only once the loop has shut down
        const std::string out = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(app->shutdown);
        EXPECT_FALSE(app->loopRunning);
        EXPECT_NE(out.find("Stopping on signal " + std::to_string(signal)), std::string::npos);
        Kivo::KivoAppBase::ClearStopSignal();
    }
    for (int signal : { SIGHUP, SIGTERM, SIGINT })
        std::signal(signal, SIG_DFL);
}

TEST_F(MainLoop, DeferredDeletionWaitsForThePassThatAskedForIt)
{
    MakeApp(false);
    bool outerDeleted = false, innerDeleted = false;
    auto* outer = new RecordingWidget;
    outer->deleted = &outerDeleted;
    auto* inner = new RecordingWidget;
    inner->deleted = &innerDeleted;
    app->nestDepth = 1;
    app->SafeDeleteWidget(outer);
    app->nestDepth = 2; // a dialog's nested loop
    app->SafeDeleteWidget(inner);
    app->ProcessSafeDeleteList();
    EXPECT_TRUE(innerDeleted);
    EXPECT_FALSE(outerDeleted);
    app->nestDepth = 1;
    app->ProcessSafeDeleteList();
    EXPECT_TRUE(outerDeleted);
}

TEST_F(MainLoop, ShutdownFromAnotherThreadIsCarriedOutByTheMainLoop)
{
    MakeApp(false);
    app->mainThreadId = GetCurrentThreadId();
    std::thread([&] { app->Shutdown(); }).join();
    EXPECT_FALSE(app->shutdown);
    EXPECT_TRUE(app->loadingFailed);
    app->Process(true);
    EXPECT_TRUE(app->shutdown);
}

} // namespace
// The application's own Redraw: a pass that drew nothing presents only
// when forced or after a second without a present; while the loading thread
// runs, presents are held 50 ms apart (a draw that takes no time still
// counts 15 ms, plus 35), without it every draw presents.
TEST_F(MainLoop, RedrawSkipsUndrawnFramesAndThrottlesWhileLoading)
{
    MakeApp(true);
    auto redraw = [this] { return app->KivoAppBase::Redraw(nullptr); };
    auto& clock = backend->clock;

    app->forceRedraw = true;
    ASSERT_TRUE(redraw());
    const int draws = app->drawCount;
    EXPECT_FALSE(app->forceRedraw);
    EXPECT_FALSE(redraw()) << "nothing drawn, just presented";
    EXPECT_TRUE(app->redrawSkipped);
    EXPECT_FALSE(app->needsDraw);
    EXPECT_EQ(app->drawCount, draws);
    clock.AdvanceMillis(999);
    EXPECT_FALSE(redraw());
    clock.AdvanceMillis(1);
    EXPECT_TRUE(redraw()) << "a second without a present";
    EXPECT_FALSE(app->redrawSkipped);
    EXPECT_EQ(app->drawCount, draws + 1);

    app->loadingStarted = true;
    app->forceRedraw = true;
    ASSERT_TRUE(redraw());
    const uint32_t first = app->lastPresentTime;
    app->forceRedraw = true;
    EXPECT_FALSE(redraw()) << "held 50 ms";
    clock.AdvanceMillis(49);
    app->forceRedraw = true;
    EXPECT_FALSE(redraw());
    clock.AdvanceMillis(1);
    app->forceRedraw = true;
    EXPECT_TRUE(redraw());
    EXPECT_EQ(app->lastPresentTime, first + 50);
    clock.AdvanceMillis(200);
    app->forceRedraw = true;
    EXPECT_TRUE(redraw());
    app->forceRedraw = true;
    EXPECT_TRUE(redraw()) << "the held time lay in the past: it became now";
    app->forceRedraw = true;
    EXPECT_FALSE(redraw());

    app->loadingDone = true;
    app->forceRedraw = true;
    EXPECT_FALSE(redraw()) << "the last held time still stands";
    clock.AdvanceMillis(50);
    for (int i = 0; i < 3; ++i) {
        app->forceRedraw = true;
        EXPECT_TRUE(redraw()) << "loaded: no throttle, " << i;
    }
}

} // namespace apptest
