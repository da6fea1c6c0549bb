#include "framework/graphics/ImageFont.h"

#include "framework/graphics/FontData.h"
#include "FontTestSupport.h"
#include "TestHost.h"

#include <gtest/gtest.h>

using namespace Kivo;
using graphicstest::FontFixture;
using graphicstest::RecordingImage;

namespace {

// Glyphs A (5 wide) and V (6 wide) in a 20 x 10 image; A kerns -2 before V,
// the layer adds 1 between characters; the ascent is 8.
const std::string kFont = "SetDefaultPointSize 10;"
                          "CreateLayer Main; LayerSetImage Main 'font.png'; LayerSetAscent Main 8;"
                          "LayerSetImageMap Main ('A' 'V') ((0 0 5 10) (5 0 6 9));"
                          "LayerSetCharWidths Main ('A' 'V') (5 6); LayerSetSpacing Main 1;"
                          "LayerSetKerningPairs Main ('AV') (-2); LayerSetCharOffsets Main ('V') ((1 -1));";

struct ImageFontTest : ::testing::Test {
    ImageFont& Make(const std::string& text)
    {
        f.AddImage("font.png", 20, 10);
        font = std::make_unique<ImageFont>(&f.host, f.Write(text));
        EXPECT_TRUE(font->mFontData->mInitialized);
        EXPECT_TRUE(f.host.popups.empty()) << f.host.popups[0];
        return *font;
    }
    graphicstest::TestHost images;
    FontFixture f;
    std::unique_ptr<ImageFont> font;
};

TEST_F(ImageFontTest, PointRangesAndTagsSelectLayers)
{
    ImageFont& font = Make(kFont + "LayerPointRange Main 10 20; CreateLayer Big; LayerPointRange Big 5 -1;"
                                   "CreateLayer Bold; LayerRequireTags Bold ('bold');"
                                   "CreateLayer Plain; LayerExcludeTags Plain ('Bold');");
    auto selected = [&](int size) {
        font.SetPointSize(size);
        font.EnsurePrepared();
        std::vector<std::string> names;
        for (const ActiveFontLayer& l : font.mActiveLayerList)
            for (const auto& [name, layer] : font.mFontData->mFontLayerMap)
                if (layer == l.mBaseFontLayer)
                    names.push_back(name);
        return names;
    };
    using Names = std::vector<std::string>;
    EXPECT_EQ(selected(9), (Names{ "BIG", "PLAIN" }));
    for (int size : { 10, 15, 20 })
        EXPECT_EQ(selected(size), (Names{ "MAIN", "BIG", "PLAIN" })) << size;
    EXPECT_EQ(selected(21), (Names{ "BIG", "PLAIN" }));
    EXPECT_EQ(selected(100000), (Names{ "BIG", "PLAIN" }));

    EXPECT_TRUE(font.AddTag("bOLd"));
    EXPECT_FALSE(font.AddTag("BOLD"));
    EXPECT_TRUE(font.HasTag("Bold"));
    EXPECT_EQ(selected(10), (Names{ "MAIN", "BIG", "BOLD" }));
    EXPECT_TRUE(font.RemoveTag("bold"));
    EXPECT_FALSE(font.RemoveTag("bold"));
    EXPECT_EQ(selected(10), (Names{ "MAIN", "BIG", "PLAIN" }));
}

TEST_F(ImageFontTest, MeasuresWithKerningAndDrawsTheSameWidth)
{
    ImageFont& font = Make(kFont);
    EXPECT_EQ(font.CharWidthKern('A', 0), 5);
    EXPECT_EQ(font.CharWidthKern('V', 'A'), 6 - 2 + 1);
    EXPECT_EQ(font.StringWidth("AV"), 10);
    EXPECT_EQ(font.StringWidth(""), 0);
    EXPECT_EQ(font.GetAscent(), 8);
    EXPECT_EQ(font.GetHeight(), 10) << "the tallest glyph with its offset";

    RecordingImage dest(100, 50);
    Graphics g(&dest);
    g.Translate(3, 0);
    g.SetColor(Color(10, 20, 30));
    std::list<Rect> rects;
    int width = -1;
    font.DrawStringEx(&g, 10, 20, "AV", g.GetColor(), Rect(), &rects, &width, false);
    EXPECT_EQ(width, font.StringWidth("AV"));
    EXPECT_EQ(rects, (std::list<Rect>{ Rect(10, 12, 5, 10), Rect(10 + 4 + 1, 11, 6, 9) }));
    ASSERT_EQ(dest.calls.size(), 2u);
    EXPECT_EQ(dest.calls[0].op, "Blt");
    EXPECT_EQ(dest.calls[0].dest, Rect(13, 12, 0, 0));
    EXPECT_EQ(dest.calls[1].src, Rect(5, 0, 6, 9));
    EXPECT_EQ(dest.calls[1].color, Color(10, 20, 30)) << "glyphs are coloured";
    EXPECT_FALSE(g.mColorizeImages);

    dest.calls.clear();
    font.DrawStringEx(&g, 0, 0, "", g.GetColor(), Rect(), &rects, &width, false);
    EXPECT_EQ(width, 0);
    EXPECT_TRUE(rects.empty());
    EXPECT_TRUE(dest.calls.empty());
}

TEST_F(ImageFontTest, OtherSizesRescaleImagesAndWidths)
{
    ImageFont& font = Make(kFont + "LayerSetPointSize Main 10;");
    const FontLayerDef& layer = font.mFontData->mFontLayerList.front();
    ASSERT_EQ(font.mActiveLayerList.size(), 1u);
    EXPECT_EQ(font.mActiveLayerList.front().mScaledImage, layer.mImage.ToImage()) << "its own size borrows";
    EXPECT_FALSE(font.mActiveLayerList.front().mOwnsImage);

    font.SetPointSize(20);
    EXPECT_EQ(font.CharWidthKern('V', 'A'), 12 + 2 * (-2 + 1));
    EXPECT_EQ(font.GetAscent(), 16);
    EXPECT_EQ(font.GetHeight(), 20);
    const ActiveFontLayer& active = font.mActiveLayerList.front();
    EXPECT_TRUE(active.mOwnsImage);
    EXPECT_EQ(active.mScaledCharImageRects['A'], Rect(0, 0, 10, 20));
    EXPECT_EQ(active.mScaledCharImageRects['V'], Rect(10, 0, 12, 18));
    EXPECT_EQ(active.mScaledImage->mWidth, 22);
    EXPECT_EQ(active.mScaledImage->mHeight, 20);
    // The glyphs are stretched into the new image: V's rows 0..8 fill 18
    // rows, the two below stay clear.
    auto* scaled = static_cast<MemoryImage*>(active.mScaledImage);
    const uint32_t* px = scaled->GetBits();
    EXPECT_EQ(px[0] >> 24, 0xFFu);
    EXPECT_EQ(px[17 * 22 + 15] >> 24, 0xFFu);
    EXPECT_EQ(px[19 * 22 + 15], 0u);

    std::unique_ptr<Font> copy(font.Duplicate());
    auto* image = static_cast<ImageFont*>(copy.get());
    EXPECT_EQ(font.mFontData->mRefCount, 2);
    EXPECT_EQ(f.host.copies, 1) << "an owned image is copied";
    EXPECT_NE(image->mActiveLayerList.front().mScaledImage, active.mScaledImage);
    EXPECT_EQ(image->StringWidth("AV"), font.StringWidth("AV"));

    font.SetScale(0.5);
    EXPECT_EQ(font.CharWidthKern('V', 'A'), 6 + (-2 + 1) * 1);
}

TEST_F(ImageFontTest, LayersModulateTheColourAndDrawInOrder)
{
    ImageFont& font = Make(kFont + "LayerSetColorMult Main (1 0 0 1); CreateLayerFrom Shadow Main;"
                                   "LayerSetBaseOrder Shadow -1; LayerSetColorAdd Shadow (0.4 -1 0 0);"
                                   "LayerSetDrawMode Shadow 1; LayerSetOffset Shadow (2 2);");
    RecordingImage dest(100, 50);
    Graphics g(&dest);
    Color text(200, 200, 200);
    text.mAlpha = 128;
    g.SetColor(text);
    g.SetAlphaScale(0.5f);
    const Color before = g.GetColor();
    font.DrawString(&g, 0, 20, "A", before, Rect());
    ASSERT_EQ(dest.calls.size(), 2u);
    // The shadow layer draws first, additive, with red 200 + 102 held at
    // 255 and green 0 - 255 held at 0; the alpha scale halves the alpha
    // once more in the colour setter.
    EXPECT_EQ(dest.calls[0].dest, Rect(2, 14, 0, 0));
    EXPECT_EQ(dest.calls[0].drawMode, 1);
    Color shadow(255, 0, 0);
    shadow.mAlpha = 32;
    EXPECT_EQ(dest.calls[0].color, shadow);
    Color main(200, 0, 0);
    main.mAlpha = 32;
    EXPECT_EQ(dest.calls[1].color, main);
    EXPECT_EQ(dest.calls[1].drawMode, 0);
    EXPECT_EQ(g.GetColor(), before);
    EXPECT_EQ(g.GetDrawMode(), 0);
}

TEST_F(ImageFontTest, UpperBytesAndLongTexts)
{
    ImageFont& font = Make(kFont + "SetCharMap ('\xC0' '\xFF') ('A' 'V'); LayerSetCharWidths Main ('\x80') (3);");
    std::string high;
    for (int b = 0x80; b <= 0xFF; ++b)
        high += static_cast<char>(b);
    // Three glyphs with widths, and the layer's spacing between all 128.
    EXPECT_EQ(font.StringWidth(high), 3 + 5 + 6 + 127);
    RecordingImage dest(2000, 50);
    Graphics g(&dest);
    int width = 0;
    font.DrawStringEx(&g, 0, 20, high, g.GetColor(), Rect(), nullptr, &width, false);
    EXPECT_EQ(width, 3 + 5 + 6 + 127);

    // The glyph pool holds 4096 draws per call; the rest of the text goes.
    dest.calls.clear();
    font.DrawStringEx(&g, 0, 20, std::string(5000, 'A'), g.GetColor(), Rect(), nullptr, &width, false);
    EXPECT_EQ(width, 4096 * 6);
    EXPECT_EQ(dest.calls.size(), 334u) << "the glyphs inside the 2000-pixel clip";
}

TEST_F(ImageFontTest, AFailedDescriptionMeasuresAndDrawsNothing)
{
    f.AddImage("font.png", 20, 10);
    ImageFont font(&f.host, f.Write(kFont + "Bogus;"));
    EXPECT_FALSE(font.mFontData->mInitialized);
    EXPECT_EQ(font.StringWidth("AV"), 0);
    RecordingImage dest(100, 50);
    Graphics g(&dest);
    int width = -1;
    font.DrawStringEx(&g, 0, 20, "AV", g.GetColor(), Rect(), nullptr, &width, false);
    EXPECT_EQ(width, 0);
    EXPECT_TRUE(dest.calls.empty());
    EXPECT_EQ(font.GetDefine("x"), "");
}

} // namespace
