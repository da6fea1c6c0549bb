#include "framework/sound/FModMusicInterface.h"

#include "framework/sound/MusicLibraries.h"
#include "framework/sound/SoundFiles.h"

#include <algorithm>
#include <cstring>

namespace Kivo {

FModMusicInterface::FModMusicInterface(HWND) : mFMod(LoadFModDLL())
{
}

FModMusicInterface::~FModMusicInterface()
{
    if (mFMod)
        FreeFModDLL();
}

FModMusicInterface::MusicInfo* FModMusicInterface::Find(int song)
{
    auto it = mMusicMap.find(song);
    return it == mMusicMap.end() || !mFMod ? nullptr : &it->second;
}

void FModMusicInterface::SendVolume(int song, const MusicInfo& info)
{
    if (info.mHMusic)
        mFMod->FMUSIC_SetMasterVolume(info.mHMusic, int(info.volume * mVolume * mMusicVolumeScale));
    else
        mFMod->FSOUND_SetVolume(song, int(mVolume * info.volume * mSampleVolumeScale));
}

void FModMusicInterface::Stop(int song, const MusicInfo& info)
{
    if (info.mHMusic)
        mFMod->FMUSIC_StopSong(info.mHMusic);
    else
        mFMod->FSOUND_StopSound(song);
}

bool FModMusicInterface::LoadMusic(int song, const std::string& fileName)
{
    if (!mFMod)
        return false;
    FMUSIC_MODULE* module = mFMod->FMUSIC_LoadSong(fileName.c_str());
    if (!module)
        return false;
    MusicInfo info;
    info.mHMusic = module;
    mMusicMap.try_emplace(song, info);
    return true;
}

bool FModMusicInterface::LoadSingleSampleMusic(int song, const std::string& fileName, bool loop)
{
    if (!mFMod)
        return false;
    FSOUND_SAMPLE* sample = WriteCachedWav(fileName);
    if (!sample)
        return false;
    MusicInfo info;
    info.mHSample = sample;
    info.mLoopSample = loop;
    mMusicMap.try_emplace(song, info);
    return true;
}

bool FModMusicInterface::LoadSampleMusic(int song, const std::string& introFile, const std::string& loopFile, bool loop)
{
    if (!mFMod)
        return false;
    FSOUND_SAMPLE* intro = WriteCachedWav(introFile);
    FSOUND_SAMPLE* looped = WriteCachedWav(loopFile);
    auto fail = [&] {
        // Neither half is kept when they cannot be joined.
        for (FSOUND_SAMPLE* sample : { intro, looped })
            if (sample)
                mFMod->FSOUND_Sample_Free(sample);
        return false;
    };
    if (!intro || !looped)
        return fail();
    int introFrequency = 0, loopFrequency = 0;
    mFMod->FSOUND_Sample_GetDefaults(intro, &introFrequency, nullptr, nullptr, nullptr);
    mFMod->FSOUND_Sample_GetDefaults(looped, &loopFrequency, nullptr, nullptr, nullptr);
    unsigned introMode = mFMod->FSOUND_Sample_GetMode(intro);
    unsigned loopMode = mFMod->FSOUND_Sample_GetMode(looped);
    unsigned introLength = mFMod->FSOUND_Sample_GetLength(intro);
    unsigned loopLength = mFMod->FSOUND_Sample_GetLength(looped);
    if (introFrequency != loopFrequency || introMode != loopMode)
        return fail();
    FSOUND_SAMPLE* joined = mFMod->FSOUND_Sample_Alloc(-1, int(introLength + loopLength), introMode | FSOUND_LOOP_NORMAL,
        introFrequency, 255, 128, 0);
    if (!joined)
        return fail();
    unsigned frameBytes = (introMode & FSOUND_MONO ? 1 : 2) * (introMode & FSOUND_8BITS ? 1 : 2);
    void *p1 = nullptr, *p2 = nullptr, *s1 = nullptr, *s2 = nullptr;
    unsigned len1 = 0, len2 = 0, slen1 = 0, slen2 = 0;
    if (mFMod->FSOUND_Sample_Lock(joined, 0, int((introLength + loopLength) * frameBytes), &p1, &p2, &len1, &len2)) {
        unsigned written = 0;
        for (auto [sample, length] : { std::pair { intro, introLength }, std::pair { looped, loopLength } }) {
            if (mFMod->FSOUND_Sample_Lock(sample, 0, int(length * frameBytes), &s1, &s2, &slen1, &slen2)) {
                size_t n = std::min<size_t>(slen1, len1 - written);
                std::memcpy(static_cast<uint8_t*>(p1) + written, s1, n);
                mFMod->FSOUND_Sample_Unlock(sample, s1, s2, slen1, slen2);
            }
            written = std::min(introLength * frameBytes, len1);
        }
        mFMod->FSOUND_Sample_Unlock(joined, p1, p2, len1, len2);
    }
    mFMod->FSOUND_Sample_Free(intro);
    mFMod->FSOUND_Sample_Free(looped);
    mFMod->FSOUND_Sample_SetLoopPoints(joined, int(introLength), int(loopLength));
    MusicInfo info;
    info.mHSample = joined;
    info.mLoopSample = loop;
    mMusicMap.try_emplace(song, info);
    return true;
}

void FModMusicInterface::PlayMusic(int song, int offset, bool noLoop)
{
    MusicInfo* info = Find(song);
    if (!info)
        return;
    info->volume = info->ceiling;
    info->step = 0.0;
    if (info->mHMusic) {
        mFMod->FMUSIC_SetMasterVolume(info->mHMusic, int(info->ceiling * mVolume * mMusicVolumeScale));
        mFMod->FMUSIC_SetLooping(info->mHMusic, noLoop ? FSOUND_LOOP_OFF : FSOUND_LOOP_NORMAL);
        mFMod->FMUSIC_PlaySong(info->mHMusic);
        mFMod->FMUSIC_SetOrder(info->mHMusic, offset);
    } else {
        mFMod->FSOUND_PlaySound(song, info->mHSample);
        mFMod->FSOUND_SetLoopMode(song, info->mLoopSample ? FSOUND_LOOP_NORMAL : FSOUND_LOOP_OFF);
        SendVolume(song, *info);
    }
}

void FModMusicInterface::StopMusic(int song)
{
    if (MusicInfo* info = Find(song)) {
        info->volume = 0.0;
        Stop(song, *info);
    }
}

void FModMusicInterface::PauseMusic(int song)
{
    if (MusicInfo* info = Find(song)) {
        if (info->mHMusic)
            mFMod->FMUSIC_SetPaused(info->mHMusic, 1);
        else
            mFMod->FSOUND_SetPaused(song, 1);
    }
}

void FModMusicInterface::ResumeMusic(int song)
{
    if (MusicInfo* info = Find(song)) {
        if (info->mHMusic)
            mFMod->FMUSIC_SetPaused(info->mHMusic, 0);
        else
            mFMod->FSOUND_SetPaused(song, 0);
    }
}

void FModMusicInterface::StopAllMusic()
{
    for (auto& [song, info] : mMusicMap) {
        info.volume = 0.0;
        Stop(song, info);
    }
}

void FModMusicInterface::FadeIn(int song, int offset, double speed, bool noLoop)
{
    MusicInfo* info = Find(song);
    if (!info)
        return;
    info->step = speed;
    if (info->mHMusic) {
        SendVolume(song, *info);
        mFMod->FMUSIC_SetLooping(info->mHMusic, noLoop ? FSOUND_LOOP_OFF : FSOUND_LOOP_NORMAL);
        if (!mFMod->FMUSIC_IsPlaying(info->mHMusic))
            mFMod->FMUSIC_PlaySong(info->mHMusic);
        if (offset != -1)
            mFMod->FMUSIC_SetOrder(info->mHMusic, offset);
    } else {
        if (!mFMod->FSOUND_IsPlaying(song)) {
            mFMod->FSOUND_PlaySound(song, info->mHSample);
            mFMod->FSOUND_SetLoopMode(song, info->mLoopSample ? FSOUND_LOOP_NORMAL : FSOUND_LOOP_OFF);
        }
        SendVolume(song, *info);
    }
}

void FModMusicInterface::FadeOut(int song, bool stopSong, double speed)
{
    if (MusicInfo* info = Find(song)) {
        info->stopOnFade = stopSong;
        info->step = -speed;
    }
}

void FModMusicInterface::FadeOutAll(bool stopSong, double speed)
{
    for (auto& [song, info] : mMusicMap) {
        info.stopOnFade = stopSong;
        info.step = -speed;
    }
}

void FModMusicInterface::SetSongVolume(int song, double volume)
{
    if (MusicInfo* info = Find(song)) {
        info->volume = volume;
        SendVolume(song, *info);
    }
}

bool FModMusicInterface::IsPlaying(int song)
{
    MusicInfo* info = Find(song);
    return info && mFMod->FMUSIC_IsPlaying(info->mHMusic) != 0;
}

void FModMusicInterface::SetVolume(double volume)
{
    mVolume = volume;
    if (!mFMod)
        return;
    for (auto& [song, info] : mMusicMap)
        SendVolume(song, info);
}

void FModMusicInterface::Update()
{
    if (!mFMod)
        return;
    for (auto& [song, info] : mMusicMap) {
        MusicFade::Result r = info.Advance();
        if (r == MusicFade::Result::Steady)
            continue;
        if (r == MusicFade::Result::FadedOut)
            Stop(song, info);
        SendVolume(song, info);
    }
}

} // namespace Kivo
