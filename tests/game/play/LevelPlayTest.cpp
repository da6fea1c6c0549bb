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
#include "tests/game/play/PlayTestSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace playtest {
namespace {

struct Cell {
    int x, y;
};

// The data set built beside the test programs.
std::string DataFolder()
{
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : (exe.parent_path() / "../../../data").lexically_normal().string();
}

// The cells of each move the solver counted, by move number.
std::vector<std::vector<Cell>> Moves(const GamePlayBase& play)
{
    std::vector<std::vector<Cell>> moves(static_cast<size_t>(play.GetMoveCount()) + 1);
    const ISolver* solver = play.GetSolver();
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            const size_t k = solver->GetMark(x, y);
            if (k > 0 && k < moves.size())
                moves[k].push_back({x, y});
        }
    return moves;
}

// The longest run of the move's cells, each a neighbour of the one before.
std::vector<Cell> ChainPath(const std::vector<Cell>& cells)
{
    std::vector<Cell> best, path;
    std::vector<char> used(cells.size(), 0);
    int budget = 2000;
    auto walk = [&](auto&& self, size_t i) -> void {
        if (--budget < 0)
            return;
        used[i] = 1;
        path.push_back(cells[i]);
        if (path.size() > best.size())
            best = path;
        for (size_t j = 0; j < cells.size(); ++j)
            if (!used[j] && std::abs(cells[i].x - cells[j].x) + std::abs(cells[i].y - cells[j].y) == 1)
                self(self, j);
        path.pop_back();
        used[i] = 0;
    };
    for (size_t i = 0; i < cells.size() && best.size() < cells.size(); ++i)
        walk(walk, i);
    return best;
}

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
        Kivo::SetAppDataFolder(profileFolder.Path() + "/");
        manager = new ProfileManager();
        manager->profile = new Profile();
        manager->slotIndex = 0;
        std::filesystem::create_directories(profileFolder / "profiles");
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
        manager->slotIndex = -1;
        delete manager;
        delete BrickHelper::Existing();
        Kivo::SetAppDataFolder("");
        ForgetLevelFileCount();
        SetActivePakInterface(previousPaks);
    }

    static int ScreenX(int x) { return static_cast<int>(Grid::Instance()->CellToScreenX(x)); }
    static int ScreenY(int y) { return static_cast<int>(Grid::Instance()->CellToScreenY(y)); }
    void MoveTo(const Cell& c) { app.mManager.MouseMove(ScreenX(c.x), ScreenY(c.y)); }
    void Click(const Cell& c)
    {
        MoveTo(c);
        app.mManager.MouseDown(ScreenX(c.x), ScreenY(c.y), 1);
        app.mManager.MouseUp(ScreenX(c.x), ScreenY(c.y), 1);
    }
    GamePlayBase* Play() { return dynamic_cast<GamePlayBase*>(screen->mGamePlay); }

    // One move of a player who follows the solver: a full bonus first,
    // else the move that touches most breakable cells.
    bool MakeMove()
    {
        GamePlayBase& play = *Play();
        for (int slot = 0; slot < BonusPanel::kSlots; ++slot) {
            if (screen->mBonusPanel->GetSlotProgress(slot) < 1.0f)
                continue;
            screen->ButtonDepress(BonusPanel::kFirstSlotId + slot);
            if (slot == 1 || slot == 4)
                return true;
            for (int i = 0; i < 100; ++i)
                if (play.IsSelectableBrick(i % 10, i / 10) && play.IsBreakableCell(i % 10, i / 10)) {
                    Click({i % 10, i / 10});
                    return true;
                }
            for (int i = 0; i < 100; ++i)
                if (play.IsSelectableBrick(i % 10, i / 10)) {
                    Click({i % 10, i / 10});
                    return true;
                }
        }
        const auto moves = Moves(play);
        size_t pick = 0;
        int pickScore = -1;
        for (size_t k = 1; k < moves.size(); ++k) {
            int breakable = 0;
            for (const Cell& c : moves[k])
                breakable += play.IsBreakableCell(c.x, c.y) ? 1 : 0;
            const int score = breakable * 100 + static_cast<int>(moves[k].size());
            if (!moves[k].empty() && score > pickScore) {
                pickScore = score;
                pick = k;
            }
        }
        if (pick == 0)
            return false;
        const std::vector<Cell>& cells = moves[pick];
        if (GetParam() == 2) {
            Click(cells.front());
        } else if (GetParam() == 3) {
            const std::vector<Cell> path = ChainPath(cells);
            if (path.size() < 3)
                return false;
            Click(path.front());
            for (size_t i = 1; i + 1 < path.size(); ++i)
                MoveTo(path[i]);
            Click(path.back());
        } else {
            if (cells.size() < 2)
                return false;
            Click(cells[0]);
            Click(cells[1]);
        }
        return true;
    }

    FakeApp app;
    PakInterface paks;
    PakInterfaceBase* previousPaks = nullptr;
    testsupport::TempDir profileFolder;
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

    int moves = 0, quiet = 0, ticks = 0;
    while (screen->mState == GameScreen::kPlay && ticks < 300000 && moves < 2000) {
        app.Step();
        ++ticks;
        const bool settled = Play()->IsSettled() && !Play()->HasBoardEffects() && screen->mBoard->IsIdle() &&
                             !screen->mBoard->IsRotating() && !Play()->IsLocked() && Play()->IsActive();
        quiet = settled ? quiet + 1 : 0;
        if (quiet < 25)
            continue;
        quiet = 0;
        if (MakeMove())
            ++moves;
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
