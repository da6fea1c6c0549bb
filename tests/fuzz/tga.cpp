// Decodes arbitrary bytes as a TGA file.
#include "framework/graphics/ImageLib.h"
#include "framework/graphics/ImageReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ImageLib::MemoryReader in(data, size);
    delete ImageLib::DecodeTGA(in);
    return 0;
}
