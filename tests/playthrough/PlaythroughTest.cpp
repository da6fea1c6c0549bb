// The whole game played as a player would, on the generated data set: every
// input goes through the window as mouse and key events. From the title to
// a new player, level 1 won by following the solver's moves, the upgrade
// screen, the other two modes, the windows, the town and the quit from the
// menu. With KIVO_PLAYTHROUGH_SHOTS naming a folder, each screen and window
// is saved there as a PNG named after it.
#include "tests/game/app/GameRun.h"
#include "tests/game/play/LevelPlayer.h"

#include "framework/app/Screenshot.h"
#include "framework/widgets/ButtonWidget.h"
#include "framework/widgets/WidgetManager.h"
#include "game/play/BonusPanel.h"
#include "game/play/BonusSlot.h"
#include "game/ui/ButtonBase.h"
#include "game/play/GamePlayBase.h"
#include "game/play/GameScreen.h"
#include "game/profiles/ProfileManager.h"
#include "game/ui/BaseScreen.h"
#include "game/ui/GameStateManager.h"
#include "game/ui/MainMenuPanel.h"
#include "game/ui/WindowBase.h"
#include "platform/win32/Messages.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <set>
#include <string>

namespace {

using gametest::ExitCalled;
using gametest::GameRun;

// The loader runs in real time while the clock only moves with the loop:
// enough steps for a sanitized build to load the data.
constexpr int kLoaderSteps = 3000000;
// A level of moves, bonuses and effects at the loop's pace.
constexpr int kLevelSteps = 2000000;
constexpr int kScreenSteps = 200000;

class Playthrough {
public:
    Playthrough()
    {
        app = run.app;
        if (const char* folder = std::getenv("KIVO_PLAYTHROUGH_SHOTS"))
            shots = folder;
        app->onStep = [this] { Step(); };
    }
    ~Playthrough() { app->onStep = nullptr; }

    GameState* Top() const
    {
        GameStateManager* states = app->stateManager;
        return states && !states->mStates.empty() ? states->mStates.back() : nullptr;
    }
    bool TopIs(const char* name) const { return app->stateManager && Top() == app->stateManager->FindState(name); }
    BaseScreen* Screen(const char* name) const
    {
        return app->stateManager ? dynamic_cast<BaseScreen*>(app->stateManager->FindState(name)) : nullptr;
    }
    GameScreen* Game() const { return app->stateManager ? dynamic_cast<GameScreen*>(app->stateManager->FindState("GameScreen")) : nullptr; }

    // The front-most window in the widget manager, or null.
    WindowBase* TopWindow() const
    {
        WindowBase* top = nullptr;
        if (app->widgetManager)
            for (Kivo::Widget* w : app->widgetManager->GetChildren())
                if (auto* window = dynamic_cast<WindowBase*>(w))
                    top = window;
        return top;
    }

    // A shown, enabled button with the id somewhere below `root`.
    static Kivo::ButtonWidget* FindButton(Kivo::WidgetContainer* root, int id)
    {
        if (!root)
            return nullptr;
        for (Kivo::Widget* w : root->GetChildren()) {
            if (!w->mVisible)
                continue;
            if (auto* button = dynamic_cast<Kivo::ButtonWidget*>(w); button && button->mId == id && !button->mDisabled)
                return button;
            if (Kivo::ButtonWidget* found = FindButton(w, id))
                return found;
        }
        return nullptr;
    }

    void Event(platform::WindowEvent::Kind kind, int x, int y, bool down)
    {
        platform::WindowEvent e;
        e.kind = kind;
        e.x = x, e.y = y;
        e.button = 1;
        e.down = down;
        run.backend->windows.Push(e);
    }
    void Move(int x, int y) { Event(platform::WindowEvent::MouseMove, x, y, false); }
    void Click(int x, int y) { run.Click(x, y); }
    bool ClickWidget(Kivo::Widget* w)
    {
        if (!w)
            return false;
        const Kivo::Point at = w->GetAbsPos();
        Click(at.mX + w->mWidth / 2, at.mY + w->mHeight / 2);
        return true;
    }
    bool ClickButton(Kivo::WidgetContainer* root, int id) { return root && ClickWidget(FindButton(root, id)); }

    void Shot(const std::string& name)
    {
        if (shots.empty() || !app->ddInterface)
            return;
        std::filesystem::create_directories(shots);
        app->forceRedraw = true;
        app->Redraw(nullptr);
        const std::string path = Kivo::SaveScreenshot(app->ddInterface, shots + "/");
        if (!path.empty()) {
            std::error_code error;
            std::filesystem::rename(path, shots + "/" + name + ".png", error);
        }
    }

