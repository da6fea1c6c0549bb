// Reads arbitrary bytes as the particle definitions: the index and the
// system files it names, split at zero bytes (the index first, then the
// files served as "a", "b", "c" and "d"), then runs and draws every system
// that was read.
#include "FuzzPak.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "game/effects/ParticleLibraryManager.h"
#include "game/effects/ParticleSystem.h"
#include "tests/support/ResourceTable.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 16))
        return 0;
    static testsupport::ResourceTable* images = [] {
        auto* table = new testsupport::ResourceTable();
        auto* spark = table->AddImage("IMAGE_PARTICLE_SPARK", std::make_unique<Kivo::MemoryImage>());
        spark->Create(8, 8);
        std::fill(spark->GetBits(), spark->GetBits() + 64, 0x80FFC040u);
        return table;
    }();
    (void)images;

    std::vector<std::string> parts(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0 && parts.size() < 5)
            parts.emplace_back();
        else
            parts.back() += static_cast<char>(data[i]);
    }
    std::vector<std::pair<std::string, std::string>> files { { "particles.xml", parts[0] } };
    for (size_t i = 1; i < parts.size(); ++i)
        files.push_back({ std::string(1, static_cast<char>('a' + i - 1)), parts[i] });
    FuzzPak pak(files);
    if (!pak.ok)
        return 0;

    ParticleLibraryManager library;
    library.Load("particles.xml");
    Kivo::MemoryImage canvas;
    canvas.Create(48, 48);
    Kivo::Graphics g(&canvas);
    for (const char* id : { "a", "b", "c", "d", "letter_explode" }) {
        ParticleSystemInfo info;
        if (!library.Find(id, info))
            continue;
        for (float rate : { 0.0f, 50.0f }) {
            auto system = std::make_unique<ParticleSystem>(info, rate);
            system->FireAt(24, 24);
            for (int step = 0; step < 12; ++step) {
                system->Update(step < 10 ? 1.0f : 40.0f);
                system->MoveTo(24.0f + step, 24.0f, step % 2 == 0);
                if (step % 4 == 3)
                    system->Render(&g);
            }
        }
    }
    return 0;
}
