#pragma once
// The end of a bonus level: every brick but the key, after a pause, streams
// into the key's cell, turning and fading; then the key cell bursts.
#include "game/effects/GfxDrawBrickHelper.h"
#include "game/effects/gfxBase.h"

#include <vector>

class baseCallback;

class GfxBricksDisappear : public gfxBase, public GfxDrawBrickHelper {
public:
    GfxBricksDisappear(const LevelMap& map, int keyX, int keyY, baseCallback* callback);
    ~GfxBricksDisappear() override;

    int process() override;
    void update(float frac) override;
    void draw(Kivo::Graphics* g) override;

    std::vector<FlyingBrick> mBricks;
    float mTargetX;
    float mTargetY;
    int mSteps = 0;
    baseCallback* mCallback;
};
