#include "game/effects/mutatorLerp.h"

int mutatorLerp::Update(float dt)
{
    mStep = dt;
    if (mRemaining == 0.0f)
        return Running;
    const float due = mRemaining;
    mRemaining -= dt;
    if (mRemaining > 0.0f)
        return Running;
    mStep = due;
    mRemaining = 0.0f;
    return Finished;
}
