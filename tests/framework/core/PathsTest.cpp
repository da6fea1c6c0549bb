#include "framework/core/Paths.h"
#include "tests/support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace Kivo;

namespace {

TEST(Paths, FileNameAndDir)
{
    struct Row {
        const char* path;
        bool noExtension;
        const char* name;
    } names[] = {
        { "a/b.c/d", true, "d" },
        { "a\\b\\c.txt", true, "c" },
        { "a\\b\\c.txt", false, "c.txt" },
        { "c.tar.gz", true, "c.tar" },
        { "plain", true, "plain" },
        { "dir/", false, "" },
    };
    for (const Row& r : names)
        EXPECT_EQ(GetFileName(r.path, r.noExtension), r.name) << r.path;

    EXPECT_EQ(GetFileDir("name.txt"), "");
    EXPECT_EQ(GetFileDir("a/b\\c.txt"), "a/b");
    EXPECT_EQ(GetFileDir("a/b\\c.txt", true), "a/b\\");
    EXPECT_EQ(RemoveTrailingSlash("a/b/"), "a/b");
    EXPECT_EQ(RemoveTrailingSlash("a"), "a");
    EXPECT_EQ(AddTrailingSlash(""), "");
    EXPECT_EQ(AddTrailingSlash("a"), "a\\");
    EXPECT_EQ(AddTrailingSlash("a", false), "a/");
    EXPECT_EQ(AddTrailingSlash("a/"), "a/");
}

TEST(Paths, GetPathFrom)
{
    struct Row {
        const char *rel, *dir, *out;
    } rows[] = {
        { "../c/d.txt", "a\\b", "a\\c\\d.txt" },
        { "C:\\x\\y.txt", "a\\b", "C:\\x\\y.txt" },
        { "./c/./d.txt", "a/b/", "a/b/c/d.txt" },
        { "c/d.txt", "D:\\games", "D:\\games\\c\\d.txt" },
        { "../../x", "a/b", "x" },
        { "../x", "../a/..", "../a/../../x" }, // a final ".." in dir is stacked on, not undone
        { "../x", "", "../x" },
        { "../x", "/", "/x" }, // the root has nothing above it
        { "/abs/x", "a", "/abs/x" },
        { "a//b", "d", "d/a/b" },
        { "file", "", "file" },
    };
    for (const Row& r : rows)
        EXPECT_EQ(GetPathFrom(r.rel, r.dir), r.out) << r.rel << " from " << r.dir;

    EXPECT_EQ(GetFullPath("x.txt"), std::filesystem::current_path().string() + "/x.txt");
}

TEST(Paths, MakeDirectoriesTakesEitherSeparatorAndMatchesCase)
{
    testsupport::TempDir dir;
    std::filesystem::create_directory(dir / "Profiles");
    MakeDirectories(dir.Path() + "\\profiles\\slot\\deep");
    EXPECT_TRUE(std::filesystem::is_directory(dir / "Profiles/slot/deep"));
    EXPECT_FALSE(std::filesystem::exists(dir / "profiles"));
    MakeDirectories(dir.Path() + "/Profiles/slot/deep/"); // already there: no harm
    EXPECT_TRUE(std::filesystem::is_directory(dir / "Profiles/slot/deep"));
}

TEST(Paths, CurrentDirHandlesLongPaths)
{
    testsupport::TempDir dir;
    std::string deep = dir.Path();
    for (int i = 0; i < 30; ++i)
        deep += "/folder_with_a_long_name";
    std::filesystem::create_directories(deep);
    auto saved = std::filesystem::current_path();
    std::filesystem::current_path(deep);
    EXPECT_EQ(GetCurrentDir(), std::filesystem::current_path().string());
    EXPECT_GT(GetCurrentDir().size(), 256u);
    std::filesystem::current_path(saved);
}

TEST(Paths, AppDataFolderGetsATrailingSeparator)
{
    EXPECT_EQ(GetAppDataFolder(), "");
    SetAppDataFolder("/home/p/data");
    EXPECT_EQ(GetAppDataFolder(), "/home/p/data\\");
    SetAppDataFolder("/home/p/data/");
    EXPECT_EQ(GetAppDataFolder(), "/home/p/data/");
    SetAppDataFolder("");
    EXPECT_EQ(GetAppDataFolder(), "");
}

} // namespace
