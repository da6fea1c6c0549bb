#pragma once
#include "game/effects/mutatorVectorTo.h"

// Scales to (x, y, 1) over the time.
class mutatorScaleTo : public mutatorVectorTo<3> {
public:
    mutatorScaleTo(float x, float y, float time) : mutatorVectorTo(time), mX(x), mY(y) {}
    BaseAction* Clone() const override { return new mutatorScaleTo(mX, mY, mDuration); }

    float mX, mY;

protected:
    float* Field() override;
    void Change(float* change) const override;
};
