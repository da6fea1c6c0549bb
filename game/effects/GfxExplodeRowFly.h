#pragma once
// The row bonus: the two halves of the row brick race from a cell to the
// two ends of its row, each arriving after 0.1 s per cell.
#include "game/effects/gfxBase.h"

class GfxExplodeRowFly : public gfxBase {
public:
    GfxExplodeRowFly(int column, int row);

    int process() override;
    void update(float frac) override;
    void draw(Kivo::Graphics* g) override;

    struct Half {
        float mX, mY;
        float mVelocityX; // pixels per second
        float mTime;      // seconds left
    };
    Half mLeft;
    Half mRight;
};
