#include "game/effects/mutatorWait.h"

#include "game/effects/ActionObject.h"

bool mutatorWait::Start()
{
    if (!mWaitForFront)
        return true;
    if (!mOwner)
        return false;
    return !(mTime == 0.0f && (mOwner->mSteps.empty() || mOwner->mSteps.front() == this));
}

int mutatorWait::Update(float dt)
{
    if (mWaitForFront && mOwner && !mOwner->mSteps.empty() && mOwner->mSteps.front() != this)
        return Block;
    mRemaining -= dt;
    return mRemaining > 0.0f ? Block : Finished;
}
