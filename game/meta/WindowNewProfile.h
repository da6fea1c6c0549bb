#pragma once
// The new-profile window (103): a name box and the relaxed/timed choice of
// progress type as a radio pair. It serves the first start (the player must
// create a profile: no cancel button), a new profile in an empty slot and
// the change of the current profile. The answer is 1 for OK with a valid
// name and 0 for cancel; the window never writes the profile store itself.
#include "framework/core/Singleton.h"
#include "framework/widgets/CheckboxListener.h"
#include "framework/widgets/EditListener.h"
#include "game/profiles/ProfileManager.h"
#include "game/ui/WindowBase.h"

#include <string>

class CheckboxCustom;
class EditCustom;

class WindowNewProfile : public Singleton<WindowNewProfile>,
                         public WindowBase,
                         public Kivo::EditListener,
                         public Kivo::CheckboxListener {
public:
    WindowNewProfile();
    ~WindowNewProfile() override;

    void Draw(Kivo::Graphics* g) override;
    // Typing goes to the name box at once.
    void GotFocus() override;
    void KeyDown(int key) override;
    void ButtonDepress(int id) override;
    // Enter in the name box.
    void EditWidgetText(int id, const std::string& text) override;
    // Only printable characters, and only while the name (with the
    // character as a capital) stays 30 pixels inside the box.
    bool AllowChar(int id, char c) override;
    void CheckboxChecked(int id, bool checked) override;

    void SetUserName(const std::string& name);
    std::string GetUserName();
    // 1 timed; anything else relaxed.
    void SetProgressType(int type);
    // 2 relaxed, 1 timed.
    int GetProgressType();
    // Hiding cancel moves OK into its place; showing it moves OK back.
    void SetCancelVisible(bool visible);

    // Not empty and not only blanks.
    static bool IsValidName(const std::string& name);

    WindowButton* mOkButton = nullptr;       // id 0
    WindowButton* mCancelButton = nullptr;   // id 1
    CheckboxCustom* mTimedBox = nullptr;     // id 3
    CheckboxCustom* mRelaxedBox = nullptr;   // id 4, checked at first
    Kivo::Image* mTimedIcon = nullptr;
    Kivo::Image* mRelaxedIcon = nullptr;
    EditCustom* mNameBox = nullptr;          // id 2
};

// The profile store's way to the window: it keeps the name and type between
// showings (each showing builds a fresh window), shows the window without a
// cancel button and reads the answer back before the window goes.
class NewProfileWindowPrompt : public NewProfilePrompt {
public:
    void SetUserName(const std::string& name) override { mName = name; }
    std::string GetUserName() override { return mName; }
    void SetProgressType(bool second) override { mType = second ? 2 : 1; }
    int GetProgressType() override { return mType; }
    int ShowAnimated() override;

    std::string mName;
    int mType = 2;
};

// The prompt the game installs with SetNewProfilePrompt.
NewProfilePrompt* GetNewProfileWindowPrompt();
