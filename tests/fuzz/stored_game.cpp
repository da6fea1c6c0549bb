// Reads arbitrary bytes as a stored game and as the game's progress record.
// A stored game that reads writes back into the same bytes it was read from;
// progress values are never negative.
#include "framework/core/Buffer.h"
#include "game/match/LevelMap.h"
#include "game/play/StoredGame.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 20))
        return 0;
    Kivo::Buffer buffer;
    buffer.SetData(data, static_cast<int>(size));
    StoredGame game;
    if (ReadStoredGame(buffer, 10, game) == StoredGameRead::Ok) {
        if (!game.field || !game.levelMap || game.colours.empty() || game.colours.size() > 10)
            __builtin_trap();
        Kivo::Buffer again;
        WriteStoredGame(again, *game.field, game.rotation, game.colours, game.levelMap.get());
        const size_t used = static_cast<size_t>(again.GetDataLen());
        // The level map's bit size may be given short of its bytes; all
        // before it is the same.
        const size_t head = 8 + 10 * static_cast<size_t>(game.field->GetWidth() * game.field->GetHeight()) + 3;
        if (game.field->GetWidth() > 10 || game.field->GetHeight() > 10 || game.levelMap->GetWidth() > 10 ||
            game.levelMap->GetHeight() > 10)
            __builtin_trap();
        if (used > size || std::memcmp(again.GetDataPtr(), data, head + game.colours.size()) != 0)
            __builtin_trap();
    }

    Kivo::Buffer progress;
    progress.SetData(data, static_cast<int>(size));
    GameProgress values;
    int read = 0;
    ReadProgress(progress, values, read);
    if (read < 0 || read > 7 || values.total < 0 || values.timeLeft < 0)
        __builtin_trap();
    for (float slot : values.slots)
        if (slot < 0)
            __builtin_trap();
    return 0;
}
