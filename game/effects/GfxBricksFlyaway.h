#pragma once
// All bricks of a board flying off outwards from their cells and fading.
#include "game/effects/GfxDrawBrickHelper.h"
#include "game/effects/gfxBase.h"

#include <vector>

class baseCallback;

class GfxBricksFlyaway : public gfxBase, public GfxDrawBrickHelper {
public:
    GfxBricksFlyaway(const LevelMap& map, baseCallback* callback);
    ~GfxBricksFlyaway() override;

    int process() override;
    void update(float frac) override;
    void draw(Kivo::Graphics* g) override;

    std::vector<FlyingBrick> mBricks;
    bool mAllArrived = false;
    baseCallback* mCallback;
};
