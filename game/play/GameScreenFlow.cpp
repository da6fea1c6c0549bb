// The game screen's update and the flow of a level: the timer, the extra
// panel's offers, the entrances, both level ends and the start of a level.
#include "game/play/GameScreen.h"

#include "framework/core/Random.h"
#include "framework/widgets/WidgetManager.h"
#include "game/effects/GfxDelay.h"
#include "game/effects/GfxManager.h"
#include "game/match/BoardRender.h"
#include "game/match/BrickHelper.h"
#include "game/match/GameBackground.h"
#include "game/match/Grid.h"
#include "game/match/IGamePlay.h"
#include "game/match/LevelFile.h"
#include "game/match/LevelMap.h"
#include "game/play/BonusPanel.h"
#include "game/play/ExtraPanel.h"
#include "game/play/FieldFrame.h"
#include "game/play/GameScreenEffects.h"
#include "game/play/GameScreenServices.h"
#include "game/play/ScorePanel.h"
#include "game/play/TimerPanel.h"
#include "game/profiles/ProfileManager.h"
#include "game/ui/Callback.h"

#include <algorithm>

namespace {
constexpr float kLevelSeconds = 300.0f;
constexpr float kWarningSeconds = 41.0f;
constexpr int kIdleTicks = 1000;
constexpr int kStartTries = 10;
constexpr int kOfferColourDraws = 50;
constexpr float kOfferReadyBelow = 0.9f;

int NextOfferDelay() { return Kivo::RandomInt(6000, 8000); }

const char* ModeHintId(int gameType)
{
    switch (gameType) {
    case 1: return "gamemode_swap";
    case 2: return "gamemode_group";
    case 3: return "gamemode_chain";
    default: return nullptr;
    }
}

template <class F>
baseCallback* Call(GameScreen* screen, F method)
{
    return new CB_Callback<GameScreen, void>(screen, method);
}

// A stored call that plays a sound or voice line through the screen's
// services.
class PlayLater : public baseCallback {
public:
    PlayLater(GameScreenServices* services, std::string id, bool voice) : mServices(services), mId(std::move(id)), mVoice(voice) {}
    void Invoke() override { mVoice ? mServices->PlayVoice(mId) : mServices->PlaySound(mId); }
    baseCallback* Clone() override { return new PlayLater(*this); }

private:
    GameScreenServices* mServices;
    std::string mId;
    bool mVoice;
};

class BlackboardLater : public baseCallback {
public:
    explicit BlackboardLater(BoardRender* board) : mBoard(board) {}
    void Invoke() override { mBoard->ShowBlackboard(true, true); }
    baseCallback* Clone() override { return new BlackboardLater(*this); }

private:
    BoardRender* mBoard;
};

template <class W>
class HideLater : public baseCallback {
public:
    explicit HideLater(W* widget) : mWidget(widget) {}
    void Invoke() override { mWidget->Show(false, true); }
    baseCallback* Clone() override { return new HideLater(*this); }

private:
    W* mWidget;
};
} // namespace

bool GameScreen::BoardBlocked() const
{
    Kivo::WidgetManager* manager = mManager;
    return manager && manager->mBaseModalWidget && (manager->mBelowModalMod.mRemoveFlags & Kivo::WIDGETFLAGS_ALLOW_MOUSE) &&
           manager->IsBelow(mBoard, manager->mBaseModalWidget);
}

bool GameScreen::Quiet() const
{
    const bool boardBusy = mBoard->IsRotating() || mBoard->mShown.IsMoving() || mBoard->mBlackboard.IsMoving();
    return mGamePlay && !mGamePlay->IsLocked() && mGamePlay->GetEffectCount() == 0 && !boardBusy && mEffects->empty();
}

void GameScreen::ShowPanels(bool show, bool animate)
{
    mBoard->Show(show, animate);
    mFieldFrame->Show(show, animate);
    mBonusPanel->Show(show, animate);
    mScorePanel->Show(show, animate);
    mExtraPanel->Show(show, animate);
}

