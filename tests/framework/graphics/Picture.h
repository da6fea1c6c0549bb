#pragma once
// Memory images made pixel by pixel for the drawing tests.
#include "framework/graphics/MemoryImage.h"
#include "TestHost.h"

#include <cstdint>
#include <functional>
#include <set>
#include <utility>
#include <vector>

namespace graphicstest {

// A w x h image whose pixel (x, y) is pixel(x, y), or filled with one value.
struct Picture {
    Picture(int w, int h, const std::function<uint32_t(int, int)>& pixel)
    {
        std::vector<uint32_t> px(static_cast<size_t>(w) * h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                px[static_cast<size_t>(y) * w + x] = pixel(x, y);
        image.SetBits(px.data(), w, h);
    }
    Picture(int w, int h, uint32_t fill) : Picture(w, h, [fill](int, int) { return fill; }) {}
    uint32_t At(int x, int y) const { return image.mBits[y * image.mWidth + x]; }
    // Positions whose pixel differs from `fill`.
    std::set<std::pair<int, int>> Changed(uint32_t fill) const
    {
        std::set<std::pair<int, int>> out;
        for (int y = 0; y < image.mHeight; ++y)
            for (int x = 0; x < image.mWidth; ++x)
                if (At(x, y) != fill)
                    out.insert({ x, y });
        return out;
    }
    bool Any(const std::function<bool(uint32_t)>& test) const
    {
        for (int y = 0; y < image.mHeight; ++y)
            for (int x = 0; x < image.mWidth; ++x)
                if (test(At(x, y)))
                    return true;
        return false;
    }
    Kivo::MemoryImage image;
};

} // namespace graphicstest
