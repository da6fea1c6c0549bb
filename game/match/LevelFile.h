#pragma once
// Level files "levels/level%03d.level": a three-byte header (byte 0 unused,
// width, height), then four bytes per cell, rows from the top: cell type,
// brick, modifier word (little-endian). Level files are untrusted: a file
// that does not describe exactly width x height cells within the limits is
// refused and no map is handed out.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class LevelMap;

// The file is read with one read of this many bytes at most.
constexpr size_t kMaxLevelFileRead = 1024;
// Sides beyond the board's cannot be played.
constexpr int kMaxLevelSide = 10;

// The map of a level file's bytes; null when they are not a level file.
std::unique_ptr<LevelMap> ParseLevelFile(const uint8_t* data, size_t size);
// Reads "levels/<name>.level" through the archive layer; false and no map
// on any failure.
bool LoadLevelFile(const std::string& name, std::unique_ptr<LevelMap>& out);
// The file of a 0-based level: the level modulo the setting
// "set_level_files" (read on the first call), unless "set_start_level"
// names one, which applies once and is then cleared.
bool LoadLevel(std::unique_ptr<LevelMap>& out, int level);
// The 1-based file number of a 0-based level among `levelFiles` files.
int LevelFileNumber(int level, int levelFiles);
// Makes the next LoadLevel read "set_level_files" again.
void ForgetLevelFileCount();
