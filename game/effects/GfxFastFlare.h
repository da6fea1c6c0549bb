#pragma once
// A glowing dot that flies from one point to another on an S-shaped path,
// drawn as a short comet of dots along its last few places. The targeting
// kind bursts where it arrives.
#include "game/effects/PyroEmitter.h"
#include "game/effects/gfxBase.h"

#include <deque>

namespace Kivo {
class Image;
}
class baseCallback;

class GfxFastFlare : public gfxBase {
public:
    // The callback is owned and runs once, on arrival.
    GfxFastFlare(float fromX, float fromY, float toX, float toY, baseCallback* callback);
    ~GfxFastFlare() override;

    bool start() override;
    int process() override;
    void update(float frac) override;
    void draw(Kivo::Graphics* g) override;

    struct Point {
        float mX, mY;
    };
    float mFromX, mFromY;
    float mToX, mToY;
    float mX, mY;
    float mT = 0;
    float mSpeed;  // progress per unit of frac; 0 for a flight of no distance
    float mSideX;  // unit vector across the flight
    float mSideY;
    float mAmplitude;
    std::deque<Point> mTrail; // oldest first
    Kivo::Image* mDot;
    bool mDone = false;
    baseCallback* mCallback;

protected:
    // The arrival step: the callback runs.
    virtual void Arrive();
};

class GfxFastFlareTarger : public GfxFastFlare {
public:
    using GfxFastFlare::GfxFastFlare;

    int process() override;
    void update(float frac) override;
    void draw(Kivo::Graphics* g) override;

    PyroEmitter mEmitter{"fast_flare_explode"};

protected:
    void Arrive() override;
};
