// match3sim: plays a level of the data set headless and prints the moves,
// the score, the bonuses used, how it ended and a checksum of the final
// field.
//
//   match3sim [--data DIR] [--level N] [--mode swap|group|chain] [--seed S]
//             [--no-bonuses] [--moves] [--board] [--move-limit N]
//
// The exit code is 0 when the level was won, 1 otherwise, 2 on bad usage.
#include "tools/Usage.h"
#include "tools/match3sim/Sim.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

int ParseMode(const char* text)
{
    if (!std::strcmp(text, "swap") || !std::strcmp(text, "1"))
        return 1;
    if (!std::strcmp(text, "group") || !std::strcmp(text, "2"))
        return 2;
    if (!std::strcmp(text, "chain") || !std::strcmp(text, "3"))
        return 3;
    return 0;
}

// A whole decimal number that fits `out`; anything else is refused.
template <class T>
bool ParseNumber(const char* text, T& out)
{
    const char* end = text + std::strlen(text);
    auto [stop, error] = std::from_chars(text, end, out);
    return error == std::errc() && stop == end && stop != text;
}

} // namespace

int main(int argc, char** argv)
{
    const tools::Usage usage("usage: match3sim [--data DIR] [--level N] [--mode swap|group|chain] [--seed S]\n"
                             "                 [--no-bonuses] [--moves] [--board] [--move-limit N]\n");
    if (usage.Help(argc, argv))
        return 0;
    std::string data = MATCH3SIM_DATA_DIR;
    match3sim::Options options;
    bool board = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "--data" && hasValue)
            data = argv[++i];
        else if (arg == "--level" && hasValue && ParseNumber(argv[i + 1], options.level))
            ++i;
        else if (arg == "--mode" && hasValue)
            options.mode = ParseMode(argv[++i]);
        else if (arg == "--seed" && hasValue && ParseNumber(argv[i + 1], options.seed))
            ++i;
        else if (arg == "--move-limit" && hasValue && ParseNumber(argv[i + 1], options.moveLimit))
            ++i;
        else if (arg == "--no-bonuses")
            options.useBonuses = false;
        else if (arg == "--moves")
            options.logMoves = true;
        else if (arg == "--board")
            board = true;
        else
            return usage.Error();
    }
    if (options.mode == 0 || options.level < 1 || options.moveLimit < 1)
        return usage.Error();
    match3sim::Result r = match3sim::PlayLevel(data, options);
    for (const std::string& line : r.log)
        std::printf("%s\n", line.c_str());
    static const char* kBonusNames[7] = { "shuffle", "lightning", "energy", "none", "bomb", "row", "magnet" };
    std::printf("level %d mode %d seed %u: %s\n", options.level, options.mode, options.seed, r.end.c_str());
    std::printf("moves %d ticks %d\n", r.moves, r.ticks);
    std::printf("score bricks %d bonus %d combo %d\n", r.scoreBricks, r.scoreBonus, r.scoreCombo);
    std::printf("bonuses %d:", r.totalBonuses);
    for (int k = 0; k < 7; ++k)
        if (r.bonusesUsed[k])
            std::printf(" %s %d", kBonusNames[k], r.bonusesUsed[k]);
    std::printf("\nchecksum %08x\n", r.checksum);
    if (board)
        for (const std::string& row : r.board)
            std::printf("%s\n", row.c_str());
    return r.won ? 0 : 1;
}
