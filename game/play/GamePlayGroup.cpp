#include "game/play/GamePlayGroup.h"

#include "game/match/BrickBase.h"
#include "game/match/CellBase.h"
#include "game/match/Grid.h"
#include "game/match/SolverChain.h"

GamePlayGroup::GamePlayGroup()
{
    mSolver = std::make_unique<SolverChain>(this, this);
    mCombos.AddType(0, 0.8f, 3);
    mCombos.AddType(6, 0.4f, 5);
}

int GamePlayGroup::FloodMark(int x, int y)
{
    if (!IsCell(x, y) || (GetCellFlags(x, y) & kCellGroupMark) || !IsSelectableBrick(x, y))
        return 0;
    GetCell(x, y)->SetFlag(kCellGroupMark);
    int code = GetBrickCode(x, y);
    int count = 1;
    const Grid* grid = Grid::Instance();
    for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy) {
            int nx = x + dx, ny = y + dy;
            if (grid->AreNeighbours(x, y, nx, ny) && IsCell(nx, ny) && GetBrickCode(nx, ny) == code &&
                IsSelectableBrick(nx, ny))
                count += FloodMark(nx, ny);
        }
    return count;
}

void GamePlayGroup::ClearMarks()
{
    for (int y = 0; y < mWidth; ++y)
        for (int x = 0; x < mWidth; ++x) {
            GetCell(x, y)->ClearFlag(kCellGroupMark);
            UnglowBrick(x, y);
        }
}

void GamePlayGroup::CellEnter(int x, int y)
{
    NoteHover(x, y);
    // The group's cell follows the pointer also while a bonus is aimed: the
    // board tells of a cell only when the pointer enters it, so a click
    // there after the bonus must find its group from this cell, not from
    // the one the pointer left before.
    mGroupX = x;
    mGroupY = y;
    if (GetArmedCursor() != 0) {
        BonusPreview(x, y, true);
        return;
    }
    int n = FloodMark(x, y);
    if (n < 3) {
        ClearMarks();
        HighlightBrick(x, y);
        return;
    }
    for (int cy = 0; cy < mWidth; ++cy)
        for (int cx = 0; cx < mWidth; ++cx)
            if (GetCellFlags(cx, cy) & kCellGroupMark)
                GlowBrick(cx, cy, n);
}

void GamePlayGroup::CellLeave(int x, int y)
{
    NoteHover(-1, -1);
    if (GetArmedCursor() != 0) {
        BonusPreview(x, y, false);
        return;
    }
    ClearMarks();
    ClearSelection();
}

void GamePlayGroup::CellDrag(int x1, int y1, int x2, int y2)
{
    CellLeave(x1, y1);
    CellEnter(x2, y2);
}

void GamePlayGroup::CellDown(int x, int y, int button)
{
    if (button == 1) {
        CancelArmedBonus();
        return;
    }
    if (GetArmedCursor() != 0) {
        ApplyArmedBonus(x, y);
        return;
    }
    if (IsInside(mGroupX, mGroupY)) {
        int hx = mGroupX, hy = mGroupY;
        CellLeave(hx, hy);
        CellEnter(hx, hy);
    }
    int destroyed = 0, colour = 0;
    for (int cx = 0; cx < mWidth; ++cx)
        for (int cy = 0; cy < mWidth; ++cy) {
            if (!(GetCellFlags(cx, cy) & kCellGroupMark))
                continue;
            GetCell(cx, cy)->ClearFlag(kCellGroupMark);
            UnglowBrick(cx, cy);
            int code = GetBrickCode(cx, cy);
            if (DestroyAt(cx, cy, kDestroyGroup) & 2) {
                colour = code;
                ++destroyed;
            }
        }
    if (destroyed > 0)
        BricksRemoved(x, y, colour, destroyed);
    else
        mCombos.Hit(6, x, y);
}

void GamePlayGroup::ClearSelection()
{
    ClearMarks();
    GamePlayBase::ClearSelection();
}

void GamePlayGroup::ShowGroupAgain()
{
    if (!IsInside(mGroupX, mGroupY) || GetArmedCursor() != 0)
        return;
    int hx = mGroupX, hy = mGroupY;
    ClearMarks();
    CellEnter(hx, hy);
}

void GamePlayGroup::Update()
{
    GamePlayBase::Update();
    FallAndRefill(!mLocked);
    ProcessHitCells();
    ProcessTimedActions();
    UpdateGfx();
    if (IsBusy()) {
        mFieldWasBusy = true;
        if (mTick % 10 == 0)
            ShowGroupAgain();
    } else if (mFieldWasBusy) {
        mFieldWasBusy = false;
        ShowGroupAgain();
    }
}

void GamePlayGroup::UpdateF(float dt)
{
    GamePlayBase::UpdateF(dt);
    UpdateGfxF(dt);
}

void GamePlayGroup::DrawField(Kivo::Graphics* g)
{
    DrawFieldBase(g);
}
