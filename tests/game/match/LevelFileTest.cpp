#include "framework/app/KivoAppBase.h"
#include "framework/core/PakInterface.h"
#include "framework/sound/SoundFiles.h"
#include "game/match/BrickHelper.h"
#include "game/match/LevelFile.h"
#include "game/match/LevelMap.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

struct Record {
    uint8_t type, brick;
    uint16_t mods;
};

std::vector<uint8_t> LevelBytes(int width, int height, std::vector<Record> records = {})
{
    std::vector<uint8_t> bytes = { 0, static_cast<uint8_t>(width), static_cast<uint8_t>(height) };
    records.resize(static_cast<size_t>(width * height), Record { 0, 0, 0 });
    for (const Record& r : records) {
        bytes.push_back(r.type);
        bytes.push_back(r.brick);
        bytes.push_back(static_cast<uint8_t>(r.mods));
        bytes.push_back(static_cast<uint8_t>(r.mods >> 8));
    }
    return bytes;
}

std::unique_ptr<LevelMap> Parse(const std::vector<uint8_t>& bytes)
{
    return ParseLevelFile(bytes.data(), bytes.size());
}

TEST(LevelFile, CellRecords)
{
    struct Case {
        Record record;
        uint8_t code;
        uint32_t brickFlags, cellFlags;
    };
    const Case cases[] = {
        { { 0, 0, 0 }, 0, 0, 0 },         { { 2, 3, 0 }, 254, 0, 8 },      { { 3, 7, 0 }, 250, 0, 24 },
        { { 1, 5, 0 }, 252, 0, 0 },       { { 9, 1, 0 }, 0, 0, 0 },        { { 0, 2, 0 }, 0, 0, 0 },
        { { 0, 8, 0 }, 0, 0, 0 },         { { 0, 4, 0x0002 }, 253, 1, 0 }, { { 0, 6, 0x0006 }, 251, 3, 0 },
        { { 0, 0, 0x0018 }, 0, 4, 0 },    { { 0, 0, 0x0100 }, 0, 8, 0 },   { { 2, 0, 0x00E0 }, 0, 0, 15 },
        { { 0, 0, 0xFE01 }, 0, 0, 0 },
    };
    for (const Case& c : cases) {
        auto map = Parse(LevelBytes(1, 1, { c.record }));
        ASSERT_TRUE(map);
        uint8_t code = 99, kind = 99;
        uint32_t brickFlags = 99, cellFlags = 99;
        ASSERT_TRUE(map->GetCell(0, 0, &code, &kind, &brickFlags, &cellFlags));
        EXPECT_EQ(code, c.code) << int(c.record.brick);
        EXPECT_EQ(kind, 1);
        EXPECT_EQ(brickFlags, c.brickFlags) << c.record.mods;
        EXPECT_EQ(cellFlags, c.cellFlags) << int(c.record.type) << " " << c.record.mods;
    }
}

TEST(LevelFile, RowsFromTheTop)
{
    auto map = Parse(LevelBytes(2, 3, { { 0, 3, 0 }, { 0, 4, 0 }, {}, {}, {}, { 2, 7, 0 } }));
    ASSERT_TRUE(map);
    EXPECT_EQ(map->GetWidth(), 2);
    EXPECT_EQ(map->GetHeight(), 3);
    uint8_t code = 0;
    map->GetCell(1, 0, &code, nullptr, nullptr, nullptr);
    EXPECT_EQ(code, 253);
    uint32_t cellFlags = 0;
    map->GetCell(1, 2, &code, nullptr, nullptr, &cellFlags);
    EXPECT_EQ(code, 250);
    EXPECT_EQ(cellFlags, 8u);
}

