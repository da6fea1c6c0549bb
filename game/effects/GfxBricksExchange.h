#pragma once
// Two bricks swapping places: a short tremor, then each flies along a curve
// through the board centre to the other's cell, turning and shrinking a
// little on the way.
#include "game/effects/gfxBase.h"

#include "framework/graphics/BezierCurve2.h"

namespace Kivo {
class Image;
}
class baseCallback;

class GfxBricksExchange : public gfxBase {
public:
    struct Brick {
        Kivo::Image* mImage;
        float mCellX, mCellY; // where it starts
        float mX, mY;
        int mCel = 0;
        bool mForward;
        Kivo::BezierCurve2 mPath;
    };

    // The brick of image a at (ax, ay) and the brick of image b at (bx, by)
    // trade places; the callback is owned and runs when both have arrived.
    GfxBricksExchange(float ax, float ay, Kivo::Image* a, float bx, float by, Kivo::Image* b, baseCallback* callback);
    ~GfxBricksExchange() override;

    bool start() override;
    int process() override;
    void update(float frac) override;
    void draw(Kivo::Graphics* g) override;

    Brick mBricks[2];
    float mT = 0; // below 0: the wait before the swap
    int mSteps = 0;
    bool mHighlighted = false;
    baseCallback* mCallback;

private:
    void Highlight();
};
