// The board's per-tick work: settling the field and one step of falling and
// refill over a board whose lower half has just been cleared. Also the work
// after each settle (counting moves) and the chain's gap fill on a jump.
#include "game/match/BrickFactory.h"
#include "tests/support/MovementPlay.h"
#include "game/match/PathStorage.h"
#include "game/match/SolverChain.h"
#include "game/match/SolverSwap.h"

#include <benchmark/benchmark.h>

namespace {

class BenchPlay : public PatternPlay {
public:
    BenchPlay() : PatternPlay(3, [](int x, int y) { return y < 5 ? 1 + (x + y) % 6 : 0; }) {}
};

void BM_SettleFullBoard(benchmark::State& state)
{
    BenchPlay play;
    for (auto _ : state) {
        play.Settle();
        benchmark::DoNotOptimize(play.IsBusy());
    }
}
BENCHMARK(BM_SettleFullBoard);

void BM_FallAndRefillUntilFull(benchmark::State& state)
{
    for (auto _ : state) {
        BenchPlay play;
        for (int tick = 0; tick < 400; ++tick) {
            play.Update(1.0f);
            play.Settle();
            play.FallAndRefill(true);
        }
        benchmark::DoNotOptimize(play.GetBrickCode(9, 9));
    }
}
BENCHMARK(BM_FallAndRefillUntilFull);

// A full board of six colours in diagonal stripes.
class FullBoard : public BenchPlay {
public:
    FullBoard()
    {
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x)
                PutBrick(1 + (x + 2 * y) % 6, x, y);
    }
};

void BM_SolveSwap(benchmark::State& state)
{
    FullBoard board;
    SolverSwap solver(&board, nullptr);
    for (auto _ : state)
        benchmark::DoNotOptimize(solver.Solve());
}
BENCHMARK(BM_SolveSwap);

void BM_SolveChain(benchmark::State& state)
{
    FullBoard board;
    SolverChain solver(&board, nullptr);
    for (auto _ : state)
        benchmark::DoNotOptimize(solver.Solve());
}
BENCHMARK(BM_SolveChain);

// One colour everywhere: the jump from corner to corner searches the whole
// board for its route.
void BM_ChainJumpAcrossTheBoard(benchmark::State& state)
{
    BenchPlay board;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            board.PutBrick(1, x, y);
    PathStorage path(&board);
    for (auto _ : state) {
        path.Reset();
        path.AddCell(0, 0, board.GetBrick(0, 0));
        benchmark::DoNotOptimize(path.AddCell(9, 9, board.GetBrick(9, 9)));
    }
}
BENCHMARK(BM_ChainJumpAcrossTheBoard);

} // namespace
