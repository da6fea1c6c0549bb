#include "game/ui/FadingLabel.h"

#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/resources/ResourceHelpers.h"
#include "framework/widgets/WidgetHost.h"

#include <cmath>

FadingLabel::FadingLabel(const std::string& text, Kivo::Font* font, const Kivo::Color& color)
    : mFont(font ? font->Duplicate() : nullptr), mText(text), mColor(color)
{
    if (mFont)
        Resize(mX, mY, mFont->StringWidth(mText), mFont->GetHeight());
    mDisabled = true;
    mMouseVisible = false;
    mClip = false;
    mWantsFocus = false;
}

FadingLabel::~FadingLabel() { delete mFont; }

void FadingLabel::FadeTo(bool visible, bool animate)
{
    mAlpha.SetTarget(visible ? 1.0f : 0.0f);
    if (!animate)
        mAlpha.mCurrent = mAlpha.mTarget;
}

void FadingLabel::SetDelay(float seconds)
{
    mPulseTime = 0;
    mDelay = seconds * 100;
}

void FadingLabel::Update()
{
    Kivo::Widget::Update();
    if (!mAlpha.IsMoving() && mAlpha.mCurrent == 0)
        mPulseTime = 0;
}

void FadingLabel::UpdateF(float fraction)
{
    if (mDelay > 0)
        mDelay -= fraction;
    if (mDelay <= 0) {
        mPulseTime += fraction;
        mAlpha.Update(fraction);
    }
}

void FadingLabel::Draw(Kivo::Graphics* g)
{
    if (mAlpha.mCurrent == 0 || mPulseTime < mDelay)
        return;
    g->PushState();
    g->SetColorizeImages(true);
    g->SetColor(mColor);
    const float half = (mMaxScale - mMinScale) / 2;
    float scale = std::sin(mPulseTime / 80) * half + half + mMinScale;
    if (scale >= 1.0f)
        scale = 0.9999999f;
    g->SetAlphaScale(mAlpha.mCurrent);
    g->SetScale(scale, scale, mWidth / 2.0f, mHeight / 2.0f);
    g->SetFont(mFont);
    g->DrawString(mText, 0, mHeight);
    g->PopState();
}

LabelClickToContinue::LabelClickToContinue(const Kivo::Color& color)
    : FadingLabel(GetStringById("label_loaded_click_to_continue"), GetFontById("FONT_GOLD"), color)
{
    Kivo::WidgetHost* app = Kivo::GetWidgetHost();
    if (app)
        Move((app->GetWidth() - mWidth) / 2, app->GetHeight() - mHeight - 5);
}
