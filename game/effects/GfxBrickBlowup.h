#pragma once
// Single-brick effects at a point, by colour code: a brick that swells and
// shrinks away (blow-up), one that spins and shrinks through its cels
// (explode), and one that tumbles off the screen (fly-away).
#include "game/effects/gfxBase.h"

namespace Kivo {
class Image;
}

class GfxBrickBlowup : public gfxBase {
public:
    GfxBrickBlowup(int x, int y, int colour);

    int process() override;
    void update(float frac) override;
    void draw(Kivo::Graphics* g) override;

    int mX;
    int mY;
    Kivo::Image* mImage;
    float mPhase = 0;
    float mScale = 1.0f;
    int mAlpha = 255;
};

class GfxBrickExplode : public gfxBase {
public:
    GfxBrickExplode(int x, int y, int colour);

    bool start() override;
    int process() override;
    void draw(Kivo::Graphics* g) override;

    int mX;
    int mY;
    Kivo::Image* mImage;
    int mCel = 0;
    int mSteps = 0;
    float mScale = 1.0f;
    float mAngle = 0;
    float mSpin = 0;
};

class GfxBrickFlyaway : public gfxBase {
public:
    GfxBrickFlyaway(int x, int y, int colour);

    bool start() override;
    int process() override;
    void update(float frac) override;
    void draw(Kivo::Graphics* g) override;

    float mX;
    float mY;
    Kivo::Image* mImage;
    int mCel = 0;
    int mSteps = 0;
    float mAngle = 0;
    float mSpin = 0;
    float mVelocityX = 0;
    float mVelocityY = 0;
};
