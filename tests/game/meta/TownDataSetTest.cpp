// The whole town of the generated data set, bought building by building
// through the upgrade screen, with every effect run to its end.
#include "framework/core/PakInterface.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "game/meta/UpgradeScreen.h"
#include "tests/game/meta/ScreenTestSupport.h"

#include <gtest/gtest.h>

using namespace towntest;

namespace {

struct DataSetTown {
    DataSetTown()
    {
        previous = SetActivePakInterface(&paks);
        EXPECT_TRUE(paks.AddPakFile(std::string(KIVO_DATA_DIR) + "/main.pak"));
        EXPECT_TRUE(resources.LoadGroup("properties/town.xml", "Town"));
        town = new Town();
    }
    ~DataSetTown()
    {
        delete town;
        SetActivePakInterface(previous);
    }
    PakInterface paks;
    PakInterfaceBase* previous;
    testsupport::ResourceTable resources;
    Town* town;
};

} // namespace

TEST(TownDataSetPlay, AllTwentyBuildingsBoughtInOrder)
{
    FakeApp app;
    soundtest::AudioHostDouble audio;
    CurrentProfile profile;
    DataSetTown data;
    RecordingStates states;
    Kivo::MemoryImage screenImage;
    screenImage.Create(800, 600);
    Kivo::Graphics g(&screenImage);

    auto screen = std::make_unique<UpgradeScreen>();
    screen->mStateManager = &states;
    screen->Enter();
    app.Steps(10);
    for (int i = 0; i < Town::kBuildingCount; ++i) {
        const TownStages::Building* b = data.town->stages->GetBuilding(i / 4, i % 4);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(Town::GetCurrentStage(), i / 4);
        SetProfileInt("score_total", b->cost);
        screen->RefreshSlots();
        screen->ButtonDepress(UpgradeScreen::kFirstBuyId + i % 4);
        EXPECT_EQ(GetProfileInt("score_total"), 0) << i;
        // The building comes in with its effect, drawn as it goes.
        for (int step = 0; step < 400; ++step) {
            app.Step();
            if (step % 50 == 0)
                screen->Draw(&g);
        }
        EXPECT_TRUE(data.town->FindItem(b->id)->shown) << b->id;
    }
    Kivo::Buffer* blob = ProfileManager::Instance()->profile->GetBuffer("town_info");
    ASSERT_NE(blob, nullptr);
    ASSERT_EQ(blob->GetDataLen(), 40);
    for (int i = 0; i < Town::kBuildingCount; ++i) {
        EXPECT_EQ(blob->GetDataPtr()[2 * i], 1) << i;
        EXPECT_EQ(blob->GetDataPtr()[2 * i + 1], data.town->stages->GetBuilding(i / 4, i % 4)->levels) << i;
    }
    EXPECT_TRUE(Town::IsComplete());
    for (int s = 0; s < 5; ++s)
        EXPECT_TRUE(data.town->FindItem("s" + std::to_string(s) + "_deco")->shown);

    // After three levels every end animation has come on, once.
    for (int level = 0; level < 3; ++level)
        Town::AgeBuildingAnimations();
    screen->Leave();
    screen->mLeft = false;
    screen->Enter();
    app.Steps(400);
    for (int i = 0; i < Town::kBuildingCount; ++i) {
        const bool animated = !data.town->stages->GetBuilding(i / 4, i % 4)->animationCommands.empty();
        EXPECT_EQ(Town::IsAnimationDone(i), animated) << i;
    }
    EXPECT_TRUE(data.town->FindItem("b03")->IsLayerVisible("animation"));

    // The town is built: continue leads to the menu.
    screen->ButtonDepress(UpgradeScreen::kContinueId);
    app.Steps(100);
    EXPECT_EQ(states.mCalls, (std::vector<std::string>{"change MenuScreen"}));
    if (!screen->mLeft)
        screen->Leave();
    app.Steps(2);
    delete MusicManager::Existing();
}
