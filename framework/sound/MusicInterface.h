#pragma once
// Music by song number. This base is the interface used with sound off:
// every operation does nothing. An offset of -1 means no position.
#include <string>

namespace Kivo {

class MusicInterface {
public:
    virtual ~MusicInterface() = default;
    virtual bool LoadMusic(int song, const std::string& fileName) { return (void)song, (void)fileName, false; }
    virtual void PlayMusic(int song, int offset, bool noLoop) { (void)song, (void)offset, (void)noLoop; }
    virtual void StopMusic(int song) { (void)song; }
    virtual void PauseMusic(int song) { (void)song; }
    virtual void ResumeMusic(int song) { (void)song; }
    virtual void StopAllMusic() { }
    virtual void UnloadMusic(int song) { (void)song; }
    virtual void UnloadAllMusic() { }
    virtual void PauseAllMusic() { }
    virtual void ResumeAllMusic() { }
    virtual void FadeIn(int song, int offset, double speed, bool noLoop) { (void)song, (void)offset, (void)speed, (void)noLoop; }
    virtual void FadeOut(int song, bool stopSong, double speed) { (void)song, (void)stopSong, (void)speed; }
    virtual void FadeOutAll(bool stopSong, double speed) { (void)stopSong, (void)speed; }
    virtual void SetSongVolume(int song, double volume) { (void)song, (void)volume; }
    virtual void SetSongMaxVolume(int song, double maxVolume) { (void)song, (void)maxVolume; }
    virtual bool IsPlaying(int song) { return (void)song, false; }
    virtual void SetVolume(double volume) { (void)volume; }
    virtual void SetMusicAmplify(int song, double amplify) { (void)song, (void)amplify; }
    virtual void Update() { }
};

// The fade state every song of a library-backed interface keeps: a step > 0
// fades in up to the ceiling, a step < 0 fades out down to 0.
struct MusicFade {
    double volume = 0.0;
    double step = 0.0;
    double ceiling = 1.0;
    bool stopOnFade = false;

    enum class Result { Steady, Changed, FadedOut };
    // One update's worth of the fade. FadedOut when it reached 0 with
    // stop-on-fade set: the song must be stopped, then its level sent.
    Result Advance();
};

} // namespace Kivo
