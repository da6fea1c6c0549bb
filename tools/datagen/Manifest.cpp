#include "tools/datagen/Manifest.h"

#include <filesystem>
#include <fstream>

namespace datagen {

bool WriteFile(const std::string& path, const std::string& text)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary);
    out << text;
    return bool(out);
}

std::string Manifest(const std::vector<std::pair<std::string, std::string>>& groups)
{
    std::string m = "<ResourceManifest>\n";
    for (const auto& [group, body] : groups)
        m += "  <Resources id=\"" + group + "\">\n" + body + "  </Resources>\n";
    return m + "</ResourceManifest>\n";
}

std::string Defaults(const std::string& path)
{
    return "    <SetDefaults path=\"" + path + "\" idprefix=\"\"/>\n";
}

} // namespace datagen
