#include "framework/resources/ResourceHelpers.h"

#include "framework/core/Paths.h"
#include "framework/graphics/SharedImage.h"
#include "framework/resources/ResourceHost.h"
#include "framework/resources/ResourceManager.h"
#include "platform/Paths.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

using Kivo::GetResourceHost;
using Kivo::ResourceHost;
using Kivo::ResourceManager;

namespace {

ResourceManager* Manager()
{
    ResourceHost* app = GetResourceHost();
    return app ? app->GetResourceManager() : nullptr;
}

// The application when sound is on.
ResourceHost* SoundApp()
{
    ResourceHost* app = GetResourceHost();
    return app && !app->IsMusicDisabled() ? app : nullptr;
}

} // namespace

Kivo::Image* GetImageById(const std::string& id)
{
    ResourceManager* manager = Manager();
    return manager ? manager->GetImage(id).ToImage() : nullptr;
}

Kivo::Font* GetFontById(const std::string& id)
{
    ResourceManager* manager = Manager();
    return manager ? manager->GetFont(id) : nullptr;
}

int GetSoundIdByName(const std::string& id)
{
    ResourceManager* manager = Manager();
    return manager ? manager->GetSoundId(id) : -1;
}

void PlaySoundById(const std::string& id)
{
    if (ResourceHost* app = SoundApp()) {
        int soundId = GetSoundIdByName(id);
        if (soundId >= 0)
            app->PlaySample(soundId);
    }
}

void PlaySoundNum(int soundId)
{
    if (ResourceHost* app = SoundApp(); app && soundId >= 0)
        app->PlaySample(soundId);
}

void PlaySoundEx(int soundId, int pitch, int pan)
{
    if (ResourceHost* app = SoundApp())
        app->PlayPitchedSample(soundId, pitch, pan);
}

void PlaySoundPitchedByName(const std::string& id, int pitch, int pan)
{
    if (SoundApp())
        PlaySoundEx(GetSoundIdByName(id), pitch, pan);
}

std::string GetStringById(const char* id)
{
    ResourceHost* app = GetResourceHost();
    return app && id ? app->GetAppString(id) : std::string();
}

bool DeleteFileStr(const std::string& path)
{
    if (unlink(platform::DiskPath(path).c_str()) != 0)
        std::fprintf(stderr, "Could not delete %s: %s\n", path.c_str(), std::strerror(errno));
    return true;
}

bool MakeDirsStr(const std::string& path)
{
    Kivo::MakeDirectories(path);
    struct stat info;
    if (stat(platform::DiskPath(path).c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        std::fprintf(stderr, "Could not create the folder %s\n", path.c_str());
    return true;
}

std::string CopyString(const std::string& s)
{
    return s;
}
