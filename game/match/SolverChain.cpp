#include "game/match/SolverChain.h"

#include "game/match/BrickBase.h"
#include "game/match/FieldBase.h"
#include "game/match/Grid.h"

#include <algorithm>

int SolverChain::Solve()
{
    std::fill(mMarks.begin(), mMarks.end(), 0);
    mMoveCount = 0;
    mIdle = 0;
    int w = mField->GetWidth();
    for (int x = 0; x < w; ++x)
        for (int y = 0; y < w; ++y) {
            if (GetMark(x, y) != 0 || !IsPlayable(x, y))
                continue;
            const BrickBase* brick = mField->GetBrick(x, y);
            if (static_cast<int8_t>(brick->GetCode()) <= 0 || brick->HasFlag(kBrickBox))
                continue;
            if (Grow(x, y, 1, static_cast<uint8_t>(mMoveCount + 1), nullptr))
                ++mMoveCount;
        }
    return static_cast<int>(mMoveCount);
}

bool SolverChain::CanJoin(int x, int y, const BrickBase* reference) const
{
    if (!IsPlayable(x, y))
        return false;
    const BrickBase* brick = mField->GetBrick(x, y);
    if (brick->HasFlag(kBrickBox) || brick->GetCode() == kBrickKey)
        return false;
    return brick->GetCode() == reference->GetCode() || brick->GetCode() == kBrickJoker;
}

// Depth-first search for three joinable cells in a row; 255 marks the cells
// on the current search path. A joker reached from a colour goes on looking
// for that colour, so red, joker, red is a group. Every branch is searched,
// also after one has succeeded, so a whole group carries one mark: a branch
// left unsearched would later count as a move of its own.
bool SolverChain::Grow(int x, int y, int depth, uint8_t mark, const BrickBase* from)
{
    const Grid* grid = Grid::Instance();
    const BrickBase* reference = mField->GetBrick(x, y);
    if (from && reference->GetCode() == kBrickJoker)
        reference = from;
    Mark(x, y) = 255;
    bool found = false;
    for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy) {
            int nx = x + dx, ny = y + dy;
            if (grid->AreNeighbours(x, y, nx, ny) && CanJoin(nx, ny, reference) && GetMark(nx, ny) == 0)
                found = Grow(nx, ny, depth + 1, mark, reference) || found;
        }
    Mark(x, y) = 0;
    if (depth <= 2 && !found)
        return false;
    Mark(x, y) = mark;
    for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy) {
            int nx = x + dx, ny = y + dy;
            if (grid->AreNeighbours(x, y, nx, ny) && CanJoin(nx, ny, reference))
                Mark(nx, ny) = mark;
        }
    return true;
}
