#pragma once
// Small image files made in memory for the decoder tests: TGA and GIF from
// byte tables, PNG and JPEG with the libraries' own encoders (JPEG 2000 is
// in the shared support).
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/J2KFixture.h"

namespace graphicstest {

// Pixels are 0xAARRGGBB, in file order (the first row stored first).
std::string MakeTGA(int width, int height, int depth, uint8_t descriptor, const std::vector<uint32_t>& pixels,
                    bool rle = false);

struct GifOptions {
    int transparent = -1;
    bool interlaced = false;
    bool localTable = false;
    // The encoder clears its table once it holds this many codes; 4096 or
    // more lets the table fill and go on with 12-bit codes, as encoders may.
    int clearAt = 4000;
};
// Indices in stored order; a table of `palette.size()` entries (a power of 2).
std::string MakeGIF(int width, int height, const std::vector<uint8_t>& indices, const std::vector<uint32_t>& palette,
                    const GifOptions& options = {});

struct PngOptions {
    int bitDepth = 8;
    int colorType = 6; // RGBA
    bool interlaced = false;
};
// Pixels 0xAARRGGBB; 16-bit channels repeat the byte.
std::string MakePNG(int width, int height, const std::vector<uint32_t>& pixels, const PngOptions& options = {});

// components 1 (grey from the blue byte), 3, or 4 (CMYK).
std::string MakeJPEG(int width, int height, int components, const std::vector<uint32_t>& pixels);

} // namespace graphicstest
