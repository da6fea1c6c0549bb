#pragma once
// The message window (111): a text and one close button. The caller sets
// mMessage and shows it; the answer is 0 (button, Escape, Enter or Space).
#include "framework/core/Singleton.h"
#include "game/ui/WindowBase.h"

#include <string>

class WindowMessage : public Singleton<WindowMessage>, public WindowBase {
public:
    WindowMessage();
    ~WindowMessage() override;

    void Draw(Kivo::Graphics* g) override;
    void KeyDown(int key) override;
    void ButtonDepress(int id) override;

    std::string mMessage;
    WindowButton* mCloseButton = nullptr; // id 0
};

// Shows the text in the message window, animated, and waits until it is
// closed. The game application answers AudioHost::ShowMessageWindow with it.
void ShowGameMessage(const std::string& text);
