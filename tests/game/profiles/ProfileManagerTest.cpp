#include "framework/app/KivoAppBase.h"
#include "framework/core/Paths.h"
#include "game/profiles/ProfileManager.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <vector>

namespace {

namespace fs = std::filesystem;

class FakePrompt : public NewProfilePrompt {
public:
    void SetUserName(const std::string& name) override
    {
        calls.push_back("name " + name);
        userName = name;
    }
    std::string GetUserName() override { return userName; }
    void SetProgressType(bool second) override
    {
        calls.push_back(second ? "type 2" : "type 1");
        progressType = second ? 2 : 1;
    }
    int GetProgressType() override { return progressType; }
    int ShowAnimated() override
    {
        calls.push_back("show");
        userName = typedName;
        progressType = chosenType;
        return result;
    }

    int result = 1;
    std::string typedName = "ANNA";
    int chosenType = 1;
    std::string userName;
    int progressType = 0;
    std::vector<std::string> calls;
};

class ProfileManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::UseMemoryRegistry(true);
        app.registryKey = "Olvane Studio\\Marrowfen";
        app.SetString("window_profiles_default_user_name", L"PLAYER");
        Kivo::SetAppDataFolder(data.Path());
        SetNewProfilePrompt(&prompt);
    }
    void TearDown() override
    {
        Drop();
        TakeDamagedProfileCopies();
        SetNewProfilePrompt(nullptr);
        Kivo::SetAppDataFolder("");
    }

    ProfileManager& Manager() { return *ProfileManager::Instance(); }
    // Ends the manager as the program's end does: slot remembered, profile saved.
    void Drop()
    {
        delete &Manager();
    }
    // A slot file holding a profile with the given name.
    void WriteSlot(int slot, const std::string& name)
    {
        fs::create_directories(data / "profiles");
        Profile p;
        p.SetString("user_name", name);
        ASSERT_TRUE(p.Save(ProfileManager::GetSlotPath(slot)));
    }
    void DamageSlot(int slot)
    {
        fs::create_directories(data / "profiles");
        std::ofstream(SlotFile(slot), std::ios::binary) << "\xAA\xFF\xAA\xFFjunkjunk";
    }
    std::string SlotFile(int slot) { return data / ("profiles/slot" + std::to_string(slot) + ".profile"); }
    std::string NameInSlot(int slot)
    {
        Profile p;
        return p.Load(ProfileManager::GetSlotPath(slot)) ? p.GetString("user_name") : "<none>";
    }
    int RememberedSlot()
    {
        int slot = -100;
        app.RegistryReadInteger("UserProfile", &slot);
        return slot;
    }

    Kivo::KivoAppBase app;
    testsupport::TempDir data;
    FakePrompt prompt;
};

TEST_F(ProfileManagerTest, FirstRunCreatesSlotZero)
{
    EXPECT_EQ(Manager().GetCurrentProfileSlot(), -1);
    EXPECT_FALSE(Manager().HasProfile());
    prompt.chosenType = 2;
    EXPECT_TRUE(EnsureProfile());
    EXPECT_EQ(prompt.calls, (std::vector<std::string> { "name PLAYER", "type 1", "show", "type 2" }));
    EXPECT_EQ(Manager().GetCurrentProfileSlot(), 0);
    EXPECT_EQ(GetProfileString("user_name"), "ANNA");
    EXPECT_EQ(GetProfileInt("progress_type"), 2);
    EXPECT_EQ(NameInSlot(0), "ANNA");

    // With a profile selected the window is not shown again.
    prompt.calls.clear();
    EXPECT_FALSE(EnsureProfile());
    EXPECT_TRUE(prompt.calls.empty());
    Drop();
    EXPECT_EQ(RememberedSlot(), 0);
}

TEST_F(ProfileManagerTest, EnsureProfileDeclinedOrShuttingDown)
{
    prompt.result = 0;
    EXPECT_TRUE(EnsureProfile());
    EXPECT_FALSE(Manager().HasProfile());
    EXPECT_FALSE(fs::exists(SlotFile(0)));

    prompt.calls.clear();
    app.shutdown = true;
    EXPECT_FALSE(EnsureProfile());
    EXPECT_TRUE(prompt.calls.empty());
}

