// The game screen's stored game: the progress record, one stored board per
// game type, and the change of mode in play that carries the board over.
#include "game/play/GameScreen.h"

#include "framework/core/Buffer.h"
#include "game/effects/GfxManager.h"
#include "game/match/BoardRender.h"
#include "game/match/BrickHelper.h"
#include "game/match/Grid.h"
#include "game/match/IGamePlay.h"
#include "game/match/LevelMap.h"
#include "game/play/BonusPanel.h"
#include "game/play/GameScreenEffects.h"
#include "game/play/GameScreenServices.h"
#include "game/play/StoredGame.h"
#include "game/play/TimerPanel.h"
#include "game/profiles/ProfileManager.h"
#include "game/ui/Callback.h"

namespace {
const char* const kProgressKey = "game_progress";

Profile* CurrentProfile()
{
    ProfileManager* profiles = ProfileManager::Existing();
    return profiles ? profiles->profile : nullptr;
}

int Side() { return Grid::Instance()->GetCellCount(); }
} // namespace

bool GameScreen::SaveProgress()
{
    GameProgress progress;
    for (int slot = 0; slot < kProgressSlots; ++slot)
        progress.slots[slot] = mBonusPanel->GetSlotProgress(slot);
    progress.total = mTimerPanel->GetTotal();
    progress.timeLeft = mTimerPanel->GetTimeLeft();
    Kivo::Buffer blob;
    WriteProgress(blob, progress);
    if (Profile* profile = CurrentProfile())
        profile->SetBuffer(kProgressKey, &blob);
    return true;
}

bool GameScreen::LoadProgress()
{
    for (int slot = 0; slot < kProgressSlots; ++slot)
        mBonusPanel->SetSlotProgress(slot, 0.0f, false);
    mTimerPanel->Restart(true);
    Profile* profile = CurrentProfile();
    Kivo::Buffer* blob = profile ? profile->GetBuffer(kProgressKey) : nullptr;
    if (!blob)
        return false;
    GameProgress progress;
    int valuesRead = 0;
    const bool whole = ReadProgress(*blob, progress, valuesRead);
    for (int slot = 0; slot < kProgressSlots && slot < valuesRead; ++slot)
        mBonusPanel->SetSlotProgress(slot, progress.slots[slot], false);
    // A level has time: a total of 0 keeps the fresh timer.
    if (valuesRead > kProgressSlots + 1 && progress.total > 0) {
        mTimerPanel->SetTotal(progress.total);
        mTimerPanel->SetTimeLeft(progress.timeLeft);
    }
    if (!whole)
        profile->SetBuffer(kProgressKey, nullptr);
    return whole;
}

void GameScreen::StoreGame()
{
    Profile* profile = CurrentProfile();
    // Once the level has advanced, the board left is the won one: the next
    // level must start from its file.
    if (!profile || !mGamePlay || mLevelAdvanced)
        return;
    LevelMap field(Side(), Side());
    mGamePlay->StoreLevelMap(field);
    const int rotation = mGamePlay->GetRotation();
    TurnMap(field, rotation);
    std::vector<int> colours;
    mGamePlay->GetColors(colours);
    Kivo::Buffer blob;
    if (!WriteStoredGame(blob, field, rotation, colours, mLevelMap.get()))
        return;
    profile->SetBuffer(FormatStoredGameFieldKey(GetProfileInt("game_type")), &blob);
}

bool GameScreen::RestoreGame()
{
    Profile* profile = CurrentProfile();
    if (!profile || !mGamePlay)
        return false;
    Kivo::Buffer* blob = profile->GetBuffer(FormatStoredGameFieldKey(GetProfileInt("game_type")));
    if (!blob)
        return false;
    StoredGame game;
    switch (ReadStoredGame(*blob, Side(), game)) {
    case StoredGameRead::NoField:
        return false;
    case StoredGameRead::Broken:
        ClearStoredField();
        return false;
    case StoredGameRead::Ok:
        break;
    }
    mLevelMap = std::move(game.levelMap);
    mGamePlay->SetColors(game.colours);
    mGamePlay->LoadLevelMap(*game.field);
    mBoard->ResetRotation();
    mBoard->RotateTo(game.rotation, false);
    return true;
}

void GameScreen::ClearStoredField()
{
    if (Profile* profile = CurrentProfile())
        profile->SetBuffer(FormatStoredGameFieldKey(GetProfileInt("game_type")), nullptr);
}

void GameScreen::SwitchGameMode(int gameType)
{
    if (!mGamePlay)
        return;
    StoreGame();
    const int r0 = mGamePlay->GetRotation();
    LevelMap m0(Side(), Side());
    mGamePlay->StoreLevelMap(m0);
    std::vector<int> k0;
    mGamePlay->GetColors(k0);
    const int chipset = GetProfileInt("game_chipset");

    DeleteGamePlay();
    mGamePlay = CreateGamePlay(gameType);
    if (!mGamePlay) {
        mStartFailed = true;
        return;
    }
    SetProfileInt("game_type", mGamePlay->GetGameType());

    if (RestoreGame()) {
        // The new mode's stored board gives the brick colours; everything
        // else comes from the board being left.
        const int r1 = mGamePlay->GetRotation();
        LevelMap m1(Side(), Side());
        mGamePlay->StoreLevelMap(m1);
        TurnMap(m0, r0);
        TurnMap(m1, r1);
        MergeStoredBoard(m1, m0);
        mGamePlay->LoadLevelMap(m1);
        TurnMap(m0, 4 - r0);
    } else {
        // Never played in this level: the level file's fixed colours stay,
        // the rest is drawn anew from the same colour set. The comparison
        // with the level file's map is made in its orientation.
        auto fileOriented = m0.Clone();
        TurnMap(*fileOriented, r0);
        auto board = RandomisedBoard(*fileOriented, mLevelMap.get(), k0);
        std::vector<int> colours;
        const int count = mGamePlay->GetGameType() == 1 ? 6 : 5;
        if (!BrickHelper::Instance()->PickLevelColours(colours, count, chipset) || colours.empty())
            LevelColours(colours, count);
        mGamePlay->SetColors(colours);
        mGamePlay->PrepareLevelMap(*board);
        mGamePlay->LoadLevelMap(*board);
    }
    mBoard->ResetRotation();
    mBoard->RotateTo(r0, false);
    LevelMap n(Side(), Side());
    mGamePlay->StoreLevelMap(n);
    PlayModeSwitch(m0, n);
}

void GameScreen::PlayModeSwitch(const LevelMap& oldMap, const LevelMap& newMap)
{
    if (mGamePlay) {
        mGamePlay->DoEvent(0, 0);
        mGamePlay->DoEvent(10, 1.5f);
    }
    mEffects->addEffect(
        NewModeSwitch(oldMap, newMap, new CB_Callback<GameScreen, void>(this, &GameScreen::OnModeSwitchDone)));
    AddEmitter(*mEffects, "game_mode_switch", 400, 265);
    AnnounceGameMode(0.6f, true);
    PlaySound("SOUND_GAMEMODE_CHANGE");
}

void GameScreen::OnModeSwitchDone()
{
    if (!mGamePlay)
        return;
    mGamePlay->DoEvent(1, 0);
    mGamePlay->DoEvent(7, 0);
}
