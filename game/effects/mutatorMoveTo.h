#pragma once
#include "game/effects/mutatorVectorTo.h"

// Moves to (x, y) over the time; z goes to 0.
class mutatorMoveTo : public mutatorVectorTo<3> {
public:
    mutatorMoveTo(float x, float y, float time) : mutatorVectorTo(time), mX(x), mY(y) {}
    BaseAction* Clone() const override { return new mutatorMoveTo(mX, mY, mDuration); }

    float mX, mY;

protected:
    float* Field() override;
    void Change(float* change) const override;
};
