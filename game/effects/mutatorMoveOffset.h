#pragma once
#include "game/effects/mutatorVectorTo.h"

// Moves by (x, y) from where the step starts, over the time.
class mutatorMoveOffset : public mutatorVectorTo<3> {
public:
    mutatorMoveOffset(float x, float y, float time) : mutatorVectorTo(time), mX(x), mY(y) {}
    BaseAction* Clone() const override { return new mutatorMoveOffset(mX, mY, mDuration); }

    float mX, mY;

protected:
    float* Field() override;
    void Change(float* change) const override;
};
