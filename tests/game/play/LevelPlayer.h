#pragma once
// A player for tests and benchmarks: on a still board it follows the
// solver's moves through the board widget's mouse input (a full bonus slot
// first, else the move that touches most breakable cells).
#include "framework/widgets/WidgetManager.h"
#include "game/match/Grid.h"
#include "game/match/ISolver.h"
#include "game/match/BoardRender.h"
#include "game/play/BonusPanel.h"
#include "game/play/GamePlayBase.h"
#include "game/play/GameScreen.h"

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace playtest {

// The data set built beside the test and benchmark programs.
inline std::string DataFolder()
{
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return std::string();
    for (auto dir = exe.parent_path(); !dir.empty() && dir != dir.parent_path(); dir = dir.parent_path())
        if (std::filesystem::exists(dir / "data/main.pak"))
            return (dir / "data").string();
    return std::string();
}

class LevelPlayer {
public:
    struct Cell {
        int x, y;
    };

    // How the player's hand reaches the game: by default straight into the
    // widget manager and the screen's buttons; a driver of the whole
    // application sends the same moves as window events instead.
    struct Hand {
        std::function<void(int x, int y)> move, click;
        std::function<void(int slot)> pressSlot;
    };

    LevelPlayer(GameScreen* screen, Kivo::WidgetManager* manager, Hand hand = {})
        : mScreen(screen), mManager(manager), mHand(std::move(hand))
    {
    }

    GamePlayBase* Play() const { return dynamic_cast<GamePlayBase*>(mScreen->mGamePlay); }

    // Call once per update; makes a move after the board has been still for
    // a moment. True when it moved.
    bool Step()
    {
        GamePlayBase* play = Play();
        const bool still = play && mScreen->mState == GameScreen::kPlay && play->IsSettled() &&
                           !play->HasBoardEffects() && mScreen->mBoard->IsIdle() && !mScreen->mBoard->IsRotating() &&
                           !play->IsLocked() && play->IsActive();
        mQuiet = still ? mQuiet + 1 : 0;
        if (mQuiet < 25)
            return false;
        mQuiet = 0;
        return MakeMove(*play);
    }

    static std::vector<std::vector<Cell>> Moves(const GamePlayBase& play)
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
    static std::vector<Cell> ChainPath(const std::vector<Cell>& cells)
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

private:
    static int ScreenX(int x) { return static_cast<int>(Grid::Instance()->CellToScreenX(x)); }
    static int ScreenY(int y) { return static_cast<int>(Grid::Instance()->CellToScreenY(y)); }
    void MoveTo(const Cell& c)
    {
        if (mHand.move)
            mHand.move(ScreenX(c.x), ScreenY(c.y));
        else
            mManager->MouseMove(ScreenX(c.x), ScreenY(c.y));
    }
    void Click(const Cell& c)
    {
        if (mHand.click)
            return mHand.click(ScreenX(c.x), ScreenY(c.y));
        MoveTo(c);
        mManager->MouseDown(ScreenX(c.x), ScreenY(c.y), 1);
        mManager->MouseUp(ScreenX(c.x), ScreenY(c.y), 1);
    }

    bool MakeMove(GamePlayBase& play)
    {
        for (int slot = 0; slot < BonusPanel::kSlots; ++slot) {
            if (mScreen->mBonusPanel->GetSlotProgress(slot) < 1.0f)
                continue;
            if (mHand.pressSlot)
                mHand.pressSlot(slot);
            else
                mScreen->ButtonDepress(BonusPanel::kFirstSlotId + slot);
            if (slot == 1 || slot == 4)
                return true;
            for (int pass = 0; pass < 2; ++pass)
                for (int i = 0; i < 100; ++i)
                    if (play.IsSelectableBrick(i % 10, i / 10) && (pass == 1 || play.IsBreakableCell(i % 10, i / 10))) {
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
        switch (play.GetGameType()) {
        case 2:
            Click(cells.front());
            return true;
        case 3: {
            const std::vector<Cell> path = ChainPath(cells);
            if (path.size() < 3)
                return false;
            Click(path.front());
            for (size_t i = 1; i + 1 < path.size(); ++i)
                MoveTo(path[i]);
            Click(path.back());
            return true;
        }
        default:
            if (cells.size() < 2)
                return false;
            Click(cells[0]);
            Click(cells[1]);
            return true;
        }
    }

    GameScreen* mScreen;
    Kivo::WidgetManager* mManager;
    Hand mHand;
    int mQuiet = 0;
};

} // namespace playtest
