#pragma once
// Row kernels of the software blits on 0xAARRGGBB words: the same integer
// results as the per-pixel formulas they stand for, four pixels at a time
// where SSE2 is there, one at a time for the rest of the row.
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Kivo::rows {

// An opaque source pixel "over" any destination: the blend's weight is 255
// and the new alpha 255 whatever the destination, so each channel becomes
// (c x 255) >> 8, which is c - 1 for every c but 0.
inline uint32_t OpaqueOver(uint32_t s)
{
    // The top bit of each colour byte that is not 0, moved down to its
    // lowest bit: the ones to take away, without borrows.
    const uint32_t c = s & 0xFFFFFF;
    const uint32_t ones = ((((c & 0x7F7F7F) + 0x7F7F7F) | c) & 0x808080) >> 7;
    return 0xFF000000 | (c - ones);
}

inline void OpaqueOverRow(uint32_t* d, const uint32_t* s, int n)
{
    int i = 0;
#if defined(__SSE2__)
    const __m128i one = _mm_set1_epi32(0x00010101);
    const __m128i alpha = _mm_set1_epi32(static_cast<int>(0xFF000000));
    for (; i + 4 <= n; i += 4) {
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_or_si128(_mm_subs_epu8(p, one), alpha));
    }
#endif
    for (; i < n; ++i)
        d[i] = OpaqueOver(s[i]);
}

// n pixels copied as they are, sixteen bytes at a time: a library copy of
// a few hundred bytes can become a string instruction that runs slower.
inline void CopyRow(uint32_t* d, const uint32_t* s, int n)
{
    int i = 0;
#if defined(__SSE2__)
    for (; i + 4 <= n; i += 4)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i)));
#endif
    for (; i < n; ++i)
        d[i] = s[i];
}

// The additive blit's addend: each colour channel c of the source becomes
// ((c x k_c) >> 8 x sa) >> 8, where a factor k_c of 256 or a source alpha sa
// of 256 leaves its step out; the alpha channel adds nothing.
struct AddFactors {
    uint32_t kr = 256, kg = 256, kb = 256;
    bool bySourceAlpha = false;
};

inline uint32_t Addend(uint32_t s, const AddFactors& f)
{
    const uint32_t sa = s >> 24;
    auto one = [&](uint32_t c, uint32_t k) {
        if (k != 256)
            c = (c * k) >> 8;
        if (f.bySourceAlpha)
            c = (c * sa) >> 8;
        return c;
    };
    return (one((s >> 16) & 0xFF, f.kr) << 16) | (one((s >> 8) & 0xFF, f.kg) << 8) | one(s & 0xFF, f.kb);
}

// The destination's channels plus the addend, each held at 255; the
// destination's alpha stays.
inline uint32_t SaturatedAdd(uint32_t d, uint32_t add)
{
    uint32_t out = d & 0xFF000000;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t c = ((d >> shift) & 0xFF) + ((add >> shift) & 0xFF);
        out |= (c > 255 ? 255 : c) << shift;
    }
    return out;
}

inline void AddRow(uint32_t* d, const uint32_t* s, int n, const AddFactors& f)
{
    int i = 0;
#if defined(__SSE2__)
    const bool tinted = f.kr != 256 || f.kg != 256 || f.kb != 256;
    // A factor of 256 is a multiplication by 256 then a shift by 8.
    const __m128i k = _mm_setr_epi16(static_cast<short>(f.kb), static_cast<short>(f.kg), static_cast<short>(f.kr),
                                     0, static_cast<short>(f.kb), static_cast<short>(f.kg),
                                     static_cast<short>(f.kr), 0);
    const __m128i zero = _mm_setzero_si128();
    const __m128i rgb = _mm_set1_epi32(0x00FFFFFF);
    auto half = [&](__m128i p) {
        __m128i c = p;
        if (tinted)
            c = _mm_srli_epi16(_mm_mullo_epi16(c, k), 8);
        if (f.bySourceAlpha) {
            __m128i a = _mm_shufflelo_epi16(p, 0xFF);
            a = _mm_shufflehi_epi16(a, 0xFF);
            c = _mm_srli_epi16(_mm_mullo_epi16(c, a), 8);
        }
        return c;
    };
    for (; i + 4 <= n; i += 4) {
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        __m128i add = _mm_packus_epi16(half(_mm_unpacklo_epi8(p, zero)), half(_mm_unpackhi_epi8(p, zero)));
        add = _mm_and_si128(add, rgb);
        __m128i* out = reinterpret_cast<__m128i*>(d + i);
        _mm_storeu_si128(out, _mm_adds_epu8(_mm_loadu_si128(out), add));
    }
#endif
    for (; i < n; ++i)
        d[i] = SaturatedAdd(d[i], Addend(s[i], f));
}

} // namespace Kivo::rows
