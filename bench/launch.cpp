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
#include "bench/GameLauncher.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using namespace gamelaunch;

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
