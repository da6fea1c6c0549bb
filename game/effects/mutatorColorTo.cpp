#include "game/effects/mutatorColorTo.h"

#include "game/effects/ActionObject.h"

bool mutatorColorTo::Start()
{
    if (!mOwner)
        return false;
    for (int i = 0; i < 4; ++i) {
        mStart[i] = mOwner->mColor.Component(i) / 255.0f;
        mChange[i] = mTarget[i] - mStart[i];
    }
    return true;
}

int mutatorColorTo::Update(float dt)
{
    const int result = mutatorLerpTo::Update(dt);
    for (int i = 0; i < 4; ++i)
        mOwner->mColor.ComponentRef(i) = TruncateToInt((mStart[i] + mChange[i] * mT) * 255.0f);
    return result;
}
