#include "game/play/GameScreenServices.h"

#include "framework/app/KivoAppBase.h"
#include "framework/resources/ResourceHelpers.h"
#include "framework/sound/MusicManager.h"
#include "framework/sound/VoiceHelper.h"
#include "game/meta/Town.h"

// The windows, the hints and their how-to-play pages belong to the game's
// windows; until they are part of the game the screen plays on as if each
// window had been closed at once.
int GameScreenServices::ShowPause() { return 0; }
void GameScreenServices::ShowHelp() {}
void GameScreenServices::ShowHowToPlay(int /*gameType*/) {}
int GameScreenServices::ShowLevelCompleted1(int /*bricks*/, int /*bonus*/, int /*combo*/) { return 0; }
void GameScreenServices::ShowLevelCompleted2(int /*bricks*/, int /*bonus*/, int /*combo*/) {}
void GameScreenServices::ShowMessage(const std::string& /*text*/) {}
bool GameScreenServices::IsHintShown(const std::string& /*id*/) { return true; }
void GameScreenServices::SetHintShown(const std::string& /*id*/) {}
void GameScreenServices::ResetHintWindow() {}
void GameScreenServices::ShowHintAt(const std::string& /*id*/, int /*x*/, int /*y*/) {}

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