    // The board stands still and takes input.
    bool Still() const
    {
        GameScreen* game = Game();
        auto* play = game ? dynamic_cast<GamePlayBase*>(game->mGamePlay) : nullptr;
        return TopIs("GameScreen") && !TopWindow() && play && game->mState == GameScreen::kPlay && play->IsSettled() &&
               !play->HasBoardEffects() && game->mBoard->IsIdle() && !game->mBoard->IsRotating() && !play->IsLocked() &&
               play->IsActive() && play->GetEffectCount() == 0;
    }
    // Still for a moment, as a player would wait before the next click.
    bool Calm()
    {
        return RunUntil([&] {
            calm = Still() ? calm + 1 : 0;
            return calm > 30;
        }, kScreenSteps);
    }

    template <class Done>
    bool RunUntil(Done done, int limit = kScreenSteps)
    {
        return run.RunUntil(done, limit);
    }

    // Runs before every step, modal ones included: answers the windows that
    // come up and, while a level is played, makes the player's moves.
    void Step()
    {
        ++steps;
        WindowBase* window = TopWindow();
        if (window != seenWindow) {
            seenWindow = window;
            seenAt = steps;
            if (window)
                windowsSeen.insert(window->mId);
        }
        if (window) {
            // Once it has appeared, then again every while until it goes.
            if (!window->mVisible || steps - seenAt < 60 || (steps - seenAt) % 200 != 60)
                return;
            if (steps - seenAt == 60)
                Shot("window_" + std::to_string(window->mId));
            Answer(window);
            return;
        }
        if (playing && player && TopIs("GameScreen"))
            player->Step();
    }

    void Answer(WindowBase* window)
    {
        switch (window->mId) {
        case WINDOW_ID_NEW_PROFILE:
            run.Type(name);
            run.Key(VK_RETURN);
            break;
        case WINDOW_ID_PAUSE:
            if (pauseToMenu && ClickButton(window, 2))
                break;
            run.Key(VK_ESCAPE);
            break;
        case WINDOW_ID_LEVEL_COMPLETED1:
        case WINDOW_ID_LEVEL_COMPLETED2:
        case WINDOW_ID_CONFIRM:
        case WINDOW_ID_CONFIRM2:
        case WINDOW_ID_MESSAGE:
            run.Key(VK_RETURN);
            break;
        default:
            run.Key(VK_ESCAPE);
            break;
        }
    }

    void StartPlayer()
    {
        GameScreen* game = Game();
        playtest::LevelPlayer::Hand hand;
        hand.move = [this](int x, int y) { Move(x, y); };
        hand.click = [this](int x, int y) { Click(x, y); };
        hand.pressSlot = [this, game](int slot) { ClickWidget(game->mBonusPanel->GetSlot(slot)); };
        player = std::make_unique<playtest::LevelPlayer>(game, app->widgetManager, hand);
        playing = true;
    }

