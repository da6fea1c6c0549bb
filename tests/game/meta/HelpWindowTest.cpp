#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "game/effects/ActionObject.h"
#include "game/effects/ActionScript.h"
#include "game/effects/ActionScriptManager.h"
#include "game/meta/HelpBook.h"
#include "game/meta/HelpPages.h"
#include "game/meta/WindowHelp.h"
#include "game/meta/WindowHowToPlay.h"
#include "platform/win32/Messages.h"
#include "tests/game/meta/AppWindowSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

using wintest::WindowApp;
using Sounds = std::vector<std::string>;

const char* const kScriptNames[] = {"demo_gameplaychain", "demo_gameplayswap", "demo_gameplaygroup"};

// The three demonstration scripts, each one object of a 200 x 100 board.
void LoadTestScripts()
{
    for (const char* name : kScriptNames) {
        auto script = std::make_unique<ActionScript>();
        script->Read(R"(<action width="200" height="100"><object name="brick"><mutWait time="100"/></object></action>)");
        ActionScriptManager::Instance()->mScripts[name] = std::move(script);
    }
}

float Clock(const ActionScript* script)
{
    return script->mObjects.front()->mClock;
}

// Short explanations of the modes, drawn on one line each.
void SetModeTexts(WindowApp& app)
{
    for (const char* mode : {"swap", "group", "chain"})
        app.SetString(std::string("window_howtoplay_text_") + mode + "_mode", L"explains " + std::wstring(mode, mode + std::char_traits<char>::length(mode)));
}

bool Drawn(const WindowApp& app, const std::string& text)
{
    return std::find(app.drawnTexts.begin(), app.drawnTexts.end(), text) != app.drawnTexts.end();
}

TEST(HelpWindow, PagesTurnOnlyWhereThereIsAPageWithTheSound)
{
    WindowApp app;
    auto* window = app.Open<WindowHelp>();
    struct Step {
        const char* name;
        void (*press)(WindowHelp*);
        int target;
        bool sound;
    } steps[] = {
        {"Left at the first page", [](WindowHelp* w) { w->KeyDown(VK_LEFT); }, 0, false},
        {"left button at the first page", [](WindowHelp* w) { w->ButtonDepress(WindowHelp::BUTTON_LEFT); }, 0, false},
        {"Right", [](WindowHelp* w) { w->KeyDown(VK_RIGHT); }, 1, true},
        {"right button", [](WindowHelp* w) { w->ButtonDepress(WindowHelp::BUTTON_RIGHT); }, 2, true},
        {"Right at the last page", [](WindowHelp* w) { w->KeyDown(VK_RIGHT); }, 2, false},
        {"left button", [](WindowHelp* w) { w->ButtonDepress(WindowHelp::BUTTON_LEFT); }, 1, true},
    };
    for (const Step& step : steps) {
        step.press(window);
        EXPECT_EQ(window->mBook.TargetPage(), step.target) << step.name;
        EXPECT_EQ(app.TakeSounds(), step.sound ? Sounds{"SOUND_HELPPAGE_SCROLL"} : Sounds{}) << step.name;
    }
    EXPECT_EQ(window->mResult, Kivo::Dialog::kNoResult);
}

TEST(HelpWindow, ResultsOfButtonsAndKeys)
{
    for (auto press : {+[](WindowHelp* w) { w->ButtonDepress(WindowHelp::BUTTON_CLOSE); },
                       +[](WindowHelp* w) { w->KeyDown(VK_ESCAPE); }, +[](WindowHelp* w) { w->KeyDown(VK_RETURN); }}) {
        WindowApp app;
        auto* window = app.Open<WindowHelp>();
        press(window);
        EXPECT_EQ(window->mResult, 0);
    }
    WindowApp app;
    auto* window = app.Open<WindowHelp>();
    window->SetVisible(false);
    window->KeyDown(VK_ESCAPE);
    window->KeyDown(VK_RIGHT);
    EXPECT_EQ(window->mResult, Kivo::Dialog::kNoResult);
    EXPECT_EQ(window->mBook.TargetPage(), 0);
}

