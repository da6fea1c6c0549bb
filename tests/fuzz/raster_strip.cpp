// Raw strip vertices, as a mesh or a data file could hand them to the
// rasterizer, drawn with every format and option set: nothing may be
// written outside the clip rectangle. Bytes 0-9 choose the format, the
// options, the draw colour and the clip; the rest are 20-byte vertices
// (x, y, u, v as raw floats, then the colour).
#include "framework/raster/TriangleStrip.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr int kWidth = 64, kHeight = 48, kGuard = 8;

struct Texture final : Kivo::RasterTextureSource {
    Texture()
    {
        for (size_t i = 0; i < texels.size(); ++i)
            texels[i] = static_cast<uint32_t>(i * 0x9E3779B9u) ^ (i % 3 ? 0 : 0xFF000000u);
    }
    void CommitBits() override {}
    const uint32_t* GetBits() override { return texels.data(); }
    int32_t GetWidth() const override { return 7; }
    int32_t GetHeight() const override { return 5; }
    bool HasTransparency() const override { return true; }
    bool HasAlpha() const override { return true; }
    std::vector<uint32_t> texels = std::vector<uint32_t>(35);
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 10)
        return 0;
    static const int32_t formats[4] = { 0x8888, 0x888, 0x565, 0x555 };
    const int group = data[0] & 3;
    const int pixelSize = group < 2 ? 4 : 2;
    const bool textured = data[1] & 1, linear = data[1] & 2, vertexColours = data[1] & 4;
    const Kivo::StripColor colour = { data[2], data[3], data[4], data[5] };
    Kivo::StripRect clip;
    clip.x = data[6] % kWidth;
    clip.y = data[7] % kHeight;
    clip.width = data[8] % (kWidth - clip.x + 1);
    clip.height = data[9] % (kHeight - clip.y + 1);

    std::vector<Kivo::StripVertex> strip((size - 10) / sizeof(Kivo::StripVertex));
    if (!strip.empty())
        std::memcpy(strip.data(), data + 10, strip.size() * sizeof(Kivo::StripVertex));

    const uint32_t pitch = (kWidth + 2 * kGuard) * pixelSize;
    std::vector<uint8_t> buffer(static_cast<size_t>(pitch) * (kHeight + 2 * kGuard), 0xA5);
    uint8_t* bits = buffer.data() + kGuard * pitch + kGuard * pixelSize;
    Texture texture;
    Kivo::DrawTriangleStrip(strip.data(), static_cast<int>(strip.size()), textured ? &texture : nullptr, &colour,
                            0, &clip, bits, pitch, formats[group], linear, vertexColours);

    for (int y = -kGuard; y < kHeight + kGuard; ++y)
        for (int x = -kGuard; x < kWidth + kGuard; ++x) {
            if (x >= clip.x && y >= clip.y && x < clip.x + clip.width && y < clip.y + clip.height)
                continue;
            const uint8_t* p = bits + static_cast<std::ptrdiff_t>(y) * pitch + x * pixelSize;
            for (int b = 0; b < pixelSize; ++b)
                if (p[b] != 0xA5)
                    __builtin_trap();
        }
    return 0;
}
