#pragma once
// The screen on which the levels are played. It owns the board widget, the
// field frame, the bonus, timer, score and extra panels, its own effect list,
// the background and the one game-play object of the current mode. Board
// input is queued and replayed into the game play at the start of each
// update; the update runs the level flow (play, level won, bonus game, time
// out); the game in progress is kept in the profile between visits and
// carried across a change of mode.
#include "framework/widgets/ButtonListener.h"
#include "game/match/BoardListener.h"
#include "game/play/ExtraPanelListener.h"
#include "game/ui/BaseScreen.h"

#include <memory>
#include <string>
#include <vector>

class BoardRender;
class BonusPanel;
class ExtraPanel;
class FieldFrame;
class GameBackground;
class GameScreenServices;
class GameStateListener;
class GfxManager;
class IGamePlay;
class LevelMap;
class ScorePanel;
class TimerPanel;

// One queued board report; kinds 1..7 as the BoardListener reports them.
struct BoardEvent {
    int kind;
    int args[4];
};

class GameScreen : public BaseScreen,
                   public Kivo::ButtonListener,
                   public BoardListener,
                   public ExtraPanelListener {
public:
    // Level-flow states.
    enum State {
        kPlay = 0,
        kLevelDone = 1,     // waiting for the game play's effects to end
        kBonusGameWon = 2,
        kLevelWon = 3,      // closing sequence running
        kTimeOut = 4,       // waiting for the game play's effects to end
        kTimeOutDue = 5,
        kTimeOutShowing = 6,
    };

    // `states` switches screens (the state manager may also set it later);
    // `services` (owned; null for the game's own) opens windows and plays
    // sounds.
    explicit GameScreen(GameStateListener* states = nullptr, GameScreenServices* services = nullptr);
    ~GameScreen() override;

    void AddedToManager(Kivo::WidgetManager* manager) override;
    void RemovedFromManager(Kivo::WidgetManager* manager) override;
    void Update() override;
    void UpdateF(float dt) override;
    void Draw(Kivo::Graphics* g) override;
    void DrawOverlay(Kivo::Graphics* g) override;
    void KeyDown(int key) override;
    void MouseDownButton(int x, int y, int button, int clickCount) override;
    void MouseUpAt(int x, int y) override;
    void OnEnter() override;
    void OnLeave() override;
    bool AllowCover() override;
    void Resume() override;

    void ButtonDepress(int id) override;

    void RotateStart(bool animated) override;
    void RotateDone(bool animated) override;
    void SetFieldOffset(float angle, float scale) override;
    void SetFieldAlpha(float shown) override;
    void BoardEnter() override;
    void BoardLeave() override;
    void CellEnter(int x, int y) override;
    void CellLeave(int x, int y) override;
    void CellDown(int x, int y, int button) override;
    void CellDrag(int fromX, int fromY, int toX, int toY) override;
    void BoardMouseUp(int x, int y) override;

    void ExtraBonusWon(int kind) override;

    // The game play of a game type (3 chain, 2 group, anything else swap),
    // holding a fresh level-done call to this screen.
    IGamePlay* CreateGamePlay(int gameType);
    void SetPaused(bool paused);
    void OnLevelDone();
    void ShowPauseWindow();
    void ShowHelpWindow();
    void ShowHowToPlay(int gameType);
    void GoToUpgradeScreen();
    void GoToTownScreen();
    void GoToMenuScreen();
    void OnExtraBonusFlown(int slot);
    void DispatchBoardEvents();

    void OnBoardAppeared();
    void OnBricksAppeared();
    void AnnounceGameMode(float delay, bool withVoice);
    void OfferExtraPanel();
    void ShowTimeOutMessage();
    void FinishLevel();
    void FinishBonusGame();
    bool StartGame();
    void NextLevel();
    // Starts the level the profile names, with a fresh game-play object.
    void StartPreparedLevel();
    bool StartNewLevel();

    bool SaveProgress();
    bool LoadProgress();
    void StoreGame();
    bool RestoreGame();
    void ClearStoredField();
    void SwitchGameMode(int gameType);
    void PlayModeSwitch(const LevelMap& oldMap, const LevelMap& newMap);
    void OnModeSwitchDone();

    int Tick() const { return static_cast<int>(mUpdateCount); }
    // The game-play object holds a level-done call it has not made yet.
    bool LevelDoneArmed() const { return mLevelDoneArmed; }

    int32_t mNextOfferTick = 0;
    bool mTimerWarningGiven = false;
    BoardRender* mBoard = nullptr;
    FieldFrame* mFieldFrame = nullptr;
    BonusPanel* mBonusPanel = nullptr;
    GfxManager* mEffects = nullptr;
    GameBackground* mBackground = nullptr;
    TimerPanel* mTimerPanel = nullptr;
    ScorePanel* mScorePanel = nullptr;
    ExtraPanel* mExtraPanel = nullptr;
    IGamePlay* mGamePlay = nullptr;
    int32_t mState = kPlay;
    std::unique_ptr<LevelMap> mLevelMap;
    int32_t mLastDispatchTick = 0;
    std::vector<BoardEvent> mBoardEvents;

    GameScreenServices* mServices;
    // No level could be started: the screen leaves for the menu.
    bool mStartFailed = false;

protected:
    // Makes the game-play object of a game type and hands it `levelDone`
    // (owned), the call it makes when the level is won.
    virtual IGamePlay* NewGamePlay(int gameType, baseCallback* levelDone);
    // Hands a living game-play object a fresh level-done call (owned).
    virtual void GiveLevelDoneCall(IGamePlay* gamePlay, baseCallback* levelDone);

private:
    baseCallback* NewLevelDoneCall();
    void LevelDoneCalled();
    void DeleteGamePlay();
    void ShowPanels(bool show, bool animate);
    void PlaySound(const char* id);
    void AfterDelay(float seconds, baseCallback* call);
    bool Quiet() const;
    // A window above the screen takes the mouse from the board.
    bool BoardBlocked() const;
    void StartFailed();
    // Picks the level's colours and notes their set as "game_chipset".
    void LevelColours(std::vector<int>& colours, int count);
    void LeaveForUpgrade();

    bool mLevelDoneArmed = false;
    // The won level's points and the next level are in the profile; the
    // next level's board is not made yet, so the board still held is not
    // stored.
    bool mLevelAdvanced = false;
    bool mInHowToPlay = false;
    // The rules' own update is running: a window it opened (a hint) runs
    // the application's steps inside it.
    bool mInPlayUpdate = false;
};
