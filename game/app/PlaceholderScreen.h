#pragma once
// Stands in for a screen the game does not have yet: it says so, and a
// click or key goes back to the menu.
#include "game/ui/BaseScreen.h"

#include <string>

class PlaceholderScreen : public BaseScreen {
public:
    explicit PlaceholderScreen(const std::string& name) : mName(name) {}

    void Draw(Kivo::Graphics* g) override;
    void KeyDown(int key) override;
    void MouseDownButton(int x, int y, int button, int clickCount) override;

    std::string mName;

private:
    void BackToMenu();
};
