// Loads what a manifest declares from a small archive, so the image, font
// and sound readers are reached through the resource manager as the program
// reaches them. The input is a 16-bit length, the manifest of that length
// and then the bytes served under every file name a seed manifest uses.
#include "FuzzApp.h"
#include "FuzzPak.h"
#include "framework/resources/ResourceManager.h"
#include "platform/headless/HeadlessBackend.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

const char* const kFiles[] = { "images/a.png", "images/a.gif", "images/a.jpg", "images/a.tga", "images/a.j2k",
    "images/_a.png", "images/font.png", "fonts/font.txt", "fonts/desc.txt", "sounds/s.ogg", "sounds/s.wav",
    "sounds/s.au" };

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const size_t length = std::min<size_t>(size - 2, size_t(data[0]) | size_t(data[1]) << 8);
    const std::string manifest(reinterpret_cast<const char*>(data + 2), length);
    const std::string payload(reinterpret_cast<const char*>(data + 2 + length), size - 2 - length);
    std::vector<std::pair<std::string, std::string>> files { { "properties/resources.xml", manifest } };
    for (const char* name : kFiles)
        files.push_back({ name, payload });
    FuzzPak pak(files);
    if (!pak.ok)
        return 0;
    FuzzApp& app = *FuzzApp::Get("FuzzManifest");
    {
        Kivo::ResourceManager manager(&app.resourceHost);
        if (manager.ParseResourcesFile("properties/resources.xml")) {
            for (const char* group : { "", "Init", "Game" })
                manager.LoadResources(group);
        }
        manager.DeleteResources("");
        manager.DeleteResources("Init");
        manager.DeleteResources("Game");
    }
    for (auto& [key, shared] : app.sharedImageMap)
        delete shared.mImage;
    app.sharedImageMap.clear();
    // The headless backend keeps every message box it showed (a damaged
    // font says so in one) until they are taken.
    platform::HeadlessBackend::Current()->boxes.TakeShown();
    return 0;
}
