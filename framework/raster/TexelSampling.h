#pragma once
// Texel reads and the packed colour arithmetic shared by the textured span
// functions. Every read is bounded by the texel count alone: coordinates are
// never wrapped or clamped, and an index outside the texture reads 0.
#include "framework/raster/RasterTypes.h"
#include "framework/raster/WideKernels.h"

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// SampleFourTexels at eight points from (u, v) on, stepping by (du, dv):
// the same words, the taps' arithmetic done side by side. Bilinear weights
// are 16-bit products' high halves and the channel sums stay below 65536,
// so red and blue are summed in the two 16-bit halves of one word. Every
// tap is read only where its index is inside the texture, also for points
// that the caller does not use.
namespace TexelRows {

#if defined(__SSE2__)
// The sample from four taps per lane and the points' coordinates.
inline __m128i Mix4(const __m128i (&t)[4], __m128i u, __m128i v)
{
    const __m128i low = _mm_set1_epi32(0xFF);
    const __m128i fu = _mm_add_epi32(_mm_and_si128(u, _mm_set1_epi32(0xFFFE)), _mm_set1_epi32(1));
    const __m128i fv = _mm_add_epi32(_mm_and_si128(v, _mm_set1_epi32(0xFFFE)), _mm_set1_epi32(1));
    const __m128i gu = _mm_sub_epi32(_mm_set1_epi32(0x10000), fu);
    const __m128i gv = _mm_sub_epi32(_mm_set1_epi32(0x10000), fv);
    const __m128i b[4] = { _mm_mulhi_epu16(gu, gv), _mm_mulhi_epu16(fu, gv), _mm_mulhi_epu16(gu, fv),
                           _mm_mulhi_epu16(fu, fv) };
    __m128i A = _mm_setzero_si128(), rb = A, g = A;
    for (int k = 0; k < 4; ++k) {
        const __m128i w = _mm_mulhi_epu16(b[k], _mm_srli_epi32(t[k], 24));
        A = _mm_add_epi32(A, w);
        rb = _mm_add_epi16(rb, _mm_mullo_epi16(_mm_and_si128(t[k], _mm_set1_epi32(0x00FF00FF)),
                                               _mm_or_si128(w, _mm_slli_epi32(w, 16))));
        g = _mm_add_epi32(g, _mm_mullo_epi16(_mm_and_si128(_mm_srli_epi32(t[k], 8), low), w));
    }
    return _mm_or_si128(_mm_or_si128(_mm_slli_epi32(A, 24), _mm_and_si128(_mm_srli_epi32(rb, 8), _mm_set1_epi32(0x00FF00FF))),
                        _mm_and_si128(g, _mm_set1_epi32(0xFF00)));
}

inline void Row4(const RasterTexture& t, uint32_t u, uint32_t v, uint32_t du, uint32_t dv, uint32_t* out)
{
    alignas(16) uint32_t taps[4][4], us[4], vs[4];
    const uint32_t w = t.width, n = t.texelCount;
    for (int k = 0; k < 4; ++k, u += du, v += dv) {
        const uint32_t x0 = static_cast<uint32_t>(static_cast<int32_t>(u) >> 16);
        const uint32_t y0 = static_cast<uint32_t>(static_cast<int32_t>(v) >> 16);
        const uint32_t i = y0 * w + x0;
        const uint32_t at[4] = { i, i + 1, i + w, i + w + 1 };
        for (int j = 0; j < 4; ++j)
            taps[j][k] = at[j] < n ? t.texels[at[j]] : 0;
        us[k] = u;
        vs[k] = v;
    }
    const __m128i tv[4] = { _mm_load_si128(reinterpret_cast<const __m128i*>(taps[0])),
                            _mm_load_si128(reinterpret_cast<const __m128i*>(taps[1])),
                            _mm_load_si128(reinterpret_cast<const __m128i*>(taps[2])),
                            _mm_load_si128(reinterpret_cast<const __m128i*>(taps[3])) };
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                     Mix4(tv, _mm_load_si128(reinterpret_cast<const __m128i*>(us)),
                          _mm_load_si128(reinterpret_cast<const __m128i*>(vs))));
}
#endif

