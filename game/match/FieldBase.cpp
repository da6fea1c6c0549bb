#include "game/match/FieldBase.h"

#include "game/match/BrickBase.h"
#include "game/match/BrickFactory.h"
#include "game/match/CellBase.h"
#include "game/match/Grid.h"
#include "game/match/RotateRings.h"

#include <utility>

FieldBase::FieldBase() : mWidth(Grid::Instance()->GetCellCount()), mSlotCount(mWidth * mWidth)
{
    mSlots.resize(static_cast<size_t>(mSlotCount));
    for (int n = 0; n < mSlotCount; ++n) {
        FieldSlot& slot = mSlots[static_cast<size_t>(n)];
        slot.index = static_cast<uint32_t>(n);
        slot.brick = ::CreateBrick(0);
        slot.cell = CreateCell(0, n % mWidth, n / mWidth);
    }
}

FieldBase::~FieldBase()
{
    for (FieldSlot& slot : mSlots) {
        delete slot.brick;
        delete slot.cell;
    }
}

void FieldBase::Update(float dt)
{
    for (FieldSlot& slot : mSlots) {
        slot.brick->Update(dt);
        slot.cell->Update(dt);
    }
}

void FieldBase::Settle()
{
    mBusy = false;
    for (FieldSlot& slot : mSlots) {
        slot.brick->Tick();
        slot.cell->Settle();
        if (slot.holdBack >= 1) {
            --slot.holdBack;
            mBusy = true;
        } else if (!mBusy) {
            mBusy = slot.brick->IsBusy();
        }
    }
}

int FieldBase::GetBrickCode(int x, int y) const
{
    return GetBrick(x, y)->GetCode();
}

int FieldBase::GetCellKind(int x, int y) const
{
    return GetCell(x, y)->GetKind();
}

uint32_t FieldBase::GetBrickFlags(int x, int y) const
{
    return GetBrick(x, y)->GetFlags();
}

uint32_t FieldBase::GetCellFlags(int x, int y) const
{
    return GetCell(x, y)->mFlags;
}

void FieldBase::MoveBrick(int x1, int y1, int x2, int y2)
{
    if (x1 == x2 && y1 == y2)
        return;
    FieldSlot& from = mSlots[Index(x1, y1)];
    FieldSlot& to = mSlots[Index(x2, y2)];
    delete to.brick;
    to.brick = from.brick;
    from.brick = CreateBrick(0);
}

void FieldBase::SwapBricks(int x1, int y1, int x2, int y2)
{
    std::swap(mSlots[Index(x1, y1)].brick, mSlots[Index(x2, y2)].brick);
}

void FieldBase::HoldCell(int x, int y)
{
    mSlots[Index(x, y)].holdBack = 25;
    mBusy = true;
}

void FieldBase::AddHold(int x, int y, float seconds)
{
    FieldSlot& slot = mSlots[Index(x, y)];
    slot.holdBack += static_cast<int32_t>(seconds * 100);
    if (slot.holdBack > 0)
        mBusy = true;
}

void FieldBase::RotateClockwise()
{
    int w = mWidth;
    RotateRingsClockwise(w, [this](int x, int y) -> FieldSlot& { return mSlots[Index(x, y)]; });
    for (int n = 0; n < mSlotCount; ++n)
        mSlots[static_cast<size_t>(n)].brick->PlaceAt(n % w, n / w);
}

BrickBase* FieldBase::Replace(int x, int y, BrickBase* brick)
{
    FieldSlot& slot = mSlots[Index(x, y)];
    delete slot.brick;
    slot.brick = brick;
    slot.holdBack = 0;
    return brick;
}

BrickBase* FieldBase::PutBrick(int code, int x, int y)
{
    BrickBase* brick = Replace(x, y, CreateBrick(code));
    brick->PlaceAt(x, y);
    return brick;
}

BrickBase* FieldBase::SpawnBrick(int x, int y)
{
    BrickBase* brick = Replace(x, y, CreateRandomBrick());
    brick->PlaceAt(x, y);
    return brick;
}

BrickBase* FieldBase::SetBrick(int x, int y, int code)
{
    return Replace(x, y, CreateBrick(code));
}

void FieldBase::SetCell(int x, int y, int kind)
{
    FieldSlot& slot = mSlots[Index(x, y)];
    delete slot.cell;
    slot.cell = CreateCell(kind, x, y);
}
