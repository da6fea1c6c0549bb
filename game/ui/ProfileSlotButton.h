#pragma once
// A button of the profile list: green or red, with a dark veil that lifts
// while the mouse is over it.
#include "game/ui/ButtonBase.h"

class ProfileSlotButton : public ButtonBase {
public:
    ProfileSlotButton(int id, Kivo::ButtonListener* listener);
    ~ProfileSlotButton() override = default;

    void SetGreen(bool green);
    bool IsGreen();
};
