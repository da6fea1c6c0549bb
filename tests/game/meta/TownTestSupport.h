#pragma once
// A current profile held in memory, in a data folder of its own, and a town
// built from item and stage texts over images registered by id.
#include "framework/core/Paths.h"
#include "game/effects/GfxDelay.h"
#include "game/meta/Town.h"
#include "game/meta/TownItemEffects.h"
#include "game/profiles/ProfileManager.h"
#include "tests/support/CurrentProfile.h"
#include "tests/support/ResourceTable.h"
#include "tests/support/TempDir.h"

#include <string>
#include <vector>

namespace towntest {

using testsupport::CurrentProfile;

// Five stages of four buildings b00..b19 costing 100 * (i + 1); building 0
// falls and shows "path", building 1 has an end animation on its
// "animation" layer; stage 0 shows "deco" when complete.
inline std::string StagesXml()
{
    std::string xml = "<Stages>";
    for (int s = 0; s < 5; ++s) {
        xml += "<Stage>";
        for (int b = 0; b < 4; ++b) {
            int i = 4 * s + b;
            char id[8];
            std::snprintf(id, sizeof id, "b%02d", i);
            xml += std::string("<Building id=\"") + id + "\"><Cost value=\"" + std::to_string(100 * (i + 1)) + "\"/>";
            if (i == 0)
                xml += "<Gfx name=\"fall\"/><Show id=\"path\"/>";
            if (i == 1)
                xml += "<Animation levels=\"2\"><Show id=\"b01:animation\" gfx=\"animation\"/></Animation>";
            xml += "</Building>";
        }
        if (s == 0)
            xml += "<Show id=\"deco\"/>";
        xml += "</Stage>";
    }
    return xml + "</Stages>";
}

inline std::string ItemsXml()
{
    std::string xml = "<Objects>";
    for (int i = 0; i < 20; ++i) {
        char id[8];
        std::snprintf(id, sizeof id, "b%02d", i);
        xml += std::string("<Object id=\"") + id + "\"><Type id=\"building\"/><Layer>"
               "<Layer name=\"town\"><Image id=\"T\"/></Layer><Layer name=\"gfx\"><Image id=\"G\"/></Layer>"
               "<Layer name=\"animation\"><Image id=\"A\"/></Layer><Layer name=\"preview\"><Image id=\"X\"/></Layer>"
               "</Layer></Object>";
    }
    xml += "<Object id=\"path\"><Type id=\"building\"/><Layer><Image id=\"P\"/></Layer></Object>"
           "<Object id=\"deco\"><Type id=\"stage\"/><Layer><Image id=\"D\"/></Layer></Object>"
           "<Object id=\"bg\"><Type id=\"background\"/><Layer><Image id=\"BG\"/></Layer></Object>"
           "</Objects>";
    return xml;
}

// The images the texts above and the item tests name: 40 x 30 pictures;
// "missing..." ids are not registered.
inline void AddTownImages(testsupport::ResourceTable& table)
{
    for (const char* id : {"T", "G", "A", "P", "D", "BG", "X", "Y"})
        table.AddImage(id, 40, 30);
}

// An effect waiting in an item's manager: its kind, item, delay in seconds
// (a wait in front of it) and direction.
struct AddedEffect {
    std::string kind;
    std::string item;
    float delay;
    bool show;
};

inline std::vector<AddedEffect> AddedEffects(const Town* town)
{
    std::vector<AddedEffect> out;
    for (TownItem* item : town->items) {
        for (gfxBase* e : item->effects.mEffects) {
            float delay = 0;
            if (auto* wait = dynamic_cast<GfxDelay*>(e)) {
                delay = wait->mTime;
                e = wait->mNextEffect;
            }
            AddedEffect a{"?", item->id, delay, true};
            if (auto* v = dynamic_cast<GfxTownItemVisible*>(e))
                a = {"Visible", item->id, delay, v->mAlpha.mTarget == 1};
            else if (auto* l = dynamic_cast<GfxTownItemLayerVisible*>(e))
                a = {"LayerVisible:" + l->mLayerName, item->id, delay, l->mAlpha.mTarget == 1};
            else if (dynamic_cast<GfxTownItemFall*>(e))
                a.kind = "Fall";
            else if (dynamic_cast<GfxTownItemFallParts*>(e))
                a.kind = "FallParts";
            else if (dynamic_cast<GfxTownItemGrow*>(e))
                a.kind = "Grow";
            out.push_back(a);
        }
    }
    return out;
}

// A town of the texts above (no archive is active, so its own files are
// missing), deleted with the fixture.
class TownFixture {
public:
    TownFixture()
    {
        AddTownImages(resources);
        town = new Town();
        town->LoadItemsXml(ItemsXml());
        LoadTownStagesXml(town->stages, StagesXml());
    }
    ~TownFixture() { delete town; }
    std::vector<AddedEffect> added() const { return AddedEffects(town); }
    void ClearEffects()
    {
        for (TownItem* item : town->items)
            item->effects.clearEffects();
    }

    testsupport::ResourceTable resources;
    CurrentProfile current;
    Town* town = nullptr;
};

} // namespace towntest
