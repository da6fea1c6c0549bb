#include "ResourceFixture.h"

#include "framework/graphics/FontData.h"
#include "framework/graphics/ImageFont.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/SysFont.h"
#include "framework/sound/SoundManager.h"
#include "framework/resources/ResourceHelpers.h"

#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

using namespace Kivo;
using namespace restest;

namespace {

std::vector<uint32_t> Pixels(Image* image)
{
    auto* m = dynamic_cast<MemoryImage*>(image);
    if (!m || !m->GetBits())
        return {};
    return { m->GetBits(), m->GetBits() + size_t(m->mWidth) * m->mHeight };
}

struct ResourceLoadingTest : ::testing::Test {
    void SetUp() override
    {
        ASSERT_TRUE(m().ParseResourcesFile("properties/resources.xml")) << m().GetErrorText();
        ASSERT_TRUE(m().LoadResources("General")) << m().GetErrorText();
    }
    TestManager& m() { return *f.app.manager; }
    bool Has(const std::string& call)
    {
        auto calls = f.app.Calls();
        return std::find(calls.begin(), calls.end(), call) != calls.end();
    }
    LoadedFixture f;
};

TEST_F(ResourceLoadingTest, ImagesOfEveryKind)
{
    EXPECT_EQ(m().GroupIds("General"),
              (std::vector<std::string>{ "IMAGE_plain", "IMAGE_SHEET", "IMAGE_GHOST", "IMAGE_MASKED",
                                         "IMAGE_PROGRAM", "SOUND_CLICK", "SOUND_BOOM", "FONT_MAIN", "FONT_SYS",
                                         "FONT_COPY", "FONT_STRIP" }));
    EXPECT_EQ(m().Image("IMAGE_plain")->mPath, "images/plain.tga");

    auto* plain = static_cast<MemoryImage*>(m().GetImageThrow("IMAGE_plain").ToImage());
    EXPECT_NE(plain->mColorTable, nullptr) << "palettized by default";
    EXPECT_EQ(Pixels(plain), (std::vector<uint32_t>{ 0xFF000000, 0xFF0000FF, 0xFF00FF00, 0xFFFF0000, 0xFFFFFFFF,
                                                     0xFF123456, 0xFF654321, 0xFF0000FF }));

    // Each 2 x 2 cel of the 6 x 4 sheet takes its alpha from the grid.
    auto* sheet = static_cast<MemoryImage*>(m().GetImageThrow("IMAGE_SHEET").ToImage());
    EXPECT_EQ(sheet->mNumRows, 2);
    EXPECT_EQ(sheet->mNumCols, 3);
    EXPECT_EQ(sheet->mNumCels, 6);
    EXPECT_EQ(sheet->mD3DFlags, 4u | 1u);
    ASSERT_NE(sheet->mAnimInfo, nullptr);
    EXPECT_EQ(sheet->mAnimInfo->mAnimType, AnimInfo::AnimType_PingPong);
    EXPECT_EQ(sheet->mAnimInfo->mFrameMap, (std::vector<int>{ 0, 1, 2, 3, 4, 5, 4, 3, 2, 1 }));
    EXPECT_EQ(sheet->mAnimInfo->mTotalAnimTime, 50);
    std::vector<uint32_t> px = Pixels(sheet);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(px[y * 6 + x] >> 24, 0x10u * (1 + (y % 2) * 2 + x % 2)) << x << "," << y;

    // Found only as its alpha file: coloured by alphacolor.
    EXPECT_TRUE(Has("GetSharedImage images/ghost FF0000"));
    EXPECT_EQ(Pixels(m().GetImage("IMAGE_GHOST")), (std::vector<uint32_t>{ 0x80FF0000, 0xFFFF0000 }));

    // No translucent pixels: asked into a display surface, its bits purged
    // (and rebuilt on demand); nopal keeps it unpalettized.
    auto* masked = static_cast<MemoryImage*>(m().GetImage("IMAGE_MASKED").ToImage());
    EXPECT_EQ(masked->mColorTable, nullptr);
    EXPECT_TRUE(masked->mPurgeBits);
    px = Pixels(masked);
    ASSERT_EQ(px.size(), 4u);
    EXPECT_EQ(px[0], 0xFF112233);
    EXPECT_EQ(px[2], 0xFF778899);
    EXPECT_EQ(px[1] >> 24, 0u);
    EXPECT_EQ(px[3] >> 24, 0u);
    for (const char* call : { "RequestDisplaySurface images/masked", "MirrorImageX images/masked",
                              "MirrorImageY images/masked", "ShiftImageHue images/masked 30" })
        EXPECT_TRUE(Has(call)) << call;
    EXPECT_EQ(f.app.Count("MirrorImage"), 2);

    EXPECT_EQ(m().GetImage("IMAGE_PROGRAM").ToImage(), nullptr);
    EXPECT_EQ(m().GetImage("IMAGE_NOPE").ToImage(), nullptr);
}

TEST_F(ResourceLoadingTest, SoundsAndFonts)
{
    int click = m().GetSoundThrow("SOUND_CLICK");
    int boom = m().GetSoundId("SOUND_BOOM");
    EXPECT_GE(click, 0);
    EXPECT_GE(boom, 0);
    EXPECT_NE(click, boom);
    EXPECT_EQ(f.app.sounds->GetNumSounds(), 2);
    EXPECT_TRUE(Has("SetBaseVolume " + std::to_string(click) + " 0.5"));
    EXPECT_TRUE(Has("SetBasePan " + std::to_string(click) + " -2000"));
    EXPECT_EQ(f.app.Count("SetBase"), 2) << "volume -1 and pan 0 set nothing";
    EXPECT_EQ(m().GetSoundId("SOUND_NOPE"), -1);

    auto* main = dynamic_cast<ImageFont*>(m().GetFontThrow("FONT_MAIN"));
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(main->HasTag("BOLD"));
    EXPECT_TRUE(main->HasTag("SHADOW"));
    EXPECT_TRUE(main->mActivated);
    EXPECT_EQ(main->mActiveLayerList.size(), 2u) << "the bold layer is on";
    EXPECT_EQ(main->StringWidth("AV"), 11);

    auto* sys = dynamic_cast<SysFont*>(m().GetFont("FONT_SYS"));
    ASSERT_NE(sys, nullptr);
    EXPECT_TRUE(sys->mDrawShadow);
    EXPECT_GT(sys->GetHeight(), 0);

    auto* copy = dynamic_cast<ImageFont*>(m().GetFont("FONT_COPY"));
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, main);
    EXPECT_EQ(copy->mFontData, main->mFontData);

