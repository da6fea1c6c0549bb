#include "game/effects/LightningPoint.h"

#include "framework/core/Random.h"

LightningPointLive::LightningPointLive(float x, float y, bool frozen) : LightningPoint(x, y), mFrozen(frozen)
{
    NewVelocity();
}

void LightningPointLive::NewVelocity()
{
    // Each axis heads back towards the point's place.
    mVelocityX = Kivo::RandomFloat(20, 50);
    if (mOffsetX > 0)
        mVelocityX = -mVelocityX;
    mVelocityY = Kivo::RandomFloat(20, 50);
    if (mOffsetY > 0)
        mVelocityY = -mVelocityY;
    mTimer = Kivo::RandomFloat(0.06f, 0.1f);
}

void LightningPointLive::update(float dt)
{
    if (mFrozen)
        return;
    mTimer -= dt;
    if (mTimer < 0)
        NewVelocity();
    mOffsetX += mVelocityX * dt * mAmplitude;
    mOffsetY += mVelocityY * dt * mAmplitude;
}
