#pragma once
// Text whose letters appear one after another, each with a burst of
// particles, stand for a hold time and then burst again as the text fades.
// Callers may set the colour, the hold time and the bursts' y offset before
// it starts.
#include "game/effects/ImageText.h"
#include "game/effects/ParticleManager.h"
#include "game/effects/gfxBase.h"

#include "framework/graphics/Color.h"
#include "framework/graphics/LiveValue.h"

#include <vector>

class GfxParticledText : public gfxBase, public ImageText {
public:
    GfxParticledText(Kivo::Font* font, int x, int y, const std::string& text);

    bool start() override;
    int process() override;
    void update(float frac) override;
    void draw(Kivo::Graphics* g) override;

    // Letter i's alpha before clamping: below 1 it is not visible yet.
    int RawAlpha(size_t i) const;

    struct Letter {
        float mX, mY;
        float mOffset; // holds the letter back while the text is revealed
    };
    std::vector<Letter> mLetters;
    Kivo::LiveValue mReveal{0, 0};
    float mRevealSpeed = 0.005f;
    float mFadeSpeed = 0.02f;
    float mHoldTime = 100.0f;   // units of frac
    float mWait = kNotWaiting; // the hold, once the text stands
    bool mExploded = false;
    int mLastBurst = -1;
    float mBurstOffsetY = 0;
    Kivo::Color mColor{255, 255, 255};
    ParticleManager mParticles{0};

    static constexpr float kNotWaiting = -100.0f;
};
