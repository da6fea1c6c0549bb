#include "game/match/Grid.h"

#include "framework/graphics/Image.h"
#include "game/match/BrickHelper.h"

float Grid::CellToScreenX(int x) const
{
    return static_cast<float>(mOriginX + mCellSize * x) + mCellSize / 2.0f;
}

float Grid::CellToScreenY(int y) const
{
    return static_cast<float>(mOriginY + mCellSize * y) + mCellSize / 2.0f;
}

bool Grid::ScreenToCell(int px, int py, int& x, int& y) const
{
    int dx = px - mOriginX;
    int dy = py - mOriginY;
    if (dx < 0 || dy < 0 || dx >= mBoardSize || dy >= mBoardSize)
        return false;
    x = dx / mCellSize;
    y = dy / mCellSize;
    return true;
}

bool Grid::AreNeighbours(int x1, int y1, int x2, int y2) const
{
    for (int c : { x1, y1, x2, y2 })
        if (c < 0 || c >= mCellCount)
            return false;
    int dx = x1 > x2 ? x1 - x2 : x2 - x1;
    int dy = y1 > y2 ? y1 - y2 : y2 - y1;
    return dx + dy == 1;
}

void Grid::BrickTopLeft(int x, int y, int& px, int& py)
{
    if (!mBrickSizeKnown) {
        if (Kivo::Image* image = BrickHelper::Instance()->GetBrickImage(1)) {
            mBrickWidth = image->GetCelWidth();
            mBrickHeight = image->GetCelHeight();
        }
        mBrickSizeKnown = true;
    }
    px = static_cast<int>(CellToScreenX(x)) - mBrickWidth / 2;
    py = static_cast<int>(CellToScreenY(y)) - mBrickHeight / 2;
}

bool Grid::Step(int x, int y, int& outX, int& outY, int direction)
{
    switch (direction) {
    case 1: outX = x + 1; outY = y; return true;
    case 2: outX = x; outY = y + 1; return true;
    case 3: outX = x - 1; outY = y; return true;
    case 4: outX = x; outY = y - 1; return true;
    default: return false;
    }
}
