#pragma once
// The FMOD 3 library as the program reaches it: functions looked up by their
// decorated export names ("_FSOUND_Init@12", ...) in "fmod.dll" once
// RegisterFmodLibrary has run. Samples, streams and songs are decoded whole
// (WAV, Ogg Vorbis, MP3; modules through libopenmpt) and play on one mixer
// on the backend's audio device, which exists from the first call on.
// 8-bit sample memory is unsigned, as in WAV files.
#include "platform/win32/WinTypes.h"

struct FSOUND_SAMPLE;
struct FSOUND_STREAM;
struct FMUSIC_MODULE;

inline constexpr int FSOUND_FREE = -1;
inline constexpr unsigned FSOUND_LOOP_OFF = 0x1;
inline constexpr unsigned FSOUND_LOOP_NORMAL = 0x2;
inline constexpr unsigned FSOUND_8BITS = 0x8;
inline constexpr unsigned FSOUND_16BITS = 0x10;
inline constexpr unsigned FSOUND_MONO = 0x20;
inline constexpr unsigned FSOUND_STEREO = 0x40;

signed char FSOUND_SetBufferSize(int lengthMs);
signed char FSOUND_SetHWND(void* window);
signed char FSOUND_Init(int mixRate, int maxChannels, unsigned int flags);
void FSOUND_Close();
FSOUND_SAMPLE* FSOUND_Sample_Load(int index, const char* name, unsigned int mode, int memLength);
FSOUND_SAMPLE* FSOUND_Sample_Alloc(int index, int length, unsigned int mode, int defFreq, int defVol, int defPan, int defPri);
void FSOUND_Sample_Free(FSOUND_SAMPLE* sample);
signed char FSOUND_Sample_Lock(FSOUND_SAMPLE* sample, int offset, int length, void** ptr1, void** ptr2, unsigned int* len1, unsigned int* len2);
signed char FSOUND_Sample_Unlock(FSOUND_SAMPLE* sample, void* ptr1, void* ptr2, unsigned int len1, unsigned int len2);
// The loop runs from frame `loopStart` for `loopLength` frames.
signed char FSOUND_Sample_SetLoopPoints(FSOUND_SAMPLE* sample, int loopStart, int loopLength);
unsigned int FSOUND_Sample_GetLength(FSOUND_SAMPLE* sample);
signed char FSOUND_Sample_GetDefaults(FSOUND_SAMPLE* sample, int* freq, int* vol, int* pan, int* pri);
unsigned int FSOUND_Sample_GetMode(FSOUND_SAMPLE* sample);
int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sample);
signed char FSOUND_StopSound(int channel);
signed char FSOUND_SetVolume(int channel, int volume);
signed char FSOUND_SetPaused(int channel, signed char paused);
signed char FSOUND_SetLoopMode(int channel, unsigned int loopMode);
signed char FSOUND_IsPlaying(int channel);
FSOUND_STREAM* FSOUND_Stream_OpenFile(const char* name, unsigned int mode, int memLength);
signed char FSOUND_Stream_Close(FSOUND_STREAM* stream);
int FSOUND_Stream_Play(int channel, FSOUND_STREAM* stream);
FMUSIC_MODULE* FMUSIC_LoadSong(const char* name);
signed char FMUSIC_PlaySong(FMUSIC_MODULE* module);
signed char FMUSIC_StopSong(FMUSIC_MODULE* module);
// FSOUND_LOOP_OFF (1) plays the song once; any other value but 0 loops it.
signed char FMUSIC_SetLooping(FMUSIC_MODULE* module, signed char looping);
signed char FMUSIC_SetOrder(FMUSIC_MODULE* module, int order);
signed char FMUSIC_SetPaused(FMUSIC_MODULE* module, signed char paused);
signed char FMUSIC_SetMasterVolume(FMUSIC_MODULE* module, int volume);
signed char FMUSIC_IsPlaying(FMUSIC_MODULE* module);

namespace platform {
// Adds every function above to the module "fmod.dll" under its export name.
void RegisterFmodLibrary();
}