void GameScreen::StartFailed()
{
    mStartFailed = false;
    mServices->ShowMessage(mServices->Text("message_level_load_failed").empty()
                               ? std::string("The level could not be loaded.")
                               : mServices->Text("message_level_load_failed"));
    LeaveWithFade(Call(this, &GameScreen::GoToMenuScreen));
}

void GameScreen::Update()
{
    BaseScreen::Update();
    DispatchBoardEvents();
    if (mStartFailed)
        StartFailed();
    if (!mGamePlay) {
        // No level: nothing of play may tick.
        mEffects->processEffects();
        return;
    }

    const bool boardBusy = mBoard->IsRotating() || mBoard->mShown.IsMoving() || mBoard->mBlackboard.IsMoving();
    if (mGamePlay->IsLocked() && mGamePlay->GetEffectCount() == 0 && !boardBusy && mEffects->empty()) {
        mBoard->Show(false, true);
        mFieldFrame->Show(false, true);
        mBonusPanel->Show(false, true);
        mGamePlay->DoEvent(3, 0);
        mGamePlay->DoEvent(6, 0);
        mScorePanel->Show(false, true);
        mExtraPanel->Show(false, true);
    }

    // Under a window the rules opened in their own update (a hint) the
    // board plays on, but the level's end and its time out wait for the
    // window to close: run inside that update they would replace the rules'
    // object while its update still runs, and leave the window open under
    // the next screen.
    const bool flowMayMove = !mInPlayUpdate;
    if (flowMayMove && mState == kLevelDone && mGamePlay->GetEffectCount() == 0) {
        if (GetProfileInt("score_level_bonusgame") == 0) {
            mState = kLevelWon;
            mGamePlay->SetActive(false);
            mGamePlay->SetLocked(true);
            mGamePlay->DoEvent(11, 0);
            mEffects->addEffect(new GfxDelay(5.5f, new BlackboardLater(mBoard)));
            mEffects->addEffect(new GfxDelay(5.5f, new PlayLater(mServices, "SOUND_WINDOW_DESK_SHOW", false)));
            mEffects->addEffect(new GfxDelay(6.0f, Call(this, &GameScreen::FinishLevel)));
        } else {
            mState = kBonusGameWon;
            mGamePlay->SetActive(false);
            mGamePlay->DoEvent(12, 0);
            mEffects->addEffect(new GfxDelay(4.4f, new HideLater<BoardRender>(mBoard)));
            mEffects->addEffect(new GfxDelay(4.4f, new HideLater<FieldFrame>(mFieldFrame)));
            mEffects->addEffect(new GfxDelay(4.4f, new HideLater<BonusPanel>(mBonusPanel)));
            mEffects->addEffect(new GfxDelay(4.4f, new HideLater<ScorePanel>(mScorePanel)));
            mEffects->addEffect(new GfxDelay(5.4f, Call(this, &GameScreen::FinishBonusGame)));
        }
        mServices->FadeOutMusic(0.005f);
    }

    // No time passes while a window keeps the player from the board.
    mTimerPanel->SetHeld(BoardBlocked());
    const bool timerRuns = !mTimerPanel->IsStopped();
    const float timeLeft = mTimerPanel->GetTimeLeft();
    if (timerRuns && timeLeft < kWarningSeconds && Tick() % 100 == 0 && timeLeft > 0)
        PlaySound("SOUND_TIMER_TICK");
    if (!mTimerWarningGiven && timerRuns && timeLeft < kWarningSeconds) {
        mTimerWarningGiven = true;
        PlaySound("SOUND_TIMER_WARNING");
        mGamePlay->DoEvent(7, 0);
        mEffects->addEffect(
            new GfxDelay(1.0f, new PlayLater(mServices, Kivo::RandomInt(0, 1) == 0 ? "VOICE_TIMER1" : "VOICE_TIMER2", true)));
    }
    if (timeLeft <= 0 && mState == kPlay) {
        mState = kTimeOut;
        mServices->FadeOutMusic(0.005f);
        PlaySound("SOUND_TIMER_OUT");
    }
    if (flowMayMove && mState == kTimeOut && mGamePlay->GetEffectCount() == 0) {
        mState = kTimeOutDue;
        mGamePlay->SetLocked(true);
        ShowTimeOutMessage();
        if (!mGamePlay)
            return;
    }

    if (mGamePlay->IsLocked() || mExtraPanel->IsShown())
        ++mNextOfferTick;
    if (Tick() > mNextOfferTick) {
        OfferExtraPanel();
        mNextOfferTick = Tick() + NextOfferDelay();
    }

    if (Quiet() && Tick() != mLastDispatchTick && (Tick() - mLastDispatchTick) % kIdleTicks == 0)
        mGamePlay->DoEvent(7, 0);

    // Not while the screen fades out (after a won level the next one is
    // ready and quiet under the fade): the window would open over the
    // screen that follows.
    if (Quiet() && !mClosing) {
        const int type = mGamePlay->GetGameType();
        for (int t : {3, 1, 2}) {
            if (t != type || mServices->IsHintShown(ModeHintId(t)))
                continue;
            mServices->SetHintShown(ModeHintId(t));
            ShowHowToPlay(t);
            break;
        }
    }

    if (mGamePlay) {
        const bool outer = mInPlayUpdate;
        mInPlayUpdate = true;
        mGamePlay->Update();
        mInPlayUpdate = outer;
    }
    mEffects->processEffects();
}

