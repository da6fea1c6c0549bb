#include "framework/app/KivoAppBase.h"
#include "framework/core/PakInterface.h"
#include "tests/support/TempDir.h"
#include "tools/pakbuild/PakWriter.h"

#include <gtest/gtest.h>

using namespace Kivo;

namespace {

class TestApp : public KivoAppBase {
public:
    void Popup(const std::string& text) override { popups.push_back(text); }
    std::vector<std::string> popups;
};

TEST(Settings, DefaultsAndAccessors)
{
    TestApp app;
    EXPECT_EQ(app.GetString("DIALOG_BUTTON_OK"), "OK");
    EXPECT_EQ(app.GetString("NEW_VERSION_BODY", ""),
        "There is an update available for this product.  Would you like to visit the web site to download it?");
    EXPECT_EQ(app.GetString("MISSING", "default"), "default");
    EXPECT_EQ(app.GetString("MISSING"), "");
    EXPECT_EQ(app.GetInteger("n", 7), 7);
    app.SetInteger("n", 3);
    app.SetInteger("n", 4);
    EXPECT_EQ(app.GetInteger("n", 7), 4);
    app.SetString("s", L"caf\xE9");
    EXPECT_EQ(app.GetString("s"), "caf\xE9");
    EXPECT_TRUE(app.GetBoolean("b", true));
    EXPECT_EQ(app.GetDouble("d", 0.5), 0.5);
}

TEST(Settings, ConfigXml)
{
    testsupport::TempDir dir;
    const std::string longHex(300, 'f');
    const std::string path = dir.Write("config.xml", R"(<?xml version="1.0"?>
<other><int name="ignored" val="1"/></other>
<settings>
  <string name="RegistryKey" val="Olvane Studio\Marrowfen"/>
  <bool name="yes" val="yes"/> <bool name="empty" val=""/> <bool name="t" val="TRUE"/> <bool name="z" val="0"/>
  <bool name="f" val="false"/>
  <int name="level" val="3"/> <int name="level" val="12"/> <int name="junk" val="12abc"/>
  <float name="volume" val="0.85"/>
  <hex name="ff" val="ff"/> <hex name="x10" val="0x10"/> <hex name="zz" val="zz"/>
  <hex name="long" val=")" + longHex + R"("/> <hex name="neg" val="-1"/>
  <int name="noval"/> <int val="5"/> <Int name="case" val="1"/>
</settings>)");
    TestApp app;
    ASSERT_TRUE(app.LoadSettingsXml(path));
    EXPECT_EQ(app.GetString("RegistryKey"), "Olvane Studio\\Marrowfen");
    struct BoolRow {
        const char* name;
        bool value;
    } bools[] = { { "yes", true }, { "empty", false }, { "t", true }, { "z", false }, { "f", false } };
    for (const BoolRow& r : bools) {
        EXPECT_EQ(app.GetBoolean(r.name, !r.value), r.value) << r.name;
    }
    struct IntRow {
        const char* name;
        int value;
    } ints[] = {
        { "level", 12 }, { "junk", 12 }, { "ff", 255 }, { "x10", 16 }, { "zz", 0 }, { "long", -1 }, { "neg", -1 },
    };
    for (const IntRow& r : ints)
        EXPECT_EQ(app.GetInteger(r.name, 99), r.value) << r.name;
    EXPECT_EQ(app.GetDouble("volume", 0), 0.85);
    EXPECT_EQ(app.GetInteger("ignored", 99), 99);
    EXPECT_EQ(app.GetInteger("noval", 99), 99);
    EXPECT_EQ(app.GetInteger("", 99), 99);
    EXPECT_EQ(app.GetInteger("case", 99), 99);

    TestApp untouched;
    EXPECT_FALSE(untouched.LoadSettingsXml(dir / "missing.xml"));
    EXPECT_FALSE(untouched.LoadSettingsXml(dir.Write("bad.xml", "<settings><int name=\"a\" val=\"1\">")));
    EXPECT_EQ(untouched.GetInteger("a", 99), 99);
    EXPECT_TRUE(untouched.LoadSettingsXml(dir.Write("none.xml", "<config/>")));

    // Bytes are kept as Windows-1252; a UTF-8 mark is skipped.
    TestApp marked;
    ASSERT_TRUE(marked.LoadSettingsXml(dir.Write("bom.xml", "\xEF\xBB\xBF<settings><string name=\"s\" val=\"caf\xE9\"/></settings>")));
    EXPECT_EQ(marked.GetString("s"), "caf\xE9");
}

TEST(Settings, PropertiesFilesThroughTheArchives)
{
    testsupport::TempDir dir;
    PakInterface pak;
    ASSERT_TRUE(pak.AddPakFile(dir.Write("main.pak",
        pakbuild::BuildPak({
            { "PROPERTIES\\GOOD.XML", "<Properties><String id=\"t\">Hello</String><Integer id=\"i\">0x10</Integer></Properties>" },
            { "PROPERTIES\\BAD.XML", "<Properties>\n<Boolean id=\"b\">maybe</Boolean></Properties>" },
        }))));
    PakInterfaceBase* previous = SetActivePakInterface(&pak);

    TestApp app;
    EXPECT_TRUE(app.LoadProperties("properties/good.xml", true, false));
    EXPECT_EQ(app.GetString("t"), "Hello");
    EXPECT_EQ(app.GetInteger("i", 0), 16);
    EXPECT_TRUE(app.LoadProperties("properties/none.xml", false, false));
    EXPECT_FALSE(app.LoadProperties("properties/none.xml", true, false));
    EXPECT_FALSE(app.LoadProperties("properties/good.xml", true, true));
    EXPECT_FALSE(app.LoadProperties("properties/bad.xml", true, false));
    EXPECT_EQ(app.popups, (std::vector<std::string> {
                              "Unable to open properties file properties/none.xml",
                              "Signature check failed on properties/good.xml'",
                              "Invalid Boolean Value: 'MAYBE' on Line 2",
                          }));
    SetActivePakInterface(previous);
}

} // namespace
