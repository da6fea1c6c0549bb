// The menu's play flow, its profiles button and the celebration's rockets.
#include "game/meta/MenuScreen.h"

#include "framework/app/KivoAppBase.h"
#include "framework/core/Paths.h"
#include "framework/core/Random.h"
#include "framework/widgets/WidgetManager.h"
#include "game/meta/Town.h"
#include "game/profiles/ProfileManager.h"
#include "platform/Backend.h"
#include "platform/win32/Registry.h"
#include "tests/support/TempDir.h"

#include <deque>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// The menu with its windows answered from a script.
class ScriptedMenu : public MenuScreen {
public:
    bool DoEnsureProfile() override
    {
        calls.push_back("ensure");
        if (createProfile)
            ProfileManager::Instance()->StartNewProfile(0, "ANNA", 2);
        return true;
    }
    int ShowConfirm(const std::string&) override { return Answer("confirm"); }
    int ShowConfirm2(const std::string&) override { return Answer("confirm2"); }
    void ShowMessage(const std::string& text) override { calls.push_back("message:" + text); }
    int ShowProfilesWindow() override
    {
        calls.push_back("profiles");
        if (switchTo >= 0)
            ProfileManager::Instance()->SelectSlot(switchTo);
        return profilesResult;
    }
    void ShowDelay(int updates) override { calls.push_back("delay:" + std::to_string(updates)); }
    void AddFirework(const FireworkPlan&) override { ++rockets; }
    void AddProfileSwitchEffect() override { calls.push_back("switch"); }

    int Answer(const char* window)
    {
        calls.push_back(window);
        const int a = answers.empty() ? 0 : answers.front();
        if (!answers.empty())
            answers.pop_front();
        return a;
    }

    std::vector<std::string> calls;
    std::deque<int> answers;
    bool createProfile = false;
    int switchTo = -1;
    int profilesResult = 0;
    int rockets = 0;
};

class MenuScreenTest : public ::testing::Test {
protected:
    MenuScreenTest()
    {
        platform::UseBackend("headless");
        platform::UseMemoryRegistry(true);
        app.registryKey = "Olvane Studio\\Marrowfen";
        app.SetString("window_newprofile_havenopermission", L"no player");
        Kivo::SetAppDataFolder(data.Path() + "/");
        menu = new ScriptedMenu();
    }
    ~MenuScreenTest() override
    {
        delete menu;
        delete ProfileManager::Existing();
        app.ProcessSafeDeleteList();
        app.widgetManager->RemoveAllWidgets(true);
        Kivo::SetAppDataFolder("");
    }
    void SelectPlayer(int slot)
    {
        ASSERT_TRUE(ProfileManager::Instance()->CreateSlot(slot));
        ASSERT_TRUE(ProfileManager::Instance()->SelectSlot(slot));
    }
    void CompleteTown()
    {
        for (int i = 0; i < Town::kBuildingCount; ++i)
            Town::SetBought(i);
        ASSERT_TRUE(Town::IsComplete());
    }

    Kivo::KivoAppBase app;
    testsupport::TempDir data;
    ScriptedMenu* menu = nullptr;
};

TEST_F(MenuScreenTest, WithoutAPlayerPlayExplainsAndStays)
{
    menu->Play();
    EXPECT_EQ(menu->calls, (std::vector<std::string> { "ensure", "message:no player" }));
    EXPECT_FALSE(menu->mClosing);
}

TEST_F(MenuScreenTest, APlayerMidGameGoesStraightToTheGame)
{
    menu->createProfile = true;
    menu->Play();
    EXPECT_EQ(menu->calls, (std::vector<std::string> { "ensure" }));
    EXPECT_TRUE(menu->mClosing);
    EXPECT_EQ(menu->rockets, 0);
}

