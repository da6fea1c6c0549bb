// Reads arbitrary bytes as a resource manifest, twice: the second time
// redefining every id the first one declared.
#include "framework/resources/ResourceManager.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    int fd = memfd_create("manifest", MFD_CLOEXEC);
    if (fd < 0)
        return 0;
    if (write(fd, data, size) == static_cast<ssize_t>(size)) {
        const std::string path = "/proc/self/fd/" + std::to_string(fd);
        Kivo::ResourceManager manager(nullptr);
        manager.ParseResourcesFile(path);
        manager.StartLoadResources("");
        manager.ParseResourcesFileAllowRedefine(path);
        manager.GetNumResources("");
        manager.GetErrorText();
        manager.DeleteResources("");
    }
    close(fd);
    return 0;
}
