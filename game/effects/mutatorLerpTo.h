#pragma once
#include "game/effects/BaseAction.h"

// A step going from a start value to a target over a duration; mT is the
// progress 0..1 that the derived step applies after each update.
class mutatorLerpTo : public BaseAction {
public:
    explicit mutatorLerpTo(float duration) : mDuration(duration) {}
    int Update(float dt) override;

    float mDuration;
    float mElapsed = 0.0f;
    float mT = 0.0f;
};
