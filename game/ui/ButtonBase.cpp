#include "game/ui/ButtonBase.h"

#include "framework/display/DDImage.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/SysFont.h"
#include "framework/resources/ResourceHelpers.h"

ButtonBase::ButtonBase(int id, Kivo::ButtonListener* listener) : Kivo::ButtonWidget(id, listener)
{
    mLabelOffsetY = -3;
    mDownOffsetX = 0;
    mClip = false;
    mWidgetFlagsMod.mAddFlags |= Kivo::WIDGETFLAGS_MARK_DIRTY;
}

void ButtonBase::ResizeToImage()
{
    if (mButtonImage)
        Resize(mX, mY, mButtonImage->GetCelWidth(), mButtonImage->GetCelHeight());
}

void ButtonBase::SetHitMask(Kivo::Image* image) { mHitMask = dynamic_cast<Kivo::DDImage*>(image); }

void ButtonBase::PlayEnterSound() { PlaySoundById("SOUND_BUTTON_ENTER"); }

void ButtonBase::PlayDownSound() { PlaySoundById("SOUND_BUTTON_DOWN"); }

void ButtonBase::MouseEnter()
{
    Kivo::ButtonWidget::MouseEnter();
    PlayEnterSound();
}

void ButtonBase::MouseDown(int x, int y, int clickCode)
{
    Kivo::Widget::MouseDown(x, y, clickCode);
    PlayDownSound();
}

bool ButtonBase::HitTest(int x, int y)
{
    if (!mHitMask)
        return true;
    if (x < 0 || y < 0 || x >= mWidth || y >= mHeight || x >= mHitMask->mWidth || y >= mHitMask->mHeight)
        return false;
    const uint32_t* bits = mHitMask->GetBits();
    if (!bits)
        return false;
    const uint32_t pixel = bits[static_cast<size_t>(y) * static_cast<size_t>(mHitMask->mWidth) + x];
    return (pixel >> 24) > 20;
}

void ButtonBase::UpdateF(float fraction)
{
    mOverFade.SetTarget(mIsOver ? 1.0f : 0.0f);
    mOverFade.Update(fraction);
    if (!mPressFadeEnabled)
        return;
    mPressFade.Update(fraction);
    if (IsButtonDown() != mInverted)
        mPressFade.SetTarget(1.0f);
    else if (!(mPressFadeHolds && mPressFade.mCurrent < 1.0f))
        mPressFade.SetTarget(0.0f);
}

void ButtonBase::LabelPosition(Kivo::Graphics* g, int* x, int* y)
{
    if (!mFont && !mLabel.empty())
        mFont = new Kivo::SysFont("Arial Unicode MS", 10);
    *x = *y = 0;
    if (mFont) {
        const int labelWidth = mFont->StringWidth(mLabel);
        *x = mLabelJustify == 0 ? (mWidth - labelWidth) / 2 : mLabelJustify == 1 ? mWidth - labelWidth : 0;
        const int ascent = mFont->GetAscent();
        *y = (ascent + mHeight - ascent / 6 - 1) / 2;
    }
    *x += mLabelOffsetX;
    *y += mLabelOffsetY;
    g->SetFont(mFont);
}

void ButtonBase::DrawButtonLabel(Kivo::Graphics* g, int x, int y, int colorIndex)
{
    if (mLabel.empty())
        return;
    g->SetColor(GetColor(colorIndex));
    g->DrawString(mLabel, x, y);
}

void ButtonBase::DrawNormalLook(Kivo::Graphics* g, int labelX, int labelY)
{
    if (mDisabled && HasDisabledLook())
        DrawButtonImage(g, mDisabledImage, mDisabledRect, 0, 0);
    else if ((mIsOver || mIsDown) && HasOverLook())
        DrawButtonImage(g, mOverImage, mOverRect, 0, 0);
    else
        DrawButtonImage(g, mButtonImage, mNormalRect, 0, 0);
    DrawButtonLabel(g, labelX, labelY, mIsOver ? Kivo::BUTTON_COLOR_LABEL_OVER : Kivo::BUTTON_COLOR_LABEL);
}

