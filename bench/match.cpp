// The board's per-tick work: settling the field and one step of falling and
// refill over a board whose lower half has just been cleared.
#include "game/match/BrickFactory.h"
#include "game/match/GamePlayMovement.h"

#include <benchmark/benchmark.h>

namespace {

class BenchPlay : public GamePlayMovement {
public:
    BrickBase* CreateBrick(int code) override { return ::CreateBrick(code); }
    BrickBase* CreateRandomBrick() override { return ::CreateBrick(3); }

    BenchPlay()
    {
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x) {
                SetCell(x, y, 1);
                PutBrick(y < 5 ? 1 + (x + y) % 6 : 0, x, y);
            }
    }
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

} // namespace
