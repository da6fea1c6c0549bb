// The SDL backend's message boxes on a real X server: a fatal box started
// before any window exists (a missing main.pak) appears and is answered, or,
// where the server cannot draw it, is reported as not shown.
#include "platform/Backend.h"
#include "platform/sdl/SdlBackend.h"
#include "platform/win32/MessageBox.h"
#include "tests/support/TempDir.h"

#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
// Last: Xlib's macros (None, Bool, Status) would clash with the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace {

// An Xvfb of its own on a free display, with the font path given (empty:
// the server's own).
class XServer {
public:
    explicit XServer(const std::string& fontPath)
    {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            close(fds[0]);
            const std::string fd = std::to_string(fds[1]);
            if (fontPath.empty())
                execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0", "640x480x24",
                       static_cast<char*>(nullptr));
            else
                execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0", "640x480x24",
                       "-fp", fontPath.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        char number[16] = {};
        ssize_t n = 0;
        for (ssize_t got; n < ssize_t(sizeof number) - 1 && (got = read(fds[0], number + n, 1)) == 1 && number[n] != '\n';)
            n += got;
        close(fds[0]);
        if (n > 0)
            display_ = ":" + std::string(number, size_t(n));
    }
    ~XServer()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    // Empty when the server did not start.
    const std::string& Display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

// The top-level window titled `title`, or 0.
Window FindTitled(Display* display, const char* title)
{
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        // The title's bytes, whatever text type it was stored as (an ASCII
        // title reads the same in each).
        XWindowAttributes attributes;
        XTextProperty name {};
        if (XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable &&
            XGetWMName(display, children[i], &name) && name.value) {
            if (std::string(reinterpret_cast<char*>(name.value), name.nitems) == title)
                found = children[i];
            XFree(name.value);
        }
    }
    XFree(children);
    return found;
}

void PressReturn(Display* display, Window window)
{
    for (int type : { KeyPress, KeyRelease }) {
        XEvent e {};
        e.xkey.type = type;
        e.xkey.display = display;
        e.xkey.window = window;
        e.xkey.root = DefaultRootWindow(display);
        e.xkey.same_screen = True;
        e.xkey.keycode = XKeysymToKeycode(display, XK_Return);
        XSendEvent(display, window, True, type == KeyPress ? KeyPressMask : KeyReleaseMask, &e);
    }
    XFlush(display);
}

struct ShowOutcome {
    int answer = -1;
    bool seen = false;
};

// Shows a fatal box on `display` through the SDL backend, with nothing on
// the program path, so that no helper program stands in for the box. A
// watcher presses Return in the box once it is on the screen; it is a process
// of its own, since SDL forks to show the box and a thread of ours inside
// Xlib at that moment would leave the box's process waiting on Xlib's lock.
ShowOutcome ShowFatalBox(const std::string& display)
{
    const testsupport::TempDir emptyPath;
    // Put back when the box is done.
    struct Variable {
        const char* name;
        std::optional<std::string> was;
    } variables[] = { { "DISPLAY", {} }, { "PATH", {} }, { "WAYLAND_DISPLAY", {} } };
    for (Variable& v : variables)
        if (const char* value = std::getenv(v.name))
            v.was = value;
    setenv("DISPLAY", display.c_str(), 1);
    setenv("PATH", emptyPath.Path().c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");

    int seen[2];
    EXPECT_EQ(pipe(seen), 0);
    const pid_t watcher = fork();
    if (watcher == 0) {
        close(seen[0]);
        Display* x = XOpenDisplay(display.c_str());
        if (!x)
            _exit(1);
        for (;;) {
            if (Window box = FindTitled(x, "FATAL ERROR")) {
                // Said before the answer, so the shower knows once it has it;
                // Return is pressed again until the box is gone (the shower
                // ends this process then), in case a press comes too early.
                if (write(seen[1], "y", 1) != 1)
                    _exit(1);
                for (;;) {
                    PressReturn(x, box);
                    usleep(100000);
                }
            }
            usleep(20000);
        }
    }
    close(seen[1]);
    ShowOutcome outcome;
    outcome.answer = platform::CurrentBackend().GetMessageBoxes().Show("main.pak is missing.", "FATAL ERROR",
                                                                         MB_OK | MB_ICONERROR, IDOK);
    kill(watcher, SIGKILL);
    waitpid(watcher, nullptr, 0);
    char said = 0;
    outcome.seen = read(seen[0], &said, 1) == 1;
    close(seen[0]);
    for (const Variable& v : variables)
        v.was ? setenv(v.name, v.was->c_str(), 1) : unsetenv(v.name);
    return outcome;
}

TEST(SdlMessageBoxes, AFatalBoxAppearsOnAPlainXServerOrIsReportedAsNotShown)
{
    platform::RegisterSdlBackend();
    ASSERT_TRUE(platform::UseBackend("sdl"));
    struct Case {
        const char* name;
        // Empty for the server's own font path, where the installed X core
        // fonts are; "built-ins" leaves only the server's two fonts.
        const char* fontPath;
        bool shown;
    };
    const Case cases[] = {
        { "the installed X core fonts", "", true },
        { "no X core fonts", "built-ins", false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        XServer server(c.fontPath);
        ASSERT_FALSE(server.Display().empty()) << "Xvfb did not start";
        ShowOutcome outcome = ShowFatalBox(server.Display());
        EXPECT_EQ(outcome.seen, c.shown);
        EXPECT_EQ(outcome.answer, c.shown ? IDOK : 0);
    }
    platform::UseBackend("headless");
}

} // namespace
