#include "tests/framework/app/AppFixture.h"

#include "framework/core/Paths.h"
#include "framework/sound/DSoundManager.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/win32/Cursor.h"
#include "platform/win32/Messages.h"
#include "platform/win32/Modules.h"
#include "platform/win32/Shell.h"
#include "tests/support/TempDir.h"
#include "tests/support/WindowEvents.h"

#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace apptest {
namespace {

using platform::WindowEvent;

class AppWindow : public AppTest {
protected:
    TestApp& InitApp()
    {
        MakeApp(true);
        widget = std::make_unique<RecordingWidget>();
        app->widgetManager->AddWidget(widget.get());
        app->widgetManager->SetFocus(widget.get());
        return *app;
    }
    void TearDown() override
    {
        if (app && widget)
            app->widgetManager->RemoveWidget(widget.get());
        AppTest::TearDown();
    }
    void Push(WindowEvent e) { backend->windows.Push(e); }
    // Buttons go down at (30, 40).
    static WindowEvent Button(int button, bool down, int clicks = 1)
    {
        return testsupport::ButtonEvent(button, down, 30, 40, clicks);
    }
    static WindowEvent Key(int key, bool down) { return testsupport::KeyEvent(key, down); }
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return app->WindowProc(app->hwnd, message, wParam, lParam);
    }
    std::vector<UINT> Queued()
    {
        std::vector<UINT> out;
        for (const MSG& m : app->deferredMessages)
            out.push_back(m.message);
        return out;
    }

    std::unique_ptr<RecordingWidget> widget;
};

