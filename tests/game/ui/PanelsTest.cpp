#include "framework/core/Paths.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/ButtonListener.h"
#include "game/profiles/ProfileManager.h"
#include "game/ui/ButtonTownUpgrade.h"
#include "game/ui/MainMenuPanel.h"
#include "game/ui/UpgradePanel.h"
#include "game/ui/UpgradeScorePanel.h"
#include "game/ui/UpgradeSlot.h"
#include "tests/support/CurrentProfile.h"
#include "tests/support/FakeApp.h"
#include "tests/support/RecordingImage.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class Listener : public Kivo::ButtonListener {
public:
    void ButtonMouseEnter(int id) override { log.push_back("enter " + std::to_string(id)); }
    void ButtonMouseLeave(int id) override { log.push_back("leave " + std::to_string(id)); }
    std::vector<std::string> log;
};

using testsupport::CurrentProfile;

std::vector<std::pair<int, Kivo::Rect>> Children(Kivo::Widget& panel)
{
    std::vector<std::pair<int, Kivo::Rect>> out;
    for (Kivo::Widget* child : panel.GetChildren()) {
        int id = -1;
        if (auto* button = dynamic_cast<Kivo::ButtonWidget*>(child))
            id = button->mId;
        else if (auto* slot = dynamic_cast<UpgradeSlot*>(child))
            id = slot->mId;
        out.push_back({id, Kivo::Rect(child->mX, child->mY, 0, 0)});
    }
    return out;
}

TEST(MainMenuPanel, ButtonsInTheirOrderAndPlaces)
{
    FakeApp app;
    Listener listener;
    MainMenuPanel panel(&listener);
    using R = Kivo::Rect;
    EXPECT_EQ(Children(panel), (std::vector<std::pair<int, R>>{
                                   {0, R(702, 36, 0, 0)}, {1, R(0, 35, 0, 0)}, {3, R(539, 73, 0, 0)}, {2, R(120, 73, 0, 0)}}));
    EXPECT_EQ(panel.mGreenButton->mGlowImage, panel.mGreenButton->mButtonImage);
    EXPECT_EQ(panel.mGreenButton->mGlowStrength, 60);
    EXPECT_EQ(panel.mGreenButton->mGlowMode, GLOW_ADDITIVE_OVER);
}

TEST(MainMenuPanel, SlidesOutWithTheEasingAndBack)
{
    FakeApp app;
    MainMenuPanel panel(nullptr);
    panel.Resize(0, 500, 800, 100);
    panel.mHomeY = 500;
    app.mManager.AddWidget(&panel);

    EXPECT_TRUE(panel.IsOnScreen());
    panel.ToggleShown(); // hide
    app.Steps(25);
    EXPECT_EQ(panel.mY, 500 + 29); // trunc(100 * (1 - cos(pi / 4)))
    app.Steps(30);
    EXPECT_EQ(panel.mY, 700); // below the screen
    EXPECT_FALSE(panel.IsOnScreen());
    panel.ToggleShown();
    EXPECT_TRUE(panel.IsOnScreen());
    app.Steps(60);
    EXPECT_EQ(panel.mY, 500);

    panel.Show(false, false);
    EXPECT_EQ(panel.mY, 700);
    EXPECT_FALSE(panel.IsOnScreen());
    panel.Show(true, false);
    EXPECT_EQ(panel.mY, 500);
    app.mManager.RemoveWidget(&panel);
}

TEST(MainMenuPanel, NoGreetingWithoutAProfile)
{
    FakeApp app;
    RecordingImage screen(800, 600);
    Kivo::MemoryImage background;
    background.Create(800, 100);
    app.mManager.mScreenImage = &screen;
    MainMenuPanel panel(nullptr);
    panel.RemoveAllWidgets(true);
    panel.mBackground = &background;
    panel.Resize(0, 500, 800, 100);
    app.mManager.AddWidget(&panel);
    app.mManager.DrawScreen();
    ASSERT_EQ(screen.mOps.size(), 1u);
    EXPECT_EQ(screen.mOps[0].mImage, &background);
    app.mManager.RemoveWidget(&panel);
}

