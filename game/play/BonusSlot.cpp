#include "game/play/BonusSlot.h"

#include "framework/core/Random.h"
#include "framework/graphics/AnimInfo.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/Transform.h"
#include "framework/resources/ResourceHelpers.h"
#include "framework/widgets/ButtonListener.h"

#include <algorithm>

namespace {
// Looked up at each use: the resources own the images and may go first.
Kivo::Image* GlowImage() { return GetImageById("IMAGE_BONUS_SLOT_GLOW"); }

Kivo::Image* GateImage() { return GetImageById("IMAGE_BONUS_GATE_ANIM"); }

// The height of the first bar image drawn by any slot, kept for all.
int sBarHeight = -1;
} // namespace

BonusSlot::BonusSlot(int id, Kivo::ButtonListener* listener) : mId(id), mListener(listener)
{
    Resize(mX, mY, kSize, kSize);
    mClip = false;
    mWidgetFlagsMod.mAddFlags |= Kivo::WIDGETFLAGS_MARK_DIRTY;
}

void BonusSlot::SetIcon(Kivo::Image* icon)
{
    mIcon = icon;
    mIconFrame = 0;
}

void BonusSlot::Move(int x, int y)
{
    const int slotWidth = mSlotImage ? mSlotImage->GetCelWidth() : kSize;
    const int slotHeight = mSlotImage ? mSlotImage->GetCelHeight() : kSize;
    Kivo::Widget::Move(x + mWidgetOffsetX - (kSize - slotWidth) / 2, y + mWidgetOffsetY - (kSize - slotHeight) / 2);
}

void BonusSlot::MouseDown(int /*x*/, int /*y*/, int clickCode)
{
    if (mListener)
        mListener->ButtonPressCount(mId, clickCode);
}

void BonusSlot::MouseUpAt(int /*x*/, int /*y*/)
{
    if (mListener)
        mListener->ButtonDepress(mId);
}

void BonusSlot::SetProgress(float value, bool animate)
{
    mProgress.SetTarget(value);
    if (!animate)
        mProgress.mCurrent = value;
}

bool BonusSlot::GetCentre(int* x, int* y) const
{
    if (!x || !y)
        return false;
    *x = mX + mWidth / 2;
    *y = mY + mHeight / 2;
    return true;
}

void BonusSlot::SetGateOpen(bool open, bool animate)
{
    mGate.SetTarget(open ? 0.0f : 1.0f);
    const float sign = static_cast<float>(Kivo::RandomSign());
    mGate.mSpeed = 0.03f + sign * Kivo::RandomFloat(0.006f, 0.009f);
    if (!animate)
        mGate.mCurrent = mGate.mTarget;
}

void BonusSlot::Update()
{
    Kivo::Widget::Update();
    ++mTicks;
    if (mIcon && mIcon->mAnimInfo && mIcon->mNumCels > 0) {
        const int delay = std::max(1, mIcon->mAnimInfo->mFrameDelay);
        if (mTicks % delay == 0)
            mIconFrame = (mIconFrame + 1) % mIcon->mNumCels;
    }
    if (!IconReady())
        mIconFrame = 0;
    mGlow.SetTarget(mIsOver && IconReady() ? 1.0f : 0.0f);
}

void BonusSlot::UpdateF(float dt)
{
    mProgress.Update(dt);
    mGlow.Update(dt);
    mGate.Update(dt);
}

Kivo::Rect BonusSlot::BarSource(int imageWidth, int imageHeight, int barHeight, float progress)
{
    const float p = std::clamp(progress, 0.0f, 1.0f);
    const int height = std::min(barHeight, imageHeight);
    const int filled = static_cast<int>(static_cast<float>(height) * p);
    if (filled <= 0 || imageWidth <= 0)
        return Kivo::Rect(0, 0, 0, 0);
    return Kivo::Rect(0, height - filled, imageWidth, filled);
}

void BonusSlot::Draw(Kivo::Graphics* g)
{
    const int w = mWidth, h = mHeight;
    if (mSlotImage)
        g->DrawImage(mSlotImage, (w - mSlotImage->GetCelWidth()) / 2 - mWidgetOffsetX,
                     (h - mSlotImage->GetCelHeight()) / 2 - mWidgetOffsetY);

    if (mIcon) {
        const int cw = mIcon->GetCelWidth(), ch = mIcon->GetCelHeight();
        const float glow = mGlow.mCurrent;
        const float s = glow * 0.15f + 0.85f;
        Kivo::Transform transform;
        transform.Scale(s, s);
        transform.Translate(static_cast<float>((w - cw) / 2 + mIconOffsetX + cw / 2),
                            static_cast<float>((h - ch) / 2 + mIconOffsetY + ch / 2));
        if (Kivo::Image* glowImage = GlowImage(); glowImage && glow > 0) {
            g->PushState();
            g->SetColorizeImages(true);
            g->SetColorRGBA(255, 255, 255, static_cast<int>(glow * 100));
            g->SetDrawMode(Kivo::DRAWMODE_ADDITIVE);
            g->DrawImageMatrix(glowImage, transform.GetMatrix(), glowImage->GetCelRect(0), 0, 0);
            g->PopState();
        }
        const bool grey = !IconReady();
        if (grey) {
            g->PushState();
            g->SetColorizeImages(true);
            g->SetColorRGBA(150, 150, 150, 255);
        }
        const Kivo::Rect cel = mIcon->GetCelRect(std::clamp(mIconFrame, 0, std::max(0, mIcon->mNumCels - 1)));
        // Through the matrix: the icon is scaled, and only that path of the
        // software blits draws a scaled image in a colour.
        g->DrawImageMatrix(mIcon, transform.GetMatrix(), cel, cw % 2 == 0 ? -0.5f : 0.0f, ch % 2 == 0 ? -0.5f : 0.0f);
        if (grey)
            g->PopState();
    }

    if (Kivo::Image* gate = GateImage(); gate && mGate.mCurrent != 0 && gate->mNumCels > 0) {
        const int cel = std::clamp(static_cast<int>((1 - mGate.mCurrent) * gate->mNumCels), 0, gate->mNumCels - 1);
        g->DrawImageCel(gate, (w - gate->GetCelWidth()) / 2 + mGateOffsetX, (h - gate->GetCelHeight()) / 2 + mGateOffsetY,
                        cel);
    }

    if (mProgressImage && mProgressBackImage) {
        g->DrawImage(mProgressBackImage, mBarX, mBarY);
        if (sBarHeight < 0)
            sBarHeight = mProgressImage->mHeight;
        const Kivo::Rect src = BarSource(mProgressImage->mWidth, mProgressImage->mHeight, sBarHeight, mProgress.mCurrent);
        if (src.mHeight > 0)
            g->DrawImageSrc(mProgressImage, mBarX, mBarY + mProgressImage->mHeight - src.mHeight, src);
    }
}
