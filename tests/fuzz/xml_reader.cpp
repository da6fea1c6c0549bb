// Reads arbitrary bytes as an XML file through every decoding: the first
// byte picks a byte-order mark to put in front.
#include "framework/core/PakInterface.h"
#include "framework/resources/XMLParser.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    static const char* const kMarks[] = { "", "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF" };
    std::string bytes = kMarks[data[0] & 3];
    bytes.append(reinterpret_cast<const char*>(data + 1), size - 1);

    int fd = memfd_create("xml", MFD_CLOEXEC);
    if (fd < 0)
        return 0;
    if (write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size())) {
        Kivo::XMLParser p;
        if (p.OpenFile("/proc/self/fd/" + std::to_string(fd))) {
            Kivo::XMLElement e;
            while (p.NextElement(&e)) {
            }
        }
        // The same bytes as a string source, one character per byte.
        p.SetStringSource(bytes);
        Kivo::XMLElement e;
        while (p.NextElement(&e)) {
        }
    }
    close(fd);
    return 0;
}
