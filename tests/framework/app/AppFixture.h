#pragma once
// An application on the headless backend: a clock that only sleeps move, a
// scripted window source, scripted message boxes, a null display, and an
// Exit that throws instead of ending the test.
#include "framework/app/KivoAppBase.h"
#include "framework/display/NullDisplay.h"
#include "framework/widgets/Widget.h"
#include "platform/headless/HeadlessBackend.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace apptest {

struct ExitCalled {
    int code;
};

class TestApp : public Kivo::KivoAppBase {
public:
    TestApp();

    void UpdateFrames() override;
    bool Redraw(const Kivo::Rect* rect) override;
    void Shutdown() override;
    void LostFocus() override;
    void GotFocus() override;
    Kivo::Image* GetImage(const std::string& path, bool commitBits, uint32_t alphaColor) override;

    // 'U' per update, 'D' per draw request.
    std::string log;
    // Paused while the window has no focus, as a game is.
    bool pauseWithoutFocus = false;
    // The clock's slept milliseconds at the first draw request.
    uint64_t sleptAtFirstDraw = ~uint64_t(0);
    // Draw requests present at once (as a display that waits for the
    // retrace would) and move the clock by `msPerDraw`.
    bool fakePresents = false;
    int msPerDraw = 0;
    int shutdownAfterUpdates = -1;
    int shutdownCalls = 0;
    // Called as an image file is read, before the read.
    std::function<void()> onGetImage;
};

// Widget input as it reaches the widgets, one word per call.
class RecordingWidget : public Kivo::Widget {
public:
    RecordingWidget();
    ~RecordingWidget() override;
    void Update() override { ++updates; }
    void MouseDown(int x, int y, int clickCode) override;
    void MouseUp(int x, int y, int clickCode) override;
    void MouseWheel(int delta) override;
    void KeyDown(int key) override;
    void KeyChar(char c) override;

    std::vector<std::string> calls;
    int updates = 0;
    bool* deleted = nullptr;
};

class AppTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Makes the application (and, with `init`, runs Init).
    TestApp& MakeApp(bool init);
    // Steps until the loop sleeps once (at most `limit` steps).
    void RunUntilSleep(int limit = 10000);
    void Step(int count);
    // The display the application made, when it made the null one.
    Kivo::NullDisplay* Display();
    std::vector<platform::ScriptedMessageBoxes::Shown> Boxes() { return backend->boxes.TakeShown(); }

    platform::HeadlessBackend* backend = nullptr;
    std::unique_ptr<TestApp> app;
    std::string savedCwd;
    // The single-instance locks go here, not into the shared runtime folder.
    testsupport::TempDir runtimeDir;
};

} // namespace apptest
