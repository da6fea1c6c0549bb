#include "game/match/FieldWay.h"

#include "framework/core/FastMath.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/Transform.h"
#include "framework/resources/ResourceHelpers.h"
#include "game/match/BrickBase.h"
#include "game/match/CellBase.h"
#include "game/match/FieldBase.h"
#include "game/match/Grid.h"
#include "game/match/ImageFrames.h"

#include <cmath>

FieldWay::FieldWay()
    : mBorderImage(GetImageById("IMAGE_BOARD_WAY_BORDER")), mTargetImage(GetImageById("IMAGE_BOARD_TARGET_CELL"))
{
}

void FieldWay::Clear()
{
    mBorders.clear();
    mCells.clear();
    mPhase = 0;
    mTargetShown = false;
    mFading = false;
}

void FieldWay::Build(const FieldBase& field, bool levelHasKey)
{
    Clear();
    int w = field.GetWidth();
    auto bordersOn = [&](int nx, int ny) {
        return nx >= 0 && ny >= 0 && nx < w && ny < w && field.GetCellKind(nx, ny) == 1 &&
               (field.GetCellFlags(nx, ny) & kCellKeyPath) == 0;
    };
    for (int x = 0; x < w; ++x)
        for (int y = 0; y < w; ++y) {
            uint32_t flags = field.GetCellFlags(x, y);
            if (flags & kCellHole) {
                SetTarget(x, y);
                ShowTarget(levelHasKey);
            }
            if ((flags & kCellKeyPath) == 0)
                continue;
            int cell = static_cast<int>(field.GetSlot(x, y).index);
            static const int kSides[4][3] = { { -1, 0, 2 }, { 0, -1, 1 }, { 0, 1, 4 }, { 1, 0, 3 } };
            for (const auto& s : kSides)
                if (bordersOn(x + s[0], y + s[1]))
                    AddBorder(x, y, cell, s[2]);
        }
}

void FieldWay::AddBorder(int x, int y, int cell, int side)
{
    const Grid* grid = Grid::Instance();
    int cx = static_cast<int>(grid->CellToScreenX(x));
    int cy = static_cast<int>(grid->CellToScreenY(y));
    int c = grid->GetCellSize() / 2;
    int w = (mBorderImage ? mBorderImage->GetWidth() : 0) / 2;
    switch (side) {
    case 1: cy += w - c; break;
    case 2: cx += w - c; cy += 1; break;
    case 3: cx += c - w + 1; break;
    case 4: cy += c - w + 1; break;
    default: break;
    }
    mCells.insert(cell);
    mBorders.push_back({ cell, cx, cy, side, 0, 0, true });
}

void FieldWay::SetBorderShown(int cell, bool shown)
{
    for (BorderPiece& piece : mBorders)
        if (piece.cell == cell)
            piece.shown = shown;
}

void FieldWay::SetTarget(int x, int y)
{
    mTargetX = Grid::Instance()->CellToScreenX(x);
    mTargetY = Grid::Instance()->CellToScreenY(y);
}

bool FieldWay::GetTargetCell(int& x, int& y) const
{
    float px = mTargetX + mTargetOffsetX;
    float py = mTargetY + mTargetOffsetY;
    if (mTargetX < 0 || mTargetY < 0 || px < 0 || py < 0)
        return false;
    return Grid::Instance()->ScreenToCell(static_cast<int>(px), static_cast<int>(py), x, y);
}

void FieldWay::StartFade(float delay)
{
    mFading = true;
    mFadeDelay = delay;
}

void FieldWay::SetAlpha(float a)
{
    if (!mFading || mFadeDelay > 0 || a < mAlpha)
        mAlpha = a;
}

void FieldWay::TurnOffset(float x, float y, float& ox, float& oy) const
{
    const Grid* grid = Grid::Instance();
    float cx = static_cast<float>(grid->GetOriginX()) + static_cast<float>(grid->mBoardSize) / 2;
    float cy = static_cast<float>(grid->GetOriginY()) + static_cast<float>(grid->mBoardSize) / 2;
    float c = std::cos(mAngle), s = std::sin(mAngle);
    float dx = x - cx, dy = y - cy;
    // The board's drawing transform turns counter-clockwise on the screen.
    ox = cx + (c * dx + s * dy) * mScale - x;
    oy = cy + (-s * dx + c * dy) * mScale - y;
}

void FieldWay::SetTransform(float angle, float scale)
{
    mAngle = angle;
    mScale = scale;
    for (BorderPiece& piece : mBorders)
        TurnOffset(static_cast<float>(piece.x), static_cast<float>(piece.y), piece.offsetX, piece.offsetY);
    TurnOffset(mTargetX, mTargetY, mTargetOffsetX, mTargetOffsetY);
}

void FieldWay::Update(float dt)
{
    if (mFading) {
        if (mFadeDelay > 0)
            mFadeDelay -= dt * 0.01f;
        else if (mAlpha > 0)
            mAlpha -= dt * 0.01f;
        if (mAlpha <= 0)
            mAlpha = 0;
    }
    mPhase += dt * 0.008f;
}

void FieldWay::Tick()
{
    AdvanceFrame(mTargetImage, mTick, mTargetFrame);
}

void FieldWay::DrawBorders(Kivo::Graphics& g)
{
    if (!mBorderImage)
        return;
    g.PushState();
    g.SetColorizeImages(true);
    g.SetColorRGBA(255, 255, 255, 255);
    g.SetAlphaScale(mAlpha);
    for (const BorderPiece& piece : mBorders) {
        if (!piece.shown)
            continue;
        bool across = piece.side == 1 || piece.side == 4;
        Kivo::Transform t;
        t.Scale(mScale, mScale);
        t.Rotate(across ? mAngle + Kivo::kHalfPi : mAngle);
        t.Translate(static_cast<float>(piece.x) + piece.offsetX, static_cast<float>(piece.y) + piece.offsetY);
        g.DrawImageTransformF(mBorderImage, t, 0, 0);
    }
    g.PopState();
}

void FieldWay::DrawTarget(Kivo::Graphics& g)
{
    if (!mTargetShown)
        return;
    float px = mTargetX + mTargetOffsetX;
    float py = mTargetY + mTargetOffsetY;
    g.PushState();
    g.SetColorizeImages(true);
    g.SetColorRGBA(255, 255, 255, 255);
    g.SetAlphaScale(mAlpha);
    if (Kivo::Image* glow = GetImageById("IMAGE_GFX_KEYHOLE_GLOW")) {
        g.SetDrawMode(Kivo::DRAWMODE_ADDITIVE);
        Kivo::Transform t;
        float s = mScale * 0.35f + (Kivo::FastSin(mPhase) + 1) * 0.08f;
        t.Scale(s, s);
        t.Rotate(mPhase);
        t.Translate(px, py);
        t.Translate(1, 2);
        g.DrawImageTransformF(glow, t, 0, 0);
        Kivo::Transform t2;
        s = mScale * 0.35f + (Kivo::FastCos(mPhase) + 1) * 0.08f;
        t2.Scale(s, s);
        t2.Rotate(-mPhase);
        t2.Translate(px, py);
        t2.Translate(2, 1);
        g.DrawImageTransformF(glow, t2, 0, 0);
    }
    g.SetDrawMode(Kivo::DRAWMODE_NORMAL);
    if (mTargetImage) {
        Kivo::Transform t;
        t.Scale(mScale, mScale);
        t.Translate(px, py);
        t.Translate(1, 2);
        g.DrawImageTransformSrcF(mTargetImage, t, mTargetImage->GetCelRect(mTargetFrame), 0, 0);
    }
    g.PopState();
}
