#include "game/meta/WindowLevelCompleted1.h"
#include "game/meta/WindowLevelCompleted2.h"
#include "game/ui/LineWithEffects.h"
#include "platform/win32/Messages.h"
#include "tests/game/meta/AppWindowSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using wintest::WindowApp;
using Timeline = std::vector<std::pair<int, std::string>>;

// The sounds of `count` updates as (update, sound), ticks left out and
// gathered in `ticks`.
Timeline RunUpdates(WindowApp& app, int count, std::vector<int>* ticks = nullptr)
{
    Timeline out;
    for (int update = 1; update <= count; ++update) {
        app.Step();
        for (const std::string& sound : app.TakeSounds()) {
            if (sound == "SOUND_COUNTER_TICK" && ticks)
                ticks->push_back(update);
            else
                out.push_back({update, sound});
        }
    }
    return out;
}

TEST(LevelCompletedWindow, CountsUpLineByLineWithTicksThenPraise)
{
    WindowApp app;
    app.SetBoolean("voice_current", true);
    auto* window = app.Open<WindowLevelCompleted2>();
    window->SetScores(10, 20, 30);
    EXPECT_FALSE(window->mLine->mLength.mTarget > 0);

    std::vector<int> ticks;
    const Timeline timeline = RunUpdates(app, 500, &ticks);
    // Each line appears half a second after the one before and counts for
    // 1.8 s; the total's line is drawn as it appears; the praise comes 99
    // updates after everything is done.
    EXPECT_EQ(timeline, (Timeline{{50, "SOUND_COUNTER_APPEAR"},
                                  {100, "SOUND_COUNTER_APPEAR"},
                                  {150, "SOUND_COUNTER_APPEAR"},
                                  {200, "SOUND_COUNTER_APPEAR"},
                                  {200, "SOUND_COUNTER_DRAW_LINE"},
                                  {230, "SOUND_COUNTER_ITEM_DONE"},
                                  {280, "SOUND_COUNTER_ITEM_DONE"},
                                  {330, "SOUND_COUNTER_ITEM_DONE"},
                                  {380, "SOUND_COUNTER_ITEM_DONE"},
                                  {381, "SOUND_COUNTER_ALL_DONE"},
                                  {480, "VOICE_WELL_DONE"}}));
    ASSERT_FALSE(ticks.empty());
    EXPECT_EQ(ticks.front(), 64);
    EXPECT_EQ(ticks.back(), 376);
    EXPECT_EQ(ticks.size(), (376u - 64u) / 8u + 1u);
    EXPECT_EQ(window->mTotal->mCount.mCurrent, 60.0f);
    EXPECT_TRUE(window->mAllDone);
    EXPECT_EQ(window->mResult, Kivo::Dialog::kNoResult);
}

TEST(LevelCompletedWindow, FirstPressSkipsTheCountSecondCloses)
{
    WindowApp app;
    auto* window = app.Open<WindowLevelCompleted2>();
    window->SetScores(10, 20, 30);
    RunUpdates(app, 120); // bricks and bonus counting, combo and total still waiting
    window->ButtonDepress(0);
    // Counters on their way finish; waiting ones are put on their figures
    // without a sound.
    EXPECT_EQ(app.TakeSounds(), (std::vector<std::string>{"SOUND_COUNTER_ITEM_DONE", "SOUND_COUNTER_ITEM_DONE"}));
    EXPECT_EQ(window->mResult, Kivo::Dialog::kNoResult);
    EXPECT_FALSE(window->IsCounting());
    for (LabelScoreCounter* counter : {window->mBricks, window->mBonus, window->mCombo, window->mTotal})
        EXPECT_EQ(counter->mCount.mCurrent, counter->mCount.mTarget);
    EXPECT_EQ(window->mLine->mLength.mTarget, 1.0f);

    EXPECT_EQ(RunUpdates(app, 1), (Timeline{{1, "SOUND_COUNTER_ALL_DONE"}}));
    window->ButtonDepress(0);
    EXPECT_EQ(window->mResult, 0);
    EXPECT_TRUE(app.TakeSounds().empty());
}

TEST(LevelCompletedWindow, ZeroFiguresStillAppearAndFinish)
{
    WindowApp app;
    auto* window = app.Open<WindowLevelCompleted2>();
    window->SetScores(0, 0, 0);
    int appear = 0, done = 0, allDone = 0;
    for (const auto& [update, sound] : RunUpdates(app, 400)) {
        appear += sound == "SOUND_COUNTER_APPEAR";
        done += sound == "SOUND_COUNTER_ITEM_DONE";
        allDone += sound == "SOUND_COUNTER_ALL_DONE";
    }
    EXPECT_EQ(appear, 4);
    EXPECT_EQ(done, 4);
    EXPECT_EQ(allDone, 1);
    EXPECT_EQ(static_cast<int>(window->mTotal->mCount.mCurrent), 0);
}

TEST(LevelCompletedWindow, WithoutScoresAllIsDoneAtTheFirstUpdate)
{
    WindowApp app;
    app.SetBoolean("voice_current", true);
    auto* window = app.Open<WindowLevelCompleted2>();
    Timeline timeline = RunUpdates(app, 100);
    // (The idle counters' own reports are theirs, not the window's.)
    std::erase_if(timeline, [](const auto& entry) { return entry.second.rfind("SOUND_COUNTER_ALL_DONE", 0) != 0 &&
                                                           entry.second != "VOICE_WELL_DONE"; });
    EXPECT_EQ(timeline, (Timeline{{1, "SOUND_COUNTER_ALL_DONE"}, {100, "VOICE_WELL_DONE"}}));
    window->ButtonDepress(0);
    EXPECT_EQ(window->mResult, 0);
}

