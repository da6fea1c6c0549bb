// Per-frame work of energised bricks: each brick's lightning outline is
// updated and drawn every frame. Reference: plain blits of the bricks.
#include "game/effects/LightningFigure.h"

#include "framework/core/Random.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "tests/support/DiscImage.h"
#include "tests/support/ResourceTable.h"

#include <benchmark/benchmark.h>

namespace {

// One scene for the program: the lightning keeps the images it looks up
// for good, and the benchmark runs each function more than once.
struct Scene {
    static Scene& Get()
    {
        static Scene* scene = new Scene;
        return *scene;
    }
    Scene()
    {
        Kivo::SeedRandomInt(1);
        table.AddImage("IMAGE_GFX_LIGHTNING_LINE", testsupport::DiscImage(64, 32, 12));
        table.AddImage("IMAGE_GFX_LIGHTNING_LINE_CENTER", testsupport::DiscImage(64, 32, 12));
        mask = table.AddImage("BRICK_MASK", testsupport::DiscImage(44, 44, 18));
        screen.Create(800, 600);
    }
    testsupport::ResourceTable table;
    Kivo::MemoryImage* mask;
    Kivo::MemoryImage screen;
};

// Ten energised bricks: every figure updated and drawn once per frame.
void BM_EnergyOutlines(benchmark::State& state)
{
    Scene& scene = Scene::Get();
    Kivo::SeedRandomInt(1);
    Kivo::Graphics g(&scene.screen);
    std::vector<std::unique_ptr<LightningFigure>> figures;
    for (int i = 0; i < 10; ++i)
        figures.push_back(std::make_unique<LightningFigure>(scene.mask, 2));
    for (auto _ : state) {
        for (size_t i = 0; i < figures.size(); ++i) {
            figures[i]->update(1.0f);
            g.PushState();
            g.SetColorizeImages(true);
            g.SetColorRGBA(255, 200, 80, 160);
            figures[i]->drawAt(&g, 100.0f + 50 * static_cast<float>(i), 300);
            g.PopState();
        }
    }
    state.SetItemsProcessed(state.iterations() * 10);
}
BENCHMARK(BM_EnergyOutlines);

// The reference: the same ten bricks blitted.
void BM_BrickBlits(benchmark::State& state)
{
    Scene& scene = Scene::Get();
    Kivo::SeedRandomInt(1);
    Kivo::Graphics g(&scene.screen);
    for (auto _ : state)
        for (int i = 0; i < 10; ++i)
            g.DrawImage(scene.mask, 100 + 50 * i, 300);
    state.SetItemsProcessed(state.iterations() * 10);
}
BENCHMARK(BM_BrickBlits);

} // namespace
