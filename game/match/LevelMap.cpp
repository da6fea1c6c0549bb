#include "game/match/LevelMap.h"

#include "game/match/RotateRings.h"

#include <algorithm>

LevelMap::LevelMap(int width, int height) : mWidth(std::max(width, 0)), mHeight(std::max(height, 0))
{
    mCells.resize(static_cast<size_t>(mWidth) * static_cast<size_t>(mHeight));
}

bool LevelMap::SetCell(int x, int y, uint8_t code, uint8_t kind, uint32_t brickFlags, uint32_t cellFlags)
{
    if (x < 0 || y < 0 || x >= mWidth || y >= mHeight)
        return false;
    mCells[static_cast<size_t>(y * mWidth + x)] = { code, kind, brickFlags, cellFlags };
    return true;
}

bool LevelMap::GetCell(int x, int y, uint8_t* code, uint8_t* kind, uint32_t* brickFlags, uint32_t* cellFlags) const
{
    if (x < 0 || y < 0 || x >= mWidth || y >= mHeight)
        return false;
    const LevelMapCell& c = mCells[static_cast<size_t>(y * mWidth + x)];
    if (code)
        *code = c.code;
    if (kind)
        *kind = c.kind;
    if (brickFlags)
        *brickFlags = c.brickFlags;
    if (cellFlags)
        *cellFlags = c.cellFlags;
    return true;
}

std::unique_ptr<LevelMap> LevelMap::Clone() const
{
    return std::make_unique<LevelMap>(*this);
}

bool LevelMap::RotateClockwise()
{
    // Turning a map that is not square by its width alone would read and
    // write past its cells.
    if (mWidth != mHeight)
        return false;
    int w = mWidth;
    auto at = [&](int x, int y) -> LevelMapCell& { return mCells[static_cast<size_t>(y * w + x)]; };
    RotateRingsClockwise(w, at);
    return true;
}

namespace {

template <class Pred>
int CountCells(const LevelMap& map, Pred pred)
{
    return static_cast<int>(std::count_if(map.Cells().begin(), map.Cells().end(), pred));
}

} // namespace

int CountBreakableCells(const LevelMap& map)
{
    return CountCells(map, [](const LevelMapCell& c) { return (c.cellFlags & 24) != 0; });
}

int CountChainedBricks(const LevelMap& map)
{
    return CountCells(map, [](const LevelMapCell& c) { return (c.brickFlags & 3) != 0; });
}

int CountBoxedBricks(const LevelMap& map)
{
    return CountCells(map, [](const LevelMapCell& c) { return (c.brickFlags & 4) != 0; });
}

std::vector<std::string> LevelMapRows(const LevelMap& map)
{
    static const char kCodes[] = ".123456789AJK";
    std::vector<std::string> rows;
    for (int y = 0; y < map.GetHeight(); ++y) {
        std::string row;
        for (int x = 0; x < map.GetWidth(); ++x) {
            const LevelMapCell& c = map.Cells()[static_cast<size_t>(y * map.GetWidth() + x)];
            if (x)
                row += ' ';
            if (c.kind == 0) {
                row += "  ";
                continue;
            }
            row += c.code <= 12 ? kCodes[c.code] : '?';
            row += (c.cellFlags & 16) ? 'O' : (c.cellFlags & 8) ? 'o' : (c.brickFlags & 4) ? 'b' : (c.brickFlags & 3) ? 'c' : (c.brickFlags & 8) ? 'e' : ' ';
        }
        rows.push_back(row);
    }
    return rows;
}
