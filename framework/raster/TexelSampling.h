#pragma once
// Texel reads and the packed colour arithmetic shared by the textured span
// functions. Every read is bounded by the texel count alone: coordinates are
// never wrapped or clamped, and an index outside the texture reads 0.
#include "framework/raster/RasterTypes.h"

#include <cstdint>

namespace Kivo::Raster {

// The texel under (u, v), 16.16 texels: the integer parts taken as unsigned,
// the index formed with wrapping unsigned arithmetic.
inline uint32_t NearestTexel(const RasterTexture& t, uint32_t u, uint32_t v)
{
    const uint32_t index = (v >> 16) * t.width + (u >> 16);
    return index < t.texelCount ? t.texels[index] : 0;
}

// Each of red, green and blue scaled by its weight (0..256) in its own bit
// field: (channel × weight) >> 8. The alpha byte of the result is 0.
inline uint32_t Modulate(uint32_t t, uint32_t wr, uint32_t wg, uint32_t wb)
{
    return ((((t & 0xFF0000u) * wr) & 0xFF000000u) | (((t & 0xFF00u) * wg) & 0xFF0000u)
            | (((t & 0xFFu) * wb) & 0xFF00u)) >> 8;
}

} // namespace Kivo::Raster

namespace Kivo {

// Four-texel sample at (u', v'), coordinates already shifted by half a texel
// so that texel centres fall on whole numbers. The bilinear weights are
// multiplied by each tap's alpha and the colour is not divided by their sum:
// the result is premultiplied (alpha <= 254, each channel <= alpha). Each tap
// is read only when its own index is inside the texture, so a tap beside a
// row end reads the neighbouring row and one above or below the texture
// reads 0.
inline uint32_t SampleFourTexels(const RasterTexture& t, uint32_t u, uint32_t v)
{
    const uint32_t u0 = u & 0xFFFF0000u;
    const uint32_t v0 = v & 0xFFFF0000u;
    const uint32_t x0 = static_cast<uint32_t>(static_cast<int32_t>(u0) >> 16);
    const uint32_t y0 = static_cast<uint32_t>(static_cast<int32_t>(v0) >> 16);
    const uint32_t i = y0 * t.width + x0;
    const uint32_t w = t.width;
    uint32_t t00 = 0, t10 = 0, t01 = 0, t11 = 0;
    if (t.texelCount > w + 1 && i < t.texelCount - w - 1) {
        const uint32_t* p = t.texels + i;
        t00 = p[0];
        t10 = p[1];
        t01 = p[w];
        t11 = p[w + 1];
    } else {
        const uint32_t n = t.texelCount;
        if (i < n) t00 = t.texels[i];
        if (i + 1 < n) t10 = t.texels[i + 1];
        if (i + w < n) t01 = t.texels[i + w];
        if (i + w + 1 < n) t11 = t.texels[i + w + 1];
    }
    // Odd fractions: neither a fraction nor 0x10000 minus it is ever 0, and
    // every product below fits in 32 bits.
    const uint32_t fu = ((u - u0) & 0xFFFE) + 1;
    const uint32_t fv = ((v - v0) & 0xFFFE) + 1;
    const uint32_t w00 = ((((0x10000 - fu) * (0x10000 - fv)) >> 16) * (t00 >> 24)) >> 16;
    const uint32_t w10 = (((fu * (0x10000 - fv)) >> 16) * (t10 >> 24)) >> 16;
    const uint32_t w01 = ((((0x10000 - fu) * fv) >> 16) * (t01 >> 24)) >> 16;
    const uint32_t w11 = (((fu * fv) >> 16) * (t11 >> 24)) >> 16;
    const uint32_t rb = (t00 & 0xFF00FFu) * w00 + (t10 & 0xFF00FFu) * w10 + (t01 & 0xFF00FFu) * w01
        + (t11 & 0xFF00FFu) * w11;
    const uint32_t g = (t00 & 0xFF00u) * w00 + (t10 & 0xFF00u) * w10 + (t01 & 0xFF00u) * w01
        + (t11 & 0xFF00u) * w11;
    return ((w00 + w10 + w01 + w11) << 24) | (((rb & 0xFF00FF00u) | (g & 0xFF0000u)) >> 8);
}

} // namespace Kivo
