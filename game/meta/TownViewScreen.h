#pragma once
// A screen that shows the whole town with effects of its own above it.
#include "game/ui/BaseScreen.h"

class GfxManager;

class TownViewScreen : public BaseScreen {
public:
    TownViewScreen();
    ~TownViewScreen() override;

    // The town's and the effects' per-tick pass, their advance, and the
    // town with the effects on top.
    void Update() override;
    void UpdateF(float fraction) override;
    void Draw(Kivo::Graphics* g) override;

    GfxManager* mEffects;
};
