#pragma once
// A current profile held in memory, in a data folder of its own, and a town
// built from item and stage texts with the picture and effect stand-ins.
#include "framework/core/Paths.h"
#include "game/meta/Town.h"
#include "game/profiles/ProfileManager.h"
#include "tests/game/meta/TownDoubles.h"
#include "tests/support/TempDir.h"

#include <string>

namespace towntest {

class CurrentProfile {
public:
    CurrentProfile()
    {
        Kivo::SetAppDataFolder(data.Path() + "/");
        manager = new ProfileManager();
        manager->profile = new Profile();
        manager->slotIndex = 0;
    }
    ~CurrentProfile()
    {
        manager->slotIndex = -1;
        delete manager;
        Kivo::SetAppDataFolder("");
    }
    Profile* profile() { return manager->profile; }
    testsupport::TempDir data;
    ProfileManager* manager;
};

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
               "<Layer name=\"animation\"><Image id=\"A\"/></Layer></Layer></Object>";
    }
    xml += "<Object id=\"path\"><Type id=\"building\"/><Layer><Image id=\"P\"/></Layer></Object>"
           "<Object id=\"deco\"><Type id=\"stage\"/><Layer><Image id=\"D\"/></Layer></Object>"
           "<Object id=\"bg\"><Type id=\"background\"/><Layer><Image id=\"BG\"/></Layer></Object>"
           "</Objects>";
    return xml;
}

// A town of the texts above (no archive is active, so its own files are
// missing), deleted with the fixture.
class TownFixture {
public:
    TownFixture()
    {
        town = new Town();
        town->LoadItemsXml(ItemsXml());
        LoadTownStagesXml(town->stages, StagesXml());
    }
    ~TownFixture() { delete town; }
    std::vector<AddedEffect>& added() { return host.added; }

    FakeGfxHost host;
    CurrentProfile current;
    Town* town = nullptr;
};

} // namespace towntest
