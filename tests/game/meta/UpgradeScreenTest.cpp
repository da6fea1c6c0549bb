#include "framework/core/Random.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/resources/ResourceHelpers.h"
#include "game/effects/GfxDelay.h"
#include "game/effects/GfxFirework.h"
#include "game/effects/GfxParticledText.h"
#include "game/effects/GfxManager.h"
#include "game/meta/BuildingPanel.h"
#include "game/meta/UpgradeScreen.h"
#include "game/ui/ButtonTownUpgrade.h"
#include "game/ui/UpgradePanel.h"
#include "tests/game/meta/ScreenTestSupport.h"

#include <gtest/gtest.h>
#include <map>

using namespace towntest;

namespace {

std::vector<uint8_t> Blob()
{
    Kivo::Buffer* b = ProfileManager::Instance()->profile->GetBuffer("town_info");
    return b ? std::vector<uint8_t>(b->GetDataPtr(), b->GetDataPtr() + b->GetDataLen()) : std::vector<uint8_t>();
}

struct UpgradeFixture : ScreenFixture {
    UpgradeFixture()
    {
        for (const char* id : {"IMAGE_UI_UPGRADE_PANEL_BUTTON_RED", "IMAGE_UI_UPGRADE_PANEL_BUTTON_GREY"})
            town.resources.AddImage(id, 80, 30);
        screen = std::make_unique<UpgradeScreen>();
        screen->mStateManager = &states;
    }
    ~UpgradeFixture()
    {
        if (!screen->mLeft)
            screen->Leave();
    }
    void Enter()
    {
        screen->mLeft = false;
        screen->Enter();
        app.Steps(300); // the panel slides in
    }
    // 0 buyable, 1 too expensive, 2 bought, as the slot's button shows it.
    int ButtonState(int slot)
    {
        Kivo::Image* image = screen->mUpgradePanel->mBuyButtons[slot]->mButtonImage;
        if (image == GetImageById("IMAGE_UI_UPGRADE_PANEL_BUTTON_RED"))
            return 1;
        return image == GetImageById("IMAGE_UI_UPGRADE_PANEL_BUTTON_GREY") ? 2 : 0;
    }
    int Delays(float time)
    {
        int n = 0;
        for (gfxBase* e : screen->mEffects->mEffects)
            if (auto* d = dynamic_cast<GfxDelay*>(e); d && d->mTime == time)
                ++n;
        return n;
    }
    std::unique_ptr<UpgradeScreen> screen;
};

} // namespace

TEST(UpgradeScreenTest, BuyingTakesTheCostOnlyOnceAndOnlyWithTheFunds)
{
    struct Case {
        const char* what;
        int funds;
        int slot;
        bool alreadyBought;
        bool bought;
        int fundsAfter;
    };
    // Building i costs 100 * (i + 1); building 1 waits two levels.
    const Case cases[] = {
        {"affordable", 1000, 0, false, true, 900},
        {"exactly the cost", 200, 1, false, true, 0},
        {"too expensive", 50, 0, false, false, 50},
        {"already bought", 1000, 0, true, false, 1000},
    };
    for (const Case& c : cases) {
        UpgradeFixture f;
        SetProfileInt("score_total", c.funds);
        if (c.alreadyBought)
            Town::SetBought(c.slot);
        f.Enter();
        EXPECT_EQ(f.ButtonState(c.slot), c.alreadyBought ? 2 : c.bought ? 0 : 1) << c.what;
        f.screen->ButtonDepress(UpgradeScreen::kFirstBuyId + c.slot);
        EXPECT_EQ(GetProfileInt("score_total"), c.fundsAfter) << c.what;
        EXPECT_TRUE(Town::IsBought(c.slot) || !c.bought) << c.what;
        if (c.bought) {
            std::vector<uint8_t> blob = Blob();
            ASSERT_EQ(blob.size(), 40u);
            EXPECT_EQ(blob[2 * c.slot], 1) << c.what;
            EXPECT_EQ(blob[2 * c.slot + 1], c.slot == 1 ? 2 : 0) << c.what;
            EXPECT_EQ(f.ButtonState(c.slot), 2) << c.what;
            // The building appears with its effect; the panel slides away.
            EXPECT_FALSE(f.town.added().empty()) << c.what;
            EXPECT_EQ(f.screen->mUpgradePanel->mSlide.mTarget, 1.0f) << c.what;
        }
        if (!c.bought && !c.alreadyBought) {
            EXPECT_FALSE(Town::HasProgress()) << c.what;
        }
    }
}

