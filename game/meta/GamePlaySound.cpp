#include "game/meta/GamePlaySound.h"

#include "framework/resources/ResourceHelpers.h"

void GamePlaySound::PlaySound(const std::string& id)
{
    if (playedThisTick.insert(id).second)
        PlaySoundById(id);
}

void GamePlaySound::PlaySoundDelayed(const std::string& id, int ticks)
{
    if (ticks < 1)
        PlaySound(id);
    else
        waiting.push_back({id, ticks});
}

void GamePlaySound::Update()
{
    // Sounds that fall due together still play once.
    std::vector<std::string> due;
    for (size_t i = 0; i < waiting.size();) {
        if (--waiting[i].ticks <= 0) {
            due.push_back(std::move(waiting[i].id));
            waiting.erase(waiting.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            ++i;
        }
    }
    for (const std::string& id : due)
        PlaySound(id);
    playedThisTick.clear();
}

void GamePlaySound::Clear()
{
    waiting.clear();
    playedThisTick.clear();
}