#if defined(KIVO_WIDE_KERNELS)
KIVO_AVX2 inline void Row8(const RasterTexture& t, uint32_t u, uint32_t v, uint32_t du, uint32_t dv, uint32_t* out)
{
    const __m256i lane = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    const __m256i U = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(u)),
                                       _mm256_mullo_epi32(lane, _mm256_set1_epi32(static_cast<int>(du))));
    const __m256i V = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(v)),
                                       _mm256_mullo_epi32(lane, _mm256_set1_epi32(static_cast<int>(dv))));
    const __m256i w = _mm256_set1_epi32(static_cast<int>(t.width));
    const __m256i i = _mm256_add_epi32(_mm256_mullo_epi32(_mm256_srai_epi32(V, 16), w), _mm256_srai_epi32(U, 16));
    const __m256i one = _mm256_set1_epi32(1);
    const __m256i at[4] = { i, _mm256_add_epi32(i, one), _mm256_add_epi32(i, w),
                            _mm256_add_epi32(_mm256_add_epi32(i, w), one) };
    // Unsigned index < texel count, as a signed compare with the top bits
    // turned over.
    const __m256i flip = _mm256_set1_epi32(static_cast<int>(0x80000000u));
    const __m256i count = _mm256_xor_si256(_mm256_set1_epi32(static_cast<int>(t.texelCount)), flip);
    const int* texels = reinterpret_cast<const int*>(t.texels);
    __m256i tap[4];
    for (int k = 0; k < 4; ++k)
        tap[k] = _mm256_mask_i32gather_epi32(_mm256_setzero_si256(), texels, at[k],
                                             _mm256_cmpgt_epi32(count, _mm256_xor_si256(at[k], flip)), 4);
    const __m256i low = _mm256_set1_epi32(0xFF);
    const __m256i fu = _mm256_add_epi32(_mm256_and_si256(U, _mm256_set1_epi32(0xFFFE)), one);
    const __m256i fv = _mm256_add_epi32(_mm256_and_si256(V, _mm256_set1_epi32(0xFFFE)), one);
    const __m256i gu = _mm256_sub_epi32(_mm256_set1_epi32(0x10000), fu);
    const __m256i gv = _mm256_sub_epi32(_mm256_set1_epi32(0x10000), fv);
    const __m256i b[4] = { _mm256_mulhi_epu16(gu, gv), _mm256_mulhi_epu16(fu, gv), _mm256_mulhi_epu16(gu, fv),
                           _mm256_mulhi_epu16(fu, fv) };
    __m256i A = _mm256_setzero_si256(), rb = A, g = A;
    for (int k = 0; k < 4; ++k) {
        const __m256i wk = _mm256_mulhi_epu16(b[k], _mm256_srli_epi32(tap[k], 24));
        A = _mm256_add_epi32(A, wk);
        rb = _mm256_add_epi16(rb, _mm256_mullo_epi16(_mm256_and_si256(tap[k], _mm256_set1_epi32(0x00FF00FF)),
                                                     _mm256_or_si256(wk, _mm256_slli_epi32(wk, 16))));
        g = _mm256_add_epi32(g, _mm256_mullo_epi16(_mm256_and_si256(_mm256_srli_epi32(tap[k], 8), low), wk));
    }
    const __m256i s = _mm256_or_si256(
        _mm256_or_si256(_mm256_slli_epi32(A, 24), _mm256_and_si256(_mm256_srli_epi32(rb, 8), _mm256_set1_epi32(0x00FF00FF))),
        _mm256_and_si256(g, _mm256_set1_epi32(0xFF00)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), s);
}
#endif

#if defined(KIVO_WIDE_KERNELS)
// NearestTexel at eight points from (u, v) on, the texels gathered.
KIVO_AVX2 inline void NearestRow8(const RasterTexture& t, uint32_t u, uint32_t v, uint32_t du, uint32_t dv,
                                  uint32_t* out)
{
    const __m256i lane = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    const __m256i U = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(u)),
                                       _mm256_mullo_epi32(lane, _mm256_set1_epi32(static_cast<int>(du))));
    const __m256i V = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(v)),
                                       _mm256_mullo_epi32(lane, _mm256_set1_epi32(static_cast<int>(dv))));
    const __m256i at = _mm256_add_epi32(
        _mm256_mullo_epi32(_mm256_srli_epi32(V, 16), _mm256_set1_epi32(static_cast<int>(t.width))),
        _mm256_srli_epi32(U, 16));
    const __m256i flip = _mm256_set1_epi32(static_cast<int>(0x80000000u));
    const __m256i inside = _mm256_cmpgt_epi32(_mm256_xor_si256(_mm256_set1_epi32(static_cast<int>(t.texelCount)), flip),
                                              _mm256_xor_si256(at, flip));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out),
                        _mm256_mask_i32gather_epi32(_mm256_setzero_si256(), reinterpret_cast<const int*>(t.texels),
                                                    at, inside, 4));
}
#endif

} // namespace TexelRows

// NearestTexel at eight points from (u, v) on, stepping by (du, dv).
inline void NearestTexelRow(const RasterTexture& t, uint32_t u, uint32_t v, uint32_t du, uint32_t dv,
                            [[maybe_unused]] bool wide, uint32_t (&out)[8])
{
#if defined(KIVO_WIDE_KERNELS)
    if (wide) {
        TexelRows::NearestRow8(t, u, v, du, dv, out);
        return;
    }
#endif
    for (uint32_t k = 0; k < 8; ++k)
        out[k] = Raster::NearestTexel(t, u + k * du, v + k * dv);
}

// Eight samples into out; `wide` picks the AVX2 kernel.
inline void SampleFourTexelsRow(const RasterTexture& t, uint32_t u, uint32_t v, uint32_t du, uint32_t dv,
                                [[maybe_unused]] bool wide, uint32_t (&out)[8])
{
#if defined(KIVO_WIDE_KERNELS)
    if (wide) {
        TexelRows::Row8(t, u, v, du, dv, out);
        return;
    }
#endif
#if defined(__SSE2__)
    TexelRows::Row4(t, u, v, du, dv, out);
    TexelRows::Row4(t, u + 4 * du, v + 4 * dv, du, dv, out + 4);
#else
    for (int k = 0; k < 8; ++k)
        out[k] = SampleFourTexels(t, u + k * du, v + k * dv);
#endif
}

} // namespace Kivo
