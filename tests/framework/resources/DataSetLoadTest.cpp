// The generated data set loads through the resource manager the way the
// game's start-up and loading thread load it: every manifest parses in the
// program's order and every group loads from the built archives.
#include "ResourceTestSupport.h"

#include "framework/core/PakInterface.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/MemoryImage.h"

#include <gtest/gtest.h>

using namespace restest;

namespace {

TEST(DataSetLoad, EveryManifestParsesAndEveryGroupLoads)
{
    TestApp app;
    PakInterface paks;
    PakInterfaceBase* previous = SetActivePakInterface(&paks);
    for (const char* pak : {"main.pak", "other.pak", "voice.pak"})
        ASSERT_TRUE(paks.AddPakFile(std::string(KIVO_DATA_DIR) + "/" + pak)) << pak;

    TestManager& m = *app.manager;
    for (const char* manifest : {"properties\\resources.xml", "properties/bricks.xml", "properties/town.xml",
             "properties/loading.xml", "properties/lang_00/fonts.xml", "properties/lang_00/labels.xml",
             "properties/sounds.xml", "properties/voice.xml"})
        EXPECT_TRUE(m.ParseResourcesFile(manifest)) << manifest << ": " << m.GetErrorText();

    for (const char* group : {"General", "Loading", "Common", "Fonts", "Town", "Bricks", "Labels", "Sounds"}) {
        EXPECT_TRUE(m.LoadResources(group)) << group << ": " << m.GetErrorText();
        EXPECT_GT(m.GetNumResources(group), group == std::string("Labels") ? -1 : 0) << group;
    }
    // What the game relies on arrived: brick cel sheets and the fonts' metrics.
    auto* brick = dynamic_cast<Kivo::MemoryImage*>(m.GetImageThrow("BRICK_0").ToImage());
    ASSERT_NE(brick, nullptr);
    EXPECT_EQ(brick->mNumCols, 10);
    EXPECT_EQ(brick->mWidth / brick->mNumCols, 44);
    for (const char* font : {"FONT_GOLD", "FONT_BOARD", "FONT_EFFECTS", "FONT_EFFECTS_BIG", "FONT_CAPTION", "FONT_BUTTON",
             "FONT_LOADING"}) {
        Kivo::Font* f = m.GetFontThrow(font);
        ASSERT_NE(f, nullptr) << font;
        EXPECT_GT(f->StringWidth("Level Completed!"), 0) << font;
        EXPECT_GT(f->GetHeight(), 0) << font;
    }
    EXPECT_EQ(app.Count("Popup"), 0);
    EXPECT_EQ(app.Count("Fatal"), 0);
    app.manager.reset();
    SetActivePakInterface(previous);
}

} // namespace
