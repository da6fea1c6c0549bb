#pragma once
// The bottom panel of the upgrade screen: four building slots with their
// buy buttons, the next button and the total score. It slides down out of
// sight and back, the score panel out to the right with it.
#include "framework/graphics/LiveValue.h"
#include "framework/widgets/Widget.h"

#include <array>

namespace Kivo {
class ButtonListener;
class Image;
} // namespace Kivo
class ButtonBase;
class ButtonTownUpgrade;
class SlotPicture;
class UpgradeScorePanel;
class UpgradeSlot;

constexpr int kUpgradeSlots = 4;

class UpgradePanel : public Kivo::Widget {
public:
    explicit UpgradePanel(Kivo::ButtonListener* listener);
    ~UpgradePanel() override;

    void UpdateF(float fraction) override;
    void Draw(Kivo::Graphics* g) override;

    void Show(bool show, bool animate);
    void ToggleShown();
    bool IsSliding();
    // Indices 0 to 3; any other is ignored.
    void SetSlotValue(int index, SlotPicture* picture);
    void SetSlotState(int index, bool highlighted);
    void SetButtonState(int index, int state);

    int32_t mHomeY;
    Kivo::LiveValue mSlide{0.0f, 0.02f}; // 0 shown, 1 hidden
    Kivo::Image* mBackground;
    ButtonBase* mNextButton;
    UpgradeScorePanel* mScorePanel;
    std::array<UpgradeSlot*, kUpgradeSlots> mSlots;
    std::array<ButtonTownUpgrade*, kUpgradeSlots> mBuyButtons;
};
