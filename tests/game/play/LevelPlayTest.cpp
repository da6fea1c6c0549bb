// The real game screen with the real game play of each mode, on the data
// set's first level, played to a win by a player who follows the solver's
// moves through the board widget's mouse input.
#include "framework/core/PakInterface.h"
#include "framework/core/Random.h"
#include "game/match/BrickHelper.h"
#include "game/match/Grid.h"
#include "game/match/ISolver.h"
#include "game/play/BonusPanel.h"
#include "game/play/GamePlayBase.h"
#include "tests/game/play/LevelPlayer.h"
#include "tests/game/play/PlayTestSupport.h"
#include "tests/support/TickFrames.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace playtest {
namespace {

class LevelPlayTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override
    {
        const std::string folder = DataFolder();
        if (folder.empty() || !std::filesystem::exists(folder + "/main.pak"))
            GTEST_SKIP() << "no data set at " << folder;
        previousPaks = SetActivePakInterface(&paks);
        ASSERT_TRUE(paks.AddPakFile(folder + "/main.pak"));
        ForgetLevelFileCount();
        delete BrickHelper::Existing();
        GamePlayBase::ResetSharedState();
        Kivo::SeedRandomInt(1234 + static_cast<uint32_t>(GetParam()));
        profile = std::make_unique<testsupport::CurrentProfile>();
        manager = profile->manager;
        SetProfileInt("game_type", GetParam());
        SetProfileInt("progress_type", 2);
        SetProfileInt("score_total", 100);
    }
    void TearDown() override
    {
        if (!manager)
            return;
        if (screen) {
            for (int i = 0; i < 300 && app.mManager.GetChildren().size() > 1; ++i)
                app.Step();
            app.mManager.RemoveWidget(screen);
            delete screen;
        }
        profile.reset();
        delete BrickHelper::Existing();
        ForgetLevelFileCount();
        SetActivePakInterface(previousPaks);
    }

    GamePlayBase* Play() { return dynamic_cast<GamePlayBase*>(screen->mGamePlay); }

    testsupport::TickFrames frames;
    FakeApp app;
    PakInterface paks;
    PakInterfaceBase* previousPaks = nullptr;
    std::unique_ptr<testsupport::CurrentProfile> profile;
    ProfileManager* manager = nullptr;
    Log log;
    RecordingStates states{&log};
    GameScreen* screen = nullptr;
};

TEST_P(LevelPlayTest, AWholeLevelIsWonThroughTheBoard)
{
    auto* services = new RecordingServices(&log);
    services->mCompletedResult = 0; // carry on to the next level
    screen = new GameScreen(&states, services);
    app.mManager.AddWidget(screen);
    screen->OnEnter();
    ASSERT_TRUE(Play());
    EXPECT_EQ(Play()->GetGameType(), GetParam());

    LevelPlayer player(screen, &app.mManager);
    int moves = 0, ticks = 0;
    while (screen->mState == GameScreen::kPlay && ticks < 300000 && moves < 2000) {
        app.Step();
        ++ticks;
        moves += player.Step() ? 1 : 0;
    }
    ASSERT_NE(screen->mState, GameScreen::kPlay) << "no win after " << moves << " moves, " << ticks << " ticks";
    EXPECT_GT(moves, 0);
    RecordProperty("moves", moves);
    RecordProperty("ticks", ticks);
    // The closing sequence: the last effects end, then the window.
    int bricks = 0, bonus = 0, combo = 0;
    auto windowShown = [&] {
        bricks = GetProfileInt("score_level_bricks");
        bonus = GetProfileInt("score_level_bonus");
        combo = GetProfileInt("score_level_combo");
        return std::any_of(log.begin(), log.end(), [](const std::string& e) { return e.rfind("window completed1", 0) == 0; });
    };
    for (int i = 0; i < 3000 && !windowShown(); ++i)
        app.Step();
    ASSERT_TRUE(windowShown());
    EXPECT_EQ(screen->mState, GameScreen::kLevelWon);
    // The window was shown the level's figures; they are in the total now.
    const std::string shown = *std::find_if(log.begin(), log.end(), [](const std::string& e) {
        return e.rfind("window completed1", 0) == 0;
    });
    int wb = 0, wo = 0, wc = 0;
    ASSERT_EQ(std::sscanf(shown.c_str(), "window completed1 %d %d %d", &wb, &wo, &wc), 3);
    EXPECT_GT(wb, 0);
    EXPECT_EQ(bricks + bonus + combo, 0);
    EXPECT_EQ(GetProfileInt("score_total"), 100 + wb + wo + wc);
    EXPECT_EQ(GetProfileInt("game_current_level"), 1);
    for (int i = 0; i < 300 && !Has(log, "find UpgradeScreen"); ++i)
        app.Step();
    EXPECT_TRUE(Has(log, "find UpgradeScreen"));
    // Leaving stored the next level's fresh board, once.
    EXPECT_FALSE(screen->mGamePlay);
    EXPECT_EQ(GetProfileInt("game_current_level"), 1);
    EXPECT_EQ(GetProfileInt("score_total"), 100 + wb + wo + wc);
    Kivo::Buffer* stored = manager->profile->GetBuffer(FormatStoredGameFieldKey(GetParam()));
    ASSERT_TRUE(stored);
    EXPECT_GT(stored->GetDataLen(), 2000);
}

INSTANTIATE_TEST_SUITE_P(EveryMode, LevelPlayTest, ::testing::Values(1, 2, 3),
                         [](const auto& info) { return std::string(info.param == 1 ? "Swap" : info.param == 2 ? "Group" : "Chain"); });

} // namespace
} // namespace playtest
