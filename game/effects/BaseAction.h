#pragma once

class ActionObject;

// One timed step of an action-script object. Update results: 1 finished,
// 2 block the later steps this frame, 3 remove this step and go on from the
// object's current position, anything else still running.
class BaseAction {
public:
    enum Result { Running = 0, Finished = 1, Block = 2, Replaced = 3 };

    virtual ~BaseAction() = default;
    // A new step of the same kind and load-time parameters, unowned, not started.
    virtual BaseAction* Clone() const { return new BaseAction(); }
    // Called once before the first update; false drops the step.
    virtual bool Start() { return mOwner != nullptr; }
    virtual int Update(float dt);

    ActionObject* mOwner = nullptr;
    bool mStarted = false;
};

// Converts a formula result to float: values beyond the float range become
// infinities rather than undefined conversions.
float ToFloat(double value);
// Truncates toward zero, saturating at the int range; NaN gives 0.
int TruncateToInt(float value);
