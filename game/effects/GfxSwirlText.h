#pragma once
// Text whose letters swirl in from scattered places, stand for a while and
// swirl out again. The text is laid out with a bitmap font on one line
// centred on (x, y), each letter 4 pixels apart.
#include "game/effects/ImageText.h"
#include "game/effects/gfxBase.h"

#include "framework/graphics/Color.h"
#include "framework/graphics/LiveValue.h"

#include <vector>

// The centre of each letter of `text` scaled by `scale`: on one line centred
// on the text's x, 4 pixels between letters, raised by half the font height
// (in whole pixels when `wholeHalf`).
struct LetterPlace {
    float mX, mY;
};
std::vector<LetterPlace> LayOutLetters(const ImageText& text, float scale, bool wholeHalf);

class GfxSwirlText : public ImageText, public gfxBase {
public:
    // Callers may set the colour, the hold time, the text scale (a size value
    // of 80 is a scale of 0.8) and the shadow flag before it starts.
    GfxSwirlText(Kivo::Font* font, int x, int y, const std::string& text);

    bool start() override;
    int process() override;
    void update(float frac) override;
    void draw(Kivo::Graphics* g) override;

    struct Letter {
        float mStartX, mStartY;
        float mX, mY;
        float mSpin;
    };
    std::vector<Letter> mLetters;
    Kivo::LiveValue mProgress{0, 0};
    float mHoldTime = 150.0f; // units of frac
    float mTextScale = 1.0f;
    Kivo::Color mColor{255, 255, 255};
    unsigned char mShadow = 0;
};
