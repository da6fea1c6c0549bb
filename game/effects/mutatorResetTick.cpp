#include "game/effects/mutatorResetTick.h"

#include "game/effects/ActionObject.h"

bool mutatorResetTick::Start()
{
    if (!mOwner)
        return false;
    mOwner->mClock = mTime;
    return true;
}
