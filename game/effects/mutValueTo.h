#pragma once
// Drives a value from what it holds when the module starts to a target over
// a duration in seconds; the last write is the target itself.
#include "game/effects/mutLerpTo.h"

template <class T>
class mutValueTo : public mutLerpTo {
public:
    mutValueTo(float duration, T* value, T target) : mutLerpTo(duration), mValue(value), mTarget(target) {}

    bool start() override
    {
        if (!mValue)
            return false;
        mStart = *mValue;
        mEnd = mTarget;
        mTarget = mTarget - mStart; // from here on the distance
        return true;
    }
    int update() override
    {
        const int result = mutLerpTo::update();
        *mValue = result == -1 ? mEnd : mStart + mTarget * mProgress;
        return result;
    }
    baseModule* clone() override { return new mutValueTo(mDuration, mValue, mTarget); }

    T* mValue;
    T mTarget;
    T mStart{};
    T mEnd{};
};
