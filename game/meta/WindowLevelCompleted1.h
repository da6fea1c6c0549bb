#pragma once
// The level-completed window after a normal level (id 106): drawn over the
// desk the game screen shows, with continue (result 0) and play-the-bonus-
// game (result 1) buttons and an explanation of each beside a wobbling icon.
#include "framework/core/Singleton.h"
#include "framework/graphics/MovingPoint.h"
#include "game/meta/WindowLevelCompletedBase.h"

class WindowButton;

class WindowLevelCompleted1 : public Singleton<WindowLevelCompleted1>, public WindowLevelCompletedBase {
public:
    static constexpr int kWindowId = WINDOW_ID_LEVEL_COMPLETED1;
    static constexpr int kWidth = 470;
    static constexpr int kHeight = 450;

    WindowLevelCompleted1();
    ~WindowLevelCompleted1() override;

    void UpdateF(float fraction) override;
    void Draw(Kivo::Graphics* g) override;
    void PlayShowSound() override {}
    void PlayHideSound() override;
    void ButtonDepress(int id) override;
    void ButtonMouseEnter(int id) override;

    WindowButton* mContinueButton; // id 0
    WindowButton* mBonusButton;    // id 1
    Kivo::MovingPoint mKeyWobble{1.05f, 1.2f, 2.0f};  // x: the key icon's angle in degrees
    Kivo::MovingPoint mTownWobble{1.05f, 1.2f, 2.0f}; // x: the town icon's angle in degrees

private:
    // The explanations and their wrapped heights, measured at the first draw.
    bool mTextsMeasured = false;
    std::string mBonusGameText;
    std::string mBuildTownText;
    int mBonusGameHeight = 0;
    int mBuildTownHeight = 0;
};
