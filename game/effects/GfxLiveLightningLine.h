#pragma once
// A lightning that grows from one point to another, holds, then fades out.
#include "game/effects/gfxBase.h"

#include "framework/graphics/LiveValue.h"

class LightningLineGrow;

class GfxLiveLightningLine : public gfxBase {
public:
    // `followUp` is owned and deleted with the effect.
    GfxLiveLightningLine(float x1, float y1, float x2, float y2, gfxBase* followUp = nullptr);
    ~GfxLiveLightningLine() override;

    bool start() override;
    int process() override;
    void update(float dt) override;
    void draw(Kivo::Graphics* g) override;

    LightningLineGrow* mLine;
    gfxBase* mFollowUp;
    float mStartX;
    float mStartY;
    float mDeltaX;
    float mDeltaY;
    float mProgress = 0;
    float mGrowthSpeed; // progress per second; 0 when both points coincide
    float mGrowthSpeedFactor = 1.0f;
    float mHoldTime = 0.0f;
    Kivo::LiveValue mAlpha{0, 0.2f};
};
