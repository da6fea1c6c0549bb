#pragma once
// The BASS music library as the program reaches it: functions looked up by
// name in ".\bass.dll" once RegisterBassLibrary has run. Streams are decoded
// whole from memory (WAV, Ogg Vorbis, MP3) and modules rendered whole
// (libopenmpt); both play as voices of one mixer on the backend's audio
// device. Functions the program only looks up answer failure with
// BASS_ERROR_NOTAVAIL.
#include "platform/win32/WinTypes.h"

using QWORD = uint64_t;
using HMUSIC = DWORD;
using HSTREAM = DWORD;
using HSAMPLE = DWORD;
using HCHANNEL = DWORD;
using HSYNC = DWORD;
using HFX = DWORD;
using HPLUGIN = DWORD;
using SYNCPROC = void(HSYNC handle, DWORD channel, DWORD data, void* user);

inline constexpr DWORD BASS_SAMPLE_LOOP = 4;
inline constexpr DWORD BASS_MUSIC_RAMP = 0x200;
inline constexpr DWORD BASS_MUSIC_POSRESET = 0x8000;
inline constexpr DWORD BASS_ATTRIB_VOL = 2;
inline constexpr DWORD BASS_ATTRIB_MUSIC_AMPLIFY = 0x100;
inline constexpr DWORD BASS_POS_BYTE = 0;
inline constexpr DWORD BASS_POS_MUSIC_ORDER = 1;
inline constexpr DWORD BASS_ACTIVE_STOPPED = 0;
inline constexpr DWORD BASS_ACTIVE_PLAYING = 1;
inline constexpr DWORD BASS_ACTIVE_PAUSED = 3;
inline constexpr DWORD BASS_CONFIG_BUFFER = 0;
inline constexpr int BASS_OK = 0;
inline constexpr int BASS_ERROR_MEM = 1;
inline constexpr int BASS_ERROR_FILEOPEN = 2;
inline constexpr int BASS_ERROR_HANDLE = 5;
inline constexpr int BASS_ERROR_POSITION = 7;
inline constexpr int BASS_ERROR_INIT = 8;
inline constexpr int BASS_ERROR_ALREADY = 14;
inline constexpr int BASS_ERROR_ILLTYPE = 19;
inline constexpr int BASS_ERROR_ILLPARAM = 20;
inline constexpr int BASS_ERROR_FORMAT = 41;
inline constexpr int BASS_ERROR_NOTAVAIL = 37;

DWORD BASS_GetVersion();
BOOL BASS_Init(int device, DWORD freq, DWORD flags, HWND window, const void* clsid);
BOOL BASS_Free();
BOOL BASS_Stop();
BOOL BASS_Start();
BOOL BASS_SetVolume(float volume);
float BASS_GetVolume();
BOOL BASS_GetInfo(void* info);
BOOL BASS_SetConfig(DWORD option, DWORD value);
DWORD BASS_GetConfig(DWORD option);
BOOL BASS_ChannelStop(DWORD handle);
BOOL BASS_ChannelPlay(DWORD handle, BOOL restart);
BOOL BASS_ChannelPause(DWORD handle);
BOOL BASS_ChannelSetAttribute(DWORD handle, DWORD attrib, float value);
BOOL BASS_ChannelGetAttribute(DWORD handle, DWORD attrib, float* value);
BOOL BASS_ChannelSetPosition(DWORD handle, QWORD pos, DWORD mode);
QWORD BASS_ChannelGetPosition(DWORD handle, DWORD mode);
DWORD BASS_ChannelFlags(DWORD handle, DWORD flags, DWORD mask);
DWORD BASS_ChannelIsActive(DWORD handle);
BOOL BASS_ChannelSlideAttribute(DWORD handle, DWORD attrib, float value, DWORD time);
BOOL BASS_ChannelIsSliding(DWORD handle, DWORD attrib);
DWORD BASS_ChannelGetLevel(DWORD handle);
HFX BASS_ChannelSetFX(DWORD handle, DWORD type, int priority);
BOOL BASS_ChannelRemoveFX(DWORD handle, HFX fx);
QWORD BASS_ChannelGetLength(DWORD handle, DWORD mode);
DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length);
HSYNC BASS_ChannelSetSync(DWORD handle, DWORD type, QWORD param, SYNCPROC* proc, void* user);
BOOL BASS_ChannelRemoveSync(DWORD handle, HSYNC sync);
HMUSIC BASS_MusicLoad(BOOL mem, const void* file, QWORD offset, DWORD length, DWORD flags, DWORD freq);
BOOL BASS_MusicFree(HMUSIC handle);
HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD flags);
BOOL BASS_StreamFree(HSTREAM handle);
BOOL BASS_FXSetParameters(HFX fx, const void* params);
BOOL BASS_FXGetParameters(HFX fx, void* params);
HPLUGIN BASS_PluginLoad(const char* file, DWORD flags);
HSAMPLE BASS_SampleLoad(BOOL mem, const void* file, QWORD offset, DWORD length, DWORD max, DWORD flags);
BOOL BASS_SampleFree(HSAMPLE handle);
BOOL BASS_SampleSetInfo(HSAMPLE handle, const void* info);
BOOL BASS_SampleGetInfo(HSAMPLE handle, void* info);
HCHANNEL BASS_SampleGetChannel(HSAMPLE handle, BOOL onlyNew);
BOOL BASS_SampleStop(HSAMPLE handle);
int BASS_ErrorGetCode();

namespace platform {
// Adds every BASS_ function above to the module "bass.dll".
void RegisterBassLibrary();
}
