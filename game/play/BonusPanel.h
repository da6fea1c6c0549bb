#pragma once
// The strip along the bottom of the game screen: five bonus slots (button
// ids 7..11 for slots 0..4), the menu button (id 0) and the town button
// (id 1). It slides down out of the screen to hide. Its background picture
// is drawn by the game screen beneath the panel's children.
#include "framework/graphics/LiveValue.h"
#include "framework/widgets/Widget.h"

namespace Kivo {
class ButtonListener;
}
class BonusSlot;
class ButtonBase;

class BonusPanel : public Kivo::Widget {
public:
    static constexpr int kSlots = 5;
    static constexpr int kFirstSlotId = 7;

    explicit BonusPanel(Kivo::ButtonListener* listener);
    ~BonusPanel() override;

    void UpdateF(float dt) override;

    // Slot indices outside 0..4 are ignored; their progress reads 0.
    void SetSlotProgress(int slot, float value, bool animate);
    float GetSlotProgress(int slot) const;
    void AddSlotProgress(int slot, float delta);
    // The slot's centre in the game screen's coordinates.
    bool GetSlotCentre(int slot, int* x, int* y) const;
    // All five gates; closing with animation plays the gate sound once.
    void SetGatesOpen(bool open, bool animate);
    void DrawBackground(Kivo::Graphics* g);
    void Show(bool show, bool animate);

    BonusSlot* GetSlot(int slot) const;

    int32_t mHomeY = 0;
    Kivo::LiveValue mSlide{0.0f, 0.02f}; // 0 shown, 1 hidden
    ButtonBase* mMenuButton = nullptr;
    ButtonBase* mTownButton = nullptr;
    BonusSlot* mSlots[kSlots] = {};
};
