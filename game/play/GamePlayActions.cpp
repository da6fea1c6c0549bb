#include "game/play/GamePlayActions.h"

#include "framework/core/Random.h"
#include "game/effects/GfxDelay.h"
#include "game/match/BrickBase.h"
#include "game/match/BrickHelper.h"
#include "game/match/CellBase.h"
#include "game/match/Grid.h"
#include "game/play/GamePlayPanels.h"
#include "game/ui/Callback.h"
#include "game/ui/CustomCursor.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kTwoPi = 6.2831853f;

} // namespace

int GamePlayActions::DestroyAt(int x, int y, int kind)
{
    if (!IsInside(x, y))
        return 0;
    BrickBase* brick = GetBrick(x, y);
    int code = brick->GetCode();
    if (code == kBrickEmpty || code == kBrickKey || brick->IsBusy())
        return 0;
    uint32_t flags = brick->GetFlags();
    if (flags & kBrickBox) {
        mHitCells.emplace_back(x, y);
        return 1;
    }
    if (flags & (kBrickChain | kBrickChain2)) {
        int level = (flags & kBrickChain2) ? 2 : 1;
        brick->ClearFlag(level == 2 ? kBrickChain2 : kBrickChain);
        HoldCell(x, y);
        BricksMatched(x, y, 0, level, false, 0, kind);
        return 9;
    }
    mHitCells.emplace_back(x, y);
    bool energized = (flags & kBrickEnergized) != 0;
    SetBrick(x, y, kBrickEmpty);
    HoldCell(x, y);
    BricksMatched(x, y, code, 0, false, 0, kind);
    int result = 3;
    if (energized)
        mTimedActions.push_back({ code, 15, x, y });
    CellBase* cell = GetCell(x, y);
    if (cell->HasFlag(kCellBreakable) && kind != kDestroyBigMatch && kind != kDestroyEnergy) {
        result = 7;
        int hits = 1;
        if (cell->HasFlag(kCellSecondHit)) {
            cell->ClearFlag(kCellSecondHit);
            hits = 2;
        } else {
            cell->ClearFlag(kCellBreakable);
        }
        BricksMatched(x, y, 0, 0, false, hits, kind);
    }
    return result;
}

void GamePlayActions::ProcessHitCells()
{
    if (mHitCells.empty())
        return;
    std::vector<char> handled(static_cast<size_t>(mSlotCount), 0);
    std::vector<std::pair<int, int>> cells;
    cells.swap(mHitCells);
    for (const auto& [cx, cy] : cells) {
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy) {
                if (dx != 0 && dy != 0)
                    continue;
                int x = cx + dx, y = cy + dy;
                if (!IsCell(x, y) || handled[Index(x, y)] || IsBrickBusyAt(x, y) || !IsBoxed(x, y))
                    continue;
                GetBrick(x, y)->ClearFlag(kBrickBox);
                handled[Index(x, y)] = 1;
                mFieldChanged = true;
                BricksMatched(x, y, 0, 0, true, 0, kDestroyBox);
            }
    }
}

