#include "game/ui/UpgradeSlot.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/resources/ResourceHelpers.h"
#include "framework/widgets/ButtonListener.h"

UpgradeSlot::UpgradeSlot(int id, Kivo::ButtonListener* listener)
    : mHighlightImage(GetImageById("IMAGE_UI_UPGRADE_PANEL_SLOT_HILIGHT")), mListener(listener), mId(id)
{
    Resize(mX, mY, 100, 75);
}

void UpgradeSlot::SetHighlight(bool on)
{
    if (!on) {
        mHighlight.SetTarget(0.0f);
        return;
    }
    mHighlight.SetTarget(1.0f);
    if (mHighlight.mCurrent == 0) {
        mHighlight.mCurrent = 0.0001f;
        PlaySoundById("SOUND_UPGRADE_SLOT_ENTER");
    }
}

void UpgradeSlot::MouseEnter()
{
    if (mListener)
        mListener->ButtonMouseEnter(mId);
}

void UpgradeSlot::MouseLeave()
{
    if (mListener)
        mListener->ButtonMouseLeave(mId);
}

void UpgradeSlot::UpdateF(float fraction) { mHighlight.Update(fraction); }

void UpgradeSlot::Draw(Kivo::Graphics* g)
{
    if (mHighlight.mCurrent > 0 && mHighlightImage) {
        g->PushState();
        g->SetDrawMode(Kivo::DRAWMODE_ADDITIVE);
        g->SetColorizeImages(true);
        g->SetColorRGBA(255, 255, 255, static_cast<int>(mHighlight.mCurrent * 70));
        g->DrawImage(mHighlightImage, (mWidth - mHighlightImage->mWidth) / 2, (mHeight - mHighlightImage->mHeight) / 2);
        g->PopState();
    }
    if (mPicture)
        mPicture->Draw(g);
}
