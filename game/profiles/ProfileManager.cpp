#include "game/profiles/ProfileManager.h"

#include "framework/app/KivoAppBase.h"
#include "framework/core/Paths.h"
#include "framework/core/Strings.h"
#include "framework/resources/ResourceHelpers.h"
#include "platform/Paths.h"
#include "platform/ReplaceFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

namespace {

NewProfilePrompt* gNewProfilePrompt = nullptr;

// Copies of damaged slot files made since the game last told the player.
std::vector<std::string> gDamagedCopies;

// The profiles folder that would not take a new player's file, until the
// game has said so; said once until a profile is written again.
std::string gUnsavedFolder;
bool gUnsavedNoted = false;

// A slot file that exists but does not load is moved aside as soon as it is
// found (slotN.profile.bad). The slot is then free for a new player, and the
// lost progress may still be recovered from the copy.
void KeepDamagedSlot(int slot)
{
    const std::string file = platform::DiskPath(ProfileManager::GetSlotPath(slot));
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        return;
    std::string copy, error;
    if (!platform::KeepDamagedFile(file, &copy, &error)) {
        std::fprintf(stderr, "Profile slot %d is damaged and could not be kept: %s\n", slot, error.c_str());
        return;
    }
    std::fprintf(stderr, "Profile slot %d is damaged; kept as %s\n", slot, copy.c_str());
    gDamagedCopies.push_back(copy);
}

// Every read of a slot file goes through here.
bool LoadSlot(int slot, Profile& into)
{
    if (into.Load(ProfileManager::GetSlotPath(slot)))
        return true;
    KeepDamagedSlot(slot);
    return false;
}

// The first slot whose file holds no profile that loads. A new player goes
// there, so that no good profile is ever written over.
int FirstSlotWithoutProfile()
{
    for (int slot = 0; slot < kProfileSlots; ++slot) {
        Profile probe;
        if (!LoadSlot(slot, probe))
            return slot;
    }
    return -1;
}

} // namespace

ProfileManager::ProfileManager()
{
    int remembered = -1;
    if (Kivo::gKivoApp && Kivo::gKivoApp->RegistryReadInteger("UserProfile", &remembered) && remembered >= 0 &&
        remembered < kProfileSlots && SelectSlot(remembered))
        return;
    for (int slot = 0; slot < kProfileSlots; ++slot)
        if (SelectSlot(slot))
            return;
}

ProfileManager::~ProfileManager()
{
    if (Kivo::gKivoApp)
        Kivo::gKivoApp->RegistryWriteInteger("UserProfile", slotIndex);
    SaveCurrent();
    delete profile;
}

std::string ProfileManager::GetProfilesFolder()
{
    return Kivo::GetAppDataFolder() + "profiles";
}

std::string ProfileManager::GetSlotPath(int slot)
{
    return Kivo::StrFormat("%s/slot%d.profile", GetProfilesFolder().c_str(), slot);
}

bool ProfileManager::SaveCurrent()
{
    if (slotIndex < 0 || !profile)
        return true;
    Kivo::MakeDirectories(GetProfilesFolder());
    if (!profile->Save(GetSlotPath(slotIndex)))
        return false;
    gUnsavedNoted = false;
    return true;
}

bool ProfileManager::SelectSlot(int slot)
{
    if (slot == slotIndex)
        return true;
    SaveCurrent();
    if (slot < 0) {
        slotIndex = slot;
        return true;
    }
    auto loaded = std::make_unique<Profile>();
    if (!LoadSlot(slot, *loaded))
        return false;
    delete profile;
    profile = loaded.release();
    slotIndex = slot;
    return true;
}

bool ProfileManager::DeleteSlot(int slot)
{
    // A missing file is already deleted; any other failure would bring the
    // player back at the next start, so it is said.
    const std::string file = platform::DiskPath(GetSlotPath(slot));
    if (std::remove(file.c_str()) != 0 && errno != ENOENT)
        std::fprintf(stderr, "Profile slot %d not deleted: cannot remove %s (%s)\n", slot, file.c_str(), std::strerror(errno));
    if (slot == slotIndex) {
        delete profile;
        profile = nullptr;
        slotIndex = -1;
    }
    return true;
}

