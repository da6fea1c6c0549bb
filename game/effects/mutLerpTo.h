#pragma once
// A progress from 0 to 1 over a duration in seconds.
#include "game/effects/mutBase.h"

class mutLerpTo : public mutBase {
public:
    explicit mutLerpTo(float duration) : mDuration(duration) {}

    int update() override;
    baseModule* clone() override { return new mutLerpTo(mDuration); }

    float mProgress = 0;
    float mDuration;
    float mElapsed = 0;
};
