// The windows the game screen opens, as the game opens them: modal, with
// their appear and disappear effects (a hardware-accelerated display). Each
// takes the keys while it is up, fading out included, and gives them back to
// the screen once it has gone; the level's clock stands while a window keeps
// the player from the board.
#include "game/meta/WindowArrowHint.h"
#include "game/play/TimerPanel.h"
#include "tests/game/meta/WindowTestSupport.h"
#include "tests/game/play/PlayTestSupport.h"

namespace playtest {
namespace {

constexpr int kEscape = 27;
constexpr int kF1 = 112;

// The game's own windows; the pause window only when asked for, so that an
// Esc that reaches the screen can be seen without one.
class WindowServices : public RecordingServices {
public:
    using RecordingServices::RecordingServices;
    int ShowPause() override
    {
        mLog->push_back("window pause");
        return mRealPause ? GameScreenServices::ShowPause() : mPauseResult;
    }
    void ShowHelp() override
    {
        mLog->push_back("window help");
        GameScreenServices::ShowHelp();
    }
    void ShowHowToPlay(int type) override { GameScreenServices::ShowHowToPlay(type); }
    int ShowLevelCompleted1(int bricks, int bonus, int combo) override
    {
        return GameScreenServices::ShowLevelCompleted1(bricks, bonus, combo);
    }
    void ShowMessage(const std::string& text) override
    {
        mLog->push_back("window message " + text);
        GameScreenServices::ShowMessage(text);
    }

    bool mRealPause = false;
};

// A hint as the rules open one in their update.
void OpenHint()
{
    WindowArrowHint2* hint = WindowArrowHint2::Instance();
    hint->mText = "hint";
    hint->SetTarget(300, 300, 0);
    ShowWindowAnimated(hint, true);
}

class GameScreenWindowsTest : public ScreenFixture {
protected:
    void SetUp() override
    {
        ScreenFixture::SetUp();
        windowtest::AddWindowResources(res);
        windowtest::AddHintPictures(res);
        app.mAccelerated = true;
        // Before every step of a modal wait: what the test does while a
        // window is up.
        app.mOnAppStep = [this] {
            ++mWindowSteps;
            if (mWhileUp)
                mWhileUp(TopWindow());
        };
    }
    // The screen as the state manager enters it: on the manager, focused.
    void EnterScreen()
    {
        services = mServices = new WindowServices(&log);
        screen = new TestScreen(&log, &states, services);
        app.mManager.AddWidget(screen);
        app.mManager.SetFocus(screen);
        screen->OnEnter();
        Steps(400);
    }
    // The mode's first game: how to play opens once play is quiet.
    void HowToPlayByItself()
    {
        services->mHintsShown = false;
        for (int i = 0; i < 500 && mWindowSteps == 0; ++i)
            Steps(1);
        services->mHintsShown = true;
    }
    // A hint opened by the rules in their update.
    void HintFromTheRules()
    {
        Play()->mOnUpdate = [this] {
            Play()->mOnUpdate = nullptr;
            OpenHint();
        };
        Steps(5);
    }
    WindowBase* TopWindow() { return dynamic_cast<WindowBase*>(app.mManager.mBaseModalWidget); }
    void Key(int key)
    {
        app.mManager.KeyDown(key);
        app.mManager.KeyUp(key);
    }
    // Closes each window with Esc once it has fully appeared; a window that
    // never gets the key is given up after 2000 steps.
    void CloseWithEscape()
    {
        mWhileUp = [this](WindowBase* window) {
            if (mWindowSteps > 2000)
                app.mRunning = false;
            KeysWhileClosing(window);
            if (window && window->mVisible && window->mResult == Kivo::Dialog::kNoResult && !window->mEffect)
                Key(kEscape);
        };
    }
    // A window that has its answer fades out, still modal: Esc and F1 pressed
    // then are the window's, not the screen's (no pause, no help).
    void KeysWhileClosing(WindowBase* window)
    {
        if (mPressedWhileClosing || !window || window->mResult == Kivo::Dialog::kNoResult || !window->mEffect)
            return;
        mPressedWhileClosing = true;
        const size_t before = log.size();
        Key(kEscape);
        Key(kF1);
        mReachedWhileClosing.assign(log.begin() + static_cast<std::ptrdiff_t>(before), log.end());
    }

