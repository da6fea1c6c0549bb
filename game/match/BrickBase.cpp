#include "game/match/BrickBase.h"

#include "framework/core/Strings.h"
#include "game/match/Grid.h"

int ClassifyCode(int code)
{
    if (code >= 1 && code <= 10)
        return 1;
    return code == kBrickJoker ? 2 : 0;
}

void BrickBase::PlaceAt(int x, int y)
{
    int px = 0;
    int py = 0;
    Grid::Instance()->BrickTopLeft(x, y, px, py);
    mX = static_cast<float>(px);
    mY = static_cast<float>(py);
    mOffsetX = 0;
    mOffsetY = 0;
}

void BrickBase::GetDrawPos(float& x, float& y) const
{
    Grid* grid = Grid::Instance();
    x = mX + mOffsetX - static_cast<float>(grid->GetOriginX());
    y = mY + mOffsetY - static_cast<float>(grid->GetOriginY());
}

std::string BrickBase::ToString() const
{
    return Kivo::StrFormat("%2d", GetCode());
}
