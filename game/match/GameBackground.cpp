#include "game/match/GameBackground.h"

#include "framework/core/FastMath.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Transform.h"
#include "framework/resources/ResourceHelpers.h"

#include <algorithm>

const char* BackgroundImageId(int builtBuildings)
{
    static const char* const kIds[5] = { "IMAGE_GAME_BACKGROUND_01", "IMAGE_GAME_BACKGROUND_02",
                                         "IMAGE_GAME_BACKGROUND_03", "IMAGE_GAME_BACKGROUND_04",
                                         "IMAGE_GAME_BACKGROUND_05" };
    return kIds[std::clamp(builtBuildings / 4, 0, 4)];
}

void GameBackground::ChooseBackground(int builtBuildings)
{
    mImage = GetImageById("IMAGE_GAME_BACKGROUND_01");
    if (Kivo::Image* image = GetImageById(BackgroundImageId(builtBuildings)))
        mImage = image;
}

void GameBackground::Pulse()
{
    mPulse.mPrevious = mPulse.mCurrent = 1;
    mPulse.SetTarget(0);
}

void GameBackground::UpdateF(float dt)
{
    mPulse.Update(dt);
}

void GameBackground::Draw(Kivo::Graphics* g)
{
    if (!mImage)
        return;
    if (!mPulse.IsMoving()) {
        g->DrawImage(mImage, 0, 0);
        return;
    }
    float scale = 1 + Kivo::CosInterpolate(0, 0.1f, mPulse.mCurrent);
    Kivo::Transform t;
    t.Scale(scale, scale);
    g->DrawImageTransformF(mImage, t, 400, 300);
}
