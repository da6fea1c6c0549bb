#pragma once
// A look at the town during a game: pushed over the game screen, it draws
// the whole town with a pulsing prompt; a click, Enter or Escape fades it
// out and returns to the game.
#include "game/meta/TownViewScreen.h"

class TownScreen : public TownViewScreen {
public:
    void KeyDown(int key) override;
    void MouseDownButton(int x, int y, int button, int clickCount) override;
    void OnEnter() override;

    void ReturnToGame();
    // Fades out, then returns to the game.
    void LeaveToGame();
};
