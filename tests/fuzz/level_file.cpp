// Reads arbitrary bytes as a level file and as a stored field. A level file
// that parses has the sides its header gives; a stored field that restores
// stores back into the same bytes it was read from.
#include "framework/core/Buffer.h"
#include "game/match/LevelFile.h"
#include "game/match/LevelMap.h"
#include "game/match/StoredField.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (std::unique_ptr<LevelMap> map = ParseLevelFile(data, size)) {
        if (map->GetWidth() != data[1] || map->GetHeight() != data[2] || size != 3 + 4u * data[1] * data[2])
            __builtin_trap();
    }

    if (size > (1u << 20))
        return 0;
    Kivo::Buffer buffer;
    buffer.SetData(data, static_cast<int>(size));
    std::unique_ptr<LevelMap> stored;
    if (RestoreLevelMap(buffer, stored)) {
        Kivo::Buffer again;
        StoreLevelMap(stored.get(), &again);
        size_t used = static_cast<size_t>(again.GetDataLen());
        if (used > size || std::memcmp(again.GetDataPtr(), data, used) != 0)
            __builtin_trap();
    }
    return 0;
}
