// Launch to window and to first frame, as the player sees it on an X display:
// starts the game N times and times, from just before exec, its top-level
// window being mapped (MapNotify on the root) and the first drawing into that
// window (its first presented frame, a DamageNotify), then ends it.
//
//   bench_launch [-n COUNT] [--fresh] PROGRAM [ARG...]
//
// The game runs in its own folder under a scratch HOME and runtime folder, so
// it neither reads nor writes the user's settings and no running copy stops
// it. By default one launch not counted first sets that HOME up (its first run
// tests the display and saves the verdict), and the counted launches are the
// ordinary ones that follow; --fresh gives every launch a new HOME instead.
//
// The damage object is made when the window is created, before it can be
// mapped or drawn: every drawing after that is reported, none can be missed.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>

#include <algorithm>
#include <cerrno>
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

namespace {

namespace fs = std::filesystem;

double Ms(const timespec& t)
{
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) * 1e-6;
}

double NowMs()
{
    timespec t {};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return Ms(t);
}

[[noreturn]] void Fail(const std::string& message)
{
    std::fprintf(stderr, "bench_launch: %s\n", message.c_str());
    std::exit(2);
}

// Windows may vanish between their creation and our requests on them (the
// game's helper windows): such errors are expected and passed over.
int IgnoreXError(Display*, XErrorEvent*)
{
    return 0;
}

struct Launch {
    double mapped = 0;     // ms from exec to the window's MapNotify
    double firstFrame = 0; // ms from exec to the first damage on it
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
    // silent before its first frame (the reason is printed).
    std::optional<Launch> Run(const fs::path& home)
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
        End(pid, pidFd);
        close(pidFd);
        if (!result)
            std::fprintf(stderr, "bench_launch: see the game's output in %s\n", log.c_str());
        return result;
    }

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
                        return launch;
                    }
                }
            }
            if (poll(fds, 2, 30000) <= 0) {
                std::fprintf(stderr, "bench_launch: no %s within 30 s\n", game == None ? "window" : "frame");
                return std::nullopt;
            }
            if (fds[1].revents) {
                int status = 0;
                waitpid(pid, &status, 0);
                std::fprintf(stderr, "bench_launch: the game ended before its first frame (status %d)\n", status);
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
            std::fprintf(stderr, "bench_launch: the game did not end on SIGTERM; killed\n");
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

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

[[noreturn]] void Usage()
{
    std::fprintf(stderr, "usage: bench_launch [-n COUNT] [--fresh] PROGRAM [ARG...]\n");
    std::exit(2);
}

} // namespace

int main(int argc, char** argv)
{
    int count = 10;
    bool fresh = false;
    int i = 1;
    for (; i < argc && argv[i][0] == '-'; ++i) {
        if (std::strcmp(argv[i], "-n") == 0 && i + 1 < argc)
            count = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--fresh") == 0)
            fresh = true;
        else
            Usage();
    }
    if (i >= argc || count < 1)
        Usage();
    const std::string program = fs::absolute(argv[i]).string();
    const std::vector<std::string> args(argv + i + 1, argv + argc);

    char pattern[] = "/tmp/bench_launch.XXXXXX";
    if (!mkdtemp(pattern))
        Fail("cannot make a scratch folder: " + std::string(std::strerror(errno)));
    const fs::path scratch = pattern;

    int failures = 0;
    std::vector<double> mapped, firstFrame;
    {
        Launcher launcher(program, args, scratch);
        if (!fresh && !launcher.Run(scratch / "home"))
            Fail("the launch that sets up HOME failed");
        for (int n = 1; n <= count; ++n) {
            const fs::path home = fresh ? scratch / ("home" + std::to_string(n)) : scratch / "home";
            const std::optional<Launch> launch = launcher.Run(home);
            if (!launch) {
                ++failures;
                continue;
            }
            std::printf("launch %2d: window mapped %7.1f ms, first frame %7.1f ms\n", n, launch->mapped,
                        launch->firstFrame);
            std::fflush(stdout);
            mapped.push_back(launch->mapped);
            firstFrame.push_back(launch->firstFrame);
        }
    }
    if (!mapped.empty())
        std::printf("median of %zu: window mapped %.1f ms, first frame %.1f ms\n", mapped.size(), Median(mapped),
                    Median(firstFrame));
    if (!failures)
        fs::remove_all(scratch);
    return failures ? 1 : 0;
}
