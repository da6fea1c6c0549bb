#include "game/play/GamePlaySwap.h"

#include "framework/core/Random.h"
#include "game/match/BrickBase.h"
#include "game/match/CellBase.h"
#include "game/match/Grid.h"
#include "game/match/LevelMap.h"
#include "game/match/SolverSwap.h"

#include <vector>

GamePlaySwap::GamePlaySwap()
{
    mSolver = std::make_unique<SolverSwap>(this, this);
    mCombos.AddType(0, 1.5f, 3);
    mCombos.AddType(5, 1.0f, 3);
    mCombos.AddType(6, 0.6f, 5);
}

bool GamePlaySwap::RefusesColour(const LevelMap& map, int x, int y, int c)
{
    static const int kAxes[2][2] = { { 1, 0 }, { 0, 1 } };
    for (const auto& axis : kAxes) {
        int same = 0;
        for (int side : { -1, 1 })
            for (int step = 1; step <= 2; ++step) {
                uint8_t code = 0;
                if (map.GetCell(x + side * step * axis[0], y + side * step * axis[1], &code, nullptr, nullptr,
                                nullptr) &&
                    code == c)
                    ++same;
            }
        if (same >= 2)
            return true;
    }
    return false;
}

void GamePlaySwap::PrepareLevelMap(LevelMap& map)
{
    GamePlayBase::PrepareLevelMap(map);
    int n = static_cast<int>(mColors.size());
    if (n == 0)
        return;
    for (int y = 0; y < map.GetHeight(); ++y)
        for (int x = 0; x < map.GetWidth(); ++x) {
            uint8_t code = 0, kind = 0;
            uint32_t brickFlags = 0, cellFlags = 0;
            map.GetCell(x, y, &code, &kind, &brickFlags, &cellFlags);
            if (kind == 0 || (code != 0 && code != 255))
                continue;
            int c = mColors[static_cast<size_t>(Kivo::RandomIndex(n))];
            for (int draw = 1; draw < 51 && RefusesColour(map, x, y, c); ++draw)
                c = mColors[static_cast<size_t>(Kivo::RandomIndex(n))];
            if (RefusesColour(map, x, y, c))
                c = mColors[static_cast<size_t>(Kivo::RandomIndex(n))];
            map.SetCell(x, y, static_cast<uint8_t>(c), kind, brickFlags, cellFlags);
        }
}

int GamePlaySwap::RunLength(int code, int startX, int startY, int excludeX, int excludeY, int direction,
                            bool busyCheck) const
{
    if (code == 0 || !IsInside(startX, startY) || IsBoxed(startX, startY))
        return 0;
    if (busyCheck && IsBrickBusyAt(startX, startY))
        return 0;
    int n = 0;
    int x = startX, y = startY;
    while (Grid::Step(x, y, x, y, direction)) {
        if (!IsCell(x, y) || GetBrickCode(x, y) != code || (x == excludeX && y == excludeY))
            break;
        if ((busyCheck && IsBrickBusyAt(x, y)) || IsBoxed(x, y))
            break;
        ++n;
    }
    return n;
}

bool GamePlaySwap::MakesLine(int ax, int ay, int bx, int by) const
{
    static const int kAxes[2][2] = { { 1, 3 }, { 2, 4 } };
    int codeA = GetBrickCode(ax, ay), codeB = GetBrickCode(bx, by);
    for (const auto& axis : kAxes) {
        int r1 = RunLength(codeB, ax, ay, bx, by, axis[0], true);
        if (r1 > 1 || r1 + RunLength(codeB, ax, ay, bx, by, axis[1], true) > 1)
            return true;
        r1 = RunLength(codeA, bx, by, ax, ay, axis[0], true);
        if (r1 > 1 || r1 + RunLength(codeA, bx, by, ax, ay, axis[1], true) > 1)
            return true;
    }
    return false;
}

void GamePlaySwap::ClickRule(int x, int y)
{
    if (HasSelection() && IsSelectableBrick(mSelX, mSelY) && IsSelectableBrick(x, y) && IsFreeBrick(mSelX, mSelY) &&
        IsFreeBrick(x, y) && Grid::Instance()->AreNeighbours(mSelX, mSelY, x, y)) {
        if (MakesLine(mSelX, mSelY, x, y)) {
            mTargetIndex = static_cast<int>(Index(x, y));
            mSourceIndex = static_cast<int>(Index(mSelX, mSelY));
            SwapBricks(mSelX, mSelY, x, y);
            GetBrick(mSelX, mSelY)->MoveTo(mSelX, mSelY);
            GetBrick(x, y)->MoveTo(x, y);
            AddHold(mSelX, mSelY, 0.2f);
            AddHold(x, y, 0.2f);
            UnselectBrick(x, y);
            if (GetMoveCount() == 1)
                AddDelay(0.5f);
        } else {
            UnselectBrick(mSelX, mSelY);
            ShowWrongSwap(mSelX, mSelY, x, y);
            PlaySound("SOUND_SWAP_ITEM_WRONG");
            mCombos.Hit(6, x, y);
        }
        ClearSelection();
        return;
    }
    if (x == mSelX && y == mSelY) {
        ClearSelection();
        return;
    }
    ClearSelection();
    if (!IsChained(x, y)) {
        mSelX = x;
        mSelY = y;
        SelectBrick(x, y);
        PlaySound("SOUND_SWAP_ITEM_SELECT");
    }
}

