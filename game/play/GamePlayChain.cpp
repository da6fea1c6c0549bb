#include "game/play/GamePlayChain.h"

#include "game/match/BrickBase.h"
#include "game/match/SolverChain.h"

GamePlayChain::GamePlayChain()
{
    mSolver = std::make_unique<SolverChain>(this, this);
    mCombos.AddType(0, 1.1f, 3);
}

bool GamePlayChain::ChainStillStands()
{
    for (const PathStorage::Entry& e : mPath.GetChain())
        if (!IsInside(e.x, e.y) || GetBrick(e.x, e.y) != e.brick) {
            ClearSelection();
            return false;
        }
    return true;
}

void GamePlayChain::Extend(int x, int y)
{
    ChainStillStands();
    for (const PathStorage::Entry& e : mPath.GetChain())
        UnglowBrick(e.x, e.y);
    int r = mPath.AddCell(x, y, GetBrick(x, y));
    if (r >= 1) {
        PlaySoundPitched("SOUND_CHAIN_ITEM_SELECT", mPath.Size(), 0);
    } else if (r == 0 && mPath.Size() == 0) {
        ClearSelection();
        if (IsLeftButtonHeld())
            mPath.AddCell(x, y, GetBrick(x, y));
    }
    int n = mPath.Size();
    for (const PathStorage::Entry& e : mPath.GetChain())
        GlowBrick(e.x, e.y, n);
}

void GamePlayChain::RemoveChain()
{
    if (!ChainStillStands())
        return;
    int n = mPath.Size();
    if (n < 3)
        return;
    // The entries are copied: destroying a brick ends its entry's pointer.
    std::vector<PathStorage::Entry> chain = mPath.GetChain();
    int result = 0, colour = 0;
    for (const PathStorage::Entry& e : chain) {
        colour = GetBrickCode(e.x, e.y);
        result |= DestroyAt(e.x, e.y, kDestroyGroup);
    }
    if (result & 2)
        BricksRemoved(chain.back().x, chain.back().y, colour, n);
}

void GamePlayChain::CellDown(int x, int y, int button)
{
    if (button == 1) {
        ClearSelection();
        CancelArmedBonus();
        return;
    }
    if (GetArmedCursor() != 0) {
        ApplyArmedBonus(x, y);
        return;
    }
    if (!IsSelectableBrick(x, y))
        return;
    ChainStillStands();
    if (mClickStyle && mPath.IsLastCell(x, y)) {
        // A click on the end of a chain too short to remove keeps it.
        if (mPath.Size() >= 3) {
            RemoveChain();
            ClearSelection();
        }
        return;
    }
    if (mClickStyle && mPath.Size() > 0)
        ClearSelection();
    mClickStyle = true;
    Extend(x, y);
}

void GamePlayChain::CellEnter(int x, int y)
{
    NoteHover(x, y);
    if (GetArmedCursor() != 0) {
        BonusPreview(x, y, true);
        return;
    }
    if (mClickStyle && IsSelectableBrick(x, y))
        Extend(x, y);
    HighlightBrick(x, y);
}

void GamePlayChain::CellLeave(int x, int y)
{
    NoteHover(-1, -1);
    if (GetArmedCursor() != 0)
        BonusPreview(x, y, false);
}

void GamePlayChain::CellDrag(int, int, int x2, int y2)
{
    if (mClickStyle && IsLeftButtonHeld())
        mClickStyle = false;
    if (IsSelectableBrick(x2, y2))
        Extend(x2, y2);
}

void GamePlayChain::BoardMouseUp()
{
    if (mClickStyle)
        return;
    RemoveChain();
    ClearSelection();
}

void GamePlayChain::ClearSelection()
{
    for (const PathStorage::Entry& e : mPath.GetChain())
        UnglowBrick(e.x, e.y);
    mPath.Reset();
    mClickStyle = false;
    GamePlayBase::ClearSelection();
}

void GamePlayChain::Update()
{
    ChainStillStands();
    GamePlayBase::Update();
    FallAndRefill(!mLocked);
    ProcessHitCells();
    ProcessTimedActions();
    UpdateGfx();
    mPath.AnimateArrows();
}

void GamePlayChain::UpdateF(float dt)
{
    GamePlayBase::UpdateF(dt);
    UpdateGfxF(dt);
}

void GamePlayChain::DrawField(Kivo::Graphics* g)
{
    DrawFieldBase(g);
    if (!mLocked)
        mPath.DrawArrows(*g);
}
