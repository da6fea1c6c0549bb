#include "tools/match3sim/Sim.h"
#include "framework/app/TimeHooks.h"

#include "framework/core/PakInterface.h"
#include "framework/core/Paths.h"
#include "framework/core/Random.h"
#include "framework/core/Strings.h"
#include "game/match/BrickBase.h"
#include "game/match/BrickHelper.h"
#include "game/match/CellBase.h"
#include "game/match/ISolver.h"
#include "game/match/LevelFile.h"
#include "game/match/LevelMap.h"
#include "game/play/GamePlayBase.h"
#include "game/play/GamePlayPanels.h"
#include "game/profiles/ProfileManager.h"
#include "game/ui/Callback.h"

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <unistd.h>

namespace match3sim {
namespace {

// An in-memory profile in an empty folder of its own, so that no player's
// profile is read or written.
class ScratchProfile {
public:
    ScratchProfile()
    {
        char pattern[] = "/tmp/match3sim.XXXXXX";
        if (const char* dir = mkdtemp(pattern))
            mFolder = dir;
        mPreviousFolder = Kivo::GetAppDataFolder();
        Kivo::SetAppDataFolder(mFolder + "/");
        delete ProfileManager::Existing();
        mManager = ProfileManager::Instance();
        delete mManager->profile;
        mManager->profile = new Profile();
        mManager->slotIndex = -1;
    }
    ~ScratchProfile()
    {
        delete mManager;
        Kivo::SetAppDataFolder(mPreviousFolder);
        std::error_code ignored;
        if (!mFolder.empty())
            std::filesystem::remove_all(mFolder, ignored);
    }

private:
    std::string mFolder;
    std::string mPreviousFolder;
    ProfileManager* mManager;
};

// As the game screen does, the level's end stops play.
class LevelDone {
public:
    void Done()
    {
        mDone = true;
        if (mPlay)
            mPlay->SetActive(false);
    }
    IGamePlay* mPlay = nullptr;
    bool mDone = false;
};

struct Cell {
    int x, y;
};

uint32_t Checksum(const GamePlayBase& play)
{
    uint32_t h = 2166136261u;
    auto mix = [&h](uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            h ^= (v >> (8 * i)) & 0xFF;
            h *= 16777619u;
        }
    };
    int w = play.GetWidth();
    for (int y = 0; y < w; ++y)
        for (int x = 0; x < w; ++x) {
            mix(static_cast<uint32_t>(play.GetBrickCode(x, y)));
            mix(static_cast<uint32_t>(play.GetCellKind(x, y)));
            mix(play.GetBrickFlags(x, y));
            mix(play.GetCellFlags(x, y));
        }
    return h;
}

std::vector<std::string> BoardText(GamePlayBase& play)
{
    LevelMap map(0, 0);
    play.StoreLevelMap(map);
    return LevelMapRows(map);
}

// The cells of each move the solver counted, by move number.
std::vector<std::vector<Cell>> Moves(const GamePlayBase& play)
{
    std::vector<std::vector<Cell>> moves(static_cast<size_t>(play.GetMoveCount()) + 1);
    const ISolver* solver = play.GetSolver();
    int w = play.GetWidth();
    for (int y = 0; y < w; ++y)
        for (int x = 0; x < w; ++x) {
            size_t k = solver->GetMark(x, y);
            if (k > 0 && k < moves.size())
                moves[k].push_back({ x, y });
        }
    return moves;
}

// The cells of the lines an exchange of a and b would make.
std::vector<Cell> LineCells(const GamePlayBase& play, Cell a, Cell b)
{
    std::vector<Cell> out;
    auto codeAt = [&](int x, int y) {
        if (x == a.x && y == a.y)
            return play.GetBrickCode(b.x, b.y);
        if (x == b.x && y == b.y)
            return play.GetBrickCode(a.x, a.y);
        return play.IsCell(x, y) && !play.IsBoxed(x, y) ? play.GetBrickCode(x, y) : -1;
    };
    for (Cell at : { a, b }) {
        int code = codeAt(at.x, at.y);
        for (int axis = 0; axis < 2; ++axis) {
            int dx = axis == 0 ? 1 : 0, dy = 1 - dx;
            int lo = 0, hi = 0;
            while (codeAt(at.x - (lo + 1) * dx, at.y - (lo + 1) * dy) == code)
                ++lo;
            while (codeAt(at.x + (hi + 1) * dx, at.y + (hi + 1) * dy) == code)
                ++hi;
            if (lo + hi >= 2)
                for (int i = -lo; i <= hi; ++i)
                    out.push_back({ at.x + i * dx, at.y + i * dy });
        }
    }
    return out;
}

int Breakables(const GamePlayBase& play, const std::vector<Cell>& cells)
{
    int n = 0;
    for (const Cell& c : cells)
        n += (play.GetCellFlags(c.x, c.y) & (kCellBreakable | kCellSecondHit)) ? 1 : 0;
    return n;
}

// A run of at least three cells of the move, each a 4-neighbour of the one
// before: the longest simple path found by a depth-first walk.
std::vector<Cell> ChainPath(const std::vector<Cell>& cells)
{
    std::vector<Cell> best, path;
    std::vector<char> used(cells.size(), 0);
    auto adjacent = [](const Cell& a, const Cell& b) { return std::abs(a.x - b.x) + std::abs(a.y - b.y) == 1; };
    int budget = 2000;
    auto walk = [&](auto&& self, size_t i) -> void {
        if (--budget < 0)
            return;
        used[i] = 1;
        path.push_back(cells[i]);
        if (path.size() > best.size())
            best = path;
        for (size_t j = 0; j < cells.size(); ++j)
            if (!used[j] && adjacent(cells[i], cells[j]))
                self(self, j);
        path.pop_back();
        used[i] = 0;
    };
    for (size_t i = 0; i < cells.size() && best.size() < cells.size(); ++i)
        walk(walk, i);
    return best;
}

// A cell for an aimed bonus: the brick on a breakable cell with most
// breakable cells around it, else the first brick that can be picked.
Cell AimBonus(const GamePlayBase& play)
{
    int w = play.GetWidth();
    Cell best { -1, -1 };
    int bestScore = -1;
    for (int y = 0; y < w; ++y)
        for (int x = 0; x < w; ++x) {
            if (!play.IsSelectableBrick(x, y))
                continue;
            int score = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    score += play.IsBreakableCell(x + dx, y + dy) ? 1 : 0;
            if (score > bestScore) {
                bestScore = score;
                best = { x, y };
            }
        }
    return best;
}

} // namespace

