#include "game/effects/GfxSwirlText.h"

#include "framework/core/Random.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/ImageFont.h"
#include "framework/graphics/Transform.h"

#include <cmath>
#include <numbers>

std::vector<LetterPlace> LayOutLetters(const ImageText& text, float scale, bool wholeHalf)
{
    std::vector<LetterPlace> places;
    if (!text.mFont)
        return places;
    const int n = static_cast<int>(text.mText.size());
    const float half = wholeHalf ? static_cast<float>(text.mHeight / 2) : static_cast<float>(text.mHeight) / 2;
    const float y = static_cast<float>(text.mParam2) - half * scale;
    int cursor = text.mParam1 - static_cast<int>(static_cast<float>(2 * n + text.mWidth / 2) * scale);
    places.reserve(static_cast<size_t>(n));
    for (char c : text.mText) {
        const int width = text.mFont->CharWidth(c);
        places.push_back({static_cast<float>(cursor) + static_cast<float>(width) * 0.5f * scale, y});
        cursor += static_cast<int>(static_cast<float>(width + 4) * scale);
    }
    return places;
}

GfxSwirlText::GfxSwirlText(Kivo::Font* font, int x, int y, const std::string& text) : ImageText(text, font, x, y) {}

bool GfxSwirlText::start()
{
    mProgress.SetTarget(1.0f);
    mProgress.mSpeed = 0.008f;
    mLetters.clear();
    for (const LetterPlace& place : LayOutLetters(*this, mTextScale, true)) {
        Letter letter;
        letter.mX = place.mX;
        letter.mY = place.mY;
        letter.mStartX = place.mX + Kivo::RandomFloat(-100, 100);
        letter.mStartY = place.mY + Kivo::RandomFloat(-100, 100);
        letter.mSpin = Kivo::RandomFloat(1, 5) * static_cast<float>(Kivo::RandomSign());
        mLetters.push_back(letter);
    }
    return true;
}

void GfxSwirlText::update(float frac)
{
    // The letters stand while the progress is at its middle. A long frame
    // must not carry the progress past the middle unseen.
    if (mHoldTime > 0 && std::fabs(mProgress.mCurrent - 0.5f) <= 0.01f) {
        mHoldTime -= frac;
    } else {
        const float before = mProgress.mCurrent;
        mProgress.Update(frac);
        if (mHoldTime > 0 && before < 0.5f && mProgress.mCurrent > 0.51f)
            mProgress.mCurrent = 0.5f;
    }
}

int GfxSwirlText::process() { return mProgress.IsMoving() ? 0 : -1; }

void GfxSwirlText::draw(Kivo::Graphics* g)
{
    const float s = std::sin(std::numbers::pi_v<float> * mProgress.mCurrent);
    if (!(s > 0))
        return;
    g->PushState();
    g->SetAlphaScale(s);
    g->SetColorizeImages(true);
    for (size_t i = 0; i < mLetters.size(); ++i) {
        const Letter& letter = mLetters[i];
        Kivo::Transform t;
        t.Scale(mTextScale * s, mTextScale * s);
        t.Rotate(letter.mSpin * (1 - s));
        const float x = letter.mStartX + (letter.mX - letter.mStartX) * s;
        const float y = letter.mStartY + (letter.mY - letter.mStartY) * s;
        if (mShadow) {
            Kivo::Transform shadow = t;
            shadow.Translate(x + 3, y + 3);
            g->SetColorRGBA(0, 0, 0, 64);
            DrawGlyph(g, static_cast<int>(i), shadow);
        }
        t.Translate(x, y);
        g->SetColor(mColor);
        DrawGlyph(g, static_cast<int>(i), t);
    }
    g->PopState();
}
