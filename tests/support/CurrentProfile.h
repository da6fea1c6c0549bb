#pragma once
// The profile manager for one test, over a data folder of its own: with a
// current profile held in memory in `slot` (-1: in memory with no slot
// selected), or with none. Saving writes to the folder's "profiles". Nothing is saved when it goes, and the next
// test starts without a manager.
#include "framework/core/Paths.h"
#include "game/profiles/ProfileManager.h"
#include "tests/support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace testsupport {

class CurrentProfile {
public:
    explicit CurrentProfile(bool withProfile = true, int slot = 0)
    {
        // A manager left over would be orphaned by the new one.
        if (ProfileManager* stale = ProfileManager::Existing()) {
            ADD_FAILURE() << "an earlier test left a profile manager behind";
            delete stale;
        }
        Kivo::SetAppDataFolder(data.Path() + "/");
        std::filesystem::create_directories(data / "profiles");
        manager = new ProfileManager();
        if (withProfile) {
            delete manager->profile;
            manager->profile = new Profile();
            manager->slotIndex = slot;
        }
    }
    ~CurrentProfile()
    {
        manager->slotIndex = -1;
        delete manager;
        Kivo::SetAppDataFolder("");
    }
    CurrentProfile(const CurrentProfile&) = delete;
    CurrentProfile& operator=(const CurrentProfile&) = delete;

    Profile* profile() { return manager->profile; }

    TempDir data;
    ProfileManager* manager;
};

} // namespace testsupport
