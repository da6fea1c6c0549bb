#pragma once
// The board's screen geometry: where the board stands, how large a cell is,
// screen points to cells and back, and which cells are neighbours. Cell
// coordinates are 0-based, x the column, y the row.
#include "framework/core/Singleton.h"

class Grid : public Singleton<Grid> {
public:
    Grid() = default;

    int GetOriginX() const { return mOriginX; }
    int GetOriginY() const { return mOriginY; }
    int GetCellSize() const { return mCellSize; }
    int GetCellCount() const { return mCellCount; }

    // The centre of a cell on the screen.
    float CellToScreenX(int x) const;
    float CellToScreenY(int y) const;
    // False when the point lies off the board.
    bool ScreenToCell(int px, int py, int& x, int& y) const;
    // 4-neighbourhood on the board; a cell is not its own neighbour.
    bool AreNeighbours(int x1, int y1, int x2, int y2) const;
    // Where a brick image of the cell is drawn: the centre minus half the
    // colour-1 brick image's size, measured once.
    void BrickTopLeft(int x, int y, int& px, int& py);
    // Direction 1 right, 2 down, 3 left, 4 up; no bounds test. Any other
    // direction: false and nothing written.
    static bool Step(int x, int y, int& outX, int& outY, int direction);

    int mShakeX = 0;
    int mShakeY = 0;
    int mOriginX = 175;
    int mOriginY = 40;
    int mCellSize = 45;
    int mCellCount = 10;
    int mBoardSize = 450;

private:
    bool mBrickSizeKnown = false;
    int mBrickWidth = 0;
    int mBrickHeight = 0;
};
