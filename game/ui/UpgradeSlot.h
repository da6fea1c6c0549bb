#pragma once
// One building slot of the upgrade panel: the building's picture and a
// highlight that fades in while the upgrade screen points at it. Mouse
// entry and exit go to the listener under the slot's id.
#include "framework/graphics/LiveValue.h"
#include "framework/widgets/Widget.h"

namespace Kivo {
class ButtonListener;
class Image;
} // namespace Kivo

// The building's drawing in a slot; the upgrade screen provides it.
class SlotPicture {
public:
    virtual ~SlotPicture() = default;
    // At its own position, in the slot's coordinates.
    virtual void Draw(Kivo::Graphics* g) = 0;
};

class UpgradeSlot : public Kivo::Widget {
public:
    UpgradeSlot(int id, Kivo::ButtonListener* listener);

    void UpdateF(float fraction) override;
    void Draw(Kivo::Graphics* g) override;
    void MouseEnter() override;
    void MouseLeave() override;

    // Turning it on plays the slot sound once per appearance.
    void SetHighlight(bool on);

    SlotPicture* mPicture = nullptr; // not owned
    Kivo::Image* mHighlightImage;
    Kivo::LiveValue mHighlight{0.0f, 0.05f};
    Kivo::ButtonListener* mListener;
    int32_t mId;
};
