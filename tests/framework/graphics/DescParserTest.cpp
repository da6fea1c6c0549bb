#include "framework/graphics/DescParser.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

using namespace Kivo;

namespace {

// Records each command as text with its line; defines are set by the test.
class Recorder : public DescParser {
public:
    ~Recorder() override
    {
        for (auto& [name, value] : mDefineMap)
            delete value;
    }
    bool HandleCommand(ListDataElement* params) override
    {
        commands.push_back(ElementToText(params));
        lines.push_back(mCurrentLineNum);
        texts.push_back(mCurrentLine);
        return ElementToText(params->mElementVector[0]) != "fail";
    }
    void Define(const std::string& name, const std::string& valueText)
    {
        ListDataElement parsed;
        ASSERT_TRUE(Tokenize(valueText, &parsed, false, nullptr));
        mDefineMap[name] = parsed.mElementVector[0]->Duplicate();
    }
    // The text of the tokens, or the error message.
    std::string Tokens(const std::string& text)
    {
        ListDataElement list;
        mError.clear();
        return Tokenize(text, &list, false, nullptr) ? ElementToText(&list) : "error: " + mError;
    }
    std::vector<std::string> commands, texts;
    std::vector<int> lines;
};

TEST(DescParser, TokenizesValuesListsAndQuotes)
{
    const std::pair<std::string, std::string> cases[] = {
        { "1,2 , 3", "(1, 2, 3)" },
        { "(1 2)(3)", "((1, 2), (3))" },
        { "a (b (c)) d", "(a, (b, (c)), d)" },
        { "'x y' \"a'b\" 'it''s'", "('x y', \"a'b\", 'it''s')" },
        { "a\\ b \\(c", "(a b, (c)" },
        { "'a\\'b'", "('a'b')" },
        { "a(1)", "error: Unexpected List Start" },
        { "1 2)", "error: Unexpected List End" },
        { "(1 2", "error: Unterminated List" },
        { "'abc", "error: Unterminated Single Quotes" },
        { "\"abc", "error: Unterminated Double Quotes" },
        { std::string(64, '(') + std::string(64, ')'), "(" + std::string(64, '(') + std::string(64, ')') + ")" },
        { std::string(65, '(') + std::string(65, ')'), "error: Lists Nested Too Deeply" },
        { std::string(100000, '('), "error: Lists Nested Too Deeply" },
    };
    Recorder p;
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(p.Tokens(text), expected) << text.substr(0, 20);
}

TEST(DescParser, CommandsNeedANameAndEmptyOnesAreSkipped)
{
    Recorder p;
    EXPECT_FALSE(p.ParseCommand("(1) 2"));
    EXPECT_EQ(p.mError, "Missing Command");
    EXPECT_TRUE(p.ParseCommand(" , \n\t"));
    EXPECT_TRUE(p.commands.empty());
    EXPECT_TRUE(p.ParseCommand("Go (1 2)"));
    EXPECT_EQ(p.commands, std::vector<std::string>{ "(Go, (1, 2))" });
}

TEST(DescParser, StripQuotesKeepsOneOfEachDoubledQuote)
{
    const std::pair<const char*, const char*> cases[] = {
        { "'it''s'", "it's" }, { "'a''''b'", "a'''b" }, { "\"x\"", "x" }, { "plain", "plain" },
        { "\"it's\"", "it's" },
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(DescParser::StripQuotes(in), out) << in;
}

TEST(DescParser, ResolvesDefinesWithoutRegardToCase)
{
    Recorder p;
    p.Define("A", "5");
    p.Define("Q", "'x'");
    p.Define("L", "(1 2)");
    ListDataElement source, out;
    ASSERT_TRUE(p.Tokenize("(1 a 'x y' Q l)", &source, false, nullptr));
    ASSERT_TRUE(p.ResolveList(static_cast<ListDataElement*>(source.mElementVector[0]), &out));
    EXPECT_EQ(p.ElementToText(&out), "(1, 5, x y, 'x', (1, 2))");

    std::string s;
    SingleDataElement q("q"), l("L"), quoted("'a''b'"), nope("nope");
    EXPECT_TRUE(p.ResolveString(&q, &s));
    EXPECT_EQ(s, "x");
    EXPECT_TRUE(p.ResolveString(&quoted, &s));
    EXPECT_EQ(s, "a'b");
    p.mError.clear();
    EXPECT_FALSE(p.ResolveString(&l, &s));
    EXPECT_EQ(p.mError, "") << "a list define fails without a message";

    std::vector<std::string> strings;
    EXPECT_FALSE(p.ResolveStrings(&nope, &strings));
    EXPECT_EQ(p.mError, "Unable to Dereference \"nope\"");
    std::vector<int> ints;
    EXPECT_TRUE(p.ResolveInts(&l, &ints));
    EXPECT_EQ(ints, (std::vector<int>{ 1, 2 }));
    ListDataElement mixed;
    ASSERT_TRUE(p.Tokenize("(3 x4 5)", &mixed, false, nullptr));
    p.Define("X4", "y");
    EXPECT_FALSE(p.ResolveInts(mixed.mElementVector[0], &ints));
    EXPECT_EQ(ints, std::vector<int>{ 3 }) << "numbers before the failing one stay";
    std::vector<double> doubles;
    ListDataElement fractions;
    ASSERT_TRUE(p.Tokenize("(0.5 -2)", &fractions, false, nullptr));
    EXPECT_TRUE(p.ResolveDoubles(fractions.mElementVector[0], &doubles));
    EXPECT_EQ(doubles, (std::vector<double>{ 0.5, -2 }));
}

TEST(DescParser, DefinesInsideListsCannotDeepenWithoutBound)
{
    Recorder p;
    p.Define("D", std::string(60, '(') + "1" + std::string(60, ')'));
    ListDataElement source, out;
    ASSERT_TRUE(p.Tokenize("(((((((D)))))))", &source, false, nullptr));
    EXPECT_FALSE(p.ResolveList(&source, &out));
    EXPECT_EQ(p.mError, "Lists Nested Too Deeply");
}

TEST(DescParser, ReadsFilesCommandByCommand)
{
    testsupport::TempDir dir;
    const std::string file = dir.Write("desc.txt",
                                       "# a comment; not a command\r\n"
                                       "First 'a;b' \\;\r\n"
                                       "  Second\n"
                                       "   (1 2);  Third 'x\n"
                                       "# inside quotes, still a comment\n"
                                       "y' \"\\\"q\\\\\" a#b;\n"
                                       "\n"
                                       "fail 1; Never;");
    Recorder p;
    EXPECT_FALSE(p.LoadFile(file));
    const std::vector<std::string> expected = {
        "(First, 'a;b')", // the file keeps the unquoted backslash, the tokenizer drops it
        "(Second, (1, 2))",
        "(Third, 'x\ny', \"\"q\\\", a#b)",
        "(fail, 1)",
    };
    EXPECT_EQ(p.commands, expected);
    EXPECT_EQ(p.lines, (std::vector<int>{ 2, 3, 4, 8 }));
    EXPECT_EQ(p.texts[0], "First 'a;b' \\");
    EXPECT_EQ(p.mCurrentLineNum, 0);
    EXPECT_EQ(p.mCurrentLine, "");

    Recorder missing;
    EXPECT_FALSE(missing.LoadFile(dir / "none.txt"));
    EXPECT_EQ(missing.mError, "");
}

} // namespace