    auto* strip = dynamic_cast<ImageFont*>(m().GetFont("FONT_STRIP"));
    ASSERT_NE(strip, nullptr);
    EXPECT_NE(m().FontRecord("FONT_STRIP")->mImage, nullptr);
    EXPECT_EQ(strip->CharWidth('A'), 5);
    EXPECT_EQ(strip->CharWidth(' '), 3);
    EXPECT_EQ(m().GetFont("FONT_NOPE"), nullptr);
}

TEST_F(ResourceLoadingTest, CountsDeletesAndReloads)
{
    EXPECT_EQ(m().GetNumResources("General"), 4 + 2 + 4) << "the program's image is not counted";
    EXPECT_EQ(m().GetNumResources("Common"), 5);
    EXPECT_EQ(m().GetNumResources(""), 11 + 5);
    EXPECT_EQ(m().GetNumResources("Nope"), 0);

    f.app.ClearCalls();
    EXPECT_TRUE(m().LoadResources("General"));
    EXPECT_TRUE(f.app.Calls().empty()) << "everything is loaded already";

    int click = m().GetSoundId("SOUND_CLICK");
    m().DeleteResources("General");
    EXPECT_TRUE(Has("ReleaseSound " + std::to_string(click)));
    EXPECT_EQ(f.app.sounds->GetNumSounds(), 0);
    EXPECT_EQ(m().GetImage("IMAGE_plain").ToImage(), nullptr);
    EXPECT_EQ(m().GetSoundId("SOUND_CLICK"), -1);
    EXPECT_EQ(m().GetFont("FONT_MAIN"), nullptr);
    EXPECT_EQ(m().FontRecord("FONT_STRIP")->mImage, nullptr);

    // The first failure is kept: a second throwing lookup carries its text.
    try {
        m().GetImageThrow("IMAGE_plain");
        FAIL();
    } catch (const ResourceManagerException& e) {
        EXPECT_STREQ(e.what(), "Image resource not found: IMAGE_plain");
    }
    try {
        m().GetFontThrow("FONT_MAIN");
        FAIL();
    } catch (const ResourceManagerException& e) {
        EXPECT_STREQ(e.what(), "Image resource not found: IMAGE_plain");
    }
    EXPECT_THROW(m().GetSoundThrow("SOUND_NOPE"), ResourceManagerException);
    EXPECT_TRUE(m().HadError());

    ASSERT_TRUE(m().LoadResources("General")) << m().GetErrorText();
    EXPECT_FALSE(m().HadError());
    EXPECT_NE(m().GetImage("IMAGE_plain").ToImage(), nullptr);
    EXPECT_GE(m().GetSoundId("SOUND_CLICK"), 0);
    EXPECT_NE(m().GetFont("FONT_COPY"), nullptr);
}

