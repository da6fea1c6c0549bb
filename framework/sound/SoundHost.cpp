#include "framework/sound/SoundHost.h"

#include "platform/win32/MessageBox.h"
#include "platform/win32/Modules.h"

#include <atomic>
#include <cstdlib>

namespace Kivo {
namespace {

class DefaultSoundHost final : public SoundHost {
public:
    HMODULE GetDSoundModule() override
    {
        static HMODULE module = LoadLibraryA("dsound.dll");
        return module;
    }

    void FatalError(const std::string& text, const std::string& caption, UINT type) override
    {
        MessageBoxA(nullptr, text.c_str(), caption.c_str(), type);
        std::exit(0);
    }
};

DefaultSoundHost gDefaultHost;
std::atomic<SoundHost*> gHost { nullptr };

} // namespace

SoundHost& GetSoundHost()
{
    SoundHost* host = gHost.load();
    return host ? *host : gDefaultHost;
}

void SetSoundHost(SoundHost* host)
{
    gHost = host;
}

} // namespace Kivo
