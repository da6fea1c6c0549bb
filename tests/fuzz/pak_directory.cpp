// Adds arbitrary bytes as a pak archive (descrambled input is scrambled
// first, so the fuzzer works on the plain layout) and reads every entry
// it admits in full.
#include "framework/core/PakInterface.h"

#include <cstdint>
#include <cstddef>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    int fd = memfd_create("pak", MFD_CLOEXEC);
    if (fd < 0)
        return 0;
    std::vector<uint8_t> file(data, data + size);
    for (size_t i = 0; i < file.size(); ++i)
        file[i] = PakScrambleByte(file[i], i);
    if (write(fd, file.data(), file.size()) == static_cast<ssize_t>(file.size())) {
        PakInterface pak;
        pak.AddPakFile("/proc/self/fd/" + std::to_string(fd));
        std::vector<char> buffer;
        for (const auto& [key, record] : pak.Records()) {
            if (record.start < 0 || record.size < 0 || static_cast<size_t>(record.start) + record.size > size)
                __builtin_trap();
            // Names with separators other than '\' or with dots are not
            // found by lookups; read every record through a handle of its own.
            if (!key.empty() && FixFileName(key) == key) {
                PakFileHandle* found = pak.Open(key, "rb");
                if (!found || found->record != &record)
                    __builtin_trap();
                pak.Close(found);
            }
            auto* h = new PakFileHandle;
            h->record = const_cast<PakRecord*>(&record);
            buffer.resize(static_cast<size_t>(record.size) + 1);
            if (pak.Read(buffer.data(), 1, buffer.size(), h) != static_cast<size_t>(record.size))
                __builtin_trap();
            pak.Seek(h, -1, SEEK_END);
            char line[8];
            while (pak.GetLine(line, sizeof line, h))
                ;
            pak.Close(h);
        }
    }
    close(fd);
    return 0;
}
