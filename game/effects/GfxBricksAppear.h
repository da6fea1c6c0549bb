#pragma once
// All bricks of a board flying in from outside towards their cells, each at
// its own speed, with a flash on every brick that lands.
#include "game/effects/GfxDrawBrickHelper.h"
#include "game/effects/gfxBase.h"

#include <vector>

class baseCallback;

class GfxBricksAppear : public gfxBase, public GfxDrawBrickHelper {
public:
    // The map is read here; the callback is owned and runs once all landed.
    GfxBricksAppear(const LevelMap& map, baseCallback* callback);
    ~GfxBricksAppear() override;

    bool start() override;
    int process() override;
    void update(float frac) override;
    void draw(Kivo::Graphics* g) override;

    std::vector<FlyingBrick> mBricks;
    bool mAllArrived = false;
    baseCallback* mCallback;
};
