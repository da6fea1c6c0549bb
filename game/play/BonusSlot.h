#pragma once
// One bonus slot of the bonus panel: a socket image, the bonus's icon (grey
// until the bonus is ready, animated once it is), a glow under the mouse
// when ready, a gate that closes over the slot while play is blocked, and a
// bar that fills from the bottom with the slot's progress. The 50 x 50
// click area reports to the listener as a button with the slot's id.
#include "framework/graphics/LiveValue.h"
#include "framework/graphics/Rect.h"
#include "framework/widgets/Widget.h"

namespace Kivo {
class ButtonListener;
class Image;
} // namespace Kivo

class BonusSlot : public Kivo::Widget {
public:
    static constexpr int kSize = 50;

    BonusSlot(int id, Kivo::ButtonListener* listener);

    void Update() override;
    void UpdateF(float dt) override;
    void Draw(Kivo::Graphics* g) override;
    // (x, y) is where the socket image's top-left corner goes; the click
    // area is shifted by the widget offset and centred over the socket.
    void Move(int x, int y) override;
    void MouseDown(int x, int y, int clickCode) override;
    void MouseUpAt(int x, int y) override;

    // 1 or more means ready; the target may stand above 1.
    void SetProgress(float value, bool animate);
    float GetProgress() const { return mProgress.mTarget; }
    // The widget's centre in its parent's coordinates.
    bool GetCentre(int* x, int* y) const;
    void SetGateOpen(bool open, bool animate);
    void SetIcon(Kivo::Image* icon);
    // Whether the icon is drawn in colour: the shown value has reached 1.
    bool IconReady() const { return mProgress.mCurrent >= 1.0f; }

    // The source rectangle of the filled part of a bar image of the given
    // size, for a displayed progress; `barHeight` is the height shared by
    // all slots. Clamped to the image; empty when nothing is filled.
    static Kivo::Rect BarSource(int imageWidth, int imageHeight, int barHeight, float progress);

    Kivo::Image* mIcon = nullptr;
    Kivo::Image* mProgressImage = nullptr;
    Kivo::Image* mProgressBackImage = nullptr;
    int32_t mBarX = -21;
    int32_t mBarY = 8;
    Kivo::Image* mSlotImage = nullptr;
    int32_t mIconOffsetX = 0;
    int32_t mIconOffsetY = 0;
    int32_t mWidgetOffsetX = 0;
    int32_t mWidgetOffsetY = 0;
    int32_t mGateOffsetX = 0;
    int32_t mGateOffsetY = 0;
    int32_t mTicks = 0;
    int32_t mId;
    Kivo::ButtonListener* mListener;
    Kivo::LiveValue mProgress{0.0f, 0.05f};
    Kivo::LiveValue mGlow{0.0f, 0.1f};
    int32_t mIconFrame = 0;
    Kivo::LiveValue mGate{0.0f, 0.03f}; // 0 open, 1 closed
};
