#include "game/play/GameScreen.h"

#include "framework/core/Random.h"
#include "framework/graphics/Graphics.h"
#include "framework/widgets/WidgetHost.h"
#include "framework/widgets/WidgetManager.h"
#include "game/effects/GfxDelay.h"
#include "game/effects/GfxManager.h"
#include "game/match/BoardRender.h"
#include "game/match/BrickHelper.h"
#include "game/match/GameBackground.h"
#include "game/match/IGamePlay.h"
#include "game/match/LevelMap.h"
#include "game/meta/HintsHelper.h"
#include "game/meta/HintsManager.h"
#include "game/play/BonusPanel.h"
#include "game/play/ExtraPanel.h"
#include "game/play/FieldFrame.h"
#include "game/play/GamePanelsPtr.h"
#include "game/play/GamePlayBase.h"
#include "game/play/GameScreenEffects.h"
#include "game/play/GameScreenServices.h"
#include "game/play/ScorePanel.h"
#include "game/play/TimerPanel.h"
#include "game/profiles/ProfileManager.h"
#include "game/ui/Callback.h"
#include "game/ui/FullscreenFadder.h"
#include "game/ui/GameStateManager.h"

namespace {
// Virtual-key codes that reach KeyDown.
constexpr int kKeyEscape = 27;
constexpr int kKeyLeft = 37;
constexpr int kKeyRight = 39;
constexpr int kKeyF1 = 112;
constexpr int kKeyNumpadMinus = 109;

// Two clicks closer than this many ticks count as too fast.
constexpr int kFastClickTicks = 15;

// The last mouse-down tick, one for the program.
bool sLastClickKnown = false;
int sLastClickTick = 0;
} // namespace

GameScreen::GameScreen(GameStateListener* states, GameScreenServices* services)
    : mServices(services ? services : new GameScreenServices())
{
    mStateManager = states;
    mBonusPanel = new BonusPanel(this);
    mBoard = new BoardRender();
    mBoard->mListener = this;
    mFieldFrame = new FieldFrame(this);
    mTimerPanel = new TimerPanel();
    mScorePanel = new ScorePanel();
    mExtraPanel = new ExtraPanel(this);
    AddWidget(mBonusPanel);
    AddWidget(mBoard);
    AddWidget(mFieldFrame);
    AddWidget(mTimerPanel);
    AddWidget(mScorePanel);
    AddWidget(mExtraPanel);
    mBackground = new GameBackground();
    mEffects = new GfxManager();

    GamePanelsPtr* panels = GamePanelsPtr::Instance();
    panels->mBonusPanel = mBonusPanel;
    panels->mTimerPanel = mTimerPanel;
    panels->mExtraPanel = mExtraPanel;
    BrickHelper::Instance();
    HintsManager::Instance();
}

GameScreen::~GameScreen()
{
    // The game play goes first: its destruction may still give a cancelled
    // bonus back to its slot through the panels.
    DeleteGamePlay();
    if (GamePanelsPtr* panels = GamePanelsPtr::Existing()) {
        panels->mBonusPanel = nullptr;
        panels->mTimerPanel = nullptr;
        panels->mExtraPanel = nullptr;
    }
    RemoveAllWidgets(false, false);
    delete mBoard;
    delete mFieldFrame;
    delete mBonusPanel;
    delete mBackground;
    delete mTimerPanel;
    delete mScorePanel;
    delete mExtraPanel;
    // The helpers that hold images and hints of this run go with the
    // screen that made them.
    delete HintsManager::Existing();
    delete HintsHelper::Existing();
    delete BrickHelper::Existing();
    delete mEffects;
    delete mServices;
}

void GameScreen::DeleteGamePlay()
{
    IGamePlay* gamePlay = mGamePlay;
    mGamePlay = nullptr;
    mLevelDoneArmed = false;
    delete gamePlay;
}

baseCallback* GameScreen::NewLevelDoneCall()
{
    mLevelDoneArmed = true;
    return new CB_Callback<GameScreen, void>(this, &GameScreen::LevelDoneCalled);
}

void GameScreen::LevelDoneCalled()
{
    mLevelDoneArmed = false;
    OnLevelDone();
}

IGamePlay* GameScreen::CreateGamePlay(int gameType)
{
    mLevelDoneArmed = false;
    IGamePlay* gamePlay = NewGamePlay(gameType == 2 || gameType == 3 ? gameType : 1, NewLevelDoneCall());
    if (!gamePlay)
        mLevelDoneArmed = false;
    return gamePlay;
}

IGamePlay* GameScreen::NewGamePlay(int gameType, baseCallback* levelDone)
{
    GamePlayBase* gamePlay = ::CreateGamePlay(gameType);
    // It reaches the panels through GamePanelsPtr and the hints through the
    // hints helper by itself.
    gamePlay->SetLevelDoneCallback(levelDone);
    return gamePlay;
}

