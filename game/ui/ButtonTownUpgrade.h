#pragma once
// The buy button under a building slot of the upgrade screen: blue while
// the building can be bought, red while it cannot be afforded, grey once
// bought. A locked button (red or grey) takes no presses and makes no sound.
#include "game/ui/ButtonBase.h"

enum TownUpgradeState { UPGRADE_BUYABLE = 0, UPGRADE_NOT_AFFORDABLE = 1, UPGRADE_BOUGHT = 2 };

class ButtonTownUpgrade : public ButtonBase {
public:
    ButtonTownUpgrade(int id, Kivo::ButtonListener* listener);
    ~ButtonTownUpgrade() override = default;

    void Draw(Kivo::Graphics* g) override;
    void MouseDown(int x, int y, int clickCode) override;
    void MouseUpButton(int x, int y, int button, int clickCount) override;
    void PlayEnterSound() override {}
    void PlayDownSound() override;

    // A TownUpgradeState; any other value acts as buyable.
    void SetState(int state);

    bool mLocked = false;

protected:
    void DrawButtonLabel(Kivo::Graphics* g, int x, int y, int colorIndex) override;
    void DrawGlow(Kivo::Graphics* g, float alphaScale) override;
};