TEST_F(ProfileManagerTest, StartsOnTheRememberedOrFirstLoadableSlot)
{
    struct Case {
        int remembered; // -2: no value
        std::vector<int> valid, damaged;
        int expected;
    };
    const std::vector<Case> cases = {
        { -2, {}, {}, -1 },
        { -2, { 2, 4 }, { 0 }, 2 },
        { 3, { 1 }, { 3 }, 1 },
        { 4, { 1, 4 }, {}, 4 },
        { -1, { 3 }, {}, 3 },
        { 2, {}, { 0, 1, 2, 3, 4 }, -1 },
        // Slot files beyond the five are no players' (slot 7 is written).
        { 7, { 1, 7 }, {}, 1 },
        { -5, { 2 }, {}, 2 },
    };
    for (const Case& c : cases) {
        fs::remove_all(data / "profiles");
        app.RegistryEraseValue("UserProfile");
        if (c.remembered != -2)
            app.RegistryWriteInteger("UserProfile", c.remembered);
        for (int slot : c.valid)
            WriteSlot(slot, "P" + std::to_string(slot));
        for (int slot : c.damaged)
            DamageSlot(slot);
        EXPECT_EQ(Manager().GetCurrentProfileSlot(), c.expected) << "remembered " << c.remembered;
        if (c.expected >= 0) {
            EXPECT_EQ(GetProfileString("user_name"), "P" + std::to_string(c.expected));
        }
        Drop();
    }
}

TEST_F(ProfileManagerTest, SelectingSavesAndSwitches)
{
    WriteSlot(1, "ONE");
    WriteSlot(2, "TWO");
    DamageSlot(3);
    ASSERT_EQ(Manager().GetCurrentProfileSlot(), 1);
    SetProfileInt("score_total", 77);

    // The current slot is not read again.
    WriteSlot(1, "CHANGED ON DISK");
    EXPECT_TRUE(Manager().SelectSlot(1));
    EXPECT_EQ(GetProfileString("user_name"), "ONE");

    // A damaged slot leaves the current profile in place.
    Profile* before = Manager().profile;
    EXPECT_FALSE(Manager().SelectSlot(3));
    EXPECT_EQ(Manager().profile, before);
    EXPECT_EQ(Manager().GetCurrentProfileSlot(), 1);

    EXPECT_TRUE(Manager().SelectSlot(2));
    EXPECT_EQ(GetProfileString("user_name"), "TWO");
    Profile one;
    ASSERT_TRUE(one.Load(ProfileManager::GetSlotPath(1)));
    EXPECT_EQ(one.GetInt("score_total"), 77);
    EXPECT_EQ(one.GetString("user_name"), "ONE");

    // No slot: the profile stays in memory but nothing is selected.
    EXPECT_TRUE(Manager().SelectSlot(-1));
    EXPECT_FALSE(Manager().HasProfile());
    Drop();
    EXPECT_EQ(RememberedSlot(), -1);
}

TEST_F(ProfileManagerTest, PeekingAtSlotsSelectsAndSavesNothing)
{
    WriteSlot(1, "ONE");
    WriteSlot(2, "TWO");
    DamageSlot(3);
    ASSERT_EQ(Manager().GetCurrentProfileSlot(), 1);
    SetProfileString("user_name", "UNSAVED");
    SetProfileInt("progress_type", 1);
    Profile* current = Manager().profile;
    struct Peek {
        int slot;
        bool found;
        std::string name;
    };
    for (const Peek& p : {Peek{0, false, ""}, Peek{1, true, "UNSAVED"}, Peek{2, true, "TWO"}, Peek{3, false, ""},
                          Peek{4, false, ""}, Peek{-1, false, ""}, Peek{5, false, ""}}) {
        std::string name;
        int32_t type = 0;
        EXPECT_EQ(Manager().PeekSlot(p.slot, &name, &type), p.found) << p.slot;
        EXPECT_EQ(name, p.name) << p.slot;
    }
    std::string name;
    int32_t type = 0;
    ASSERT_TRUE(Manager().PeekSlot(1, &name, &type));
    EXPECT_EQ(type, 1);
    EXPECT_EQ(Manager().GetCurrentProfileSlot(), 1);
    EXPECT_EQ(Manager().profile, current);
    EXPECT_EQ(NameInSlot(1), "ONE");
}

TEST_F(ProfileManagerTest, CreateAndDeleteSlots)
{
    WriteSlot(0, "ZERO");
    ASSERT_EQ(Manager().GetCurrentProfileSlot(), 0);

    // Another slot: written, not selected.
    EXPECT_TRUE(Manager().CreateSlot(2));
    EXPECT_EQ(NameInSlot(2), "PLAYER");
    EXPECT_EQ(Manager().GetCurrentProfileSlot(), 0);
    EXPECT_EQ(GetProfileString("user_name"), "ZERO");

    // The current slot: replaced by a new player, nothing selected.
    EXPECT_TRUE(Manager().CreateSlot(0));
    EXPECT_EQ(Manager().GetCurrentProfileSlot(), -1);
    EXPECT_EQ(Manager().profile, nullptr);
    EXPECT_EQ(NameInSlot(0), "PLAYER");

    EXPECT_TRUE(Manager().SelectSlot(2));
    EXPECT_TRUE(Manager().DeleteSlot(2));
    EXPECT_FALSE(fs::exists(SlotFile(2)));
    EXPECT_FALSE(Manager().HasProfile());
    EXPECT_EQ(GetProfileInt("game_type"), 0);
    EXPECT_TRUE(Manager().DeleteSlot(4)); // no file: fine
}

