#pragma once
// The stored field: a level map in a buffer, little-endian: width and
// height (u32 each), then per cell, rows from the top: cell kind (u8), cell
// flags (u32), brick code (u8), brick flags (u32). Stored fields come from
// profile files and are checked before use.
#include <memory>

namespace Kivo {
class Buffer;
}
class LevelMap;

// False when map or buffer is missing.
bool StoreLevelMap(const LevelMap* map, Kivo::Buffer* buffer);
// Reads from the buffer's read position; false and no map when the data is
// empty, a side is below 1, or the cells run past the end.
bool RestoreLevelMap(Kivo::Buffer& buffer, std::unique_ptr<LevelMap>& out);
