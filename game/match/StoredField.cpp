#include "game/match/StoredField.h"

#include "framework/core/Buffer.h"
#include "game/match/LevelMap.h"

namespace {

constexpr int64_t kStoredCellBytes = 10;

} // namespace

bool StoreLevelMap(const LevelMap* map, Kivo::Buffer* buffer)
{
    if (!map || !buffer)
        return false;
    buffer->WriteLong(map->GetWidth());
    buffer->WriteLong(map->GetHeight());
    for (const LevelMapCell& c : map->Cells()) {
        buffer->WriteByte(c.kind);
        buffer->WriteLong(static_cast<int32_t>(c.cellFlags));
        buffer->WriteByte(c.code);
        buffer->WriteLong(static_cast<int32_t>(c.brickFlags));
    }
    return true;
}

bool RestoreLevelMap(Kivo::Buffer& buffer, std::unique_ptr<LevelMap>& out)
{
    out.reset();
    if (buffer.GetDataLen() == 0 || buffer.AtEnd())
        return false;
    int32_t width = buffer.ReadLong();
    int32_t height = buffer.ReadLong();
    if (width < 1 || height < 1)
        return false;
    // The sides come from a file: the cells they promise must be there
    // before anything is allocated for them.
    int64_t remaining = (static_cast<int64_t>(buffer.bitSize) - buffer.readPos) / 8;
    if (width > remaining / kStoredCellBytes / height)
        return false;
    auto map = std::make_unique<LevelMap>(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            auto kind = buffer.ReadByte();
            auto cellFlags = static_cast<uint32_t>(buffer.ReadLong());
            auto code = buffer.ReadByte();
            auto brickFlags = static_cast<uint32_t>(buffer.ReadLong());
            map->SetCell(x, y, code, kind, brickFlags, cellFlags);
        }
    }
    out = std::move(map);
    return true;
}
