#pragma once
// The player profiles: five slot files in the "profiles" folder of the data
// folder, one of them current. The manager owns the current profile, switches
// between slots, creates and deletes slot files and remembers the last slot
// in the registry value "UserProfile". Game code reads and writes the current
// profile through the free functions below.
#include "game/profiles/Profile.h"
#include "framework/core/Singleton.h"

#include <cstdint>
#include <string>
#include <vector>

constexpr int kProfileSlots = 5;

class ProfileManager : public Singleton<ProfileManager> {
public:
    // Selects the slot remembered in the registry, or else the first slot
    // that loads; none when no slot loads.
    ProfileManager();
    // Remembers the slot (also -1) and saves the current profile.
    ~ProfileManager() override;

    // The data folder followed by "profiles".
    static std::string GetProfilesFolder();
    static std::string GetSlotPath(int slot);

    bool HasProfile() const { return slotIndex >= 0; }
    int GetCurrentProfileSlot() const { return slotIndex; }

    // Writes the current profile to its slot file; true when there is none
    // to write.
    bool SaveCurrent();
    // Makes the slot current, saving the current profile first. A negative
    // slot leaves no slot selected (the profile stays in memory). False,
    // with the current profile kept, when the slot does not load. Here and
    // wherever a slot file is read, one that is there but damaged is moved
    // aside at once (slotN.profile.bad; see TakeDamagedProfileCopies).
    bool SelectSlot(int slot);
    // Deletes the slot file; the current slot's profile goes with it.
    bool DeleteSlot(int slot);
    // Writes a new player's profile into the slot without selecting it;
    // false when it cannot be written.
    bool CreateSlot(int slot);
    // Makes a new player with the name and progress type the current
    // profile of the slot, written to the slot file. Should the profiles
    // folder not take the file, the player plays on all the same, the
    // profile kept in memory only, and the folder is noted for the game to
    // say (see TakeUnsavedProfilesFolder). False for a slot outside 0 to 4.
    bool StartNewProfile(int slot, const std::string& name, int32_t progressType);
    // The name ("user_name") and progress type ("progress_type") of the
    // slot's profile, read without selecting or saving anything: the
    // current profile as it stands in memory, another from its file. False
    // when the slot holds no profile that loads (a damaged file is moved
    // aside here too).
    bool PeekSlot(int slot, std::string* name, int32_t* progressType) const;

    int32_t slotIndex = -1;
    Profile* profile = nullptr;
};

// The window that asks for a new player's name and progress type. It
// belongs to the game's windows; they install it here.
class NewProfilePrompt {
public:
    virtual ~NewProfilePrompt() = default;
    virtual void SetUserName(const std::string& name) = 0;
    virtual std::string GetUserName() = 0;
    // Checks the second choice (relaxed) and unchecks the first, or the
    // other way round.
    virtual void SetProgressType(bool second) = 0;
    // 2 when the second choice is checked, else 1.
    virtual int GetProgressType() = 0;
    // Shows the window modally with its appear and disappear effects and
    // returns its result (1 = OK).
    virtual int ShowAnimated() = 0;
};
void SetNewProfilePrompt(NewProfilePrompt* prompt);

// The paths of the copies of damaged slot files moved aside since the last
// call, oldest first; the game tells the player about them once.
std::vector<std::string> TakeDamagedProfileCopies();

// The profiles folder after a new player's profile could not be written
// there, once until a profile is written again; empty otherwise. The game
// tells the player.
std::string TakeUnsavedProfilesFolder();

// On the current profile; setters do nothing and getters give 0 or "" when
// there is none. Nothing is saved until SaveCurrentProfile.
void SetProfileInt(const std::string& key, int32_t value);
int32_t GetProfileInt(const std::string& key);
void SetProfileString(const std::string& key, const std::string& value);
std::string GetProfileString(const std::string& key);
// With a slot selected.
void SaveCurrentProfile();
void ResetCurrentProfileGame();
// Empties the stored games and zeroes the level's scores, without saving.
void ClearStoredGame();
std::string FormatStoredGameFieldKey(int gameType);
// Before a game: without a selected slot (and unless the application is
// shutting down) asks for a new player and creates the profile. True when
// the window was shown.
bool EnsureProfile();
