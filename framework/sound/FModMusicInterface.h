#pragma once
// Music through the FMOD library: songs are modules (FMUSIC) or samples
// played on the FSOUND channel numbered like the song. The library is set up
// by the sound manager, not here.
#include "framework/sound/MusicInterface.h"
#include "platform/music/Fmod.h"
#include "platform/win32/WinTypes.h"

#include <map>

namespace Kivo {

class FMOD_INSTANCE;

class FModMusicInterface : public MusicInterface {
public:
    struct MusicInfo : MusicFade {
        FSOUND_SAMPLE* mHSample = nullptr;
        FMUSIC_MODULE* mHMusic = nullptr;
        bool mLoopSample = false;
    };

    explicit FModMusicInterface(HWND window);
    ~FModMusicInterface() override;

    bool LoadMusic(int song, const std::string& fileName) override;
    void PlayMusic(int song, int offset, bool noLoop) override;
    void StopMusic(int song) override;
    void PauseMusic(int song) override;
    void ResumeMusic(int song) override;
    void StopAllMusic() override;
    void FadeIn(int song, int offset, double speed, bool noLoop) override;
    void FadeOut(int song, bool stopSong, double speed) override;
    void FadeOutAll(bool stopSong, double speed) override;
    void SetSongVolume(int song, double volume) override;
    bool IsPlaying(int song) override;
    void SetVolume(double volume) override;
    void Update() override;
    // An intro followed by a loop, joined into one sample that repeats the loop part.
    virtual bool LoadSampleMusic(int song, const std::string& introFile, const std::string& loopFile, bool loop);
    virtual bool LoadSingleSampleMusic(int song, const std::string& fileName, bool loop);

    std::map<int, MusicInfo> mMusicMap;
    double mVolume = 1.0;
    int mMusicVolumeScale = 100;
    int mSampleVolumeScale = 100;

private:
    MusicInfo* Find(int song);
    void SendVolume(int song, const MusicInfo& info);
    void Stop(int song, const MusicInfo& info);

    FMOD_INSTANCE* mFMod;
};

} // namespace Kivo
