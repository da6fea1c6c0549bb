#include "game/effects/GfxExplodeRowFly.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/resources/ResourceHelpers.h"
#include "game/match/Grid.h"

namespace {

GfxExplodeRowFly::Half MakeHalf(int column, int row, int toColumn)
{
    const Grid* grid = Grid::Instance();
    const float x = grid->CellToScreenX(column);
    const float time = static_cast<float>(column > toColumn ? column - toColumn : toColumn - column) * 0.1f;
    const float velocity = time > 0 ? (grid->CellToScreenX(toColumn) - x) / time : 0;
    return {x, grid->CellToScreenY(row), velocity, time};
}

void Move(GfxExplodeRowFly::Half& half, float frac)
{
    half.mTime -= 0.01f * frac;
    half.mX += half.mVelocityX * frac * 0.01f;
}

void DrawHalf(Kivo::Graphics* g, Kivo::Image* image, const GfxExplodeRowFly::Half& half)
{
    if (image && half.mTime > 0)
        g->DrawImageF(image, half.mX - static_cast<float>(image->GetWidth()) / 2,
                      half.mY - static_cast<float>(image->GetHeight()) / 2);
}

} // namespace

GfxExplodeRowFly::GfxExplodeRowFly(int column, int row)
    : mLeft(MakeHalf(column, row, 0)), mRight(MakeHalf(column, row, Grid::Instance()->GetCellCount() - 1))
{
}

void GfxExplodeRowFly::update(float frac)
{
    Move(mLeft, frac);
    Move(mRight, frac);
}

int GfxExplodeRowFly::process()
{
    if (mLeft.mTime >= 0)
        return 0;
    return mRight.mTime < 0 ? -1 : 0;
}

void GfxExplodeRowFly::draw(Kivo::Graphics* g)
{
    Kivo::Image* const left = GetImageById("BRICK_BONUS_ROW_PART_LEFT");
    Kivo::Image* const right = GetImageById("BRICK_BONUS_ROW_PART_RIGHT");
    DrawHalf(g, left, mLeft);
    DrawHalf(g, right, mRight);
}
