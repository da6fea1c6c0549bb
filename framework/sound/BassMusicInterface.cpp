#include "framework/sound/BassMusicInterface.h"

#include "framework/core/Strings.h"
#include "framework/sound/MusicLibraries.h"
#include "framework/sound/SoundFiles.h"
#include "framework/sound/SystemVolume.h"

#include <algorithm>

namespace Kivo {

BassMusicInterface::BassMusicInterface(HWND window) : mBass(LoadBassDLL())
{
    if (!mBass)
        return;
    // Starting the library may change the system's wave volume: put it back.
    WaveOutVolume waveOut;
    DWORD saved = waveOut.Get();
    mBass->BASS_Init(1, 44100, 0, window, nullptr);
    if (mBass->BASS_SetConfig)
        mBass->BASS_SetConfig(BASS_CONFIG_BUFFER, 2000);
    waveOut.Set(saved);
    mBass->BASS_Start();
}

BassMusicInterface::~BassMusicInterface()
{
    if (!mBass)
        return;
    mBass->BASS_Stop();
    mBass->BASS_Free();
    FreeBassDLL();
}

BassMusicInterface::MusicInfo* BassMusicInterface::Find(int song)
{
    auto it = mMusicMap.find(song);
    return it == mMusicMap.end() || !mBass ? nullptr : &it->second;
}

void BassMusicInterface::SendVolume(const MusicInfo& info)
{
    mBass->BASS_ChannelSetAttribute(info.GetHandle(), BASS_ATTRIB_VOL, float(info.volume * mVolume));
}

void BassMusicInterface::Free(MusicInfo& info)
{
    if (info.mHStream)
        mBass->BASS_StreamFree(info.mHStream);
    else
        mBass->BASS_MusicFree(info.mHMusic);
}

bool BassMusicInterface::LoadMusic(int song, const std::string& fileName)
{
    if (!mBass)
        return false;
    size_t dot = fileName.rfind('.');
    std::string ext = dot == std::string::npos ? "" : StringToLower(fileName.substr(dot + 1));
    MusicInfo info;
    if (!ReadPakFile(fileName, info.mData))
        return false;
    if (ext == "wav" || ext == "ogg" || ext == "mp3") {
        info.mHStream = mBass->BASS_StreamCreateFile(TRUE, info.mData.data(), 0, info.mData.size(), 0);
        if (!info.mHStream)
            return false;
    } else {
        // The module is copied by the library; the length is passed so that
        // it never reads past the block.
        info.mHMusic = mBass->BASS_MusicLoad(TRUE, info.mData.data(), 0, DWORD(info.mData.size()), mMusicLoadFlags, 0);
        info.mData = {};
        if (!info.mHMusic)
            return false;
    }
    auto [it, inserted] = mMusicMap.try_emplace(song, std::move(info));
    if (!inserted)
        Free(info); // the song number is taken: the first record stays
    return true;
}

void BassMusicInterface::Start(MusicInfo& info, int offset, bool noLoop, DWORD musicFlags)
{
    if (info.mHMusic) {
        mBass->BASS_ChannelStop(info.mHMusic);
        mBass->BASS_ChannelSetPosition(info.mHMusic, QWORD(DWORD(offset)), BASS_POS_MUSIC_ORDER);
        mBass->BASS_ChannelFlags(info.mHMusic, musicFlags | (noLoop ? 0 : BASS_SAMPLE_LOOP), 0xFFFFFFFF);
        mBass->BASS_ChannelPlay(info.mHMusic, FALSE);
        return;
    }
    mBass->BASS_ChannelPlay(info.mHStream, offset != -1);
    if (!noLoop)
        mBass->BASS_ChannelFlags(info.mHStream, BASS_SAMPLE_LOOP, 0xFFFFFFFF);
    if (offset > 0)
        mBass->BASS_ChannelSetPosition(info.mHStream, QWORD(int64_t(offset)), BASS_POS_BYTE);
}

void BassMusicInterface::PlayMusic(int song, int offset, bool noLoop)
{
    MusicInfo* info = Find(song);
    if (!info)
        return;
    info->volume = info->ceiling;
    info->step = 0.0;
    info->stopOnFade = noLoop;
    SendVolume(*info);
    mBass->BASS_ChannelStop(info->GetHandle());
    Start(*info, offset, noLoop, BASS_MUSIC_POSRESET | BASS_MUSIC_RAMP);
}

void BassMusicInterface::StopMusic(int song)
{
    if (MusicInfo* info = Find(song)) {
        info->volume = 0.0;
        mBass->BASS_ChannelStop(info->GetHandle());
    }
}

void BassMusicInterface::PauseMusic(int song)
{
    if (MusicInfo* info = Find(song))
        mBass->BASS_ChannelPause(info->GetHandle());
}

void BassMusicInterface::ResumeMusic(int song)
{
    if (MusicInfo* info = Find(song))
        mBass->BASS_ChannelPlay(info->GetHandle(), FALSE);
}

void BassMusicInterface::StopAllMusic()
{
    for (auto& [song, info] : mMusicMap) {
        info.volume = 0.0;
        mBass->BASS_ChannelStop(info.GetHandle());
    }
}

void BassMusicInterface::UnloadMusic(int song)
{
    MusicInfo* info = Find(song);
    if (!info)
        return;
    StopMusic(song);
    Free(*info);
    mMusicMap.erase(song);
}

void BassMusicInterface::UnloadAllMusic()
{
    StopAllMusic();
    for (auto& [song, info] : mMusicMap)
        Free(info);
    mMusicMap.clear();
}

void BassMusicInterface::PauseAllMusic()
{
    for (auto& [song, info] : mMusicMap)
        if (mBass->BASS_ChannelIsActive(info.GetHandle()) == BASS_ACTIVE_PLAYING)
            mBass->BASS_ChannelPause(info.GetHandle());
}

void BassMusicInterface::ResumeAllMusic()
{
    for (auto& [song, info] : mMusicMap)
        if (mBass->BASS_ChannelIsActive(info.GetHandle()) == BASS_ACTIVE_PAUSED)
            mBass->BASS_ChannelPlay(info.GetHandle(), FALSE);
}

void BassMusicInterface::FadeIn(int song, int offset, double speed, bool noLoop)
{
    MusicInfo* info = Find(song);
    if (!info)
        return;
    info->step = speed;
    info->stopOnFade = noLoop;
    mBass->BASS_ChannelStop(info->GetHandle());
    SendVolume(*info);
    if (info->mHMusic && offset == -1)
        mBass->BASS_ChannelPlay(info->mHMusic, TRUE);
    else
        Start(*info, offset, noLoop, BASS_MUSIC_RAMP);
}

void BassMusicInterface::FadeOut(int song, bool stopSong, double speed)
{
    MusicInfo* info = Find(song);
    if (!info)
        return;
    if (info->volume != 0.0)
        info->step = -speed;
    info->stopOnFade = stopSong;
}

void BassMusicInterface::FadeOutAll(bool stopSong, double speed)
{
    for (auto& [song, info] : mMusicMap) {
        info.stopOnFade = stopSong;
        info.step = -speed;
    }
}

void BassMusicInterface::SetSongVolume(int song, double volume)
{
    if (MusicInfo* info = Find(song)) {
        info->volume = volume;
        SendVolume(*info);
    }
}

void BassMusicInterface::SetSongMaxVolume(int song, double maxVolume)
{
    if (MusicInfo* info = Find(song)) {
        info->ceiling = maxVolume;
        info->volume = std::min(info->volume, maxVolume);
        SendVolume(*info);
    }
}

bool BassMusicInterface::IsPlaying(int song)
{
    MusicInfo* info = Find(song);
    return info && mBass->BASS_ChannelIsActive(info->GetHandle()) == BASS_ACTIVE_PLAYING;
}

void BassMusicInterface::SetVolume(double volume)
{
    mVolume = volume;
    if (!mBass)
        return;
    for (auto& [song, info] : mMusicMap)
        SendVolume(info);
}

void BassMusicInterface::SetMusicAmplify(int song, double amplify)
{
    if (MusicInfo* info = Find(song))
        mBass->BASS_ChannelSetAttribute(info->GetHandle(), BASS_ATTRIB_MUSIC_AMPLIFY, float(amplify * 100));
}

void BassMusicInterface::Update()
{
    for (auto& [song, info] : mMusicMap) {
        MusicFade::Result r = info.Advance();
        if (r == MusicFade::Result::Steady)
            continue;
        if (r == MusicFade::Result::FadedOut)
            mBass->BASS_ChannelStop(info.GetHandle());
        SendVolume(info);
    }
}

} // namespace Kivo
