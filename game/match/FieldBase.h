#pragma once
// The board's model: one slot per cell holding the cell, the brick on it and
// a hold-back in ticks. The field owns every brick and cell in its slots and
// deletes an object when it is replaced. Coordinates are not checked:
// callers pass cells inside the board.
#include <cstddef>
#include <cstdint>
#include <vector>

class BrickBase;
class CellBase;

struct FieldSlot {
    uint32_t index = 0; // the slot's number at construction; moves with a rotation
    BrickBase* brick = nullptr;
    CellBase* cell = nullptr;
    int32_t holdBack = 0;
};

class FieldBase {
public:
    FieldBase();
    virtual ~FieldBase();
    FieldBase(const FieldBase&) = delete;
    FieldBase& operator=(const FieldBase&) = delete;

    virtual BrickBase* CreateBrick(int code) = 0;
    virtual BrickBase* CreateRandomBrick() = 0;

    void Update(float dt);
    // Once per logic tick: counts hold-backs down and finds out whether
    // anything still moves or waits.
    void Settle();
    bool IsBusy() const { return mBusy; }

    int GetWidth() const { return mWidth; }
    int GetSlotCount() const { return mSlotCount; }
    FieldSlot GetSlotByIndex(int n) const { return mSlots[static_cast<size_t>(n)]; }
    FieldSlot GetSlot(int x, int y) const { return mSlots[Index(x, y)]; }
    BrickBase* GetBrick(int x, int y) const { return mSlots[Index(x, y)].brick; }
    CellBase* GetCell(int x, int y) const { return mSlots[Index(x, y)].cell; }
    int GetBrickCode(int x, int y) const;
    int GetCellKind(int x, int y) const;
    uint32_t GetBrickFlags(int x, int y) const;
    uint32_t GetCellFlags(int x, int y) const;
    int GetHoldBack(int x, int y) const { return mSlots[Index(x, y)].holdBack; }

    // (x1, y1)'s brick replaces (x2, y2)'s; (x1, y1) gets an empty brick.
    void MoveBrick(int x1, int y1, int x2, int y2);
    void SwapBricks(int x1, int y1, int x2, int y2);
    void HoldCell(int x, int y);
    void AddHold(int x, int y, float seconds);
    // One quarter turn clockwise on the screen: (x, y) then holds what stood
    // at (y, width - 1 - x). Bricks are placed at their new cells.
    void RotateClockwise();
    BrickBase* PutBrick(int code, int x, int y);
    BrickBase* SpawnBrick(int x, int y);
    // As PutBrick without placing the brick on the screen.
    BrickBase* SetBrick(int x, int y, int code);
    void SetCell(int x, int y, int kind);

protected:
    size_t Index(int x, int y) const { return static_cast<size_t>(y * mWidth + x); }
    BrickBase* Replace(int x, int y, BrickBase* brick);

    int mWidth;
    int mSlotCount;
    std::vector<FieldSlot> mSlots;
    bool mBusy = false;
};
