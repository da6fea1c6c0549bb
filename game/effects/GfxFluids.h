#pragma once
// A stream of liquid along a curve between two points: it grows from the
// start to the end, then its tail follows, drawn as a bent strip of two
// additive textures with a bright drop at its head. Its timing runs as a
// queue of modules on the frame time.
#include "game/effects/DistortionMesh.h"
#include "game/effects/baseObject.h"
#include "game/effects/gfxBase.h"

#include "framework/graphics/BezierCurve.h"

class baseCallback;

class GfxFluids : public gfxBase, public baseObject {
public:
    // The callback is owned; it runs when the head reaches the end.
    GfxFluids(float fromX, float fromY, float toX, float toY, baseCallback* callback);
    ~GfxFluids() override;

    bool start() override;
    int process() override;
    void update(float frac) override;
    void draw(Kivo::Graphics* g) override;

    // A pause of `seconds` before the stream sets off; only while nothing
    // is queued yet.
    void addPause(float seconds);

    Kivo::BezierCurve mCurve;
    DistortionMesh mMesh{8, 3};
    float mHead = 0; // 0..1 along the curve
    float mTail = 0;
    float mSpeedFactor = 1.0f;
    baseCallback* mCallback;

private:
    void LayOut();
};
