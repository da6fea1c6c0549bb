// Reads arbitrary bytes as "properties/music.xml", served from an archive,
// into a fresh music manager.
#include "framework/core/PakInterface.h"
#include "framework/sound/AudioHost.h"
#include "framework/sound/MusicInterface.h"
#include "framework/sound/MusicManager.h"
#include "tools/pakbuild/PakWriter.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// Takes each song's file name as a string, as a music library would.
class NameTakingMusic final : public Kivo::MusicInterface {
public:
    bool LoadMusic(int song, const std::string& fileName) override { return song >= 0 && !fileName.empty(); }
};

class Host final : public Kivo::AudioHost {
public:
    bool IsMusicDisabled() override { return false; }
    int GetUpdateCount() override { return 0; }
    Kivo::SoundManager* GetSoundManager() override { return nullptr; }
    Kivo::MusicInterface* GetMusicInterface() override { return &music; }
    Kivo::ResourceManager* GetResourceManager() override { return nullptr; }
    bool GetBoolean(const std::string&, bool defaultValue) override { return defaultValue; }
    int MsgBox(const std::string& text, const std::string&, unsigned) override { return int(text.size() & 1); }
    bool HasProfile() override { return false; }
    int GetProfileInt(const std::string&) override { return 0; }
    void ShowMessageWindow(const std::string&) override {}
    NameTakingMusic music;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string pak = pakbuild::BuildPak(
        { { pakbuild::PakEntryName("properties/music.xml"), std::string(reinterpret_cast<const char*>(data), size) } });
    int fd = memfd_create("music", MFD_CLOEXEC);
    if (fd < 0)
        return 0;
    if (write(fd, pak.data(), pak.size()) == static_cast<ssize_t>(pak.size())) {
        PakInterface paks;
        PakInterfaceBase* previous = SetActivePakInterface(&paks);
        Host host;
        Kivo::SetAudioHost(&host);
        if (paks.AddPakFile("/proc/self/fd/" + std::to_string(fd)))
            delete MusicManager::Instance();
        Kivo::SetAudioHost(nullptr);
        SetActivePakInterface(previous);
    }
    close(fd);
    return 0;
}
