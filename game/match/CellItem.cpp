#include "game/match/CellItem.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/Transform.h"
#include "framework/resources/ResourceHelpers.h"
#include "game/match/Grid.h"

#include <algorithm>
#include <cmath>
#include <numbers>

CellItem::CellItem(uint8_t kind, int x, int y)
    : CellBase(kind), mX(x), mY(y), mCells(GetImageById("IMAGE_BOARD_CELLS")),
      mRect(GetImageById("IMAGE_BOARD_CELL_RECT")), mHilightWay(GetImageById("IMAGE_BOARD_CELL_HILIGHTWAY")),
      mHilight(GetImageById("IMAGE_BOARD_CELL_HILIGHT"))
{
    mVisibility.mCurrent = mVisibility.mPrevious = 1;
}

void CellItem::Update(float dt)
{
    mVisibility.Update(dt);
}

void CellItem::Settle()
{
    if (mPulseOn) {
        if (mPulseDelay > 0)
            --mPulseDelay;
        else if ((mPulsePhase -= 0.02f) <= 0)
            mPulseOn = false;
    }
    mLit = std::clamp(mLit + (mLitOn ? 0.04f : -0.04f), 0.0f, 1.0f);
}

void CellItem::StartState(int id, float seconds)
{
    if (id != 4)
        return SetState(id);
    mPulseOn = true;
    mPulseDelay = static_cast<int>(seconds * 100);
    mPulsePhase = 1;
}

void CellItem::SetState(int id)
{
    switch (id) {
    case 1:
    case 2: {
        float goal = id == 1 ? 1.0f : 0.0f;
        if (!mVisibility.IsMoving() && mVisibility.mCurrent != goal)
            mVisibility.mCurrent = 1 - goal;
        mVisibility.mTarget = goal;
        break;
    }
    case 3:
        mVisibility.mTarget = mVisibility.mCurrent = 0;
        break;
    case 5:
        mLitOn = true;
        break;
    default:
        break;
    }
}

void CellItem::StopState(int id)
{
    if (id == 4)
        mPulseOn = false;
    else if (id == 5)
        mLitOn = false;
}

void CellItem::ResetStates()
{
    mVisibility.mTarget = mVisibility.mCurrent = 1;
    mPulseOn = false;
    mLitOn = false;
    mLit = 0;
}

void CellItem::Draw(Kivo::Graphics& g, float angle, float scale, float alpha)
{
    if (!mCells)
        return;
    Grid* grid = Grid::Instance();
    int count = grid->GetCellCount();
    float w = static_cast<float>(mCells->GetWidth());
    float h = static_cast<float>(mCells->GetHeight());
    int pieceW = mCells->GetWidth() / count;
    int pieceH = mCells->GetHeight() / count;
    Kivo::Transform t;
    t.Translate(-w / 2, -h / 2);
    t.Translate(static_cast<float>(mX * pieceW) + pieceW / 2.0f, static_cast<float>(mY * pieceH) + pieceH / 2.0f);
    t.Rotate(angle);
    t.Scale(scale, scale);
    t.Translate(w / 2, h / 2);
    t.Translate(static_cast<float>(grid->GetOriginX()), static_cast<float>(grid->GetOriginY()));
    float visibility = mVisibility.mCurrent;
    float effective = alpha * visibility;

    g.PushState();
    g.SetColorizeImages(true);
    if (mPulseOn && mPulseDelay <= 0 && mHilightWay) {
        g.SetDrawMode(1);
        g.SetColorRGBA(255, 255, 255,
                       static_cast<int>(std::fabs(std::sin(std::numbers::pi_v<float> * mPulsePhase)) * effective * 80));
        g.DrawImageTransformF(mHilightWay, t, 0, 0);
    }
    if (mLit > 0 && mHilight) {
        g.SetDrawMode(1);
        g.SetColorRGBA(255, 255, 255, static_cast<int>(mLit * effective * 40));
        g.DrawImageTransformF(mHilight, t, 0, 0);
    }
    g.SetDrawMode(0);
    Kivo::Rect piece(mX * pieceW, mY * pieceH, pieceW, pieceH);
    bool full = visibility == 1 && !mVisibility.IsMoving() && alpha == 1;
    if (mKind == 0) {
        if (mRect) {
            g.SetColorRGBA(0, 0, 0, static_cast<int>(80 * visibility));
            g.DrawImageTransformF(mRect, t, 0, 0);
        }
    } else if (HasFlag(kCellSecondHit)) {
        g.SetColorRGBA(100, 200, 250, full ? 255 : static_cast<int>(effective * 255));
        g.DrawImageTransformSrcF(mCells, t, piece, 0, 0);
    } else if (HasFlag(kCellBreakable)) {
        g.SetColorizeImages(!full);
        g.SetColorRGBA(255, 255, 255, static_cast<int>(effective * 255));
        g.DrawImageTransformSrcF(mCells, t, piece, 0, 0);
    }
    g.PopState();
}
