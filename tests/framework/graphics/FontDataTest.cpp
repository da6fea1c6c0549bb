#include "framework/graphics/FontData.h"

#include "FontTestSupport.h"
#include "TestHost.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace Kivo;
using graphicstest::FontFixture;

namespace {

const std::string kMain = "CreateLayer Main; LayerSetImage Main 'font.png';";

struct FontDataTest : ::testing::Test {
    // Loads the description; the result is whether it was read completely.
    bool Load(const std::string& text)
    {
        path = f.Write(text);
        data = std::make_unique<FontData>();
        data->Load(&f.host, path);
        return data->mInitialized;
    }
    FontLayerDef& Layer(const std::string& name) { return *data->mFontLayerMap.at(name); }
    // The messages of the popups, without the header and command.
    std::vector<std::string> Messages()
    {
        std::vector<std::string> out;
        const std::string header = "Font Descriptor Error in " + path + "\r\n";
        for (const std::string& p : f.host.popups) {
            EXPECT_EQ(p.compare(0, header.size(), header), 0) << p;
            const size_t end = p.find(" on Line ");
            out.push_back(p.substr(header.size(), end == std::string::npos ? end : end - header.size()));
        }
        return out;
    }
    graphicstest::TestHost images;
    FontFixture f;
    std::unique_ptr<FontData> data;
    std::string path;
};

TEST_F(FontDataTest, FourCommandsMapGlyphsOfAnImageBesideTheDescription)
{
    f.AddImage("font.png", 20, 9);
    ASSERT_TRUE(Load(kMain + "\nLayerSetImageMap Main ('a' 'b') ((0 0 5 9) (5 0 6 9));\n"
                             "LayerSetCharWidths Main ('a' 'b') (5 6);"));
    EXPECT_EQ(f.host.requested, std::vector<std::string>{ f.dir.Path() + "/fonts/font.png" });
    const FontLayerDef& main = Layer("MAIN");
    EXPECT_EQ(main.mCharData['a'].mImageRect, Rect(0, 0, 5, 9));
    EXPECT_EQ(main.mCharData['b'].mImageRect, Rect(5, 0, 6, 9));
    EXPECT_EQ(main.mCharData['a'].mWidth, 5);
    EXPECT_EQ(main.mCharData['b'].mWidth, 6);
    EXPECT_EQ(main.mDefaultHeight, 9);
    EXPECT_NE(main.mImage.ToImage(), nullptr);
    EXPECT_TRUE(static_cast<MemoryImage*>(main.mImage.ToImage())->mWantPal) << "a newly read image is palettized";
    EXPECT_TRUE(f.host.popups.empty());
}

TEST_F(FontDataTest, CommandsAndNamesInAnyCase)
{
    f.AddImage("font.png", 20, 9);
    ASSERT_TRUE(Load("createlayer Main; layersetascent MAIN 7; CreateHorzSpanRectList S (10 20 0 8) (3 4);"
                     "Define Pair (s 'x y'); LAYERSETOFFSET main (-1 2); LayerSetColorMult Main 0xFF0000;"
                     "LayerSetColorAdd Main (1 0.5 0 1); LayerSetKerningPairs Main ('AV') (-300);"
                     "SetCharMap ('\xE9' '\xFF') ('e' 'f'); LayerSetCharWidths Main ('\xFF') (9);"
                     "CreateLayerFrom Copy main; LayerRequireTags Copy ('bold');"
                     "Define Outline ('outline'); LayerExcludeTags Copy Outline; LayerPointRange copy 10 -1; LayerSetBaseOrder Copy -1;"));
    const FontLayerDef& main = Layer("MAIN");
    EXPECT_EQ(main.mAscent, 7);
    EXPECT_EQ(main.mOffsetX, -1);
    EXPECT_EQ(main.mOffsetY, 2);
    EXPECT_EQ(main.mColorMult, Color(255, 0, 0));
    Color add(255, 127, 0);
    EXPECT_EQ(main.mColorAdd, add);
    EXPECT_EQ(main.mCharData['A'].mKerningOffsets['V'], -44) << "the low 8 bits as a signed byte";
    EXPECT_EQ(main.mCharData[0xFF].mWidth, 9);
    EXPECT_EQ(data->mCharMap[0xE9], 'e');
    EXPECT_EQ(data->mCharMap[0xFF], 'f');
    EXPECT_EQ(data->ElementToText(data->GetDefine("s")), "((10, 20, 3, 8), (13, 20, 4, 8))");
    EXPECT_EQ(data->ElementToText(data->GetDefine("PAIR")), "(((10, 20, 3, 8), (13, 20, 4, 8)), x y)");
    const FontLayerDef& copy = Layer("COPY");
    EXPECT_EQ(copy.mAscent, 7);
    EXPECT_EQ(copy.mRequiredTags, std::vector<std::string>{ "BOLD" });
    EXPECT_EQ(copy.mExcludedTags, std::vector<std::string>{ "OUTLINE" });
    EXPECT_EQ(copy.mMinPointSize, 10);
    EXPECT_EQ(copy.mMaxPointSize, -1);
    EXPECT_EQ(copy.mBaseOrder, -1);
    EXPECT_EQ(main.mBaseOrder, 0);
    EXPECT_TRUE(f.host.popups.empty()) << f.host.popups[0];
}

TEST_F(FontDataTest, BadCommandsReportTheirMessages)
{
    f.AddImage("font.png", 20, 9);
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        { "Bogus 1", { "Unknown Command" } },
        { "LayerSetAscent Main", { "Invalid Number of Parameters" } },
        { "LayerSetAscent Other 3", { "Undefined Layer", "Invalid Paramater Type" } },
        { "LayerSetAscent (Main) 3", { "Invalid Paramater Type" } },
        { "LayerSetDrawMode Main 2", { "Invalid Paramater Type" } },
        { "LayerSetDrawMode Main -1", { "Invalid Paramater Type" } },
        { "LayerSetColorMult Main (1 0 0)", { "Invalid Paramater Type" } },
        { "LayerSetColorMult Main (1 0 0 1 1)", { "Invalid Paramater Type" } },
        { "Define Size 12; SetDefaultPointSize Size", { "Invalid Paramater Type" } },
        { "Define 5x 1", { "Invalid Paramater Type" } },
        { "LayerSetCharWidths Main ('a' 'b') (1)", { "List Size Mismatch" } },
        { "LayerSetCharWidths Main ('a' 'bc' 'd') (1 2 3)", { "Invalid Paramater Type" } },
        { "CreateLayer Bare; LayerSetImageMap Bare ('a') ((0 0 1 1))", { "Layer image not set" } },
        { "LayerSetImage Main 'missing.png'", { "Failed to Load Image" } },
        { "LayerSetImageMap Main ('a') ((15 0 6 9))", { "Image rectangle out of bounds" } },
        { "LayerSetImageMap Main ('a') ((0 0 -1 9))", { "Image rectangle out of bounds" } },
        { "LayerSetImageMap Main ('a') ((-1 0 1 9))", { "Image rectangle out of bounds" } },
        { "LayerSetOffset Main (1)", { "Invalid Paramater Type" } },
        { "Define X (nope)", { "Unable to Dereference \"nope\"" } },
        { "Tokens (1", { "Unterminated List" } },
    };
    for (const auto& [command, messages] : cases) {
        f.host.popups.clear();
        EXPECT_FALSE(Load(kMain + command + "; CreateLayer Later;")) << command;
        EXPECT_EQ(Messages(), messages) << command;
        EXPECT_EQ(data->mFontLayerMap.count("MAIN"), 1u) << "earlier commands keep their effects";
        EXPECT_EQ(data->mFontLayerMap.count("LATER"), 0u) << "the file ends at the failure";
    }
}

