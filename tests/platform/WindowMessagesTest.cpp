#include "platform/WindowSystem.h"
#include "platform/gdi/Cp1252.h"
#include "platform/headless/HeadlessBackend.h"
#include "platform/win32/Clipboard.h"
#include "platform/win32/Cursor.h"
#include "platform/win32/Messages.h"
#include "platform/win32/Shell.h"
#include "platform/win32/Time.h"
#include "tests/support/TempDir.h"
#include "tests/support/WindowEvents.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using platform::WindowEvent;
using testsupport::KeyEvent;
using testsupport::KindEvent;
using testsupport::TextEvent;
using testsupport::WheelEvent;

std::vector<MSG> gDispatched;

LRESULT RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    gDispatched.push_back(MSG { window, message, wParam, lParam, 0, { 0, 0 } });
    return DefWindowProcA(window, message, wParam, lParam);
}

class WindowMessages : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(platform::UseBackend("headless"));
        platform::ResetWindows();
        windows = &platform::HeadlessBackend::Current()->windows;
        WNDCLASSA wc {};
        wc.lpfnWndProc = RecordingProc;
        wc.lpszClassName = "TestWindow";
        RegisterClassA(&wc);
        window = CreateWindowExA(0, "TestWindow", "t", WS_POPUP | WS_CAPTION | WS_VISIBLE, 10, 20, 640, 480, nullptr,
                                 nullptr, nullptr, nullptr);
        gDispatched.clear();
    }
    void TearDown() override { platform::ResetWindows(); }

    // Every message the events give, each translated and dispatched.
    std::vector<MSG> Pump(const std::vector<WindowEvent>& events)
    {
        for (const WindowEvent& e : events)
            windows->Push(e);
        std::vector<MSG> out;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            out.push_back(msg);
            TranslateMessage(&msg);
        }
        return out;
    }

    // Buttons go down at (5, 6).
    static WindowEvent Button(int button, bool down, int clicks = 1)
    {
        return testsupport::ButtonEvent(button, down, 5, 6, clicks);
    }

    platform::ScriptedWindows* windows = nullptr;
    HWND window = nullptr;
};

struct Expected {
    UINT message;
    WPARAM wParam;
};

TEST_F(WindowMessages, EventsBecomeWindowsMessagesInWindowsOrder)
{
    struct Case {
        const char* name;
        std::vector<WindowEvent> events;
        std::vector<Expected> messages;
    };
    const std::vector<Case> cases = {
        { "double click", { Button(1, true), Button(1, false), Button(1, true, 2), Button(1, false, 2) },
          { { WM_LBUTTONDOWN, MK_LBUTTON }, { WM_LBUTTONUP, 0 }, { WM_LBUTTONDBLCLK, MK_LBUTTON }, { WM_LBUTTONUP, 0 } } },
        { "right and middle", { Button(3, true, 2), Button(3, false), Button(2, true), Button(2, false) },
          { { WM_RBUTTONDBLCLK, MK_RBUTTON }, { WM_RBUTTONUP, 0 }, { WM_MBUTTONDOWN, MK_MBUTTON }, { WM_MBUTTONUP, 0 } } },
        { "third click is a plain down", { Button(1, true, 3), Button(1, false, 3) },
          { { WM_LBUTTONDOWN, MK_LBUTTON }, { WM_LBUTTONUP, 0 } } },
        { "wheel halves add up to one notch", { WheelEvent(0.5f), WheelEvent(0.5f), WheelEvent(-2) },
          { { WM_MOUSEWHEEL, WPARAM(120) << 16 }, { WM_MOUSEWHEEL, WPARAM(WORD(-240)) << 16 } } },
        { "enter gives its character", { KeyEvent(VK_RETURN, true), KeyEvent(VK_RETURN, false) },
          { { WM_KEYDOWN, VK_RETURN }, { WM_CHAR, 13 }, { WM_KEYUP, VK_RETURN } } },
        { "backspace, tab, escape", { KeyEvent(VK_BACK, true), KeyEvent(VK_TAB, true), KeyEvent(VK_ESCAPE, true) },
          { { WM_KEYDOWN, VK_BACK }, { WM_CHAR, 8 }, { WM_KEYDOWN, VK_TAB }, { WM_CHAR, 9 }, { WM_KEYDOWN, VK_ESCAPE },
            { WM_CHAR, 27 } } },
        { "ctrl+v and ctrl+z", { KeyEvent(VK_CONTROL, true), KeyEvent('V', true), TextEvent("v"), KeyEvent('Z', true), KeyEvent(VK_CONTROL, false) },
          { { WM_KEYDOWN, VK_CONTROL }, { WM_KEYDOWN, 'V' }, { WM_CHAR, 22 }, { WM_KEYDOWN, 'Z' }, { WM_CHAR, 26 },
            { WM_KEYUP, VK_CONTROL } } },
        { "alt keys are system keys", { KeyEvent(VK_MENU, true), KeyEvent('X', true), KeyEvent('X', false), KeyEvent(VK_MENU, false) },
          { { WM_SYSKEYDOWN, VK_MENU }, { WM_SYSKEYDOWN, 'X' }, { WM_SYSKEYUP, 'X' }, { WM_SYSKEYUP, VK_MENU } } },
        { "text in Windows-1252", { TextEvent("a\xC3\xA9\xE2\x82\xAC\xE4\xB8\x80") },
          { { WM_CHAR, 'a' }, { WM_CHAR, 0xE9 }, { WM_CHAR, 0x80 } } },
        { "focus, minimise, close",
          { KindEvent(WindowEvent::FocusLost), KindEvent(WindowEvent::Minimized), KindEvent(WindowEvent::Close) },
          { { WM_ACTIVATEAPP, 0 }, { WM_NCACTIVATE, 0 }, { WM_ACTIVATE, 0 }, { WM_SIZE, SIZE_MINIMIZED },
            { WM_CLOSE, 0 } } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<MSG> got = Pump(c.events);
        ASSERT_EQ(got.size(), c.messages.size());
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].message, c.messages[i].message) << i;
            EXPECT_EQ(got[i].wParam, c.messages[i].wParam) << i;
            EXPECT_EQ(got[i].hwnd, window);
        }
    }
}

