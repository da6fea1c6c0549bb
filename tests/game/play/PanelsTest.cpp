// The bonus panel and its slots, the timer, score and extra panels and the
// field frame, headless.
#include "game/play/BonusPanel.h"
#include "game/play/BonusSlot.h"
#include "game/play/ExtraPanel.h"
#include "game/play/ExtraPanelListener.h"
#include "game/play/FieldFrame.h"
#include "game/play/ScorePanel.h"
#include "game/play/TimerPanel.h"

#include "game/match/BrickHelper.h"
#include "game/profiles/ProfileManager.h"
#include "tests/support/CurrentProfile.h"
#include "tests/support/FakeApp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

using ScopedProfile = testsupport::CurrentProfile;

class RecordingListener : public ExtraPanelListener {
public:
    void ExtraBonusWon(int kind) override { won.push_back(kind); }
    std::vector<int> won;
};

} // namespace

TEST(BonusPanel, SlotIndicesOutsideTheFiveAreIgnored)
{
    FakeApp app;
    BonusPanel panel(nullptr);
    for (int slot : {-1, -5, 5, 100}) {
        panel.SetSlotProgress(slot, 1.0f, false);
        panel.AddSlotProgress(slot, 0.5f);
        EXPECT_EQ(panel.GetSlotProgress(slot), 0.0f) << slot;
        int x = 0, y = 0;
        EXPECT_FALSE(panel.GetSlotCentre(slot, &x, &y)) << slot;
    }
    panel.SetSlotProgress(4, 0.5f, false);
    EXPECT_EQ(panel.GetSlotProgress(4), 0.5f);
}

TEST(BonusPanel, SlotPlacesAndCentres)
{
    FakeApp app;
    BonusPanel panel(nullptr);
    // Without images the socket counts as the 50 x 50 click area itself:
    // each slot stands at its place plus its widget offset.
    struct Row {
        int slot, x, y;
    };
    const Row rows[] = {{0, 178 + 9, 86 + 8}, {1, 260 + 11, 91 + 6}, {2, 341 + 9, 92 + 5}, {3, 420 + 11, 89 + 7},
                        {4, 506 + 5, 84 + 9}};
    for (const Row& r : rows) {
        const BonusSlot* slot = panel.GetSlot(r.slot);
        EXPECT_EQ(slot->mX, r.x) << r.slot;
        EXPECT_EQ(slot->mY, r.y) << r.slot;
        EXPECT_EQ(slot->mId, 7 + r.slot);
        int cx = 0, cy = 0;
        ASSERT_TRUE(panel.GetSlotCentre(r.slot, &cx, &cy));
        EXPECT_EQ(cx, panel.mX + r.x + 25);
        EXPECT_EQ(cy, panel.mY + r.y + 25);
    }
    EXPECT_FALSE(panel.GetSlotCentre(0, nullptr, nullptr));
}

TEST(BonusSlot, BarSourceStaysInsideTheImage)
{
    struct Case {
        float progress;
        int barHeight, imageHeight;
        int y, height;
    };
    const Case cases[] = {
        {0.5f, 40, 40, 20, 20}, {1.5f, 40, 40, 0, 40}, {-0.2f, 40, 40, 0, 0},
        {1.0f, 60, 40, 0, 40}, // a shorter image than the shared height
        {0.25f, 40, 60, 30, 10},
    };
    for (const Case& c : cases) {
        const Kivo::Rect r = BonusSlot::BarSource(12, c.imageHeight, c.barHeight, c.progress);
        EXPECT_EQ(r.mHeight, c.height) << c.progress;
        if (c.height > 0) {
            EXPECT_EQ(r.mY, c.y) << c.progress;
            EXPECT_EQ(r.mWidth, 12);
            EXPECT_LE(r.mY + r.mHeight, c.imageHeight);
        }
    }
}

TEST(BonusSlot, IconGreyUntilTheShownValueIsFull)
{
    FakeApp app;
    BonusSlot slot(7, nullptr);
    slot.SetProgress(1.0f, true);
    EXPECT_EQ(slot.GetProgress(), 1.0f);
    EXPECT_FALSE(slot.IconReady());
    for (int i = 0; i < 19; ++i)
        slot.UpdateF(1);
    EXPECT_FALSE(slot.IconReady());
    slot.UpdateF(1);
    EXPECT_TRUE(slot.IconReady());
    slot.SetGateOpen(false, true);
    EXPECT_GE(slot.mGate.mSpeed, 0.021f - 1e-6f);
    EXPECT_LE(slot.mGate.mSpeed, 0.039f + 1e-6f);
    EXPECT_FALSE(slot.mGate.mSpeed > 0.0241f && slot.mGate.mSpeed < 0.0359f);
}

