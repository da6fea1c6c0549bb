#pragma once
// The game's name box: the stock edit box over a background image, in the
// gold font, that types letters in capitals and leaves the cursor alone.
#include "framework/widgets/EditWidget.h"

class EditCustom : public Kivo::EditWidget {
public:
    EditCustom(int id, Kivo::EditListener* listener);

    void Draw(Kivo::Graphics* g) override;
    void ProcessKey(int key, char c) override;
    // What typing `c` puts in the box: the capital of a letter (Windows-1252),
    // unless the box's font has no picture for it; anything else as it is.
    char TypedChar(char c);
    void MouseEnter() override {}
    void MouseLeave() override {}

    Kivo::Image* mBackground = nullptr;
};
