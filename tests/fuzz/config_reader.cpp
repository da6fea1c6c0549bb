// Reads arbitrary bytes as "config.xml" into a fresh application's maps.
#include "framework/app/KivoAppBase.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    int fd = memfd_create("config", MFD_CLOEXEC);
    if (fd < 0)
        return 0;
    if (write(fd, data, size) == static_cast<ssize_t>(size)) {
        Kivo::KivoAppBase app;
        app.LoadSettingsXml("/proc/self/fd/" + std::to_string(fd));
    }
    close(fd);
    return 0;
}
