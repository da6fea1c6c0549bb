#pragma once
// The help window (id 105): a book of three pages turned with the arrow
// buttons or the arrow keys. Its result is always 0.
#include "framework/core/Singleton.h"
#include "game/meta/HelpBook.h"
#include "game/ui/WindowBase.h"

class ButtonBase;

class WindowHelp : public Singleton<WindowHelp>, public WindowBase {
public:
    static constexpr int kWindowId = WINDOW_ID_HELP;
    enum Control { BUTTON_CLOSE = 0, BUTTON_LEFT = 1, BUTTON_RIGHT = 2 };

    WindowHelp();
    ~WindowHelp() override;

    void UpdateF(float fraction) override;
    void Draw(Kivo::Graphics* g) override;
    void KeyDown(int key) override;
    void ButtonDepress(int id) override;

    // Turns the book; the page sound only when it really turned.
    void TurnPage(bool forward);

    HelpBook mBook;
};