// One manifest per row, in the fixture archive beside the fixture's files.
TEST(ResourceLoadErrors, FirstFailureNamesTheFile)
{
    struct Row {
        const char* resources;
        const char* error;
    } rows[] = {
        { R"(<Image path="images/missing"/>)", "Failed to load image: images/missing" },
        { R"(<Image path="images/masked" alphaimage="images/wrongmask"/>)",
          "AlphaImage size mismatch between images/masked and images/wrongmask" },
        { R"(<Image path="images/masked" alphaimage="images/nomask"/>)", "Failed to load image: images/nomask" },
        { R"(<Image path="images/sheet" rows="2" cols="2" alphagrid="images/grid"/>)",
          "GridAlphaImage size mismatch between images/sheet and images/grid" },
        { R"(<Image path="images/sheet" rows="0" cols="x" alphagrid="images/grid"/>)",
          "GridAlphaImage size mismatch between images/sheet and images/grid" },
        { R"(<Sound path="sounds/missing"/>)", "Failed to load sound: sounds/missing" },
        { R"(<Font path="fonts/missing.txt"/>)", "Failed to load font: fonts/missing.txt" },
        { R"(<Font path="fonts/strip.txt" image="images/nostrip"/>)", "Failed to load image: images/nostrip" },
        { R"(<Font id="A" path="!ref:B"/><Font id="B" path="fonts/main.txt"/>)", "Ref font not found: B" },
    };
    for (const Row& row : rows) {
        auto files = FixtureFiles();
        files.push_back({ "bad.xml", std::string("<ResourceManifest><Resources id=\"G\">") + row.resources +
                                         "</Resources></ResourceManifest>" });
        PakFixture pak(files);
        TestApp app;
        ASSERT_TRUE(app.manager->ParseResourcesFile("bad.xml")) << app.manager->GetErrorText();
        EXPECT_FALSE(app.manager->LoadResources("G")) << row.resources;
        EXPECT_EQ(app.manager->GetErrorText(), row.error);
        EXPECT_EQ(app.manager->GetDamagedArchive(), "");
    }
}

