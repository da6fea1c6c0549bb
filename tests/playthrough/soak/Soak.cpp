// The long run behind scripts/soak: the playthrough's player goes on from
// level to level, switching to the next mode after each, for the given
// minutes of real time. Each minute it reports the levels played, the
// updates per second and the resident memory. It fails (exit code 1) on a
// stall (nothing on screen, board or profile changed for 60 seconds of game
// time), on a level the player could not finish, or on memory that still
// grows after the first five minutes; sanitizer reports end the process on
// their own. The run's seed is printed first and a failure prints the seed,
// the display, the mode, the level and the board: the same seed plays the
// same game again up to the failure, whatever the speed of the machine.
//   playthrough_soak [minutes] [2d|3d] [--seed N]
#include "tests/playthrough/Playthrough.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

long ResidentKiB()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

} // namespace

int main(int argc, char** argv)
{
    double minutes = 30;
    bool is3D = true;
    uint32_t seed = uint32_t(Clock::now().time_since_epoch().count());
    std::vector<std::string> plain;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--seed" && i + 1 < argc)
            seed = uint32_t(std::strtoul(argv[++i], nullptr, 10));
        else
            plain.push_back(arg);
    }
    if (plain.size() > 0)
        minutes = std::max(1.0, std::atof(plain[0].c_str()));
    if (plain.size() > 1)
        is3D = plain[1] != "2d";
    const char* label = is3D ? "3d" : "2d";
    std::printf("[%s] seed %u: playthrough_soak %g %s --seed %u plays this run again\n", label, seed, minutes, label,
                seed);
    std::fflush(stdout);

    playthrough::Options options;
    options.is3D = is3D;
    options.seed = seed;
    playthrough::Driver p(options);

    const auto start = Clock::now();
    auto next = start + std::chrono::minutes(1);
    int minute = 0;
    int updatesThen = 0;
    std::vector<long> resident;

    // Stall watch: the screen, window, field and profile once per second of
    // game time.
    std::string lastState;
    int sameSeconds = 0;
    bool done = false;
    p.onUpdate = [&] {
        if (p.app->updateCount % 100 != 0)
            return;
        const std::string cp = p.Checkpoint();
        // Everything but the generator (idle animations draw numbers too),
        // and under a window not the field either: a window that animates
        // a board of its own still waits for the player.
        const bool window = p.TopWindow() != nullptr;
        const std::string state = cp.substr(0, window ? cp.find(" f") : cp.find(" r")) + cp.substr(cp.find(" p"));
        sameSeconds = state == lastState ? sameSeconds + 1 : 0;
        lastState = state;
        if (sameSeconds >= 60) {
            p.Fail("stall: nothing changed for 60 s of game time at update " + std::to_string(p.app->updateCount) +
                   " (" + state + ")");
            // A window's own loop may hold the run: ending the game ends
            // every loop, so the failure is reported.
            p.app->Shutdown();
        }
        const auto now = Clock::now();
        if (now >= next) {
            ++minute;
            next += std::chrono::minutes(1);
            resident.push_back(ResidentKiB());
            std::printf("[%s] minute %d: levels %d, %.0f updates/s, resident %ld MiB\n", label, minute,
                        p.levelsPlayed, (p.app->updateCount - updatesThen) / 60.0, resident.back() / 1024);
            std::fflush(stdout);
            updatesThen = p.app->updateCount;
            if (minute >= minutes)
                p.stop = done = true;
        }
    };

    auto fail = [&](const char* where) {
        std::printf("[%s] FAILED %s: %s\n", label, where, p.failure.c_str());
        const GamePlayBase* play = p.Play();
        std::printf("[%s] seed %u, %s display, game type %d, level %d, %d moves on the board, update %d\n", label,
                    seed, label, GetProfileInt("game_type"), GetProfileInt("game_current_level"),
                    play ? play->GetMoveCount() : -1, p.app->updateCount);
        for (const std::string& row : p.BoardRows())
            std::printf("[%s]   %s\n", label, row.c_str());
        return 1;
    };
    p.Start();
    if (!p.TitleToMenu() || !p.MenuToGame())
        return fail("on the way to the game");
    while (!done) {
        if (!p.PlayLevel(1800) && !done)
            return fail("in a level");
        if (done)
            break;
        if (!p.UpgradeAndBack())
            return fail("on the upgrade screen");
        if (!p.SwitchMode(GetProfileInt("game_type") % 3 + 1))
            return fail("switching modes");
    }
    if (!p.failure.empty())
        return fail("while playing");

    // Memory after the first five minutes: the end may not stand above the
    // highest of the first half of the rest by more than a little.
    int status = 0;
    if (resident.size() >= 8) {
        const size_t from = 4, half = from + (resident.size() - from) / 2;
        const long early = *std::max_element(resident.begin() + from, resident.begin() + half);
        if (resident.back() > early + early / 20 + 16 * 1024) {
            std::printf("[%s] FAILED: resident memory still grows: %ld MiB at minute 5 to %ld MiB at the end\n", label,
                        resident[from] / 1024, resident.back() / 1024);
            status = 1;
        }
    }
    const int levelNow = GetProfileInt("game_current_level");
    p.stop = false;
    if (p.PauseToMenuAndOptions())
        p.Quit();
    std::printf("[%s] %s: %d levels in %d minutes (towns completed %d, level %d now), %d updates\n", label,
                status ? "FAILED" : "passed", p.levelsPlayed, minute, p.townsCompleted,
                levelNow, p.app->updateCount);
    return status;
}
