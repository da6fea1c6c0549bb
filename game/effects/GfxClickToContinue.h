#pragma once
// A pulsing line of text, centred on x with its baseline on y, that fades
// in, pulses for a number of half pulses and fades out.
#include "game/effects/gfxBase.h"

#include "framework/graphics/Color.h"
#include "framework/graphics/LiveValue.h"

namespace Kivo {
class Font;
}

class GfxClickToContinue : public gfxBase {
public:
    GfxClickToContinue(int x, int y, int halfPulses);

    bool start() override;
    int process() override;
    void update(float frac) override;
    void draw(Kivo::Graphics* g) override;
    std::string name() override { return "GfxClickToContinue"; }

    float mMinScale = 0.85f;
    float mMaxScale = 1.0f;
    Kivo::Font* mFont;
    Kivo::Color mColor{255, 255, 255};
    std::string mText;
    float mPhase = 0;
    float mEndPhase;
    Kivo::LiveValue mAlpha{0, 0.05f};
    int mX;
    int mY;
};
