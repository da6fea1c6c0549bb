#pragma once
// The BASS and FMOD function tables, filled by name from ".\bass.dll" and
// "fmod.dll" and shared process-wide under atomic reference counts. A
// missing library or required function is fatal (through the sound host).
#include "platform/music/Bass.h"
#include "platform/music/Fmod.h"
#include "platform/win32/WinTypes.h"

namespace Kivo {

class BASS_INSTANCE {
public:
    explicit BASS_INSTANCE(const char* fileName);
    virtual ~BASS_INSTANCE();
    BASS_INSTANCE(const BASS_INSTANCE&) = delete;
    BASS_INSTANCE& operator=(const BASS_INSTANCE&) = delete;

    // True when the library loaded and every required function was found.
    bool Complete() const { return mComplete; }

    HMODULE mModule = nullptr;
    decltype(&::BASS_GetVersion) BASS_GetVersion = nullptr;
    decltype(&::BASS_Init) BASS_Init = nullptr;
    decltype(&::BASS_Free) BASS_Free = nullptr;
    decltype(&::BASS_Stop) BASS_Stop = nullptr;
    decltype(&::BASS_Start) BASS_Start = nullptr;
    decltype(&::BASS_SetVolume) BASS_SetVolume = nullptr;
    decltype(&::BASS_GetVolume) BASS_GetVolume = nullptr;
    decltype(&::BASS_GetInfo) BASS_GetInfo = nullptr;
    decltype(&::BASS_SetConfig) BASS_SetConfig = nullptr;
    decltype(&::BASS_GetConfig) BASS_GetConfig = nullptr;
    decltype(&::BASS_ChannelStop) BASS_ChannelStop = nullptr;
    decltype(&::BASS_ChannelPlay) BASS_ChannelPlay = nullptr;
    decltype(&::BASS_ChannelPause) BASS_ChannelPause = nullptr;
    decltype(&::BASS_ChannelSetAttribute) BASS_ChannelSetAttribute = nullptr;
    decltype(&::BASS_ChannelGetAttribute) BASS_ChannelGetAttribute = nullptr;
    decltype(&::BASS_ChannelSetPosition) BASS_ChannelSetPosition = nullptr;
    decltype(&::BASS_ChannelGetPosition) BASS_ChannelGetPosition = nullptr;
    decltype(&::BASS_ChannelFlags) BASS_ChannelFlags = nullptr;
    decltype(&::BASS_ChannelIsActive) BASS_ChannelIsActive = nullptr;
    decltype(&::BASS_ChannelSlideAttribute) BASS_ChannelSlideAttribute = nullptr;
    decltype(&::BASS_ChannelIsSliding) BASS_ChannelIsSliding = nullptr;
    decltype(&::BASS_ChannelGetLevel) BASS_ChannelGetLevel = nullptr;
    decltype(&::BASS_ChannelSetFX) BASS_ChannelSetFX = nullptr;
    decltype(&::BASS_ChannelRemoveFX) BASS_ChannelRemoveFX = nullptr;
    decltype(&::BASS_ChannelGetLength) BASS_ChannelGetLength = nullptr;
    decltype(&::BASS_ChannelGetData) BASS_ChannelGetData = nullptr;
    decltype(&::BASS_ChannelSetSync) BASS_ChannelSetSync = nullptr;
    decltype(&::BASS_ChannelRemoveSync) BASS_ChannelRemoveSync = nullptr;
    decltype(&::BASS_MusicLoad) BASS_MusicLoad = nullptr;
    decltype(&::BASS_MusicFree) BASS_MusicFree = nullptr;
    decltype(&::BASS_StreamCreateFile) BASS_StreamCreateFile = nullptr;
    decltype(&::BASS_StreamFree) BASS_StreamFree = nullptr;
    decltype(&::BASS_FXSetParameters) BASS_FXSetParameters = nullptr;
    decltype(&::BASS_FXGetParameters) BASS_FXGetParameters = nullptr;
    decltype(&::BASS_PluginLoad) BASS_PluginLoad = nullptr;
    decltype(&::BASS_SampleLoad) BASS_SampleLoad = nullptr;
    decltype(&::BASS_SampleFree) BASS_SampleFree = nullptr;
    decltype(&::BASS_SampleSetInfo) BASS_SampleSetInfo = nullptr;
    decltype(&::BASS_SampleGetInfo) BASS_SampleGetInfo = nullptr;
    decltype(&::BASS_SampleGetChannel) BASS_SampleGetChannel = nullptr;
    decltype(&::BASS_SampleStop) BASS_SampleStop = nullptr;
    decltype(&::BASS_ErrorGetCode) BASS_ErrorGetCode = nullptr;

private:
    bool mComplete = false;
};

class FMOD_INSTANCE {
public:
    explicit FMOD_INSTANCE(const char* fileName);
    virtual ~FMOD_INSTANCE();
    FMOD_INSTANCE(const FMOD_INSTANCE&) = delete;
    FMOD_INSTANCE& operator=(const FMOD_INSTANCE&) = delete;

