// Reads arbitrary bytes as an Ogg Vorbis sound effect, served from an
// archive and decoded through the pak callbacks into a sound buffer. Page
// CRCs are made right, so that mutations reach the decoding.
#include "FuzzChecksums.h"
#include "FuzzPak.h"
#include "framework/sound/DSoundManager.h"
#include "framework/sound/SoundFiles.h"
#include "framework/sound/SoundHost.h"
#include "platform/Backend.h"
#include "platform/dsound/DSound.h"
#include "platform/win32/Modules.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

class Host final : public Kivo::SoundHost {
public:
    HMODULE GetDSoundModule() override { return LoadLibraryA("dsound.dll"); }
    void FatalError(const std::string&, const std::string&, UINT) override {}
};

Host gHost;
const bool kReady = [] {
    platform::UseBackend("headless");
    platform::RegisterDirectSound();
    Kivo::SetSoundHost(&gHost);
    return true;
}();

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    (void)kReady;
    const std::vector<uint8_t> file = fuzz::WithOggCrcs(data, size);
    FuzzPak pak({ { "sounds/fx.ogg", std::string(file.begin(), file.end()) } });
    if (!pak.ok)
        return 0;
    Kivo::DSoundManager manager(reinterpret_cast<HWND>(1), false);
    Kivo::LoadOggSound(manager, 1, "sounds/fx.ogg");
    return 0;
}
