#include "MatchTestSupport.h"
#include "game/match/CellBase.h"
#include "game/match/FieldWay.h"
#include "game/match/Grid.h"
#include "tests/support/ResourceTable.h"

#include <cmath>
#include <numbers>

#include <gtest/gtest.h>

namespace {

std::vector<int> Sides(const FieldWay& way)
{
    std::vector<int> sides;
    for (const FieldWay::BorderPiece& piece : way.GetBorders())
        sides.push_back(piece.side);
    return sides;
}

TEST(FieldWay, BordersRunAlongTheOuterEdgesOfTheKeyPath)
{
    TestField field;
    Paint(field, { "1.111", "11111", "11111", "11111" });
    field.GetCell(2, 2)->SetFlag(kCellKeyPath);
    FieldWay way;
    way.Build(field, false);
    EXPECT_EQ(Sides(way), (std::vector<int>{ 2, 1, 4, 3 }));

    field.GetCell(3, 2)->SetFlag(kCellKeyPath);
    way.Build(field, false);
    EXPECT_EQ(Sides(way), (std::vector<int>{ 2, 1, 4, 1, 4, 3 }));

    // The board's edge and a gap get no border.
    TestField corner;
    Paint(corner, { "1.", "11" });
    corner.GetCell(0, 0)->SetFlag(kCellKeyPath);
    way.Build(corner, false);
    EXPECT_EQ(Sides(way), (std::vector<int>{ 4 }));
}

TEST(FieldWay, PiecesLieAlongTheInnerSideOfTheirEdge)
{
    FieldWay way; // no border image: a strip of width 0
    way.AddBorder(0, 0, 7, 1);
    way.AddBorder(0, 0, 7, 2);
    way.AddBorder(0, 0, 7, 3);
    way.AddBorder(0, 0, 7, 4);
    const Grid* grid = Grid::Instance();
    int cx = static_cast<int>(grid->CellToScreenX(0)), cy = static_cast<int>(grid->CellToScreenY(0));
    const auto& b = way.GetBorders();
    EXPECT_EQ(b[0].y, cy - 22);
    EXPECT_EQ(b[1].x, cx - 22);
    EXPECT_EQ(b[1].y, cy + 1);
    EXPECT_EQ(b[2].x, cx + 23);
    EXPECT_EQ(b[3].y, cy + 23);
}

// With a border image 8 wide the pieces stand 4 in from the edges; turned a
// quarter and doubled about the board's centre, each drawing point (piece
// plus offset) is its point turned the board's way and twice as far out.
TEST(FieldWay, PiecesWithABorderImageFollowTheTurnedBoard)
{
    testsupport::ResourceTable resources;
    resources.AddImage("IMAGE_BOARD_WAY_BORDER", 8, 30);
    FieldWay way;
    for (int side = 1; side <= 4; ++side)
        way.AddBorder(2, 3, 7, side);
    const Grid* grid = Grid::Instance();
    const int cx = static_cast<int>(grid->CellToScreenX(2)), cy = static_cast<int>(grid->CellToScreenY(3));
    const auto& b = way.GetBorders();
    EXPECT_EQ(b[0].y, cy - 18);
    EXPECT_EQ(b[1].x, cx - 18);
    EXPECT_EQ(b[2].x, cx + 19);
    EXPECT_EQ(b[3].y, cy + 19);

    way.SetTransform(static_cast<float>(std::numbers::pi / 2), 2.0f);
    const float ox = static_cast<float>(grid->GetOriginX()) + static_cast<float>(grid->mBoardSize) / 2;
    const float oy = static_cast<float>(grid->GetOriginY()) + static_cast<float>(grid->mBoardSize) / 2;
    for (const FieldWay::BorderPiece& piece : b) {
        SCOPED_TRACE(piece.side);
        const float dx = static_cast<float>(piece.x) - ox, dy = static_cast<float>(piece.y) - oy;
        EXPECT_NEAR(static_cast<float>(piece.x) + piece.offsetX, ox + 2 * dy, 1e-3);
        EXPECT_NEAR(static_cast<float>(piece.y) + piece.offsetY, oy - 2 * dx, 1e-3);
    }
    way.SetTransform(0.0f, 1.0f);
    for (const FieldWay::BorderPiece& piece : b) {
        EXPECT_NEAR(piece.offsetX, 0.0f, 1e-4);
        EXPECT_NEAR(piece.offsetY, 0.0f, 1e-4);
    }
}

TEST(FieldWay, BorderShownByCellNumber)
{
    FieldWay way;
    way.AddBorder(1, 1, 11, 1);
    way.AddBorder(1, 1, 11, 2);
    way.AddBorder(2, 1, 12, 1);
    way.SetBorderShown(99, false);
    for (const auto& piece : way.GetBorders())
        EXPECT_TRUE(piece.shown);
    way.SetBorderShown(11, false);
    EXPECT_FALSE(way.GetBorders()[0].shown);
    EXPECT_FALSE(way.GetBorders()[1].shown);
    EXPECT_TRUE(way.GetBorders()[2].shown);
}

TEST(FieldWay, FadeWaitsForItsDelayThenFallsToZero)
{
    FieldWay way;
    way.StartFade(0.5f);
    for (int i = 0; i < 4; ++i)
        way.Update(10); // the delay falls by 0.1 each
    EXPECT_EQ(way.GetAlpha(), 1.0f);
    way.SetAlpha(0.8f); // still in the delay: taken as it is
    EXPECT_EQ(way.GetAlpha(), 0.8f);
    for (int i = 0; i < 3; ++i)
        way.Update(10);
    EXPECT_LT(way.GetAlpha(), 0.8f);
    way.SetAlpha(1.0f); // the fade can only deepen
    EXPECT_LT(way.GetAlpha(), 0.8f);
    for (int i = 0; i < 20; ++i)
        way.Update(10);
    EXPECT_EQ(way.GetAlpha(), 0.0f);
    way.Clear();
    way.SetAlpha(1.0f);
    EXPECT_EQ(way.GetAlpha(), 1.0f);
}

TEST(FieldWay, TargetCellFollowsTheHole)
{
    FieldWay way;
    int x = -1, y = -1;
    EXPECT_FALSE(way.GetTargetCell(x, y));

    TestField field;
    Paint(field, { "111", "111", "111" });
    field.GetCell(2, 1)->SetFlag(kCellHole);
    way.Build(field, true);
    EXPECT_TRUE(way.IsTargetShown());
    ASSERT_TRUE(way.GetTargetCell(x, y));
    EXPECT_EQ(x, 2);
    EXPECT_EQ(y, 1);
    way.Build(field, false);
    EXPECT_FALSE(way.IsTargetShown());

    // Scaled about the board's centre, the target moves toward it.
    way.SetTransform(0, 0.5f);
    ASSERT_TRUE(way.GetTargetCell(x, y));
    EXPECT_EQ(x, 3);
    EXPECT_EQ(y, 3);
}

} // namespace
