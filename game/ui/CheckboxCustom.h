#pragma once
// The game's checkbox: the stock checkbox with the game's box images.
#include "framework/widgets/Checkbox.h"

class CheckboxCustom : public Kivo::Checkbox {
public:
    CheckboxCustom(int id, Kivo::CheckboxListener* listener);
};