void ButtonBase::DrawPressedLook(Kivo::Graphics* g, int labelX, int labelY)
{
    if (mDownImage || mDownRect.mWidth != 0)
        DrawButtonImage(g, mDownImage, mDownRect, 0, 0);
    else if (HasOverLook())
        DrawButtonImage(g, mOverImage, mOverRect, 1, 1);
    else
        DrawButtonImage(g, mButtonImage, mNormalRect, 1, 1);
    DrawButtonLabel(g, labelX + mDownOffsetX, labelY + mDownOffsetY, Kivo::BUTTON_COLOR_LABEL_OVER);
}

void ButtonBase::DrawGlow(Kivo::Graphics* g, float alphaScale)
{
    if (!mGlowImage)
        return;
    float scale;
    if (mGlowMode == GLOW_ADDITIVE_OVER)
        scale = mGlowStrength * mOverFade.mCurrent / 255.0f * alphaScale;
    else if (mGlowMode == GLOW_UNDER_MOUSE_AWAY)
        scale = (1.0f - mOverFade.mCurrent) * mGlowStrength / 255.0f * alphaScale;
    else
        return;
    g->PushState();
    g->SetColorizeImages(true);
    g->SetAlphaScale(1.0f);
    g->SetColor(mGlowColor);
    g->SetDrawMode(mGlowMode == GLOW_ADDITIVE_OVER ? Kivo::DRAWMODE_ADDITIVE : Kivo::DRAWMODE_NORMAL);
    g->SetAlphaScale(scale);
    g->DrawImage(mGlowImage, 0, 0);
    g->PopState();
}

namespace {

// The second layer of a cross-fade, tinted white at `alpha` of the current
// alpha scale.
template <class DrawLayer>
void DrawFadedLayer(Kivo::Graphics* g, float alpha, DrawLayer draw)
{
    g->PushState();
    g->SetColorizeImages(true);
    g->SetColor(Kivo::Color(255, 255, 255));
    g->SetAlphaScale(g->GetAlphaScale() * alpha);
    draw();
    g->PopState();
}

} // namespace

void ButtonBase::Draw(Kivo::Graphics* g)
{
    if (mNoDraw)
        return;
    g->PushState();
    if (mAlpha != 1.0f) {
        g->SetColorizeImages(true);
        g->SetColor(Kivo::Color(255, 255, 255));
        g->SetAlphaScale(g->GetAlphaScale() * mAlpha);
    }
    int labelX, labelY;
    LabelPosition(g, &labelX, &labelY);
    const bool pressed = IsButtonDown() != mInverted;
    if (mPressFadeEnabled && mPressFade.IsMoving()) {
        const float fade = mPressFade.mCurrent;
        if (!pressed) {
            DrawNormalLook(g, labelX, labelY);
            DrawFadedLayer(g, fade, [&] { DrawPressedLook(g, labelX, labelY); });
        } else {
            DrawPressedLook(g, labelX, labelY);
            DrawFadedLayer(g, 1.0f - fade, [&] { DrawNormalLook(g, labelX, labelY); });
        }
    } else if (pressed) {
        DrawPressedLook(g, labelX, labelY);
    } else {
        DrawNormalLook(g, labelX, labelY);
    }
    DrawGlow(g, g->GetAlphaScale());
    if (mAlpha != 1.0f) {
        g->SetColorizeImages(true);
        g->SetAlphaScale(1.0f);
        g->SetColor(Kivo::Color(255, 255, 255));
        g->SetAlphaScale(mAlpha);
    }
    if (mIcon) {
        g->SetColor(Kivo::Color(255, 255, 255));
        if (pressed)
            g->DrawImage(mIcon, mDownOffsetX, mDownOffsetY);
        else
            g->DrawImage(mIcon, 0, 0);
    }
    g->PopState();
}
