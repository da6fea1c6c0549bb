#pragma once
// Writing files and resource manifests, shared by both generator programs.
#include <string>
#include <utility>
#include <vector>

namespace datagen {

bool WriteFile(const std::string& path, const std::string& text);
// A manifest of (group, body) sections; each body should begin with Defaults.
std::string Manifest(const std::vector<std::pair<std::string, std::string>>& groups);
std::string Defaults(const std::string& path);

} // namespace datagen