TEST(LevelFile, HostileFilesAreRefused)
{
    std::vector<uint8_t> full = LevelBytes(10, 10);
    ASSERT_EQ(full.size(), 403u);
    EXPECT_TRUE(Parse(full));

    std::vector<std::vector<uint8_t>> bad = {
        {},
        { 0, 1 },
        LevelBytes(0, 5),
        LevelBytes(5, 0),
        LevelBytes(11, 3),            // wider than the board
        LevelBytes(3, 11),
        LevelBytes(16, 16),           // 1027 bytes: more than one read
        { full.begin(), full.end() - 1 },
    };
    std::vector<uint8_t> longer = full;
    longer.push_back(0);
    bad.push_back(longer);
    std::vector<uint8_t> lying = full;
    lying[1] = 9; // the header promises fewer cells than present
    bad.push_back(lying);
    for (size_t i = 0; i < bad.size(); ++i)
        EXPECT_FALSE(Parse(bad[i])) << i;
    EXPECT_FALSE(ParseLevelFile(nullptr, 0));
}

TEST(LevelFile, FileNumbers)
{
    struct Case {
        int level, files, number;
    };
    const Case cases[] = { { 0, 1, 1 }, { 25, 20, 6 }, { 39, 40, 40 }, { 40, 40, 1 }, { 5, 0, 1 }, { -1, 40, 40 } };
    for (const Case& c : cases)
        EXPECT_EQ(LevelFileNumber(c.level, c.files), c.number) << c.level << " of " << c.files;
}

class DataSetLevels : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous = SetActivePakInterface(&paks);
        ASSERT_TRUE(paks.AddPakFile(std::string(KIVO_DATA_DIR) + "/main.pak"));
        ForgetLevelFileCount();
    }
    void TearDown() override
    {
        ForgetLevelFileCount();
        SetActivePakInterface(previous);
    }
    PakInterface paks;
    PakInterfaceBase* previous = nullptr;
};

TEST_F(DataSetLevels, EveryLevelFileLoads)
{
    for (int n = 1; n <= 40; ++n) {
        char name[16];
        snprintf(name, sizeof name, "level%03d", n);
        std::unique_ptr<LevelMap> map;
        ASSERT_TRUE(LoadLevelFile(name, map)) << name;
        EXPECT_EQ(map->GetWidth(), 10);
        EXPECT_EQ(map->GetHeight(), 10);
        EXPECT_GT(CountBreakableCells(*map), 0) << name;
    }
    std::unique_ptr<LevelMap> map;
    EXPECT_FALSE(LoadLevelFile("level999", map));
    EXPECT_FALSE(map);
}

TEST_F(DataSetLevels, ColourSetsLoad)
{
    delete BrickHelper::Existing();
    BrickHelper* helper = BrickHelper::Instance();
    ASSERT_FALSE(helper->mColourSets.empty());
    std::vector<int> colours;
    EXPECT_GE(helper->PickRandomColourSet(colours, 5), 0);
    EXPECT_EQ(colours.size(), 5u);
    delete helper;
}

TEST_F(DataSetLevels, StartLevelAppliesOnce)
{
    Kivo::KivoAppBase app;
    app.SetInteger("set_level_files", 20);
    app.SetInteger("set_start_level", 3);
    auto read = [](int n) {
        char name[32];
        snprintf(name, sizeof name, "levels/level%03d.level", n);
        std::vector<uint8_t> bytes;
        EXPECT_TRUE(Kivo::ReadPakFile(name, bytes));
        return ParseLevelFile(bytes.data(), bytes.size());
    };
    std::unique_ptr<LevelMap> map;
    ASSERT_TRUE(LoadLevel(map, 25));
    EXPECT_EQ(*map, *read(3));
    EXPECT_EQ(app.GetInteger("set_start_level", 0), -1);
    ASSERT_TRUE(LoadLevel(map, 25));
    EXPECT_EQ(*map, *read(6));
    // The number of files is read once.
    app.SetInteger("set_level_files", 40);
    ASSERT_TRUE(LoadLevel(map, 25));
    EXPECT_EQ(*map, *read(6));
}

} // namespace
