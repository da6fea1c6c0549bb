#include "game/effects/GfxParticledText.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/Transform.h"
#include "game/effects/GfxSwirlText.h"

#include <algorithm>

GfxParticledText::GfxParticledText(Kivo::Font* font, int x, int y, const std::string& text)
    : ImageText(text, font, x, y)
{
}

bool GfxParticledText::start()
{
    mLetters.clear();
    const std::vector<LetterPlace> places = LayOutLetters(*this, 1.0f, false);
    const float n = static_cast<float>(places.size());
    for (size_t i = 0; i < places.size(); ++i)
        mLetters.push_back({places[i].mX, places[i].mY, -static_cast<float>(i) / n});
    mReveal.SetTarget(1.0f);
    mReveal.mSpeed = mRevealSpeed;
    mLastBurst = -1;
    return true;
}

int GfxParticledText::RawAlpha(size_t i) const
{
    return static_cast<int>((2 * mReveal.mCurrent + mLetters[i].mOffset) * 255);
}

void GfxParticledText::update(float frac)
{
    if (mWait > 0)
        mWait -= frac;
    else
        mReveal.Update(frac);
    if (!mReveal.IsMoving() && !mExploded && mWait == kNotWaiting)
        mWait = mHoldTime;
    if (!mExploded && mWait <= 0 && mWait != kNotWaiting && mReveal.mCurrent >= 1) {
        mReveal.SetTarget(0.0f);
        mReveal.mSpeed = mFadeSpeed;
        for (Letter& letter : mLetters) {
            mParticles.Spawn("letter_explode_small", letter.mX, letter.mY + mBurstOffsetY);
            letter.mOffset = -1;
        }
        mExploded = true;
    }
    if (!mExploded) {
        for (size_t i = 0; i < mLetters.size(); ++i) {
            if (RawAlpha(i) > 0 && static_cast<int>(i) > mLastBurst) {
                mParticles.Spawn("letter_explode", mLetters[i].mX, mLetters[i].mY + mBurstOffsetY);
                mLastBurst = static_cast<int>(i);
            }
        }
    }
    mParticles.Update(frac);
}

int GfxParticledText::process()
{
    if (mReveal.IsMoving() || !mExploded)
        return 0;
    return mParticles.IsActive() ? 0 : -1;
}

void GfxParticledText::draw(Kivo::Graphics* g)
{
    g->PushState();
    g->SetColorizeImages(true);
    for (size_t i = 0; i < mLetters.size(); ++i) {
        // The raw value runs past both ends while letters wait or linger.
        const int alpha = std::clamp(RawAlpha(i), 0, 255);
        if (alpha == 0)
            continue;
        g->SetColorRGBA(mColor.mRed, mColor.mGreen, mColor.mBlue, mColor.mAlpha * alpha / 255);
        Kivo::Transform t;
        t.Translate(mLetters[i].mX, mLetters[i].mY);
        DrawGlyph(g, static_cast<int>(i), t);
    }
    g->PopState();
    mParticles.Render(g);
}
