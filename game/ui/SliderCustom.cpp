#include "game/ui/SliderCustom.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/resources/ResourceHelpers.h"
#include "framework/widgets/SliderListener.h"

SliderCustom::SliderCustom(int id, Kivo::SliderListener* listener)
    : Kivo::Slider(GetImageById("IMAGE_UI_SLIDER_TRACK"), GetImageById("IMAGE_UI_SLIDER_THUMB"), id, listener)
{
    mHorizontal = true;
    if (mTrackImage)
        Resize(mX, mY, mTrackImage->mWidth, mTrackImage->mHeight);
}

void SliderCustom::MouseDown(int x, int y, int)
{
    const int thumbWidth = mThumbImage ? mThumbImage->mWidth : 0;
    const int thumbX = static_cast<int>((mWidth - thumbWidth) * mValue);
    if (x >= thumbX && x < thumbX + thumbWidth) {
        mDragging = true;
        mDragOffsetX = x - thumbX;
        mDragOffsetY = y;
    } else if (mWidth > 0) {
        // A slider without width has no position to take from the press.
        SetValue(static_cast<double>(x) / mWidth);
    }
}

void SliderCustom::MouseUpAt(int, int)
{
    mDragging = false;
    if (mListener)
        mListener->SliderVal(mId, mValue);
}

void SliderCustom::Draw(Kivo::Graphics* g)
{
    if (mTrackImage)
        g->DrawImage(mTrackImage, 0, 0);
    if (!mThumbImage)
        return;
    const int tw = mThumbImage->mWidth, th = mThumbImage->mHeight;
    if (mHorizontal)
        g->DrawImage(mThumbImage, static_cast<int>((mWidth - tw) * mValue), (mHeight - th) / 2);
    else
        g->DrawImage(mThumbImage, (mWidth - tw) / 2, static_cast<int>((mHeight - th) * mValue));
}
