#include "game/effects/GfxFlyText.h"

#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"

#include <algorithm>
#include <cmath>
#include <numbers>

void DrawCentredText(Kivo::Graphics* g, const std::string& text, float x, float y, int shadow)
{
    Kivo::Font* font = g->GetFont();
    if (!font)
        return;
    const int left = static_cast<int>(x) - font->StringWidth(text) / 2;
    const int base = static_cast<int>(y) + font->GetAscent() / 2;
    const Kivo::Color colour = g->GetColor();
    if (shadow != 0) {
        g->SetColorRGBA(0, 0, 0, colour.mAlpha);
        g->DrawString(text, left + shadow, base + shadow);
    }
    g->SetColorRGBA(255, 255, 255, colour.mAlpha);
    g->DrawString(text, left, base);
}

GfxFlyText::GfxFlyText(const std::string& text, float x, float y, Kivo::Font* font)
    : mFont(font), mX(x), mY(y), mText(text)
{
}

bool GfxFlyText::start()
{
    mProgress.mSpeed = mProgressSpeed;
    return true;
}

void GfxFlyText::update(float frac)
{
    mProgress.Update(frac);
    mScale = 1 + 0.1f * std::sin(5 * mProgress.mCurrent);
}

int GfxFlyText::process() { return mProgress.IsMoving() ? 0 : -1; }

void GfxFlyText::draw(Kivo::Graphics* g)
{
    if (!mFont)
        return;
    const float p = mProgress.mCurrent;
    const float y = mY - mRise * p;
    g->PushState();
    g->SetFont(mFont);
    g->SetAlphaScale(std::clamp(2 * std::sin(std::numbers::pi_v<float> * p), 0.0f, 1.0f));
    if (mScale != 1.0f)
        g->SetScale(mScale, mScale, mX, y);
    g->TranslateF(mX, y);
    DrawCentredText(g, mText, 0, 0, mShadow ? 2 : 0);
    g->PopState();
}
