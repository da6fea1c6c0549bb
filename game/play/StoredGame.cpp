#include "game/play/StoredGame.h"

#include "framework/core/Buffer.h"
#include "game/match/LevelMap.h"
#include "game/match/StoredField.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr uint8_t kFieldMark = 0xFF;
constexpr uint8_t kEndMark = 0xFE;
constexpr uint8_t kKeyBrick = 12;
constexpr int kMaxColour = 10;

// Scaled and truncated to an unsigned word; negative and non-finite values
// store as 0.
uint32_t Scaled(float value, float scale)
{
    const double v = static_cast<double>(value) * scale;
    if (!(v > 0))
        return 0;
    return v >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<uint32_t>(v);
}

bool Remaining(const Kivo::Buffer& in, int bytes)
{
    return static_cast<int64_t>(in.bitSize) - in.readPos >= static_cast<int64_t>(bytes) * 8;
}

uint32_t ReadU32(Kivo::Buffer& in) { return static_cast<uint32_t>(in.ReadLong()); }
} // namespace

void WriteProgress(Kivo::Buffer& out, const GameProgress& progress)
{
    for (float slot : progress.slots)
        out.WriteLong(static_cast<int32_t>(Scaled(slot, 100000.0f)));
    out.WriteLong(static_cast<int32_t>(Scaled(progress.total, 1000.0f)));
    out.WriteLong(static_cast<int32_t>(Scaled(progress.timeLeft, 1000.0f)));
    out.WriteByte(kEndMark);
}

bool ReadProgress(Kivo::Buffer& in, GameProgress& progress, int& valuesRead)
{
    valuesRead = 0;
    for (float& slot : progress.slots) {
        if (!Remaining(in, 4))
            return false;
        slot = static_cast<float>(ReadU32(in) / 100000.0);
        ++valuesRead;
    }
    if (!Remaining(in, 4))
        return false;
    progress.total = static_cast<float>(ReadU32(in) / 1000.0);
    ++valuesRead;
    if (!Remaining(in, 4))
        return false;
    progress.timeLeft = static_cast<float>(ReadU32(in) / 1000.0);
    ++valuesRead;
    return Remaining(in, 1) && in.ReadByte() == kEndMark;
}

bool WriteStoredGame(Kivo::Buffer& out, const LevelMap& field, int rotation, const std::vector<int>& colours,
                     const LevelMap* levelMap)
{
    if (!StoreLevelMap(&field, &out))
        return false;
    out.WriteByte(kFieldMark);
    out.WriteByte(static_cast<uint8_t>(rotation & 3));
    const size_t count = std::min<size_t>(colours.size(), 255);
    out.WriteByte(static_cast<uint8_t>(count));
    for (size_t i = 0; i < count; ++i)
        out.WriteByte(static_cast<uint8_t>(colours[i]));
    Kivo::Buffer map;
    if (levelMap && StoreLevelMap(levelMap, &map)) {
        out.WriteByteVector(std::vector<uint8_t>(map.data.begin(), map.data.begin() + map.GetDataLen()));
        out.WriteLong(map.bitSize);
    }
    out.WriteByte(kEndMark);
    return true;
}

StoredGameRead ReadStoredGame(Kivo::Buffer& in, int side, StoredGame& out)
{
    out = StoredGame();
    // A smaller map is played padded with gaps; a larger one is no board's.
    auto fits = [side](const LevelMap& map) { return map.GetWidth() <= side && map.GetHeight() <= side; };
    std::unique_ptr<LevelMap> field;
    if (!RestoreLevelMap(in, field))
        return StoredGameRead::NoField;
    if (!fits(*field))
        return StoredGameRead::Broken;

    if (!Remaining(in, 3) || in.ReadByte() != kFieldMark)
        return StoredGameRead::Broken;
    const int rotation = in.ReadByte();
    const int count = in.ReadByte();
    if (rotation > 3 || count < 1 || count > kMaxColour || !Remaining(in, count))
        return StoredGameRead::Broken;
    std::vector<int> colours(static_cast<size_t>(count));
    for (int& colour : colours) {
        colour = in.ReadByte();
        if (colour < 1 || colour > kMaxColour)
            return StoredGameRead::Broken;
    }

    if (!Remaining(in, 4))
        return StoredGameRead::Broken;
    const uint32_t length = ReadU32(in);
    if (length == 0 || length > static_cast<uint32_t>(INT32_MAX / 8) || !Remaining(in, static_cast<int>(length)))
        return StoredGameRead::Broken;
    Kivo::Buffer map;
    map.data.resize(length);
    in.ReadBytes(map.data.data(), static_cast<int>(length));
    if (!Remaining(in, 4))
        return StoredGameRead::Broken;
    const uint32_t bits = ReadU32(in);
    if (bits > static_cast<uint64_t>(length) * 8)
        return StoredGameRead::Broken;
    map.bitSize = static_cast<int32_t>(bits);
    std::unique_ptr<LevelMap> levelMap;
    if (!RestoreLevelMap(map, levelMap) || !fits(*levelMap))
        return StoredGameRead::Broken;

    if (!Remaining(in, 1) || in.ReadByte() != kEndMark)
        return StoredGameRead::Broken;
    out.field = std::move(field);
    out.rotation = rotation;
    out.colours = std::move(colours);
    out.levelMap = std::move(levelMap);
    return StoredGameRead::Ok;
}

void TurnMap(LevelMap& map, int turns)
{
    for (int i = ((turns % 4) + 4) % 4; i > 0; --i)
        map.RotateClockwise();
}

std::unique_ptr<LevelMap> RandomisedBoard(const LevelMap& field, const LevelMap* levelMap,
                                          const std::vector<int>& colours)
{
    auto board = field.Clone();
    for (int y = 0; y < field.GetHeight(); ++y) {
        for (int x = 0; x < field.GetWidth(); ++x) {
            LevelMapCell c;
            if (!field.GetCell(x, y, &c.code, &c.kind, &c.brickFlags, &c.cellFlags) || c.code == kKeyBrick)
                continue;
            uint8_t fixed = 0;
            bool keep = false;
            if (levelMap && levelMap->GetCell(x, y, &fixed, nullptr, nullptr, nullptr) && fixed >= 250 &&
                fixed <= 254) {
                const size_t index = static_cast<size_t>(254 - fixed);
                keep = index < colours.size() && colours[index] == c.code;
            }
            if (!keep)
                board->SetCell(x, y, 0, c.kind, c.brickFlags, c.cellFlags);
        }
    }
    return board;
}

void MergeStoredBoard(LevelMap& into, const LevelMap& from)
{
    for (int y = 0; y < from.GetHeight(); ++y) {
        for (int x = 0; x < from.GetWidth(); ++x) {
            LevelMapCell a, b;
            if (!from.GetCell(x, y, &a.code, &a.kind, &a.brickFlags, &a.cellFlags) ||
                !into.GetCell(x, y, &b.code, &b.kind, &b.brickFlags, &b.cellFlags))
                continue;
            uint8_t code = b.code == kKeyBrick ? 0 : b.code;
            if (a.code == kKeyBrick)
                code = kKeyBrick;
            into.SetCell(x, y, code, a.kind, a.brickFlags, a.cellFlags);
        }
    }
}