    GameRun run;
    gametest::TestGameApp* app;
    std::string shots;
    std::string name = "anna";
    std::unique_ptr<playtest::LevelPlayer> player;
    bool playing = false;
    bool pauseToMenu = false;
    WindowBase* seenWindow = nullptr;
    long seenAt = 0;
    long steps = 0;
    int calm = 0;
    std::set<int> windowsSeen;
};

TEST(Playthrough, DISABLED_FromTheTitleThroughALevelEveryModeAndWindowToTheQuit)
{
    Playthrough p;
    GameRun& run = p.run;
    gametest::TestGameApp* app = p.app;
    app->Init();
    run.Begin();

    // The title: loading, a key that skips the logos, then a click once it
    // waits.
    ASSERT_TRUE(p.RunUntil([&] { return app->titleScreen && app->titleScreen->mState == TitleScreen::STATE_LOADED; },
                           kLoaderSteps));
    run.Key(VK_SHIFT);
    ASSERT_TRUE(p.RunUntil([&] { return app->titleScreen && app->titleScreen->mState == TitleScreen::STATE_WAITING; },
                           kLoaderSteps));
    p.Shot("title");
    p.Click(400, 300);
    ASSERT_TRUE(p.RunUntil([&] { return p.TopIs("MenuScreen"); }));
    EXPECT_FALSE(ProfileManager::Instance()->HasProfile());
    ASSERT_TRUE(p.RunUntil([&] { return p.FindButton(p.Screen("MenuScreen"), MAIN_MENU_PLAY) != nullptr; }));
    p.Shot("menu");

    // Play without a player: the new-profile window takes the typed name.
    ASSERT_TRUE(p.ClickButton(p.Screen("MenuScreen"), MAIN_MENU_PLAY));
    ASSERT_TRUE(p.RunUntil([&] { return p.TopIs("GameScreen"); }));
    EXPECT_TRUE(p.windowsSeen.count(WINDOW_ID_NEW_PROFILE));
    ASSERT_TRUE(ProfileManager::Instance()->HasProfile());
    EXPECT_EQ(GetProfileString("user_name"), "ANNA");
    const int firstLevel = GetProfileInt("game_current_level");
    const int startTotal = GetProfileInt("score_total");

    // Level 1, the solver's moves and the bonuses as they fill, up to the
    // level-completed window and the upgrade screen after it.
    ASSERT_TRUE(p.Calm());
    p.Shot("game");
    p.StartPlayer();
    ASSERT_TRUE(p.RunUntil([&] { return p.TopIs("UpgradeScreen"); }, kLevelSteps))
        << "level " << GetProfileInt("game_current_level") << " bricks " << GetProfileInt("score_level_bricks");
    p.playing = false;
    EXPECT_TRUE(p.windowsSeen.count(WINDOW_ID_LEVEL_COMPLETED1) || p.windowsSeen.count(WINDOW_ID_LEVEL_COMPLETED2));
    EXPECT_EQ(GetProfileInt("game_current_level"), firstLevel + 1);
    const int funds = GetProfileInt("score_total");
    EXPECT_GT(funds, startTotal);

    // The upgrade screen: buy what the funds allow, then back to the game.
    p.RunUntil([] { return false; }, 2000);
    p.Shot("upgrade");
    BaseScreen* upgrade = p.Screen("UpgradeScreen");
    for (int id = 2; id < 6; ++id)
        if (p.ClickButton(upgrade, id))
            p.RunUntil([] { return false; }, 500);
    EXPECT_LE(GetProfileInt("score_total"), funds);
    p.Shot("upgrade_bought");
    run.Key(VK_RETURN);
    ASSERT_TRUE(p.RunUntil([&] { return p.TopIs("GameScreen"); }));
    ASSERT_TRUE(p.Calm());

    // Help (F1) and pause (Escape), each opened and closed.
    run.Key(VK_F1);
    ASSERT_TRUE(p.RunUntil([&] { return p.windowsSeen.count(WINDOW_ID_HELP) && p.Still(); }));
    run.Key(VK_ESCAPE);
    ASSERT_TRUE(p.RunUntil([&] { return p.windowsSeen.count(WINDOW_ID_PAUSE) && p.Still(); }));

    // The other two modes, then how to play the current one.
    const int type = GetProfileInt("game_type");
    for (int other = 1; other <= 3; ++other) {
        if (other == type)
            continue;
        ASSERT_TRUE(p.Calm());
        ASSERT_TRUE(p.ClickButton(p.Game(), other + 3)) << "mode " << other;
        ASSERT_TRUE(p.RunUntil([&] { return GetProfileInt("game_type") == other && p.Still(); })) << "mode " << other;
        p.Shot("mode_" + std::to_string(other));
    }
    ASSERT_TRUE(p.Calm());
    ASSERT_TRUE(p.ClickButton(p.Game(), GetProfileInt("game_type") + 3));
    ASSERT_TRUE(p.RunUntil([&] { return p.windowsSeen.count(WINDOW_ID_HOW_TO_PLAY) && p.Still(); }));

    // The town over the game and back.
    ASSERT_TRUE(p.Calm());
    ASSERT_TRUE(p.ClickWidget(p.Game()->mBonusPanel->mTownButton));
    ASSERT_TRUE(p.RunUntil([&] { return p.TopIs("TownScreen"); }));
    p.RunUntil([] { return false; }, 2000);
    p.Shot("town");
    run.Key(VK_RETURN);
    ASSERT_TRUE(p.RunUntil([&] { return p.TopIs("GameScreen"); }));

    // Through the pause window to the menu, its options, and the quit.
    ASSERT_TRUE(p.Calm());
    p.pauseToMenu = true;
    run.Key(VK_ESCAPE);
    ASSERT_TRUE(p.RunUntil([&] { return p.TopIs("MenuScreen"); }));
    BaseScreen* menu = p.Screen("MenuScreen");
    ASSERT_TRUE(p.RunUntil([&] { return p.FindButton(menu, MAIN_MENU_OPTIONS) != nullptr; }));
    p.windowsSeen.erase(WINDOW_ID_OPTIONS);
    ASSERT_TRUE(p.ClickButton(menu, MAIN_MENU_OPTIONS));
    ASSERT_TRUE(p.RunUntil([&] { return p.windowsSeen.count(WINDOW_ID_OPTIONS) && !p.TopWindow(); }));
    ASSERT_TRUE(p.RunUntil([&] { return p.FindButton(menu, MAIN_MENU_QUIT) != nullptr; }));
    EXPECT_EQ(GetProfileString("user_name"), "ANNA");
    EXPECT_EQ(GetProfileInt("game_current_level"), firstLevel + 1);
    ASSERT_TRUE(p.ClickButton(menu, MAIN_MENU_QUIT));
    try {
        ASSERT_TRUE(p.RunUntil([&] { return app->shutdown.load(); }));
    } catch (const ExitCalled&) {
    }
    EXPECT_TRUE(app->shutdown);
}

} // namespace
