#pragma once
// Small fixtures for the rasterizer tests: a destination buffer in any of the
// four formats with a guard border, a texture source, and records in 16.16.
#include "framework/raster/RasterTypes.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace RasterTest {

constexpr int kGroupFormats[4] = { 0x8888, 0x888, 0x565, 0x555 };

inline int PixelSize(int group) { return group < 2 ? 4 : 2; }

// width × height pixels inside a border of guard pixels on every side; bits()
// is pixel (0, 0) of the inner area.
struct Surface {
    Surface(int group, int width, int height, uint32_t fill, int guard = 0, uint32_t guardValue = 0)
        : group(group), width(width), height(height), guard(guard),
          pitch(static_cast<uint32_t>((width + 2 * guard) * PixelSize(group))),
          bytes(static_cast<size_t>(pitch) * (height + 2 * guard))
    {
        for (int y = -guard; y < height + guard; ++y)
            for (int x = -guard; x < width + guard; ++x)
                Set(x, y, (x < 0 || y < 0 || x >= width || y >= height) ? guardValue : fill);
    }
    uint8_t* bits() { return bytes.data() + static_cast<size_t>(guard) * pitch + guard * PixelSize(group); }
    uint32_t Get(int x, int y) const
    {
        const uint8_t* p = bytes.data() + static_cast<size_t>(y + guard) * pitch + (x + guard) * PixelSize(group);
        if (group < 2) {
            uint32_t v;
            std::memcpy(&v, p, 4);
            return v;
        }
        uint16_t v;
        std::memcpy(&v, p, 2);
        return v;
    }
    void Set(int x, int y, uint32_t value)
    {
        uint8_t* p = bytes.data() + static_cast<size_t>(y + guard) * pitch + (x + guard) * PixelSize(group);
        if (group < 2) {
            std::memcpy(p, &value, 4);
        } else {
            const auto v = static_cast<uint16_t>(value);
            std::memcpy(p, &v, 2);
        }
    }
    int group, width, height, guard;
    uint32_t pitch;
    std::vector<uint8_t> bytes;
};

struct FakeTexture final : Kivo::RasterTextureSource {
    FakeTexture(int w, int h, uint32_t fill) : width(w), height(h), texels(static_cast<size_t>(w) * h, fill) {}
    void CommitBits() override
    {
        ++commits;
        transparent = translucent = false;
        for (uint32_t t : texels) {
            transparent |= (t >> 24) == 0;
            translucent |= (t >> 24) != 0 && (t >> 24) != 255;
        }
    }
    const uint32_t* GetBits() override
    {
        ++getBits;
        return texels.data();
    }
    int32_t GetWidth() const override { return width; }
    int32_t GetHeight() const override { return height; }
    bool HasTransparency() const override { return transparent; }
    bool HasAlpha() const override { return translucent; }

    int width, height;
    std::vector<uint32_t> texels;
    bool transparent = false, translucent = false;
    int commits = 0, getBits = 0;
};

inline Kivo::RasterTexture MakeTexture(const std::vector<uint32_t>& texels, uint32_t width)
{
    const auto count = static_cast<uint32_t>(texels.size());
    return { texels.data(), 0, 0, 0, width, count, width ? count / width : 0 };
}

// A record at pixel (x, y) with u, v in texels and a colour 0xAARRGGBB.
inline Kivo::RasterVertex Vertex(double x, double y, double u = 0, double v = 0, uint32_t colour = 0)
{
    return { static_cast<int32_t>(x * 65536), static_cast<int32_t>(y * 65536),
             static_cast<int32_t>((colour >> 8) & 0xFF0000), static_cast<int32_t>(colour & 0xFF0000),
             static_cast<int32_t>((colour & 0xFF00) << 8), static_cast<int32_t>((colour & 0xFF) << 16),
             static_cast<int32_t>(u * 65536), static_cast<int32_t>(v * 65536) };
}

inline Kivo::RasterColor Colour(uint32_t argb)
{
    return { argb >> 24, (argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF };
}

} // namespace RasterTest