// With a file where the profiles folder should be, a new player plays on
// with the profile in memory; the folder is noted for the player once in a
// run, however often it fails.
TEST_F(ProfileManagerTest, ANewPlayerWhoseFileCannotBeWrittenPlaysOnUnsaved)
{
    std::ofstream(data / "profiles") << "x";
    testing::internal::CaptureStderr();
    EXPECT_FALSE(Manager().CreateSlot(0));
    EXPECT_EQ(Manager().GetCurrentProfileSlot(), -1);
    prompt.chosenType = 2;
    EXPECT_TRUE(EnsureProfile());
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Profile not saved: cannot write " + SlotFile(0)), std::string::npos) << err;
    EXPECT_EQ(Manager().GetCurrentProfileSlot(), 0);
    EXPECT_EQ(GetProfileString("user_name"), "ANNA");
    EXPECT_EQ(GetProfileInt("progress_type"), 2);
    EXPECT_EQ(GetProfileInt("game_type"), 1);
    SetProfileInt("score_total", 500);
    SaveCurrentProfile();
    EXPECT_EQ(GetProfileInt("score_total"), 500);
    EXPECT_EQ(TakeUnsavedProfilesFolder(), data / "profiles");
    EXPECT_EQ(TakeUnsavedProfilesFolder(), "");

    // Another new player in another slot: the same, not said again.
    EXPECT_TRUE(Manager().StartNewProfile(3, "BEA", 1));
    EXPECT_EQ(Manager().GetCurrentProfileSlot(), 3);
    EXPECT_EQ(GetProfileString("user_name"), "BEA");
    EXPECT_EQ(TakeUnsavedProfilesFolder(), "");
    EXPECT_FALSE(Manager().StartNewProfile(5, "OUT", 1));
    EXPECT_FALSE(fs::is_directory(data / "profiles"));
}

// A slot file that cannot be removed (a folder with something in it stands
// in its place) is said; a missing one is not.
TEST_F(ProfileManagerTest, ASlotThatCannotBeDeletedSaysSo)
{
    fs::create_directories(SlotFile(1) + "/inside");
    testing::internal::CaptureStderr();
    EXPECT_TRUE(Manager().DeleteSlot(1));
    EXPECT_TRUE(Manager().DeleteSlot(3));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.rfind("Profile slot 1 not deleted: cannot remove " + SlotFile(1) + " (", 0), 0u) << err;
    EXPECT_EQ(err.find("slot 3"), std::string::npos) << err;
}

TEST_F(ProfileManagerTest, NewPlayerNeverReplacesAGoodProfile)
{
    WriteSlot(0, "ZERO");
    DamageSlot(1);
    ASSERT_TRUE(Manager().SelectSlot(-1));
    EXPECT_TRUE(EnsureProfile());
    EXPECT_EQ(Manager().GetCurrentProfileSlot(), 1);
    EXPECT_EQ(NameInSlot(0), "ZERO");
    EXPECT_EQ(NameInSlot(1), "ANNA");
    // The damaged bytes are kept beside it, not written over.
    std::ifstream kept(SlotFile(1) + ".bad", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(kept)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, "\xAA\xFF\xAA\xFFjunkjunk");
}