TEST_F(WindowMessages, BringingTheWindowForwardActivatesItOnce)
{
    Pump({ KindEvent(WindowEvent::FocusLost) });
    EXPECT_EQ(GetActiveWindow(), nullptr);
    SetForegroundWindow(window);
    std::vector<MSG> got = Pump({ KindEvent(WindowEvent::FocusGained) });
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].message, WM_ACTIVATEAPP);
    EXPECT_EQ(got[0].wParam, WPARAM(1));
    EXPECT_EQ(GetActiveWindow(), window);
}

TEST_F(WindowMessages, TimersComeWhenNothingElseWaitsAndNeverPileUp)
{
    auto& clock = platform::HeadlessBackend::Current()->clock;
    ASSERT_EQ(SetTimer(window, 100, 10, nullptr), UINT_PTR(100));
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    clock.AdvanceMillis(55); // five periods late
    windows->Push(Button(1, true));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_LBUTTONDOWN);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_TIMER);
    EXPECT_EQ(msg.wParam, WPARAM(100));
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    KillTimer(window, 100);
    clock.AdvanceMillis(100);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(WindowMessages, AltF4ClosesThroughDefaultProcessing)
{
    windows->Push(KeyEvent(VK_MENU, true));
    windows->Push(KeyEvent(VK_F4, true));
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
    EXPECT_FALSE(IsWindow(window));
    bool closed = false, destroyed = false;
    for (const MSG& m : gDispatched) {
        closed |= m.message == WM_CLOSE;
        destroyed |= m.message == WM_DESTROY;
    }
    EXPECT_TRUE(closed);
    EXPECT_TRUE(destroyed);
}

TEST_F(WindowMessages, WindowsAreplacedByTheirClientAreaOnTheDesktop)
{
    RECT work {};
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
    EXPECT_EQ(work.right, 1024);
    EXPECT_EQ(work.bottom, 728);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    EXPECT_EQ(GetSystemMetrics(SM_TABLETPC), 0);
    MoveWindow(window, 100, 50, 300, 200, FALSE);
    POINT p { 5, 6 };
    ClientToScreen(window, &p);
    EXPECT_EQ(p.x, 105);
    EXPECT_EQ(p.y, 56);
    BOOL running = TRUE;
    EXPECT_TRUE(SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0));
    EXPECT_FALSE(running);
}

