#include "game/match/Grid.h"

#include <gtest/gtest.h>

namespace {

TEST(Grid, ScreenToCell)
{
    struct Case {
        int px, py;
        bool inside;
        int x, y;
    };
    const Case cases[] = {
        { 175, 40, true, 0, 0 },  { 624, 489, true, 9, 9 }, { 219, 84, true, 0, 0 }, { 220, 85, true, 1, 1 },
        { 625, 40, false, 0, 0 }, { 174, 40, false, 0, 0 }, { 175, 39, false, 0, 0 }, { 175, 490, false, 0, 0 },
    };
    for (const Case& c : cases) {
        int x = -7, y = -7;
        EXPECT_EQ(Grid::Instance()->ScreenToCell(c.px, c.py, x, y), c.inside) << c.px << "," << c.py;
        if (c.inside) {
            EXPECT_EQ(x, c.x);
            EXPECT_EQ(y, c.y);
        } else {
            EXPECT_EQ(x, -7);
        }
    }
}

TEST(Grid, CellCentres)
{
    EXPECT_FLOAT_EQ(Grid::Instance()->CellToScreenX(0), 197.5f);
    EXPECT_FLOAT_EQ(Grid::Instance()->CellToScreenY(9), 467.5f);
    EXPECT_FLOAT_EQ(Grid::Instance()->CellToScreenX(9), 602.5f);
}

TEST(Grid, Neighbours)
{
    struct Case {
        int x1, y1, x2, y2;
        bool expected;
    };
    const Case cases[] = {
        { 3, 3, 3, 4, true },  { 3, 3, 2, 3, true },  { 3, 3, 4, 4, false }, { 3, 3, 3, 3, false },
        { 3, 3, 3, 5, false }, { 9, 9, 10, 9, false }, { 0, 0, -1, 0, false }, { 0, 10, 0, 9, false },
    };
    for (const Case& c : cases)
        EXPECT_EQ(Grid::Instance()->AreNeighbours(c.x1, c.y1, c.x2, c.y2), c.expected)
            << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2;
}

TEST(Grid, Step)
{
    const int expected[5][2] = { {}, { 5, 4 }, { 4, 5 }, { 3, 4 }, { 4, 3 } };
    for (int d = 1; d <= 4; ++d) {
        int x = 0, y = 0;
        ASSERT_TRUE(Grid::Step(4, 4, x, y, d));
        EXPECT_EQ(x, expected[d][0]);
        EXPECT_EQ(y, expected[d][1]);
    }
    for (int d : { 0, 5, -1 }) {
        int x = -7, y = -7;
        EXPECT_FALSE(Grid::Step(4, 4, x, y, d));
        EXPECT_EQ(x, -7);
        EXPECT_EQ(y, -7);
    }
}

} // namespace
