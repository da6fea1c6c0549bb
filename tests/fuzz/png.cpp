// Decodes arbitrary bytes as a PNG file, with the chunk CRCs made right so
// that mutations reach the decoding and not only the CRC check.
#include "FuzzChecksums.h"
#include "framework/graphics/ImageLib.h"
#include "framework/graphics/ImageReader.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<uint8_t> file = fuzz::WithPngCrcs(data, size);
    ImageLib::MemoryReader in(file.data(), file.size());
    delete ImageLib::DecodePNG(in);
    return 0;
}