TEST(HelpBook, TwoQuickTurnsRunThroughTheMiddlePage)
{
    WindowApp app;
    HelpBook book;
    EXPECT_FALSE(book.PrevPage());
    EXPECT_TRUE(book.NextPage());
    book.UpdateF(1.0f);
    EXPECT_TRUE(book.NextPage()); // during the turn: on from the page turned to
    EXPECT_EQ(book.TargetPage(), 2);
    EXPECT_FALSE(book.NextPage());
    int updates = 1;
    std::vector<int> pagesA;
    while (book.mPosition.IsMoving()) {
        const HelpBook::Fade fade = book.CurrentFade();
        EXPECT_EQ(fade.b, fade.a + 1);
        if (pagesA.empty() || pagesA.back() != fade.a)
            pagesA.push_back(fade.a);
        book.UpdateF(1.0f);
        ++updates;
    }
    EXPECT_EQ(pagesA, (std::vector<int>{0, 1}));
    EXPECT_EQ(updates, 25); // two pages at 0.08 a page
    EXPECT_EQ(book.mPosition.mCurrent, 2.0f);
}

TEST(HelpBook, CrossFadeBetweenTheNeighboursOfThePosition)
{
    struct Row {
        float current, target;
        int a, b;
        float f;
    } rows[] = {
        {0.25f, 1, 0, 1, 0.25f}, {0.25f, 2, 0, 1, 0.25f}, {1.5f, 2, 1, 2, 0.5f}, {1.0f, 2, 1, 2, 0.0f},
        {1.75f, 1, 2, 1, 0.25f}, {0.5f, 0, 1, 0, 0.5f},   {1.0f, 0, 1, 0, 0.0f}, {1.25f, 0, 2, 1, 0.75f},
    };
    WindowApp app;
    HelpBook book;
    for (const Row& row : rows) {
        book.mPosition.mCurrent = row.current;
        book.mPosition.mTarget = row.target;
        const HelpBook::Fade fade = book.CurrentFade();
        EXPECT_EQ(fade.a, row.a) << row.current << " to " << row.target;
        EXPECT_EQ(fade.b, row.b) << row.current << " to " << row.target;
        EXPECT_FLOAT_EQ(fade.f, row.f) << row.current << " to " << row.target;
    }
}

TEST(HelpBook, TheBoardsAnimateOnlyWhileTheIntroIsTheTarget)
{
    WindowApp app;
    LoadTestScripts();
    HelpBook book;
    auto* intro = dynamic_cast<HelpListIntro*>(book.mPages[0].get());
    ASSERT_NE(intro, nullptr);
    ASSERT_NE(intro->mSwap, nullptr);
    book.UpdateF(1.0f);
    for (ActionScript* script : {intro->mChain, intro->mSwap, intro->mGroup})
        EXPECT_EQ(Clock(script), 1.0f);
    book.NextPage();
    for (int i = 0; i < 5; ++i)
        book.UpdateF(1.0f); // the intro still fades out but no longer plays
    EXPECT_EQ(Clock(intro->mSwap), 1.0f);
    book.PrevPage();
    book.UpdateF(1.0f);
    EXPECT_EQ(Clock(intro->mSwap), 2.0f);
}

TEST(HelpPages, MissingScriptsLeaveTheBoardsOut)
{
    WindowApp app; // no scripts loaded
    HelpBook book;
    auto* intro = dynamic_cast<HelpListIntro*>(book.mPages[0].get());
    EXPECT_EQ(intro->mSwap, nullptr);
    book.UpdateF(1.0f);
    Kivo::MemoryImage screen;
    screen.Create(800, 600);
    Kivo::Graphics g(&screen);
    book.Draw(&g);
    for (const char* rule : {"hb_intro_rule_swap", "hb_intro_rule_group", "hb_intro_rule_chain"})
        EXPECT_TRUE(Drawn(app, rule)) << rule;
}

TEST(HelpPages, HideLinksChoosesTheCreditTexts)
{
    struct Row {
        int hideLinks;
        bool annotation, site;
    } rows[] = {{0, true, true}, {1, true, false}, {2, false, false}, {5, false, false}};
    for (const Row& row : rows) {
        WindowApp app;
        app.SetInteger("hide_links", row.hideLinks);
        HelpListCredits credits;
        Kivo::MemoryImage screen;
        screen.Create(800, 600);
        Kivo::Graphics g(&screen);
        credits.Draw(&g);
        EXPECT_TRUE(Drawn(app, "window_helppage_credits"));
        EXPECT_EQ(Drawn(app, "hb_olvane_annotation"), row.annotation) << row.hideLinks;
        EXPECT_EQ(Drawn(app, "hb_olvane_site"), row.site) << row.hideLinks;
    }
}