bool ProfileManager::CreateSlot(int slot)
{
    if (slot == slotIndex) {
        DeleteSlot(slot);
    } else {
        Profile probe;
        LoadSlot(slot, probe);
    }
    std::remove(platform::DiskPath(GetSlotPath(slot)).c_str());

    const int32_t previousIndex = slotIndex;
    Profile* previousProfile = profile;
    Profile fresh;
    slotIndex = slot;
    profile = &fresh;
    const bool saved = SaveCurrent();
    slotIndex = previousIndex;
    profile = previousProfile;
    return saved;
}

bool ProfileManager::StartNewProfile(int slot, const std::string& name, int32_t progressType)
{
    if (slot < 0 || slot >= kProfileSlots)
        return false;
    if (CreateSlot(slot)) {
        if (!SelectSlot(slot))
            return false;
    } else {
        // Nothing can be written there: the player plays on, unsaved.
        SaveCurrent();
        delete profile;
        profile = new Profile();
        slotIndex = slot;
        if (!std::exchange(gUnsavedNoted, true))
            gUnsavedFolder = platform::DiskPath(GetProfilesFolder());
    }
    profile->SetString("user_name", name);
    profile->SetInt("progress_type", progressType);
    SaveCurrent();
    return true;
}

bool ProfileManager::PeekSlot(int slot, std::string* name, int32_t* progressType) const
{
    const auto report = [&](const Profile& source) {
        *name = source.GetString("user_name");
        *progressType = source.GetInt("progress_type");
        return true;
    };
    if (slot == slotIndex && profile)
        return report(*profile);
    if (slot < 0 || slot >= kProfileSlots)
        return false;
    Profile stored;
    return LoadSlot(slot, stored) && report(stored);
}

std::vector<std::string> TakeDamagedProfileCopies()
{
    return std::exchange(gDamagedCopies, {});
}

std::string TakeUnsavedProfilesFolder()
{
    return std::exchange(gUnsavedFolder, {});
}

void SetNewProfilePrompt(NewProfilePrompt* prompt)
{
    gNewProfilePrompt = prompt;
}

void SetProfileInt(const std::string& key, int32_t value)
{
    if (Profile* profile = ProfileManager::Instance()->profile)
        profile->SetInt(key, value);
}

int32_t GetProfileInt(const std::string& key)
{
    const Profile* profile = ProfileManager::Instance()->profile;
    return profile ? profile->GetInt(key) : 0;
}

void SetProfileString(const std::string& key, const std::string& value)
{
    if (Profile* profile = ProfileManager::Instance()->profile)
        profile->SetString(key, value);
}

std::string GetProfileString(const std::string& key)
{
    const Profile* profile = ProfileManager::Instance()->profile;
    return profile ? profile->GetString(key) : std::string();
}

void SaveCurrentProfile()
{
    ProfileManager* manager = ProfileManager::Instance();
    if (manager->HasProfile())
        manager->SaveCurrent();
}

void ResetCurrentProfileGame()
{
    ProfileManager* manager = ProfileManager::Instance();
    if (!manager->HasProfile() || !manager->profile)
        return;
    manager->profile->ResetGame();
    manager->SaveCurrent();
}

void ClearStoredGame()
{
    ProfileManager* manager = ProfileManager::Instance();
    if (!manager->HasProfile() || !manager->profile)
        return;
    for (int gameType = 1; gameType <= 3; ++gameType)
        manager->profile->SetBuffer(FormatStoredGameFieldKey(gameType), nullptr);
    for (const char* key : { "score_level_bricks", "score_level_bonus", "score_level_combo", "score_level_bonusgame" })
        manager->profile->SetInt(key, 0);
}

std::string FormatStoredGameFieldKey(int gameType)
{
    return Kivo::StrFormat("stored_game_field_%d", gameType);
}

bool EnsureProfile()
{
    ProfileManager* manager = ProfileManager::Instance();
    if (manager->HasProfile() || (Kivo::gKivoApp && Kivo::gKivoApp->shutdown) || !gNewProfilePrompt)
        return false;
    NewProfilePrompt& window = *gNewProfilePrompt;
    window.SetUserName(GetStringById("window_profiles_default_user_name"));
    window.SetProgressType(false);
    if (window.ShowAnimated() == 1) {
        const int slot = FirstSlotWithoutProfile();
        if (slot >= 0)
            manager->StartNewProfile(slot, window.GetUserName(), window.GetProgressType());
    }
    window.SetProgressType(true);
    return true;
}
