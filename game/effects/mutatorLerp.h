#pragma once
#include "game/effects/BaseAction.h"

// A step driven by speed over a remaining time; a time of 0 runs for ever.
// mStep is the part of this update's dt that the step still had to run.
class mutatorLerp : public BaseAction {
public:
    explicit mutatorLerp(float time) : mRemaining(time) {}
    int Update(float dt) override;

    float mRemaining;
    float mStep = 0.0f;
};
