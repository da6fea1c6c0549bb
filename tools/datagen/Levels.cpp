#include "tools/datagen/Levels.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace datagen {

namespace {

bool Cell(const std::string& token, std::string& out)
{
    if (token.size() != 2)
        return false;
    char kind = token[0] == 'o' ? 2 : token[0] == 'O' ? 3 : token[0] == '.' ? 1 : 0;
    if (!kind)
        return false;
    char brick = 0;
    unsigned mods = 0;
    switch (token[1]) {
    case '.': break;
    case '1': case '2': case '3': case '4': case '5': brick = char(token[1] - '1' + 3); break;
    case 'c': mods = 0x0002; break;
    case 'C': mods = 0x0006; break;
    case 'b': mods = 0x0008; break;
    case 'e': mods = 0x0100; break;
    case 'k': mods = 0x0020; break;
    case 'S': mods = 0x0060; break;
    case 'H': mods = 0x00A0; break;
    default: return false;
    }
    out += kind;
    out += brick;
    out += char(mods & 0xFF);
    out += char(mods >> 8);
    return true;
}

} // namespace

bool CompileLevels(const std::string& designFile, const std::string& outFolder, std::string& error)
{
    std::ifstream in(designFile);
    if (!in) {
        error = "cannot read " + designFile;
        return false;
    }
    std::filesystem::create_directories(outFolder);
    std::string line;
    int lineNo = 0, level = 0, row = 0;
    std::string bytes;
    auto finish = [&]() {
        char name[32];
        std::snprintf(name, sizeof name, "/level%03d.level", level);
        std::ofstream(outFolder + name, std::ios::binary) << bytes;
    };
    while (std::getline(in, line)) {
        ++lineNo;
        std::istringstream words(line);
        std::string first;
        if (!(words >> first) || first[0] == '#')
            continue;
        if (first == "level") {
            if (level && row != 10)
                break;
            int n = 0;
            words >> n;
            if (n != level + 1) {
                error = designFile + ":" + std::to_string(lineNo) + ": levels must be numbered 1, 2, ...";
                return false;
            }
            level = n;
            row = 0;
            bytes = std::string("\x01\x0a\x0a", 3);
            continue;
        }
        std::vector<std::string> cells {first};
        for (std::string t; words >> t;)
            cells.push_back(t);
        if (!level || row >= 10 || cells.size() != 10) {
            error = designFile + ":" + std::to_string(lineNo) + ": a row needs ten cells under a level header";
            return false;
        }
        for (const std::string& c : cells)
            if (!Cell(c, bytes)) {
                error = designFile + ":" + std::to_string(lineNo) + ": bad cell '" + c + "'";
                return false;
            }
        if (++row == 10)
            finish();
    }
    if (level == 0 || row != 10) {
        error = designFile + ": level " + std::to_string(level) + " is incomplete";
        return false;
    }
    return true;
}

} // namespace datagen
