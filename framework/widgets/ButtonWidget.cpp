#include "framework/widgets/ButtonWidget.h"

#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/SysFont.h"
#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/WidgetManager.h"

#include <algorithm>

namespace Kivo {

namespace {

// Steps such as 0.1 do not add up exactly; a fade ends on its bound instead
// of taking one more update to get there.
double StepTowards(double value, double step, double bound)
{
    const double next = value + step;
    if (step > 0 ? next >= bound - 1e-9 : next <= bound + 1e-9)
        return bound;
    return next;
}

} // namespace

ButtonWidget::ButtonWidget(int id, ButtonListener* listener) : mId(id), mListener(listener)
{
    mHasAlpha = true;
    static const int kColors[6][3] = {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {255, 255, 255}, {132, 132, 132}, {212, 212, 212}};
    SetColorsRGB(kColors, 6);
}

ButtonWidget::~ButtonWidget() { delete mFont; }

bool ButtonWidget::IsButtonDown() { return mIsDown && mIsOver && !mDisabled; }

void ButtonWidget::SetFont(Font* font)
{
    delete mFont;
    mFont = font ? font->Duplicate() : nullptr;
}

void ButtonWidget::SetDisabled(bool disabled)
{
    Widget::SetDisabled(disabled);
    if (HasDisabledLook())
        MarkDirty();
}

void ButtonWidget::DrawButtonImage(Graphics* g, Image* image, const Rect& rect, int x, int y)
{
    if (rect.mWidth == 0) {
        if (image)
            g->DrawImage(image, x, y);
    } else if (mButtonImage) {
        g->DrawImageSrc(mButtonImage, x, y, rect);
    }
}

bool ButtonWidget::OverLooksTheSame()
{
    return !mIsDown && !HasOverLook() && GetColor(BUTTON_COLOR_LABEL) == GetColor(BUTTON_COLOR_LABEL_OVER);
}

void ButtonWidget::MouseEnter()
{
    if (mOverAlphaFadeInSpeed == 0 && mOverAlpha > 0)
        mOverAlpha = 0;
    if (!OverLooksTheSame())
        MarkDirty();
    if (mListener)
        mListener->ButtonMouseEnter(mId);
}

void ButtonWidget::MouseLeave()
{
    if (mOverAlphaFadeOutSpeed == 0 && mOverAlpha > 0)
        mOverAlpha = 0;
    else if (mOverAlphaFadeOutSpeed > 0 && mOverAlpha == 0)
        mOverAlpha = 1; // the fade-out starts from full
    if (!OverLooksTheSame())
        MarkDirty();
    if (mListener)
        mListener->ButtonMouseLeave(mId);
}

void ButtonWidget::MouseMove(int x, int y)
{
    if (mListener)
        mListener->ButtonMouseMove(mId, x, y);
}

void ButtonWidget::MouseDownButton(int, int, int, int clickCount)
{
    if (mListener)
        mListener->ButtonPressCount(mId, clickCount);
    MarkDirty();
}

void ButtonWidget::MouseUpButton(int, int, int, int)
{
    // Released off the button, or while the application is inactive: no
    // press happened.
    if (mIsOver && mManager && mManager->mAppHasFocus) {
        if (mListener)
            mListener->ButtonDepress(mId);
        MarkDirty();
    }
}

void ButtonWidget::Update()
{
    Widget::Update();
    if (mIsDown && mIsOver && mListener)
        mListener->ButtonDownTick(mId);
    if (!mIsDown && !mIsOver && mOverAlpha > 0) {
        mOverAlpha = mOverAlphaFadeOutSpeed > 0 ? StepTowards(mOverAlpha, -mOverAlphaFadeOutSpeed, 0) : 0;
        MarkDirty();
    }
    if (mIsOver && mOverAlphaFadeInSpeed > 0 && mOverAlpha < 1) {
        mOverAlpha = StepTowards(mOverAlpha, mOverAlphaFadeInSpeed, 1);
        MarkDirty();
    }
}

void ButtonWidget::DrawLabel(Graphics* g, int x, int y)
{
    if (mLabel.empty())
        return;
    g->SetColor(GetColor(mIsOver ? BUTTON_COLOR_LABEL_OVER : BUTTON_COLOR_LABEL));
    g->DrawString(mLabel, x, y);
}

void ButtonWidget::Draw(Graphics* g)
{
    if (mNoDraw)
        return;
    if (!mFont && !mLabel.empty())
        mFont = new SysFont("Arial Unicode MS", 10);
    const bool downLook = IsButtonDown() != mInverted;
    int labelX = 0, labelY = 0;
    if (mFont) {
        const int labelWidth = mFont->StringWidth(mLabel);
        labelX = mLabelJustify == 0 ? (mWidth - labelWidth) / 2 : mLabelJustify == 1 ? mWidth - labelWidth : 0;
        const int ascent = mFont->GetAscent();
        labelY = (ascent + mHeight - ascent / 6 - 1) / 2;
    }
    labelX += mLabelOffsetX;
    labelY += mLabelOffsetY;
    g->SetFont(mFont);
    if (!mButtonImage && !mDownImage)
        DrawFramed(g, downLook, labelX, labelY);
    else
        DrawImages(g, downLook, labelX, labelY);
}

void ButtonWidget::DrawFramed(Graphics* g, bool downLook, int labelX, int labelY)
{
    const int w = mWidth, h = mHeight;
    if (!mFrameNoDraw) {
        g->SetColor(GetColor(BUTTON_COLOR_BACKGROUND));
        g->FillRect(0, 0, w, h);
    }
    const Color& dark = GetColor(BUTTON_COLOR_DARK_FRAME);
    const Color& light = GetColor(BUTTON_COLOR_LIGHT_FRAME);
    const auto line = [g](const Color& c, int x, int y, int lw, int lh) {
        g->SetColor(c);
        g->FillRect(x, y, lw, lh);
    };
    if (downLook) {
        if (!mFrameNoDraw) {
            line(dark, 0, 0, w - 1, 1);
            line(dark, 0, 0, 1, h - 1);
            line(light, 0, h - 1, w, 1);
            line(light, w - 1, 0, 1, h);
            line(GetColor(BUTTON_COLOR_INNER_SHADOW), 1, 1, w - 3, 1);
            line(GetColor(BUTTON_COLOR_INNER_SHADOW), 1, 1, 1, h - 3);
        }
        labelX += mDownOffsetX;
        labelY += mDownOffsetY;
    } else if (!mFrameNoDraw) {
        line(light, 0, 0, w - 1, 1);
        line(light, 0, 0, 1, h - 1);
        line(dark, 0, h - 1, w, 1);
        line(dark, w - 1, 0, 1, h);
        line(GetColor(BUTTON_COLOR_INNER_SHADOW), 1, h - 2, w - 2, 1);
        line(GetColor(BUTTON_COLOR_INNER_SHADOW), w - 2, 1, 1, h - 2);
    }
    DrawLabel(g, labelX, labelY);
}

void ButtonWidget::DrawImages(Graphics* g, bool downLook, int labelX, int labelY)
{
    if (downLook) {
        if (!mDownImage && mDownRect.mWidth == 0) {
            if (HasOverLook())
                DrawButtonImage(g, mOverImage, mOverRect, 1, 1);
            else
                DrawButtonImage(g, mButtonImage, mNormalRect, 1, 1);
        } else {
            DrawButtonImage(g, mDownImage, mDownRect, 0, 0);
        }
        labelX += mDownOffsetX;
        labelY += mDownOffsetY;
    } else if (mDisabled && HasDisabledLook()) {
        DrawButtonImage(g, mDisabledImage, mDisabledRect, 0, 0);
    } else {
        DrawOverState(g, [&](bool over) {
            if (over)
                DrawButtonImage(g, mOverImage, mOverRect, 0, 0);
            else
                DrawButtonImage(g, mButtonImage, mNormalRect, 0, 0);
        });
    }
    DrawLabel(g, labelX, labelY);
}

} // namespace Kivo
