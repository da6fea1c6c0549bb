#include "game/effects/mutatorMove.h"

#include "game/effects/ActionObject.h"

int mutatorMove::Update(float dt)
{
    const int result = mutatorLerp::Update(dt);
    mOwner->mPosition[0] += mX * mSpeed * mStep;
    mOwner->mPosition[1] += mY * mSpeed * mStep;
    return result;
}
