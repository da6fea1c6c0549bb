#include "game/match/GamePlayMovement.h"

#include "game/match/BrickBase.h"
#include "game/match/CellBase.h"

namespace {

constexpr float kQuarterTurn = 1.5707963f;

int Modulo4(int n)
{
    return ((n % 4) + 4) % 4;
}

} // namespace

bool GamePlayMovement::IsCell(int x, int y) const
{
    return IsInside(x, y) && GetCellKind(x, y) != 0;
}

bool GamePlayMovement::IsBreakableCell(int x, int y) const
{
    return IsCell(x, y) && (GetCellFlags(x, y) & (kCellSecondHit | kCellBreakable)) != 0;
}

bool GamePlayMovement::IsBoxed(int x, int y) const
{
    return IsCell(x, y) && (GetBrickFlags(x, y) & kBrickBox) != 0;
}

bool GamePlayMovement::IsChained(int x, int y) const
{
    return IsCell(x, y) && (GetBrickFlags(x, y) & (kBrickChain | kBrickChain2)) != 0;
}

bool GamePlayMovement::IsFreeBrick(int x, int y) const
{
    return IsCell(x, y) && GetBrickCode(x, y) != 0 && !IsChained(x, y);
}

bool GamePlayMovement::IsBrickBusyAt(int x, int y) const
{
    return IsInside(x, y) && (GetBrick(x, y)->IsBusy() || GetHoldBack(x, y) > 0);
}

bool GamePlayMovement::IsSelectableBrick(int x, int y) const
{
    if (!IsCell(x, y))
        return false;
    int code = GetBrickCode(x, y);
    return code != 0 && code != kBrickKey && !IsBrickBusyAt(x, y) && !IsBoxed(x, y);
}

bool GamePlayMovement::IsEmptyCell(int x, int y) const
{
    return IsCell(x, y) && GetBrickCode(x, y) == 0;
}

void GamePlayMovement::BeginRotate(int quarters)
{
    mRotating = true;
    mOrientation = quarters;
    mAngle = static_cast<float>(quarters) * kQuarterTurn;
}

void GamePlayMovement::Rotate(int quarters)
{
    mRotating = false;
    for (int d = Modulo4(mOrientation - quarters); d > 0; --d)
        RotateClockwise();
    mOrientation = quarters;
    mAngle = static_cast<float>(quarters) * kQuarterTurn;
}

int GamePlayMovement::GetRotation() const
{
    return Modulo4(mOrientation);
}

bool GamePlayMovement::TryFall(int toX, int toY, int fromX, int fromY)
{
    if (!IsFreeBrick(fromX, fromY) || !IsInside(toX, toY) || GetBrick(fromX, fromY)->IsBusy() ||
        GetHoldBack(fromX, fromY) > 0 || GetHoldBack(toX, toY) > 0)
        return false;
    BrickBase* brick = GetBrick(fromX, fromY);
    if (brick->GetCode() == kBrickKey && (GetCellFlags(toX, toY) & kCellKeyPath) == 0)
        return false;
    MoveBrick(fromX, fromY, toX, toY);
    brick->MoveTo(toX, toY);
    AddHold(fromX, fromY, 0.05f);
    return true;
}

bool GamePlayMovement::TryFallInto(int x, int y)
{
    if (!IsEmptyCell(x, y))
        return false;
    if (TryFall(x, y, x, y - 1))
        return true;
    for (int r = y - 1; r >= 0; --r) {
        if (IsEmptyCell(x, r))
            return false;
        if (GetBrick(x, r)->IsBusy() || GetHoldBack(x, r) > 0)
            return false;
        if (IsFreeBrick(x, r) && GetBrickCode(x, r) != kBrickKey)
            return TryFall(x, y, x, r);
    }
    return false;
}

bool GamePlayMovement::CanSpawnAt(int x, int y) const
{
    if (!IsEmptyCell(x, y))
        return false;
    for (int r = y - 1; r >= 0; --r) {
        if (IsEmptyCell(x, r) || (IsFreeBrick(x, r) && GetBrickCode(x, r) != kBrickKey) || GetHoldBack(x, r) > 0)
            return false;
    }
    return true;
}

bool GamePlayMovement::FallAndRefill(bool spawn)
{
    bool fell = false;
    for (int y = mWidth - 1; y >= 0; --y)
        for (int x = 0; x < mWidth; ++x)
            fell |= TryFallInto(x, y);
    if (!spawn)
        return fell;
    for (int x = 0; x < mWidth; ++x) {
        for (int y = 0; y < mWidth; ++y) {
            if (GetHoldBack(x, y) > 0)
                break;
            if (CanSpawnAt(x, y)) {
                SpawnBrick(x, y)->SetState(6);
                break;
            }
        }
    }
    return fell;
}
