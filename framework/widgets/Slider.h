#pragma once
// A value from 0 to 1 set by dragging a thumb along a track, or by a click
// on the track, which moves the thumb there.
#include "framework/widgets/Widget.h"

namespace Kivo {

class Image;
class SliderListener;

class Slider : public Widget {
public:
    Slider(Image* trackImage, Image* thumbImage, int id, SliderListener* listener);

    void Draw(Graphics* g) override;
    void MouseLeave() override;
    void MouseMove(int x, int y) override;
    void MouseDown(int x, int y, int clickCode) override;
    void MouseUpAt(int x, int y) override;
    void MouseDrag(int x, int y) override;
    // Clamped to [0, 1]; the listener is not told.
    virtual void SetValue(double value);

    SliderListener* mListener;
    double mValue = 0;
    int32_t mId;
    Image* mTrackImage;
    Image* mThumbImage;
    bool mDragging = false;
    int32_t mDragOffsetX = 0;
    int32_t mDragOffsetY = 0;
    bool mHorizontal = true;

private:
    // Along the slider's axis: the point, the length, the thumb's length
    // and its position.
    int Along(int x, int y) const { return mHorizontal ? x : y; }
    int Length() const { return mHorizontal ? mWidth : mHeight; }
    int ThumbLength() const;
    int ThumbPos() const;
    bool OnThumb(int x, int y) const;
};

} // namespace Kivo
