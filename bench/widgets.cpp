// One update of a widget tree (a screen of 20 panels with 10 controls each)
// beside the same number of virtual calls over a plain list, and the hit test
// of a mouse move through that tree.
#include "framework/widgets/WidgetManager.h"
#include "tests/support/FakeApp.h"

#include <benchmark/benchmark.h>

#include <list>
#include <memory>
#include <vector>

namespace {

constexpr int kPanels = 20;
constexpr int kControls = 10;

struct Tree {
    Tree()
    {
        screen.Resize(0, 0, 800, 600);
        app.mManager.AddWidget(&screen);
        for (int p = 0; p < kPanels; ++p) {
            auto& panel = panels.emplace_back(std::make_unique<Kivo::Widget>());
            panel->Resize((p % 5) * 160, (p / 5) * 150, 150, 140);
            screen.AddWidget(panel.get());
            for (int c = 0; c < kControls; ++c) {
                auto& control = controls.emplace_back(std::make_unique<Kivo::Widget>());
                control->Resize(5 + (c % 2) * 70, 5 + (c / 2) * 26, 65, 24);
                panel->AddWidget(control.get());
            }
        }
    }
    ~Tree() { app.mManager.RemoveAllWidgets(false, true); }

    FakeApp app;
    Kivo::Widget screen;
    std::vector<std::unique_ptr<Kivo::Widget>> panels;
    std::vector<std::unique_ptr<Kivo::Widget>> controls;
};

void BM_UpdateFrame(benchmark::State& state)
{
    Tree tree;
    for (auto _ : state)
        benchmark::DoNotOptimize(tree.app.mManager.UpdateFrame());
    state.SetItemsProcessed(state.iterations() * (1 + kPanels + kPanels * kControls));
}

void BM_PlainVirtualWalkReference(benchmark::State& state)
{
    std::list<std::unique_ptr<Kivo::Widget>> nodes;
    for (int i = 0; i < 1 + kPanels + kPanels * kControls; ++i)
        nodes.push_back(std::make_unique<Kivo::Widget>());
    for (auto _ : state)
        for (auto& node : nodes)
            node->Update();
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(nodes.size()));
}

void BM_MouseMoveHitTest(benchmark::State& state)
{
    Tree tree;
    int i = 0;
    for (auto _ : state) {
        tree.app.mManager.MouseMove((i * 37) % 800, (i * 53) % 600);
        ++i;
    }
}

} // namespace

BENCHMARK(BM_UpdateFrame);
BENCHMARK(BM_PlainVirtualWalkReference);
BENCHMARK(BM_MouseMoveHitTest);