void GamePlayActions::ProcessTimedActions()
{
    std::vector<TimedAction> due;
    for (size_t i = 0; i < mTimedActions.size();) {
        if (--mTimedActions[i].countdown <= 0) {
            due.push_back(mTimedActions[i]);
            mTimedActions.erase(mTimedActions.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            ++i;
        }
    }
    for (const TimedAction& a : due)
        UseBonus(kBonusEnergy, a.x, a.y);
}

void GamePlayActions::SetCursor(int kind)
{
    mCursor = kind;
    SetCursorKind(kind);
}

void GamePlayActions::CancelArmedBonus()
{
    if (mCursor == 0)
        return;
    int kind = mCursor + 3;
    SetCursor(0);
    Panels().SetSlotProgress(BonusKindToSlot(kind), 1.0f, true);
    for (int y = 0; y < mWidth; ++y)
        for (int x = 0; x < mWidth; ++x)
            UnglowBrick(x, y);
}

void GamePlayActions::BonusPreview(int x, int y, bool on)
{
    auto mark = [&](int cx, int cy) {
        if (!IsInside(cx, cy))
            return;
        if (on)
            GlowBrick(cx, cy, 6);
        else
            UnglowBrick(cx, cy);
    };
    switch (mCursor) {
    case 1:
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                mark(x + dx, y + dy);
        break;
    case 2:
        if (y >= 0 && y < mWidth)
            for (int i = 0; i < mWidth; ++i)
                mark(i, y);
        break;
    case 3: {
        if (!IsInside(x, y))
            break;
        int code = GetBrickCode(x, y);
        if (ClassifyCode(code) != 1 || IsBoxed(x, y))
            break;
        for (int cy = 0; cy < mWidth; ++cy)
            for (int cx = 0; cx < mWidth; ++cx)
                if (IsCell(cx, cy) && GetBrickCode(cx, cy) == code && !IsBoxed(cx, cy) && !IsChained(cx, cy))
                    mark(cx, cy);
        break;
    }
    default:
        break;
    }
}

void GamePlayActions::ApplyArmedBonus(int x, int y)
{
    if (mCursor == 0 || !IsInside(x, y))
        return;
    BonusPreview(x, y, false);
    // The armed kind is read before the cursor goes back to the pointer.
    int kind = mCursor + 3;
    SetCursor(0);
    UseBonus(kind, x, y);
}

bool GamePlayActions::UseBonus(int kind, int x, int y)
{
    bool noCell = x < 0 || y < 0;
    auto arm = [&](int cursor) {
        CancelArmedBonus();
        SetCursor(cursor);
        Panels().SetSlotProgress(BonusKindToSlot(kind), 0.0f, true);
        PlaySound("SOUND_BUTTON_BONUS_TAKE");
        return false;
    };
    switch (kind) {
    case kBonusMixer:
        if (noCell)
            CancelArmedBonus();
        Shuffle(x, y);
        return true;
    case kBonusLightning:
        if (noCell)
            CancelArmedBonus();
        Lightning(x, y);
        return true;
    case kBonusEnergy:
        ComboHit(4, x, y);
        EnergyBlast(x, y);
        return true;
    case kBonusNone:
        return true;
    case kBonusBomb:
        if (noCell)
            return arm(1);
        BombBlast(x, y);
        Shake(1.0f);
        return true;
    case kBonusRow:
        if (noCell)
            return arm(2);
        RowBlast(x, y);
        return true;
    case kBonusMagnet:
        if (noCell)
            return arm(3);
        if (!Magnet(x, y)) {
            Panels().SetSlotProgress(BonusKindToSlot(kBonusMagnet), 1.0f, true);
            return false;
        }
        return true;
    default:
        return false;
    }
}

void GamePlayActions::BombBlast(int x, int y)
{
    for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy)
            DestroyAt(x + dx, y + dy, kDestroyBonus);
    OnBomb(x, y);
}

void GamePlayActions::BigMatchBlast(int x, int y)
{
    for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy)
            DestroyAt(x + dx, y + dy, kDestroyBigMatch);
    OnBigMatch(x, y);
}

void GamePlayActions::BiggerMatchBlast(int x, int y)
{
    for (int dx = -2; dx <= 2; ++dx)
        for (int dy = -2; dy <= 2; ++dy)
            if (std::abs(dx) != 2 || std::abs(dy) != 2)
                DestroyAt(x + dx, y + dy, kDestroyBigMatch);
    OnBiggerMatch(x, y);
}

void GamePlayActions::EnergyBlast(int x, int y)
{
    static const int kSides[4][2] = { { 1, 0 }, { -1, 0 }, { 0, 1 }, { 0, -1 } };
    static const int kDiagonals[4][2] = { { -1, -1 }, { -1, 1 }, { 1, -1 }, { 1, 1 } };
    for (const auto& d : kSides)
        DestroyAt(x + d[0], y + d[1], kDestroyEnergy);
    for (const auto& d : kDiagonals) {
        int cx = x + d[0], cy = y + d[1];
        if (IsInside(cx, cy) && GetBrick(cx, cy)->HasFlag(kBrickEnergized))
            DestroyAt(cx, cy, kDestroyEnergy);
    }
    OnEnergyHit(x, y);
}

