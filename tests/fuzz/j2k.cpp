// Decodes arbitrary bytes as a J2K file.
#include "framework/graphics/ImageLib.h"
#include "framework/graphics/ImageReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool loaded = (LoadJ2KCodec(), true);
    (void)loaded;
    ImageLib::MemoryReader in(data, size);
    delete ImageLib::DecodeJ2K(in);
    return 0;
}
