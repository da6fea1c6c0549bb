#pragma once
// A firework rocket: it rises from the bottom edge leaning towards the
// middle, slows under gravity and bursts after one second in one of three
// kinds of burst.
#include "game/effects/PyroEmitter.h"
#include "game/effects/gfxBase.h"

class GfxFirework : public gfxBase {
public:
    // A kind below 0 picks one of the three at random; callers may set mKind
    // before the rocket starts.
    explicit GfxFirework(int kind);

    bool start() override;
    int process() override;
    void update(float frac) override;
    void draw(Kivo::Graphics* g) override;

    int mKind;
    bool mExploded = false;
    float mTime = 0; // seconds
    PyroEmitter mEmitter{"fireworks_fly"};
    float mX = 0, mY = 0;
    float mVelocityX = 0, mVelocityY = 0; // pixels per second
};