TEST_F(FontDataTest, MessagesNameTheCommandAndItsLine)
{
    ASSERT_FALSE(Load("Define X 1;\nDefine X\n  (nope);\nCreateLayer A;"));
    ASSERT_EQ(f.host.popups.size(), 1u);
    EXPECT_EQ(f.host.popups[0], "Font Descriptor Error in " + path +
                                    "\r\nUnable to Dereference \"nope\" on Line 2:\r\n\r\nDefine X\n(nope)");
    EXPECT_EQ(data->GetDefine("x"), nullptr) << "a failed redefinition leaves the name undefined";

    FontData second;
    second.mInitialized = true;
    EXPECT_FALSE(second.Load(&f.host, path)) << "loaded once only";
}

TEST_F(FontDataTest, ATakenLayerNameKeepsItsLayerAndTheNewOneStays)
{
    ASSERT_TRUE(Load("CreateLayer Main; LayerSetAscent Main 3; CreateLayer MAIN; LayerSetAscent Main 5;"));
    EXPECT_EQ(Messages(), std::vector<std::string>{ "Layer Already Exists" });
    ASSERT_EQ(data->mFontLayerList.size(), 2u);
    EXPECT_EQ(data->mFontLayerList.front().mAscent, 5);
    EXPECT_EQ(data->mFontLayerList.back().mAscent, 0);
}

TEST_F(FontDataTest, WidthsFileFontsLaysGlyphsSideBySide)
{
    MemoryImage strip;
    strip.Create(12, 3);
    const std::string widths = f.dir.Write("widths.txt", "4 10\na 5\nb 6 c 100 d -2 e 1\n");
    FontData legacy;
    ASSERT_TRUE(legacy.LoadLegacy(&strip, widths));
    const FontLayerDef& layer = legacy.mFontLayerList.front();
    EXPECT_EQ(layer.mCharData['a'].mImageRect, Rect(0, 0, 5, 3));
    EXPECT_EQ(layer.mCharData['b'].mImageRect, Rect(5, 0, 6, 3));
    EXPECT_EQ(layer.mCharData['b'].mWidth, 6);
    EXPECT_EQ(layer.mCharData[' '].mWidth, 4);
    EXPECT_EQ(layer.mAscent, 10);
    EXPECT_EQ(layer.mDefaultHeight, 3);
    for (char skipped : { 'c', 'd', 'e' })
        EXPECT_EQ(layer.mCharData[static_cast<uint8_t>(skipped)].mWidth, 0) << "outside the strip: " << skipped;
    EXPECT_EQ(legacy.mCharMap['A'], 'a');
    EXPECT_EQ(legacy.mCharMap['B'], 'b');
    EXPECT_EQ(legacy.mCharMap['C'], 'C');
    EXPECT_EQ(layer.mImage.ToImage(), &strip);
    EXPECT_FALSE(layer.mImage.mOwnsUnshared);

    FontData missing;
    EXPECT_FALSE(missing.LoadLegacy(&strip, f.dir / "none.txt"));
    EXPECT_FALSE(missing.mInitialized);
}

} // namespace
