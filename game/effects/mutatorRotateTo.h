#pragma once
#include "game/effects/mutatorVectorTo.h"

// Rotates to an angle given in degrees, over the time.
class mutatorRotateTo : public mutatorVectorTo<1> {
public:
    mutatorRotateTo(float angle, float time) : mutatorVectorTo(time), mAngle(angle) {}
    BaseAction* Clone() const override { return new mutatorRotateTo(mAngle, mDuration); }

    float mAngle;

protected:
    float* Field() override;
    void Change(float* change) const override;
};
