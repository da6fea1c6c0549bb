#pragma once
// Bricks turning into the bricks of another game mode: each travels on an
// arc from its cell to its new cell, spinning, and cross-fades from its old
// look to its new one on the way.
#include "game/effects/GfxDrawBrickHelper.h"
#include "game/effects/gfxBase.h"

#include "framework/graphics/LiveValue.h"

#include <vector>

class baseCallback;

class GfxBrickGameSwitching : public gfxBase, public GfxDrawBrickHelper {
public:
    struct Brick {
        Kivo::Image* mOldImage = nullptr;
        uint32_t mOldFlags = 0;
        Kivo::Image* mNewImage = nullptr;
        uint32_t mNewFlags = 0;
        int mCel = 0;
        float mStartX = 0, mStartY = 0;
        float mEndX = 0, mEndY = 0;
        float mX = 0, mY = 0;
        float mArcX = 0, mArcY = 0;
        int mWait = 0; // steps; the brick runs from 0 on
        float mT = 0;
        Kivo::LiveValue mFade{1.0f, 0};
        unsigned char mSpin = 0;
    };

    // The callback is owned and runs once every brick has arrived.
    explicit GfxBrickGameSwitching(baseCallback* callback = nullptr);
    ~GfxBrickGameSwitching() override;

    // The brick of cell (x, y) travels to (targetX, targetY), showing the
    // start look first and the end look at the end. Nothing is added when
    // neither colour has an image.
    void addBrick(int x, int y, int endColour, uint32_t endFlags, int targetX, int targetY, int startColour,
                  uint32_t startFlags);

    int process() override;
    void update(float frac) override;
    void draw(Kivo::Graphics* g) override;

    std::vector<Brick> mBricks;
    baseCallback* mCallback;

    // Shared by every switch of the program run: which arc the next brick takes.
    static int sCounter;
    static float sArcX;
    static float sArcY;
};
