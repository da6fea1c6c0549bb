#pragma once
#include "game/effects/mutatorLerpTo.h"

// Tints the object towards (r, g, b, a), each 0..1, over the time.
class mutatorColorTo : public mutatorLerpTo {
public:
    mutatorColorTo(float a, float r, float g, float b, float time)
        : mutatorLerpTo(time), mTarget{ r, g, b, a } {}
    BaseAction* Clone() const override { return new mutatorColorTo(mTarget[3], mTarget[0], mTarget[1], mTarget[2], mDuration); }
    bool Start() override;
    int Update(float dt) override;

    float mTarget[4]; // red, green, blue, alpha
    float mStart[4] = {};
    float mChange[4] = {};
};
