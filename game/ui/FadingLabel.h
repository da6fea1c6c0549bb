#pragma once
// A line of text that fades in after a delay and then gently pulses in size.
#include "framework/graphics/Color.h"
#include "framework/graphics/LiveValue.h"
#include "framework/widgets/Widget.h"

#include <string>

namespace Kivo {
class Font;
}

class FadingLabel : public Kivo::Widget {
public:
    // Keeps a copy of the font.
    FadingLabel(const std::string& text, Kivo::Font* font, const Kivo::Color& color);
    ~FadingLabel() override;

    void Update() override;
    void UpdateF(float fraction) override;
    void Draw(Kivo::Graphics* g) override;

    void FadeTo(bool visible, bool animate);
    void SetDelay(float seconds);

    float mPulseTime = 0; // update steps since the delay ended
    float mMinScale = 0.85f;
    float mMaxScale = 1.0f;
    float mDelay = 0; // update steps still to wait
    Kivo::Font* mFont = nullptr;
    std::string mText;
    Kivo::Color mColor;
    Kivo::LiveValue mAlpha{1.0f, 0.03f};
};

// "Click to continue" at the bottom of the loading screen.
class LabelClickToContinue : public FadingLabel {
public:
    explicit LabelClickToContinue(const Kivo::Color& color);
};
