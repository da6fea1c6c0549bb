#include "framework/core/Buffer.h"
#include "game/match/LevelMap.h"
#include "game/match/StoredField.h"

#include <gtest/gtest.h>

namespace {

LevelMap Sample(int w, int h)
{
    LevelMap map(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            map.SetCell(x, y, static_cast<uint8_t>(x + 16 * y), static_cast<uint8_t>((x + y) % 2),
                        static_cast<uint32_t>(x * 0x01010101u), static_cast<uint32_t>(y * 0x10203u + 0x80000000u));
    return map;
}

TEST(LevelMap, CellsInsideOnly)
{
    LevelMap map(3, 2);
    EXPECT_TRUE(map.SetCell(2, 1, 5, 1, 2, 8));
    for (auto [x, y] : { std::pair { 3, 0 }, { 0, 2 }, { -1, 0 }, { 0, -1 } }) {
        EXPECT_FALSE(map.SetCell(x, y, 1, 1, 1, 1));
        uint8_t code = 77;
        EXPECT_FALSE(map.GetCell(x, y, &code, nullptr, nullptr, nullptr));
        EXPECT_EQ(code, 77);
    }
    uint8_t code = 0, kind = 0;
    uint32_t flags = 0;
    ASSERT_TRUE(map.GetCell(2, 1, &code, &kind, nullptr, &flags));
    EXPECT_EQ(code, 5);
    EXPECT_EQ(kind, 1);
    EXPECT_EQ(flags, 8u);
    EXPECT_EQ(*map.Clone(), map);
}

TEST(LevelMap, Rotation)
{
    LevelMap map = Sample(10, 10);
    LevelMap turned = map;
    ASSERT_TRUE(turned.RotateClockwise());
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            uint8_t a = 0, b = 0;
            turned.GetCell(x, y, &a, nullptr, nullptr, nullptr);
            map.GetCell(y, 9 - x, &b, nullptr, nullptr, nullptr);
            EXPECT_EQ(a, b);
        }
    for (int i = 0; i < 3; ++i)
        turned.RotateClockwise();
    EXPECT_EQ(turned, map);
    // A map that is not square stays as it is.
    LevelMap wide = Sample(4, 2);
    EXPECT_FALSE(wide.RotateClockwise());
    EXPECT_EQ(wide, Sample(4, 2));
}

TEST(LevelMap, Goals)
{
    LevelMap map(4, 1);
    map.SetCell(0, 0, 1, 1, 1, 8);
    map.SetCell(1, 0, 1, 1, 2, 16);
    map.SetCell(2, 0, 1, 1, 4, 24);
    map.SetCell(3, 0, 1, 1, 8, 7);
    EXPECT_EQ(CountBreakableCells(map), 3);
    EXPECT_EQ(CountChainedBricks(map), 2);
    EXPECT_EQ(CountBoxedBricks(map), 1);
}

TEST(StoredField, RoundTrip)
{
    LevelMap map = Sample(10, 10);
    Kivo::Buffer buffer;
    ASSERT_TRUE(StoreLevelMap(&map, &buffer));
    EXPECT_EQ(buffer.GetDataLen(), 1008);
    const uint8_t* d = buffer.GetDataPtr();
    // Head, then the first cell: kind, cell flags, code, brick flags.
    EXPECT_EQ(d[0], 10);
    EXPECT_EQ(d[4], 10);
    EXPECT_EQ(d[8], 0);
    EXPECT_EQ(d[12], 0x80);
    std::unique_ptr<LevelMap> restored;
    ASSERT_TRUE(RestoreLevelMap(buffer, restored));
    EXPECT_EQ(*restored, map);
    EXPECT_FALSE(StoreLevelMap(nullptr, &buffer));
    EXPECT_FALSE(StoreLevelMap(&map, nullptr));
}

TEST(StoredField, DamagedDataIsRefused)
{
    LevelMap map = Sample(3, 3);
    Kivo::Buffer good;
    StoreLevelMap(&map, &good);
    std::vector<uint8_t> bytes(good.GetDataPtr(), good.GetDataPtr() + good.GetDataLen());

    auto withHead = [&](uint32_t w, uint32_t h) {
        std::vector<uint8_t> b = bytes;
        for (int i = 0; i < 4; ++i) {
            b[static_cast<size_t>(i)] = static_cast<uint8_t>(w >> (8 * i));
            b[static_cast<size_t>(4 + i)] = static_cast<uint8_t>(h >> (8 * i));
        }
        return b;
    };
    std::vector<std::vector<uint8_t>> bad = {
        {},
        { bytes.begin(), bytes.end() - 1 },
        { bytes.begin(), bytes.begin() + 8 },
        { bytes.begin(), bytes.begin() + 5 },
        withHead(0, 3),
        withHead(3, 0),
        withHead(0xFFFFFFFF, 3),
        withHead(0x7FFFFFFF, 0x7FFFFFFF), // promises far more than present
        withHead(3, 4),
    };
    for (size_t i = 0; i < bad.size(); ++i) {
        Kivo::Buffer buffer;
        if (!bad[i].empty())
            buffer.SetData(bad[i].data(), static_cast<int>(bad[i].size()));
        std::unique_ptr<LevelMap> out = std::make_unique<LevelMap>(1, 1);
        EXPECT_FALSE(RestoreLevelMap(buffer, out)) << i;
        EXPECT_FALSE(out) << i;
    }
}

} // namespace
