#pragma once
#include "game/effects/BaseAction.h"

// Sets the object's clock to the time.
class mutatorResetTick : public BaseAction {
public:
    explicit mutatorResetTick(float time) : mTime(time) {}
    BaseAction* Clone() const override { return new mutatorResetTick(mTime); }
    bool Start() override;

    float mTime;
};
