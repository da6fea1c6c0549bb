#include "framework/widgets/Slider.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/widgets/SliderListener.h"
#include "framework/widgets/WidgetHost.h"

#include <algorithm>

namespace Kivo {

namespace {

double Clamp01(double v) { return v < 0 ? 0 : v > 1 ? 1 : v; }

} // namespace

Slider::Slider(Image* trackImage, Image* thumbImage, int id, SliderListener* listener)
    : mListener(listener), mId(id), mTrackImage(trackImage), mThumbImage(thumbImage)
{
}

int Slider::ThumbLength() const
{
    if (!mThumbImage)
        return 0;
    return mHorizontal ? mThumbImage->mWidth : mThumbImage->mHeight;
}

int Slider::ThumbPos() const { return static_cast<int>((Length() - ThumbLength()) * mValue); }

bool Slider::OnThumb(int x, int y) const
{
    const int p = Along(x, y), thumb = ThumbPos();
    return p >= thumb && p < thumb + ThumbLength();
}

void Slider::SetValue(double value)
{
    mValue = Clamp01(value);
    MarkDirtyFull();
}

void Slider::MouseDown(int x, int y, int)
{
    if (OnThumb(x, y)) {
        SetAppCursor(CURSOR_DRAGGING);
        if (mHorizontal)
            mDragOffsetX = x - ThumbPos();
        else
            mDragOffsetY = y - ThumbPos();
        mDragging = true;
    } else if (Length() > 0) {
        SetValue(double(Along(x, y)) / Length());
    }
}

void Slider::MouseDrag(int x, int y)
{
    const int travel = Length() - ThumbLength();
    if (!mDragging || travel <= 0)
        return;
    const double value = Clamp01(double(Along(x, y) - (mHorizontal ? mDragOffsetX : mDragOffsetY)) / travel);
    if (value != mValue) {
        mValue = value;
        if (mListener)
            mListener->SliderVal(mId, mValue);
        MarkDirtyFull();
    }
}

void Slider::MouseUpAt(int, int)
{
    mDragging = false;
    SetAppCursor(CURSOR_POINTER);
    if (mListener)
        mListener->SliderVal(mId, mValue);
}

void Slider::MouseMove(int x, int y) { SetAppCursor(OnThumb(x, y) ? CURSOR_DRAGGING : CURSOR_POINTER); }

void Slider::MouseLeave()
{
    if (!mDragging)
        SetAppCursor(CURSOR_POINTER);
}

void Slider::Draw(Graphics* g)
{
    if (mTrackImage) {
        // Three equal cells: the two ends, and the middle tiled between them.
        if (mHorizontal) {
            const int cw = mTrackImage->mWidth / 3, ch = mTrackImage->mHeight;
            const int y = (mHeight - ch) / 2;
            g->DrawImageSrc(mTrackImage, 0, y, Rect(0, 0, cw, ch));
            if (cw > 0) {
                Graphics middle(*g);
                if (g->mScaleX == 1 && g->mScaleY == 1)
                    middle.ClipRect(cw, y, mWidth - 2 * cw, ch);
                const int count = (mWidth - cw - 1) / cw;
                for (int i = 0; i < count; ++i)
                    middle.DrawImageSrc(mTrackImage, cw + i * cw, y, Rect(cw, 0, cw, ch));
            }
            g->DrawImageSrc(mTrackImage, mWidth - cw, y, Rect(2 * cw, 0, cw, ch));
        } else {
            const int cw = mTrackImage->mWidth, ch = mTrackImage->mHeight / 3;
            const int x = (mWidth - cw) / 2;
            g->DrawImageSrc(mTrackImage, x, 0, Rect(0, 0, cw, ch));
            if (ch > 0) {
                Graphics middle(*g);
                if (g->mScaleX == 1 && g->mScaleY == 1)
                    middle.ClipRect(x, ch, cw, mHeight - 2 * ch);
                const int count = (mHeight - ch - 1) / ch;
                for (int i = 0; i < count; ++i)
                    middle.DrawImageSrc(mTrackImage, x, ch + i * ch, Rect(0, ch, cw, ch));
            }
            g->DrawImageSrc(mTrackImage, x, mHeight - ch, Rect(0, 2 * ch, cw, ch));
        }
    }
    if (mThumbImage) {
        if (mHorizontal)
            g->DrawImage(mThumbImage, ThumbPos(), (mHeight - mThumbImage->mHeight) / 2);
        else
            g->DrawImage(mThumbImage, (mWidth - mThumbImage->mWidth) / 2, ThumbPos());
    }
}

} // namespace Kivo
