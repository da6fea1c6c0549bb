#include "game/effects/GfxBrickBlowup.h"

#include "framework/core/FastMath.h"
#include "framework/core/Random.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Transform.h"
#include "game/effects/GfxDrawBrickHelper.h"
#include "game/match/BrickHelper.h"

#include <algorithm>
#include <numbers>

namespace {

Kivo::Image* BrickImage(int colour) { return BrickHelper::Instance()->GetBrickImage(colour); }

void DrawTurned(Kivo::Graphics* g, Kivo::Image* image, int cel, float x, float y, float scale, float angle)
{
    Kivo::Transform t;
    if (scale != 1.0f)
        t.Scale(scale, scale);
    if (angle != 0)
        t.Rotate(angle);
    t.Translate(x, y);
    GfxDrawBrickHelper::DrawCel(g, image, cel, t);
}

} // namespace

GfxBrickBlowup::GfxBrickBlowup(int x, int y, int colour) : mX(x), mY(y), mImage(BrickImage(colour)) {}

void GfxBrickBlowup::update(float frac)
{
    mPhase += 0.4f * frac;
    if (mPhase < std::numbers::pi_v<float>) {
        mScale = 1 + 0.15f * Kivo::FastSinRefined(mPhase);
    } else {
        mScale = std::max(mScale - 0.04f * frac, 0.0f);
        mAlpha = std::min(255, static_cast<int>(mScale * 255));
    }
}

int GfxBrickBlowup::process() { return mScale <= 0 ? -1 : 0; }

void GfxBrickBlowup::draw(Kivo::Graphics* g)
{
    g->PushState();
    g->SetColorizeImages(true);
    g->SetColorRGBA(255, 255, 255, mAlpha);
    DrawTurned(g, mImage, 0, static_cast<float>(mX), static_cast<float>(mY), mScale, 0);
    g->PopState();
}

GfxBrickExplode::GfxBrickExplode(int x, int y, int colour) : mX(x), mY(y), mImage(BrickImage(colour)) {}

bool GfxBrickExplode::start()
{
    mSpin = Kivo::RandomFloat(0.02f, 0.05f) * static_cast<float>(Kivo::RandomSign());
    return true;
}

int GfxBrickExplode::process()
{
    ++mSteps;
    // Counted from the steps so that the 40th step ends it exactly.
    mScale = 1.0f - 0.025f * static_cast<float>(mSteps);
    mAngle += mSpin;
    if (mSteps % 2 == 0)
        mCel = GfxDrawBrickHelper::NextCel(mImage, mCel);
    return mScale <= 0 ? -1 : 0;
}

void GfxBrickExplode::draw(Kivo::Graphics* g)
{
    g->PushState();
    g->SetColorizeImages(true);
    g->SetColorRGBA(255, 255, 255, static_cast<int>(std::max(mScale, 0.0f) * 255));
    DrawTurned(g, mImage, mCel, static_cast<float>(mX), static_cast<float>(mY), mScale, mAngle);
    g->PopState();
}

GfxBrickFlyaway::GfxBrickFlyaway(int x, int y, int colour)
    : mX(static_cast<float>(x)), mY(static_cast<float>(y)), mImage(BrickImage(colour))
{
}

bool GfxBrickFlyaway::start()
{
    mSpin = Kivo::RandomFloat(0.03f, 0.05f) * static_cast<float>(Kivo::RandomSign());
    mVelocityX = Kivo::RandomFloat(-2, 2);
    mVelocityY = Kivo::RandomFloat(-4, -2);
    return true;
}

void GfxBrickFlyaway::update(float frac)
{
    mAngle += mSpin * frac;
    mX += mVelocityX * frac;
    mY += mVelocityY * frac;
    mVelocityY += 0.15f * frac;
}

int GfxBrickFlyaway::process()
{
    ++mSteps;
    if (mSteps % 8 == 0)
        mCel = GfxDrawBrickHelper::NextCel(mImage, mCel);
    return mY > 600 || mX < 0 || mX > 800 ? -1 : 0;
}

void GfxBrickFlyaway::draw(Kivo::Graphics* g) { DrawTurned(g, mImage, mCel, mX, mY, 1.0f, mAngle); }
