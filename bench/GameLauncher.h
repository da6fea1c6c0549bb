#pragma once
// Starts the game under an X display and watches its window, for
// bench_launch and bench_cpu: times, from just before exec, its top-level
// window being mapped (MapNotify on the root) and the first drawing into
// that window (its first presented frame, a DamageNotify); then, when asked,
// hands the running game over before ending it.
//
// The game runs in its own folder under a scratch HOME and runtime folder,
// so it neither reads nor writes the user's settings and no running copy
// stops it. The damage object is made when the window is created, before it
// can be mapped or drawn: every drawing after that is reported, none can be
// missed.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
#include <fcntl.h>

namespace gamelaunch {

namespace fs = std::filesystem;

inline double Ms(const timespec& t)
{
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) * 1e-6;
}

inline double NowMs()
{
    timespec t {};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return Ms(t);
}

[[noreturn]] inline void Fail(const std::string& message)
{
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, message.c_str());
    std::exit(2);
}

// Windows may vanish between their creation and our requests on them (the
// game's helper windows): such errors are expected and passed over.
inline int IgnoreXError(Display*, XErrorEvent*)
{
    return 0;
}

struct Launch {
    double mapped = 0;     // ms from exec to the window's MapNotify
    double firstFrame = 0; // ms from exec to the first damage on it
    pid_t pid = 0;
    Window window = None;
};

class Launcher {
public:
    Launcher(std::string program, std::vector<std::string> args, fs::path scratch)
        : program_(std::move(program)), args_(std::move(args)), scratch_(std::move(scratch))
    {
        display_ = XOpenDisplay(nullptr);
        if (!display_)
            Fail("no X display (set DISPLAY, e.g. to an Xvfb server)");
        int error = 0;
        if (!XDamageQueryExtension(display_, &damageEvent_, &error))
            Fail("the X server has no DAMAGE extension");
        int major = 1, minor = 1;
        XDamageQueryVersion(display_, &major, &minor);
        XSetErrorHandler(IgnoreXError);
        root_ = DefaultRootWindow(display_);
        pidAtom_ = XInternAtom(display_, "_NET_WM_PID", False);
        XSelectInput(display_, root_, SubstructureNotifyMask);
        XSync(display_, False);
    }

    ~Launcher() { XCloseDisplay(display_); }

    // One launch with HOME at `home`; nothing when the game ended or stayed
    // silent before its first frame (the reason is printed). `running`, when
    // given, gets the game after its first frame, before it is ended.
    std::optional<Launch> Run(const fs::path& home, const std::function<void(const Launch&)>& running = {})
    {
        fs::create_directories(home / "run");
        fs::permissions(home / "run", fs::perms::owner_all);
        const fs::path log = scratch_ / "game.log";

        int pipeFds[2];
        if (pipe2(pipeFds, O_CLOEXEC) != 0)
            Fail("pipe: " + std::string(std::strerror(errno)));
        std::vector<char*> argv;
        argv.push_back(program_.data());
        for (std::string& a : args_)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        const std::string folder = fs::path(program_).parent_path().string();
        const std::string homeText = home.string(), runText = (home / "run").string();

        const pid_t pid = fork();
        if (pid < 0)
            Fail("fork: " + std::string(std::strerror(errno)));
        if (pid == 0) {
            close(pipeFds[0]);
            setenv("HOME", homeText.c_str(), 1);
            setenv("XDG_RUNTIME_DIR", runText.c_str(), 1);
            unsetenv("XDG_CONFIG_HOME");
            unsetenv("XDG_DATA_HOME");
            unsetenv("XDG_CACHE_HOME");
            const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
            if (out >= 0) {
                dup2(out, 1);
                dup2(out, 2);
                close(out);
            }
            if (!folder.empty() && chdir(folder.c_str()) != 0)
                _exit(126);
            // The clock is read last before exec; the pipe closes on a
            // successful exec, or carries errno after the time when it fails.
            timespec start {};
            clock_gettime(CLOCK_MONOTONIC, &start);
            (void)!write(pipeFds[1], &start, sizeof start);
            execv(program_.c_str(), argv.data());
            const int err = errno;
            (void)!write(pipeFds[1], &err, sizeof err);
            _exit(127);
        }
        close(pipeFds[1]);
        timespec start {};
        int execError = 0;
        if (read(pipeFds[0], &start, sizeof start) != sizeof start)
            Fail("the launched process said nothing");
        const bool execFailed = read(pipeFds[0], &execError, sizeof execError) == sizeof execError;
        close(pipeFds[0]);
        if (execFailed) {
            waitpid(pid, nullptr, 0);
            Fail("cannot run " + program_ + ": " + std::strerror(execError));
        }
        const int pidFd = int(syscall(SYS_pidfd_open, pid, 0));
        if (pidFd < 0)
            Fail("pidfd_open: " + std::string(std::strerror(errno)));

        std::optional<Launch> result = Watch(pid, pidFd, Ms(start));
        if (result && running)
            running(*result);
        End(pid, pidFd);
        close(pidFd);
        if (!result)
            std::fprintf(stderr, "see the game's output in %s\n", log.c_str());
        return result;
    }

