// Per-tick and per-frame work of the effect list and the image mesh.
#include "game/effects/GfxManager.h"
#include "game/effects/ImageMesh.h"
#include "game/effects/gfxBase.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"

#include <benchmark/benchmark.h>

namespace {

// Runs for ever, releasing a short-lived follow-up every 8th step.
struct Spawner : gfxBase {
    int mStep = 0;
    int process() override
    {
        if (++mStep % 8 == 0)
            addNext(new gfxBase);
        return 0;
    }
};

void BM_ProcessEffects(benchmark::State& state)
{
    GfxManager manager;
    for (int i = 0; i < state.range(0); ++i)
        manager.addEffect(new Spawner);
    for (auto _ : state) {
        manager.processEffects();
        manager.updateEffects(1.0f);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ProcessEffects)->Arg(64)->Arg(1024);

void BM_ImageMeshDraw(benchmark::State& state)
{
    Kivo::MemoryImage source;
    source.Create(128, 128);
    Kivo::MemoryImage screen;
    screen.Create(800, 600);
    Kivo::Graphics g(&screen);
    ImageMesh mesh(&source, static_cast<int>(state.range(0)), 0.5f);
    for (auto _ : state)
        mesh.Draw(&g);
}
BENCHMARK(BM_ImageMeshDraw)->Arg(16)->Arg(32);

} // namespace
