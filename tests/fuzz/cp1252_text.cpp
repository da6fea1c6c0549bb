// Text from other programs (the clipboard, text input) is UTF-8 of any
// shape: converting it must stay in bounds, and what comes out must survive
// the way back unchanged.
#include "platform/gdi/Cp1252.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text = platform::Utf8ToCp1252(std::string(reinterpret_cast<const char*>(data), size));
    if (platform::Utf8ToCp1252(platform::Cp1252ToUtf8(text)) != text)
        std::abort();
    return 0;
}