TEST_F(AppWindow, InitMakesTheDataFolderWindowDisplayAndSound)
{
    testsupport::TempDir dir;
    setenv("XDG_DATA_HOME", (dir.Path() + "/").c_str(), 1);
    InitApp();
    unsetenv("XDG_DATA_HOME");
    const std::string folder = dir.Path() + "\\Olvane Studio\\" + app->productName + "\\";
    EXPECT_EQ(Kivo::GetAppDataFolder(), folder);
    EXPECT_EQ(app->demoFileName, folder + "kivoapp.dmo");
    EXPECT_TRUE(app->initialized);
    EXPECT_NE(app->hwnd, nullptr);
    EXPECT_NE(app->invisHwnd, nullptr);
    EXPECT_NE(app->handCursor, nullptr);
    EXPECT_NE(app->draggingCursor, nullptr);
    EXPECT_NE(app->soundManager, nullptr);
    EXPECT_NE(app->musicInterface, nullptr);
    EXPECT_NE(app->mutex, nullptr);
    EXPECT_EQ(app->notifyMessageId, RegisterWindowMessageA(("Notify" + app->productName).c_str()));
    ASSERT_NE(Display(), nullptr);
    EXPECT_EQ(Display()->mInits, 1);
    EXPECT_TRUE(Display()->mIsWindowed);
    EXPECT_EQ(app->widgetManager->mScreenImage, Display()->GetScreenImage());
    // Centred in the 1024 x 728 work area, 0.382 of the way down.
    EXPECT_EQ(backend->windows.windowX, 112);
    EXPECT_EQ(backend->windows.windowY, 48);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(AppWindow, WithoutAUserFolderTheDataFolderStaysEmpty)
{
    const std::string home = getenv("HOME") ? getenv("HOME") : "";
    unsetenv("HOME");
    unsetenv("XDG_DATA_HOME");
    Kivo::SetAppDataFolder("");
    InitApp();
    setenv("HOME", home.c_str(), 1);
    EXPECT_EQ(Kivo::GetAppDataFolder(), "");
    EXPECT_EQ(app->demoFileName, "kivoapp.dmo");
}

TEST_F(AppWindow, WithMusicDisabledTheSoundManagerHasNoWindow)
{
    for (bool disabled : { true, false }) {
        SCOPED_TRACE(disabled);
        app = std::make_unique<TestApp>();
        app->musicDisabled = disabled;
        app->Init();
        auto* sound = dynamic_cast<Kivo::DSoundManager*>(app->soundManager);
        ASSERT_NE(sound, nullptr);
        EXPECT_EQ(sound->mDirectSound == nullptr, disabled);
        app.reset();
        platform::ResetWindows();
    }
}

TEST_F(AppWindow, TheCursorFollowsTheWantedNumberWhileTheMouseIsIn)
{
    InitApp();
    const std::vector<HCURSOR> expected = {
        LoadCursorA(nullptr, IDC_ARROW), app->handCursor, app->draggingCursor, LoadCursorA(nullptr, IDC_IBEAM),
        LoadCursorA(nullptr, IDC_NO), LoadCursorA(nullptr, IDC_SIZEALL), LoadCursorA(nullptr, IDC_SIZENESW),
        LoadCursorA(nullptr, IDC_SIZENS), LoadCursorA(nullptr, IDC_SIZENWSE), LoadCursorA(nullptr, IDC_SIZEWE),
        LoadCursorA(nullptr, IDC_WAIT), nullptr, nullptr, LoadCursorA(nullptr, IDC_ARROW),
    };
    app->mouseIn = true;
    for (size_t n = 0; n < expected.size(); ++n) {
        SCOPED_TRACE(n);
        app->SetCursor(int(n));
        EXPECT_EQ(GetCursor(), expected[n]);
    }
    app->SetCursor(3);
    app->mouseIn = false; // outside the window the arrow shows
    app->EnforceCursor();
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
}

TEST_F(AppWindow, LosingFocusOrMinimizingMutesAndTellsTheWidgets)
{
    InitApp();
    app->active = true;
    app->UpdateFocusState();
    ASSERT_TRUE(app->hadFocus);
    const int muted = app->muteCount;
    Send(WM_ACTIVATEAPP, 0);
    app->ProcessDeferredMessages(false);
    EXPECT_FALSE(app->hadFocus);
    EXPECT_EQ(app->muteCount, muted + 1);
    EXPECT_FALSE(app->widgetManager->mAppHasFocus);
    Send(WM_SIZE, SIZE_MINIMIZED);
    app->ProcessDeferredMessages(false);
    EXPECT_TRUE(app->minimized);
    EXPECT_EQ(app->muteCount, muted + 2);
    Send(WM_SIZE, SIZE_RESTORED);
    Send(WM_ACTIVATEAPP, 1);
    app->ProcessDeferredMessages(false);
    EXPECT_FALSE(app->minimized);
    EXPECT_TRUE(app->hadFocus);
    EXPECT_EQ(app->muteCount, muted);
    EXPECT_TRUE(app->widgetManager->mAppHasFocus);
}

TEST_F(AppWindow, APendingAddressIsJudgedByTheTimer)
{
    struct Case {
        bool active;
        uint32_t decidedAfterMs;
        bool shutdown; // opened with the quit-after-opening flag: success quits
    };
    for (const Case& c : { Case { false, 8100, true }, Case { true, 12100, false } }) {
        SCOPED_TRACE(c.active);
        InitApp();
        platform::SetLauncher([](const std::vector<std::string>&) { return true; });
        app->loopRunning = true;
        ASSERT_TRUE(app->OpenURL("https://example.com/", true));
        uint32_t elapsed = 0;
        while (app->openURLPending && elapsed < 20000) {
            app->active = c.active;
            backend->clock.AdvanceMillis(100);
            elapsed += 100;
            Send(WM_TIMER, 100);
            app->ProcessDeferredMessages(false);
        }
        EXPECT_FALSE(app->openURLPending);
        EXPECT_EQ(elapsed, c.decidedAfterMs);
        EXPECT_EQ(app->shutdown, c.shutdown);
        platform::SetLauncher(nullptr);
        app->widgetManager->RemoveWidget(widget.get());
        app.reset();
        platform::ResetWindows();
    }
}

TEST_F(AppWindow, AbsoluteWindowsPathsAreTheOnesWithADriveOrARootedShare)
{
    struct Case {
        const char* path;
        bool absolute;
    };
    for (const Case& c : { Case { "C:\\demo.dmo", true }, Case { "\\\\server\\x", false }, Case { "ab\\c", true },
                           Case { "demo.dmo", false }, Case { "d", false }, Case { "", false } }) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(Kivo::IsAbsoluteWindowsPath(c.path), c.absolute);
    }
}