void GameScreen::GiveLevelDoneCall(IGamePlay* gamePlay, baseCallback* levelDone)
{
    if (auto* base = dynamic_cast<GamePlayBase*>(gamePlay))
        base->SetLevelDoneCallback(levelDone);
    else
        delete levelDone;
}

void GameScreen::PlaySound(const char* id) { mServices->PlaySound(id); }

void GameScreen::AfterDelay(float seconds, baseCallback* call) { mEffects->addEffect(new GfxDelay(seconds, call)); }

void GameScreen::AddedToManager(Kivo::WidgetManager* manager)
{
    BaseScreen::AddedToManager(manager);
    LoadProgress();
    mStartFailed = !StartGame();
}

void GameScreen::RemovedFromManager(Kivo::WidgetManager* manager)
{
    BaseScreen::RemovedFromManager(manager);
    if (mGamePlay) {
        const bool active = mGamePlay->IsActive();
        mGamePlay->SetActive(false);
        mGamePlay->SetActive(active);
        StoreGame();
    }
    SaveProgress();
    // The stored game reaches the file now, not only at the next save.
    SaveCurrentProfile();
    DeleteGamePlay();
}

void GameScreen::UpdateF(float dt)
{
    mBackground->UpdateF(dt);
    mEffects->updateEffects(dt);
    if (mGamePlay)
        mGamePlay->UpdateF(dt);
}

void GameScreen::Draw(Kivo::Graphics* g)
{
    mBackground->Draw(g);
    mBonusPanel->DrawBackground(g);
    if (mBoard->mVisible) {
        mBoard->DrawBoard(g);
        if (mGamePlay)
            mGamePlay->DrawOverlay(g);
        mBoard->DrawField(g);
        mFieldFrame->DrawFrame(g);
        if (mGamePlay)
            mGamePlay->DrawField(g);
    }
    if (mManager)
        mManager->QueueOverlay(this, 0);
}

void GameScreen::DrawOverlay(Kivo::Graphics* g)
{
    if (mBoard->mVisible && mGamePlay)
        mGamePlay->DrawEffects(g);
    mEffects->drawEffects(g);
}

void GameScreen::OnLeave()
{
    mEffects->clearEffects();
    SaveCurrentProfile();
}

bool GameScreen::AllowCover()
{
    if (Kivo::WidgetManager* manager = Kivo::GetWidgetHost()->GetWidgetManager())
        manager->RemoveWidget(this);
    return true;
}

void GameScreen::Resume()
{
    new FullscreenFadder(true);
    Kivo::WidgetManager* manager = Kivo::GetWidgetHost()->GetWidgetManager();
    manager->AddWidget(this);
    manager->SetFocus(this);
    mEffects->clearEffects();
    SetPaused(false);
}

// Board input, queued for the next update.

void GameScreen::BoardEnter() { mBoardEvents.push_back({1, {}}); }
void GameScreen::BoardLeave() { mBoardEvents.push_back({2, {}}); }
void GameScreen::CellEnter(int x, int y) { mBoardEvents.push_back({3, {x, y}}); }
void GameScreen::CellLeave(int x, int y) { mBoardEvents.push_back({4, {x, y}}); }
void GameScreen::CellDown(int x, int y, int button) { mBoardEvents.push_back({5, {x, y, button}}); }
void GameScreen::BoardMouseUp(int x, int y) { mBoardEvents.push_back({6, {x, y}}); }
void GameScreen::CellDrag(int fromX, int fromY, int toX, int toY)
{
    mBoardEvents.push_back({7, {fromX, fromY, toX, toY}});
}

void GameScreen::DispatchBoardEvents()
{
    if (mBoardEvents.empty())
        return;
    // A replayed event may queue more; those wait for the next update.
    std::vector<BoardEvent> events;
    events.swap(mBoardEvents);
    for (const BoardEvent& e : events) {
        if (!mGamePlay)
            break;
        const int* a = e.args;
        switch (e.kind) {
        case 1: mGamePlay->BoardEnter(); break;
        case 2: mGamePlay->BoardLeave(); break;
        case 3: mGamePlay->CellEnter(a[0], a[1]); break;
        case 4: mGamePlay->CellLeave(a[0], a[1]); break;
        case 5: mGamePlay->CellDown(a[0], a[1], a[2]); break;
        case 6: mGamePlay->BoardMouseUp(); break;
        case 7: mGamePlay->CellDrag(a[0], a[1], a[2], a[3]); break;
        default: break;
        }
    }
    mLastDispatchTick = Tick();
}

