// 2,000 live particles advanced and drawn into an 800 x 600 image each
// frame (through the particle library and the program's device), beside the
// reference: 2,000 plain blits of a sprite of the same size.
#include "game/effects/PyroEmitter.h"
#include "game/effects/PyroLibraryManager.h"
#include "platform/pyro/PyroFormat.h"
#include "platform/pyro/PyroParticles.h"
#include "tests/support/PyroMemory.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr int kParticles = 2000;
constexpr int kSize = 16;

// A soft round sprite, white with alpha falling to the edge.
PyroParticles::TextureData Sprite()
{
    PyroParticles::TextureData t;
    t.width = t.height = kSize;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const float dx = (float(x) + 0.5f) / kSize * 2 - 1, dy = (float(y) + 0.5f) / kSize * 2 - 1;
            const float a = std::max(0.0f, 1 - (dx * dx + dy * dy));
            t.rgba.insert(t.rgba.end(), {255, 255, 255, uint8_t(a * 255)});
        }
    return t;
}

void BM_Particles(benchmark::State& state)
{
    const bool additive = state.range(0) != 0;
    PyroLibraryManager* manager = GetPyroLibraryManager();
    std::vector<uint8_t> png;
    PyroParticles::EncodePng(Sprite(), png);
    const std::string xml = std::string("<emitters><emitter name=\"bench\"><layer texture=\"s\" blend=\"") +
                            (additive ? "1" : "0") +
                            "\" burst=\"2000\" max=\"2000\" life_min=\"1000\" life_max=\"1000\" area_w=\"760\" "
                            "area_h=\"560\" speed_min=\"5\" speed_max=\"30\" spin_min=\"-90\" spin_max=\"90\" "
                            "size_start=\"16\" size_end=\"16\" color_start=\"0xC0FFE0A0\" "
                            "color_end=\"0xC0FFE0A0\"/></emitter></emitters>";
    testsupport::PyroMemoryReader reader(PyroParticles::WritePyroFile({{"s", png}}, xml));
    manager->LoadFile("bench.pyro", &reader);
    PyroEmitter emitter("bench");
    emitter.PlaceAndStart(400, 300);
    emitter.update(1);
    Kivo::MemoryImage screen;
    screen.Create(800, 600);
    Kivo::Graphics g(&screen);
    for (auto _ : state) {
        emitter.update(1);
        emitter.render(&g);
    }
    state.SetItemsProcessed(state.iterations() * kParticles);
    emitter.destroy();
    delete manager;
}
BENCHMARK(BM_Particles)->ArgName("additive")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_SpriteBlits(benchmark::State& state)
{
    const bool additive = state.range(0) != 0;
    const PyroParticles::TextureData t = Sprite();
    Kivo::MemoryImage sprite;
    sprite.Create(kSize, kSize);
    for (int i = 0; i < kSize * kSize; ++i)
        sprite.GetBits()[i] = uint32_t(t.rgba[size_t(i) * 4 + 3]) << 24 | 0xFFFFFF;
    sprite.BitsChanged();
    Kivo::MemoryImage screen;
    screen.Create(800, 600);
    Kivo::Graphics g(&screen);
    g.SetDrawMode(additive ? Kivo::DRAWMODE_ADDITIVE : Kivo::DRAWMODE_NORMAL);
    std::vector<std::pair<int, int>> places;
    uint32_t r = 12345;
    for (int i = 0; i < kParticles; ++i) {
        r = r * 1664525 + 1013904223;
        places.emplace_back(int(r % 784), int((r >> 12) % 584));
    }
    for (auto _ : state)
        for (const auto& [x, y] : places)
            g.DrawImage(&sprite, x, y);
    state.SetItemsProcessed(state.iterations() * kParticles);
}
BENCHMARK(BM_SpriteBlits)->ArgName("additive")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace
