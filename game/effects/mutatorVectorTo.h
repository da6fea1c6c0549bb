#pragma once
#include "game/effects/mutatorLerpTo.h"

// Takes N floats of the object from their value at start towards a target:
// position, scale, rotation. Target(start) gives the change to apply over t.
template <int N>
class mutatorVectorTo : public mutatorLerpTo {
public:
    using mutatorLerpTo::mutatorLerpTo;
    bool Start() override
    {
        if (!mOwner)
            return false;
        float* value = Field();
        for (int i = 0; i < N; ++i)
            mStart[i] = value[i];
        Change(mChange);
        return true;
    }
    int Update(float dt) override
    {
        const int result = mutatorLerpTo::Update(dt);
        float* value = Field();
        for (int i = 0; i < N; ++i)
            value[i] = mStart[i] + mChange[i] * mT;
        return result;
    }

    float mStart[N] = {};
    float mChange[N] = {};

protected:
    virtual float* Field() = 0;
    virtual void Change(float* change) const = 0;
};
