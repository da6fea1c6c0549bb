#include "framework/graphics/ImageLib.h"
#include "framework/graphics/ImageReader.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace ImageLib {

namespace {

uint32_t FilePixel(const uint8_t* p, int bytes)
{
    if (bytes == 2) {
        const uint32_t v = p[0] | (p[1] << 8);
        return 0xFF000000 | (((v >> 7) & 0xF8) << 16) | (((v >> 2) & 0xF8) << 8) | ((v & 0x1F) * 8);
    }
    const uint32_t alpha = bytes == 4 ? p[3] : 255;
    return (alpha << 24) | (p[2] << 16) | (p[1] << 8) | p[0];
}

} // namespace

Image* DecodeTGA(Reader& in)
{
    uint8_t h[18];
    if (!in.ReadFully(h, sizeof h))
        return nullptr;
    const int idLength = h[0];
    const int mapType = h[1];
    const int imageType = h[2];
    const int mapLength = h[5] | (h[6] << 8);
    const int mapEntryBits = h[7];
    const int width = h[12] | (h[13] << 8);
    const int height = h[14] | (h[15] << 8);
    const int depth = h[16];
    // Descriptor bit 5 set: the first stored row is the top one; clear: the
    // bottom one. Bits 0-3 count the alpha bits and say nothing of order.
    const bool flip = (h[17] & 0x20) == 0;
    const bool rle = imageType == 10;

    if (rle ? (depth != 24 && depth != 32) : (depth != 16 && depth != 24 && depth != 32))
        return nullptr;
    const int bytes = depth / 8;
    // A colour map ahead of true-colour pixels is not used, but skipped so
    // that the pixels are read from their place.
    int64_t skip = idLength;
    if (mapType == 1)
        skip += static_cast<int64_t>(mapLength) * ((mapEntryBits + 7) / 8);
    if (!in.Seek(in.Tell() + skip))
        return nullptr;

    const int64_t count = static_cast<int64_t>(width) * height;
    // Even run-length data needs a header and a pixel per 128 pixels.
    const int64_t least = rle ? (count + 127) / 128 * (1 + bytes) : count * bytes;
    if (width == 0 || height == 0 || in.Remaining() < least)
        return nullptr;
    std::unique_ptr<Image> image(NewImage(width, height));
    if (!image)
        return nullptr;

    uint32_t* pixels = image->mBits;
    if (rle) {
        int64_t done = 0;
        uint8_t p[4];
        while (done < count) {
            uint8_t packet;
            if (!in.ReadFully(&packet, 1))
                return nullptr;
            const int n = (packet & 0x7F) + 1;
            if (done + n > count) // a packet running past the last pixel
                return nullptr;
            if (packet < 128) {
                for (int i = 0; i < n; ++i) {
                    if (!in.ReadFully(p, bytes))
                        return nullptr;
                    pixels[done++] = FilePixel(p, bytes);
                }
            } else {
                if (!in.ReadFully(p, bytes))
                    return nullptr;
                const uint32_t v = FilePixel(p, bytes);
                for (int i = 0; i < n; ++i)
                    pixels[done++] = v;
            }
        }
    } else {
        std::vector<uint8_t> row(static_cast<size_t>(width) * bytes);
        for (int y = 0; y < height; ++y) {
            if (!in.ReadFully(row.data(), row.size()))
                return nullptr;
            for (int x = 0; x < width; ++x)
                pixels[static_cast<size_t>(y) * width + x] = FilePixel(&row[static_cast<size_t>(x) * bytes], bytes);
        }
    }
    if (flip) {
        for (int y = 0; y < height / 2; ++y)
            std::swap_ranges(pixels + static_cast<size_t>(y) * width, pixels + static_cast<size_t>(y + 1) * width,
                             pixels + static_cast<size_t>(height - 1 - y) * width);
    }
    return image.release();
}

} // namespace ImageLib
