// A frame of the town: drawing the whole town through its items and layer
// sets, beside the same pictures drawn directly.
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "game/meta/Town.h"
#include "tests/support/ResourceTable.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// A background and twenty half-transparent buildings, each with the hidden
// construction and preview layers of the data set's items.
struct TownScene {
    TownScene()
    {
        auto add = [&](const std::string& id, int w, int h, uint32_t argb) {
            auto image = std::make_unique<Kivo::MemoryImage>();
            image->Create(w, h);
            uint32_t* bits = image->GetBits();
            for (int i = 0; i < w * h; ++i)
                bits[i] = (i / w) % 4 == 0 ? argb & 0x80FFFFFF : argb;
            image->BitsChanged();
            resources.mManager->AddImage(id, image.get());
            images.push_back(std::move(image));
        };
        add("BG", 800, 600, 0xFF406080);
        std::string xml = "<Objects>";
        for (int k = 0; k < 20; ++k) {
            const std::string id = "B" + std::to_string(k);
            add(id, 90, 130, 0xFFC0A080);
            xml += "<Object id=\"" + id + "\"><Layer x=\"" + std::to_string(30 + (k / 4) * 150) + "\" y=\"" +
                   std::to_string(200 + (k % 4) * 56) + "\"><Layer name=\"town\"><Image id=\"" + id +
                   "\"/></Layer><Layer name=\"gfx\"><Image id=\"" + id + "\"/></Layer><Layer name=\"preview\"><Image id=\"" +
                   id + "\"/></Layer></Layer></Object>";
        }
        xml += "<Object id=\"bg\"><Layer><Image id=\"BG\"/></Layer></Object></Objects>";
        town = std::make_unique<Town>();
        town->LoadItemsXml(xml);
        screen.Create(800, 600);
    }
    testsupport::ResourceTable resources;
    std::vector<std::unique_ptr<Kivo::MemoryImage>> images;
    std::unique_ptr<Town> town;
    Kivo::MemoryImage screen;
};

void BM_TownDraw(benchmark::State& state)
{
    TownScene scene;
    Kivo::Graphics g(&scene.screen);
    for (auto _ : state) {
        scene.town->Update();
        scene.town->UpdateF(1);
        scene.town->Draw(&g);
    }
}
BENCHMARK(BM_TownDraw);

// The reference: the same pictures drawn one after another.
void BM_TownDrawReference(benchmark::State& state)
{
    TownScene scene;
    Kivo::Graphics g(&scene.screen);
    for (auto _ : state) {
        g.DrawImage(scene.images[0].get(), 0, 0);
        for (int k = 0; k < 20; ++k)
            g.DrawImage(scene.images[static_cast<size_t>(k) + 1].get(), 30 + (k / 4) * 150, 200 + (k % 4) * 56);
    }
}
BENCHMARK(BM_TownDrawReference);

} // namespace
