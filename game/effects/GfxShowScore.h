#pragma once
// The points of a move: "+n" over a label, sinking slowly and fading in and
// out over 200 update steps.
#include "game/effects/gfxBase.h"

class GfxShowScore : public gfxBase {
public:
    GfxShowScore(int x, int y, int score, const std::string& label);

    int process() override;
    void update(float frac) override;
    void draw(Kivo::Graphics* g) override;

    float mSink = 0;
    int mSteps = 0;
    int mX;
    int mY;
    std::string mScoreText;
    std::string mLabel;
};