void GameScreen::RotateStart(bool animated)
{
    if (mGamePlay) {
        mGamePlay->ClearSelection();
        mGamePlay->BeginRotate(mBoard->GetQuarterTurns());
    }
    if (animated)
        PlaySound("SOUND_BOARD_ROTATE_START");
}

void GameScreen::RotateDone(bool animated)
{
    if (mGamePlay) {
        mGamePlay->Rotate(mBoard->GetQuarterTurns());
        mGamePlay->DoEvent(9, 0);
    }
    if (animated)
        PlaySound("SOUND_BOARD_ROTATE_DONE");
}

void GameScreen::SetFieldOffset(float angle, float scale)
{
    if (mGamePlay)
        mGamePlay->SetFieldOffset(angle, scale);
}

void GameScreen::SetFieldAlpha(float shown)
{
    if (mGamePlay)
        mGamePlay->SetFieldAlpha(shown);
    mTimerPanel->mAlpha = shown;
}

void GameScreen::MouseDownButton(int x, int y, int button, int clickCount)
{
    BaseScreen::MouseDownButton(x, y, button, clickCount);
    const int tick = Tick();
    if (!sLastClickKnown || sLastClickTick > tick) {
        sLastClickKnown = true;
        sLastClickTick = tick;
    }
    if (mState == kPlay && mGamePlay) {
        const int since = tick - sLastClickTick;
        if (since >= 1 && since <= kFastClickTicks) {
            mGamePlay->SetLocked(true);
            mTimerPanel->SetPaused(true);
        } else if (mGamePlay->IsLocked()) {
            SetPaused(false);
        }
    }
    sLastClickTick = tick;
    if (mGamePlay)
        mGamePlay->ResetInput(x, y, button);
}

void GameScreen::MouseUpAt(int x, int y)
{
    BaseScreen::MouseUpAt(x, y);
    if (mGamePlay)
        mGamePlay->BoardMouseUp();
}

void GameScreen::KeyDown(int key)
{
    if (mState != kPlay || !mGamePlay)
        return;
    if (key == kKeyEscape)
        ShowPauseWindow();
    else if (key == kKeyF1)
        ShowHelpWindow();
    if (mState != kPlay || !mGamePlay)
        return;

    if ((key == kKeyLeft || key == kKeyRight) && mBoard->mListener && mBoard->IsIdle() && !mBoard->IsRotating() &&
        !mGamePlay->HasBoardEffects())
        mBoard->RotateTo(mBoard->GetQuarterTurns() + (key == kKeyRight ? -1 : 1), true);
    mGamePlay->KeyDown(key);

    if (!mGamePlay || !mServices->CheatKeys())
        return;
    if (key >= '1' && key <= '5') {
        mBonusPanel->SetSlotProgress(key - '1', 1.0f, true);
    } else if (key == 'O') {
        mBonusPanel->SetGatesOpen(true, true);
    } else if (key == 'P') {
        mBonusPanel->SetGatesOpen(false, true);
    } else if (key == kKeyNumpadMinus) {
        mTimerPanel->SetTimeLeft(mTimerPanel->GetTimeLeft() - 10.0f);
    } else if (key == '0') {
        if (mExtraPanel->IsShown())
            mExtraPanel->Show(false, true);
        else
            OfferExtraPanel();
    } else if (key == 'H') {
        const Kivo::WidgetManager* manager = Kivo::GetWidgetHost()->GetWidgetManager();
        mServices->ShowHintAt("olvane", manager ? manager->mLastX : 0, manager ? manager->mLastY : 0);
        SetProfileInt("hints_mask1", 0);
        SetProfileInt("hints_mask2", 0);
        mServices->ResetHintWindow();
    } else if (key == 'Z') {
        mServices->ReloadSounds();
    }
}