TEST(UpgradeScreenTest, TheStagesFourthBuildingIsCelebratedAndTheNextStageOffered)
{
    UpgradeFixture f;
    SetProfileInt("score_total", 1000 + 500);
    Kivo::SeedRandomInt(99);
    f.Enter();
    for (int slot = 0; slot < 3; ++slot)
        f.screen->ButtonDepress(UpgradeScreen::kFirstBuyId + slot);
    EXPECT_EQ(f.Delays(3.0f), 0);
    f.screen->ButtonDepress(UpgradeScreen::kFirstBuyId + 3);
    EXPECT_EQ(GetProfileInt("score_total"), 500);
    // The voice, the text and the stage sound wait three seconds; 25 bursts
    // of three to five rockets from four seconds on, at most one big one a
    // burst.
    EXPECT_EQ(f.Delays(3.0f), 3);
    int texts = 0;
    for (gfxBase* e : f.screen->mEffects->mEffects)
        if (auto* d = dynamic_cast<GfxDelay*>(e); d && dynamic_cast<GfxParticledText*>(d->mNextEffect))
            ++texts;
    EXPECT_EQ(texts, 1);
    std::vector<std::pair<float, int>> rockets;
    for (gfxBase* e : f.screen->mEffects->mEffects)
        if (auto* d = dynamic_cast<GfxDelay*>(e))
            if (auto* r = dynamic_cast<GfxFirework*>(d->mNextEffect))
                rockets.push_back({d->mTime, r->mKind});
    ASSERT_GE(rockets.size(), 75u);
    ASSERT_LE(rockets.size(), 125u);
    EXPECT_GE(rockets.front().first, 4.2f);
    int bursts = 1, big = 0;
    for (size_t i = 0; i < rockets.size(); ++i) {
        if (i > 0 && rockets[i].first - rockets[i - 1].first > 0.95f) {
            ++bursts;
            big = 0;
        }
        EXPECT_TRUE(rockets[i].second >= 0 && rockets[i].second <= 2);
        big += rockets[i].second == 2;
        EXPECT_LE(big, 1);
    }
    EXPECT_EQ(bursts, 25);
    // Stage 1 is offered: building 4 costs 500, the others more.
    EXPECT_EQ(Town::GetCurrentStage(), 1);
    EXPECT_EQ(f.ButtonState(0), 0);
    for (int slot = 1; slot < 4; ++slot)
        EXPECT_EQ(f.ButtonState(slot), 1);
    EXPECT_EQ(f.screen->mPreviews[0].mLayer, f.town.town->FindItem("b04")->picture->FindLayer("preview"));
}

TEST(UpgradeScreenTest, EndAnimationsReplayOnceWhenTheirLevelsRunOut)
{
    UpgradeFixture f;
    Town::SetBought(0); // no animation commands
    Town::SetBought(1);
    Town::SetAnimationLevels(1, 1);
    f.Enter();
    EXPECT_FALSE(Town::IsAnimationDone(1));
    Town::AgeBuildingAnimations();
    f.screen->ApplyFinishedAnimations();
    EXPECT_TRUE(Town::IsAnimationDone(1));
    EXPECT_FALSE(Town::IsAnimationDone(0));
    std::vector<AddedEffect> added = f.town.added();
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(added[0].kind, "LayerVisible:animation");
    EXPECT_EQ(added[0].delay, 1.0f);

    f.town.ClearEffects();
    f.screen->ApplyFinishedAnimations();
    f.screen->Leave();
    f.Enter();
    EXPECT_TRUE(f.town.added().empty());
    EXPECT_TRUE(f.town.town->FindItem("b01")->IsLayerVisible("animation"));
    EXPECT_FALSE(Town::IsAnimationDone(0));
}

TEST(UpgradeScreenTest, AQuickMoveBetweenSlotsShowsTheSecondBuildingAfterTheFade)
{
    UpgradeFixture f;
    f.Enter();
    BuildingPanel* panel = f.screen->mBuildingPanel;
    f.screen->ButtonMouseEnter(UpgradeScreen::kFirstSlotId + 0);
    f.app.Step();
    f.screen->ButtonMouseLeave(UpgradeScreen::kFirstSlotId + 0);
    f.screen->ButtonMouseEnter(UpgradeScreen::kFirstBuyId + 1);
    EXPECT_EQ(panel->mBuilding, 0);
    EXPECT_EQ(panel->mPendingBuilding, 1);
    f.app.Steps(20);
    EXPECT_EQ(panel->mBuilding, 1);
    EXPECT_EQ(panel->mItem, f.town.town->FindItem("b01"));
    EXPECT_EQ(panel->mAlpha.mCurrent, 1.0f);
    EXPECT_EQ(panel->mY, 20);

    // While the upgrade panel slides no building panel opens.
    f.screen->ButtonMouseLeave(UpgradeScreen::kFirstBuyId + 1);
    f.app.Steps(20);
    f.screen->mUpgradePanel->ToggleShown();
    f.app.Step();
    f.screen->ButtonMouseEnter(UpgradeScreen::kFirstBuyId + 2);
    f.app.Steps(20);
    EXPECT_EQ(panel->mAlpha.mCurrent, 0.0f);
    EXPECT_NEAR(panel->mY, 40, 1); // sunk 20 pixels (the fast cosine is not exact)
}

