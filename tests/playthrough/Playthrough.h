#pragma once
// A player of the whole game: the real application on the generated data
// set, every input sent through the window as mouse and key events. It goes
// from the title to a new player, plays levels by the solver's moves and the
// bonuses as they fill, buys upgrades, switches modes, opens the windows,
// visits the town and quits from the menu. The playthrough test, the
// recorded-run test and the soak program share it.
//
// With a seed and the loading run in line, a run repeats exactly; with a
// demo file to record to, the game's own demo recording keeps the run and
// checkpoints of its state, and a player started on that file replays it
// and compares the checkpoints update by update.
#include "tests/game/app/GameRun.h"
#include "tests/game/play/LevelPlayer.h"

#include "framework/app/DemoFile.h"
#include "framework/app/Screenshot.h"
#include "framework/core/Random.h"
#include "framework/widgets/ButtonWidget.h"
#include "framework/widgets/WidgetManager.h"
#include "game/match/LevelMap.h"
#include "game/play/BonusPanel.h"
#include "game/play/BonusSlot.h"
#include "game/play/GamePlayBase.h"
#include "game/play/GameScreen.h"
#include "game/profiles/ProfileManager.h"
#include "game/ui/BaseScreen.h"
#include "game/ui/ButtonBase.h"
#include "game/ui/GameStateManager.h"
#include "game/ui/MainMenuPanel.h"
#include "game/ui/WindowBase.h"
#include "platform/win32/Messages.h"
#include "platform/win32/Registry.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <optional>
#include <string>
#include <vector>

namespace playthrough {

struct Options {
    // The software Direct3D (the game's default) or the plain 2D display,
    // chosen through the game's stored "Is3D" setting.
    bool is3D = true;
    // Every how many frames one is drawn.
    int drawEvery = 24;
    // The game's generator seed; none keeps the game's own choice.
    std::optional<uint32_t> seed = 20261210;
    // The loading thread's work done on the main thread at start, so that
    // the hand-over comes at the same update in every run.
    bool inlineLoading = true;
    // Records the run into this demo file, with a checkpoint every
    // checkpointEvery updates.
    std::string recordTo;
    // Replays this demo file instead of playing.
    std::string replayFrom;
    int checkpointEvery = 25;
    // A folder for screenshots of each screen and window, or empty.
    std::string shots;
};

// 64-bit FNV-1a.
inline void Mix(uint64_t& h, const void* data, size_t n)
{
    const auto* p = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < n; ++i) {
        h ^= p[i];
        h *= 1099511628211ull;
    }
}

class Driver {
public:
    explicit Driver(Options o) : options(std::move(o))
    {
        app = run.app;
        app->drawEvery = options.drawEvery;
        if (!options.recordTo.empty() || !options.replayFrom.empty()) {
            // A demo turns on where the command line would, and the game
            // then takes its seed from the demo.
            app->onRegistryRead = [this] {
                app->demoRecording = !options.recordTo.empty();
                app->demoPlaying = !options.replayFrom.empty();
                app->demoFileName = app->demoRecording ? options.recordTo : options.replayFrom;
            };
        } else {
            app->seed = options.seed;
        }
        app->onStep = [this] { Step(); };
        app->onUpdate = [this] { Updated(); };
    }
    ~Driver()
    {
        app->onStep = nullptr;
        app->onUpdate = nullptr;
    }
    Driver(const Driver&) = delete;
    Driver& operator=(const Driver&) = delete;

    // ---- What the player sees --------------------------------------------

    GameState* Top() const
    {
        GameStateManager* states = app->stateManager;
        return states && !states->mStates.empty() ? states->mStates.back() : nullptr;
    }
    bool TopIs(const char* name) const { return app->stateManager && Top() == app->stateManager->FindState(name); }
    std::string TopName() const
    {
        for (const char* name : { "MenuScreen", "GameScreen", "UpgradeScreen", "TownScreen" })
            if (Top() && TopIs(name))
                return name;
        return app->titleScreen ? "TitleScreen" : "none";
    }
    BaseScreen* Screen(const char* name) const
    {
        return app->stateManager ? dynamic_cast<BaseScreen*>(app->stateManager->FindState(name)) : nullptr;
    }
    GameScreen* Game() const { return app->stateManager ? dynamic_cast<GameScreen*>(app->stateManager->FindState("GameScreen")) : nullptr; }
    GamePlayBase* Play() const
    {
        GameScreen* game = Game();
        return game ? dynamic_cast<GamePlayBase*>(game->mGamePlay) : nullptr;
    }

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

