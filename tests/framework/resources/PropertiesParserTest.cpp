#include "framework/resources/PropertiesParser.h"

#include <gtest/gtest.h>
#include <map>

using namespace Kivo;

namespace {

struct Settings : PropertiesTarget {
    void SetString(const std::string& id, const std::wstring& v) override { strings[id] = v; }
    void SetBoolean(const std::string& id, bool v) override { bools[id] = v; }
    void SetInteger(const std::string& id, int v) override { ints[id] = v; }
    void SetDouble(const std::string& id, double v) override { doubles[id] = v; }
    void InsertStringList(const std::string& id, const std::vector<std::wstring>& v) override { lists.insert({ id, v }); }

    std::map<std::string, std::wstring> strings;
    std::map<std::string, bool> bools;
    std::map<std::string, int> ints;
    std::map<std::string, double> doubles;
    std::map<std::string, std::vector<std::wstring>> lists;
};

// Parses `text`; returns the error text, "" on success.
std::string Parse(Settings& s, const std::string& text)
{
    Buffer b;
    b.SetData(text.data(), static_cast<int>(text.size()));
    PropertiesParser p(&s);
    bool ok = p.ParsePropertiesBuffer(b);
    EXPECT_EQ(ok, p.GetErrorText().empty()) << text;
    return p.GetErrorText();
}

TEST(PropertiesParser, StoresEveryKind)
{
    Settings s;
    ASSERT_EQ(Parse(s, R"(<?xml version="1.0"?>
<Properties>
  <!-- texts -->
  <String id="title">Caf)" "\xE9" R"( &amp;   more</String>
  <String id="title2">first</String> <String id="title2">second</String>
  <String>no id</String>
  <String id="empty"></String>
  <StringArray id="list"><String>a</String><String>b c</String></StringArray>
  <StringArray id="list"><String>ignored</String></StringArray>
  <Boolean id="b1">yes</Boolean> <Boolean id="b2">Off</Boolean>
  <Integer id="hex">0x10</Integer> <Integer id="neg">-7</Integer>
  <Double id="d">0.25</Double>
</Properties>
<Properties><Integer id="neg">8</Integer></Properties>)"),
        "");
    EXPECT_EQ(s.strings["title"], L"Caf\xE9 & more");
    EXPECT_EQ(s.strings["title2"], L"second");
    EXPECT_EQ(s.strings[""], L"no id");
    EXPECT_EQ(s.strings.count("empty"), 1u);
    EXPECT_EQ(s.lists["list"], (std::vector<std::wstring> { L"a", L"b c" }));
    EXPECT_TRUE(s.bools["b1"]);
    EXPECT_FALSE(s.bools["b2"]);
    EXPECT_EQ(s.ints["hex"], 16);
    EXPECT_EQ(s.ints["neg"], 8);
    EXPECT_EQ(s.doubles["d"], 0.25);

    Settings none;
    EXPECT_EQ(Parse(none, ""), "");
    EXPECT_EQ(Parse(none, "<!-- nothing -->"), "");
}

TEST(PropertiesParser, FirstFailureIsReportedWithItsLine)
{
    struct Row {
        std::string text;
        std::string error;
    } rows[] = {
        { "<Properties>\n<Boolean id=\"b\">maybe</Boolean>", "Invalid Boolean Value: 'MAYBE' on Line 2" },
        { "<Properties><Integer id=\"i\">12a</Integer>", "Invalid Integer Value: '12a' on Line 1" },
        { "<Properties><Double id=\"d\">1e5</Double>", "Invalid Double Value: '1e5' on Line 1" },
        { "<Properties>\n\nloose text<String id=\"x\">1</String>", "Element Not Expected 'loose text' on Line 3" },
        { "<Properties><Float id=\"f\">1</Float>", "Invalid Section 'Float' on Line 1" },
        { "<Props/>", "Invalid Section 'Props' on Line 1" },
        { "<Properties><String id=\"s\"><b/></String>", "Unexpected Section: 'b' on Line 1" },
        { "<Properties><StringArray id=\"l\"><Item/></StringArray>", "Invalid Section 'Item' on Line 1" },
        { "<Properties><StringArray id=\"l\">x</StringArray>", "Element Not Expected 'x' on Line 1" },
        { "<Properties>\n<String id=\"s\">1</Strin>", "End 'Strin' Doesn't Match Start 'String' on Line 2" },
        { "\xEF\xBB\xBF<Properties/>", "Element Not Expected '\xEF\xBB\xBF' on Line 1" },
    };
    for (const Row& r : rows) {
        Settings s;
        EXPECT_EQ(Parse(s, r.text), r.error) << r.text;
    }

    Settings s;
    EXPECT_NE(Parse(s, "<Properties><Integer id=\"a\">1</Integer><Integer id=\"b\">x</Integer><Integer id=\"c\">3</Integer>"), "");
    EXPECT_EQ(s.ints, (std::map<std::string, int> { { "a", 1 } }));
}

} // namespace
