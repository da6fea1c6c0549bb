#include "MatchTestSupport.h"
#include "game/match/CellBase.h"

#include <gtest/gtest.h>

namespace {

// Every place gets a distinct code of 1..10 by its column and row pattern,
// so turns can be followed: code of (x, y) is 1 + (x + 3 * y) % 10, and the
// cell kind marks the row parity.
void Fill(TestField& field)
{
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            field.PutBrick(1 + (x + 3 * y) % 10, x, y);
            field.SetCell(x, y, y % 2);
        }
}

TEST(Field, StartsEmptyWithGaps)
{
    TestField field;
    ASSERT_EQ(field.GetSlotCount(), 100);
    for (int n = 0; n < 100; ++n) {
        FieldSlot slot = field.GetSlotByIndex(n);
        EXPECT_EQ(slot.index, static_cast<uint32_t>(n));
        EXPECT_EQ(slot.brick->GetCode(), 0);
        EXPECT_EQ(slot.cell->GetKind(), 0);
        EXPECT_EQ(slot.holdBack, 0);
    }
    EXPECT_FALSE(field.IsBusy());
}

TEST(Field, QuarterTurnsClockwise)
{
    TestField field;
    Fill(field);
    TestField reference;
    Fill(reference);
    field.RotateClockwise();
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            EXPECT_EQ(field.GetBrickCode(x, y), reference.GetBrickCode(y, 9 - x));
            EXPECT_EQ(field.GetCellKind(x, y), reference.GetCellKind(y, 9 - x));
        }
    // The corner (0, 0) goes to the top-right corner, (0, 9) to (0, 0).
    EXPECT_EQ(field.GetBrickCode(9, 0), reference.GetBrickCode(0, 0));
    EXPECT_EQ(field.GetBrickCode(0, 0), reference.GetBrickCode(0, 9));
    // Bricks are placed at their new cells.
    TestField placed;
    BrickBase* at90 = placed.PutBrick(5, 9, 0);
    float x0, y0;
    at90->GetDrawPos(x0, y0);
    float x1, y1;
    field.GetBrick(9, 0)->GetDrawPos(x1, y1);
    EXPECT_EQ(x0, x1);
    EXPECT_EQ(y0, y1);

    for (int i = 0; i < 3; ++i)
        field.RotateClockwise();
    for (int n = 0; n < 100; ++n) {
        EXPECT_EQ(field.GetSlotByIndex(n).index, static_cast<uint32_t>(n));
        EXPECT_EQ(field.GetSlotByIndex(n).brick->GetCode(), reference.GetSlotByIndex(n).brick->GetCode());
    }
}

TEST(Field, MoveAndSwap)
{
    TestField field;
    BrickBase* brick = field.PutBrick(4, 2, 2);
    field.MoveBrick(2, 2, 2, 2);
    EXPECT_EQ(field.GetBrick(2, 2), brick);

    field.PutBrick(7, 2, 3);
    field.MoveBrick(2, 2, 2, 3); // deletes the brick of code 7
    EXPECT_EQ(field.GetBrick(2, 3), brick);
    EXPECT_EQ(field.GetBrickCode(2, 2), 0);

    field.PutBrick(9, 5, 5);
    field.SwapBricks(2, 3, 5, 5);
    EXPECT_EQ(field.GetBrickCode(2, 3), 9);
    EXPECT_EQ(field.GetBrick(5, 5), brick);
}

TEST(Field, HoldBackKeepsTheFieldBusy)
{
    TestField field;
    field.HoldCell(3, 3);
    EXPECT_TRUE(field.IsBusy());
    for (int i = 0; i < 25; ++i) {
        field.Settle();
        EXPECT_TRUE(field.IsBusy()) << i;
    }
    field.Settle();
    EXPECT_FALSE(field.IsBusy());

    field.AddHold(1, 1, 0.005f);
    EXPECT_EQ(field.GetHoldBack(1, 1), 0);
    EXPECT_FALSE(field.IsBusy());
    field.AddHold(1, 1, 0.05f);
    EXPECT_EQ(field.GetHoldBack(1, 1), 5);
    EXPECT_TRUE(field.IsBusy());
    // Replacing the brick clears the hold.
    field.PutBrick(2, 1, 1);
    EXPECT_EQ(field.GetHoldBack(1, 1), 0);
}

TEST(Field, MovingBrickKeepsTheFieldBusy)
{
    TestField field;
    BrickBase* brick = field.PutBrick(3, 4, 0);
    field.MoveBrick(4, 0, 4, 1);
    brick->MoveTo(4, 1);
    field.Settle();
    EXPECT_TRUE(field.IsBusy());
    for (int i = 0; i < 200 && brick->IsBusy(); ++i)
        field.Update(1.0f);
    field.Settle();
    EXPECT_FALSE(field.IsBusy());
}

} // namespace
