#pragma once
// Image effects at a point: an image that grows and glows out (expand), and
// one that spins, shrinks and fades away (rotate-fade).
#include "game/effects/gfxBase.h"

namespace Kivo {
class Image;
}

class GfxImageExpand : public gfxBase {
public:
    // Callers may set the start and end scale and the speed before it starts.
    GfxImageExpand(int x, int y, Kivo::Image* image);

    bool start() override;
    int process() override;
    void draw(Kivo::Graphics* g) override;

    float mStartScale = 1.2f;
    float mEndScale = 2.0f;
    float mSpeed = 1.0f;
    Kivo::Image* mImage;
    int mX;
    int mY;
    float mScale = 1.2f;
    int mSteps = 0;
};

class GfxRotateFade : public gfxBase {
public:
    GfxRotateFade(int x, int y, Kivo::Image* image);

    bool start() override;
    int process() override;
    void draw(Kivo::Graphics* g) override;

    float mLife = 1.0f;
    Kivo::Image* mImage;
    int mX;
    int mY;
    float mScale = 1.2f;
    float mSpin = 0;
    int mSteps = 0;
};