    // The board stands still and takes input.
    bool Still() const
    {
        GameScreen* game = Game();
        GamePlayBase* play = Play();
        return TopIs("GameScreen") && !TopWindow() && play && game->mState == GameScreen::kPlay && play->IsSettled() &&
               !play->HasBoardEffects() && game->mBoard->IsIdle() && !game->mBoard->IsRotating() && !play->IsLocked() &&
               play->IsActive() && play->GetEffectCount() == 0;
    }

    // The board's cells as a number.
    uint64_t FieldChecksum() const
    {
        uint64_t h = 1469598103934665603ull;
        GamePlayBase* play = Play();
        if (!play || !TopIs("GameScreen"))
            return 0;
        LevelMap map(0, 0);
        play->StoreLevelMap(map);
        for (const LevelMapCell& c : map.Cells()) {
            Mix(h, &c.code, 1);
            Mix(h, &c.kind, 1);
            Mix(h, &c.brickFlags, 4);
            Mix(h, &c.cellFlags, 4);
        }
        return h;
    }
    // The board as text, a row per line; none off the game screen.
    std::vector<std::string> BoardRows() const
    {
        GamePlayBase* play = Play();
        if (!play || !TopIs("GameScreen"))
            return {};
        LevelMap map(0, 0);
        play->StoreLevelMap(map);
        return LevelMapRows(map);
    }
    // Every value of the current profile as a number.
    static uint64_t ProfileChecksum()
    {
        uint64_t h = 1469598103934665603ull;
        ProfileManager* manager = ProfileManager::Existing();
        if (!manager || !manager->profile)
            return 0;
        for (const auto& [key, value] : manager->profile->strings) {
            Mix(h, key.data(), key.size());
            Mix(h, value.data(), value.size());
        }
        for (const auto& [key, value] : manager->profile->ints) {
            Mix(h, key.data(), key.size());
            Mix(h, &value, sizeof value);
        }
        return h;
    }
    // The game's state in one line: the screen, the field, the game's
    // generator and the profile.
    std::string Checkpoint() const
    {
        auto fold = [](uint64_t h) { return static_cast<unsigned>(h ^ (h >> 32)); };
        char text[160];
        std::snprintf(text, sizeof text, "%.4s w%d f%08x r%08x p%08x l%d t%d s%d", TopName().c_str(),
                      TopWindow() ? TopWindow()->mId : -1, fold(FieldChecksum()), Kivo::GetRandomIntState(),
                      fold(ProfileChecksum()), GetProfileInt("game_current_level"), GetProfileInt("game_type"),
                      GetProfileInt("score_total"));
        return text;
    }