void GamePlayActions::RowBlast(int x, int y)
{
    for (int i = 0; i < mWidth; ++i) {
        auto* destroy = new CB_Callback_P3<GamePlayActions, int, int, int, int>(this, i, y, kDestroyBonus,
                                                                                &GamePlayActions::DestroyAt);
        AddEffect(new GfxDelay(static_cast<float>(std::abs(x - i)) * 0.1f, destroy));
    }
    OnRow(x, y);
}

bool GamePlayActions::IsPlainBrick(int x, int y) const
{
    if (!IsCell(x, y))
        return false;
    int code = GetBrickCode(x, y);
    return code != kBrickEmpty && code != kBrickKey && !IsBrickBusyAt(x, y) && !IsBoxed(x, y);
}

template <class Test>
bool GamePlayActions::DrawCell(int draws, Test test, int& outX, int& outY)
{
    int tries = mSlotCount / 2;
    for (int d = 0; d < draws; ++d)
        for (int t = 0; t < tries; ++t) {
            int x = Kivo::RandomInt(0, mWidth - 1);
            int y = Kivo::RandomInt(0, mWidth - 1);
            if (test(x, y)) {
                outX = x;
                outY = y;
                return true;
            }
        }
    return false;
}

void GamePlayActions::Lightning(int x, int y)
{
    bool noCell = x < 0 || y < 0;
    int startX = noCell ? -x : static_cast<int>(Grid::Instance()->CellToScreenX(x));
    int startY = noCell ? -y : static_cast<int>(Grid::Instance()->CellToScreenY(y));
    if (!noCell)
        DestroyAt(x, y, kDestroyGroup);
    std::vector<char> struck(static_cast<size_t>(mSlotCount), 0);
    auto fresh = [&](int cx, int cy) { return IsPlainBrick(cx, cy) && !struck[Index(cx, cy)]; };
    int budget = 6;
    for (int strike = 0; strike < 20; ++strike) {
        int sx = -1, sy = -1;
        if (!DrawCell(5, fresh, sx, sy))
            continue;
        if (budget > 0 && !IsBreakableCell(sx, sy)) {
            auto breakable = [&](int cx, int cy) { return fresh(cx, cy) && IsBreakableCell(cx, cy); };
            if (DrawCell(15, breakable, sx, sy))
                --budget;
        }
        struck[Index(sx, sy)] = 1;
        AddHold(sx, sy, 1.0f);
        auto* arrive = new CB_Callback_P2<GamePlayActions, int, int, void>(this, sx, sy,
                                                                          &GamePlayActions::LightningStrikeArrived);
        ShowFluids(startX, startY, static_cast<int>(Grid::Instance()->CellToScreenX(sx)),
                   static_cast<int>(Grid::Instance()->CellToScreenY(sy)), arrive);
    }
    OnLightning(startX, startY);
}

void GamePlayActions::LightningStrikeArrived(int x, int y)
{
    if (DestroyAt(x, y, kDestroyBonus) != 0)
        AddHold(x, y, 0.5f);
    OnLightningHit(x, y);
}

void GamePlayActions::Shuffle(int x, int y)
{
    bool noCell = x < 0 || y < 0;
    if (!noCell && IsSelectableBrick(x, y))
        SpawnBrick(x, y);
    int px = noCell ? -x : static_cast<int>(Grid::Instance()->CellToScreenX(x));
    int py = noCell ? -y : static_cast<int>(Grid::Instance()->CellToScreenY(y));
    for (int attempt = 0; attempt < 30; ++attempt) {
        int ax = -1, ay = -1, bx = -1, by = -1;
        auto pickA = [&](int cx, int cy) {
            return IsSelectableBrick(cx, cy) && IsFreeBrick(cx, cy) && !(cx == x && cy == y);
        };
        if (!DrawCell(20, pickA, ax, ay))
            continue;
        auto pickB = [&](int cx, int cy) { return pickA(cx, cy) && !(cx == ax && cy == ay); };
        if (!DrawCell(20, pickB, bx, by))
            continue;
        AddHold(ax, ay, 1.0f);
        AddHold(bx, by, 1.0f);
        SwapBricks(ax, ay, bx, by);
        ShowExchange(ax, ay, bx, by, nullptr);
    }
    OnShuffle(px, py);
}

