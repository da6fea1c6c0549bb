#include "framework/app/DemoFile.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Kivo::DemoFile demo;
    std::string error;
    if (Kivo::DecodeDemoFile(data, size, "1.0", demo, error)) {
        // What was read writes back to a file that reads the same.
        const std::vector<uint8_t> again = Kivo::EncodeDemoFile(demo);
        Kivo::DemoFile second;
        if (!Kivo::DecodeDemoFile(again.data(), again.size(), "1.0", second, error) ||
            second.events != demo.events || second.markers.size() != demo.markers.size())
            __builtin_trap();
    }
    return 0;
}
