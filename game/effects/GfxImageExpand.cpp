#include "game/effects/GfxImageExpand.h"

#include "framework/core/FastMath.h"
#include "framework/core/Random.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Transform.h"
#include "game/effects/GfxDrawBrickHelper.h"

#include <algorithm>
#include <numbers>

namespace {

void DrawFirstCel(Kivo::Graphics* g, Kivo::Image* image, int x, int y, float scale, float angle, int alpha)
{
    g->PushState();
    g->SetColorizeImages(true);
    g->SetColorRGBA(255, 255, 255, std::clamp(alpha, 0, 255));
    Kivo::Transform t;
    t.Scale(scale, scale);
    if (angle != 0)
        t.Rotate(angle);
    t.Translate(static_cast<float>(x), static_cast<float>(y));
    GfxDrawBrickHelper::DrawCel(g, image, 0, t);
    g->PopState();
}

} // namespace

GfxImageExpand::GfxImageExpand(int x, int y, Kivo::Image* image) : mImage(image), mX(x), mY(y) {}

bool GfxImageExpand::start()
{
    mScale = mStartScale;
    return true;
}

int GfxImageExpand::process()
{
    // Counted from the steps, so that the float sum lands on the end exactly.
    ++mSteps;
    mScale = mStartScale + mSpeed * 0.02f * static_cast<float>(mSteps);
    return mScale >= mEndScale - 1e-5f ? -1 : 0;
}

void GfxImageExpand::draw(Kivo::Graphics* g)
{
    const float span = mEndScale - mStartScale;
    const float glow = span > 0 ? Kivo::FastSinRefined(std::numbers::pi_v<float> * (mScale - mStartScale) / span) : 0;
    DrawFirstCel(g, mImage, mX, mY, mScale, 0, std::min(static_cast<int>(glow * 100), 100));
}

GfxRotateFade::GfxRotateFade(int x, int y, Kivo::Image* image) : mImage(image), mX(x), mY(y) {}

bool GfxRotateFade::start()
{
    mSpin = Kivo::RandomFloat(6, 7) * static_cast<float>(Kivo::RandomSign());
    return true;
}

int GfxRotateFade::process()
{
    ++mSteps;
    mScale = 1.2f - mLife * 0.008f * static_cast<float>(mSteps);
    return mScale <= 1e-5f ? -1 : 0;
}

void GfxRotateFade::draw(Kivo::Graphics* g)
{
    // Above scale 1 the alpha is full, not wrapped round past 255.
    DrawFirstCel(g, mImage, mX, mY, mScale, (1 - mScale) * mSpin, static_cast<int>(mScale * 255));
}
