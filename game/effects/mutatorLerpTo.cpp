#include "game/effects/mutatorLerpTo.h"

int mutatorLerpTo::Update(float dt)
{
    mElapsed += dt;
    mT = mDuration > 0.0f ? mElapsed / mDuration : 1.0f;
    if (mT >= 1.0f) {
        mT = 1.0f;
        return Finished;
    }
    return Running;
}
