#pragma once
// The game's music: the list "properties/music.xml" read once into song
// numbers (0 the menu track, 1 to 4 the level tracks) and switched by
// cross-fading through the application's music interface. A track is loaded
// when it first plays, so start-up reads the menu track alone.
#include "framework/core/Singleton.h"

#include <string>

class MusicManager : public Singleton<MusicManager> {
public:
    // Every cross-fade moves the volume by this much per update (0.01 in
    // single precision), so a full fade takes about 100 updates.
    static constexpr double kFadeSpeed = double(0.01f);

    MusicManager();
    ~MusicManager() override = default;

    void PlayMenuMusic();
    // Levels 1, 5, 9, ... play track 1; 2, 6, ... track 2; and so on.
    // Level 0 plays the menu track.
    void PlayLevelMusic(int level);
    // The current song fades to silence but keeps running.
    void FadeOutMusic(float speed);
    // Continue resumes the song where it is; otherwise it starts over.
    void FadeInMusic(float speed, bool continuePlaying);

    int GetCurrentTrack() const { return mCurrentTrack; }

private:
    static constexpr int kTracks = 5;

    void SwitchTo(int track);

    int mCurrentTrack = -1;
    std::string mFiles[kTracks]; // empty: not in the list, or loaded already
};
