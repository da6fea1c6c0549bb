#pragma once

namespace Kivo {

// A float that moves toward its target at a constant speed, one Update per
// update step. It never passes the target: the part of a step beyond it is
// returned as the overshoot, so callers can carry it into the next motion.
class LiveValue {
public:
    LiveValue(float target, float speed) : mTarget(target), mSpeed(speed) {}
    virtual ~LiveValue() = default;

    LiveValue& SetTarget(float target);
    LiveValue& SetTargetInt(int target);
    LiveValue& operator=(float target) { return SetTarget(target); }
    LiveValue& operator=(int target) { return SetTargetInt(target); }

    bool IsMoving() const { return mCurrent != mTarget && mSpeed != 0; }
    // True only for the update in which the value arrived (or stopped).
    bool JustStopped() const { return !IsMoving() && mPrevious != mCurrent; }
    // Moves by speed x dt; returns how far the step went past the target
    // (signed in the direction of travel), 0 when it did not.
    float Update(float dt);

    float mTarget;
    float mCurrent = 0;
    float mPrevious = 0; // the current value before the last Update
    float mSpeed;
};

} // namespace Kivo