// A new player whose file cannot be written (a file stands where the data
// folder should be) is told where, once, and plays on.
TEST_F(MenuScreenTest, ANewPlayerWhoseFileCannotBeWrittenIsToldOnceAndPlaysOn)
{
    app.SetString("message_profile_not_saved", L"not kept in %s, sorry");
    data.Write("data", "x");
    Kivo::SetAppDataFolder(data.Path() + "/data/");
    menu->createProfile = true;
    testing::internal::CaptureStderr();
    menu->Play();
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(menu->calls,
              (std::vector<std::string> { "ensure", "message:not kept in " + data.Path() + "/data/profiles, sorry" }));
    EXPECT_TRUE(menu->mClosing);
    EXPECT_EQ(GetProfileString("user_name"), "ANNA");
    menu->calls.clear();
    app.widgetManager->AddWidget(menu);
    app.widgetManager->SetFocus(menu);
    menu->Update();
    EXPECT_TRUE(menu->calls.empty());
    app.widgetManager->RemoveWidget(menu);
}

// A finished town celebrates and asks twice; only yes twice starts over.
TEST_F(MenuScreenTest, AFinishedTownStartsOverOnlyAfterTwoYes)
{
    struct Case {
        std::deque<int> answers;
        std::vector<std::string> calls;
        bool reset;
    };
    const Case cases[] = {
        { { 0 }, { "ensure", "confirm" }, false },
        { { 1, 0 }, { "ensure", "confirm", "delay:15", "confirm2" }, false },
        { { 1, 2 }, { "ensure", "confirm", "delay:15", "confirm2" }, false },
        { { 1, 1 }, { "ensure", "confirm", "delay:15", "confirm2" }, true },
    };
    int slot = 0;
    for (const Case& c : cases) {
        SelectPlayer(slot++);
        CompleteTown();
        delete menu;
        menu = new ScriptedMenu();
        menu->answers = c.answers;
        menu->Play();
        EXPECT_EQ(menu->calls, c.calls);
        EXPECT_GE(menu->rockets, 10);
        EXPECT_LE(menu->rockets, 15);
        EXPECT_EQ(Town::IsComplete(), !c.reset);
        EXPECT_EQ(menu->mClosing, c.reset);
    }
}

TEST_F(MenuScreenTest, TheSwitchBurstFollowsAConfirmedWindowOrAChangedSlot)
{
    SelectPlayer(1);
    SelectPlayer(0);
    struct Case {
        int result;
        int switchTo;
        bool burst;
    };
    for (const Case& c : { Case { 0, -1, false }, Case { 1, -1, true }, Case { 2, 1, true }, Case { 0, 0, true } }) {
        menu->calls.clear();
        menu->profilesResult = c.result;
        menu->switchTo = c.switchTo;
        menu->ShowProfiles();
        const bool burst = !menu->calls.empty() && menu->calls.back() == "switch";
        EXPECT_EQ(burst, c.burst) << c.result << " " << c.switchTo;
    }
}

// A player's file found damaged is said once, when the menu has the focus.
TEST_F(MenuScreenTest, ADamagedPlayerFileIsSaidOnce)
{
    app.SetString("message_profile_damaged", L"kept aside");
    std::filesystem::create_directories(data.Path() + "/profiles");
    std::ofstream(ProfileManager::GetSlotPath(2), std::ios::binary) << "damaged";
    app.widgetManager->AddWidget(menu);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(ProfileManager::Instance()->SelectSlot(2));
    testing::internal::GetCapturedStderr();
    menu->Update();
    EXPECT_TRUE(menu->calls.empty());
    app.widgetManager->SetFocus(menu);
    for (int i = 0; i < 3; ++i)
        menu->Update();
    EXPECT_EQ(menu->calls, (std::vector<std::string> { "message:kept aside" }));
    app.widgetManager->RemoveWidget(menu);
}

TEST(Fireworks, TenToFifteenRocketsAtMostOneOfTheBigBurst)
{
    for (uint32_t seed = 1; seed <= 200; ++seed) {
        Kivo::SeedRandomInt(seed);
        const std::vector<FireworkPlan> plan = PlanFireworks();
        ASSERT_GE(plan.size(), 10u);
        ASSERT_LE(plan.size(), 15u);
        int big = 0;
        float last = 0.5f;
        for (const FireworkPlan& rocket : plan) {
            big += rocket.mVariant == 2;
            EXPECT_GE(rocket.mVariant, 0);
            EXPECT_GE(rocket.mDelay - last, 0.2f - 1e-5f);
            EXPECT_LE(rocket.mDelay - last, 0.6f + 1e-5f);
            last = rocket.mDelay;
        }
        EXPECT_LE(big, 1) << seed;
    }
}

} // namespace