void GameScreen::ButtonDepress(int id)
{
    switch (id) {
    case 0:
        if (mGamePlay && !mGamePlay->IsLocked())
            ShowPauseWindow();
        return;
    case 1:
        new FullscreenFadder(false, new CB_Callback<GameScreen, void>(this, &GameScreen::GoToTownScreen));
        return;
    case 2:
    case 3:
        if (mGamePlay && !mGamePlay->HasBoardEffects() && mBoard->mListener)
            mBoard->RotateTo(mBoard->GetQuarterTurns() + (id == 2 ? -1 : 1), true);
        return;
    case 4:
    case 5:
    case 6:
        if (mGamePlay && mGamePlay->GetEffectCount() == 0 && mBoard->IsIdle() && !mBoard->IsRotating() &&
            mGamePlay->IsActive()) {
            const int type = id - 3;
            if (type == mGamePlay->GetGameType())
                ShowHowToPlay(type);
            else
                SwitchGameMode(type);
        }
        return;
    default:
        break;
    }
    const int slot = id - BonusPanel::kFirstSlotId;
    if (slot < 0 || slot >= BonusPanel::kSlots || !mGamePlay || !mBoard->IsIdle() || mBoard->IsRotating() ||
        !mGamePlay->IsActive())
        return;
    if (mBonusPanel->GetSlotProgress(slot) < 1.0f) {
        const Kivo::WidgetManager* manager = Kivo::GetWidgetHost()->GetWidgetManager();
        const int mx = manager ? manager->mLastX : 0, my = manager ? manager->mLastY : 0;
        mGamePlay->ResetInput(mx, my, 1);
        return;
    }
    switch (slot) {
    case 1:
        mGamePlay->UseBonus(BonusSlotToKind(1), -330, -572);
        mBonusPanel->SetSlotProgress(1, 0.0f, true);
        break;
    case 4:
        mGamePlay->UseBonus(BonusSlotToKind(4), -570, -575);
        mBonusPanel->SetSlotProgress(4, 0.0f, true);
        break;
    default:
        mGamePlay->UseBonus(BonusSlotToKind(slot), -1, -1);
        break;
    }
}

void GameScreen::SetPaused(bool paused)
{
    if (!mGamePlay)
        return;
    if (paused) {
        mGamePlay->SetLocked(true);
        mTimerPanel->SetPaused(true);
        return;
    }
    mGamePlay->SetLocked(false);
    mBoard->Show(true, true);
    mFieldFrame->Show(true, true);
    mBonusPanel->Show(true, true);
    if (mGamePlay) {
        mGamePlay->DoEvent(2, 0);
        mGamePlay->DoEvent(5, 0);
    }
    mScorePanel->Show(true, true);
    mExtraPanel->Show(true, true);
    mTimerPanel->SetPaused(false);
}

void GameScreen::OnLevelDone()
{
    if (mState != kPlay)
        return;
    mState = kLevelDone;
    mTimerPanel->SetPaused(true);
    if (mGamePlay)
        mGamePlay->SetActive(false);
    mBonusPanel->SetGatesOpen(false, true);
    mExtraPanel->Show(false, true);
}

void GameScreen::ShowPauseWindow()
{
    if (mGamePlay)
        mGamePlay->SetLocked(true);
    mTimerPanel->SetPaused(true);
    const int result = mServices->ShowPause();
    if (result == 1) {
        LeaveWithFade(new CB_Callback<GameScreen, void>(this, &GameScreen::GoToMenuScreen));
        return;
    }
    if (result == 2)
        ShowHelpWindow();
    else
        SetPaused(false);
}

void GameScreen::ShowHelpWindow()
{
    if (mGamePlay)
        mGamePlay->SetLocked(true);
    mTimerPanel->SetPaused(true);
    mServices->ShowHelp();
    SetPaused(false);
}

void GameScreen::ShowHowToPlay(int gameType)
{
    if (mInHowToPlay)
        return;
    mInHowToPlay = true;
    if (mGamePlay)
        mGamePlay->SetActive(false);
    mServices->ShowHowToPlay(gameType);
    if (mGamePlay)
        mGamePlay->SetActive(true);
    mInHowToPlay = false;
}

void GameScreen::GoToUpgradeScreen()
{
    if (mStateManager)
        mStateManager->ChangeState(mStateManager->FindState("UpgradeScreen"));
}

void GameScreen::GoToTownScreen()
{
    if (mStateManager)
        mStateManager->PushState(mStateManager->FindState("TownScreen"));
}

void GameScreen::GoToMenuScreen()
{
    if (mStateManager)
        mStateManager->ChangeState(mStateManager->FindState("MenuScreen"));
}

void GameScreen::ExtraBonusWon(int kind)
{
    const int slot = BonusKindToSlot(kind);
    int x = 0, y = 0;
    if (!mBonusPanel->GetSlotCentre(slot, &x, &y))
        return;
    mEffects->addEffect(NewFlare(710, 90, static_cast<float>(x), static_cast<float>(y),
                                 new CB_Callback_P1<GameScreen, int, void>(this, slot, &GameScreen::OnExtraBonusFlown)));
}

void GameScreen::OnExtraBonusFlown(int slot)
{
    mBonusPanel->SetSlotProgress(slot, 1.0f, true);
    int x = 0, y = 0;
    if (mBonusPanel->GetSlotCentre(slot, &x, &y))
        AddEmitter(*mEffects, "bonus_ball_light", static_cast<float>(x), static_cast<float>(y));
    PlaySound("SOUND_BONUS_ACTIVATED_FROM_EXTRA");
    mNextOfferTick = Tick() + Kivo::RandomInt(6000, 8000);
}
