#include "framework/core/Strings.h"

#include <gtest/gtest.h>

using namespace Kivo;

namespace {

TEST(Strings, CaseTrimAndFind)
{
    EXPECT_EQ(StringToUpper("Level 1\xE9"), "LEVEL 1\xE9"); // ASCII letters only
    EXPECT_EQ(StringToLower("ABC-x"), "abc-x");
    EXPECT_EQ(UpperCaseCopy("mixEd"), "MIXED");
    EXPECT_EQ(Trim("  \t a b \r\n"), "a b");
    EXPECT_EQ(Trim(" \t \n"), "");

    struct Row {
        const char *haystack, *needle;
        int index;
    } rows[] = {
        { "Hello World", "WORLD", 6 },
        { "Hello", "", 0 },
        { "", "", -1 },
        { "", "a", -1 },
        { "abc", "abcd", -1 },
        { "aaab", "AAB", 1 },
    };
    for (const Row& r : rows)
        EXPECT_EQ(StrFindNoCase(r.haystack, r.needle), r.index) << r.haystack << " / " << r.needle;
}

TEST(Strings, StringToInt)
{
    struct Row {
        const char* text;
        bool ok;
        int value;
    } rows[] = {
        { "12a", false, 0 },
        { "-42", true, -42 },
        { "0x", true, 0 },
        { "x1", false, 0 },
        { "0x1F", true, 31 },
        { "0X1f", true, 31 },
        { "-0x10", false, 0 },
        { "1x", false, 0 }, // 'x' needs a value of 0 before it
        { "-", true, 0 },
        { "", false, 0 },
        { "+1", false, 0 },
        { "2147483647", true, 2147483647 },
        { "-2147483648", true, -2147483647 - 1 },
        { "4294967296", true, 0 }, // wraps, no undefined overflow
        { "0xFFFFFFFF", true, -1 },
    };
    for (const Row& r : rows) {
        int out = 99;
        EXPECT_EQ(StringToInt(r.text, out), r.ok) << r.text;
        EXPECT_EQ(out, r.value) << r.text;
    }
}

TEST(Strings, StringToDoubleAndHex)
{
    struct Row {
        const char* text;
        bool ok;
        double value;
    } rows[] = {
        { "3.25", true, 3.25 },
        { "-.5", true, -0.5 },
        { "1e3", false, 0 },
        { "+1", false, 0 },
        { "", false, 0 },
        { "12", true, 12 },
        { "1.2.3", false, 0 },
    };
    for (const Row& r : rows) {
        double out = 99;
        EXPECT_EQ(StringToDouble(r.text, out), r.ok) << r.text;
        EXPECT_DOUBLE_EQ(out, r.value) << r.text;
    }

    uint32_t u = 1;
    EXPECT_TRUE(HexStringToUInt("", u));
    EXPECT_EQ(u, 0u);
    EXPECT_TRUE(HexStringToUInt("ffFF00aa", u));
    EXPECT_EQ(u, 0xFFFF00AAu);
    EXPECT_FALSE(HexStringToUInt("12g", u));
}

TEST(Strings, CommaSeparateAndFormat)
{
    EXPECT_EQ(CommaSeparate(0), "0");
    EXPECT_EQ(CommaSeparate(999), "999");
    EXPECT_EQ(CommaSeparate(1000), "1,000");
    EXPECT_EQ(CommaSeparate(1234567), "1,234,567");
    EXPECT_EQ(CommaSeparate(-5), "");

    EXPECT_EQ(StrFormat("level%03d.level", 7), "level007.level");
    std::string big(5000, 'q');
    EXPECT_EQ(StrFormat("<%s>", big.c_str()), "<" + big + ">"); // past the first buffer
    EXPECT_EQ(StrFormat("%s", std::string(159, 'a').c_str()).size(), 159u);
    EXPECT_EQ(StrFormat("%s", std::string(160, 'a').c_str()).size(), 160u);
}

TEST(Strings, WideningAndNarrowingAreExactInverses)
{
    std::string all;
    for (int c = 1; c < 256; ++c)
        all += static_cast<char>(c);
    std::wstring wide = StringToWString(all);
    ASSERT_EQ(wide.size(), 255u);
    EXPECT_EQ(wide[0xE8 - 1], static_cast<wchar_t>(0xE8));
    EXPECT_EQ(WStringToString(wide), all);
    EXPECT_EQ(WStringToString(L"\u20AC\u2122\u0178"), "\x80\x99\x9F"); // text decoded from UTF-8
    EXPECT_EQ(WStringToString(L"a\u4E2Db"), "a?b");
}

TEST(Strings, XMLDecoding)
{
    struct Row {
        const char *in, *out;
    } rows[] = {
        { "a &lt;b&gt; &cr;", "a <b> \n" },
        { "&amp;&quot;&apos;&nbsp;", "&\"' " },
        { "x&bogus;y", "x&y" },
        { "Salt & pepper; more", "Salt & pepper; more" }, // the ';' is too far to end an entity
        { "no end &amp", "no end &amp" },
        { "&verylongname;", "&verylongname;" },
        { "&lt", "&lt" },
        { "&\xE9;", "&\xE9;" },
    };
    for (const Row& r : rows) {
        EXPECT_EQ(XMLDecodeString(r.in), r.out) << r.in;
        EXPECT_EQ(XMLDecodeWString(StringToWString(r.in)), StringToWString(r.out)) << r.in;
    }
}

} // namespace
