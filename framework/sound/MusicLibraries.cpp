#include "framework/sound/MusicLibraries.h"

#include "framework/core/Strings.h"
#include "framework/sound/SoundHost.h"
#include "platform/win32/MessageBox.h"
#include "platform/win32/Modules.h"

#include <atomic>

namespace Kivo {
namespace {

std::atomic<BASS_INSTANCE*> gBass { nullptr };
std::atomic<int> gBassRefs { 0 };
std::atomic<FMOD_INSTANCE*> gFMod { nullptr };
std::atomic<int> gFModRefs { 0 };

void Fatal(const std::string& text)
{
    GetSoundHost().FatalError(text, "Error", MB_ICONERROR);
}

template <typename F>
bool Find(HMODULE module, const char* name, F& field)
{
    field = reinterpret_cast<F>(GetProcAddress(module, name));
    return field != nullptr;
}

// Table creation and reference counting shared by both libraries.
template <typename Table>
Table* LoadShared(std::atomic<Table*>& shared, std::atomic<int>& refs, const char* fileName, const char* missingText)
{
    ++refs;
    if (!shared.load()) {
        auto* table = new Table(fileName);
        if (!table->mModule)
            Fatal(missingText);
        if (!table->Complete()) {
            delete table;
            --refs;
            return nullptr;
        }
        shared = table;
    }
    return shared.load();
}

template <typename Table>
void FreeShared(std::atomic<Table*>& shared, std::atomic<int>& refs)
{
    if (!shared.load())
        return;
    if (--refs <= 0)
        delete shared.exchange(nullptr);
}

} // namespace

BASS_INSTANCE::BASS_INSTANCE(const char* fileName)
{
    mModule = LoadLibraryA(fileName);
    if (!mModule)
        return;
    auto need = [this](const char* name, auto& field) {
        if (Find(mModule, name, field))
            return true;
        Fatal(StrFormat("%s function not found in bass.dll", name));
        return false;
    };
    bool ok = need("BASS_Init", BASS_Init) && need("BASS_Free", BASS_Free) && need("BASS_Stop", BASS_Stop)
        && need("BASS_Start", BASS_Start);
    if (ok && !Find(mModule, "BASS_SetVolume", BASS_SetVolume)) {
        Fatal("BASS_SetVolume found in bass.dll");
        ok = false;
    }
    if (!ok)
        return;
    // These two may be missing: older libraries have neither.
    Find(mModule, "BASS_SetConfig", BASS_SetConfig);
    Find(mModule, "BASS_GetConfig", BASS_GetConfig);
    mComplete = need("BASS_GetVolume", BASS_GetVolume) && need("BASS_GetInfo", BASS_GetInfo)
        && need("BASS_GetVersion", BASS_GetVersion) && need("BASS_ChannelStop", BASS_ChannelStop)
        && need("BASS_ChannelPlay", BASS_ChannelPlay) && need("BASS_ChannelPause", BASS_ChannelPause)
        && need("BASS_ChannelSetAttribute", BASS_ChannelSetAttribute)
        && need("BASS_ChannelGetAttribute", BASS_ChannelGetAttribute)
        && need("BASS_ChannelSetPosition", BASS_ChannelSetPosition)
        && need("BASS_ChannelGetPosition", BASS_ChannelGetPosition) && need("BASS_ChannelFlags", BASS_ChannelFlags)
        && need("BASS_ChannelIsActive", BASS_ChannelIsActive)
        && need("BASS_ChannelSlideAttribute", BASS_ChannelSlideAttribute)
        && need("BASS_ChannelIsSliding", BASS_ChannelIsSliding) && need("BASS_ChannelGetLevel", BASS_ChannelGetLevel)
        && need("BASS_ChannelSetFX", BASS_ChannelSetFX) && need("BASS_ChannelRemoveFX", BASS_ChannelRemoveFX)
        && need("BASS_ChannelGetData", BASS_ChannelGetData) && need("BASS_ChannelSetSync", BASS_ChannelSetSync)
        && need("BASS_ChannelRemoveSync", BASS_ChannelRemoveSync)
        && need("BASS_FXSetParameters", BASS_FXSetParameters) && need("BASS_FXGetParameters", BASS_FXGetParameters)
        && need("BASS_MusicLoad", BASS_MusicLoad) && need("BASS_MusicFree", BASS_MusicFree)
        && need("BASS_StreamCreateFile", BASS_StreamCreateFile) && need("BASS_StreamFree", BASS_StreamFree)
        && need("BASS_SampleLoad", BASS_SampleLoad) && need("BASS_SampleFree", BASS_SampleFree)
        && need("BASS_SampleSetInfo", BASS_SampleSetInfo) && need("BASS_SampleGetInfo", BASS_SampleGetInfo)
        && need("BASS_SampleGetChannel", BASS_SampleGetChannel) && need("BASS_SampleStop", BASS_SampleStop)
        && need("BASS_PluginLoad", BASS_PluginLoad) && need("BASS_ChannelGetLength", BASS_ChannelGetLength)
        && need("BASS_ErrorGetCode", BASS_ErrorGetCode);
}

BASS_INSTANCE::~BASS_INSTANCE()
{
    if (mModule)
        FreeLibrary(mModule);
}

FMOD_INSTANCE::FMOD_INSTANCE(const char* fileName)
{
    mModule = LoadLibraryA(fileName);
    if (!mModule)
        return;
    auto need = [this](const char* name, auto& field) {
        if (Find(mModule, name, field))
            return true;
        Fatal(StrFormat("\"%s\" function not found in fmod.dll", name));
        return false;
    };
    mComplete = need("_FSOUND_SetBufferSize@4", FSOUND_SetBufferSize) && need("_FSOUND_SetHWND@4", FSOUND_SetHWND)
        && need("_FSOUND_Init@12", FSOUND_Init) && need("_FSOUND_Close@0", FSOUND_Close)
        && need("_FSOUND_Sample_Load@16", FSOUND_Sample_Load) && need("_FSOUND_Sample_Alloc@28", FSOUND_Sample_Alloc)
        && need("_FSOUND_Sample_Free@4", FSOUND_Sample_Free) && need("_FSOUND_Sample_Lock@28", FSOUND_Sample_Lock)
        && need("_FSOUND_Sample_Unlock@20", FSOUND_Sample_Unlock)
        && need("_FSOUND_Sample_SetLoopPoints@12", FSOUND_Sample_SetLoopPoints)
        && need("_FSOUND_Sample_GetLength@4", FSOUND_Sample_GetLength)
        && need("_FSOUND_Sample_GetDefaults@20", FSOUND_Sample_GetDefaults)
        && need("_FSOUND_Sample_GetMode@4", FSOUND_Sample_GetMode) && need("_FSOUND_PlaySound@8", FSOUND_PlaySound)
        && need("_FSOUND_StopSound@4", FSOUND_StopSound) && need("_FSOUND_SetVolume@8", FSOUND_SetVolume)
        && need("_FSOUND_SetPaused@8", FSOUND_SetPaused) && need("_FSOUND_SetLoopMode@8", FSOUND_SetLoopMode)
        && need("_FSOUND_IsPlaying@4", FSOUND_IsPlaying) && need("_FSOUND_Stream_OpenFile@12", FSOUND_Stream_OpenFile)
        && need("_FSOUND_Stream_Close@4", FSOUND_Stream_Close) && need("_FSOUND_Stream_Play@8", FSOUND_Stream_Play)
        && need("_FMUSIC_LoadSong@4", FMUSIC_LoadSong) && need("_FMUSIC_PlaySong@4", FMUSIC_PlaySong)
        && need("_FMUSIC_StopSong@4", FMUSIC_StopSong) && need("_FMUSIC_SetLooping@8", FMUSIC_SetLooping)
        && need("_FMUSIC_SetOrder@8", FMUSIC_SetOrder) && need("_FMUSIC_SetPaused@8", FMUSIC_SetPaused)
        && need("_FMUSIC_SetMasterVolume@8", FMUSIC_SetMasterVolume) && need("_FMUSIC_IsPlaying@4", FMUSIC_IsPlaying);
}

FMOD_INSTANCE::~FMOD_INSTANCE()
{
    if (mModule)
        FreeLibrary(mModule);
}

BASS_INSTANCE* LoadBassDLL()
{
    return LoadShared(gBass, gBassRefs, ".\\bass.dll", "Can't find bass.dll.");
}

FMOD_INSTANCE* LoadFModDLL()
{
    return LoadShared(gFMod, gFModRefs, "fmod.dll", "Can't find fmod.dll.");
}

void FreeBassDLL()
{
    FreeShared(gBass, gBassRefs);
}

void FreeFModDLL()
{
    FreeShared(gFMod, gFModRefs);
}

BASS_INSTANCE* GetBassInstance()
{
    return gBass.load();
}

FMOD_INSTANCE* GetFModInstance()
{
    return gFMod.load();
}

} // namespace Kivo
