#pragma once
// The game's name box: the stock edit box over a background image, in the
// gold font, that types letters in capitals and leaves the cursor alone.
#include "framework/widgets/EditWidget.h"

class EditCustom : public Kivo::EditWidget {
public:
    EditCustom(int id, Kivo::EditListener* listener);

    void Draw(Kivo::Graphics* g) override;
    void ProcessKey(int key, char c) override;
    void MouseEnter() override {}
    void MouseLeave() override {}

    Kivo::Image* mBackground = nullptr;
};
