#include "game/effects/LayerImage.h"
#include "game/effects/LayerSet.h"

#include "framework/graphics/AnimInfo.h"
#include "framework/graphics/Graphics.h"
#include "tests/support/ResourceTable.h"
#include "tests/support/RecordingImage.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <memory>

namespace {

struct LayerFixture : ::testing::Test {
    LayerFixture()
    {
        a = images.AddStrip("IMAGE_A", 1, false);
        b = images.AddStrip("IMAGE_B", 1, false);
        anim = images.AddStrip("IMAGE_ANIM", 2, true);
    }
    // Parses `xml` and loads its root element into `set`.
    bool Load(LayerSet& set, const char* xml)
    {
        doc.Clear();
        doc.Parse(xml);
        return set.Load(doc.RootElement());
    }
    // The images blitted by a draw, in order, with their positions.
    std::vector<std::pair<const Kivo::Image*, int>> Draw(ComplexImage& layer, bool forced, int x = 0, int y = 0)
    {
        RecordingImage screen(800, 600);
        Kivo::Graphics g(&screen);
        if (forced)
            layer.DrawForced(&g, x, y);
        else
            layer.Draw(&g, x, y);
        std::vector<std::pair<const Kivo::Image*, int>> out;
        for (const auto& op : screen.mOps)
            if (op.mKind == RecordingImage::Op::BLT)
                out.push_back({op.mImage, op.mRect.mX * 1000 + op.mRect.mY});
        return out;
    }

    testsupport::ResourceTable images;
    TiXmlDocument doc;
    Kivo::Image* a;
    Kivo::Image* b;
    Kivo::Image* anim;
};

TEST_F(LayerFixture, LoadNeedsAtLeastOneLoadedChild)
{
    for (const char* xml : {"<Layer/>", "<Layer><Image id='MISSING'/><Sound id='IMAGE_A'/></Layer>",
                            "<Layer><Layer/></Layer>"}) {
        LayerSet set;
        EXPECT_FALSE(Load(set, xml)) << xml;
        EXPECT_EQ(set.GetLayerCount(), 0) << xml;
    }
    LayerSet set;
    EXPECT_FALSE(set.Load(nullptr));
}

TEST_F(LayerFixture, SizeIsGivenOrMeasuredFromTheChildren)
{
    LayerSet measured;
    ASSERT_TRUE(Load(measured, "<Layer><Image id='IMAGE_A' x='5' y='1'/><Image id='IMAGE_B' y='30'/></Layer>"));
    EXPECT_EQ(measured.GetWidth(), 15);
    EXPECT_EQ(measured.GetHeight(), 38);
    LayerSet given;
    ASSERT_TRUE(Load(given, "<Layer width='3'><Image id='IMAGE_A' x='5'/></Layer>"));
    EXPECT_EQ(given.GetWidth(), 3);
    EXPECT_EQ(given.GetHeight(), 8);
}

TEST_F(LayerFixture, FirstChildIsDrawnOnTopAndLaterNameWins)
{
    LayerSet set;
    ASSERT_TRUE(Load(set, "<Layer x='100'><Image id='IMAGE_A' name='n'/><Image id='IMAGE_B' name='n' x='2'/>"
                          "<Layer name='inner' y='7'><Image id='IMAGE_A' y='1'/></Layer></Layer>"));
    EXPECT_EQ(set.GetLayerCount(), 3);
    EXPECT_EQ(set.FindLayer("n"), set.GetLayer(1));
    EXPECT_EQ(set.FindLayer("none"), nullptr);
    EXPECT_EQ(set.GetLayer(-1), nullptr);
    EXPECT_EQ(set.GetLayer(3), nullptr);
    using V = std::vector<std::pair<const Kivo::Image*, int>>;
    EXPECT_EQ(Draw(set, false, 0, 1), (V{{a, 100009}, {b, 102001}, {a, 100001}}));
}

TEST_F(LayerFixture, HiddenLayersDrawOnlyWhenForced)
{
    LayerSet set;
    ASSERT_TRUE(Load(set, "<Layer x='100'><Image id='IMAGE_A' name='shown'/><Image id='IMAGE_B' name='gfx' "
                          "x='3'/></Layer>"));
    set.FindLayer("gfx")->mVisible = false;
    using V = std::vector<std::pair<const Kivo::Image*, int>>;
    EXPECT_EQ(Draw(set, false), (V{{a, 100000}}));
    set.mVisible = false;
    EXPECT_TRUE(Draw(set, false).empty());
    EXPECT_EQ(Draw(set, true), (V{{b, 103000}, {a, 100000}}));
    EXPECT_FALSE(set.mVisible);
    EXPECT_FALSE(set.FindLayer("gfx")->mVisible);
}

TEST_F(LayerFixture, SmoothAnimationKeepsTheLeftCelFadingBeneath)
{
    struct Case {
        const char* value;
        bool fades;
    } cases[] = {{"Yes", true}, {"TRUE", true}, {"1", true}, {"on", false}};
    for (const Case& c : cases) {
        LayerSet set;
        const std::string xml =
            std::string("<Layer><Image id='IMAGE_ANIM' smoothAnimation='") + c.value + "'/></Layer>";
        ASSERT_TRUE(Load(set, xml.c_str()));
        auto* layer = static_cast<LayerImage*>(set.GetLayer(0));
        ASSERT_TRUE(layer->mAnimated);
        set.Tick(); // cel 0 -> cel 1
        EXPECT_EQ(Draw(set, false).size(), c.fades ? 2u : 1u) << c.value;
        set.Update(25); // half of the 50 time units a cel takes to fade
        EXPECT_EQ(layer->mFadingCels.size(), c.fades ? 1u : 0u) << c.value;
        set.Update(25);
        EXPECT_TRUE(layer->mFadingCels.empty()) << c.value;
    }
}

} // namespace
