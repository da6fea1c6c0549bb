#include "game/effects/mutatorMoveTo.h"

#include "game/effects/ActionObject.h"

float* mutatorMoveTo::Field() { return mOwner->mPosition; }

void mutatorMoveTo::Change(float* change) const
{
    change[0] = mX - mStart[0];
    change[1] = mY - mStart[1];
    change[2] = 0.0f - mStart[2];
}