TEST(UpgradePanel, ChildrenSlotsAndBadIndices)
{
    FakeApp app;
    Listener listener;
    UpgradePanel panel(&listener);
    using R = Kivo::Rect;
    EXPECT_EQ(Children(panel), (std::vector<std::pair<int, R>>{{1002, R(1, 2, 0, 0)},
                                                               {1003, R(178, 2, 0, 0)},
                                                               {1004, R(355, 2, 0, 0)},
                                                               {1005, R(534, 2, 0, 0)},
                                                               {0, R(718, 37, 0, 0)},
                                                               {-1, R(700, -11, 0, 0)},
                                                               {2, R(100, 35, 0, 0)},
                                                               {3, R(278, 35, 0, 0)},
                                                               {4, R(454, 35, 0, 0)},
                                                               {5, R(633, 35, 0, 0)}}));
    EXPECT_FALSE(panel.mMouseVisible);

    panel.SetButtonState(3, UPGRADE_BOUGHT);
    EXPECT_TRUE(panel.mBuyButtons[3]->mLocked);
    for (int bad : {-1, 4, 100}) { // ignored, not out of bounds
        panel.SetButtonState(bad, UPGRADE_BOUGHT);
        panel.SetSlotState(bad, true);
        panel.SetSlotValue(bad, nullptr);
    }

    panel.SetSlotState(1, true);
    EXPECT_FLOAT_EQ(panel.mSlots[1]->mHighlight.mCurrent, 0.0001f);
    panel.mSlots[1]->mHighlight.mCurrent = 0.5f;
    panel.SetSlotState(1, true); // already lit: no new appearance
    EXPECT_FLOAT_EQ(panel.mSlots[1]->mHighlight.mCurrent, 0.5f);

    app.mManager.AddWidget(&panel);
    app.mManager.MouseMove(panel.mX + 20, panel.mY + 20);
    app.mManager.MouseMove(panel.mX + 200, panel.mY + 20);
    EXPECT_EQ(listener.log, (std::vector<std::string>{"enter 1002", "leave 1002", "enter 1003"}));
    app.mManager.RemoveWidget(&panel);
}

TEST(UpgradePanel, TheScorePanelSlidesRightWithThePanel)
{
    FakeApp app;
    CurrentProfile none(false); // the score panel reads the profile's total
    UpgradePanel panel(nullptr);
    panel.mScorePanel->Resize(700, -11, 80, 40);
    panel.Show(false, false);
    EXPECT_EQ(panel.mScorePanel->mX, 800 + 80);
    panel.Show(true, false);
    EXPECT_EQ(panel.mScorePanel->mX, 700);

    app.mManager.AddWidget(&panel);
    panel.ToggleShown();
    EXPECT_TRUE(panel.IsSliding());
    app.Steps(25);
    EXPECT_EQ(panel.mScorePanel->mX, 700 + 23); // trunc(80 * (1 - cos(pi / 4)))
    app.Steps(30);
    EXPECT_EQ(panel.mScorePanel->mX, 880);
    EXPECT_FALSE(panel.IsSliding());
    app.mManager.RemoveWidget(&panel);
}

TEST(UpgradeScorePanel, CountsAnyChangeWithin20StepsButNeverSlowerThan1_5)
{
    FakeApp app;
    CurrentProfile profile;
    UpgradeScorePanel score;
    app.mManager.AddWidget(&score);
    SetProfileInt("score_total", 1000);
    app.Steps(20); // the 20th update reads the total
    EXPECT_FLOAT_EQ(score.mScore.mSpeed, 50.0f);
    app.Steps(19);
    EXPECT_FLOAT_EQ(score.mScore.mCurrent, 1000.0f);

    SetProfileInt("score_total", 1010);
    app.Steps(21);
    EXPECT_FLOAT_EQ(score.mScore.mSpeed, 1.5f);
    app.Steps(6);
    EXPECT_FLOAT_EQ(score.mScore.mCurrent, 1010.0f);
    app.mManager.RemoveWidget(&score);
}

} // namespace