void GameScreen::OnEnter()
{
    if (mGamePlay)
        mGamePlay->DoEvent(0, 0);
    mFieldFrame->Reset();
    mExtraPanel->Reset();
    ShowPanels(false, false);
    mUpdateCount = 0;
    mLastDispatchTick = 0;
    mNextOfferTick = NextOfferDelay();
    mBackground->mPulse.mCurrent = mBackground->mPulse.mTarget = 0;
    mTimerPanel->SetPaused(true);
    mTimerPanel->SetVisible(false);
    mTimerWarningGiven = false;
    mEffects->addEffect(new GfxDelay(1.0f, NewBoardAppear(Call(this, &GameScreen::OnBoardAppeared))));
    mServices->PlayLevelMusic(GetProfileInt("game_current_level") + 1);
    mBackground->ChooseBackground(mServices->BuiltBuildings());
    mServices->ResetHintWindow();
}

void GameScreen::OnBoardAppeared()
{
    mBoard->Show(true, false);
    mBoard->ShowBlackboard(false, false);
    mFieldFrame->Show(true, false);
    mBonusPanel->Show(true, true);
    mBonusPanel->SetGatesOpen(true, true);
    mScorePanel->Show(true, true);
    mTimerPanel->SetPaused(false);
    mTimerPanel->SetVisible(true);
    if (!mGamePlay)
        return;
    if (mGamePlay->IsLocked()) {
        OnBricksAppeared();
        if (mGamePlay) {
            mGamePlay->SetLocked(true);
            mTimerPanel->SetPaused(true);
        }
        return;
    }
    LevelMap map(Grid::Instance()->GetCellCount(), Grid::Instance()->GetCellCount());
    mGamePlay->StoreLevelMap(map);
    mGamePlay->DoEvent(0, 0);
    mGamePlay->DoEvent(4, 0);
    mGamePlay->DoEvent(2, 0);
    mEffects->addEffect(NewBricksAppear(map, Call(this, &GameScreen::OnBricksAppeared)));
}

void GameScreen::OnBricksAppeared()
{
    if (!mGamePlay)
        return;
    mGamePlay->DoEvent(1, 0);
    if (mLevelDoneArmed) {
        AnnounceGameMode(0, true);
        mGamePlay->DoEvent(7, 0);
    }
}

void GameScreen::AnnounceGameMode(float delay, bool withVoice)
{
    const int type = mGamePlay ? mGamePlay->GetGameType() : GetProfileInt("game_type");
    const char* text = type == 3 ? "game_gfx_text_chainmode" : type == 2 ? "game_gfx_text_groupmode" : "game_gfx_text_swapmode";
    const char* voice = type == 3 ? "VOICE_CHAIN_MODE" : type == 2 ? "VOICE_GROUP_MODE" : "VOICE_SWAP_MODE";
    gfxBase* title = NewSwirlText(mServices->Text(text), 400, 300);
    if (delay > 0)
        mEffects->addEffect(new GfxDelay(delay, title));
    else
        mEffects->addEffect(title);
    if (!withVoice)
        return;
    if (delay > 0)
        mEffects->addEffect(new GfxDelay(delay, new PlayLater(mServices, voice, true)));
    else
        mServices->PlayVoice(voice);
}

