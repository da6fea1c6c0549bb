#include "game/effects/mutLerpTo.h"

#include "framework/app/TimeHooks.h"

int mutLerpTo::update()
{
    mElapsed += Kivo::FrameTime();
    mProgress = mDuration > 0 ? mElapsed / mDuration : 1.0f;
    if (mProgress >= 1.0f) {
        mProgress = 1.0f;
        return -1;
    }
    return 0;
}
