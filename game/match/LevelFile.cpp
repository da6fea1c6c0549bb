#include "game/match/LevelFile.h"

#include "framework/app/KivoAppBase.h"
#include "framework/core/PakFile.h"
#include "framework/core/Strings.h"
#include "game/match/LevelMap.h"

#include <algorithm>

namespace {

// 0 until read from the settings.
int gLevelFiles = 0;

uint8_t BrickCode(uint8_t b)
{
    // 3..7: the level's first to fifth colour; anything else random.
    return b >= 3 && b <= 7 ? static_cast<uint8_t>(257 - b) : 0;
}

uint32_t CellFlagsOf(uint8_t type, uint16_t mods)
{
    uint32_t flags = type == 2 ? 8u : type == 3 ? 24u : 0u;
    if (mods & 32)
        flags |= 1;
    if (mods & 64)
        flags |= 2;
    if (mods & 128)
        flags |= 4;
    return flags;
}

uint32_t BrickFlagsOf(uint16_t mods)
{
    uint32_t flags = 0;
    if (mods & 2)
        flags |= 1;
    if (mods & 4)
        flags |= 3;
    if (mods & (8 | 16))
        flags |= 4;
    if (mods & 256)
        flags |= 8;
    return flags;
}

} // namespace

std::unique_ptr<LevelMap> ParseLevelFile(const uint8_t* data, size_t size)
{
    if (!data || size < 3 || size > kMaxLevelFileRead)
        return nullptr;
    int width = data[1];
    int height = data[2];
    if (width < 1 || height < 1 || width > kMaxLevelSide || height > kMaxLevelSide)
        return nullptr;
    if (size - 3 != 4 * static_cast<size_t>(width) * static_cast<size_t>(height))
        return nullptr;
    auto map = std::make_unique<LevelMap>(width, height);
    const uint8_t* record = data + 3;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x, record += 4) {
            auto mods = static_cast<uint16_t>(record[2] | (record[3] << 8));
            map->SetCell(x, y, BrickCode(record[1]), 1, BrickFlagsOf(mods), CellFlagsOf(record[0], mods));
        }
    }
    return map;
}

bool LoadLevelFile(const std::string& name, std::unique_ptr<LevelMap>& out)
{
    out.reset();
    std::string path = "levels/" + name + ".level";
    PakFileHandle* file = PakFileOpen(path.c_str(), "rb");
    if (!file)
        return false;
    uint8_t bytes[kMaxLevelFileRead];
    size_t read = PakFileEof(file) ? 0 : PakFileRead(bytes, 1, sizeof bytes, file);
    PakFileClose(file);
    out = ParseLevelFile(bytes, read);
    return out != nullptr;
}

int LevelFileNumber(int level, int levelFiles)
{
    if (levelFiles < 1)
        levelFiles = 1;
    int n = level % levelFiles;
    return (n < 0 ? n + levelFiles : n) + 1;
}

void ForgetLevelFileCount()
{
    gLevelFiles = 0;
}

bool LoadLevel(std::unique_ptr<LevelMap>& out, int level)
{
    Kivo::KivoAppBase* app = Kivo::gKivoApp;
    if (gLevelFiles < 1)
        gLevelFiles = std::max(1, app ? app->GetInteger("set_level_files", 1) : 1);
    int number = LevelFileNumber(level, gLevelFiles);
    int start = app ? app->GetInteger("set_start_level", -1) : -1;
    if (start != -1) {
        number = start;
        app->SetInteger("set_start_level", -1);
    }
    return LoadLevelFile(Kivo::StrFormat("level%03d", number), out);
}
