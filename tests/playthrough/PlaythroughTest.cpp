// The whole game played as a player would, on the generated data set, in
// 3D and in 2D: from the title to a new player, level 1 won by following the
// solver's moves, the upgrade screen, the other two modes, the windows, the
// town, the options and the quit from the menu. With KIVO_PLAYTHROUGH_SHOTS
// naming a folder, each screen and window is saved there as a PNG.
//
// The recorded run replays tests/playthrough/data/run.dmo, the same path
// kept by the game's demo recording with checkpoints of the game's state,
// and fails at the first checkpoint that differs. When the game changes on
// purpose, record it anew:
//   KIVO_PLAYTHROUGH_RECORD=1 build/test/tests/playthrough/test_playthrough --gtest_filter='RecordedRun.*'
// It needs a fresh process, so it stays the first test of this file.
#include "tests/playthrough/Playthrough.h"

#include "game/meta/BuildingPanel.h"
#include "game/meta/Town.h"
#include "game/meta/UpgradeScreen.h"
#include "game/ui/ButtonTownUpgrade.h"
#include "game/ui/UpgradePanel.h"

#include <cstdlib>
#include <limits>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

using playthrough::Driver;
using playthrough::Options;

const std::string kRecordedRun = std::string(KIVO_SOURCE_DIR) + "/tests/playthrough/data/run.dmo";

Options WithShots(Options o)
{
    if (const char* folder = std::getenv("KIVO_PLAYTHROUGH_SHOTS"))
        o.shots = folder;
    return o;
}

// The path, with the screen and the profile checked at each step.
void PlayThePath(Driver& p)
{
    gametest::TestGameApp* app = p.app;
    p.Start();
    ASSERT_TRUE(p.TitleToMenu()) << p.failure;
    EXPECT_FALSE(ProfileManager::Instance()->HasProfile());

    // Play without a player: the new-profile window takes the typed name.
    ASSERT_TRUE(p.MenuToGame()) << p.failure;
    EXPECT_TRUE(p.windowsSeen.count(WINDOW_ID_NEW_PROFILE));
    ASSERT_TRUE(ProfileManager::Instance()->HasProfile());
    EXPECT_EQ(GetProfileString("user_name"), "ANNA");
    const int firstLevel = GetProfileInt("game_current_level");
    const int startTotal = GetProfileInt("score_total");
    const int type = GetProfileInt("game_type");
    EXPECT_GE(type, 1);
    EXPECT_LE(type, 3);

    // Level 1 up to the level-completed window and the upgrade screen.
    ASSERT_TRUE(p.PlayLevel()) << p.failure;
    EXPECT_TRUE(p.windowsSeen.count(WINDOW_ID_LEVEL_COMPLETED1) || p.windowsSeen.count(WINDOW_ID_LEVEL_COMPLETED2));
    EXPECT_EQ(GetProfileInt("game_current_level"), firstLevel + 1);
    const int funds = GetProfileInt("score_total");
    EXPECT_GT(funds, startTotal);

    ASSERT_TRUE(p.UpgradeAndBack()) << p.failure;
    EXPECT_LE(GetProfileInt("score_total"), funds);
    EXPECT_EQ(GetProfileInt("game_current_level"), firstLevel + 1);

    // Help (F1) and pause (Escape), each opened and closed.
    ASSERT_TRUE(p.OpenWindowByKey(VK_F1, WINDOW_ID_HELP)) << p.failure;
    ASSERT_TRUE(p.OpenWindowByKey(VK_ESCAPE, WINDOW_ID_PAUSE)) << p.failure;
    EXPECT_TRUE(p.TopIs("GameScreen"));

    // The other two modes, then how to play the last one.
    for (int other = 1; other <= 3; ++other)
        if (other != type) {
            ASSERT_TRUE(p.SwitchMode(other)) << p.failure;
            EXPECT_EQ(GetProfileInt("game_current_level"), firstLevel + 1);
        }
    ASSERT_TRUE(p.HowToPlay()) << p.failure;

    ASSERT_TRUE(p.Town()) << p.failure;
    EXPECT_TRUE(p.TopIs("GameScreen"));

    ASSERT_TRUE(p.PauseToMenuAndOptions()) << p.failure;
    EXPECT_TRUE(p.TopIs("MenuScreen"));
    EXPECT_EQ(GetProfileString("user_name"), "ANNA");
    EXPECT_EQ(GetProfileInt("game_current_level"), firstLevel + 1);
    EXPECT_NE(GetProfileInt("game_type"), type);
    ASSERT_TRUE(p.Quit()) << p.failure;
    EXPECT_TRUE(app->shutdown);
    EXPECT_EQ(app->framesUsingGenerator, 0);
}

class Playthrough : public testing::TestWithParam<bool> {};

TEST_P(Playthrough, FromTheTitleThroughALevelEveryModeAndWindowToTheQuit)
{
    Options o = WithShots({});
    o.is3D = GetParam();
    Driver p(o);
    PlayThePath(p);
    EXPECT_EQ(p.app->Is3DAccelerated(), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Display, Playthrough, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "3D" : "2D"; });

