#pragma once
// The yes/no question window, twice over: WindowConfirm (109) and
// WindowConfirm2 (110), so that a second question can be asked while the
// first one's window is still up. The caller sets mMessage and shows it
// (as a rule with ShowWindowAnimated); the answer is 1 for yes (button or
// Enter) and 0 for no (button or Escape).
#include "framework/core/Singleton.h"
#include "game/ui/WindowBase.h"

#include <string>

class WindowConfirmBase : public WindowBase {
public:
    explicit WindowConfirmBase(int windowId);
    ~WindowConfirmBase() override;

    void Draw(Kivo::Graphics* g) override;
    void KeyDown(int key) override;
    void ButtonDepress(int id) override;

    // The shade, the window and the message word-wrapped and centred in the
    // band above the buttons (y 50 to 160), in "FONT_GOLD".
    static void DrawWithMessage(WindowBase* window, Kivo::Graphics* g, const std::string& message);

    std::string mMessage;
    WindowButton* mButtonYes = nullptr; // id 0
    WindowButton* mButtonNo = nullptr;  // id 1
};

class WindowConfirm : public Singleton<WindowConfirm>, public WindowConfirmBase {
public:
    WindowConfirm() : WindowConfirmBase(WINDOW_ID_CONFIRM) {}
};

class WindowConfirm2 : public Singleton<WindowConfirm2>, public WindowConfirmBase {
public:
    WindowConfirm2() : WindowConfirmBase(WINDOW_ID_CONFIRM2) {}
};
