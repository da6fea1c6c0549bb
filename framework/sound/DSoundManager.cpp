#include "framework/sound/DSoundManager.h"

#include "framework/sound/MusicLibraries.h"
#include "framework/sound/SoundFiles.h"
#include "framework/sound/SoundHost.h"
#include "framework/sound/SystemVolume.h"
#include "platform/win32/Modules.h"
#include "platform/win32/Time.h"

#include <algorithm>
#include <cstdio>

namespace Kivo {

DSoundManager::DSoundManager(HWND window, bool useFMod) : mUseFMod(useFMod)
{
    for (double& v : mBaseVolumes)
        v = 1.0;
    if (!window)
        return;
    HMODULE dsound = GetSoundHost().GetDSoundModule();
    auto create = reinterpret_cast<DirectSoundCreateProc>(GetProcAddress(dsound, "DirectSoundCreate"));
    if (!create)
        return;
    if (FAILED(create(nullptr, &mDirectSound, nullptr))) {
        mDirectSound = nullptr;
        return;
    }
    if (mUseFMod) {
        FMOD_INSTANCE* fmod = LoadFModDLL();
        if (fmod) {
            fmod->FSOUND_SetHWND(window);
            fmod->FSOUND_SetBufferSize(200);
            fmod->FSOUND_Init(44100, 64, 2);
        }
    }
    if (FAILED(mDirectSound->SetCooperativeLevel(window, DSSCL_PRIORITY))) {
        mDirectSound->SetCooperativeLevel(window, DSSCL_NORMAL);
        return;
    }
    DSBUFFERDESC desc {};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DSBCAPS_PRIMARYBUFFER;
    if (SUCCEEDED(mDirectSound->CreateSoundBuffer(&desc, &mPrimaryBuffer, nullptr))) {
        WAVEFORMATEX format { WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 18 };
        mPrimaryBuffer->SetFormat(&format);
    } else {
        mPrimaryBuffer = nullptr;
    }
}

DSoundManager::~DSoundManager()
{
    ReleaseChannels();
    ReleaseSounds();
    if (mPrimaryBuffer)
        mPrimaryBuffer->Release();
    if (mDirectSound) {
        if (mUseFMod) {
            if (FMOD_INSTANCE* fmod = GetFModInstance())
                fmod->FSOUND_Close();
        }
        mDirectSound->Release();
        if (mUseFMod)
            FreeFModDLL();
    }
}

bool DSoundManager::Initialized()
{
    return mDirectSound != nullptr;
}

int DSoundManager::FindOrLoadSound(const std::string& fileName)
{
    for (int id = 0; id < kMaxSourceSounds; ++id)
        if (mSourceFileNames[id] == fileName)
            return id;
    for (int id = kMaxSourceSounds - 1; id >= 0; --id) {
        if (!mSourceSounds[id])
            return LoadSound(id, fileName) ? id : -1;
    }
    return -1;
}

bool DSoundManager::LoadSound(unsigned int id, const std::string& fileName)
{
    if (id >= kMaxSourceSounds)
        return false;
    ReleaseSound(id);
    if (!mDirectSound)
        return true;
    mSourceFileNames[id] = fileName;
    return LoadSoundFile(*this, id, fileName);
}

void DSoundManager::ReleaseSound(unsigned int id)
{
    if (id >= kMaxSourceSounds)
        return;
    if (mSourceSounds[id]) {
        mSourceSounds[id]->Release();
        mSourceSounds[id] = nullptr;
    }
    mSourceFileNames[id].clear();
}

void DSoundManager::SetVolume(double volume)
{
    mVolume = volume;
    for (DSoundInstance* instance : mPlayingSounds)
        if (instance)
            instance->RehupVolume();
}

bool DSoundManager::SetBaseVolume(unsigned int id, double volume)
{
    if (id >= kMaxSourceSounds)
        return false;
    mBaseVolumes[id] = volume;
    return true;
}

bool DSoundManager::SetBasePan(unsigned int id, int pan)
{
    if (id >= kMaxSourceSounds)
        return false;
    mBasePans[id] = pan;
    return true;
}

void DSoundManager::ReleaseFreeChannels()
{
    for (DSoundInstance*& instance : mPlayingSounds) {
        if (instance && instance->IsReleased()) {
            delete instance;
            instance = nullptr;
        }
    }
}

int DSoundManager::FindFreeChannel()
{
    DWORD tick = GetTickCount();
    if (tick - mLastReleaseTick > kSweepIntervalMs) {
        ReleaseFreeChannels();
        mLastReleaseTick = tick;
    }
    for (int i = 0; i < kMaxChannels; ++i) {
        if (!mPlayingSounds[i])
            return i;
        if (mPlayingSounds[i]->IsReleased()) {
            delete mPlayingSounds[i];
            mPlayingSounds[i] = nullptr;
            return i;
        }
    }
    return -1;
}

SoundInstance* DSoundManager::GetSoundInstance(unsigned int id)
{
    if (id >= kMaxSourceSounds)
        return nullptr;
    int channel = FindFreeChannel();
    if (channel < 0)
        return nullptr;
    DSoundInstance* instance;
    if (!mDirectSound) {
        instance = new DSoundInstance(this, nullptr);
    } else {
        if (!mSourceSounds[id])
            return nullptr;
        instance = new DSoundInstance(this, mSourceSounds[id]);
        if (!instance->mBuffer) {
            // One sound that cannot be duplicated is not worth the run.
            std::fprintf(stderr, "DSoundManager: cannot duplicate the buffer of sound %u\n", id);
            delete instance;
            return nullptr;
        }
    }
    mPlayingSounds[channel] = instance;
    instance->SetBasePan(mBasePans[id]);
    instance->SetBaseVolume(mBaseVolumes[id]);
    return instance;
}

void DSoundManager::ReleaseSounds()
{
    for (LPDIRECTSOUNDBUFFER& buffer : mSourceSounds) {
        if (buffer) {
            buffer->Release();
            buffer = nullptr;
        }
    }
}

void DSoundManager::ReleaseChannels()
{
    for (DSoundInstance*& instance : mPlayingSounds) {
        delete instance;
        instance = nullptr;
    }
}

double DSoundManager::GetMasterVolume()
{
    return WaveOutVolume().Get() / 65535.0;
}

void DSoundManager::SetMasterVolume(double volume)
{
    WaveOutVolume().Set(static_cast<DWORD>(std::clamp(volume, 0.0, 1.0) * 65535.0));
}

void DSoundManager::Flush()
{
}

void DSoundManager::SetCooperativeWindow(HWND window, bool)
{
    if (mDirectSound)
        mDirectSound->SetCooperativeLevel(window, DSSCL_NORMAL);
}

void DSoundManager::StopAllSounds()
{
    for (DSoundInstance* instance : mPlayingSounds) {
        if (instance) {
            bool autoRelease = instance->mAutoRelease;
            instance->Stop();
            instance->mAutoRelease = autoRelease;
        }
    }
}

int DSoundManager::GetFreeSoundId()
{
    for (int id = 0; id < kMaxSourceSounds; ++id)
        if (!mSourceSounds[id])
            return id;
    return -1;
}

int DSoundManager::GetNumSounds()
{
    int count = 0;
    for (LPDIRECTSOUNDBUFFER buffer : mSourceSounds)
        count += buffer != nullptr;
    return count;
}

} // namespace Kivo
