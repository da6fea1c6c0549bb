#pragma once
// Music through the BASS library: each song is a stream (wav, ogg, mp3) or
// a module (any other extension) made from the whole file in memory.
#include "framework/sound/MusicInterface.h"
#include "platform/win32/WinTypes.h"

#include <map>
#include <vector>

namespace Kivo {

class BASS_INSTANCE;

class BassMusicInterface : public MusicInterface {
public:
    struct MusicInfo : MusicFade {
        DWORD mHMusic = 0;
        DWORD mHStream = 0;
        // The file a stream plays from; it must live as long as the stream.
        std::vector<uint8_t> mData;
        DWORD GetHandle() const { return mHMusic ? mHMusic : mHStream; }
    };

    explicit BassMusicInterface(HWND window);
    ~BassMusicInterface() override;

    bool LoadMusic(int song, const std::string& fileName) override;
    void PlayMusic(int song, int offset, bool noLoop) override;
    void StopMusic(int song) override;
    void PauseMusic(int song) override;
    void ResumeMusic(int song) override;
    void StopAllMusic() override;
    void UnloadMusic(int song) override;
    void UnloadAllMusic() override;
    void PauseAllMusic() override;
    void ResumeAllMusic() override;
    void FadeIn(int song, int offset, double speed, bool noLoop) override;
    void FadeOut(int song, bool stopSong, double speed) override;
    void FadeOutAll(bool stopSong, double speed) override;
    void SetSongVolume(int song, double volume) override;
    void SetSongMaxVolume(int song, double maxVolume) override;
    bool IsPlaying(int song) override;
    void SetVolume(double volume) override;
    void SetMusicAmplify(int song, double amplify) override;
    void Update() override;

    std::map<int, MusicInfo> mMusicMap;
    double mVolume = 1.0;
    DWORD mMusicLoadFlags = 0x204;

private:
    MusicInfo* Find(int song);
    void SendVolume(const MusicInfo& info);
    void Free(MusicInfo& info);
    // Plays from `offset` as PlayMusic and FadeIn both do.
    void Start(MusicInfo& info, int offset, bool noLoop, DWORD musicFlags);

    BASS_INSTANCE* mBass;
};

} // namespace Kivo