    bool Complete() const { return mComplete; }

    HMODULE mModule = nullptr;
    decltype(&::FSOUND_SetBufferSize) FSOUND_SetBufferSize = nullptr;
    decltype(&::FSOUND_SetHWND) FSOUND_SetHWND = nullptr;
    decltype(&::FSOUND_Init) FSOUND_Init = nullptr;
    decltype(&::FSOUND_Close) FSOUND_Close = nullptr;
    decltype(&::FSOUND_Sample_Load) FSOUND_Sample_Load = nullptr;
    decltype(&::FSOUND_Sample_Alloc) FSOUND_Sample_Alloc = nullptr;
    decltype(&::FSOUND_Sample_Free) FSOUND_Sample_Free = nullptr;
    decltype(&::FSOUND_Sample_Lock) FSOUND_Sample_Lock = nullptr;
    decltype(&::FSOUND_Sample_Unlock) FSOUND_Sample_Unlock = nullptr;
    decltype(&::FSOUND_Sample_SetLoopPoints) FSOUND_Sample_SetLoopPoints = nullptr;
    decltype(&::FSOUND_Sample_GetLength) FSOUND_Sample_GetLength = nullptr;
    decltype(&::FSOUND_Sample_GetDefaults) FSOUND_Sample_GetDefaults = nullptr;
    decltype(&::FSOUND_Sample_GetMode) FSOUND_Sample_GetMode = nullptr;
    decltype(&::FSOUND_PlaySound) FSOUND_PlaySound = nullptr;
    decltype(&::FSOUND_StopSound) FSOUND_StopSound = nullptr;
    decltype(&::FSOUND_SetVolume) FSOUND_SetVolume = nullptr;
    decltype(&::FSOUND_SetPaused) FSOUND_SetPaused = nullptr;
    decltype(&::FSOUND_SetLoopMode) FSOUND_SetLoopMode = nullptr;
    decltype(&::FSOUND_IsPlaying) FSOUND_IsPlaying = nullptr;
    decltype(&::FSOUND_Stream_OpenFile) FSOUND_Stream_OpenFile = nullptr;
    decltype(&::FSOUND_Stream_Close) FSOUND_Stream_Close = nullptr;
    decltype(&::FSOUND_Stream_Play) FSOUND_Stream_Play = nullptr;
    decltype(&::FMUSIC_LoadSong) FMUSIC_LoadSong = nullptr;
    decltype(&::FMUSIC_PlaySong) FMUSIC_PlaySong = nullptr;
    decltype(&::FMUSIC_StopSong) FMUSIC_StopSong = nullptr;
    decltype(&::FMUSIC_SetLooping) FMUSIC_SetLooping = nullptr;
    decltype(&::FMUSIC_SetOrder) FMUSIC_SetOrder = nullptr;
    decltype(&::FMUSIC_SetPaused) FMUSIC_SetPaused = nullptr;
    decltype(&::FMUSIC_SetMasterVolume) FMUSIC_SetMasterVolume = nullptr;
    decltype(&::FMUSIC_IsPlaying) FMUSIC_IsPlaying = nullptr;

private:
    bool mComplete = false;
};

// Take a reference on the shared table, creating it on the first one. A
// missing library is fatal; should the host return, null comes back and no
// reference is held.
BASS_INSTANCE* LoadBassDLL();
FMOD_INSTANCE* LoadFModDLL();
// Drop a reference; the last one destroys the table and frees the library.
void FreeBassDLL();
void FreeFModDLL();
// The shared table, or null.
BASS_INSTANCE* GetBassInstance();
FMOD_INSTANCE* GetFModInstance();

} // namespace Kivo
