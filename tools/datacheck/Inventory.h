#pragma once
// What the program reads from its data: the resource ids it asks for, by
// manifest group, and the text ids it shows.
#include <string>
#include <vector>

namespace datacheck {

struct RequiredId {
    std::string id;
    std::vector<std::string> groups; // any of these
};

const std::vector<RequiredId>& RequiredImages();
const std::vector<RequiredId>& RequiredFonts();
const std::vector<std::string>& RequiredSounds(); // group Sounds
const std::vector<std::string>& RequiredVoices(); // group Sounds, in voice.xml
const std::vector<std::string>& RequiredTexts();
// The hints whose place in the file is stored in profiles, in order.
const std::vector<std::string>& FrozenHints();

} // namespace datacheck
