#include "game/effects/GfxFastFlare.h"

#include "framework/core/FastMath.h"
#include "framework/graphics/BezierCurve2.h"
#include "framework/graphics/Graphics.h"
#include "framework/resources/ResourceHelpers.h"
#include "game/ui/Callback.h"

#include <algorithm>
#include <cmath>
#include <numbers>

GfxFastFlare::GfxFastFlare(float fromX, float fromY, float toX, float toY, baseCallback* callback)
    : mFromX(fromX), mFromY(fromY), mToX(toX), mToY(toY), mX(fromX), mY(fromY),
      mDot(GetImageById("IMAGE_GFX_SMALL_SHART_DOT")), mCallback(callback)
{
    const float distance = std::hypot(fromX - toX, fromY - toY);
    if (distance < 0.001f) {
        // Nowhere to fly: it arrives at its first update.
        mSpeed = mSideX = mSideY = mAmplitude = 0;
        return;
    }
    mSpeed = 20 / distance;
    mSideX = -(fromY - toY) / distance;
    mSideY = (fromX - toX) / distance;
    mAmplitude = distance / 15;
}

GfxFastFlare::~GfxFastFlare() { delete mCallback; }

bool GfxFastFlare::start()
{
    mT = 0;
    return true;
}

void GfxFastFlare::update(float frac)
{
    mT = mSpeed == 0 ? 1.0f : std::min(mT + mSpeed * frac, 1.0f);
    const float swing = Kivo::FastSinRefined(2 * std::numbers::pi_v<float> * mT) * mAmplitude;
    mX = mFromX + (mToX - mFromX) * mT + mSideX * swing;
    mY = mFromY + (mToY - mFromY) * mT + mSideY * swing;
    mTrail.push_back({mX, mY});
    if (mTrail.size() >= 4)
        mTrail.pop_front();
}

void GfxFastFlare::Arrive() { InvokeOnce(mCallback); }

int GfxFastFlare::process()
{
    if (mT < 1)
        return 0;
    if (!mDone) {
        Arrive();
        mDone = true;
        return 0;
    }
    return -1;
}

void GfxFastFlare::draw(Kivo::Graphics* g)
{
    if (mTrail.empty() || mDone || !mDot)
        return;
    const size_t last = mTrail.size() - 1;
    const Point& a = mTrail[0];
    const Point& b = mTrail[std::min<size_t>(last, 1)];
    const Point& c = mTrail[std::min<size_t>(last, 2)];
    const Kivo::BezierCurve2 curve(a.mX, a.mY, b.mX, b.mY, c.mX, c.mY);
    g->PushState();
    g->SetColorizeImages(true);
    for (int i = 0; i < 20; ++i) {
        Kivo::Vec2f p;
        curve.GetPoint(0.05f * static_cast<float>(i), p);
        g->SetColorRGBA(255, 255, 5 * i, 50 + 10 * i);
        g->DrawImageF(mDot, p.x, p.y);
    }
    g->PopState();
}

void GfxFastFlareTarger::Arrive()
{
    GfxFastFlare::Arrive();
    mEmitter.PlaceAndStart(mToX, mToY);
}

void GfxFastFlareTarger::update(float frac)
{
    GfxFastFlare::update(frac);
    if (mDone)
        mEmitter.update(frac);
}

int GfxFastFlareTarger::process()
{
    if (mDone)
        return mEmitter.alive() ? 0 : -1;
    return GfxFastFlare::process();
}

void GfxFastFlareTarger::draw(Kivo::Graphics* g)
{
    GfxFastFlare::draw(g);
    if (mDone)
        mEmitter.render(g);
}