// The recorded run: replayed through the game's demo playback, it passes
// every checkpoint of the recording and ends where the recording ended.
TEST(RecordedRun, ReplaysInStepToTheSameProfileAndField)
{
    if (std::getenv("KIVO_PLAYTHROUGH_RECORD")) {
        std::filesystem::create_directories(std::filesystem::path(kRecordedRun).parent_path());
        Options o;
        o.is3D = false;
        o.recordTo = kRecordedRun;
        {
            Driver p(o);
            PlayThePath(p);
            ASSERT_FALSE(p.app->demoMarkers.empty());
        }
        ASSERT_TRUE(std::filesystem::exists(kRecordedRun));
        // The replay needs a fresh process: what one application leaves in
        // the process (its singletons, the generators) is not the start of
        // the next.
        GTEST_SKIP() << "recorded " << kRecordedRun << "; run again without KIVO_PLAYTHROUGH_RECORD to replay it";
    }
    Options o;
    o.is3D = false;
    o.drawEvery = 32;
    o.replayFrom = kRecordedRun;
    Driver p(o);
    try {
        p.Start();
    } catch (const gametest::ExitCalled& exit) {
        std::string shown;
        for (const auto& box : p.run.backend->boxes.TakeShown())
            shown += " '" + box.text + "'";
        FAIL() << "the recorded run did not load: exit " << exit.code << shown;
    }
    ASSERT_FALSE(p.app->shutdown) << "the recorded run did not load";
    ASSERT_FALSE(p.app->demoMarkers.empty());
    EXPECT_TRUE(p.Replay()) << p.failure;
    EXPECT_EQ(p.checked, p.expected.size());
    EXPECT_TRUE(p.app->shutdown) << "the replayed quit did not end the game";
    EXPECT_EQ(GetProfileString("user_name"), "ANNA");
}

// A level won, its bonus game taken and won: on the upgrade screen after it
// the pointer over a building's button brings up the building's panel, as
// after a level without the bonus game.
TEST(BonusGamePlaythrough, TheUpgradeScreenAfterTheBonusGameTellsAboutTheBuildings)
{
    Options o = WithShots({});
    o.is3D = false;
    Driver p(o);
    p.takeBonusGame = true;
    p.humanClicks = true;
    p.Start();
    ASSERT_TRUE(p.TitleToMenu()) << p.failure;
    ASSERT_TRUE(p.MenuToGame()) << p.failure;
    ASSERT_TRUE(p.PlayLevel()) << p.failure;
    ASSERT_TRUE(p.windowsSeen.count(WINDOW_ID_LEVEL_COMPLETED2)) << "the bonus game was not played";

    auto* upgrade = dynamic_cast<UpgradeScreen*>(p.Screen("UpgradeScreen"));
    ASSERT_NE(upgrade, nullptr);
    p.Wait(3);
    BuildingPanel* panel = upgrade->mBuildingPanel;
    EXPECT_EQ(panel->mAlpha.mCurrent, 0.0f);
    for (int slot = 0; slot < 2; ++slot) {
        Kivo::Widget* button = upgrade->mUpgradePanel->mBuyButtons[slot];
        const Kivo::Point at = button->GetAbsPos();
        p.Move(at.mX + button->mWidth / 2, at.mY + button->mHeight / 2);
        p.Wait(1.5);
        EXPECT_EQ(panel->mAlpha.mCurrent, 1.0f) << "slot " << slot;
        EXPECT_EQ(panel->mBuilding, Town::GetCurrentStage() * Town::kBuildingsPerStage + slot);
        EXPECT_NE(panel->mItem, nullptr) << "slot " << slot;
        if (slot == 0)
            p.Shot("upgrade_after_bonus_hover");
    }
    p.Move(400, 200);
    p.Wait(1.5);
    EXPECT_EQ(panel->mAlpha.mCurrent, 0.0f);
}

// Stored values no version of the game writes: a player's profile (slot 0)
// or the settings holding one out of range. Each start still reaches a
// board that takes moves, the value read as its default, and nothing is
// read out of bounds on the way (the sanitizers watch).
TEST(StoredValuesOutOfRange, EachStartsAPlayableGameWithTheDefault)
{
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    struct Case {
        const char* key;
        int32_t value;
        bool inRegistry;
        int32_t expected; // the profile's value once the game is on, or -1
    };
    const Case cases[] = {
        { "game_type", -1, false, 1 },
        { "game_type", kMax, false, 1 },
        { "game_current_level", -5, false, 0 },
        { "game_current_level", kMax, false, 0 },
        { "game_chipset", -3, false, -1 },
        { "game_chipset", kMax, false, -1 },
        { "progress_type", 0, false, 2 },
        { "progress_type", kMin, false, 2 },
        { "language_id", kMax, true, -1 },
        { "language_id", -7, true, -1 },
        { "UserProfile", 7, true, -1 },
        { "UserProfile", kMin, true, -1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " " + std::to_string(c.value));
        Options o;
        o.is3D = false;
        Driver p(o);
        Profile stored;
        stored.SetString("user_name", "ANNA");
        if (!c.inRegistry)
            stored.SetInt(c.key, c.value);
        const std::string profiles = p.run.dir.Path() + "/Olvane Studio/Marrowfen/profiles";
        std::filesystem::create_directories(profiles);
        ASSERT_TRUE(stored.Save(profiles + "/slot0.profile"));
        if (c.inRegistry)
            p.app->RegistryWriteInteger(c.key, c.value);
        p.Start();
        ASSERT_TRUE(p.TitleToMenu()) << p.failure;
        ASSERT_TRUE(p.MenuToGame()) << p.failure;
        EXPECT_EQ(ProfileManager::Instance()->GetCurrentProfileSlot(), 0);
        EXPECT_EQ(GetProfileString("user_name"), "ANNA");
        if (c.expected >= 0) {
            EXPECT_EQ(GetProfileInt(c.key), c.expected);
        }
        EXPECT_EQ(p.Play()->GetGameType(), GetProfileInt("game_type"));
    }
}

} // namespace
