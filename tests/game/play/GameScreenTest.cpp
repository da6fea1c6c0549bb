// The game screen against a recording game play: the board-event queue,
// clicks, keys and buttons, the level flow with its timer and both level
// ends, and the extra panel's offers.
#include "game/match/BrickHelper.h"
#include "game/play/BonusPanel.h"
#include "game/play/ExtraPanel.h"
#include "game/play/GamePanelsPtr.h"
#include "game/play/TimerPanel.h"
#include "tests/game/play/PlayTestSupport.h"

namespace playtest {
namespace {

class GameScreenTest : public ScreenFixture {};

TEST_F(GameScreenTest, StartsTheLevelAndBringsTheBoardIn)
{
    Enter();
    ASSERT_TRUE(Play());
    EXPECT_TRUE(Play()->mLoaded);
    EXPECT_EQ(Play()->mColours.size(), 6u); // swap
    EXPECT_EQ(screen->mState, GameScreen::kPlay);
    EXPECT_TRUE(screen->mBoard->mVisible);
    EXPECT_FALSE(screen->mTimerPanel->IsStopped());
    EXPECT_TRUE(Has(log, "DoEvent 1")); // bricks in place
    EXPECT_TRUE(Has(log, "voice VOICE_SWAP_MODE"));
    EXPECT_GT(Play()->mUpdates, 300);
    EXPECT_EQ(GamePanelsPtr::Instance()->mTimerPanel, screen->mTimerPanel);
}

TEST_F(GameScreenTest, NoLevelLeavesForTheMenuAndNeverTicks)
{
    std::filesystem::remove(data / "levels/level001.level");
    Open();
    EXPECT_FALSE(screen->mGamePlay);
    Steps(5);
    EXPECT_EQ(Count(log, "create 1"), 1);
    EXPECT_TRUE(Has(log, "window message message_level_load_failed"));
    EXPECT_TRUE(screen->mClosing);
    EXPECT_EQ(GetProfileInt("game_current_level"), 0);
}

TEST_F(GameScreenTest, BoardEventsReplayInOrderOnTheNextUpdate)
{
    Enter();
    screen->mBoard->mListener->BoardEnter();
    screen->CellEnter(1, 2);
    screen->CellLeave(1, 2);
    screen->CellDown(3, 4, 1);
    screen->CellDrag(3, 4, 3, 5);
    screen->BoardMouseUp(7, 8);
    screen->BoardLeave();
    // Turning reports go straight to the game play, never through the queue.
    screen->SetFieldAlpha(0.5f);
    screen->SetFieldOffset(1.0f, 1.0f);
    EXPECT_EQ(screen->mBoardEvents.size(), 7u);
    log.clear();
    const int lastDispatch = screen->mLastDispatchTick;
    EXPECT_EQ(lastDispatch, 0);
    Steps(1);
    const Log expected = {"BoardEnter", "CellEnter 1 2", "CellLeave 1 2", "CellDown 3 4 1",
                          "CellDrag 3 4 3 5", "BoardMouseUp", "BoardLeave"};
    EXPECT_EQ(Log(log.begin(), log.begin() + 7), expected);
    EXPECT_EQ(screen->mLastDispatchTick, screen->Tick());
    EXPECT_TRUE(screen->mBoardEvents.empty());
    // An empty queue leaves the last dispatch tick.
    const int dispatched = screen->mLastDispatchTick;
    Steps(3);
    EXPECT_EQ(screen->mLastDispatchTick, dispatched);
}

TEST_F(GameScreenTest, FastClicksLockPlayUntilASlowOne)
{
    Enter();
    struct Case {
        int gap;
        bool locked;
    };
    // Each click follows the one before by `gap` ticks.
    const Case cases[] = {{20, false}, {1, true}, {16, false}, {15, true}, {0, false}, {5, true}, {40, false}};
    for (const Case& c : cases) {
        Steps(c.gap);
        screen->MouseDownButton(400, 300, 0, 1);
        EXPECT_EQ(Play()->IsLocked(), c.locked) << c.gap;
        EXPECT_EQ(screen->mTimerPanel->IsPaused(), c.locked) << c.gap;
    }
    // Outside play clicks change nothing.
    screen->mState = GameScreen::kLevelWon;
    Steps(3);
    screen->MouseDownButton(400, 300, 0, 1);
    EXPECT_FALSE(Play()->IsLocked());
}

TEST_F(GameScreenTest, KeysOnlyInPlay)
{
    Enter();
    services->mCheats = false;
    screen->KeyDown('1');
    EXPECT_EQ(screen->mBonusPanel->GetSlotProgress(0), 0.0f);
    EXPECT_TRUE(Has(log, "KeyDown 49"));

    // Left and right turn the board only while no board effect runs.
    Play()->mBoardEffects = true;
    screen->KeyDown(37);
    EXPECT_EQ(screen->mBoard->GetQuarterTurns(), 0);
    Play()->mBoardEffects = false;
    screen->KeyDown(37);
    Steps(200);
    EXPECT_EQ(screen->mBoard->GetQuarterTurns(), 1);
    EXPECT_TRUE(Has(log, "Rotate 1"));

    services->mCheats = true;
    screen->KeyDown('3');
    EXPECT_EQ(screen->mBonusPanel->GetSlotProgress(2), 1.0f);
    const float left = screen->mTimerPanel->GetTimeLeft();
    screen->KeyDown(109);
    EXPECT_FLOAT_EQ(screen->mTimerPanel->GetTimeLeft(), left - 10);

    log.clear();
    for (int state : {GameScreen::kLevelDone, GameScreen::kLevelWon, GameScreen::kTimeOut}) {
        screen->mState = state;
        screen->KeyDown(27);
        screen->KeyDown('2');
    }
    EXPECT_TRUE(log.empty());
}

TEST_F(GameScreenTest, EscapeOpensThePauseWindow)
{
    Enter();
    struct Case {
        int result;
        const char* then;
    };
    for (const Case& c : {Case{0, ""}, Case{2, "window help"}, Case{1, "find MenuScreen"}}) {
        log.clear();
        services->mPauseResult = c.result;
        screen->KeyDown(27);
        ASSERT_EQ(log.at(0), "window pause");
        if (c.result == 1) {
            Steps(200); // the fade-out, then the switch
            EXPECT_TRUE(Has(log, c.then));
        } else {
            if (*c.then) {
                EXPECT_TRUE(Has(log, c.then));
            }
            EXPECT_FALSE(Play()->IsLocked()) << c.result;
            EXPECT_FALSE(screen->mTimerPanel->IsPaused());
        }
    }
}

TEST_F(GameScreenTest, BonusSlotButtons)
{
    Enter();
    struct Case {
        int slot;
        float progress;
        const char* call;
        float after;
    };
    const Case cases[] = {
        {0, 0.5f, "ResetInput 1", 0.5f},        {0, 1.0f, "UseBonus 4 -1 -1", 1.0f},
        {1, 1.2f, "UseBonus 1 -330 -572", 0.0f}, {2, 1.0f, "UseBonus 5 -1 -1", 1.0f},
        {3, 1.0f, "UseBonus 6 -1 -1", 1.0f},     {4, 1.0f, "UseBonus 0 -570 -575", 0.0f},
        {4, 0.99f, "ResetInput 1", 0.99f},
    };
    for (const Case& c : cases) {
        log.clear();
        screen->mBonusPanel->SetSlotProgress(c.slot, c.progress, false);
        screen->ButtonDepress(BonusPanel::kFirstSlotId + c.slot);
        ASSERT_EQ(log.size(), 1u) << c.slot;
        EXPECT_EQ(log[0], c.call) << c.slot;
        EXPECT_FLOAT_EQ(screen->mBonusPanel->GetSlotProgress(c.slot), c.after) << c.slot;
    }
    // Not while play is inactive.
    log.clear();
    Play()->mActive = false;
    screen->ButtonDepress(BonusPanel::kFirstSlotId);
    EXPECT_TRUE(log.empty());
}

TEST_F(GameScreenTest, ModeButtons)
{
    Enter();
    log.clear();
    screen->ButtonDepress(4); // swap, the mode in play
    EXPECT_EQ(log, Log({"window howtoplay 1"}));
    Play()->mEffects = 1;
    screen->ButtonDepress(6);
    EXPECT_EQ(Play()->GetGameType(), 1);
    Play()->mEffects = 0;
    screen->ButtonDepress(6);
    EXPECT_EQ(Play()->GetGameType(), 3);
    EXPECT_EQ(GetProfileInt("game_type"), 3);
    EXPECT_TRUE(Has(log, "sound SOUND_GAMEMODE_CHANGE"));
}

// The normal level and the bonus game, from the game play's report to the
// totals.
TEST_F(GameScreenTest, LevelEnds)
{
    struct Case {
        int bonusGame;    // "score_level_bonusgame" while playing
        int windowResult; // of the level-completed window
    };
    for (const Case& c : {Case{0, 1}, Case{0, 0}, Case{12, 0}}) {
        SCOPED_TRACE(c.bonusGame * 10 + c.windowResult);
        SetProfileInt("game_current_level", 4);
        Enter();
        services->mCompletedResult = c.windowResult;
        SetProfileInt("score_total", 1000);
        SetProfileInt("score_level_bricks", 30);
        SetProfileInt("score_level_bonus", 10);
        SetProfileInt("score_level_combo", 7);
        SetProfileInt("score_level_bonusgame", c.bonusGame);
        Play()->mEffects = 2;
        Play()->WinLevel();
        EXPECT_EQ(screen->mState, GameScreen::kLevelDone);
        EXPECT_FALSE(Play()->IsActive());
        Steps(50);
        EXPECT_EQ(screen->mState, GameScreen::kLevelDone); // effects still running
        Play()->mEffects = 0;
        Steps(1);
        if (c.bonusGame) {
            EXPECT_EQ(screen->mState, GameScreen::kBonusGameWon);
            Steps(538);
            EXPECT_FALSE(Has(log, "window completed2 30 22 7"));
            Steps(2);
            EXPECT_TRUE(Has(log, "window completed2 30 22 7"));
            EXPECT_EQ(GetProfileInt("score_total"), 1000 + 47 + 12);
            EXPECT_EQ(GetProfileInt("score_level_bonusgame"), 0);
            EXPECT_EQ(GetProfileInt("game_current_level"), 5);
            EXPECT_TRUE(screen->mClosing);
        } else {
            EXPECT_EQ(screen->mState, GameScreen::kLevelWon);
            EXPECT_TRUE(Has(log, "DoEvent 11"));
            Steps(598);
            EXPECT_FALSE(Has(log, "window completed1 30 10 7"));
            Steps(2);
            EXPECT_TRUE(Has(log, "window completed1 30 10 7"));
            EXPECT_TRUE(Has(log, "age buildings"));
            EXPECT_EQ(GetProfileInt("score_total"), 1047);
            EXPECT_EQ(GetProfileInt("score_level_bricks"), 0);
            if (c.windowResult == 1) {
                // The bonus game on the same board.
                EXPECT_EQ(GetProfileInt("score_level_bonusgame"), 47 / 5 + 10);
                EXPECT_EQ(screen->mState, GameScreen::kPlay);
                EXPECT_NEAR(screen->mTimerPanel->GetTimeLeft(), 300, 0.02f);
                EXPECT_TRUE(Play()->IsActive());
                EXPECT_TRUE(screen->LevelDoneArmed());
                EXPECT_EQ(GetProfileInt("game_current_level"), 4);
            } else {
                // Points, level ints and the next level are in the profile at once.
                EXPECT_EQ(GetProfileInt("game_current_level"), 5);
                log.clear();
                Steps(101);
                EXPECT_TRUE(Has(log, "delete 1"));
                EXPECT_EQ(GetProfileInt("game_current_level"), 5);
                EXPECT_TRUE(screen->mClosing);
            }
        }
        DropScreen();
        log.clear();
    }
}

// Closing the game in the second between the summary and the next level's
// start (a shutdown answers the summary with "continue"; the town button
// covers the screen while the panels slide): the won board is not kept as
// the next level's game, which starts from its file.
TEST_F(GameScreenTest, AWonBoardIsNotStoredOnceTheLevelHasAdvanced)
{
    for (bool shutdown : {true, false}) {
        SCOPED_TRACE(shutdown ? "shutdown" : "town");
        SetProfileInt("game_current_level", 0);
        Enter();
        Play()->WinLevel();
        Steps(610);
        ASSERT_TRUE(Has(log, "window completed1 0 0 0"));
        ASSERT_EQ(GetProfileInt("game_current_level"), 1);
        ASSERT_TRUE(Play());
        log.clear();
        if (shutdown) {
            app.mManager.RemoveWidget(screen);
            delete screen;
            screen = nullptr;
        } else {
            ASSERT_TRUE(screen->AllowCover());
        }
        Kivo::Buffer* stored = manager->profile->GetBuffer(FormatStoredGameFieldKey(1));
        EXPECT_TRUE(!stored || stored->GetDataLen() == 0);
        EXPECT_TRUE(manager->profile->GetBuffer("game_progress"));

        if (shutdown)
            Open();
        else
            screen->Resume();
        ASSERT_TRUE(Play());
        EXPECT_TRUE(Has(log, "PrepareLevelMap")); // from the level file
        Steps(400);
        EXPECT_EQ(GetProfileInt("game_current_level"), 1);
        EXPECT_EQ(screen->mState, GameScreen::kPlay);
        EXPECT_FALSE(Has(log, "window completed1 0 0 0"));
        DropScreen();
        log.clear();
    }
}

TEST_F(GameScreenTest, TimerTicksWarnsOnceAndTimesOut)
{
    Enter();
    TimerPanel* timer = screen->mTimerPanel;
    timer->SetTimeLeft(41.5f);
    log.clear();
    Steps(300);
    EXPECT_EQ(Count(log, "sound SOUND_TIMER_WARNING"), 1);
    EXPECT_TRUE(Has(log, "voice VOICE_TIMER1") || Has(log, "voice VOICE_TIMER2"));
    // Ticks on multiples of 100 once below 41 s: 250 ticks hold two or three.
    const int ticks = Count(log, "sound SOUND_TIMER_TICK");
    EXPECT_GE(ticks, 2);
    EXPECT_LE(ticks, 3);
    // Above 41 s again, the warning does not come back.
    timer->SetTimeLeft(60);
    Steps(10);
    timer->SetTimeLeft(30);
    Steps(10);
    EXPECT_EQ(Count(log, "sound SOUND_TIMER_WARNING"), 1);

    // Time out in a normal level: the same level starts afresh.
    SetProfileInt("score_level_bricks", 99);
    Play()->mEffects = 1;
    timer->SetTimeLeft(0);
    Steps(1);
    EXPECT_EQ(screen->mState, GameScreen::kTimeOut);
    EXPECT_TRUE(Has(log, "sound SOUND_TIMER_OUT"));
    log.clear();
    Play()->mEffects = 0;
    Steps(1);
    EXPECT_TRUE(Has(log, "window message message_game_time_out"));
    EXPECT_TRUE(Has(log, "delete 1"));
    EXPECT_TRUE(Has(log, "create 1"));
    EXPECT_EQ(GetProfileInt("score_level_bricks"), 0);
    EXPECT_EQ(GetProfileInt("game_current_level"), 0);
    EXPECT_EQ(screen->mState, GameScreen::kPlay);
    EXPECT_NEAR(timer->GetTimeLeft(), 300, 0.02f);
}

TEST_F(GameScreenTest, TimeOutInTheBonusGameMovesOn)
{
    Enter();
    SetProfileInt("score_level_bonusgame", 20);
    SetProfileInt("score_total", 500);
    screen->mTimerPanel->SetTimeLeft(0);
    Steps(2);
    EXPECT_TRUE(Has(log, "window message message_game_time_out_in_bonus_game"));
    EXPECT_EQ(GetProfileInt("game_current_level"), 1);
    EXPECT_EQ(GetProfileInt("score_level_bonusgame"), 0);
    EXPECT_EQ(GetProfileInt("score_total"), 500);
    Steps(200);
    EXPECT_TRUE(Has(log, "find UpgradeScreen"));
}

TEST_F(GameScreenTest, RelaxedPlayHasNoTimer)
{
    SetProfileInt("progress_type", 2);
    Enter();
    screen->mTimerPanel->SetTimeLeft(30);
    log.clear();
    Steps(300);
    EXPECT_FALSE(Has(log, "sound SOUND_TIMER_WARNING"));
    EXPECT_FALSE(Has(log, "sound SOUND_TIMER_TICK"));
    EXPECT_FLOAT_EQ(screen->mTimerPanel->GetTimeLeft(), 30);
}

TEST_F(GameScreenTest, TimerStandsWhileCovered)
{
    Enter();
    const float before = screen->mTimerPanel->GetTimeLeft();
    EXPECT_TRUE(screen->AllowCover());
    EXPECT_FALSE(screen->mGamePlay);
    Steps(500);
    EXPECT_FLOAT_EQ(screen->mTimerPanel->GetTimeLeft(), before);
    screen->Resume();
    ASSERT_TRUE(Play());
    EXPECT_NEAR(screen->mTimerPanel->GetTimeLeft(), before, 0.01f);
    Steps(100);
    EXPECT_NEAR(screen->mTimerPanel->GetTimeLeft(), before - 1.0f, 0.02f);
}

TEST_F(GameScreenTest, IdleEventEveryThousandQuietTicks)
{
    Enter();
    screen->CellEnter(0, 0);
    Steps(1);
    const int from = screen->mLastDispatchTick;
    log.clear();
    Steps(999);
    EXPECT_FALSE(Has(log, "DoEvent 7"));
    Steps(1);
    EXPECT_EQ(Count(log, "DoEvent 7"), 1);
    EXPECT_EQ(screen->Tick() - from, 1000);
    // Not while play is locked.
    Play()->mLocked = true;
    log.clear();
    Steps(1000);
    EXPECT_FALSE(Has(log, "DoEvent 7"));
}

TEST_F(GameScreenTest, ModeIntroductionOncePerMode)
{
    Open();
    services->mHintsShown = false;
    Steps(700);
    EXPECT_EQ(Count(log, "window howtoplay 1"), 1);
    EXPECT_TRUE(Has(log, "hint shown gamemode_swap"));
    Steps(100);
    EXPECT_EQ(Count(log, "window howtoplay 1"), 1);
}

// Between a won level's summary and the upgrade screen the next level is
// ready and quiet, but the screen is on its way out: a mode introduction
// due then waits for the screen's return instead of opening over the
// upgrade screen.
TEST_F(GameScreenTest, NoModeIntroductionWhileTheScreenLeaves)
{
    SetProfileInt("game_current_level", 0);
    Enter();
    Play()->WinLevel();
    Steps(610);
    ASSERT_EQ(GetProfileInt("game_current_level"), 1);
    services->mHintsShown = false;
    log.clear();
    Steps(300);
    EXPECT_TRUE(Has(log, "find UpgradeScreen"));
    EXPECT_EQ(Count(log, "window howtoplay 1"), 0);
    EXPECT_FALSE(Has(log, "hint shown gamemode_swap")); // still due
}

TEST_F(GameScreenTest, ExtraPanelOffers)
{
    Enter();
    ExtraPanel* extra = screen->mExtraPanel;
    // The wait is pushed back while play is locked.
    Play()->mLocked = true;
    const int due = screen->mNextOfferTick;
    Steps(10);
    EXPECT_EQ(screen->mNextOfferTick, due + 10);
    Play()->mLocked = false;

    // No slot below 0.9: nothing, and a new date.
    for (int slot = 0; slot < 5; ++slot)
        screen->mBonusPanel->SetSlotProgress(slot, 0.95f, false);
    screen->OfferExtraPanel();
    EXPECT_FALSE(extra->IsShown());
    EXPECT_GE(screen->mNextOfferTick, screen->Tick() + 6000);

    // Only colours that fill the chosen slot: given up after 50 draws.
    screen->mBonusPanel->SetSlotProgress(2, 0.1f, false); // the slot of colours that fill it
    std::vector<int> same;
    for (int colour = 1; colour <= 10; ++colour)
        if (ColourToBonusSlot(colour) == 2)
            same.push_back(colour);
    ASSERT_FALSE(same.empty());
    Play()->mColours = same;
    screen->OfferExtraPanel();
    EXPECT_FALSE(extra->IsShown());

    // A fitting colour: the panel comes with the slot's bonus.
    Play()->mColours = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    log.clear();
    screen->OfferExtraPanel();
    EXPECT_TRUE(extra->IsShown());
    EXPECT_EQ(extra->mBonusKind, BonusSlotToKind(2));
    EXPECT_NE(ColourToBonusSlot(extra->mColour), 2);
    EXPECT_TRUE(Has(log, "sound SOUND_SHOW_EXTRA_PANEL"));

    // Won: a flare carries the bonus to its slot.
    Steps(60);
    ASSERT_TRUE(extra->IsActive());
    for (int i = 0; i < 3; ++i)
        extra->OnMatch(extra->mColour);
    Steps(100);
    EXPECT_FLOAT_EQ(screen->mBonusPanel->GetSlotProgress(2), 1.0f);
    EXPECT_TRUE(Has(log, "sound SOUND_BONUS_ACTIVATED_FROM_EXTRA"));
    EXPECT_FALSE(extra->IsShown());
    EXPECT_EQ(extra->mColour, 0);
}

TEST_F(GameScreenTest, DeletingTheScreenClearsThePanelPointers)
{
    Enter();
    DropScreen();
    GamePanelsPtr* panels = GamePanelsPtr::Instance();
    EXPECT_EQ(panels->mBonusPanel, nullptr);
    EXPECT_EQ(panels->mTimerPanel, nullptr);
    EXPECT_EQ(panels->mExtraPanel, nullptr);
}

} // namespace
} // namespace playtest
