#include "game/match/BoardRender.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/Transform.h"
#include "framework/resources/ResourceHelpers.h"

BoardRender::BoardRender()
    : mBackground(GetImageById("IMAGE_BOARD_BACKGROUND")), mCells(GetImageById("IMAGE_BOARD_CELLS")),
      mBlackboardImage(GetImageById("IMAGE_FIELD_BLACKBOARD"))
{
}

void BoardRender::Centre(float& cx, float& cy) const
{
    int w = mCells ? mCells->GetWidth() : 0;
    int h = mCells ? mCells->GetHeight() : 0;
    cx = static_cast<float>(mX) + static_cast<float>(w) / 2 - 0.5f;
    cy = static_cast<float>(mY) + static_cast<float>(h) / 2 - 0.5f;
}

void BoardRender::DrawBoard(Kivo::Graphics* g)
{
    if (!mBackground)
        return;
    float cx = 0, cy = 0;
    Centre(cx, cy);
    Kivo::Transform t;
    t.Scale(mScale, mScale);
    t.Rotate(mAngle);
    g->PushState();
    if (mShown.IsMoving() || mShown.mCurrent == 0) {
        g->SetColorizeImages(true);
        g->SetColorRGBA(255, 255, 255, static_cast<int>(mShown.mCurrent * 255));
    }
    g->DrawImageTransformF(mBackground, t, cx, cy);
    g->PopState();
}

void BoardRender::DrawField(Kivo::Graphics* g)
{
    if (!mBlackboardImage || mBlackboard.mCurrent <= 0 || mShown.mCurrent <= 0)
        return;
    float cx = 0, cy = 0;
    Centre(cx, cy);
    float w = static_cast<float>(mBlackboardImage->GetWidth());
    float h = static_cast<float>(mBlackboardImage->GetHeight());
    g->PushState();
    g->ClipRect(mX, mY, mCells ? mCells->GetWidth() : 0, mCells ? mCells->GetHeight() : 0);
    if (mShown.IsMoving()) {
        g->SetColorizeImages(true);
        g->SetColorRGBA(255, 255, 255, static_cast<int>(mShown.mCurrent * 255));
    }
    g->DrawImageF(mBlackboardImage, cx + 1 - w / 2, cy + 2 - h / 2 - h * (1 - mBlackboard.mCurrent));
    g->PopState();
}
