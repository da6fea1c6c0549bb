// CPU per screen, as the player runs the game on an X display: starts the
// game on a fresh HOME (a first run), drives it with the mouse and keys
// through XTest (fixed positions on its 800 x 600 picture) to the title, the
// menu, a new player, the game screen in each mode with the how-to-play
// window and the pause window over it, and the town, and prints for each
// the share of one core the game's process used (user and system time from
// /proc/<pid>/stat) and the frames it presented per second (damage reports
// on its window), over SECONDS (10) each.
//
//   bench_cpu [-s SECONDS] PROGRAM [ARG...]     e.g. PROGRAM -windowed
//
// Run it without sound (SDL_AUDIODRIVER=dummy) for the figures of record.
#include "bench/GameLauncher.h"

#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>

namespace {

using namespace gamelaunch;

// utime + stime of the process, in clock ticks.
long CpuTicks(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The command name may hold spaces: fields count from after its ')'.
    const size_t close = text.rfind(')');
    if (close == std::string::npos)
        return -1;
    long utime = 0, stime = 0;
    char state = 0;
    if (std::sscanf(text.c_str() + close + 1, " %c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %ld %ld", &state, &utime,
                    &stime) != 3)
        return -1;
    return utime + stime;
}

class Player {
public:
    Player(Launcher& launcher, const Launch& game, int seconds)
        : display_(launcher.XDisplay()), damageEvent_(launcher.DamageEvent()), game_(game), seconds_(seconds)
    {
        int event = 0, error = 0, major = 0, minor = 0;
        if (!XTestQueryExtension(display_, &event, &error, &major, &minor))
            Fail("the X server has no XTEST extension");
    }

    void Wait(double seconds) { Pump(seconds); }

    // A click at (x, y) of the game's picture.
    void Click(int x, int y)
    {
        int rx = 0, ry = 0;
        Window child = None;
        XTranslateCoordinates(display_, game_.window, DefaultRootWindow(display_), x, y, &rx, &ry, &child);
        XTestFakeMotionEvent(display_, -1, rx, ry, CurrentTime);
        XTestFakeButtonEvent(display_, 1, True, 50);
        XTestFakeButtonEvent(display_, 1, False, 50);
        XFlush(display_);
        Pump(0.3);
    }

    void Key(KeySym key)
    {
        const KeyCode code = XKeysymToKeycode(display_, key);
        XTestFakeKeyEvent(display_, code, True, CurrentTime);
        XTestFakeKeyEvent(display_, code, False, 50);
        XFlush(display_);
        Pump(0.3);
    }

    // Windows the game opens on its own (how to play, hints) are closed
    // with their default button.
    void CloseWindows(int count)
    {
        for (int i = 0; i < count; ++i) {
            Key(XK_Return);
            Pump(1.5);
        }
    }

    void Measure(const char* screen)
    {
        frames_ = 0;
        const long before = CpuTicks(game_.pid);
        const double start = NowMs();
        Pump(seconds_);
        const double elapsed = (NowMs() - start) / 1000;
        const long after = CpuTicks(game_.pid);
        if (before < 0 || after < 0)
            Fail("the game ended");
        const double share = 100.0 * double(after - before) / double(sysconf(_SC_CLK_TCK)) / elapsed;
        std::printf("%-24s %5.1f %% of a core, %5.1f frames/s\n", screen, share, frames_ / elapsed);
        std::fflush(stdout);
    }

private:
    // Handles X events for `seconds`, counting the game window's frames.
    void Pump(double seconds)
    {
        const double end = NowMs() + seconds * 1000;
        for (;;) {
            while (XPending(display_)) {
                XEvent event;
                XNextEvent(display_, &event);
                // The launcher's damage reports every drawing request on
                // the window, the last of its rectangles without `more`:
                // one request per presented frame.
                const auto& damage = reinterpret_cast<const XDamageNotifyEvent&>(event);
                if (event.type == damageEvent_ + XDamageNotify && damage.drawable == game_.window && !damage.more)
                    ++frames_;
            }
            const double left = end - NowMs();
            if (left <= 0)
                return;
            pollfd fd { ConnectionNumber(display_), POLLIN, 0 };
            poll(&fd, 1, int(left) + 1);
        }
    }

    Display* display_;
    int damageEvent_;
    Launch game_;
    int seconds_;
    int frames_ = 0;
};

// The screens in the order a new player meets them; positions are on the
// 800 x 600 picture.
void Play(Player& p)
{
    p.Wait(20); // the logo and the loading title
    p.Measure("title");
    p.Click(400, 300);
    p.Wait(4);
    p.Measure("menu");
    p.Click(750, 540); // play: a first run asks for a player
    p.Wait(3);
    p.Click(410, 473); // its OK: level 1 in swap mode
    p.Wait(8);
    p.CloseWindows(3);
    p.Measure("game, swap");
    for (const auto& [x, name] : { std::pair { 325, "group" }, std::pair { 405, "chain" } }) {
        p.Click(x, 520); // the mode's button: its how-to-play window first
        p.Wait(3);
        p.Measure((std::string("how to play, ") + name).c_str());
        p.CloseWindows(3);
        p.Measure((std::string("game, ") + name).c_str());
    }
    p.Click(740, 550); // the pause window
    p.Wait(2);
    p.Measure("pause window");
    p.Key(XK_Escape);
    p.Wait(2);
    p.Click(80, 545); // the town
    p.Wait(4);
    p.Measure("town");
}

[[noreturn]] void Usage()
{
    std::fprintf(stderr, "usage: bench_cpu [-s SECONDS] PROGRAM [ARG...]\n");
    std::exit(2);
}

} // namespace

int main(int argc, char** argv)
{
    int seconds = 10;
    int i = 1;
    for (; i < argc && argv[i][0] == '-'; ++i) {
        if (std::strcmp(argv[i], "-s") == 0 && i + 1 < argc)
            seconds = std::atoi(argv[++i]);
        else
            Usage();
    }
    if (i >= argc || seconds < 1)
        Usage();
    const std::string program = fs::absolute(argv[i]).string();
    const std::vector<std::string> args(argv + i + 1, argv + argc);

    char pattern[] = "/tmp/bench_cpu.XXXXXX";
    if (!mkdtemp(pattern))
        Fail("cannot make a scratch folder: " + std::string(std::strerror(errno)));
    const fs::path scratch = pattern;
    Launcher launcher(program, args, scratch);
    const bool ran = launcher.Run(scratch / "home", [&](const Launch& game) {
        Player player(launcher, game, seconds);
        Play(player);
    }).has_value();
    if (ran)
        fs::remove_all(scratch);
    return ran ? 0 : 1;
}
