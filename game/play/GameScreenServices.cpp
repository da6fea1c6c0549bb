#include "game/play/GameScreenServices.h"

#include "framework/app/KivoAppBase.h"
#include "framework/resources/ResourceHelpers.h"
#include "framework/sound/MusicManager.h"
#include "framework/sound/VoiceHelper.h"
#include "game/meta/HintsHelper.h"
#include "game/meta/Town.h"
#include "game/meta/WindowHelp.h"
#include "game/meta/WindowHowToPlay.h"
#include "game/meta/WindowLevelCompleted1.h"
#include "game/meta/WindowLevelCompleted2.h"
#include "game/meta/WindowMessage.h"
#include "game/meta/WindowPause.h"

int GameScreenServices::ShowPause() { return ShowWindowAnimated(WindowPause::Instance(), true); }
void GameScreenServices::ShowHelp() { ShowWindowAnimated(WindowHelp::Instance(), true); }
void GameScreenServices::ShowHowToPlay(int gameType)
{
    WindowHowToPlay* window = WindowHowToPlay::Instance();
    window->mGameType = gameType;
    ShowWindowAnimated(window, true);
}
int GameScreenServices::ShowLevelCompleted1(int bricks, int bonus, int combo)
{
    WindowLevelCompleted1* window = WindowLevelCompleted1::Instance();
    window->SetScores(bricks, bonus, combo);
    return ToggleWindow(window, WINDOW_EFFECT_APPEAR_ALPHA, WINDOW_EFFECT_DISAPPEAR_ALPHA);
}
void GameScreenServices::ShowLevelCompleted2(int bricks, int bonus, int combo)
{
    WindowLevelCompleted2* window = WindowLevelCompleted2::Instance();
    window->SetScores(bricks, bonus, combo);
    ShowWindowAnimated(window, true);
}
void GameScreenServices::ShowMessage(const std::string& text) { ShowGameMessage(text); }
bool GameScreenServices::IsHintShown(const std::string& id) { return HintsHelper::Instance()->IsHintShown(id); }
void GameScreenServices::SetHintShown(const std::string& id) { HintsHelper::Instance()->SetHintShown(id); }
void GameScreenServices::ResetHintWindow() { HintsHelper::Instance()->ResetHintWindow(); }
void GameScreenServices::ShowHintAt(const std::string& id, int x, int y)
{
    HintsHelper::Instance()->ShowHintWindow(id, x, y, 0);
    HintsHelper::Instance()->ClearHintShown(id);
}

void GameScreenServices::AgeBuildingAnimations() { Town::AgeBuildingAnimations(); }
int GameScreenServices::BuiltBuildings() { return Town::GetBuiltCount(); }

void GameScreenServices::PlaySound(const std::string& id) { PlaySoundById(id); }
void GameScreenServices::PlayVoice(const std::string& id) { VoiceHelper::Instance()->PlayVoiceByName(id); }
void GameScreenServices::PlayLevelMusic(int level) { MusicManager::Instance()->PlayLevelMusic(level); }
void GameScreenServices::FadeOutMusic(float speed) { MusicManager::Instance()->FadeOutMusic(speed); }
void GameScreenServices::FadeInMusic(float speed, bool continuePlaying)
{
    MusicManager::Instance()->FadeInMusic(speed, continuePlaying);
}
void GameScreenServices::ReloadSounds() { LoadSoundsGroup(); }

bool GameScreenServices::CheatKeys() { return Kivo::gKivoApp && Kivo::gKivoApp->GetBoolean("cheat_keys", false); }
std::string GameScreenServices::Text(const char* id) { return GetStringById(id); }
