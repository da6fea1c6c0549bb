#pragma once
// The level-completed window after the bonus game (id 107): the standard
// window background and one continue button (result 0).
#include "framework/core/Singleton.h"
#include "game/meta/WindowLevelCompletedBase.h"

class WindowButton;

class WindowLevelCompleted2 : public Singleton<WindowLevelCompleted2>, public WindowLevelCompletedBase {
public:
    static constexpr int kWindowId = WINDOW_ID_LEVEL_COMPLETED2;

    WindowLevelCompleted2();
    ~WindowLevelCompleted2() override;

    void Draw(Kivo::Graphics* g) override;
    void ButtonDepress(int id) override;

    WindowButton* mContinueButton; // id 0
};
