#include "game/effects/mutatorMoveOffset.h"

#include "game/effects/ActionObject.h"

float* mutatorMoveOffset::Field() { return mOwner->mPosition; }

void mutatorMoveOffset::Change(float* change) const
{
    change[0] = mX;
    change[1] = mY;
    change[2] = 0.0f;
}
