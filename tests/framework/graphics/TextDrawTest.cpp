#include "FontTestSupport.h"

#include <gtest/gtest.h>

#include <climits>

using namespace Kivo;
using graphicstest::FixedFont;
using Piece = FixedFont::Piece;

namespace {

Color WithAlpha(Color c, int a)
{
    c.mAlpha = a;
    return c;
}

struct TextDrawTest : ::testing::Test {
    TextDrawTest()
    {
        g.SetFont(&font);
        g.SetColor(start);
    }
    FixedFont font;
    graphicstest::RecordingImage dest{ 1000, 1000 };
    Graphics g{ &dest };
    Color start = WithAlpha(Color(1, 2, 3), 100);
};

TEST_F(TextDrawTest, ColourCodesSwitchTheColourAndKeepTheAlpha)
{
    const Color green = WithAlpha(Color(0, 255, 0), 100), red = WithAlpha(Color(255, 0, 0), 100);
    const Color black = WithAlpha(Color(0, 0, 0), 100), odd = WithAlpha(Color(0xAB, 0x00, 0xCD), 100);
    struct Case {
        std::string text;
        std::vector<Piece> pieces;
        int width;
    } cases[] = {
        { "a^00FF00^b", { { "a", 0, 20, start }, { "b", 10, 20, green } }, 20 },
        { "a^^b", { { "a^b", 0, 20, start } }, 30 },
        { "ab^FF", { { "ab", 0, 20, start } }, 20 },
        { "^FF0000^a^oldclr^b", { { "a", 0, 20, red }, { "b", 10, 20, start } }, 20 },
        { "^ozzzzz^c", { { "c", 0, 20, black } }, 10 },
        { "^aBx#cd^e", { { "e", 0, 20, odd } }, 10 }, // not hex digits count as 0
    };
    for (const Case& c : cases) {
        font.drawn.clear();
        g.SetColor(start);
        EXPECT_EQ(g.WriteString(c.text, 0, 20), c.width) << c.text;
        EXPECT_EQ(font.drawn, c.pieces) << c.text;
    }
    g.mWriteColoredString = false;
    EXPECT_EQ(g.WriteString("a^00FF00^b", 0, 20, -1, -1, false), 100);
}

TEST_F(TextDrawTest, JustificationAndRanges)
{
    g.WriteString("ab", 5, 0, 100, 0);
    g.WriteString("ab", 5, 0, 100, 1);
    g.WriteString("xxabyy", 5, 0, 100, -1, true, 2, 2);
    g.WriteString("xxab", 5, 0, 100, -1, true, 3, 100);
    EXPECT_EQ(font.drawn, (std::vector<Piece>{ { "ab", 45, 0, start }, { "ab", 85, 0, start }, { "ab", 5, 0, start },
                                               { "b", 5, 0, start } }));
    EXPECT_EQ(g.WriteString("abc", 0, 0, 0, -1, true, 10, 5), 0) << "an offset past the text";
}

// The lines drawn, as text and baseline.
std::vector<std::pair<std::string, int>> Lines(const FixedFont& font)
{
    std::vector<std::pair<std::string, int>> out;
    for (const Piece& p : font.drawn)
        out.emplace_back(p.text, p.y);
    return out;
}

TEST_F(TextDrawTest, WordWrapBreaksAtBlanksBarsAndLongWords)
{
    g.SetClipRect(0, 0, 1000, 1000);
    using Lines_ = std::vector<std::pair<std::string, int>>;
    struct Case {
        std::string text;
        int width;
        Lines_ lines;
        int height;
    } cases[] = {
        { "abc def", 35, { { "abc", 8 }, { "def", 20 } }, 24 },
        { "abc   def", 35, { { "abc", 8 }, { "def", 20 } }, 24 },
        { "ab|cd", 100, { { "ab", 8 }, { "cd", 20 } }, 24 },
        { "a||b", 100, { { "a", 8 }, { "b", 32 } }, 36 },
        { "|a", 100, { { "a", 20 } }, 24 },
        { "ab\n", 100, { { "ab", 8 } }, 24 },
        { "abcdefgh", 35, { { "abc", 8 }, { "def", 20 }, { "gh", 32 } }, 36 },
        { "abc", 5, { { "a", 8 }, { "b", 20 }, { "c", 32 } }, 36 },
        { "a^00FF00^bc d", 25, { { "a", 8 }, { "b", 8 }, { "c", 20 }, { "d", 32 } }, 36 },
        { "ab^12", 100, { { "ab", 8 } }, 12 },
        { "", 100, {}, 0 },
    };
    for (const Case& c : cases) {
        font.drawn.clear();
        int maxWidth = -1;
        EXPECT_EQ(g.WriteWordWrapped(Rect(0, 0, c.width, 0), c.text, -1, -1, &maxWidth), c.height) << c.text;
        EXPECT_EQ(Lines(font), c.lines) << c.text;
        EXPECT_EQ(g.GetColor(), start) << "the colour is restored";
    }
    EXPECT_EQ(g.GetWordWrappedHeight(100, "abc"), font.GetAscent() + font.GetDescent());
    int widest = 0;
    EXPECT_EQ(g.GetWordWrappedHeight(35, "ab abcd", -1, &widest), 36);
    EXPECT_EQ(widest, 40);
}

TEST_F(TextDrawTest, WordWrapLimitsAndIndents)
{
    g.SetClipRect(0, 0, 1000, 1000);
    g.WriteWordWrapped(Rect(0, 0, 100, 0), "abcdef", -1, -1, nullptr, 2);
    EXPECT_EQ(Lines(font), (std::vector<std::pair<std::string, int>>{ { "ab", 8 } }));

    font.drawn.clear();
    int last = 20;
    g.WriteWordWrapped(Rect(0, 0, 45, 0), "ab cd", -1, -1, nullptr, -1, &last);
    ASSERT_EQ(font.drawn.size(), 2u);
    EXPECT_EQ(font.drawn[0].x, 20) << "the first line starts after the last width";
    EXPECT_EQ(font.drawn[1].x, 0);
    EXPECT_EQ(last, 20);

    // Lines whose baseline cannot show in the clip are skipped.
    font.drawn.clear();
    g.SetClipRect(0, 30, 1000, 10);
    g.WriteWordWrapped(Rect(0, 0, 35, 0), "abc def ghi jkl mno", 12);
    // Baselines from 30 to 30 + 10 + 12 show; the last line always draws.
    EXPECT_EQ(Lines(font), (std::vector<std::pair<std::string, int>>{ { "ghi", 32 }, { "jkl", 44 }, { "mno", 56 } }));

    // A line break in a box as wide as an int goes: the width after the
    // break is past any int.
    font.drawn.clear();
    g.SetClipRect(0, 0, 1000, 1000);
    int widest = 0;
    g.WriteWordWrapped(Rect(0, 0, INT_MAX, 0), "a\nb", -1, -1, &widest);
    EXPECT_EQ(Lines(font), (std::vector<std::pair<std::string, int>>{ { "a", 8 }, { "b", 20 } }));
    EXPECT_EQ(widest, INT_MAX);
}

} // namespace
