#include "platform/win32/FindFile.h"
#include "tests/support/TempDir.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

TEST(FindFile, WildcardMatch)
{
    struct Row {
        const char *pattern, *name;
        bool match;
    } rows[] = {
        { "*.png", "A.PNG", true }, { "*.png", "a.png.bak", false }, { "*.*", "noext", true },
        { "a?c", "abc", true }, { "a?c", "ac", false }, { "*a*b", "xaab", true }, { "*a*b", "xaba", false },
        { "", "a", false }, { "*", "anything", true }, { "image*.png", "image12.png", true },
    };
    for (const Row& r : rows)
        EXPECT_EQ(WildcardMatch(r.pattern, r.name), r.match) << r.pattern << " " << r.name;
}

TEST(FindFile, ListsMatchesOfAMixedCaseFolder)
{
    testsupport::TempDir dir;
    dir.Write("Shots/image1.png", "12345");
    dir.Write("Shots/image2.PNG", "");
    dir.Write("Shots/other.txt", "");
    dir.Write("Shots/imagedir.png/x", "");

    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA((dir.Path() + "\\SHOTS\\IMAGE*.png").c_str(), &data);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    do {
        names.push_back(data.cFileName + std::string(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? "/" : "")
            + std::to_string(data.nFileSizeLow));
        EXPECT_GT(data.ftLastWriteTime.dwHighDateTime, 0u);
    } while (FindNextFileA(h, &data));
    EXPECT_TRUE(FindClose(h));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string> { "image1.png5", "image2.PNG0", "imagedir.png/0" }));

    EXPECT_EQ(FindFirstFileA((dir.Path() + "/Shots/*.gif").c_str(), &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(FindFirstFileA((dir.Path() + "/none/*").c_str(), &data), INVALID_HANDLE_VALUE);

    FILETIME t = FileTimeFromUnix(0, 0);
    EXPECT_EQ(static_cast<uint64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime, 116444736000000000ull);
}

} // namespace