TEST(Cursors, WindowsMasksBecomeBackendMasks)
{
    // Per bit: AND 1 XOR 0 clear, AND 0 XOR 0 black, AND 0 XOR 1 white,
    // AND 1 XOR 1 inverted.
    const uint8_t andMask[1] = { 0b1001'0000 };
    const uint8_t xorMask[1] = { 0b0011'0000 };
    uint8_t data[1], mask[1];
    platform::ConvertCursorMasks(andMask, xorMask, 1, data, mask);
    EXPECT_EQ(mask[0] & 0xF0, 0b0110'0000);
    EXPECT_EQ(data[0] & 0xF0, 0b0101'0000);
}

TEST(Text, Cp1252RoundTripsThroughUtf8)
{
    std::string all;
    for (int c = 1; c < 256; ++c)
        all += char(c);
    EXPECT_EQ(platform::Utf8ToCp1252(platform::Cp1252ToUtf8(all)), all);
    EXPECT_EQ(platform::Utf8ToCp1252("\xFF\xC3"), ""); // broken sequences stand for nothing
}

TEST(Clipboard, TextGoesThroughTheBackendAsUtf8)
{
    ASSERT_TRUE(platform::UseBackend("headless"));
    auto& windows = platform::HeadlessBackend::Current()->windows;
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_FALSE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, 4);
    std::memcpy(GlobalLock(memory), "\xE9t\x80", 4);
    GlobalUnlock(memory);
    SetClipboardData(CF_TEXT, memory);
    CloseClipboard();
    EXPECT_EQ(windows.clipboard, "\xC3\xA9t\xE2\x82\xAC");
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_STREQ(static_cast<const char*>(GlobalLock(GetClipboardData(CF_TEXT))), "\xE9t\x80");
    CloseClipboard();
}

TEST(Shell, OnlyWebAddressesAreOpenedAndWithoutAShell)
{
    std::vector<std::vector<std::string>> launched;
    platform::SetLauncher([&](const std::vector<std::string>& argv) {
        launched.push_back(argv);
        return true;
    });
    struct Case {
        const char* file;
        bool opens;
    };
    for (const Case& c : { Case { "https://example.com/a b;rm -rf x", true }, Case { "HTTP://example.com", true },
                           Case { "/bin/sh", false }, Case { "file:///etc/passwd", false }, Case { "calc.exe", false } }) {
        SCOPED_TRACE(c.file);
        launched.clear();
        const auto r = reinterpret_cast<uintptr_t>(ShellExecuteA(nullptr, "open", c.file, nullptr, nullptr, 1));
        EXPECT_EQ(r > 32, c.opens);
        if (c.opens) {
            ASSERT_EQ(launched.size(), 1u);
            EXPECT_EQ(launched[0], (std::vector<std::string> { "xdg-open", c.file }));
        } else {
            EXPECT_TRUE(launched.empty());
        }
    }
    platform::SetLauncher(nullptr);
}

// Whether another process that creates the named mutex is told it exists.
bool SecondProcessFindsMutex(const std::string& name)
{
    pid_t child = fork();
    if (child == 0) {
        HANDLE theirs = CreateMutexA(nullptr, TRUE, name.c_str());
        _exit(theirs && GetLastError() == ERROR_ALREADY_EXISTS ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(Shell, TheNamedMutexTellsASecondProcessThatItExists)
{
    unsetenv("XDG_RUNTIME_DIR");
    const std::string name = "KivoTestMutex" + std::to_string(getpid());
    HANDLE mine = CreateMutexA(nullptr, TRUE, name.c_str());
    ASSERT_NE(mine, nullptr);
    EXPECT_EQ(GetLastError(), 0u);
    EXPECT_TRUE(SecondProcessFindsMutex(name));
    CloseHandle(mine);
    std::remove(("/tmp/" + std::to_string(getuid()) + "-" + name + ".lock").c_str());
}

TEST(Shell, AnUnwritableRuntimeFolderDoesNotOpenTheGuard)
{
    // The runtime folder cannot hold the lock: the next folder does, and a
    // second process is still told that the first runs.
    testsupport::TempDir cache;
    setenv("XDG_RUNTIME_DIR", "/proc/no-such-folder", 1);
    setenv("XDG_CACHE_HOME", cache.Path().c_str(), 1);
    const std::string name = "KivoTestMutex" + std::to_string(getpid());
    HANDLE mine = CreateMutexA(nullptr, TRUE, name.c_str());
    ASSERT_NE(mine, nullptr);
    EXPECT_EQ(GetLastError(), 0u);
    EXPECT_TRUE(std::filesystem::exists(cache / (name + ".lock")));
    EXPECT_TRUE(SecondProcessFindsMutex(name));
    CloseHandle(mine);
    unsetenv("XDG_RUNTIME_DIR");
    unsetenv("XDG_CACHE_HOME");
}

} // namespace
