#pragma once
// The fixture archive shared by the loading tests: images of every kind,
// WAV sounds, a description font with its image, a strip font, and the
// manifest "properties/resources.xml" declaring them in group "General"
// (and a few in "Common" for the loading thread).
#include "ResourceTestSupport.h"

namespace restest {

extern const char* const kManifest;
std::vector<std::pair<std::string, std::string>> FixtureFiles();

// The archive, the strip font's widths file on disk, and an application.
struct LoadedFixture {
    LoadedFixture();
    PakFixture pak;
    TestApp app;
};

} // namespace restest
