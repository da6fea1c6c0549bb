#pragma once
// A line of text that rises 40 pixels over two seconds, pulsing a little,
// fading in and out, with a shadow.
#include "game/effects/gfxBase.h"

#include "framework/graphics/LiveValue.h"

namespace Kivo {
class Font;
}

class GfxFlyText : public gfxBase {
public:
    GfxFlyText(const std::string& text, float x, float y, Kivo::Font* font);

    bool start() override;
    int process() override;
    void update(float frac) override;
    void draw(Kivo::Graphics* g) override;

    Kivo::Font* mFont;
    float mX;
    float mY;
    Kivo::LiveValue mProgress{1.0f, 0};
    float mProgressSpeed = 0.005f;
    std::string mText;
    unsigned char mShadow = 1;
    float mRise = 40.0f;
    float mScale = 1.0f;
};

// Draws `text` centred on (x, y) in the context's font, first in black
// shifted by (shadow, shadow) when shadow is not 0, then in white.
void DrawCentredText(Kivo::Graphics* g, const std::string& text, float x, float y, int shadow);
