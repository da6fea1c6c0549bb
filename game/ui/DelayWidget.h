#pragma once
// An invisible modal window over the whole game area that holds the game in
// nested application steps for a number of updates.
#include "framework/widgets/Dialog.h"

class DelayWidget : public Kivo::Dialog {
public:
    explicit DelayWidget(int frames);

    void Update() override;
    void Draw(Kivo::Graphics*) override {}

    int mFramesLeft;
};

// Shows a DelayWidget modally for `frames` updates; the result it ended
// with (0, or Dialog::kNoResult when the application stopped first).
int ShowDelayWindow(int frames);
