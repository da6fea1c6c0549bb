#pragma once
// Named sounds played at most once per update tick, and sounds that wait a
// number of update ticks before they play.
#include <set>
#include <string>
#include <vector>

class GamePlaySound {
public:
    GamePlaySound() = default;
    virtual ~GamePlaySound() = default;

    // Plays now unless the sound already played this tick.
    void PlaySound(const std::string& id);
    // Below 1 tick plays at once, else waits that many update ticks.
    void PlaySoundDelayed(const std::string& id, int ticks);
    // Counts the delays down, plays the sounds that are due and forgets
    // what played this tick.
    void Update();
    // Drops the waiting sounds and forgets what played this tick.
    void Clear();

    struct Waiting {
        std::string id;
        int ticks;
    };
    std::vector<Waiting> waiting;
    std::set<std::string> playedThisTick;
};
