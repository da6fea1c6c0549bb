// Ticks per second of play without drawing: a whole level played by
// match3sim's player (solver, moves, bonuses, falling, effects' timing),
// beside the reference of the field's own per-tick work (settle, one falling
// and refill step) on a full board.
#include "tests/support/MovementPlay.h"
#include "game/match/BrickFactory.h"
#include "tools/match3sim/Sim.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

// The data set of this build, or the one named by KIVO_DATA_DIR.
const char* DataFolder()
{
    const char* dir = std::getenv("KIVO_DATA_DIR");
    return dir ? dir : PLAY_DATA_DIR;
}

void BM_PlayLevel(benchmark::State& state)
{
    match3sim::Options options;
    options.level = static_cast<int>(state.range(0));
    options.mode = static_cast<int>(state.range(1));
    options.seed = 5;
    int64_t ticks = 0;
    for (auto _ : state) {
        match3sim::Result r = match3sim::PlayLevel(DataFolder(), options);
        if (!r.won)
            state.SkipWithError("the level was not won");
        ticks += r.ticks;
    }
    state.counters["ticks/s"] = benchmark::Counter(static_cast<double>(ticks), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PlayLevel)->Args({ 5, 1 })->Args({ 5, 2 })->Args({ 5, 3 })->Unit(benchmark::kMillisecond);

class FullBoard : public PatternPlay {
public:
    FullBoard() : PatternPlay(3, [](int x, int y) { return 1 + (x + 2 * y) % 4; }) {}
};

void BM_FieldTickReference(benchmark::State& state)
{
    FullBoard board;
    int64_t ticks = 0;
    for (auto _ : state) {
        board.Settle();
        benchmark::DoNotOptimize(board.FallAndRefill(true));
        ++ticks;
    }
    state.counters["ticks/s"] = benchmark::Counter(static_cast<double>(ticks), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FieldTickReference);

} // namespace