Result PlayLevel(const std::string& dataFolder, const Options& options)
{
    Result result;
    PakInterface paks;
    PakInterfaceBase* previousPaks = SetActivePakInterface(&paks);
    ScratchProfile profile;
    Kivo::SeedRandomInt(options.seed);
    GamePlayBase::ResetSharedState();
    delete BrickHelper::Existing();

    std::unique_ptr<LevelMap> map;
    const std::string archive = dataFolder + "/main.pak";
    const std::string level = Kivo::StrFormat("level%03d", options.level);
    if (!paks.AddPakFile(archive))
        result.end = "level not loaded: cannot read " + archive;
    else if (!LoadLevelFile(level, map) || !map)
        result.end = "level not loaded: no " + level + " in " + archive;
    if (!result.end.empty()) {
        delete BrickHelper::Existing();
        SetActivePakInterface(previousPaks);
        return result;
    }
    result.loaded = true;
    SetProfileInt("game_current_level", options.level - 1);
    SetProfileInt("score_level_bonusgame", 0);
    std::vector<int> colours;
    BrickHelper::Instance()->PickRandomColourSet(colours, options.mode == 1 ? 6 : 5);

    LevelDone done;
    LocalPlayPanels panels;
    std::unique_ptr<GamePlayBase> play(CreateGamePlay(options.mode));
    play->SetPanels(&panels);
    play->SetColors(colours);
    play->PrepareLevelMap(*map);
    play->LoadLevelMap(*map);
    play->SetActive(true);
    done.mPlay = play.get();
    play->SetLevelDoneCallback(new CB_Callback<LevelDone, void>(&done, &LevelDone::Done));

    // Effects on the frame timer see one update step per frame, as in the game.
    struct StepFrames {
        StepFrames() { Kivo::GetTimeHooks().frameTime = [] { return 0.01f; }; }
        ~StepFrames() { Kivo::ResetTimeHooks(); }
    } frames;
    int quietSince = 0;
    Kivo::MTRand chooser(options.seed);
    auto tick = [&] {
        play->Update();
        play->UpdateF(1.0f);
        ++result.ticks;
    };
    auto note = [&](const std::string& line) {
        if (options.logMoves)
            result.log.push_back(Kivo::StrFormat("%6d ", result.ticks) + line);
    };
    while (!done.mDone) {
        if (result.ticks >= options.tickLimit) {
            result.end = "tick limit";
            break;
        }
        if (result.moves >= options.moveLimit) {
            result.end = "move limit";
            break;
        }
        tick();
        bool settled = play->IsSettled() && !play->HasBoardEffects();
        quietSince = settled ? quietSince + 1 : 0;
        // A player looks at a still board for a moment before moving.
        if (done.mDone || quietSince < 25)
            continue;
        quietSince = 0;
        int readySlot = -1;
        for (int s = 0; s < 5 && options.useBonuses && readySlot < 0; ++s)
            if (panels.GetSlotProgress(s) >= 1.0f)
                readySlot = s;
        if (readySlot >= 0) {
            int kind = BonusSlotToKind(readySlot);
            int px = 0, py = 0;
            panels.GetSlotCentre(readySlot, px, py);
            if (kind == kBonusMixer || kind == kBonusLightning) {
                panels.SetSlotProgress(readySlot, 0.0f, true);
                play->UseBonus(kind, -px, -py);
                note(Kivo::StrFormat("bonus %d", kind));
            } else {
                Cell aim = AimBonus(*play);
                if (aim.x < 0)
                    continue;
                play->UseBonus(kind, -1, -1);
                play->CellEnter(aim.x, aim.y);
                play->CellDown(aim.x, aim.y, 0);
                play->CellLeave(aim.x, aim.y);
                note(Kivo::StrFormat("bonus %d at %d,%d", kind, aim.x, aim.y));
            }
            ++result.bonusesUsed[kind];
            ++result.totalBonuses;
            ++result.moves;
            continue;
        }
        if (play->GetMoveCount() == 0)
            continue;
        // The move that breaks most cells; ties go by a draw of the run's
        // own, so that play does not circle.
        std::vector<std::vector<Cell>> moves = Moves(*play);
        size_t pick = 0;
        int pickScore = -1;
        for (size_t k = 1; k < moves.size(); ++k) {
            if (moves[k].empty())
                continue;
            const std::vector<Cell>& hit =
                options.mode == 1 && moves[k].size() == 2 ? LineCells(*play, moves[k][0], moves[k][1]) : moves[k];
            int score = Breakables(*play, hit) * 1000 + static_cast<int>(chooser.Next() % 1000);
            if (score > pickScore) {
                pickScore = score;
                pick = k;
            }
        }
        if (pick == 0)
            continue;
        const std::vector<Cell>& cells = moves[pick];
        std::string what;
        if (options.mode == 2) {
            Cell c = cells.front();
            play->CellEnter(c.x, c.y);
            play->CellDown(c.x, c.y, 0);
            play->CellLeave(c.x, c.y);
            what = Kivo::StrFormat("group at %d,%d (%zu)", c.x, c.y, cells.size());
        } else if (options.mode == 3) {
            std::vector<Cell> path = ChainPath(cells);
            if (path.size() < 3)
                continue;
            play->CellDown(path[0].x, path[0].y, 0);
            for (size_t i = 1; i < path.size(); ++i)
                play->CellEnter(path[i].x, path[i].y);
            play->CellDown(path.back().x, path.back().y, 0);
            play->ClearSelection();
            what = Kivo::StrFormat("chain from %d,%d (%zu)", path[0].x, path[0].y, path.size());
        } else {
            if (cells.size() < 2)
                continue;
            play->CellDown(cells[0].x, cells[0].y, 0);
            play->CellDown(cells[1].x, cells[1].y, 0);
            play->ClearSelection();
            what = Kivo::StrFormat("swap %d,%d with %d,%d", cells[0].x, cells[0].y, cells[1].x, cells[1].y);
        }
        ++result.moves;
        note(what);
    }
    if (done.mDone) {
        result.won = true;
        result.end = "won";
    }
    result.scoreBricks = GetProfileInt("score_level_bricks");
    result.scoreBonus = GetProfileInt("score_level_bonus");
    result.scoreCombo = GetProfileInt("score_level_combo");
    result.checksum = Checksum(*play);
    result.board = BoardText(*play);
    play.reset();
    delete BrickHelper::Existing();
    SetActivePakInterface(previousPaks);
    return result;
}

} // namespace match3sim
