#pragma once
// The records in which the game screen keeps a game between visits, in the
// profile:
// - "game_progress": the five bonus slots' progress (x 100000), the timer's
//   total and time left (x 1000 seconds), each a u32, then the end mark 254;
// - "stored_game_field_<type>", one per game type: the field in the stored
//   field format (in the level file's orientation), mark 255, the board's
//   quarter turns, the colour count and colours (one byte each), the level
//   file's map as a byte vector with its bit size, then the end mark 254.
// Profiles are files on disk: everything read here is checked.
#include <memory>
#include <vector>

namespace Kivo {
class Buffer;
}
class LevelMap;

constexpr int kProgressSlots = 5;

struct GameProgress {
    float slots[kProgressSlots] = {};
    float total = 0;
    float timeLeft = 0;
};

void WriteProgress(Kivo::Buffer& out, const GameProgress& progress);
// Reads as far as the record goes; `valuesRead` counts the values taken (the
// slots, then total, then time left). True only for a whole record with its
// end mark. Negative or non-finite inputs are never produced: the values are
// unsigned in the record.
bool ReadProgress(Kivo::Buffer& in, GameProgress& progress, int& valuesRead);

struct StoredGame {
    std::unique_ptr<LevelMap> field; // level-file orientation
    int rotation = 0;                // the board's quarter turns, 0..3
    std::vector<int> colours;
    std::unique_ptr<LevelMap> levelMap; // the level file's map
};

enum class StoredGameRead {
    Ok,
    NoField, // no record, or its field is unreadable: the record is left alone
    Broken,  // a field, then missing or wrong data: the record is to be emptied
};

// The field must already be in the level file's orientation. False when it
// cannot be written (nothing useful is in `out` then).
bool WriteStoredGame(Kivo::Buffer& out, const LevelMap& field, int rotation, const std::vector<int>& colours,
                     const LevelMap* levelMap);
// Accepts only maps of at most `side` x `side`, colour counts 1..10 with every
// colour in 1..10, quarter turns 0..3 and a level map whose length and bit
// size fit the data.
StoredGameRead ReadStoredGame(Kivo::Buffer& in, int side, StoredGame& out);

// `turns` quarter turns clockwise.
void TurnMap(LevelMap& map, int turns);

// The board a mode never played in this level starts from: `field` (the
// leaving mode's board, in level-file orientation) with every brick made
// random (code 0) except key bricks and bricks whose colour the level file
// fixed there: a level-colour placeholder (254 down to 250 for the level's
// colours 0..4) in `levelMap` whose colour in `colours` is the brick's own.
// Cell kinds and all flags stay.
std::unique_ptr<LevelMap> RandomisedBoard(const LevelMap& field, const LevelMap* levelMap,
                                          const std::vector<int>& colours);
// Carries the leaving mode's board `from` into the stored board `into` of
// the mode switched to (both in one orientation): `into` keeps only its
// brick colours; cell kinds, cell flags and brick flags come from `from`,
// and the key brick stands where it stood in `from`.
void MergeStoredBoard(LevelMap& into, const LevelMap& from);
