#pragma once
// Plays one level headless over the real game-play classes: a fixed seed,
// each move chosen from the solver's moves (bonuses used as soon as a slot is
// full), until the level ends or a limit is reached. Nothing is drawn.
#include <cstdint>
#include <string>
#include <vector>

namespace match3sim {

struct Options {
    // The level file's number, 1 for "level001".
    int level = 1;
    // 1 swap, 2 group, 3 chain.
    int mode = 1;
    uint32_t seed = 1;
    bool useBonuses = true;
    // A run that needs more moves, or more ticks, has stalled.
    int moveLimit = 1500;
    int tickLimit = 400000;
    // Keeps a line per move in the result's log.
    bool logMoves = false;
};

struct Result {
    bool loaded = false;
    bool won = false;
    // "won", "level not loaded: " and why (naming the archive), "move
    // limit", "tick limit".
    std::string end;
    int moves = 0;
    int ticks = 0;
    int scoreBricks = 0;
    int scoreBonus = 0;
    int scoreCombo = 0;
    // By bonus kind 0..6.
    int bonusesUsed[7] = {};
    int totalBonuses = 0;
    // FNV-1a over every cell's brick code, cell kind and both flag words.
    uint32_t checksum = 0;
    // The final field, a row of text per board row.
    std::vector<std::string> board;
    std::vector<std::string> log;
};

// The data set's folder holds main.pak. The run sets up and takes down its
// own in-memory profile and archive.
Result PlayLevel(const std::string& dataFolder, const Options& options);

} // namespace match3sim