void GameScreen::OfferExtraPanel()
{
    if (mExtraPanel->IsShown() || !mGamePlay || mGamePlay->IsLocked() || !mGamePlay->IsActive()) {
        mNextOfferTick = Tick() + NextOfferDelay();
        return;
    }
    std::vector<int> candidates;
    for (int slot = 0; slot < BonusPanel::kSlots; ++slot)
        if (mBonusPanel->GetSlotProgress(slot) < kOfferReadyBelow)
            candidates.push_back(slot);
    if (candidates.empty()) {
        mNextOfferTick = Tick() + NextOfferDelay();
        return;
    }
    const int slot = candidates[static_cast<size_t>(Kivo::RandomIndex(static_cast<int>(candidates.size())))];
    std::vector<int> colours;
    mGamePlay->GetColors(colours);
    if (colours.empty())
        return;
    int colour = 0;
    bool found = false;
    for (int draw = 0; draw < kOfferColourDraws && !found; ++draw) {
        colour = colours[static_cast<size_t>(Kivo::RandomIndex(static_cast<int>(colours.size())))];
        found = ColourToBonusSlot(colour) != slot;
    }
    if (!found)
        return;
    mExtraPanel->mColour = colour;
    mExtraPanel->mBonusKind = BonusSlotToKind(slot);
    mExtraPanel->Show(true, true);
    PlaySound("SOUND_SHOW_EXTRA_PANEL");
}

void GameScreen::ShowTimeOutMessage()
{
    mState = kTimeOutShowing;
    const bool inBonus = GetProfileInt("score_level_bonusgame") != 0;
    mServices->FadeOutMusic(0.005f);
    mServices->ShowMessage(mServices->Text(inBonus ? "message_game_time_out_in_bonus_game" : "message_game_time_out"));
    if (!inBonus) {
        mBoard->ResetRotation();
        ClearStoredGame();
        DeleteGamePlay();
        if (StartGame())
            SetPaused(false);
        mServices->FadeInMusic(0.005f, true);
        return;
    }
    NextLevel();
    LeaveForUpgrade();
}

void GameScreen::LeaveForUpgrade() { LeaveWithFade(Call(this, &GameScreen::GoToUpgradeScreen)); }

void GameScreen::FinishLevel()
{
    mServices->FadeInMusic(0.01f, false);
    mExtraPanel->Show(false, true);
    const int total = GetProfileInt("score_total");
    const int bricks = GetProfileInt("score_level_bricks");
    const int bonus = GetProfileInt("score_level_bonus");
    const int combo = GetProfileInt("score_level_combo");
    const int sum = bricks + bonus + combo;
    const int result = mServices->ShowLevelCompleted1(bricks, bonus, combo);
    mServices->AgeBuildingAnimations();
    if (result == 1 && mGamePlay) {
        GiveLevelDoneCall(mGamePlay, NewLevelDoneCall());
        SetProfileInt("score_total", total + sum);
        SetProfileInt("score_level_bricks", 0);
        SetProfileInt("score_level_bonus", 0);
        SetProfileInt("score_level_combo", 0);
        SetProfileInt("score_level_bonusgame", sum / 5 + 10);
        mGamePlay->SetActive(true);
        mGamePlay->SetLocked(false);
        mBoard->ShowBlackboard(false, true);
        mState = kPlay;
        mBonusPanel->SetGatesOpen(true, true);
        mTimerPanel->SetTotal(kLevelSeconds);
        mTimerPanel->SetTimeLeft(kLevelSeconds);
        mTimerWarningGiven = false;
        mTimerPanel->SetPaused(false);
        if (GetProfileInt("progress_type") == 1)
            AddEmitter(*mEffects, "timer_reset", 390, 23);
        LevelMap map(Grid::Instance()->GetCellCount(), Grid::Instance()->GetCellCount());
        mGamePlay->StoreLevelMap(map);
        mEffects->addEffect(NewBricksAppear(map, Call(this, &GameScreen::OnBricksAppeared)));
        return;
    }
    // The level's points, the level ints and the next level reach the
    // profile in one step, so that a won board is never kept together with
    // points already counted.
    SetProfileInt("score_total", total + sum);
    ClearStoredGame();
    SetProfileInt("game_current_level", GetProfileInt("game_current_level") + 1);
    mLevelAdvanced = true;
    ShowPanels(false, true);
    AfterDelay(1.0f, Call(this, &GameScreen::StartPreparedLevel));
    AfterDelay(1.0f, Call(this, &GameScreen::LeaveForUpgrade));
}

