#include "ResourceFixture.h"

#include "framework/resources/ResourceHelpers.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

using namespace Kivo;
using namespace restest;

namespace {

struct ResourceHelpersTest : ::testing::Test {
    void SetUp() override
    {
        ASSERT_TRUE(f.app.manager->ParseResourcesFile("properties/resources.xml"));
        ASSERT_TRUE(f.app.manager->LoadResources("General"));
        click = f.app.manager->GetSoundId("SOUND_CLICK");
        f.app.ClearCalls();
    }
    LoadedFixture f;
    int click = -1;
};

TEST_F(ResourceHelpersTest, LookupsById)
{
    EXPECT_EQ(GetImageById("IMAGE_plain"), f.app.manager->GetImage("IMAGE_plain").ToImage());
    EXPECT_NE(GetImageById("IMAGE_plain"), nullptr);
    EXPECT_EQ(GetFontById("FONT_SYS"), f.app.manager->GetFont("FONT_SYS"));
    EXPECT_EQ(GetSoundIdByName("SOUND_CLICK"), click);
    EXPECT_EQ(GetImageById("IMAGE_NOPE"), nullptr);
    EXPECT_EQ(GetFontById("FONT_NOPE"), nullptr);
    EXPECT_EQ(GetSoundIdByName("SOUND_NOPE"), -1);

    f.app.strings["window_caption"] = "Hello";
    EXPECT_EQ(GetStringById("window_caption"), "Hello");
    EXPECT_EQ(GetStringById("missing"), "");
    EXPECT_EQ(GetStringById(nullptr), "");

    f.app.manager->DeleteResources("General");
    EXPECT_EQ(GetImageById("IMAGE_plain"), nullptr);
    EXPECT_EQ(GetFontById("FONT_SYS"), nullptr);
    EXPECT_EQ(GetSoundIdByName("SOUND_CLICK"), -1);

    SetResourceHost(nullptr);
    EXPECT_EQ(GetImageById("IMAGE_plain"), nullptr);
    EXPECT_EQ(GetSoundIdByName("SOUND_CLICK"), -1);
    EXPECT_EQ(GetStringById("window_caption"), "");
    PlaySoundById("SOUND_CLICK");
    PlaySoundEx(click, 1, 2);
    SetResourceHost(&f.app);
    EXPECT_EQ(f.app.Count("Play"), 0);
}

TEST_F(ResourceHelpersTest, PlayingSounds)
{
    const std::string c = std::to_string(click);
    struct Row {
        std::function<void()> call;
        std::vector<std::string> calls; // with sound on
    } rows[] = {
        { [] { PlaySoundById("SOUND_CLICK"); }, { "GetResourceManager", "PlaySample " + c } },
        { [] { PlaySoundById("SOUND_NOPE"); }, { "GetResourceManager" } },
        { [&] { PlaySoundNum(click); }, { "PlaySample " + c } },
        { [] { PlaySoundNum(-1); }, {} },
        { [&] { PlaySoundEx(click, -3, 500); }, { "PlayPitchedSample " + c + " -3 500" } },
        { [] { PlaySoundPitchedByName("SOUND_CLICK", 2, -10); },
          { "GetResourceManager", "PlayPitchedSample " + c + " 2 -10" } },
        { [] { PlaySoundPitchedByName("SOUND_NOPE", 2, 0); }, { "GetResourceManager", "PlayPitchedSample -1 2 0" } },
    };
    for (bool disabled : { false, true }) {
        f.app.musicDisabled = disabled;
        for (size_t i = 0; i < std::size(rows); ++i) {
            f.app.ClearCalls();
            rows[i].call();
            EXPECT_EQ(f.app.Calls(), disabled ? std::vector<std::string>{} : rows[i].calls)
                << "row " << i << (disabled ? " with sound off" : "");
        }
    }
}

TEST(ResourceFileHelpers, ReportSuccessWhateverHappens)
{
    testsupport::TempDir dir;
    EXPECT_TRUE(MakeDirsStr(dir / "a\\b/c"));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "a/b/c"));
    std::string file = dir.Write("a/b/c/f.txt", "x");
    EXPECT_TRUE(DeleteFileStr(dir / "A\\B/c/F.TXT")) << "Windows names find the file";
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_TRUE(DeleteFileStr(file)) << "failure is logged, not reported";
    dir.Write("plain", "x");
    EXPECT_TRUE(MakeDirsStr(dir / "plain/sub"));
    EXPECT_EQ(CopyString("abc"), "abc");
}

} // namespace