TEST(LevelCompletedWindow, ResultsOfButtonsAndKeys)
{
    struct Row {
        const char* name;
        void (*press)(WindowLevelCompleted1*);
        int result; // after the counting
    } rows[] = {
        {"continue", [](WindowLevelCompleted1* w) { w->ButtonDepress(0); }, 0},
        {"bonus game", [](WindowLevelCompleted1* w) { w->ButtonDepress(1); }, 1},
        {"Enter", [](WindowLevelCompleted1* w) { w->KeyDown(VK_RETURN); }, 0},
        {"Esc", [](WindowLevelCompleted1* w) { w->KeyDown(VK_ESCAPE); }, 0},
        {"other key", [](WindowLevelCompleted1* w) { w->KeyDown('A'); }, Kivo::Dialog::kNoResult},
        {"unknown button", [](WindowLevelCompleted1* w) { w->ButtonDepress(7); }, Kivo::Dialog::kNoResult},
    };
    for (const Row& row : rows) {
        WindowApp app;
        auto* window = app.Open<WindowLevelCompleted1>();
        window->SetScores(5, 5, 5);
        app.Step();
        row.press(window);
        EXPECT_EQ(window->mResult, Kivo::Dialog::kNoResult) << row.name << " while counting";
        RunUpdates(app, 500);
        row.press(window);
        EXPECT_EQ(window->mResult, row.result) << row.name;
    }
}

TEST(LevelCompletedWindow, KeysAreIgnoredWhileHidden)
{
    WindowApp app;
    auto* window = app.Open<WindowLevelCompleted1>();
    window->SetScores(5, 5, 5);
    window->SetVisible(false);
    window->KeyDown(VK_RETURN);
    EXPECT_TRUE(window->IsCounting());
    window->SetVisible(true);
    window->KeyDown(VK_RETURN);
    EXPECT_FALSE(window->IsCounting());
}

TEST(LevelCompletedWindow, FirstWindowLayoutAndSounds)
{
    WindowApp app;
    WindowLevelCompleted1* window = WindowLevelCompleted1::Instance();
    EXPECT_EQ(window->mId, 106);
    EXPECT_EQ(Kivo::Rect(window->mX, window->mY, window->mWidth, window->mHeight), Kivo::Rect(165, 40, 470, 450));
    EXPECT_EQ(window->mBricks->mY, 80);
    EXPECT_EQ(window->mTotal->mY, 245);
    EXPECT_EQ(window->mLine->mX, 135);
    EXPECT_EQ(window->mLine->mY, 230);
    EXPECT_EQ(window->mContinueButton->mY, 380);
    EXPECT_EQ(window->mContinueButton->mX - window->mBonusButton->mX, 240);
    window->PlayShowSound();
    EXPECT_TRUE(app.TakeSounds().empty());
    window->PlayHideSound();
    EXPECT_EQ(app.TakeSounds(), std::vector<std::string>{"SOUND_WINDOW_DESK_HIDE"});
    // Entering a button sets the icon of what it explains swinging.
    window->ButtonMouseEnter(1);
    EXPECT_NE(window->mKeyWobble.mVelX, 0.0f);
    EXPECT_EQ(window->mTownWobble.mVelX, 0.0f);
    delete window;
    EXPECT_EQ(WindowLevelCompleted1::Existing(), nullptr);
}

TEST(LevelCompletedWindow, ShownModallyUntilTheSecondPress)
{
    WindowApp app;
    WindowLevelCompleted2* window = WindowLevelCompleted2::Instance();
    window->SetScores(100, 0, 50);
    app.onStep = [&] {
        if (app.steps == 30 || app.steps == 31)
            window->ButtonDepress(0);
    };
    EXPECT_EQ(window->Show(), 0);
    EXPECT_EQ(app.steps, 32);
    app.onStep = nullptr;
    app.Step(); // the window's deferred deletion
    EXPECT_EQ(WindowLevelCompleted2::Existing(), nullptr);
}

TEST(LevelCompletedWindow, FadesInSilentlyAndOutWithTheDeskSound)
{
    WindowApp app;
    app.accelerated = true;
    WindowLevelCompleted1* window = WindowLevelCompleted1::Instance();
    window->SetScores(10, 10, 10);
    std::vector<std::string> sounds;
    int visibleAt = -1;
    app.onStep = [&] {
        if (visibleAt < 0 && window->mVisible)
            visibleAt = app.steps;
        if (app.steps == 40 || app.steps == 41)
            window->ButtonDepress(1); // skips, then takes the bonus game
        for (const std::string& sound : app.TakeSounds())
            if (sound.rfind("SOUND_WINDOW", 0) == 0)
                sounds.push_back(sound);
    };
    EXPECT_EQ(ToggleWindow(window, WINDOW_EFFECT_APPEAR_ALPHA, WINDOW_EFFECT_DISAPPEAR_ALPHA), 1);
    EXPECT_GT(visibleAt, 1); // hidden while it fades in
    EXPECT_EQ(sounds, std::vector<std::string>{"SOUND_WINDOW_DESK_HIDE"});
    EXPECT_GT(app.steps, 41 + 15); // the fade out plays before the answer
}

} // namespace
