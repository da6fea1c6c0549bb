#include "game/play/GamePlayDraw.h"

#include "framework/core/FastMath.h"
#include "framework/graphics/Graphics.h"
#include "game/match/BrickBase.h"
#include "game/match/CellBase.h"
#include "game/match/Grid.h"

#include <cmath>

void GamePlayDraw::SetFieldAlpha(float alpha)
{
    mFieldAlpha = alpha;
    mWay.SetAlpha(alpha);
}

void GamePlayDraw::SetFieldOffset(float angle, float scale)
{
    mFieldAngle = angle;
    mFieldScale = scale;
    mWay.SetTransform(angle, scale);
}

void GamePlayDraw::DoEvent(int kind, float)
{
    if (kind == 8)
        ShakeField(1.0f);
}

void GamePlayDraw::ShakeField(float amount)
{
    mShake += amount;
    if (mShake > 1.0f)
        mShake = 1.0f;
}

void GamePlayDraw::UpdateShake()
{
    if (mShake > 0)
        mShake -= 0.05f;
    if (mShake <= 0) {
        mShake = 0;
        Grid::Instance()->mShakeX = 0;
        Grid::Instance()->mShakeY = 0;
    }
}

bool GamePlayDraw::BeginShake(Kivo::Graphics* g, int& dx, int& dy)
{
    if (mShake <= 0)
        return false;
    dx = static_cast<int>(mShakeRandom.Next() % 7) - 3;
    dy = static_cast<int>(mShakeRandom.Next() % 7) - 3;
    Grid::Instance()->mShakeX = dx;
    Grid::Instance()->mShakeY = dy;
    g->Translate(dx, dy);
    return true;
}

void GamePlayDraw::DrawOverlay(Kivo::Graphics* g)
{
    int dx = 0, dy = 0;
    bool shaking = BeginShake(g, dx, dy);
    mWay.DrawBorders(*g);
    for (FieldSlot& slot : mSlots)
        slot.cell->Draw(*g, mFieldAngle, mFieldScale, mFieldAlpha);
    if (shaking)
        g->Translate(-dx, -dy);
}

void GamePlayDraw::DrawFieldBase(Kivo::Graphics* g)
{
    int dx = 0, dy = 0;
    bool shaking = BeginShake(g, dx, dy);
    mWay.DrawTarget(*g);
    if (!IsRotating()) {
        for (FieldSlot& slot : mSlots)
            if (slot.brick->GetCode() != 0)
                slot.brick->DrawTop(*g);
    } else {
        // Each brick turns about the board's centre with the board.
        static const float c = static_cast<float>(static_cast<int>(static_cast<float>(Grid::Instance()->GetCellSize()) * 4.5f));
        float a = mFieldAngle - static_cast<float>(GetRotation()) * 3.1415925f / 2;
        for (FieldSlot& slot : mSlots) {
            if (slot.brick->GetCode() == 0)
                continue;
            float px = 0, py = 0;
            slot.brick->GetDrawPos(px, py);
            float dx0 = px - c + 2.0f, dy0 = py - c + 2.0f;
            float d = static_cast<float>(Kivo::IntSqrt(static_cast<int32_t>(dx0 * dx0 + dy0 * dy0)));
            float phi = std::atan2(dy0, dx0) - a;
            slot.brick->Draw(*g, mFieldScale, Kivo::FastCos(phi) * d * mFieldScale - dx0,
                             Kivo::FastSin(phi) * d * mFieldScale - dy0);
        }
    }
    if (shaking)
        g->Translate(-dx, -dy);
}

void GamePlayDraw::HighlightWay()
{
    for (FieldSlot& slot : mSlots) {
        auto it = mWaySteps.find(static_cast<int>(slot.index));
        if (it != mWaySteps.end())
            slot.cell->StartState(4, static_cast<float>(it->second) * 0.1f);
    }
}

void GamePlayDraw::ShowWay(bool on)
{
    for (FieldSlot& slot : mSlots) {
        if (!mWaySteps.count(static_cast<int>(slot.index)))
            continue;
        if (on)
            slot.cell->SetState(5);
        else
            slot.cell->StopState(5);
    }
}