    // ---- The player's hand ------------------------------------------------

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
    // With humanClicks the button comes up a tenth of a second after it
    // went down, as under a player's finger; else at once.
    void Click(int x, int y)
    {
        if (!humanClicks) {
            run.Click(x, y);
            return;
        }
        Move(x, y);
        Event(platform::WindowEvent::MouseButton, x, y, true);
        pendingUps.push_back({ x, y, app->updateCount + 10 });
    }
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
        if (options.shots.empty() || !app->ddInterface)
            return;
        std::filesystem::create_directories(options.shots);
        app->forceRedraw = true;
        app->Redraw(nullptr);
        const std::string path = Kivo::SaveScreenshot(app->ddInterface, options.shots + "/");
        if (!path.empty()) {
            std::error_code error;
            std::filesystem::rename(path, options.shots + "/" + (options.is3D ? "3d_" : "2d_") + name + ".png",
                                    error);
        }
    }

    // ---- Running ------------------------------------------------------------

    // Steps until `done` holds or `seconds` of game time have passed; whether
    // it held. A stall or an out-of-step replay ends the wait at once.
    template <class Done>
    bool RunUntil(Done done, double seconds = 60)
    {
        const int updates = int(seconds * 1000 / app->updateStepMs);
        const int until = app->updateCount + updates;
        // Steps without an update are bounded too: a loop that stops
        // updating is a fault as well.
        long idleSteps = 0;
        int last = app->updateCount;
        while (!done()) {
            if (stop || !failure.empty() || app->shutdown || app->updateCount >= until)
                return false;
            if (!app->UpdateAppStep(nullptr) && app->shutdown)
                break;
            idleSteps = app->updateCount == last ? idleSteps + 1 : 0;
            last = app->updateCount;
            if (idleSteps > 200000) {
                Fail("the loop stopped updating at update " + std::to_string(app->updateCount));
                return false;
            }
        }
        return done();
    }
    void Wait(double seconds) { RunUntil([] { return false; }, seconds); }
    // Still for a moment, as a player would wait before the next click.
    bool Calm(double seconds = 60)
    {
        int calm = 0;
        return RunUntil([&] {
            calm = Still() ? calm + 1 : 0;
            return calm > 30;
        }, seconds);
    }
    void Fail(const std::string& text)
    {
        if (failure.empty())
            failure = text;
    }

    // Init, the loading (in line or on its thread) and the window shown.
    void Start()
    {
        if (!options.is3D)
            app->RegistryWriteInteger("Is3D", 0);
        // A recording starts at another time than its replay: the replay
        // draws the recorded numbers only through the seed in the file.
        if (!options.recordTo.empty() && options.seed)
            run.backend->clock.AdvanceMillis(*options.seed);
        app->Init();
        if (options.inlineLoading) {
            // What the loading thread does, here: the hand-over then comes
            // with the loop's first update in every run.
            app->loadingStarted = true;
            app->LoadingThreadProc();
            app->loadingDone = true;
            ShowWindow(app->hwnd, SW_SHOW);
            SetForegroundWindow(app->hwnd);
            app->loopRunning = true;
        } else {
            run.Begin();
        }
    }

    // The title: loading, a key that skips the logos, then a click once it
    // waits; ends on the menu.
    bool TitleToMenu()
    {
        if (!RunUntil([&] { return app->titleScreen && app->titleScreen->mState == TitleScreen::STATE_LOADED; }, 600))
            return Fail("the title screen never finished loading"), false;
        run.Key(VK_SHIFT);
        if (!RunUntil([&] { return app->titleScreen && app->titleScreen->mState == TitleScreen::STATE_WAITING; }))
            return Fail("the title screen never waited for the player"), false;
        Shot("title");
        Click(400, 300);
        if (!RunUntil([&] { return TopIs("MenuScreen") && FindButton(Screen("MenuScreen"), MAIN_MENU_PLAY); }))
            return Fail("no menu after the title"), false;
        // The menu fades in from black.
        Wait(2);
        Shot("menu");
        return true;
    }

    // Play from the menu; a new player types the name. Ends on a still board.
    bool MenuToGame()
    {
        if (!ClickButton(Screen("MenuScreen"), MAIN_MENU_PLAY))
            return Fail("no Play button"), false;
        if (!RunUntil([&] { return TopIs("GameScreen"); }))
            return Fail("Play did not open the game"), false;
        if (!Calm())
            return Fail("the board never stood still"), false;
        Shot("game_" + std::to_string(GetProfileInt("game_type")));
        return true;
    }

    // Plays the current level to its end: the level-completed window and the
    // upgrade screen after it. False when it did not end in `seconds`.
    bool PlayLevel(double seconds = 1200)
    {
        StartPlayer();
        const bool won = RunUntil([&] { return TopIs("UpgradeScreen"); }, seconds);
        playing = false;
        player.reset();
        if (!won && !stop)
            Fail("level " + std::to_string(GetProfileInt("game_current_level")) + " not finished, top " + TopName());
        else
            ++levelsPlayed;
        return won;
    }

    // The upgrade screen: buys what the funds allow, then back to the game.
    bool UpgradeAndBack()
    {
        Wait(2);
        Shot("upgrade");
        BaseScreen* upgrade = Screen("UpgradeScreen");
        for (int id = 2; id < 6; ++id)
            if (ClickButton(upgrade, id))
                Wait(0.5);
        Shot("upgrade_bought");
        run.Key(VK_RETURN);
        if (!RunUntil([&] { return TopIs("GameScreen") || TopIs("MenuScreen"); }))
            return Fail("the upgrade screen did not go back to the game; top " + TopName() + ", window " +
                        std::to_string(TopWindow() ? TopWindow()->mId : -1)),
                   false;
        if (TopIs("MenuScreen")) {
            // The last building is bought: the town is complete and the
            // game goes to the menu, where Play starts over after the
            // player says yes twice.
            ++townsCompleted;
            if (!RunUntil([&] { return FindButton(Screen("MenuScreen"), MAIN_MENU_PLAY) != nullptr; }))
                return Fail("no Play button after the town was completed"), false;
            Wait(2);
            return MenuToGame();
        }
        if (!Calm())
            return Fail("the board never stood still after the upgrades"), false;
        return true;
    }

    // One of the mode buttons: switches to the mode, or for the current mode
    // opens how to play it.
    bool SwitchMode(int type)
    {
        if (!Calm())
            return Fail("the board never stood still before the mode switch"), false;
        if (!ClickButton(Game(), type + 3))
            return Fail("no button for mode " + std::to_string(type)), false;
        if (!RunUntil([&] { return GetProfileInt("game_type") == type && Still(); }))
            return Fail("mode " + std::to_string(type) + " did not come"), false;
        Shot("mode_" + std::to_string(type));
        return true;
    }

    // A window opened by a key and closed again.
    bool OpenWindowByKey(int key, int id)
    {
        if (!Calm())
            return Fail("the board never stood still"), false;
        windowsSeen.erase(id);
        run.Key(key);
        if (!RunUntil([&] { return windowsSeen.count(id) && Still(); }))
            return Fail("window " + std::to_string(id) + " did not open and close"), false;
        return true;
    }

    bool HowToPlay()
    {
        if (!Calm())
            return false;
        windowsSeen.erase(WINDOW_ID_HOW_TO_PLAY);
        if (!ClickButton(Game(), GetProfileInt("game_type") + 3))
            return Fail("no button for the current mode"), false;
        if (!RunUntil([&] { return windowsSeen.count(WINDOW_ID_HOW_TO_PLAY) && Still(); }))
            return Fail("how to play did not open and close"), false;
        return true;
    }

    bool Town()
    {
        if (!Calm())
            return false;
        if (!ClickWidget(Game()->mBonusPanel->mTownButton))
            return Fail("no town button"), false;
        if (!RunUntil([&] { return TopIs("TownScreen"); }))
            return Fail("the town did not open"), false;
        Wait(2);
        Shot("town");
        run.Key(VK_RETURN);
        if (!RunUntil([&] { return TopIs("GameScreen"); }))
            return Fail("the town did not go back to the game"), false;
        return true;
    }

    // Through the pause window to the menu, and its options.
    bool PauseToMenuAndOptions()
    {
        if (!Calm())
            return false;
        pauseToMenu = true;
        run.Key(VK_ESCAPE);
        const bool menu = RunUntil([&] { return TopIs("MenuScreen"); });
        pauseToMenu = false;
        if (!menu)
            return Fail("the pause window did not lead to the menu"), false;
        BaseScreen* screen = Screen("MenuScreen");
        if (!RunUntil([&] { return FindButton(screen, MAIN_MENU_OPTIONS) != nullptr; }))
            return Fail("no Options button"), false;
        windowsSeen.erase(WINDOW_ID_OPTIONS);
        ClickButton(screen, MAIN_MENU_OPTIONS);
        if (!RunUntil([&] { return windowsSeen.count(WINDOW_ID_OPTIONS) && !TopWindow(); }))
            return Fail("the options did not open and close"), false;
        return RunUntil([&] { return FindButton(screen, MAIN_MENU_QUIT) != nullptr; }) || (Fail("no Quit button"), false);
    }

    // Quit from the menu; true when the application shut down.
    bool Quit()
    {
        // The menu panel slides back in after a window: a player clicks
        // once it stands.
        Wait(2);
        if (!ClickButton(Screen("MenuScreen"), MAIN_MENU_QUIT))
            return Fail("no Quit button"), false;
        try {
            RunUntil([&] { return app->shutdown.load(); });
        } catch (const gametest::ExitCalled&) {
        }
        if (!app->shutdown)
            Fail("Quit did not end the game; top " + TopName() + ", window " +
                 std::to_string(TopWindow() ? TopWindow()->mId : -1));
        return app->shutdown;
    }

    // Replays the demo until its end; false with `failure` saying where it
    // went out of step.
    bool Replay()
    {
        for (const Kivo::DemoMarker& marker : app->demoMarkers)
            expected.push_back({ marker.update, marker.name });
        try {
            // The last events (the quit) come with the last update.
            RunUntil([&] { return app->updateCount > app->demoEndUpdate; }, 1e6);
        } catch (const gametest::ExitCalled&) {
        }
        if (failure.empty() && checked < expected.size())
            Fail("the replay ended at update " + std::to_string(app->updateCount) + " before checkpoint " +
                 std::to_string(checked + 1) + " of " + std::to_string(expected.size()) + " (update " +
                 std::to_string(expected[checked].update) + ")");
        return failure.empty();
    }

    // ---- Inside the loop ----------------------------------------------------

    // Runs before every step, modal ones included: answers the windows that
    // come up and, while a level is played, makes the player's moves.
    void Step()
    {
        ++steps;
        if (app->demoPlaying)
            return;
        while (!pendingUps.empty() && pendingUps.front().update <= app->updateCount) {
            Event(platform::WindowEvent::MouseButton, pendingUps.front().x, pendingUps.front().y, false);
            pendingUps.erase(pendingUps.begin());
        }
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
            if (shotWindow != window) {
                shotWindow = window;
                Shot("window_" + std::to_string(window->mId));
            }
            Answer(window);
            return;
        }
        if (playing && player && TopIs("GameScreen"))
            player->Step();
    }

    // After every update: records or compares checkpoints.
    void Updated()
    {
        if (onUpdate)
            onUpdate();
        if (app->updateCount % options.checkpointEvery != 0)
            return;
        if (app->demoRecording && !app->shutdown) {
            app->demoMarkers.push_back({ Checkpoint(), app->updateCount });
        } else if (app->demoPlaying && checked < expected.size() && expected[checked].update == app->updateCount) {
            const std::string now = Checkpoint();
            if (now != expected[checked].state)
                Fail("out of step at update " + std::to_string(app->updateCount) + " (in step at update " +
                     std::to_string(app->updateCount - options.checkpointEvery) + "): recorded '" +
                     expected[checked].state + "', replayed '" + now + "'");
            ++checked;
        }
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
        case WINDOW_ID_HOW_TO_PLAY:
            // Its Play button: a window that opens by itself need not hold
            // the keyboard focus.
            if (ClickButton(window, 0))
                break;
            run.Key(VK_ESCAPE);
            break;
        case WINDOW_ID_LEVEL_COMPLETED1:
            if (takeBonusGame && ClickButton(window, 1))
                break;
            run.Key(VK_RETURN);
            break;
        case WINDOW_ID_LEVEL_COMPLETED2:
            if (takeBonusGame && ClickButton(window, 0))
                break;
            run.Key(VK_RETURN);
            break;
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

    struct Expected {
        int update;
        std::string state;
    };

    Options options;
    gametest::GameRun run;
    gametest::TestGameApp* app;
    std::string name = "anna";
    std::string failure;
    // Set (from a hook) to end the current wait at once.
    bool stop = false;
    // Runs after every update, before the checkpoints.
    std::function<void()> onUpdate;
    std::unique_ptr<playtest::LevelPlayer> player;
    bool playing = false;
    bool pauseToMenu = false;
    // The level-completed windows are answered with the mouse: the bonus
    // game, then Continue.
    bool takeBonusGame = false;
    bool humanClicks = false;
    struct PendingUp {
        int x, y, update;
    };
    std::vector<PendingUp> pendingUps;
    WindowBase* seenWindow = nullptr;
    WindowBase* shotWindow = nullptr;
    long seenAt = 0;
    long steps = 0;
    int levelsPlayed = 0;
    int townsCompleted = 0;
    std::set<int> windowsSeen;
    std::vector<Expected> expected;
    size_t checked = 0;
};

} // namespace playthrough
