#pragma once
// A lightning that grows step by step, with random sideways wander, towards
// an end that may move; each segment is a cel of an animated strip.
#include "game/effects/LightningBase.h"

class LightningLineGrow : public LightningBase {
public:
    LightningLineGrow(float x1, float y1, float x2, float y2, float spread, float step);

    int getType() const override { return 3; }
    void generate() override;
    void update(float dt) override;
    void draw(Kivo::Graphics* g) override;
    void setStart(float x, float y) override;
    void setEnd(float x, float y) override;
    void drawSegments(Kivo::Graphics* g, int index, float x1, float y1, float x2, float y2) override;

    float mLastTargetX;
    float mLastTargetY;
    float mSpread;
    float mStep;
    float mTime = 0;
    int mFrameOffset;

private:
    void Grow();
};
