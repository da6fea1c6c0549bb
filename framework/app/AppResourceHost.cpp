#include "framework/app/AppResourceHost.h"

#include "framework/app/KivoAppBase.h"
#include "framework/display/DDInterface.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/sound/SoundInstance.h"
#include "framework/sound/SoundManager.h"

namespace Kivo {

bool AppResourceHost::Is3DAccelerated()
{
    return mApp.Is3DAccelerated();
}

SharedImageRef AppResourceHost::GetSharedImage(const std::string& name, const std::string& variant, bool* created,
                                               uint32_t alphaColor)
{
    return mApp.GetSharedImage(name, variant, created, alphaColor);
}

bool AppResourceHost::ImagesFromManyThreads()
{
    return mApp.ddInterface != nullptr;
}

MemoryImage* AppResourceHost::GetImage(const std::string& path, bool commitBits)
{
    return static_cast<MemoryImage*>(mApp.GetImage(path, commitBits));
}

bool AppResourceHost::HasDisplaySurface(MemoryImage* image)
{
    return mApp.ddInterface && mApp.ddInterface->HasDisplaySurface(image);
}

void AppResourceHost::RequestDisplaySurface(MemoryImage* image)
{
    if (mApp.ddInterface)
        mApp.ddInterface->RequestDisplaySurface(image);
}

void AppResourceHost::MirrorImageX(MemoryImage* image)
{
    KivoAppBase::MirrorImageX(image);
}

void AppResourceHost::MirrorImageY(MemoryImage* image)
{
    KivoAppBase::MirrorImageY(image);
}

void AppResourceHost::ShiftImageHue(MemoryImage* image, int shift)
{
    KivoAppBase::ShiftImageHue(image, shift);
}

int AppResourceHost::GetFreeSoundId()
{
    return mApp.soundManager ? mApp.soundManager->GetFreeSoundId() : -1;
}

bool AppResourceHost::LoadSound(int id, const std::string& path)
{
    return mApp.soundManager && id >= 0 && mApp.soundManager->LoadSound(unsigned(id), path);
}

void AppResourceHost::SetBaseVolume(int id, double volume)
{
    if (mApp.soundManager && id >= 0)
        mApp.soundManager->SetBaseVolume(unsigned(id), volume);
}

void AppResourceHost::SetBasePan(int id, int pan)
{
    if (mApp.soundManager && id >= 0)
        mApp.soundManager->SetBasePan(unsigned(id), pan);
}

void AppResourceHost::ReleaseSound(int id)
{
    if (mApp.soundManager && id >= 0)
        mApp.soundManager->ReleaseSound(unsigned(id));
}

ResourceManager* AppResourceHost::GetResourceManager()
{
    return mApp.resourceManager;
}

bool AppResourceHost::IsMusicDisabled()
{
    return mApp.musicDisabled;
}

void AppResourceHost::PlaySample(int id)
{
    mApp.PlaySample(id);
}

void AppResourceHost::PlayPitchedSample(int id, double semitones, int pan)
{
    if (!mApp.soundManager || id < 0)
        return;
    if (SoundInstance* instance = mApp.soundManager->GetSoundInstance(unsigned(id))) {
        instance->AdjustPitch(semitones);
        instance->SetPan(pan);
        instance->Play(false, true);
    }
}

std::string AppResourceHost::GetAppString(const std::string& id)
{
    return mApp.GetString(id, "");
}

} // namespace Kivo