    testsupport::ResourceTable res;
    WindowServices* mServices = nullptr;
    int mWindowSteps = 0;
    bool mPressedWhileClosing = false;
    std::vector<std::string> mReachedWhileClosing;
    std::function<void(WindowBase*)> mWhileUp;
};

// While a window the screen opened fades out, Esc and F1 open no pause and no
// help; once it has gone the keys are the screen's again and Esc asks for the
// pause.
TEST_F(GameScreenWindowsTest, KeysReachTheScreenOnlyOnceEachWindowHasGone)
{
    struct Case {
        const char* name;
        std::function<void()> open; // opens the window the way the game does
    };
    const std::vector<Case> cases = {
        {"pause", [this] { mServices->mRealPause = true; Key(kEscape); mServices->mRealPause = false; }},
        {"help", [this] { Key(112); }},
        {"how to play from its button", [this] { screen->ButtonDepress(4); }},
        {"how to play on a mode's first game", [this] { HowToPlayByItself(); }},
        {"hint", [this] { HintFromTheRules(); }},
        {"time out",
         [this] {
             screen->mTimerPanel->SetTimeLeft(0);
             Steps(5);
             Steps(400);
         }},
        {"level won, bonus game chosen",
         [this] {
             mWhileUp = [this](WindowBase* window) {
                 KeysWhileClosing(window);
                 if (window && window->mVisible && window->mResult == Kivo::Dialog::kNoResult && !window->mEffect)
                     window->ButtonDepress(1);
             };
             Play()->WinLevel();
             Steps(700);
         }},
    };
    EnterScreen();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CloseWithEscape();
        mWindowSteps = 0;
        mPressedWhileClosing = false;
        mReachedWhileClosing.clear();
        log.clear();
        c.open();
        EXPECT_GT(mWindowSteps, 0) << "no window was shown";
        EXPECT_TRUE(mPressedWhileClosing) << "no fade-out was seen";
        EXPECT_EQ(mReachedWhileClosing, std::vector<std::string>{});
        EXPECT_EQ(app.mRunning, true) << "the window never took Esc";
        app.mRunning = true;
        Steps(100); // the disappear effect ends
        ASSERT_EQ(TopWindow(), nullptr);
        ASSERT_TRUE(Play());
        EXPECT_EQ(app.mManager.mFocusWidget, screen);
        log.clear();
        Key(kEscape);
        EXPECT_TRUE(Has(log, "window pause"));
        Steps(100);
    }
}

// The clock stands while a window keeps the player from the board, whatever
// restarts it meanwhile, and runs on once it has closed.
TEST_F(GameScreenWindowsTest, TheClockStandsUnderWindowsThatBlockTheBoard)
{
    EnterScreen();
    TimerPanel* timer = screen->mTimerPanel;
    struct Case {
        const char* name;
        std::function<void()> open;
    };
    const std::vector<Case> cases = {
        {"how to play", [this] { HowToPlayByItself(); }},
        {"hint", [this] { HintFromTheRules(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Half a second left: open for three seconds, the level is not lost.
        std::vector<float> seen;
        mWindowSteps = 0;
        mWhileUp = [&](WindowBase* window) {
            if (mWindowSteps == 1)
                timer->SetTimeLeft(0.5f);
            seen.push_back(timer->GetTimeLeft());
            if (mWindowSteps == 300 && window)
                Key(kEscape);
            if (mWindowSteps > 2000)
                app.mRunning = false;
        };
        log.clear();
        c.open();
        ASSERT_GE(seen.size(), 300u);
        EXPECT_NEAR(seen.back(), 0.5f, 0.02f);
        EXPECT_FALSE(Has(log, "window message message_game_time_out"));
        EXPECT_EQ(screen->mState, GameScreen::kPlay);
        // Closed, the clock runs out.
        mWhileUp = nullptr;
        CloseWithEscape();
        Steps(100);
        EXPECT_TRUE(Has(log, "window message message_game_time_out"));
        EXPECT_NEAR(timer->GetTimeLeft(), 300.0f - 0.0f, 1.5f);
        Steps(100);
    }

    // A time out under a hint restarts the level with its clock standing
    // until the hint has closed.
    timer->SetTimeLeft(0.05f);
    Play()->mEffects = 1; // the time out waits for the rules' effects
    Steps(10);
    ASSERT_EQ(screen->mState, GameScreen::kTimeOut);
    float restarted = -1;
    mWindowSteps = 0;
    mWhileUp = [&](WindowBase* window) {
        if (mWindowSteps == 10)
            Play()->mEffects = 0; // the time-out message opens over the hint
        if (window && dynamic_cast<WindowArrowHint2*>(window) && screen->mState == GameScreen::kPlay) {
            if (restarted < 0)
                restarted = timer->GetTimeLeft();
            else if (mWindowSteps > 400)
                Key(kEscape);
        } else if (window && window->mVisible && !window->mEffect && window->mResult == Kivo::Dialog::kNoResult) {
            Key(kEscape);
        }
        if (mWindowSteps > 3000)
            app.mRunning = false;
    };
    log.clear();
    OpenHint();
    EXPECT_TRUE(app.mRunning);
    EXPECT_TRUE(Has(log, "window message message_game_time_out"));
    EXPECT_FLOAT_EQ(restarted, 300.0f);
    EXPECT_NEAR(timer->GetTimeLeft(), 300.0f, 0.02f);
    mWhileUp = nullptr;
    Steps(100);
    EXPECT_NEAR(timer->GetTimeLeft(), 299.0f, 0.02f);
}

// A level won under a hint the rules opened in their update ends only once
// the hint has closed: inside that update nothing of the level's end runs
// (its window, the next level replacing the rules' object), so that the
// hint's steps never outlive the level or the screen.
TEST_F(GameScreenWindowsTest, ALevelWonUnderAHintFromTheRulesEndsOnceTheHintHasClosed)
{
    EnterScreen();
    FakeGamePlay* const rules = Play();
    std::vector<int> windowsUnderTheHint;
    int stateUnderTheHint = -1;
    mWindowSteps = 0;
    mWhileUp = [&](WindowBase* window) {
        if (mWindowSteps == 10)
            Play()->WinLevel();
        if (mWindowSteps < 1500 && window &&
            (windowsUnderTheHint.empty() || windowsUnderTheHint.back() != window->mId))
            windowsUnderTheHint.push_back(window->mId);
        if (mWindowSteps == 1500) {
            stateUnderTheHint = screen->mState;
            Key(kEscape); // fifteen seconds on: well past the level's end
        }
        if (mWindowSteps > 3000)
            app.mRunning = false;
    };
    HintFromTheRules();
    EXPECT_TRUE(app.mRunning);
    EXPECT_EQ(windowsUnderTheHint, std::vector<int>{WINDOW_ID_ARROW_HINT2});
    EXPECT_EQ(Play(), rules);
    EXPECT_EQ(stateUnderTheHint, GameScreen::kLevelDone);

    // Closed, the level ends as always: its window comes and is answered.
    std::vector<int> windowsAfter;
    mWhileUp = [&](WindowBase* window) {
        if (window && (windowsAfter.empty() || windowsAfter.back() != window->mId))
            windowsAfter.push_back(window->mId);
        if (window && window->mVisible && !window->mEffect && window->mResult == Kivo::Dialog::kNoResult)
            window->ButtonDepress(0);
    };
    Steps(1000);
    EXPECT_TRUE(std::find(windowsAfter.begin(), windowsAfter.end(), WINDOW_ID_LEVEL_COMPLETED1) != windowsAfter.end());
}

// A window that leaves the board to the player leaves the clock running.
TEST_F(GameScreenWindowsTest, TheClockRunsUnderAWindowThatLeavesTheBoardFree)
{
    EnterScreen();
    TimerPanel* timer = screen->mTimerPanel;
    const float before = timer->GetTimeLeft();
    app.AddDialog(new Kivo::Dialog(nullptr, nullptr, 500, false, "", "", "", Kivo::BUTTONS_NONE));
    Steps(100);
    EXPECT_NEAR(timer->GetTimeLeft(), before - 1.0f, 0.02f);
    app.KillDialog(500);
}

} // namespace
} // namespace playtest
