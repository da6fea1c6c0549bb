#pragma once
// An invisible modal window over the whole game area that holds the game in
// nested application steps for a number of updates.
#include "game/ui/WindowBase.h"

class DelayWidget : public WindowBase {
public:
    explicit DelayWidget(int frames);

    // Counts the frames down; result 0 once fewer than one is left.
    void Update() override;
    void Draw(Kivo::Graphics*) override {}
    void PlayShowSound() override {}
    void PlayHideSound() override {}

    int32_t mFramesLeft;
};

// Shows a DelayWidget modally for `frames` updates; the result it ended
// with (0, or Dialog::kNoResult when the application stopped first).
int ShowDelayWindow(int frames);
