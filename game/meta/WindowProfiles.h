#pragma once
// The profile list (102): five slots with the player's name and progress
// type, a green button on an empty slot (create) and a red one on a used
// slot (delete, after a question). A click on a name selects that profile,
// or changes the current one's name and type. The list cannot be closed
// while no profile is current. The answer is 1 when deleting the current
// profile forced another one (or none) to become current, else 0: the
// caller compares the current slot before and after to see a switch.
#include "framework/core/Singleton.h"
#include "game/ui/WindowBase.h"

class ProfileSlotButton;
class ProfileSmallSlot;

class WindowProfiles : public Singleton<WindowProfiles>, public WindowBase {
public:
    static constexpr int kSlots = 5;

    WindowProfiles();
    // Also deletes the new-profile, confirm and message windows when they
    // exist and are not shown.
    ~WindowProfiles() override;

    void UpdateF(float fraction) override;
    void Draw(Kivo::Graphics* g) override;
    void KeyDown(int key) override;
    void ButtonDepress(int id) override;

    // Fills the rows from the profile store, selecting nothing.
    void RefreshSlots();
    // A click on a name, or on the button of an empty slot.
    void SlotAction(int slot);
    // The close button, Escape and Enter.
    void TryClose();

    ProfileSmallSlot* mPlates[kSlots] = {};         // ids 1 to 5
    ProfileSlotButton* mSlotButtons[kSlots] = {};   // ids 6 to 10
    WindowButton* mCloseButton = nullptr;           // id 0
    Kivo::Image* mArrow = nullptr;
    float mArrowPhase = 0;
    bool mSlotChanged = false;

private:
    // The plate and button of the slot for a profile (or none).
    void ShowSlot(int slot, bool used, const std::string& name, int progressType);
    // Asks for a name and type with this window hidden; the answer of the
    // new-profile window, whose name and type are copied out.
    int AskProfile(const char* caption, const std::string& name, int progressType, std::string* newName,
                   int* newType);
};
