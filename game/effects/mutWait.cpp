#include "game/effects/mutWait.h"

#include "framework/app/TimeHooks.h"
#include "game/effects/baseObject.h"

bool mutWait::OthersFirst() const
{
    return mOwner && mOwner->activeModule() != this;
}

bool mutWait::start()
{
    // A zero wait for others with nobody in front of it has nothing to wait for.
    if (mWaitForOthers && mDuration == 0)
        return OthersFirst();
    return true;
}

int mutWait::update()
{
    if (mWaitForOthers && OthersFirst())
        return -2;
    mDuration -= Kivo::FrameTime();
    return mDuration > 0 ? -2 : -1;
}
