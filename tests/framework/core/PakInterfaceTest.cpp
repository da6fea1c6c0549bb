#include "framework/core/PakInterface.h"
#include "tests/support/ScopedCwd.h"
#include "tests/support/TempDir.h"
#include "tools/pakbuild/PakWriter.h"

#include <cstring>
#include <gtest/gtest.h>
#include <vector>

using pakbuild::BuildPak;
using pakbuild::PakEntry;
using testsupport::ScopedCwd;
using testsupport::TempDir;

namespace {

std::string Descrambled(std::string pak)
{
    for (size_t i = 0; i < pak.size(); ++i)
        pak[i] = static_cast<char>(PakScrambleByte(static_cast<uint8_t>(pak[i]), i));
    return pak;
}

std::string ReadAll(PakInterface& pak, const std::string& name, const char* mode = "rb")
{
    PakFileHandle* h = pak.Open(name, mode);
    if (!h)
        return "<missing>";
    std::string out;
    char buf[7];
    while (size_t n = pak.Read(buf, 1, sizeof buf, h))
        out.append(buf, n);
    pak.Close(h);
    return out;
}

std::string Bytes(size_t n)
{
    std::string s(n, 0);
    for (size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>(i * 7 + i / 256);
    return s;
}

class PakTest : public ::testing::Test {
protected:
    // Writes an archive into the temporary folder and adds it.
    bool Add(const std::string& file, const std::string& bytes)
    {
        return pak.AddPakFile(dir.Write(file, bytes));
    }
    bool Add(const std::string& file, const std::vector<PakEntry>& entries)
    {
        return Add(file, BuildPak(entries));
    }

    TempDir dir;
    PakInterface pak;
};

TEST_F(PakTest, NamesAreNormalisedForLookup)
{
    ASSERT_TRUE(Add("a.pak", { { "Data\\Levels\\level001.level", "L1" }, { "A\\C", "ac" }, { "C", "c" }, { "AC", "x" } }));
    struct Row {
        const char* name;
        const char* content;
    } rows[] = {
        { "data/Levels//level001.level", "L1" },
        { "DATA\\LEVELS\\LEVEL001.LEVEL", "L1" },
        { "a/b/../c", "ac" },
        { "a/../c", "c" },
        { "ab\\..\\c", "c" },
        { "./a/c", "<missing>" },
    };
    for (const Row& r : rows)
        EXPECT_EQ(ReadAll(pak, r.name), r.content) << r.name;

    EXPECT_EQ(FixFileName("a\\\\/b"), "A\\B");
    EXPECT_EQ(FixFileName("./data"), ".\\DATA");
    EXPECT_EQ(FixFileName(std::string(255, 'x')), std::string(255, 'X'));
    EXPECT_EQ(FixFileName(std::string(256, 'x')), "");
    EXPECT_EQ(pak.Open(std::string(300, 'a'), "rb"), nullptr);

    ScopedCwd cwd(dir.Path());
    EXPECT_EQ(FixFileName(dir.Path() + "/sub\\x.png"), "SUB\\X.PNG");
}

TEST_F(PakTest, ModesChooseArchiveOrDisk)
{
    ASSERT_TRUE(Add("a.pak", { { "X.TXT", "packed" } }));
    for (const char* mode : { "r", "rb", "rt", "RB", "Rt" })
        EXPECT_EQ(ReadAll(pak, "x.txt", mode), "packed") << mode;
    ScopedCwd cwd(dir.Path());
    EXPECT_EQ(pak.Open("x.txt", "r+b"), nullptr); // not on disk
    dir.Write("x.txt", "loose");
    PakFileHandle* h = pak.Open("x.txt", "r+b");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->record, nullptr);
    EXPECT_EQ(PakFileWrite("y", 1, 1, h), 1u);
    pak.Close(h);
    EXPECT_EQ(ReadAll(pak, "x.txt", "rb"), "packed");
}

TEST_F(PakTest, ReadsDescrambleEveryOffset)
{
    const std::string big = Bytes(1000);
    ASSERT_TRUE(Add("a.pak", { { "FIRST", "abc" }, { "BIG", big }, { "EMPTY", "" } }));
    EXPECT_EQ(ReadAll(pak, "big"), big);

    PakFileHandle* h = pak.Open("big", "rb");
    ASSERT_NE(h, nullptr);
    uint32_t words[300];
    EXPECT_EQ(pak.Read(words, 4, 300, h), 250u);
    EXPECT_EQ(std::memcmp(words, big.data(), 1000), 0);
    EXPECT_EQ(pak.Read(words, 0, 5, h), 0u);
    pak.Seek(h, 998, SEEK_SET);
    char three[3];
    EXPECT_EQ(pak.Read(three, 3, 1, h), 0u); // a partial element is copied, not counted
    EXPECT_EQ(pak.Tell(h), 1000);
    EXPECT_EQ(three[1], big[999]);
    EXPECT_EQ(pak.Read(three, SIZE_MAX, 2, h), 0u);
    pak.Close(h);

    h = pak.Open("empty", "rb");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(pak.Read(three, 1, 3, h), 0u);
    EXPECT_EQ(pak.GetChar(h), -1);
    EXPECT_NE(pak.AtEof(h), 0);
    pak.Close(h);

    // The archive's own name yields the whole descrambled file.
    ScopedCwd cwd(dir.Path());
    PakInterface other;
    ASSERT_TRUE(other.AddPakFile("a.pak"));
    std::string plain = Descrambled(BuildPak({ { "FIRST", "abc" }, { "BIG", big }, { "EMPTY", "" } }));
    EXPECT_EQ(ReadAll(other, "A.pak"), plain);
}

TEST_F(PakTest, SeekClampsToTheEntry)
{
    ASSERT_TRUE(Add("a.pak", { { "E", "0123456789" } }));
    PakFileHandle* h = pak.Open("e", "rb");
    ASSERT_NE(h, nullptr);
    struct Row {
        int32_t offset;
        int origin;
        int32_t pos;
    } rows[] = {
        { 4, SEEK_SET, 4 }, { 0, SEEK_END, 10 }, { -5, SEEK_SET, 0 }, { 20, SEEK_SET, 10 },
        { -3, SEEK_END, 7 }, { 2, SEEK_CUR, 9 }, { 5, SEEK_CUR, 10 }, { 1, 7, 10 }, { -100, SEEK_CUR, 0 },
    };
    for (const Row& r : rows) {
        EXPECT_EQ(pak.Seek(h, r.offset, r.origin), 0);
        EXPECT_EQ(pak.Tell(h), r.pos) << r.offset << " from " << r.origin;
    }
    EXPECT_EQ(pak.UngetChar('z', h), 'z');
    EXPECT_EQ(pak.UngetChar('z', h), 'z');
    EXPECT_EQ(pak.GetChar(h), '0'); // the byte is not replaced
    pak.Close(h);
}

TEST_F(PakTest, CharactersAndLinesSkipCarriageReturns)
{
    ASSERT_TRUE(Add("a.pak", { { "T", "ab\r\ncd" } }));
    PakFileHandle* h = pak.Open("t", "rt");
    std::string got;
    for (int c; (c = pak.GetChar(h)) != -1;)
        got += static_cast<char>(c);
    EXPECT_EQ(got, "ab\ncd");

    pak.Seek(h, 0, SEEK_SET);
    char line[80];
    ASSERT_NE(pak.GetLine(line, 80, h), nullptr);
    EXPECT_STREQ(line, "ab\n");
    ASSERT_NE(pak.GetLine(line, 80, h), nullptr);
    EXPECT_STREQ(line, "cd");
    EXPECT_EQ(pak.GetLine(line, 80, h), nullptr);

    pak.Seek(h, 0, SEEK_SET);
    ASSERT_NE(pak.GetLine(line, 2, h), nullptr);
    EXPECT_STREQ(line, "a");
    EXPECT_EQ(pak.GetLine(line, 0, h), nullptr);
    pak.Close(h);
}

TEST_F(PakTest, LaterArchiveWins)
{
    ASSERT_TRUE(Add("one.pak", { { "SAME", "first" }, { "ONLY1", "1" } }));
    ASSERT_TRUE(Add("two.pak", { { "same", "second" }, { "DUP", "a" }, { "DUP", "b" } }));
    EXPECT_EQ(ReadAll(pak, "same"), "second");
    EXPECT_EQ(ReadAll(pak, "only1"), "1");
    EXPECT_EQ(ReadAll(pak, "dup"), "b");
}

TEST_F(PakTest, BadHeadersAreRefused)
{
    std::string good = Descrambled(BuildPak({ { "X", "x" } }));
    std::string badMagic = good;
    badMagic[0] ^= 1;
    std::string version1 = good;
    version1[4] = 1;
    EXPECT_FALSE(Add("magic.pak", Descrambled(badMagic)));
    EXPECT_FALSE(Add("version.pak", Descrambled(version1)));
    EXPECT_FALSE(Add("short.pak", BuildPak({}).substr(0, 6)));
    EXPECT_FALSE(Add("empty.pak", ""));
    EXPECT_FALSE(pak.AddPakFile(dir / "missing.pak"));
    EXPECT_FALSE(pak.AddPakFile(dir.Path()));
    EXPECT_EQ(ReadAll(pak, "x"), "<missing>");
}

// A damaged archive is refused as a whole (AddPakFile is false), yet its
// intact entries stay readable.
TEST_F(PakTest, CorruptDirectoriesAreRefusedEntryByEntry)
{
    // Truncated: the data of the last entry runs past the end of the file.
    std::string pak1 = BuildPak({ { "KEEP", "keep" }, { "CUT", "0123456789" } });
    EXPECT_FALSE(Add("cut.pak", pak1.substr(0, pak1.size() - 3)));
    EXPECT_EQ(ReadAll(pak, "keep"), "keep");
    EXPECT_EQ(ReadAll(pak, "cut"), "<missing>");

    // A negative size, and an entry after it whose start is thereby wrong.
    std::string plain = Descrambled(BuildPak({ { "NEG", "abc" }, { "AFTER", "def" }, { "OK", "" } }));
    size_t sizeAt = 8 + 2 + 3;
    plain.replace(sizeAt, 4, "\xFF\xFF\xFF\xFF", 4);
    EXPECT_FALSE(Add("neg.pak", Descrambled(plain)));
    EXPECT_EQ(ReadAll(pak, "neg"), "<missing>");
    EXPECT_EQ(ReadAll(pak, "after"), "<missing>");
    EXPECT_EQ(ReadAll(pak, "ok"), "");

    // A huge size that would wrap a 32-bit sum.
    plain = Descrambled(BuildPak({ { "HUGE", "abc" } }));
    plain.replace(8 + 2 + 4, 4, "\xFF\xFF\xFF\x7F", 4);
    EXPECT_FALSE(Add("huge.pak", Descrambled(plain)));
    EXPECT_EQ(ReadAll(pak, "huge"), "<missing>");

    // No end marker: the directory runs to the end of the file and the
    // data area is empty, so only empty entries survive.
    plain = Descrambled(BuildPak({ { "NOEND", "" }, { "GONE", "zz" } }));
    plain.resize(plain.size() - 3); // drop the marker and the data
    EXPECT_FALSE(Add("noend.pak", Descrambled(plain)));
    EXPECT_EQ(ReadAll(pak, "noend"), "");
    EXPECT_EQ(ReadAll(pak, "gone"), "<missing>");
}

TEST_F(PakTest, TheArchiveHoldingANameIsNamed)
{
    ASSERT_TRUE(Add("one.pak", { { "images\\ui\\button.png", "png" }, { "SAME", "1" } }));
    ASSERT_TRUE(Add("two.pak", { { "same", "2" } }));
    const struct {
        const char* name;
        std::string archive;
    } cases[] = {
        { "images/ui/button.png", dir / "one.pak" },
        { "images/ui/button", dir / "one.pak" }, // the extension left to the loader
        { "images/ui", "" },
        { "images/ui/butto", "" },
        { "same", dir / "two.pak" },
        { "loose.txt", "" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(pak.ArchiveHolding(c.name), c.archive) << c.name;
}

TEST_F(PakTest, ListingGivesArchiveEntriesThenDisk)
{
    ASSERT_TRUE(Add("a.pak", { { "IMAGES\\A.PNG", "aa" }, { "IMAGES\\SUB\\B.PNG", "b" }, { "IMAGES\\C.JPG", "" }, { "ABA", "" }, { "BA", "" } }));
    dir.Write("images/disk.png", "");
    ScopedCwd cwd(dir.Path());

    auto list = [&](const std::string& pattern) {
        std::vector<std::string> names;
        WIN32_FIND_DATAA data;
        HANDLE h = pak.FindFirst(pattern, &data);
        if (h == INVALID_HANDLE_VALUE)
            return names;
        do {
            names.push_back(std::string(data.cFileName) + (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? "/" : "")
                + ":" + std::to_string(data.nFileSizeLow));
        } while (pak.FindNext(h, &data));
        EXPECT_TRUE(pak.FindClose(h));
        return names;
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(list("images/*.png"), (V { "A.PNG:2", "B.PNG:1", "disk.png:0" }));
    EXPECT_EQ(list("images\\a.png"), V {});
    EXPECT_EQ(list("images\\disk.png"), (V { "disk.png:0" }));
    EXPECT_EQ(list("a*ba"), (V { "ABA:0" }));
    EXPECT_EQ(list("*\\a.png"), (V { "A.PNG/:2" })); // the ending holds a separator
    EXPECT_EQ(list("nothing*"), V {});
    WIN32_FIND_DATAA data;
    EXPECT_FALSE(pak.FindNext(INVALID_HANDLE_VALUE, &data));
    EXPECT_FALSE(pak.FindClose(INVALID_HANDLE_VALUE));
}

TEST_F(PakTest, FreeFunctionsUseTheActiveInstanceElseStdio)
{
    ASSERT_TRUE(Add("a.pak", { { "P.TXT", "packed" } }));
    dir.Write("Data/Sub/File.txt", "loose");
    ScopedCwd cwd(dir.Path());

    PakInterfaceBase* previous = SetActivePakInterface(&pak);
    PakFileHandle* h = PakFileOpen("p.txt", "rb");
    ASSERT_NE(h, nullptr);
    char buf[16] = {};
    EXPECT_EQ(PakFileRead(buf, 1, sizeof buf, h), 6u);
    EXPECT_EQ(PakFileWrite("x", 1, 1, h), 0u); // archive entries are never written
    EXPECT_NE(PakFileEof(h), 0);
    EXPECT_EQ(PakFileSeek(h, -2, SEEK_END), 0);
    EXPECT_EQ(PakFileGetc(h), 'e');
    EXPECT_EQ(PakFileUngetc('e', h), 'e');
    EXPECT_EQ(PakFileTell(h), 4);
    EXPECT_EQ(PakFileClose(h), 0);

    for (PakInterfaceBase* active : { static_cast<PakInterfaceBase*>(&pak), static_cast<PakInterfaceBase*>(nullptr) }) {
        SetActivePakInterface(active);
        h = PakFileOpen("data\\SUB\\file.TXT", "rb");
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(PakFileGetc(h), 'l');
        EXPECT_EQ(PakFileSeek(h, -2, SEEK_END), 0);
        EXPECT_EQ(PakFileTell(h), 3);
        EXPECT_EQ(PakFileRead(buf, 1, sizeof buf, h), 2u);
        EXPECT_NE(PakFileEof(h), 0);
        EXPECT_EQ(PakFileClose(h), 0);
    }
    EXPECT_EQ(PakFileOpen("p.txt", "rb"), nullptr); // no instance: disk only
    SetActivePakInterface(previous);
}

} // namespace
