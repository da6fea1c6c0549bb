#include "tests/support/TempDir.h"
#include "tools/datagen/Levels.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

using testsupport::TempDir;

namespace {

std::string Row(const std::string& cells)
{
    return cells + "\n";
}

// A level whose first row holds `first` and every other cell is plain.
std::string Design(const std::string& first)
{
    std::string d = "# one level\nlevel 1\n" + Row(first);
    for (int r = 1; r < 10; ++r)
        d += Row(".. .. .. .. .. .. .. .. .. ..");
    return d;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(LevelDesigns, EachCellCodeBecomesItsRecord)
{
    TempDir dir;
    std::string design = dir.Write("levels.txt", Design("o. O1 .5 .c .C .b .e .k .S .H"));
    std::string error;
    ASSERT_TRUE(datagen::CompileLevels(design, dir / "out", error)) << error;
    std::string bytes = ReadFile(dir / "out/level001.level");
    ASSERT_EQ(bytes.size(), 403u);
    EXPECT_EQ(bytes.substr(0, 3), std::string("\x01\x0a\x0a", 3));
    // Cell kind, brick, modifier word (little-endian) for the first row.
    const unsigned char expected[10][4] = {
        {2, 0, 0x00, 0}, {3, 3, 0x00, 0}, {1, 7, 0x00, 0}, {1, 0, 0x02, 0}, {1, 0, 0x06, 0},
        {1, 0, 0x08, 0}, {1, 0, 0x00, 1}, {1, 0, 0x20, 0}, {1, 0, 0x60, 0}, {1, 0, 0xA0, 0},
    };
    for (int i = 0; i < 10; ++i)
        for (int b = 0; b < 4; ++b)
            EXPECT_EQ(static_cast<unsigned char>(bytes[size_t(3 + 4 * i + b)]), expected[i][b]) << "cell " << i << " byte " << b;
    EXPECT_EQ(bytes.substr(3 + 40, 4), std::string("\x01\x00\x00\x00", 4));
}

TEST(LevelDesigns, FaultsNameTheirLine)
{
    struct Case { std::string design, message; };
    const Case cases[] = {
        {Design("o. o. o. o. o. o. o. o. o. oX"), "levels.txt:3: bad cell 'oX'"},
        {Design("o. o. o. o. o. o. o. o. o."), "levels.txt:3: a row needs ten cells"},
        {"level 2\n", "levels.txt:1: levels must be numbered 1, 2, ..."},
        {"level 1\n" + Row(".. .. .. .. .. .. .. .. .. .."), "level 1 is incomplete"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        std::string error;
        EXPECT_FALSE(datagen::CompileLevels(dir.Write("levels.txt", c.design), dir / "out", error));
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }
}

} // namespace