// The building panel's status line and the colour of its cost line: red
// only for a building the funds cannot buy, never for one already built.
TEST(UpgradeScreenTest, TheBuildingPanelShowsTheCostInRedOnlyForWhatCannotBeBought)
{
    struct Font : Kivo::Font {
        Font() { mAscent = 16, mHeight = 20; }
        int StringWidth(const std::string& text) override { return 10 * static_cast<int>(text.size()); }
        void DrawString(Kivo::Graphics*, int, int, const std::string& text, const Kivo::Color& color,
                        const Kivo::Rect&) override
        {
            (*drawn)[text] = color;
        }
        Kivo::Font* Duplicate() override { return new Font(*this); }
        std::map<std::string, Kivo::Color>* drawn = nullptr;
    };
    struct Case {
        bool bought;
        int funds;
        const char* status; // the line at y 200, or "" for none
        bool redCost;
    };
    const Case cases[] = {
        {false, 100, "", false},          // building 0 costs 100
        {false, 99, "not enough", true},
        {true, 0, "got it", false},       // built, and the funds are gone
        {true, 500, "got it", false},
    };
    for (const Case& c : cases) {
        UpgradeFixture f;
        std::map<std::string, Kivo::Color> drawn;
        auto* font = new Font;
        font->drawn = &drawn;
        f.town.resources.mManager->SetFont("FONT_GOLD", font);
        f.town.resources.mStrings = {{"upgrade_screen_label_cost", "Cost"},
                                     {"upgrade_screen_label_you_got_it", "got it"},
                                     {"upgrade_screen_label_funds_not_enough", "not enough"}};
        if (c.bought)
            Town::SetBought(0);
        f.town.town->Rebuild();
        SetProfileInt("score_total", c.funds);
        BuildingPanel* panel = f.screen->mBuildingPanel;
        panel->SetBuilding(0);
        panel->Show(true, false);
        RecordingImage screen(800, 600);
        Kivo::Graphics g(&screen);
        panel->Draw(&g);
        EXPECT_EQ(drawn.count("got it") + drawn.count("not enough"), c.status[0] ? 1u : 0u) << c.funds;
        if (c.status[0]) {
            EXPECT_EQ(drawn.count(c.status), 1u) << c.funds;
        }
        ASSERT_EQ(drawn.count("Cost:  100"), 1u);
        const Kivo::Color cost = drawn["Cost:  100"];
        EXPECT_EQ(cost.mRed == 255 && cost.mGreen == 50 && cost.mBlue == 50, c.redCost) << c.bought << " " << c.funds;
    }
}

TEST(UpgradeScreenTest, ContinueGoesToTheGameUntilTheTownIsBuilt)
{
    for (bool complete : {false, true}) {
        UpgradeFixture f;
        for (int i = 0; i < (complete ? 20 : 19); ++i)
            Town::SetBought(i);
        f.Enter();
        f.screen->KeyDown(13);
        f.app.Steps(100);
        EXPECT_EQ(f.states.mCalls, (std::vector<std::string>{complete ? "change MenuScreen" : "change GameScreen"}));
    }
    UpgradeFixture f;
    f.Enter();
    f.screen->KeyDown(27);
    f.app.Steps(100);
    EXPECT_EQ(f.states.mCalls, (std::vector<std::string>{"change MenuScreen"}));
}

TEST(UpgradeScreenTest, CheatKeysOnlyWithTheSetting)
{
    UpgradeFixture f;
    SetProfileInt("score_total", 10);
    f.Enter();
    f.screen->KeyDown(107);
    EXPECT_EQ(GetProfileInt("score_total"), 10);
    f.audio.booleans["cheat_keys"] = true;
    f.screen->KeyDown(107);
    EXPECT_EQ(GetProfileInt("score_total"), 1010);
    EXPECT_EQ(f.ButtonState(0), 0);
    Town::SetBought(0);
    f.screen->KeyDown('R');
    EXPECT_FALSE(Town::IsBought(0));
}