bool GamePlayActions::Magnet(int x, int y)
{
    if (!IsInside(x, y))
        return false;
    int code = GetBrickCode(x, y);
    if (code == kBrickEmpty || code == kBrickKey || IsBoxed(x, y))
        return false;
    const Grid* grid = Grid::Instance();
    float half = static_cast<float>(grid->GetCellSize()) / 2;
    float pivotX = grid->CellToScreenX(5) + half;
    float pivotY = grid->CellToScreenY(5) + half;
    float a0 = std::atan2(grid->CellToScreenY(y) - pivotY, grid->CellToScreenX(x) - pivotX);
    int d = Kivo::RandomInt(0, 1);
    struct Item {
        int x, y;
        float cx, cy;
        float offset;
    };
    std::vector<Item> items;
    for (int cx = 0; cx < mWidth; ++cx)
        for (int cy = 0; cy < mWidth; ++cy) {
            if (!IsCell(cx, cy) || GetBrickCode(cx, cy) != code || IsChained(cx, cy) || GetBrick(cx, cy)->IsBusy() ||
                IsBoxed(cx, cy))
                continue;
            SetBrick(cx, cy, kBrickEmpty);
            AddHold(cx, cy, 1.0f);
            float px = grid->CellToScreenX(cx), py = grid->CellToScreenY(cy);
            float offset = std::atan2(py - pivotY, px - pivotX) - a0;
            if (d == 0) {
                while (offset < 0)
                    offset += kTwoPi;
                while (offset >= kTwoPi)
                    offset -= kTwoPi;
            } else {
                while (offset > 0)
                    offset -= kTwoPi;
                while (offset <= -kTwoPi)
                    offset += kTwoPi;
            }
            if (std::abs(cx - 4) < 3 && std::abs(cy - 4) < 3 && cx != x && cy != y)
                offset += d == 0 ? kTwoPi : -kTwoPi;
            items.push_back({ cx, cy, px, py, offset });
        }
    std::stable_sort(items.begin(), items.end(), [d](const Item& a, const Item& b) {
        return d == 0 ? a.offset < b.offset : a.offset > b.offset;
    });
    if (items.empty())
        return true;
    Kivo::Image* image = BrickHelper::Instance()->GetBrickImage(code);
    OnMagnetItem(image, items[0].cx, items[0].cy, 0.0f);
    OnMagnet(x, y);
    float T = 0;
    float prevX = items[0].cx, prevY = items[0].cy;
    for (size_t k = 0; k < items.size(); ++k) {
        const Item& it = items[k];
        float D = std::hypot(it.cx - prevX, it.cy - prevY) / 100.0f / 15.0f;
        float t = T + D + 0.2f;
        OnMagnetItem(image, it.cx, it.cy, t);
        OnMagnetLine(prevX, prevY, it.cx, it.cy, T);
        AddHold(it.x, it.y, t);
        T += D;
        prevX = it.cx;
        prevY = it.cy;
        if (k + 1 == items.size())
            OnMagnetEnd(it.x, it.y, t);
    }
    return true;
}

void GamePlayActions::ChainPenalty(float delay)
{
    for (int draw = 0; draw < 20; ++draw) {
        int x = Kivo::RandomInt(0, mWidth - 1);
        int y = Kivo::RandomInt(0, mWidth - 1);
        if (!IsSelectableBrick(x, y) || !IsFreeBrick(x, y) || IsBoxed(x, y))
            continue;
        AddHold(x, y, delay + 0.8f);
        auto* land = new CB_Callback_P2<GamePlayActions, int, int, void>(this, x, y, &GamePlayActions::ChainLanded);
        ShowFlyChain(x, y, false, delay, land);
        return;
    }
}

void GamePlayActions::ChainLanded(int x, int y)
{
    if (!IsInside(x, y) || ClassifyCode(GetBrickCode(x, y)) == 0)
        return;
    GetBrick(x, y)->SetFlag(kBrickChain);
    PlaySound("SOUND_CHAINED");
}
