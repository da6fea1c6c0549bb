#pragma once
// A look at the town during a game: pushed over the game screen, it draws
// the whole town with a pulsing prompt; a click, Enter or Escape fades it
// out and returns to the game.
#include "game/ui/BaseScreen.h"

class GfxManager;

class TownScreen : public BaseScreen {
public:
    TownScreen();
    ~TownScreen() override;

    void Update() override;
    void UpdateF(float fraction) override;
    void Draw(Kivo::Graphics* g) override;
    void KeyDown(int key) override;
    void MouseDownButton(int x, int y, int button, int clickCount) override;
    void OnEnter() override;

    void ReturnToGame();
    // Fades out, then returns to the game.
    void LeaveToGame();

    GfxManager* mEffects;
};
