#include "game/effects/GfxClickToContinue.h"

#include "framework/core/FastMath.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/resources/ResourceHelpers.h"

#include <numbers>

GfxClickToContinue::GfxClickToContinue(int x, int y, int halfPulses)
    : mFont(GetFontById("FONT_GOLD")), mText(GetStringById("label_click_to_continue")),
      mEndPhase(static_cast<float>(halfPulses) * std::numbers::pi_v<float>), mX(x), mY(y)
{
}

bool GfxClickToContinue::start()
{
    mAlpha.SetTarget(1.0f);
    return true;
}

void GfxClickToContinue::update(float frac)
{
    mPhase += 0.02f * frac;
    mAlpha.Update(frac);
    // Fade out so that the alpha reaches 0 as the phase reaches its end.
    if (mPhase > mEndPhase - 2 / (mAlpha.mSpeed * 100))
        mAlpha.SetTarget(0.0f);
}

int GfxClickToContinue::process() { return mPhase > mEndPhase ? -1 : 0; }

void GfxClickToContinue::draw(Kivo::Graphics* g)
{
    if (!mFont)
        return;
    const float half = (mMaxScale - mMinScale) / 2;
    const float mid = mMinScale + half;
    float scale = mid + half * Kivo::FastSin(mPhase);
    if (scale >= 1.0f)
        scale = 0.9999999f;
    g->PushState();
    g->SetFont(mFont);
    g->SetColorizeImages(true);
    g->SetColorRGBA(mColor.mRed, mColor.mGreen, mColor.mBlue, static_cast<int>(mAlpha.mCurrent * 255));
    g->SetScale(scale, scale, static_cast<float>(mX), static_cast<float>(mY));
    // Centred on x, standing on y: the screens place the prompt 5 pixels
    // above the bottom edge, so the whole line stays on the screen.
    g->DrawString(mText, mX - mFont->StringWidth(mText) / 2, mY);
    g->PopState();
}
