#pragma once
// A chain flying in from above the board onto a cell, shrinking from three
// times its size; a cloud bursts where it lands.
#include "game/effects/gfxBase.h"

class baseCallback;

class GfxFlyChain : public gfxBase {
public:
    // The callback is owned and runs when the chain lands.
    GfxFlyChain(int targetX, int targetY, bool secondChain, baseCallback* callback);
    ~GfxFlyChain() override;

    bool start() override;
    int process() override;
    void update(float frac) override;
    void draw(Kivo::Graphics* g) override;

    float mTargetX;
    float mTargetY;
    bool mSecondChain;
    baseCallback* mCallback;
    float mT = 0;
    float mStartX = 0, mStartY = 0;
    float mX = 0, mY = 0;
};
