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
#include "tests/playthrough/Playthrough.h"

#include <cstdlib>
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

} // namespace