TEST_F(AppWindow, AGameAreaThatDoesNotFitTheDesktopGoesFullScreen)
{
    struct Case {
        int workWidth;
        bool windowed;
    };
    for (const Case& c : { Case { 800, false }, Case { 801, true } }) {
        SCOPED_TRACE(c.workWidth);
        backend->windows.workArea.width = c.workWidth;
        MakeApp(true);
        EXPECT_EQ(app->windowed, c.windowed);
        EXPECT_EQ(app->forceFullscreen, !c.windowed);
        EXPECT_EQ(app->displayWindowed, c.windowed);
        EXPECT_EQ(backend->windows.fullscreen, !c.windowed);
        app.reset();
        platform::ResetWindows();
    }
}

TEST_F(AppWindow, WithoutTheDisplayLibraryStartUpEndsWithTheDirectXMessage)
{
    platform::UnregisterModule("ddraw.dll");
    try {
        MakeApp(true);
        ADD_FAILURE() << "Init returned";
    } catch (const ExitCalled& e) {
        EXPECT_EQ(e.code, 0);
    }
    auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "You need DirectX");
    EXPECT_EQ(app->hwnd, nullptr);
}

// The second copy's notice reaches the running one's window procedure as
// the registered message: its minimised window is restored and raised.
TEST_F(AppWindow, ASecondInstanceEndsAndTheRunningOneComesForward)
{
    InitApp();
    ShowWindow(app->hwnd, SW_MINIMIZE);
    backend->windows.minimized = true;
    backend->windows.focused = false;
    pid_t child = fork();
    if (child == 0) {
        Kivo::SetExitFunction([](int code) { _exit(code); });
        TestApp second;
        second.productName = app->productName;
        second.Init();
        _exit(3); // passed the guard
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    Step(2);
    EXPECT_FALSE(IsIconic(app->hwnd));
    EXPECT_FALSE(backend->windows.minimized);
    EXPECT_TRUE(backend->windows.focused);
}

TEST_F(AppWindow, InputReachesTheWidgetsOneMessagePerPass)
{
    InitApp();
    struct Case {
        const char* name;
        std::vector<WindowEvent> events;
        std::vector<std::string> calls;
    };
    WindowEvent wheel;
    wheel.kind = WindowEvent::MouseWheel;
    wheel.wheel = -1;
    WindowEvent text;
    text.kind = WindowEvent::Text;
    text.text = "\xC3\xA9";
    const std::vector<Case> cases = {
        { "double click", { Button(1, true), Button(1, false), Button(1, true, 2), Button(1, false, 2) },
          { "down 1 at 30,40", "up 1", "down 2 at 30,40", "up 1" } },
        { "right double click and middle",
          { Button(3, true), Button(3, false), Button(3, true, 2), Button(3, false, 2), Button(2, true), Button(2, false) },
          { "down -1 at 30,40", "up -1", "down -2 at 30,40", "up -1", "down 3 at 30,40", "up 3" } },
        { "wheel", { wheel }, { "wheel -1" } },
        { "enter", { Key(VK_RETURN, true), Key(VK_RETURN, false) }, { "key 13", "char 13" } },
        { "text", { text }, { "char 233" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        widget->calls.clear();
        for (const WindowEvent& e : c.events)
            Push(e);
        Step(40);
        EXPECT_EQ(widget->calls, c.calls);
    }
}

TEST_F(AppWindow, TheQueueCoalescesTimersColourChangesAndEverythingAfterAClose)
{
    InitApp();
    Send(WM_TIMER, 100);
    Send(WM_TIMER, 100);
    Send(WM_SYSCOLORCHANGE);
    Send(WM_TIMER, 100);
    Send(WM_DISPLAYCHANGE);
    Send(WM_CLOSE);
    Send(WM_KEYDOWN, 'A');
    Send(WM_CLOSE);
    EXPECT_EQ(Queued(), (std::vector<UINT> { WM_TIMER, WM_SYSCOLORCHANGE, WM_TIMER, WM_CLOSE }));
}

TEST_F(AppWindow, MouseSensitivityCarriesTheFractionOfAPixel)
{
    InitApp();
    app->mouseIn = true;
    app->mouseSensitivity = 0.5f;
    Send(WM_MOUSEMOVE, 0, MAKELPARAM(100, 100)); // the start: nothing moved yet
    Send(WM_MOUSEMOVE, 0, MAKELPARAM(103, 100));
    Send(WM_MOUSEMOVE, 0, MAKELPARAM(104, 100));
    std::vector<int> xs;
    for (const MSG& m : app->deferredMessages)
        if (m.message == WM_MOUSEMOVE)
            xs.push_back(GET_X_LPARAM(m.lParam));
    EXPECT_EQ(xs, (std::vector<int> { 101, 103 }));
}

TEST_F(AppWindow, TheCaptureIsReleasedOnlyWhenNoButtonIsHeld)
{
    InitApp();
    Send(WM_LBUTTONDOWN, 0, MAKELPARAM(10, 10));
    Send(WM_RBUTTONDOWN, 0, MAKELPARAM(10, 10));
    Send(WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    app->ProcessDeferredMessages(false);
    EXPECT_EQ(GetCapture(), app->hwnd);
    Send(WM_RBUTTONUP, 0, MAKELPARAM(10, 10));
    app->ProcessDeferredMessages(false);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(AppWindow, AltEnterSwitchesTheModeUnlessAModeIsForced)
{
    for (bool forced : { false, true }) {
        SCOPED_TRACE(forced);
        InitApp();
        app->forceWindowed = forced;
        Send(WM_SYSKEYDOWN, VK_RETURN);
        app->ProcessDeferredMessages(false);
        EXPECT_EQ(app->windowed, forced);
        EXPECT_EQ(app->displayWindowed, forced);
        app->widgetManager->RemoveWidget(widget.get());
        app.reset();
        platform::ResetWindows();
    }
}

TEST_F(AppWindow, AltF4ClosesAndOtherAltKeysStayWithTheGame)
{
    InitApp();
    EXPECT_EQ(Send(WM_SYSKEYDOWN, 'X'), 0);
    Step(20);
    EXPECT_FALSE(app->shutdown);
    Send(WM_SYSKEYDOWN, VK_F4);
    Step(20);
    EXPECT_TRUE(app->shutdown);
    EXPECT_TRUE(app->closeRequested);
}

// Nothing is marked dirty, yet the window that Start shows is presented on
// the loop's first pass, before any update or sleep: it never waits for the
// once-a-second refresh of an unchanged screen, nor (for an application that
// pauses without the focus, which its hidden window never had) sleeps as a
// paused one.
TEST_F(AppWindow, TheShownWindowIsPresentedOnTheLoopsFirstPass)
{
    for (bool pauses : { false, true }) {
        SCOPED_TRACE(pauses);
        MakeApp(false).pauseWithoutFocus = pauses;
        app->Init();
        EXPECT_EQ(app->paused, pauses);
        app->widgetManager->DrawScreen(); // leaves nothing dirty
        app->shutdownAfterUpdates = 1;
        const int presents = Display()->mPresents;
        const auto slept = backend->clock.SleptMillis();
        testing::internal::CaptureStderr();
        app->Start();
        testing::internal::GetCapturedStderr();
        ASSERT_FALSE(app->log.empty());
        EXPECT_EQ(app->log[0], 'D');
        EXPECT_EQ(Display()->mPresents, presents + 1);
        EXPECT_EQ(app->sleptAtFirstDraw, slept);
        EXPECT_FALSE(app->paused);
        app.reset();
        platform::ResetWindows();
    }
}

TEST_F(AppWindow, ACloseMessageEndsTheMainLoop)
{
    InitApp();
    WindowEvent close;
    close.kind = WindowEvent::Close;
    Push(close);
    testing::internal::CaptureStderr();
    app->Start();
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(app->shutdown);
    EXPECT_FALSE(backend->windows.visible);
}

TEST_F(AppWindow, DisplayFailuresFallBackInOrderAndEndWhenNothingIsLeft)
{
    struct Case {
        const char* name;
        bool windowed;
        bool is3D;
        std::vector<int> results;
        int exitCode; // -1: start-up goes on
        const char* message;
        bool windowedAfter;
    };
    const std::vector<Case> cases = {
        { "bad depth windowed goes full screen", true, false, { 6, 0 }, -1, nullptr, false },
        { "no exclusive mode goes windowed", false, false, { 4, 0 }, -1, nullptr, true },
        { "no mode change goes windowed", false, false, { 5, 0 }, -1, nullptr, true },
        { "windowed then full screen both fail", true, false, { 6, 4 }, 1, "Failed to initialize DirectDraw: RESULT_EXCLUSIVE_FAIL ", false },
        { "full screen then windowed both fail", false, false, { 5, 6 }, 1, "Please set your desktop color depth to 16 bit.", true },
        { "3D fails, 2D works", true, true, { 7, 0 }, -1, nullptr, true },
        { "plain failure", true, false, { 1 }, 1, "Failed to initialize DirectDraw: RESULT_FAIL ", true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Kivo::SetDisplayFactory([&c] {
            auto* display = new Kivo::NullDisplay(800, 600);
            display->mInitResults.assign(c.results.begin(), c.results.end());
            display->mIs3D = c.is3D;
            return display;
        });
        app = std::make_unique<TestApp>();
        app->windowed = c.windowed;
        int exitCode = -1;
        try {
            app->Init();
        } catch (const ExitCalled& e) {
            exitCode = e.code;
        }
        EXPECT_EQ(exitCode, c.exitCode);
        auto boxes = Boxes();
        if (c.message) {
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].text, c.message);
            EXPECT_EQ(boxes[0].caption, "FATAL ERROR");
        } else {
            EXPECT_TRUE(boxes.empty());
            EXPECT_EQ(app->displayWindowed, c.windowedAfter);
            EXPECT_FALSE(app->Is3DAccelerated());
        }
        app.reset();
        platform::ResetWindows();
    }
}

TEST_F(AppWindow, TheScreenSaverEndsOnTheFourthMouseMove)
{
    InitApp();
    app->screensaverMode = true;
    auto closePosted = [] {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            if (msg.message == WM_CLOSE)
                return true;
        return false;
    };
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(Send(WM_MOUSEMOVE, 0, MAKELPARAM(i * 10, 5)), 0);
        EXPECT_FALSE(closePosted()) << i;
    }
    Send(WM_MOUSEMOVE, 0, MAKELPARAM(40, 5));
    EXPECT_TRUE(closePosted());
}

} // namespace
} // namespace apptest

namespace apptest {
namespace {

TEST_F(AppTest, AMissingOrDamagedMainArchiveEndsStartUpWithAMessage)
{
    // The program's folder is the temporary one; the data it reads is there.
    struct PakApp : TestApp {
        bool ChangeDirHook(const std::string&) override { return true; }
    };
    struct Case {
        const char* name;
        const char* pak; // null: no main.pak
        bool required;
        int exitCode; // -1: start-up goes on
        const char* message;
    };
    const Case cases[] = {
        { "damaged", "not an archive", false, 1, "main.pak in" },
        { "missing where required", nullptr, true, 1, "main.pak is missing" },
        { "missing where loose files serve", nullptr, false, -1, nullptr },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::TempDir folder;
        if (c.pak)
            folder.Write("main.pak", c.pak);
        std::filesystem::current_path(folder.Path());
        auto pakApp = std::make_unique<PakApp>();
        pakApp->requireMainPak = c.required;
        int exitCode = -1;
        try {
            pakApp->Init();
        } catch (const ExitCalled& e) {
            exitCode = e.code;
        }
        std::filesystem::current_path(savedCwd);
        EXPECT_EQ(exitCode, c.exitCode);
        auto boxes = Boxes();
        if (c.message) {
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_NE(boxes[0].text.find(c.message), std::string::npos) << boxes[0].text;
        }
    }
}

} // namespace
} // namespace apptest
