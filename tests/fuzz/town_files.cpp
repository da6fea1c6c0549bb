// Reads arbitrary bytes as a town items file, as a stage file and as the
// profile's town progress, then drives the town over what was read.
#include "framework/core/Paths.h"
#include "game/meta/Town.h"
#include "game/profiles/ProfileManager.h"
#include "tests/support/ResourceTable.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 16))
        return 0;
    static testsupport::ResourceTable* images = [] {
        auto* table = new testsupport::ResourceTable();
        for (const char* id : {"T", "G", "A", "X"})
            table->AddImage(id, 40, 30);
        return table;
    }();
    (void)images;
    static ProfileManager* manager = [] {
        Kivo::SetAppDataFolder("/nonexistent/town_files_fuzz/");
        auto* m = new ProfileManager();
        if (!m->profile)
            m->profile = new Profile();
        m->slotIndex = 0;
        return m;
    }();
    std::string text(reinterpret_cast<const char*>(data), size);

    Town* town = new Town();
    town->LoadItemsXml(text);
    LoadTownStagesXml(town->stages, text);

    Kivo::Buffer blob;
    blob.SetData(data, static_cast<int>(size));
    manager->profile->SetBuffer("town_info", &blob);
    int built = Town::GetBuiltCount();
    if (built < 0 || built > Town::kBuildingCount || Town::GetCurrentStage() > 4)
        __builtin_trap();
    town->Rebuild();
    for (int i = 0; i < Town::kBuildingCount; ++i) {
        Town::CanAfford(i);
        town->ShowBuilding(i / 4, i % 4, true);
        town->ReplayBuildingAnimation(i / 4, i % 4, true);
    }
    Town::AgeBuildingAnimations();
    Town::SetBought(size % 21);
    town->Update();
    delete town;
    return 0;
}