void GamePlaySwap::CellEnter(int x, int y)
{
    NoteHover(x, y);
    if (GetArmedCursor() != 0)
        BonusPreview(x, y, true);
    else
        HighlightBrick(x, y);
}

void GamePlaySwap::CellLeave(int x, int y)
{
    NoteHover(-1, -1);
    if (GetArmedCursor() != 0)
        BonusPreview(x, y, false);
}

void GamePlaySwap::CellDown(int x, int y, int button)
{
    if (button == 1) {
        ClearSelection();
        CancelArmedBonus();
    } else if (GetArmedCursor() != 0) {
        ApplyArmedBonus(x, y);
    } else if (!IsSelectableBrick(x, y)) {
        ClearSelection();
    } else {
        ClickRule(x, y);
    }
}

void GamePlaySwap::CellDrag(int, int, int x2, int y2)
{
    if (HasSelection() && IsSelectableBrick(x2, y2))
        ClickRule(x2, y2);
}

void GamePlaySwap::ClearSelection()
{
    if (HasSelection())
        UnselectBrick(mSelX, mSelY);
    GamePlayBase::ClearSelection();
}

void GamePlaySwap::MatchPass()
{
    std::vector<int> marks(static_cast<size_t>(mSlotCount), 0);
    int groups = 0;
    for (int y = 0; y < mWidth; ++y)
        for (int x = 0; x < mWidth; ++x)
            for (int direction : { 1, 2 }) {
                int c = GetBrickCode(x, y);
                if (!IsCell(x, y) || c == 0 || IsBoxed(x, y))
                    continue;
                int run = RunLength(c, x, y, -1, -1, direction, true);
                if (run < 2)
                    continue;
                int mark = 0;
                int cx = x, cy = y;
                for (int i = 0; i <= run && mark == 0; ++i) {
                    mark = marks[Index(cx, cy)];
                    Grid::Step(cx, cy, cx, cy, direction);
                }
                bool fresh = mark == 0;
                if (fresh)
                    mark = groups + 1;
                cx = x;
                cy = y;
                for (int i = 0; i <= run; ++i) {
                    marks[Index(cx, cy)] = mark;
                    Grid::Step(cx, cy, cx, cy, direction);
                }
                if (fresh)
                    ++groups;
            }
    if (groups == 0)
        return;
    std::vector<int> counts(static_cast<size_t>(groups) + 1, 0), colours(static_cast<size_t>(groups) + 1, 0);
    int destroyed = 0;
    for (int k = 1; k <= groups; ++k) {
        std::vector<int> cells;
        for (int n = 0; n < mSlotCount; ++n)
            if (marks[static_cast<size_t>(n)] == k)
                cells.push_back(n);
        bool holdsMove = false;
        for (int n : cells) {
            int x = n % mWidth, y = n / mWidth;
            colours[static_cast<size_t>(k)] = GetBrickCode(x, y);
            destroyed |= DestroyAt(x, y, kDestroyGroup);
            holdsMove |= n == mTargetIndex || n == mSourceIndex;
        }
        int count = static_cast<int>(cells.size());
        counts[static_cast<size_t>(k)] = count;
        if (!holdsMove && count > 0) {
            int middle = cells[static_cast<size_t>(count / 2)];
            mCombos.Hit(5, middle % mWidth, middle / mWidth);
        }
    }
    if (!(destroyed & 2) || mTargetIndex < 0 || mSourceIndex < 0)
        return;
    int tx = mTargetIndex % mWidth, ty = mTargetIndex / mWidth;
    int sx = mSourceIndex % mWidth, sy = mSourceIndex / mWidth;
    int mT = marks[static_cast<size_t>(mTargetIndex)], mS = marks[static_cast<size_t>(mSourceIndex)];
    bool targetGone = GetBrickCode(tx, ty) == 0, sourceGone = GetBrickCode(sx, sy) == 0;
    bool reported = true;
    if (mT > 0 && targetGone) {
        int count = counts[static_cast<size_t>(mT)];
        if (mS > 0 && mS != mT && sourceGone)
            count += counts[static_cast<size_t>(mS)];
        BricksRemoved(tx, ty, colours[static_cast<size_t>(mT)], count);
    } else if (mS > 0 && sourceGone) {
        BricksRemoved(sx, sy, colours[static_cast<size_t>(mS)], counts[static_cast<size_t>(mS)]);
    } else {
        reported = false;
    }
    if (reported)
        mTargetIndex = mSourceIndex = -1;
}

void GamePlaySwap::Update()
{
    if (HasSelection() && GetBrick(mSelX, mSelY)->IsBusy())
        ClearSelection();
    if (mTick % 20 == 0 && !IsRotating())
        MatchPass();
    GamePlayBase::Update();
    FallAndRefill(!mLocked);
    ProcessHitCells();
    ProcessTimedActions();
    UpdateGfx();
}

void GamePlaySwap::UpdateF(float dt)
{
    GamePlayBase::UpdateF(dt);
    UpdateGfxF(dt);
}

void GamePlaySwap::DrawField(Kivo::Graphics* g)
{
    DrawFieldBase(g);
}
