#pragma once
// The emitter "round_hint_fly" circling an ellipse for a number of turns;
// then (or on the message "kill") it stops emitting and ends when its
// particles have died.
#include "game/effects/PyroEmitter.h"
#include "game/effects/gfxBase.h"

class GfxRoundFly : public gfxBase {
public:
    GfxRoundFly(float centerX, float centerY, float width, float height, float turns);
    ~GfxRoundFly() override;

    bool start() override;
    int process() override;
    void update(float frac) override;
    void draw(Kivo::Graphics* g) override;
    std::string name() override { return "GfxRoundFly"; }
    void onMessage(const std::string& message) override;

    PyroEmitter mEmitter;
    float mCenterX;
    float mCenterY;
    float mRadiusX;
    float mRadiusY;
    float mT = 0;
    float mPeriod = 30.0f;
    float mTurns;
};
