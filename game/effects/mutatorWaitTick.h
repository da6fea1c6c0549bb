#pragma once
#include "game/effects/BaseAction.h"

// Blocks the later steps until the object's clock reaches the time.
class mutatorWaitTick : public BaseAction {
public:
    explicit mutatorWaitTick(float time) : mTime(time) {}
    BaseAction* Clone() const override { return new mutatorWaitTick(mTime); }
    bool Start() override;
    int Update(float dt) override;

    float mTime;
};
