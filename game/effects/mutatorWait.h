#pragma once
#include "game/effects/BaseAction.h"

// A barrier: with the wait-for-front flag it first waits until every step
// before it has finished, then for its time; it blocks the later steps.
class mutatorWait : public BaseAction {
public:
    mutatorWait(float time, bool waitForFront) : mTime(time), mRemaining(time), mWaitForFront(waitForFront) {}
    BaseAction* Clone() const override { return new mutatorWait(mTime, mWaitForFront); }
    bool Start() override;
    int Update(float dt) override;

    float mTime;
    float mRemaining;
    bool mWaitForFront;
};