void GameScreen::FinishBonusGame()
{
    ShowPanels(false, true);
    mState = kBonusGameWon;
    mServices->FadeInMusic(0.01f, false);
    const int bricks = GetProfileInt("score_level_bricks");
    const int bonus = GetProfileInt("score_level_bonus");
    const int combo = GetProfileInt("score_level_combo");
    const int bonusGame = GetProfileInt("score_level_bonusgame");
    SetProfileInt("score_total", GetProfileInt("score_total") + bricks + bonus + combo + bonusGame);
    mServices->ShowLevelCompleted2(bricks, bonus + bonusGame, combo);
    NextLevel();
    mServices->AgeBuildingAnimations();
    LeaveForUpgrade();
}

bool GameScreen::StartGame()
{
    mLevelAdvanced = false;
    DeleteGamePlay();
    mGamePlay = CreateGamePlay(GetProfileInt("game_type"));
    mState = kPlay;
    if (mGamePlay) {
        if (RestoreGame())
            return true;
        for (int i = 0; i < kStartTries; ++i)
            if (StartNewLevel())
                return true;
    }
    // No level: the screen must not play on an empty field.
    DeleteGamePlay();
    mStartFailed = true;
    return false;
}

void GameScreen::NextLevel()
{
    ClearStoredGame();
    SetProfileInt("game_current_level", GetProfileInt("game_current_level") + 1);
    StartPreparedLevel();
}

void GameScreen::StartPreparedLevel()
{
    mBoard->ResetRotation();
    DeleteGamePlay();
    StartGame();
    mBoard->Show(false, false);
}

void GameScreen::LevelColours(std::vector<int>& colours, int count)
{
    const int set = BrickHelper::Instance()->PickRandomColourSet(colours, count);
    if (set >= 0 && !colours.empty()) {
        SetProfileInt("game_chipset", set);
        return;
    }
    // No colour sets: any of the ten colours.
    std::vector<int> all = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    colours.clear();
    for (int i = 0; i < count; ++i) {
        const size_t pick = static_cast<size_t>(Kivo::RandomIndex(static_cast<int>(all.size())));
        colours.push_back(all[pick]);
        all.erase(all.begin() + static_cast<std::ptrdiff_t>(pick));
    }
    std::sort(colours.begin(), colours.end());
    SetProfileInt("game_chipset", 0);
}

bool GameScreen::StartNewLevel()
{
    mBoard->ResetRotation();
    ClearStoredGame();
    mTimerPanel->SetTotal(kLevelSeconds);
    mTimerPanel->Restart(true);
    mTimerPanel->SetPaused(false);
    mTimerWarningGiven = false;
    mLevelMap.reset();
    std::unique_ptr<LevelMap> map;
    if (!mGamePlay || !LoadLevel(map, GetProfileInt("game_current_level")) || !map)
        return false;
    mLevelMap = map->Clone();
    std::vector<int> colours;
    LevelColours(colours, mGamePlay->GetGameType() == 1 ? 6 : 5);
    mGamePlay->SetColors(colours);
    mGamePlay->PrepareLevelMap(*map);
    mGamePlay->LoadLevelMap(*map);
    return true;
}
