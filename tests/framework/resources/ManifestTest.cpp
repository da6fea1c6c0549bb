#include "ResourceTestSupport.h"

#include <gtest/gtest.h>

using namespace Kivo;
using namespace restest;

namespace {

// Parses `text` as the manifest "m.xml" with a fresh manager.
struct Parsed {
    explicit Parsed(const std::string& text, bool accelerated = false)
        : pak({ { "m.xml", text } })
    {
        app.accelerated = accelerated;
        ok = m().ParseResourcesFile("m.xml");
    }
    TestManager& m() { return *app.manager; }
    PakFixture pak;
    TestApp app;
    bool ok = false;
};

std::string Manifest(const std::string& resources)
{
    return "<ResourceManifest><Resources id=\"G\">" + resources + "</Resources></ResourceManifest>";
}

TEST(Manifest, DefaultsPrefixAndIds)
{
    Parsed p(R"(<ResourceManifest>
<Resources id="G">
  <Image path="top.png"/>
  <SetDefaults path="images\big\" idprefix="IMAGE_"/>
  <Image path="board.png"/>
  <Image id="X" path="sub/x.tga"/>
  <Sound path="!sys:abc"/>
</Resources>
<Resources id="H"><SetDefaults idprefix="P/"/><Font id="F" path="f.txt"/></Resources>
<Resources id="G"><Image path="late"/></Resources>
</ResourceManifest>)");
    ASSERT_TRUE(p.ok) << p.m().GetErrorText();
    EXPECT_EQ(p.m().Image("top")->mPath, "top.png");
    EXPECT_EQ(p.m().Image("IMAGE_board")->mPath, "images\\big/board.png");
    EXPECT_EQ(p.m().Image("IMAGE_X")->mPath, "images\\big/sub/x.tga");
    EXPECT_EQ(p.m().Image("IMAGE_X")->mXMLAttributes.at("id"), "X");
    EXPECT_EQ(p.m().Sound("IMAGE_!sys:abc")->mPath, "!sys:abc");
    EXPECT_EQ(p.m().FontRecord("PF")->mPath, "images\\big/f.txt");
    EXPECT_EQ(p.m().FontRecord("PF")->mResGroup, "H");
    EXPECT_EQ(p.m().GroupIds("G"),
              (std::vector<std::string>{ "top", "IMAGE_board", "IMAGE_X", "IMAGE_!sys:abc", "Plate" }));
    EXPECT_EQ(p.m().GetNumResources("G"), 5);
}

TEST(Manifest, ImageOptions)
{
    struct Row {
        const char* attributes;
        int rows, cols, cels;
    } grids[] = {
        { "", 1, 1, 1 },
        { R"(rows="2" cols="3")", 2, 3, 6 },
        { R"(rows="2" cols="3" total="5")", 2, 3, 5 },
        { R"(rows="2" cols="3" total="100")", 2, 3, 6 },
        { R"(rows="0" cols="-4" total="3")", 1, 1, 1 },
        { R"(rows="x" cols="4junk" total="0")", 1, 4, 1 },
        { R"(rows="99999999999" cols="99999999999")", 16384, 16384, 65536 },
        { R"(rows="2147483647" anim="PingPong")", 16384, 1, 16384 },
        { R"(rows="2147483647" cols="3" anim="Loop" enddelay="1")", 16384, 3, 16384 * 3 },
    };
    for (const Row& row : grids) {
        Parsed p(Manifest(std::string("<Image id=\"I\" path=\"i\" ") + row.attributes + "/>"));
        ASSERT_TRUE(p.ok) << row.attributes;
        auto* res = p.m().Image("I");
        EXPECT_EQ(res->mRows, row.rows) << row.attributes;
        EXPECT_EQ(res->mCols, row.cols) << row.attributes;
        EXPECT_EQ(res->mNumCels, row.cels) << row.attributes;
    }

    Parsed p(Manifest(R"(<Image id="A" path="a" anim="PingPong" rows="1" cols="3"/>
<Image id="B" path="b" anim="LOOP" total="3" rows="3" framedelay="5" begindelay="10" enddelay="20"/>
<Image id="C" path="c" anim="once" perframedelay="3,,7x" framemap="2,1" framedelay="4"/>
<Image id="D" path="d" perframedelay="9" framemap="" nopal="" noalpha="" alphacolor="0x00ff00" hue="-40"
       variant="v" alphaimage="m" alphagrid="g" mirrory="" ddsurface="" a8r8g8b8=""/>
<Image id="E" path="e" anim="once" framemap=""/>)"));
    ASSERT_TRUE(p.ok) << p.m().GetErrorText();
    const AnimInfo& a = p.m().Image("A")->mAnimInfo;
    EXPECT_EQ(a.mAnimType, AnimInfo::AnimType_PingPong);
    EXPECT_EQ(a.mFrameMap, (std::vector<int>{ 0, 1, 2, 1 }));
    const AnimInfo& b = p.m().Image("B")->mAnimInfo;
    EXPECT_EQ(b.mAnimType, AnimInfo::AnimType_Loop);
    EXPECT_EQ(b.mPerFrameDelay, (std::vector<int>{ 10, 5, 20 }));
    EXPECT_EQ(b.mTotalAnimTime, 35);
    const AnimInfo& c = p.m().Image("C")->mAnimInfo;
    EXPECT_EQ(c.mFrameMap, (std::vector<int>{ 2, 1 }));
    EXPECT_EQ(c.mPerFrameDelay, (std::vector<int>{ 3, 4 })) << "sized to the map; 0 takes the frame delay";
    EXPECT_EQ(p.m().Image("E")->mAnimInfo.mFrameMap, (std::vector<int>{ 0 })) << "an empty list is one 0";

    auto* d = p.m().Image("D");
    EXPECT_EQ(d->mAnimInfo.mAnimType, AnimInfo::AnimType_None);
    EXPECT_TRUE(d->mAnimInfo.mPerFrameDelay.empty()) << "timing is read only with an animation";
    EXPECT_FALSE(d->mPalletize);
    EXPECT_FALSE(d->mAutoFindAlpha);
    EXPECT_EQ(d->mAlphaColor, 0x00FF00u);
    EXPECT_EQ(d->mHue, -40);
    EXPECT_EQ(d->mVariant, "v");
    EXPECT_EQ(d->mAlphaImage, "m");
    EXPECT_EQ(d->mAlphaGridImage, "g");
    EXPECT_TRUE(d->mMirrorY && d->mDDSurface && d->mA8R8G8B8);
    EXPECT_FALSE(d->mMirrorX || d->mA4R4G4B4 || d->mPurgeBits || d->mMinimizeSubdivisions);
    EXPECT_EQ(p.m().Image("A")->mAlphaColor, 0xFFFFFFu);
}

TEST(Manifest, PurgeFlagsFollowTheDisplayMode)
{
    const std::string text = Manifest(R"(<Image id="A" path="a" nobits3d=""/><Image id="B" path="b" nobits2d=""/>
<Image id="C" path="c" nobits=""/>)");
    for (bool accelerated : { false, true }) {
        Parsed p(text, accelerated);
        EXPECT_EQ(p.m().Image("A")->mPurgeBits, accelerated);
        EXPECT_EQ(p.m().Image("B")->mPurgeBits, !accelerated);
        EXPECT_TRUE(p.m().Image("C")->mPurgeBits);
    }
}

TEST(Manifest, SoundsAndFonts)
{
    Parsed p(Manifest(R"(<Sound id="A" path="a" volume="0.25" pan="-300"/><Sound id="B" path="b" volume="x" pan=""/>
<Font id="S" path="!sys:Some Face" size="14" italic="" underline="" tags="a b"/>
<Font id="I" path="f.txt" image="strip" size="9" bold=""/>
<Font id="R" path="!ref:S"/>)"));
    ASSERT_TRUE(p.ok) << p.m().GetErrorText();
    EXPECT_EQ(p.m().Sound("A")->mVolume, 0.25);
    EXPECT_EQ(p.m().Sound("A")->mPan, -300);
    EXPECT_EQ(p.m().Sound("B")->mVolume, -1.0);
    EXPECT_EQ(p.m().Sound("B")->mPan, 0);
    auto* s = p.m().FontRecord("S");
    EXPECT_TRUE(s->mSysFont && s->mItalic && s->mUnderline);
    EXPECT_FALSE(s->mBold || s->mShadow);
    EXPECT_EQ(s->mSize, 14);
    EXPECT_EQ(s->mTags, "a b");
    auto* i = p.m().FontRecord("I");
    EXPECT_FALSE(i->mSysFont);
    EXPECT_EQ(i->mImagePath, "strip");
    EXPECT_EQ(p.m().FontRecord("R")->mPath, "!ref:S");
}

TEST(Manifest, ErrorTexts)
{
    struct Row {
        std::string text;
        std::string error;
    } rows[] = {
        { "", " on Line 1 in File 'm.xml'" },
        { "<!-- nothing -->\n", " on Line 2 in File 'm.xml'" },
        { R"(<Resources id="G"><Image path="a"/></Resources>)", "Expecting ResourceManifest tag on Line 1 in File 'm.xml'" },
        { "<ResourceManifest><Other/></ResourceManifest>", "Invalid Section 'Other' on Line 1 in File 'm.xml'" },
        { "<ResourceManifest>\nhello</ResourceManifest>", "Element Not Expected 'hello' on Line 2 in File 'm.xml'" },
        { "<ResourceManifest><Resources><Image path=\"a\"/></Resources></ResourceManifest>",
          "No id specified. on Line 1 in File 'm.xml'" },
        { "<ResourceManifest><Resources id=\"\"/></ResourceManifest>", "No id specified. on Line 1 in File 'm.xml'" },
        { Manifest("<Bogus/>"), "Invalid Section 'Bogus' on Line 1 in File 'm.xml'" },
        { Manifest("text"), "Element Not Expected 'text' on Line 1 in File 'm.xml'" },
        { Manifest("<Image id=\"a\"/>"), "No path specified. on Line 1 in File 'm.xml'" },
        { Manifest("<Sound path=\"\"/>"), "No path specified. on Line 1 in File 'm.xml'" },
        { Manifest("<Image path=\"a\"><Image path=\"b\"/></Image>"), "Unexpected element found. on Line 1 in File 'm.xml'" },
        { Manifest("<Image path=\"a\" anim=\"bounce\"/>"), "Invalid animation type. on Line 1 in File 'm.xml'" },
        { Manifest("<Font path=\"!sys:Arial\"/>"), "SysFont needs point size on Line 1 in File 'm.xml'" },
        { Manifest("<Font path=\"!sys:Arial\" size=\"0\"/>"), "SysFont needs point size on Line 1 in File 'm.xml'" },
        { Manifest("<Font path=\"!sys:Arial\" size=\"big\"/>"), "SysFont needs point size on Line 1 in File 'm.xml'" },
        { Manifest("<Image path=\"a.png\"/>\n\n<Image id=\"a\" path=\"b.png\"/>"),
          "Resource already defined. on Line 3 in File 'm.xml'" },
        { "<ResourceManifest><Resources id=\"G\"></Other>", "End 'Other' Doesn't Match Start 'Resources' on Line 1 in File 'm.xml'" },
    };
    for (const Row& row : rows) {
        Parsed p(row.text);
        EXPECT_FALSE(p.ok) << row.text;
        EXPECT_TRUE(p.m().HadError());
        EXPECT_EQ(p.m().GetErrorText(), row.error) << row.text;
    }

    TestApp app;
    EXPECT_FALSE(app.manager->ParseResourcesFile("nothing.xml"));
    EXPECT_EQ(app.manager->GetErrorText(), "Resource file not found: nothing.xml");
}

TEST(Manifest, FirstFailureStaysUntilALoadStarts)
{
    PakFixture pak({ { "bad.xml", Manifest("<Image path=\"a\" anim=\"x\"/>") },
                     { "good.xml", Manifest("<Image path=\"b\"/>") },
                     { "other.xml", Manifest("<Image path=\"c\"/>") } });
    TestApp app;
    TestManager& m = *app.manager;
    EXPECT_FALSE(m.ParseResourcesFile("bad.xml"));
    EXPECT_FALSE(m.ParseResourcesFile("good.xml"));
    EXPECT_EQ(m.GetErrorText(), "Invalid animation type. on Line 1 in File 'bad.xml'");
    EXPECT_NE(m.Image("a"), nullptr) << "records made before the failure stay";
    EXPECT_NE(m.Image("b"), nullptr);
    m.StartLoadResources("Nothing");
    EXPECT_FALSE(m.HadError());
    EXPECT_EQ(m.GetErrorText(), "");
    EXPECT_TRUE(m.ParseResourcesFile("other.xml"));
}

TEST(Manifest, RedefinitionReplacesPathAndOptions)
{
    PakFixture pak({ { "a.xml", Manifest(R"(<Image id="I" path="one" rows="2"/><Sound id="S" path="s" volume="0.5"/>)") },
                     { "b.xml", "<ResourceManifest><Resources id=\"H\">"
                                R"(<Image id="I" path="two" cols="3"/><Sound id="S" path="t" pan="5"/><Image id="J" path="j"/>)"
                                "</Resources></ResourceManifest>" } });
    TestApp app;
    TestManager& m = *app.manager;
    ASSERT_TRUE(m.ParseResourcesFile("a.xml"));
    EXPECT_FALSE(m.ParseResourcesFile("b.xml"));
    EXPECT_EQ(m.GetErrorText(), "Resource already defined. on Line 1 in File 'b.xml'");
    EXPECT_EQ(m.Image("J"), nullptr) << "the parse stopped";

    m.StartLoadResources("");
    ASSERT_TRUE(m.ParseResourcesFileAllowRedefine("b.xml")) << m.GetErrorText();
    auto* image = m.Image("I");
    EXPECT_EQ(image->mPath, "two");
    EXPECT_EQ(image->mXMLAttributes.at("path"), "two");
    EXPECT_EQ(image->mRows, 2);
    EXPECT_EQ(image->mCols, 3);
    EXPECT_EQ(image->mResGroup, "G") << "group and place stay";
    EXPECT_EQ(m.Sound("S")->mPath, "t");
    EXPECT_EQ(m.Sound("S")->mVolume, 0.5);
    EXPECT_EQ(m.Sound("S")->mPan, 5);
    EXPECT_NE(m.Image("J"), nullptr);
    EXPECT_EQ(m.GroupIds("G"), (std::vector<std::string>{ "I", "S" }));
    EXPECT_EQ(m.GroupIds("H"), (std::vector<std::string>{ "J" }));

    // Only for the duration of the call.
    EXPECT_FALSE(m.ParseResourcesFile("b.xml"));
}

} // namespace
