#include "framework/core/PakInterface.h"
#include "framework/resources/XMLParser.h"
#include "tests/support/TempDir.h"
#include "tools/pakbuild/PakWriter.h"

#include <gtest/gtest.h>

using namespace Kivo;

namespace {

// One line per element: S(tart) E(nd) T(ext) I(nstruction), the value, the
// attributes in order, then "!" and the error text when the parse failed.
std::string Describe(XMLParser& p)
{
    std::string out;
    XMLElement e;
    while (p.NextElement(&e)) {
        static const char kinds[] = "?SETIC";
        out += kinds[e.mType];
        out += ":" + e.mValue;
        for (auto& [name, value] : e.mAttributes)
            out += " " + name + "=" + value;
        if (!e.mInstruction.empty())
            out += " [" + e.mInstruction + "]";
        out += "|";
    }
    if (p.HasFailed())
        out += "!" + p.GetErrorText();
    return out;
}

std::string ParseString(const std::string& text)
{
    XMLParser p;
    p.SetStringSource(text);
    return Describe(p);
}

TEST(XMLParser, Tokens)
{
    struct Row {
        const char* text;
        const char* elements;
    } rows[] = {
        { "<a b=\"1\"/>", "S:a b=1|E:a|" },
        { "<a b=\"1\" />", "S:a b=1|E:a|" },
        { "<a/>", "S:a|E:a|" },
        { "<a b=1/>", "S:a b=1|E:a|" },
        { "<a b=\"1/\" >", "S:a b=1/|" },
        { "<a>  two   words  </a>", "S:a|T:two words|E:a|" },
        { "<!--x-->", "S:!--x--|" },
        { "<!-- x --><a/>", "S:a|E:a|" },
        { "<a>&lt;b&gt; &x; &amp;</a>", "S:a|T:<b> & &|E:a|" },
        { "<a b = \"x y\" c=\"\" d e='1'>", "S:a b=x y c= d= e='1'|" },
        { "<a>say \"a  <b>\"  </a>", "S:a|T:say \"a  <b>\"|E:a|" },
        { "<?xml version=\"1.0\"?><r/>", "I:xml [ version=\"1.0\"]|S:r|E:r|" },
        { "<a b=\"&amp;lt;/\">", "S:a b=<|E:a|" },
        { "<a><b></b></a>  ", "S:a|S:b|E:b|E:a|" },
        { "<a><b>", "S:a|S:b|" },
        { "<a", "!Unexpected End of File" },
        { "<a>text", "S:a|!Unexpected End of File" },
        { "<a<", "!Unexpected '<'" },
        { "a>", "!Unexpected '>'" },
        { "</a>", "!Unexpected End" },
        { "<a></b>", "S:a|!End 'b' Doesn't Match Start 'a'" },
        { "<a>\x01</a>", "S:a|!Illegal Character" },
    };
    for (const Row& r : rows)
        EXPECT_EQ(ParseString(r.text), r.elements) << r.text;
}

TEST(XMLParser, SectionsAndAttributeOrder)
{
    XMLParser p;
    p.SetStringSource("<a><b x=\"1\" y=\"2\" x=\"3\"/></a>");
    XMLElement e;
    ASSERT_TRUE(p.NextElement(&e));
    EXPECT_EQ(e.mSection, "");
    ASSERT_TRUE(p.NextElement(&e));
    EXPECT_EQ(e.mSection, "a");
    EXPECT_EQ(e.mAttributes.at("x"), "3");
    EXPECT_EQ(e.mAttributeOrder, (std::list<std::string> { "x", "y", "x" }));
    ASSERT_TRUE(p.NextElement(&e));
    EXPECT_EQ(e.mType, XMLElement::TYPE_END);
    EXPECT_EQ(e.mSection, "a/b");
    ASSERT_TRUE(p.NextElement(&e));
    EXPECT_EQ(e.mSection, "a");
    EXPECT_FALSE(p.NextElement(&e));
    EXPECT_FALSE(p.HasFailed());
}

TEST(XMLParser, LinesAreCountedEverywhere)
{
    XMLParser p;
    p.SetStringSource("<a\nb=\"1\n2\">\n<!-- \n -->\n<c>\n");
    XMLElement e;
    while (p.NextElement(&e)) {
    }
    EXPECT_EQ(p.GetErrorText(), "");
    EXPECT_EQ(p.GetCurrentLineNum(), 7);
    p.SetStringSource("<a>\n\n<");
    while (p.NextElement(&e)) {
    }
    EXPECT_EQ(p.GetErrorText(), "Unexpected End of File");
    EXPECT_EQ(p.GetCurrentLineNum(), 3);
}

class XMLFileTest : public ::testing::Test {
protected:
    std::string ParseFile(const std::string& bytes)
    {
        XMLParser p;
        if (!p.OpenFile(dir.Write("f.xml", bytes)))
            return "!" + p.GetErrorText();
        EXPECT_EQ(p.GetCurrentLineNum(), 1);
        return Describe(p);
    }
    testsupport::TempDir dir;
};

TEST_F(XMLFileTest, Encodings)
{
    using namespace std::string_literals;
    struct Row {
        std::string bytes;
        std::string elements;
    } rows[] = {
        // No mark: one byte per character, kept as Windows-1252.
        { "<a n=\"caf\xE9\">\xE9t\xE9</a>", "S:a n=caf\xE9|T:\xE9t\xE9|E:a|" },
        { "<a>\r\nx\r\n</a>", "S:a|T:x|E:a|" },
        // UTF-8 with its mark: the mark is dropped, U+00E9 narrows to E9.
        { "\xEF\xBB\xBF<a n=\"\xC3\xA9\">\xC3\xA9</a>", "S:a n=\xE9|T:\xE9|E:a|" },
        { "\xEF\xBB\xBF<a>\xC0\x80</a>", "S:a|!Illegal Character" },
        { "\xEF\xBB\xBF<a>\xFC\x80</a>", "S:a|!Illegal Character" },
        { "\xEF\xBB\xBF<a>\xE0\x80\xAF</a>", "S:a|!Illegal Character" },
        { "\xEF\xBB\xBF<a>\xED\xA0\x80</a>", "S:a|!Illegal Character" },
        { "\xEF\xBB\xBF<a>\xEF\xBF\xBE</a>", "S:a|!Illegal Character" },
        { "\xEF\xBB\xBF<a>\xC3", "S:a|!Illegal Character" },
        { "\xEF\xBB\xBF<a>\xF0\x9F\x98\x80</a>", "S:a|T:\xFD|E:a|" },
        // UTF-16 either way round; FF01 is an ordinary character (low byte kept).
        { "\xFF\xFE<\0a\0>\0\x01\xFF<\0/\0a\0>\0"s, "S:a|T:\x01|E:a|" },
        { "\xFE\xFF\0<\0a\0>\xFF\x01\0<\0/\0a\0>"s, "S:a|T:\x01|E:a|" },
        // A lone low surrogate ends the input.
        { "\xFF\xFE<\0a\0>\0x\0\x00\xDC<\0/\0a\0>\0"s, "S:a|!Unexpected End of File" },
        { "\xFF\xFE<\0a\0/\0>\0"s, "S:a|E:a|" },
    };
    for (const Row& r : rows)
        EXPECT_EQ(ParseFile(r.bytes), r.elements) << testing::PrintToString(r.bytes);
}

TEST_F(XMLFileTest, OpenFailsWithTheName)
{
    XMLParser p;
    EXPECT_FALSE(p.OpenFile(dir / "none.xml"));
    EXPECT_TRUE(p.HasFailed());
    EXPECT_EQ(p.GetCurrentLineNum(), 0);
    EXPECT_EQ(p.GetErrorText(), "Unable to open file " + dir / "none.xml");
}

TEST_F(XMLFileTest, ReadsFromArchives)
{
    PakInterface pak;
    ASSERT_TRUE(pak.AddPakFile(dir.Write("d.pak", pakbuild::BuildPak({ { "PROPERTIES\\R.XML", "<r>\r\n</r>" } }))));
    PakInterfaceBase* previous = SetActivePakInterface(&pak);
    XMLParser p;
    EXPECT_TRUE(p.OpenFile("properties/r.xml"));
    EXPECT_EQ(Describe(p), "S:r|E:r|");
    EXPECT_EQ(p.GetFileName(), "properties/r.xml");
    SetActivePakInterface(previous);
}

} // namespace
