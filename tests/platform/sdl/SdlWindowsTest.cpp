// The SDL backend's half of the translation: SDL events in, window events
// out. It runs on SDL's dummy video driver.
#include "platform/Backend.h"
#include "platform/WindowSystem.h"
#include "platform/sdl/SdlBackend.h"
#include "platform/sdl/SdlWindows.h"

#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>
#include <string>
#include <vector>

namespace {

using platform::WindowEvent;

SDL_Event Key(SDL_Keycode key, bool down)
{
    SDL_Event e {};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.keysym.sym = key;
    return e;
}

SDL_Event Click(Uint8 button, Uint8 clicks)
{
    SDL_Event e {};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.button = button;
    e.button.clicks = clicks;
    e.button.x = 7;
    e.button.y = 9;
    return e;
}

SDL_Event Wheel(float precise, bool flipped)
{
    SDL_Event e {};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.preciseY = precise;
    e.wheel.y = int(precise);
    e.wheel.direction = flipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
    return e;
}

SDL_Event Window(Uint8 event)
{
    SDL_Event e {};
    e.type = SDL_WINDOWEVENT;
    e.window.event = event;
    return e;
}

SDL_Event Text(const char* utf8)
{
    SDL_Event e {};
    e.type = SDL_TEXTINPUT;
    SDL_strlcpy(e.text.text, utf8, sizeof e.text.text);
    return e;
}

TEST(SdlWindows, SdlEventsBecomeWindowEvents)
{
    platform::RegisterSdlBackend();
    ASSERT_TRUE(platform::UseBackend("sdl"));
    platform::WindowSystem& windows = platform::CurrentBackend().GetWindows();
    ASSERT_TRUE(windows.Open("test", 0, 0, 320, 200, false, true));
    WindowEvent e;
    while (windows.Poll(e)) {
    }

    struct Case {
        const char* name;
        SDL_Event in;
        bool out;
        WindowEvent::Kind kind;
        int value; // key, button, clicks or wheel x 100, by kind
    };
    SDL_Event quit {};
    quit.type = SDL_QUIT;
    const std::vector<Case> cases = {
        { "return", Key(SDLK_RETURN, true), true, WindowEvent::Key, 13 },
        { "keypad enter", Key(SDLK_KP_ENTER, true), true, WindowEvent::Key, 13 },
        { "letter", Key(SDLK_q, true), true, WindowEvent::Key, 'Q' },
        { "digit", Key(SDLK_7, false), true, WindowEvent::Key, '7' },
        { "right shift", Key(SDLK_RSHIFT, true), true, WindowEvent::Key, 16 },
        { "alt", Key(SDLK_LALT, true), true, WindowEvent::Key, 18 },
        { "f4", Key(SDLK_F4, true), true, WindowEvent::Key, 0x73 },
        { "key Windows lacks", Key(SDLK_AUDIOPLAY, true), false, WindowEvent::Key, 0 },
        { "double click", Click(SDL_BUTTON_LEFT, 2), true, WindowEvent::MouseButton, 2 },
        { "right button", Click(SDL_BUTTON_RIGHT, 1), true, WindowEvent::MouseButton, 3 },
        { "half a notch", Wheel(0.5f, false), true, WindowEvent::MouseWheel, 50 },
        { "flipped notch", Wheel(1, true), true, WindowEvent::MouseWheel, -100 },
        { "close", Window(SDL_WINDOWEVENT_CLOSE), true, WindowEvent::Close, 0 },
        { "quit", quit, true, WindowEvent::Close, 0 },
        { "focus", Window(SDL_WINDOWEVENT_FOCUS_LOST), true, WindowEvent::FocusLost, 0 },
        { "minimised", Window(SDL_WINDOWEVENT_MINIMIZED), true, WindowEvent::Minimized, 0 },
        { "text", Text("\xC3\xA9"), true, WindowEvent::Text, 0 },
    };
    for (Case c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(SDL_PushEvent(&c.in), 1);
        const bool got = windows.Poll(e);
        ASSERT_EQ(got, c.out);
        if (!got)
            continue;
        EXPECT_EQ(e.kind, c.kind);
        switch (c.kind) {
        case WindowEvent::Key: EXPECT_EQ(e.key, c.value); break;
        case WindowEvent::MouseButton:
            if (c.value == 2)
                EXPECT_EQ(e.clicks, 2);
            else
                EXPECT_EQ(e.button, c.value);
            EXPECT_EQ(e.x, 7);
            EXPECT_EQ(e.y, 9);
            break;
        case WindowEvent::MouseWheel: EXPECT_EQ(int(e.wheel * 100), c.value); break;
        case WindowEvent::Text: EXPECT_EQ(e.text, "\xC3\xA9"); break;
        default: break;
        }
        while (windows.Poll(e)) {
        }
    }
    windows.Close();
    ASSERT_TRUE(platform::UseBackend("headless"));
}

TEST(SdlWindows, TheWindowHasItsRendererBeforeItIsShownAndKeepsItsId)
{
    // A renderer made at the first present, after the window is shown, can
    // make a driver re-create the window: the user sees it vanish and come
    // back as another window. Open makes it first.
    auto windows = platform::MakeSdlWindows();
    ASSERT_TRUE(windows->Open("one window", 0, 0, 64, 48, false, true));
    auto* window = static_cast<SDL_Window*>(windows->NativeWindow());
    ASSERT_NE(window, nullptr);
    EXPECT_NE(SDL_GetRenderer(window), nullptr);
    EXPECT_NE(SDL_GetWindowFlags(window) & SDL_WINDOW_SHOWN, 0u);
    const Uint32 id = SDL_GetWindowID(window);
    windows->Show(false);
    windows->Show(true);
    EXPECT_EQ(SDL_GetWindowID(window), id);
    EXPECT_EQ(windows->NativeWindow(), window);
    windows->Close();
}

// Runs the window system in a child with the display variables given (null
// unsets), answering whether it could open a window and what it printed.
std::pair<bool, std::string> OpenWith(const char* videoDriver, const char* display)
{
    char path[] = "/tmp/sdl-display-XXXXXX";
    const int fd = mkstemp(path);
    EXPECT_GE(fd, 0);
    const pid_t child = fork();
    if (child == 0) {
        dup2(fd, 2);
        videoDriver ? setenv("SDL_VIDEODRIVER", videoDriver, 1) : unsetenv("SDL_VIDEODRIVER");
        display ? setenv("DISPLAY", display, 1) : unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("XDG_RUNTIME_DIR");
        auto windows = platform::MakeSdlWindows();
        const bool opened = windows->Open("t", 0, 0, 32, 32, false, true);
        windows.reset();
        std::fflush(stderr);
        _exit(opened ? 0 : 3);
    }
    int status = 0;
    waitpid(child, &status, 0);
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    close(fd);
    unlink(path);
    EXPECT_TRUE(WIFEXITED(status));
    return { WIFEXITED(status) && WEXITSTATUS(status) == 0, text.str() };
}

TEST(SdlWindows, ADriverThatShowsNothingServesOnlyRunsThatAskForIt)
{
    struct Case {
        const char* name;
        const char* driver;
        bool opens;
    };
    const Case cases[] = {
        { "no display, SDL left to choose", nullptr, false },
        { "no display, X11 forced", "x11", false },
        { "off-screen asked for by name", "offscreen", true },
        { "dummy asked for by name", "dummy", true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto [opened, err] = OpenWith(c.driver, nullptr);
        EXPECT_EQ(opened, c.opens) << err;
        if (!c.opens) {
            EXPECT_NE(err.find("No display could be opened"), std::string::npos) << err;
            // Ours is the only line: no driver the user has no display for
            // (Wayland without WAYLAND_DISPLAY) gets to print its own.
            EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        }
    }
}

} // namespace
