#pragma once
// JPEG 2000 files made with OpenJPEG's encoder, for the codec module and the
// image loader tests.
#include <cstdint>
#include <string>
#include <vector>

namespace graphicstest {

// Lossless, 8 bits a component: 1 (grey from the blue byte), 3 (RGB) or 4
// (RGBA). jp2 chooses the boxed format over a bare codestream.
std::string MakeJ2K(int width, int height, int components, const std::vector<uint32_t>& pixels, bool jp2);

} // namespace graphicstest
