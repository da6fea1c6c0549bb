// Reads arbitrary bytes as the distributor logo list "branding.txt": the
// text up to the first zero byte is the list, and what follows is served as
// the image files a.tga, a.png, a.gif and a.jpg that it may name. The logos
// that were taken are then shown as the title screen shows them.
#include "FuzzApp.h"
#include "FuzzPak.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "game/meta/TitleScreen.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const uint8_t* zero = static_cast<const uint8_t*>(std::memchr(data, 0, size));
    const size_t listSize = zero ? size_t(zero - data) : size;
    const std::string payload(reinterpret_cast<const char*>(data) + listSize + (zero ? 1 : 0),
                              size - listSize - (zero ? 1 : 0));
    FuzzPak pak({ { "a.tga", payload }, { "a.png", payload }, { "a.gif", payload }, { "a.jpg", payload } });
    if (!pak.ok)
        return 0;
    int fd = memfd_create("branding", MFD_CLOEXEC);
    if (fd < 0)
        return 0;
    if (write(fd, data, listSize) == static_cast<ssize_t>(listSize)) {
        auto title = std::make_unique<TitleScreen>(FuzzApp::Get("FuzzBranding"));
        title->LoadBranding("/proc/self/fd/" + std::to_string(fd));
        Kivo::MemoryImage canvas;
        canvas.Create(64, 48);
        Kivo::Graphics g(&canvas);
        for (int step = 0; step < 60 && title->mLogos->IsRunning(); ++step) {
            title->mLogos->UpdateF(40.0f);
            title->mLogos->Update();
            title->mLogos->Draw(&g, 64, 48);
        }
    }
    close(fd);
    return 0;
}