// A damaged slot file is moved aside the first time it fails to load, with
// a line on stderr, and the copy is reported once for the player.
TEST_F(ProfileManagerTest, ADamagedSlotIsKeptAsideAsSoonAsItFailsToLoad)
{
    const auto read = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    };
    struct Case {
        const char* how;
        std::function<void(ProfileManager&)> load;
    };
    const Case cases[] = {
        { "at start", [](ProfileManager&) {} },
        { "selected", [](ProfileManager& m) { m.SelectSlot(0); } },
        { "peeked at", [](ProfileManager& m) { std::string name; int32_t type; m.PeekSlot(0, &name, &type); } },
    };
    for (const Case& c : cases) {
        fs::remove_all(data / "profiles");
        WriteSlot(1, "ONE");
        DamageSlot(0);
        // Slot 0 remembered: the start reads it. Slot 1 remembered: slot 0
        // is read only when asked.
        const bool atStart = std::string(c.how) == "at start";
        app.RegistryWriteInteger("UserProfile", atStart ? 0 : 1);
        testing::internal::CaptureStderr();
        Manager();
        EXPECT_EQ(fs::exists(SlotFile(0)), !atStart) << c.how;
        c.load(Manager());
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(Manager().GetCurrentProfileSlot(), 1) << c.how;
        EXPECT_NE(err.find("Profile slot 0 is damaged; kept as " + SlotFile(0) + ".bad"), std::string::npos)
            << c.how << ": " << err;
        EXPECT_FALSE(fs::exists(SlotFile(0))) << c.how;
        EXPECT_EQ(read(SlotFile(0) + ".bad"), "\xAA\xFF\xAA\xFFjunkjunk") << c.how;
        EXPECT_EQ(TakeDamagedProfileCopies(), std::vector<std::string> { SlotFile(0) + ".bad" }) << c.how;
        EXPECT_TRUE(TakeDamagedProfileCopies().empty()) << c.how;
        // Nothing is left to move aside: the slot now reads as empty, quietly.
        std::string name;
        int32_t type = 0;
        testing::internal::CaptureStderr();
        EXPECT_FALSE(Manager().PeekSlot(0, &name, &type));
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        EXPECT_TRUE(TakeDamagedProfileCopies().empty());
        EXPECT_EQ(GetProfileString("user_name"), "ONE");
        Drop();
    }
}

TEST_F(ProfileManagerTest, OnlyTheNewestDamagedCopiesAreKept)
{
    WriteSlot(0, "ZERO");
    for (int round = 0; round < 5; ++round) {
        DamageSlot(2);
        std::ofstream(SlotFile(2), std::ios::app) << round;
        ASSERT_TRUE(Manager().CreateSlot(2));
        EXPECT_EQ(NameInSlot(2), "PLAYER");
    }
    const auto read = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    };
    EXPECT_EQ(read(SlotFile(2) + ".bad").back(), '4');
    EXPECT_EQ(read(SlotFile(2) + ".bad.1").back(), '3');
    EXPECT_EQ(read(SlotFile(2) + ".bad.2").back(), '2');
    EXPECT_FALSE(fs::exists(SlotFile(2) + ".bad.3"));
    // A good profile is replaced only on the player's word, and not kept.
    ASSERT_TRUE(Manager().CreateSlot(0));
    EXPECT_FALSE(fs::exists(SlotFile(0) + ".bad"));
}

TEST_F(ProfileManagerTest, FreeFunctions)
{
    // Without a profile nothing happens.
    SetProfileInt("score_total", 5);
    SetProfileString("user_name", "X");
    ClearStoredGame();
    ResetCurrentProfileGame();
    SaveCurrentProfile();
    EXPECT_EQ(GetProfileInt("score_total"), 0);
    EXPECT_EQ(GetProfileString("user_name"), "");
    EXPECT_FALSE(fs::exists(data / "profiles"));
    EXPECT_EQ(FormatStoredGameFieldKey(2), "stored_game_field_2");

    WriteSlot(0, "ZERO");
    Drop();
    ASSERT_TRUE(Manager().HasProfile());
    Kivo::Buffer field;
    field.WriteByte(7);
    Profile& p = *Manager().profile;
    for (int type = 1; type <= 3; ++type)
        p.SetBuffer(FormatStoredGameFieldKey(type), &field);
    p.SetBuffer("town_info", &field);
    for (const char* key : { "score_level_bricks", "score_level_bonus", "score_level_combo", "score_level_bonusgame",
                             "score_total" })
        SetProfileInt(key, 9);

    ClearStoredGame();
    for (int type = 1; type <= 3; ++type)
        EXPECT_EQ(p.GetBuffer(FormatStoredGameFieldKey(type))->GetDataLen(), 0);
    EXPECT_EQ(p.GetBuffer("town_info")->GetDataLen(), 1);
    EXPECT_EQ(GetProfileInt("score_level_bonusgame"), 0);
    EXPECT_EQ(GetProfileInt("score_total"), 9);

    SaveCurrentProfile();
    Profile onDisk;
    ASSERT_TRUE(onDisk.Load(ProfileManager::GetSlotPath(0)));
    EXPECT_EQ(onDisk.GetInt("score_total"), 9);

    ResetCurrentProfileGame();
    ASSERT_TRUE(onDisk.Load(ProfileManager::GetSlotPath(0)));
    EXPECT_EQ(onDisk.GetInt("score_total"), 0);
    EXPECT_EQ(onDisk.GetBuffer("town_info")->GetDataLen(), 0);
}

} // namespace
