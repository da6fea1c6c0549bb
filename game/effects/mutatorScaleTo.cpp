#include "game/effects/mutatorScaleTo.h"

#include "game/effects/ActionObject.h"

float* mutatorScaleTo::Field() { return mOwner->mScale; }

void mutatorScaleTo::Change(float* change) const
{
    change[0] = mX - mStart[0];
    change[1] = mY - mStart[1];
    change[2] = 1.0f - mStart[2];
}