// A file the archive holds that cannot be decoded: the archive is damaged,
// and the text names it.
TEST(ResourceLoadErrors, AnUndecodableArchiveFileNamesTheArchive)
{
    auto files = FixtureFiles();
    files.push_back({ "images/garbled.png", "\x89PNG\r\n\x1a\n garbled" });
    files.push_back({ "bad.xml", "<ResourceManifest><Resources id=\"G\"><Image path=\"images/garbled\"/>"
                                 "</Resources></ResourceManifest>" });
    PakFixture pak(files);
    TestApp app;
    ASSERT_TRUE(app.manager->ParseResourcesFile("bad.xml")) << app.manager->GetErrorText();
    EXPECT_FALSE(app.manager->LoadResources("G"));
    const std::string archive = app.manager->GetDamagedArchive();
    EXPECT_EQ(archive.substr(archive.rfind('/') + 1), "main.pak");
    EXPECT_EQ(app.manager->GetErrorText(),
        "Failed to load image: images/garbled (the data archive " + archive + " is damaged)");
}

// A group loaded whole decodes its plain images side by side; its images
// and its error (the group's first bad file, whichever decode fails first)
// are those of loading one record at a time.
TEST(ResourceLoadErrors, AWholeGroupLoadsAsOneRecordAtATime)
{
    for (bool bad : { false, true }) {
        SCOPED_TRACE(bad ? "with bad files" : "all good");
        auto files = FixtureFiles();
        std::string manifest = "<ResourceManifest><Resources id=\"G\"><SetDefaults path=\"images\" idprefix=\"I\"/>";
        for (int i = 0; i < 16; ++i) {
            const std::string name = "n" + std::to_string(i);
            if (!bad || (i != 6 && i != 11))
                files.push_back({ "images/" + name + ".tga", MakeTGA(3, 2, std::vector<uint32_t>(6, 0xFF000000u + i)) });
            manifest += "<Image id=\"" + name + "\" path=\"" + name + "\"/>";
            if (i == 3) // the same file again, and one with an alpha image to apply
                manifest += "<Image id=\"again\" path=\"n3\" mirrorx=\"\"/>"
                            "<Image id=\"masked\" path=\"masked\" alphaimage=\"mask\"/>";
        }
        files.push_back({ "g.xml", manifest + "</Resources></ResourceManifest>" });
        PakFixture pak(files);
        struct Result {
            bool ok;
            std::string error;
            std::map<std::string, std::vector<uint32_t>> pixels;
        };
        const auto load = [](bool whole) {
            TestApp app;
            EXPECT_TRUE(app.manager->ParseResourcesFile("g.xml"));
            Result r { true, {}, {} };
            if (whole) {
                r.ok = app.manager->LoadResources("G");
            } else {
                app.manager->StartLoadResources("G");
                while (app.manager->LoadNextResource()) {
                }
                r.ok = !app.manager->HadError();
            }
            r.error = app.manager->GetErrorText();
            for (const std::string& id : app.manager->GroupIds("G"))
                if (auto* image = dynamic_cast<MemoryImage*>(app.manager->GetImage(id).ToImage()))
                    r.pixels[id].assign(image->GetBits(), image->GetBits() + image->mWidth * image->mHeight);
            return r;
        };
        const Result whole = load(true), inOrder = load(false);
        EXPECT_EQ(whole.ok, !bad);
        EXPECT_EQ(inOrder.ok, !bad);
        EXPECT_EQ(whole.error, bad ? "Failed to load image: images/n6" : "");
        EXPECT_EQ(whole.error, inOrder.error);
        if (!bad) {
            EXPECT_EQ(whole.pixels.size(), 18u);
            EXPECT_EQ(whole.pixels, inOrder.pixels);
        }
    }
}

TEST(ResourceLoadErrors, OutOfSoundIdsAndLoadingStopsAtTheFailure)
{
    PakFixture pak(FixtureFiles());
    TestApp app;
    app.noFreeSoundIds = true;
    TestManager& m = *app.manager;
    ASSERT_TRUE(m.ParseResourcesFile("properties/resources.xml"));
    m.StartLoadResources("Common");
    int loaded = 0;
    while (m.LoadNextResource())
        ++loaded;
    EXPECT_EQ(loaded, 3) << "the three images before the sound";
    EXPECT_EQ(m.GetErrorText(), "Out of free sound ids");
    EXPECT_FALSE(m.LoadNextResource());
    EXPECT_EQ(m.GetFont("COMMON_MAIN"), nullptr);
}

} // namespace
