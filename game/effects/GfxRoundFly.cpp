#include "game/effects/GfxRoundFly.h"

#include "framework/core/FastMath.h"

#include <numbers>

GfxRoundFly::GfxRoundFly(float centerX, float centerY, float width, float height, float turns)
    : mEmitter("round_hint_fly"), mCenterX(centerX), mCenterY(centerY), mRadiusX(width * 0.5f),
      mRadiusY(height * 0.5f), mTurns(turns)
{
}

GfxRoundFly::~GfxRoundFly() { mEmitter.destroy(); }

bool GfxRoundFly::start()
{
    if (mTurns < 1.0f || !mEmitter.alive())
        return false;
    mEmitter.PlaceAndStart(mCenterX, mCenterY);
    return true;
}

void GfxRoundFly::update(float frac)
{
    mT += frac;
    mEmitter.setPos(mCenterX + Kivo::FastSin(mT / mPeriod) * mRadiusX,
                    mCenterY + Kivo::FastCos(mT / mPeriod) * mRadiusY);
    mEmitter.update(frac);
}

int GfxRoundFly::process()
{
    if (mT / mPeriod > 2.0f * std::numbers::pi_v<float> * mTurns)
        mEmitter.stop(false);
    return mEmitter.alive() ? 0 : -1;
}

void GfxRoundFly::draw(Kivo::Graphics* g) { mEmitter.render(g); }

void GfxRoundFly::onMessage(const std::string& message)
{
    if (message == "kill")
        mEmitter.stop(false);
}
