#include "game/effects/GfxFlyChain.h"

#include "framework/core/FastMath.h"
#include "framework/core/Random.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Transform.h"
#include "framework/resources/ResourceHelpers.h"
#include "game/effects/GfxDrawBrickHelper.h"
#include "game/effects/GfxPyroSystem.h"
#include "game/ui/Callback.h"

#include <algorithm>

GfxFlyChain::GfxFlyChain(int targetX, int targetY, bool secondChain, baseCallback* callback)
    : mTargetX(static_cast<float>(targetX)), mTargetY(static_cast<float>(targetY)), mSecondChain(secondChain),
      mCallback(callback)
{
}

GfxFlyChain::~GfxFlyChain() { delete mCallback; }

bool GfxFlyChain::start()
{
    mT = 0;
    const float r = Kivo::RandomFloat(300, 350);
    const float a = Kivo::RandomFloat(2.57f, 3.71f);
    mX = mStartX = 400 + Kivo::FastSin(a) * r;
    mY = mStartY = 300 + Kivo::FastCos(a) * r;
    return true;
}

void GfxFlyChain::update(float frac)
{
    mT = std::min(mT + 0.02f * frac, 1.0f);
    const float eased = Kivo::CosInterpolate(0, 1, mT);
    mX = mStartX + (mTargetX - mStartX) * eased;
    mY = mStartY + (mTargetY - mStartY) * eased;
}

int GfxFlyChain::process()
{
    if (mT < 1)
        return 0;
    InvokeOnce(mCallback);
    addNext(new GfxPyroSystem("cell_clouds_explode", static_cast<int>(mX), static_cast<int>(mY)));
    return -1;
}

void GfxFlyChain::draw(Kivo::Graphics* g)
{
    Kivo::Image* const frame = GetImageById("BRICK_MOD_FRAME");
    Kivo::Image* const chain1 = GetImageById("BRICK_MOD_CHAIN1");
    Kivo::Image* const chain2 = GetImageById("BRICK_MOD_CHAIN2");
    const float scale = 1 + 2 * (1 - mT);
    Kivo::Transform t;
    t.Scale(scale, scale);
    t.Translate(mX, mY);
    GfxDrawBrickHelper::DrawCel(g, frame, 0, t);
    if (mSecondChain)
        GfxDrawBrickHelper::DrawCel(g, chain2, 0, t);
    GfxDrawBrickHelper::DrawCel(g, chain1, 0, t);
}