TEST(HelpPages, TipsAlternateWhiteAndLightCyan)
{
    WindowApp app;
    HelpListTips tips;
    Kivo::MemoryImage screen;
    screen.Create(800, 600);
    Kivo::Graphics g(&screen);
    tips.Draw(&g);
    // The caption, then each tip's shadow and the tip.
    ASSERT_EQ(app.drawnTexts.size(), 1u + 2u * 9u);
    EXPECT_EQ(app.drawnTexts[0], "window_helppage_tips");
    for (int i = 1; i <= 9; ++i) {
        EXPECT_EQ(app.drawnTexts[static_cast<size_t>(2 * i - 1)], "hb_tips_text" + std::to_string(i));
        EXPECT_EQ(app.drawnTexts[static_cast<size_t>(2 * i)], "hb_tips_text" + std::to_string(i));
    }
}

TEST(HowToPlayWindow, OnlyTheChosenModeAnimatesAndIsDrawn)
{
    struct Row {
        int mode;
        const char* title; // null: none
        int animated;      // index into chain, swap, group; -1 none
    } rows[] = {
        {1, "swap", 1}, {2, "group", 2}, {3, "chain", 0}, {0, nullptr, -1}, {4, nullptr, -1}, {-1, nullptr, -1},
    };
    for (const Row& row : rows) {
        WindowApp app;
        SetModeTexts(app);
        LoadTestScripts();
        auto* window = app.Open<WindowHowToPlay>();
        EXPECT_EQ(window->mGameType, 0);
        window->mGameType = row.mode;
        app.Steps(3);
        ActionScript* scripts[] = {window->mChainScript, window->mSwapScript, window->mGroupScript};
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(Clock(scripts[i]), i == row.animated ? 3.0f : 0.0f) << row.mode << " script " << i;
        app.DrawScreen(); // the first draw also measures the texts
        app.drawnTexts.clear();
        app.DrawScreen();
        EXPECT_TRUE(Drawn(app, "window_howtoplay_caption"));
        int modeTexts = 0;
        for (const std::string& text : app.drawnTexts)
            modeTexts += text.rfind("window_howtoplay_caption_", 0) == 0 || text.rfind("explains", 0) == 0;
        EXPECT_EQ(modeTexts, row.title ? 2 : 0) << row.mode;
        if (row.title) {
            EXPECT_TRUE(Drawn(app, std::string("window_howtoplay_caption_") + row.title + "_mode"));
            EXPECT_TRUE(Drawn(app, std::string("explains ") + row.title));
        }
    }
}

TEST(HowToPlayWindow, WithoutTheScriptsOnlyTheTextsShow)
{
    WindowApp app;
    SetModeTexts(app);
    auto* window = app.Open<WindowHowToPlay>();
    window->mGameType = 3;
    EXPECT_EQ(window->CurrentScript(), nullptr);
    app.Steps(2);
    app.DrawScreen();
    EXPECT_TRUE(Drawn(app, "explains chain"));
}

TEST(HowToPlayWindow, ResultsAndTheReloadKey)
{
    for (int key : {VK_ESCAPE, VK_RETURN}) {
        WindowApp app;
        auto* window = app.Open<WindowHowToPlay>();
        window->KeyDown(key);
        EXPECT_EQ(window->mResult, 0);
    }
    WindowApp app;
    LoadTestScripts();
    auto* window = app.Open<WindowHowToPlay>();
    window->mGameType = 1;
    app.Steps(2);
    window->KeyDown('R');
    EXPECT_EQ(Clock(window->mSwapScript), 2.0f) << "no reload without the cheat keys";
    app.SetBoolean("cheat_keys", true);
    window->SetVisible(false);
    window->KeyDown('R');
    EXPECT_EQ(Clock(window->mSwapScript), 2.0f) << "no keys while hidden";
    window->SetVisible(true);
    window->KeyDown('R');
    // Fresh copies of the files as they are now (here: not there, so empty).
    ASSERT_NE(window->mSwapScript, nullptr);
    EXPECT_TRUE(window->mSwapScript->mObjects.empty());
    EXPECT_TRUE(ActionScriptManager::Instance()->mScripts["demo_gameplaychain"]->mObjects.empty());
    EXPECT_EQ(window->mResult, Kivo::Dialog::kNoResult);
}

} // namespace
