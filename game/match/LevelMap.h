#pragma once
// The plain description of a board: per cell a brick code, a cell kind and
// the two flag words. Levels, stored games and board effects pass boards
// around in this form.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct LevelMapCell {
    uint8_t code = 0;
    uint8_t kind = 0;
    uint32_t brickFlags = 0;
    uint32_t cellFlags = 0;

    bool operator==(const LevelMapCell&) const = default;
};

class LevelMap {
public:
    // Cells start cleared. Negative sizes count as 0.
    LevelMap(int width, int height);

    int GetWidth() const { return mWidth; }
    int GetHeight() const { return mHeight; }
    // False outside the map.
    bool SetCell(int x, int y, uint8_t code, uint8_t kind, uint32_t brickFlags, uint32_t cellFlags);
    // False outside the map, nothing written; each output may be null.
    bool GetCell(int x, int y, uint8_t* code, uint8_t* kind, uint32_t* brickFlags, uint32_t* cellFlags) const;
    const std::vector<LevelMapCell>& Cells() const { return mCells; }
    std::unique_ptr<LevelMap> Clone() const;
    // A quarter turn clockwise: (x, y) then holds what stood at
    // (y, width - 1 - x). Only a square map turns; others stay as they are.
    bool RotateClockwise();

    bool operator==(const LevelMap&) const = default;

private:
    std::vector<LevelMapCell> mCells;
    int mWidth;
    int mHeight;
};

// The goals of a level: cells to break (one or two hits), chained bricks,
// boxed bricks.
int CountBreakableCells(const LevelMap& map);
int CountChainedBricks(const LevelMap& map);
int CountBoxedBricks(const LevelMap& map);

// The map as text, a row per line: each cell a brick code ('.' empty, '1'
// to '9' and 'A' colours, 'J' joker, 'K' key) and a mark ('O' second hit,
// 'o' breakable cell, 'b' box, 'c' chain, 'e' energized); two blanks for a
// gap. For reports of a board that went wrong.
std::vector<std::string> LevelMapRows(const LevelMap& map);
