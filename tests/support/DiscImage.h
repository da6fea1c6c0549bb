#pragma once
// A w x h opaque image, white inside a disc of radius r about the centre and
// black elsewhere: the mask of a round brick.
#include "framework/graphics/MemoryImage.h"

#include <memory>

namespace testsupport {

inline std::unique_ptr<Kivo::MemoryImage> DiscImage(int w, int h, int r)
{
    auto image = std::make_unique<Kivo::MemoryImage>();
    image->Create(w, h);
    uint32_t* bits = image->GetBits();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int dx = x - w / 2, dy = y - h / 2;
            bits[y * w + x] = dx * dx + dy * dy <= r * r ? 0xFFFFFFFF : 0xFF000000;
        }
    image->BitsChanged();
    return image;
}

} // namespace testsupport
