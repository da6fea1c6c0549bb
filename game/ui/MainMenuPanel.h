#pragma once
// The bottom panel of the menu screen: play (green), quit (red), options
// (left) and profiles (right), and a greeting of the current player. It
// slides down out of sight and back.
#include "framework/graphics/LiveValue.h"
#include "framework/widgets/Widget.h"

namespace Kivo {
class ButtonListener;
class Image;
} // namespace Kivo
class ButtonBase;

// Ids the panel's buttons report.
enum MainMenuButton { MAIN_MENU_PLAY = 0, MAIN_MENU_QUIT = 1, MAIN_MENU_OPTIONS = 2, MAIN_MENU_PROFILES = 3 };

class MainMenuPanel : public Kivo::Widget {
public:
    explicit MainMenuPanel(Kivo::ButtonListener* listener);
    ~MainMenuPanel() override;

    void UpdateF(float fraction) override;
    void Draw(Kivo::Graphics* g) override;

    void Show(bool show, bool animate);
    void ToggleShown();
    // False only when fully hidden and still.
    bool IsOnScreen();

    int32_t mHomeY;
    Kivo::LiveValue mSlide{0.0f, 0.02f}; // 0 shown, 1 hidden
    Kivo::Image* mBackground;
    ButtonBase* mRedButton;
    ButtonBase* mGreenButton;
    ButtonBase* mLeftButton;
    ButtonBase* mRightButton;
};