TEST(TimerPanel, Steps)
{
    FakeApp app;
    TimerPanel timer;
    timer.SetTotal(300);
    timer.Restart(true);
    EXPECT_EQ(timer.mShown, 0);
    // The bar fills at 1.5 s per step, then follows the time left.
    for (int i = 0; i < 10; ++i)
        timer.UpdateF(1);
    EXPECT_NEAR(timer.mShown, 15, 1e-3);
    EXPECT_NEAR(timer.GetTimeLeft(), 299.9f, 1e-3);
    for (int i = 0; i < 300; ++i)
        timer.UpdateF(1);
    EXPECT_GE(timer.mShown, timer.GetTimeLeft());
    EXPECT_LE(timer.mShown, timer.GetTimeLeft() + 1.5f);
    // Time left stops at 0 and the bar never goes below it.
    timer.SetTimeLeft(0.005f);
    for (int i = 0; i < 400; ++i)
        timer.UpdateF(1);
    EXPECT_EQ(timer.GetTimeLeft(), 0);
    EXPECT_EQ(timer.mShown, 0);
    EXPECT_FALSE(timer.HasTimeLeft());

    struct Bar {
        float total, shown;
        int width;
    };
    for (const Bar& b : {Bar{300, 150, 100}, Bar{300, 301.5f, 200}, Bar{0, 10, 0}, Bar{-5, 10, 0}, Bar{300, -1, 0}}) {
        timer.mTotal = b.total;
        timer.mShown = b.shown;
        EXPECT_EQ(timer.BarWidth(200), b.width) << b.total << " " << b.shown;
    }
    timer.SetTotal(100);
    timer.SetTimeLeft(250);
    EXPECT_EQ(timer.GetTimeLeft(), 100);
}

TEST(TimerPanel, RelaxedPlayDisablesIt)
{
    FakeApp app;
    TimerPanel timer;
    {
        // No profile: "progress_type" reads 0, the timer runs.
        ScopedProfile none(false);
        timer.SetPaused(false);
        EXPECT_FALSE(timer.IsStopped());
    }
    auto profile = std::make_unique<ScopedProfile>(true);
    SetProfileInt("progress_type", 2);
    timer.SetPaused(false);
    EXPECT_TRUE(timer.IsStopped());
    const float left = timer.GetTimeLeft();
    timer.UpdateF(100);
    EXPECT_EQ(timer.GetTimeLeft(), left);
}

TEST(ScorePanel, CountsTowardsTheProfileSums)
{
    FakeApp app;
    ScorePanel panel;
    {
        // No profile: 0 points.
        ScopedProfile none(false);
        for (int i = 0; i < 50; ++i)
            panel.Update();
        EXPECT_EQ(panel.mScore.mTarget, 0);
        EXPECT_FLOAT_EQ(panel.mScore.mSpeed, 0.3f);
    }

    auto profile = std::make_unique<ScopedProfile>(true);
    SetProfileInt("score_total", 1000);
    SetProfileInt("score_level_bricks", 150);
    SetProfileInt("score_level_bonus", 40);
    SetProfileInt("score_level_combo", 10);
    for (int i = 0; i < 49; ++i)
        panel.Update();
    EXPECT_EQ(panel.mScore.mTarget, 0); // only every 50th update
    panel.Update();
    EXPECT_EQ(panel.mScore.mTarget, 1200);
    EXPECT_FLOAT_EQ(panel.mScore.mSpeed, 30.0f);
    for (int i = 0; i < 40; ++i)
        panel.UpdateF(1);
    EXPECT_EQ(panel.ShownPoints(), 1200);
    // A drop counts down by the same rule.
    SetProfileInt("score_total", 1190);
    SetProfileInt("score_level_bricks", 0);
    SetProfileInt("score_level_bonus", 0);
    SetProfileInt("score_level_combo", 0);
    for (int i = 0; i < 50; ++i)
        panel.Update();
    EXPECT_FLOAT_EQ(panel.mScore.mSpeed, 0.3f);
    SetProfileInt("game_current_level", 6);
    panel.Show(true, false);
    EXPECT_EQ(panel.mLevel, 7);
}

