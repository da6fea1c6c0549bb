#include "game/effects/mutatorRotateTo.h"

#include "game/effects/ActionObject.h"

float* mutatorRotateTo::Field() { return &mOwner->mRotation; }

void mutatorRotateTo::Change(float* change) const
{
    // The degree factor is computed from a single-precision pi slightly below
    // the true value; stored scripts were tuned with it.
    change[0] = mAngle * 3.1415925f / 180.0f - mStart[0];
}
