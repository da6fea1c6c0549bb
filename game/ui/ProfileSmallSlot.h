#pragma once
// The small profile slot: a button that names a player and marks the game
// mode of the player's stored game with an icon at its top-right corner.
#include "game/ui/ButtonBase.h"

enum ProfileSlotMode { SLOT_MODE_NONE = 0, SLOT_MODE_TIMED = 1, SLOT_MODE_RELAXED = 2 };

class ProfileSmallSlot : public ButtonBase {
public:
    ProfileSmallSlot(int id, Kivo::ButtonListener* listener);
    ~ProfileSmallSlot() override = default;

    void Draw(Kivo::Graphics* g) override;

    int32_t mMode = SLOT_MODE_NONE; // a ProfileSlotMode, set by the owner
    Kivo::Image* mTimedIcon = nullptr;
    Kivo::Image* mRelaxedIcon = nullptr;
};