TEST(ExtraPanel, Lifecycle)
{
    FakeApp app;
    RecordingListener listener;
    ExtraPanel panel(&listener);
    EXPECT_FALSE(panel.IsShown());
    panel.mColour = 3;
    panel.mBonusKind = 5;
    panel.Show(true, true);
    EXPECT_TRUE(panel.IsShown());
    EXPECT_FALSE(panel.IsActive());
    panel.OnMatch(3); // while it slides: nothing
    EXPECT_EQ(panel.mMatchesLeft, 3);
    for (int i = 0; i < 51; ++i)
        panel.UpdateF(1);
    ASSERT_TRUE(panel.IsActive());
    EXPECT_EQ(panel.mX, panel.mHomeX);
    EXPECT_EQ(panel.mY, 5); // below the screen's top edge
    panel.OnMatch(4);
    EXPECT_EQ(panel.mMatchesLeft, 3);
    panel.OnMatch(3);
    panel.OnMatch(3);
    EXPECT_TRUE(listener.won.empty());
    panel.OnMatch(3);
    EXPECT_EQ(listener.won, std::vector<int>{5});
    EXPECT_TRUE(panel.mExpired);
    panel.OnMatch(3);
    EXPECT_EQ(listener.won.size(), 1u);
    for (int i = 0; i < 51; ++i)
        panel.UpdateF(1);
    EXPECT_FALSE(panel.IsShown());
    EXPECT_EQ(panel.mX, 800);
    EXPECT_EQ(panel.mColour, 0);
    EXPECT_EQ(panel.mMatchesLeft, 3);

    // Unanswered, the offer ends after 2000 settled steps.
    panel.mColour = 2;
    panel.mBonusKind = 1;
    panel.Show(true, true);
    int steps = 0;
    while (!panel.IsActive() && steps < 100) {
        panel.UpdateF(1);
        ++steps;
    }
    // The step that settles the slide counts as the first of the 2000.
    steps = 1;
    while (!panel.mExpired && steps < 3000) {
        panel.UpdateF(1);
        ++steps;
    }
    EXPECT_NEAR(steps, 2000, 1);
    EXPECT_FALSE(panel.IsActive());
    EXPECT_TRUE(listener.won.size() == 1u);

    // A show without an offer hides.
    panel.Reset();
    panel.Show(true, false);
    EXPECT_FALSE(panel.IsShown());
}

TEST(ExtraPanel, CaptionIndexIsClamped)
{
    struct Case {
        int left;
        const char* id;
    };
    for (const Case& c : {Case{4, "game_extra_panel_makematch3"}, Case{3, "game_extra_panel_makematch3"},
                          Case{2, "game_extra_panel_makematch2"}, Case{1, "game_extra_panel_makematch1"},
                          Case{0, "game_extra_panel_makematch1"}, Case{-1, "game_extra_panel_makematch1"}})
        EXPECT_STREQ(ExtraPanel::CaptionId(c.left), c.id) << c.left;
}

TEST(FieldFrame, HighlightFollowsTheGameType)
{
    FakeApp app;
    auto none = std::make_unique<ScopedProfile>(false);
    FieldFrame frame(nullptr);
    // No profile: game type 0 highlights nothing.
    for (int i = 0; i < 50; ++i)
        frame.Update();
    for (int type = 1; type <= 3; ++type)
        EXPECT_FALSE(frame.ModeButton(type)->mSelected);
    none.reset();

    auto profile = std::make_unique<ScopedProfile>(true);
    SetProfileInt("game_type", 3);
    for (int i = 0; i < 50; ++i)
        frame.Update();
    EXPECT_TRUE(frame.mChain->mSelected);
    EXPECT_FALSE(frame.mSwap->mSelected);
    SetProfileInt("game_type", 1);
    for (int i = 0; i < 50; ++i)
        frame.Update();
    EXPECT_TRUE(frame.mSwap->mSelected);
    EXPECT_FALSE(frame.mChain->mSelected);
    // Relaxed play shows the no-time panel.
    SetProfileInt("progress_type", 2);
    frame.Reset();
    EXPECT_FALSE(frame.mTimed);
}

TEST(FieldFrame, HidingFadesEveryButton)
{
    FakeApp app;
    ScopedProfile none(false);
    FieldFrame frame(nullptr);
    frame.mSwap->SetSelected(true, false);
    frame.Show(false, true);
    for (int i = 0; i < 10; ++i)
        frame.UpdateF(1);
    EXPECT_NEAR(frame.mRightLarge->mAlpha, 0.6f, 1e-4);
    EXPECT_NEAR(frame.mGroup->mAlpha, 0.6f, 1e-4);
    EXPECT_TRUE(frame.mGroup->mVisible);
    for (int i = 0; i < 15; ++i)
        frame.UpdateF(1);
    EXPECT_EQ(frame.mAlpha.mCurrent, 0);
    for (int type = 1; type <= 3; ++type)
        EXPECT_FALSE(frame.ModeButton(type)->mVisible);
    EXPECT_TRUE(frame.mLeftSmall->mVisible);
    EXPECT_EQ(frame.mLeftSmall->mAlpha, 0);

    // An invisible mode button's highlight stands still.
    frame.mSwap->SetSelected(false, true);
    frame.mSwap->Update();
    const float highlight = frame.mSwap->mHighlight.mCurrent;
    frame.mSwap->UpdateF(5);
    EXPECT_EQ(frame.mSwap->mHighlight.mCurrent, highlight);
    frame.Show(true, false);
    EXPECT_TRUE(frame.mSwap->mVisible);
    frame.mSwap->UpdateF(5);
    EXPECT_LT(frame.mSwap->mHighlight.mCurrent, highlight);
}
