#include "framework/core/PakInterface.h"
#include "tests/support/TempDir.h"
#include "tools/pakbuild/PakWriter.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

using testsupport::TempDir;

namespace {

std::string ReadEntry(PakInterface& pak, const std::string& name)
{
    PakFileHandle* h = pak.Open(name, "rb");
    if (!h)
        return "<missing>";
    EXPECT_NE(h->record, nullptr) << name;
    std::string out(static_cast<size_t>(h->record ? h->record->size : 0), '\0');
    EXPECT_EQ(pak.Read(out.data(), 1, out.size(), h), out.size());
    pak.Close(h);
    return out;
}

int RunPakBuild(const std::string& args)
{
    return std::system((std::string(PAKBUILD_EXE) + " " + args + " >/dev/null 2>&1").c_str());
}

TEST(PakBuild, RoundTripFromFolderAndList)
{
    TempDir src;
    std::string big(70000, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i % 253);
    const std::pair<std::string, std::string> files[] = {
        { "properties/resources.xml", "<ResourceManifest/>" },
        { "images/Title.png", big },
        { "images/sub/empty.bin", "" },
        { "levels/level001.level", std::string(403, '\x7f') },
    };
    for (auto& [name, bytes] : files)
        src.Write(name, bytes);
    src.Write("list.txt", "levels/level001.level\r\nimages/sub\n");

    TempDir out;
    ASSERT_EQ(RunPakBuild("-C " + src.Path() + " " + out / "all.pak" + " properties images levels"), 0);
    ASSERT_EQ(RunPakBuild("-C " + src.Path() + " -l " + src / "list.txt " + out / "some.pak"), 0);

    PakInterface all;
    ASSERT_TRUE(all.AddPakFile(out / "all.pak"));
    for (auto& [name, bytes] : files)
        EXPECT_EQ(ReadEntry(all, name), bytes) << name;
    EXPECT_EQ(all.Records().count("IMAGES\\SUB\\EMPTY.BIN"), 1u);
    EXPECT_EQ(all.Records().at("IMAGES\\TITLE.PNG").fileName, "images\\Title.png");
    EXPECT_NE(all.Records().at("IMAGES\\TITLE.PNG").fileTime.dwHighDateTime, 0u);

    PakInterface some;
    ASSERT_TRUE(some.AddPakFile(out / "some.pak"));
    EXPECT_EQ(some.Records().size(), 3u); // two entries and the archive itself
    EXPECT_EQ(ReadEntry(some, "levels\\level001.level"), files[3].second);

    EXPECT_NE(RunPakBuild(out / "x.pak missing"), 0);
    EXPECT_NE(RunPakBuild(out / "x.pak"), 0);
}

TEST(PakBuild, OwnOutputAndDuplicateNamesAreRefused)
{
    TempDir src;
    src.Write("a/one.txt", "1");
    src.Write("b/two.txt", "2");
    // "." under -C packs the whole folder; the archive written into it, and
    // a previous run's archive there, are never packed.
    ASSERT_EQ(RunPakBuild("-C " + src.Path() + " " + src / "all.pak" + " ."), 0);
    ASSERT_EQ(RunPakBuild("-C " + src.Path() + " " + src / "all.pak" + " ."), 0);
    PakInterface all;
    ASSERT_TRUE(all.AddPakFile(src / "all.pak"));
    EXPECT_EQ(ReadEntry(all, "a\\one.txt"), "1");
    EXPECT_EQ(ReadEntry(all, "b\\two.txt"), "2");
    EXPECT_EQ(all.Records().count("ALL.PAK"), 0u);

    struct Case {
        const char* name;
        std::string args;
    };
    const Case refused[] = {
        { "output named as an input", "-C " + src.Path() + " " + src / "all.pak" + " all.pak a" },
        { "one file twice", "-C " + src.Path() + " " + src / "x.pak" + " a a/one.txt" },
        { "names differing in case only", "-C " + src.Path() + " " + src / "x.pak" + " a A/one.txt" },
    };
    src.Write("A/one.txt", "other");
    for (const Case& c : refused) {
        SCOPED_TRACE(c.name);
        EXPECT_NE(RunPakBuild(c.args), 0);
    }
    EXPECT_FALSE(std::filesystem::exists(src / "x.pak"));
}

TEST(PakBuild, EntryNames)
{
    struct Row {
        const char* path;
        const char* stored;
    } rows[] = {
        { "a/b\\c.txt", "a\\b\\c.txt" },
        { "a//b", "" },
        { "./a", "" },
        { "a/../b", "" },
        { "/abs", "" },
        { "", "" },
    };
    for (const Row& r : rows)
        EXPECT_EQ(pakbuild::PakEntryName(r.path), r.stored) << r.path;
    EXPECT_EQ(pakbuild::PakEntryName(std::string(255, 'n')), std::string(255, 'n'));
    EXPECT_EQ(pakbuild::PakEntryName(std::string(256, 'n')), "");
}

} // namespace
