#include "game/match/SolverSwap.h"

#include "game/match/BrickBase.h"
#include "game/match/FieldBase.h"
#include "game/match/Grid.h"

#include <algorithm>

namespace {

bool IsFixed(const BrickBase* brick)
{
    return brick->HasFlag(kBrickChain | kBrickChain2 | kBrickBox);
}

} // namespace

int SolverSwap::Solve()
{
    std::fill(mMarks.begin(), mMarks.end(), 0);
    mMoveCount = 0;
    const Grid* grid = Grid::Instance();
    int w = mField->GetWidth();
    for (int x = 0; x < w; ++x)
        for (int y = 0; y < w; ++y) {
            // A gap holds no brick that could be swapped.
            if (!IsPlayable(x, y) || IsFixed(mField->GetBrick(x, y)))
                continue;
            int c = mField->GetBrickCode(x, y);
            for (int dx = -1; dx <= 1 && GetMark(x, y) == 0; ++dx)
                for (int dy = -1; dy <= 1 && GetMark(x, y) == 0; ++dy) {
                    int nx = x + dx, ny = y + dy;
                    if (!grid->AreNeighbours(x, y, nx, ny) || !IsPlayable(nx, ny) || IsFixed(mField->GetBrick(nx, ny)))
                        continue;
                    int d = mField->GetBrickCode(nx, ny);
                    if (d == c || GetMark(nx, ny) != 0 || c == kBrickKey || d == kBrickKey)
                        continue;
                    if (LineAfterSwap(x, y, nx, ny, d) || LineAfterSwap(nx, ny, x, y, c)) {
                        ++mMoveCount;
                        Mark(x, y) = Mark(nx, ny) = static_cast<uint8_t>(mMoveCount);
                    }
                }
        }
    return static_cast<int>(mMoveCount);
}

bool SolverSwap::LineAfterSwap(int atX, int atY, int fromX, int fromY, int code) const
{
    static const int kAxes[2][2] = { { 1, 0 }, { 0, 1 } };
    for (const auto& axis : kAxes) {
        int run = 0;
        for (int side : { -1, 1 })
            for (int step = 1; step <= 2; ++step) {
                int x = atX + side * step * axis[0];
                int y = atY + side * step * axis[1];
                if (!InBoard(x, y) || !IsPlayable(x, y) || (x == fromX && y == fromY))
                    break;
                const BrickBase* brick = mField->GetBrick(x, y);
                if (brick->HasFlag(kBrickBox) || brick->GetCode() != code)
                    break;
                if (++run >= 2)
                    return true;
            }
    }
    return false;
}

int Opposite(int direction)
{
    switch (direction) {
    case 1: return 3;
    case 2: return 4;
    case 3: return 1;
    case 4: return 2;
    default: return 0;
    }
}