    Display* XDisplay() const { return display_; }
    int DamageEvent() const { return damageEvent_; }

private:
    std::optional<Launch> Watch(pid_t pid, int pidFd, double start)
    {
        Launch launch;
        Window game = None;
        pollfd fds[2] = { { ConnectionNumber(display_), POLLIN, 0 }, { pidFd, POLLIN, 0 } };
        for (;;) {
            // Events already read into Xlib's queue come first; then wait on
            // the connection and on the process together.
            while (XPending(display_)) {
                XEvent event;
                XNextEvent(display_, &event);
                const double now = NowMs();
                if (event.type == CreateNotify && event.xcreatewindow.parent == root_) {
                    XDamageCreate(display_, event.xcreatewindow.window, XDamageReportRawRectangles);
                    XFlush(display_);
                } else if (event.type == MapNotify && game == None && WindowPid(event.xmap.window) == pid) {
                    game = event.xmap.window;
                    launch.mapped = now - start;
                } else if (event.type == damageEvent_ + XDamageNotify) {
                    const auto& damage = reinterpret_cast<const XDamageNotifyEvent&>(event);
                    if (game != None && damage.drawable == game) {
                        launch.firstFrame = now - start;
                        launch.pid = pid;
                        launch.window = game;
                        return launch;
                    }
                }
            }
            if (poll(fds, 2, 30000) <= 0) {
                std::fprintf(stderr, "no %s within 30 s\n", game == None ? "window" : "frame");
                return std::nullopt;
            }
            if (fds[1].revents) {
                int status = 0;
                waitpid(pid, &status, 0);
                std::fprintf(stderr, "the game ended before its first frame (status %d)\n", status);
                return std::nullopt;
            }
        }
    }

    // Asks the game to quit as the system would (it saves its settings) and
    // waits for it; a game that does not end within ten seconds is killed.
    void End(pid_t pid, int pidFd)
    {
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        kill(pid, SIGTERM);
        pollfd fd { pidFd, POLLIN, 0 };
        if (poll(&fd, 1, 10000) <= 0) {
            std::fprintf(stderr, "the game did not end on SIGTERM; killed\n");
            kill(pid, SIGKILL);
        }
        waitpid(pid, nullptr, 0);
        // The closing windows' events are of no interest.
        XSync(display_, True);
    }

    long WindowPid(Window window)
    {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        long pid = -1;
        if (XGetWindowProperty(display_, window, pidAtom_, 0, 1, False, XA_CARDINAL, &type, &format, &count,
                               &after, &data) == Success
            && data && format == 32 && count == 1)
            pid = long(*reinterpret_cast<unsigned long*>(data));
        if (data)
            XFree(data);
        return pid;
    }

    std::string program_;
    std::vector<std::string> args_;
    fs::path scratch_;
    Display* display_ = nullptr;
    Window root_ = None;
    Atom pidAtom_ = None;
    int damageEvent_ = 0;
};

} // namespace gamelaunch
