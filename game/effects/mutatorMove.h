#pragma once
#include "game/effects/mutatorLerp.h"

// Moves by (x, y) x speed per update step, for the time or for ever.
class mutatorMove : public mutatorLerp {
public:
    mutatorMove(float x, float y, float speed, float time) : mutatorLerp(time), mX(x), mY(y), mSpeed(speed), mTime(time) {}
    BaseAction* Clone() const override { return new mutatorMove(mX, mY, mSpeed, mTime); }
    int Update(float dt) override;

    float mX, mY, mSpeed, mTime;
};
