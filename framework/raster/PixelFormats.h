#pragma once
// The four destination layouts of the span functions. Each packs a source
// colour 0xAARRGGBB, writes it opaque, and blends it with an alpha a (0..255)
// as a straight source (weighted by a in the blend) or a premultiplied one
// (each channel already at most a). Channels are truncated, never rounded.
#include "framework/raster/WideKernels.h"

#include <algorithm>
#include <array>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Kivo::Raster {

// The ARGB handling of a sample s over pixel d, several pixels side by side:
// an alpha of 8 or less leaves the pixel, 240 or more writes it opaque, and
// anything between blends it as FormatARGB::BlendWeighted does (straight or
// premultiplied). Every product fits a 16-bit lane; the division by the new
// alpha is a float division, exact for numerators below 2^24.
namespace ArgbOver {

#if defined(__SSE2__)
template <bool Premultiplied>
inline __m128i Four(__m128i d, __m128i s)
{
    const __m128i low = _mm_set1_epi32(0xFF), bytes = _mm_set1_epi32(0x00FF00FF), n256 = _mm_set1_epi32(256);
    auto pair = [](__m128i v) { return _mm_or_si128(v, _mm_slli_epi32(v, 16)); };
    auto select = [](__m128i mask, __m128i yes, __m128i no) {
        return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
    };
    const __m128i A = _mm_srli_epi32(s, 24);
    const __m128i ia = _mm_sub_epi32(n256, A);
    const __m128i da = _mm_srli_epi32(d, 24);
    const __m128i outA = _mm_sub_epi32(n256, _mm_srli_epi32(_mm_mullo_epi16(_mm_sub_epi32(n256, da), ia), 8));
    __m128i srb = _mm_and_si128(s, bytes), sg = _mm_and_si128(_mm_srli_epi32(s, 8), low);
    if constexpr (!Premultiplied) {
        srb = _mm_srli_epi16(_mm_mullo_epi16(srb, pair(A)), 8);
        sg = _mm_srli_epi32(_mm_mullo_epi16(sg, A), 8);
    }
    const __m128i xrb = _mm_srli_epi16(_mm_mullo_epi16(_mm_and_si128(d, bytes), pair(da)), 8);
    const __m128i xg = _mm_srli_epi32(_mm_mullo_epi16(_mm_and_si128(_mm_srli_epi32(d, 8), low), da), 8);
    __m128i frb = _mm_add_epi16(_mm_srli_epi16(_mm_mullo_epi16(xrb, pair(ia)), 8), srb);
    __m128i fg = _mm_add_epi32(_mm_srli_epi32(_mm_mullo_epi16(xg, ia), 8), sg);
    if constexpr (Premultiplied) {
        frb = _mm_min_epi16(frb, _mm_set1_epi16(255));
        fg = _mm_min_epi16(fg, low);
    }
    __m128i out = _mm_or_si128(_mm_or_si128(frb, _mm_slli_epi32(fg, 8)), _mm_set1_epi32(static_cast<int>(0xFF000000)));
    const __m128i opaque = _mm_cmpgt_epi32(A, _mm_set1_epi32(239));
    const __m128i keep = _mm_or_si128(_mm_cmpgt_epi32(_mm_set1_epi32(9), A), _mm_cmpeq_epi32(outA, _mm_setzero_si128()));
    const __m128i divide = _mm_cmpgt_epi32(n256, outA);
    if (_mm_movemask_epi8(_mm_andnot_si128(_mm_or_si128(opaque, keep), divide))) {
        const __m128 f = _mm_cvtepi32_ps(outA);
        __m128i mixed = _mm_slli_epi32(_mm_sub_epi32(outA, _mm_set1_epi32(1)), 24);
        const __m128i x[3] = { _mm_srli_epi32(xrb, 16), xg, _mm_and_si128(xrb, low) };
        const __m128i sc[3] = { _mm_srli_epi32(srb, 16), sg, _mm_and_si128(srb, low) };
        for (int c = 0; c < 3; ++c) {
            const __m128i num = _mm_add_epi32(_mm_mullo_epi16(x[c], ia), _mm_slli_epi32(sc[c], 8));
            __m128i q = _mm_cvttps_epi32(_mm_div_ps(_mm_cvtepi32_ps(num), f));
            if constexpr (Premultiplied)
                q = select(_mm_cmpgt_epi32(q, low), low, q);
            mixed = _mm_or_si128(mixed, _mm_slli_epi32(q, 16 - 8 * c));
        }
        out = select(divide, mixed, out);
    }
    out = select(opaque, _mm_or_si128(s, _mm_set1_epi32(static_cast<int>(0xFF000000))), out);
    return select(keep, d, out);
}
#endif

#if defined(KIVO_WIDE_KERNELS)
template <bool Premultiplied>
KIVO_AVX2 inline __m256i Eight(__m256i d, __m256i s)
{
    const __m256i low = _mm256_set1_epi32(0xFF), bytes = _mm256_set1_epi32(0x00FF00FF), n256 = _mm256_set1_epi32(256);
    const __m256i A = _mm256_srli_epi32(s, 24);
    const __m256i ia = _mm256_sub_epi32(n256, A);
    const __m256i da = _mm256_srli_epi32(d, 24);
    const __m256i outA =
        _mm256_sub_epi32(n256, _mm256_srli_epi32(_mm256_mullo_epi16(_mm256_sub_epi32(n256, da), ia), 8));
    __m256i srb = _mm256_and_si256(s, bytes), sg = _mm256_and_si256(_mm256_srli_epi32(s, 8), low);
    if constexpr (!Premultiplied) {
        srb = _mm256_srli_epi16(_mm256_mullo_epi16(srb, _mm256_or_si256(A, _mm256_slli_epi32(A, 16))), 8);
        sg = _mm256_srli_epi32(_mm256_mullo_epi16(sg, A), 8);
    }
    const __m256i xrb =
        _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_and_si256(d, bytes), _mm256_or_si256(da, _mm256_slli_epi32(da, 16))), 8);
    const __m256i xg = _mm256_srli_epi32(_mm256_mullo_epi16(_mm256_and_si256(_mm256_srli_epi32(d, 8), low), da), 8);
    __m256i frb = _mm256_add_epi16(
        _mm256_srli_epi16(_mm256_mullo_epi16(xrb, _mm256_or_si256(ia, _mm256_slli_epi32(ia, 16))), 8), srb);
    __m256i fg = _mm256_add_epi32(_mm256_srli_epi32(_mm256_mullo_epi16(xg, ia), 8), sg);
    if constexpr (Premultiplied) {
        frb = _mm256_min_epi16(frb, _mm256_set1_epi16(255));
        fg = _mm256_min_epi32(fg, low);
    }
    __m256i out = _mm256_or_si256(_mm256_or_si256(frb, _mm256_slli_epi32(fg, 8)),
                                  _mm256_set1_epi32(static_cast<int>(0xFF000000)));
    const __m256i opaque = _mm256_cmpgt_epi32(A, _mm256_set1_epi32(239));
    const __m256i keep =
        _mm256_or_si256(_mm256_cmpgt_epi32(_mm256_set1_epi32(9), A), _mm256_cmpeq_epi32(outA, _mm256_setzero_si256()));
    const __m256i divide = _mm256_cmpgt_epi32(n256, outA);
    if (_mm256_movemask_epi8(_mm256_andnot_si256(_mm256_or_si256(opaque, keep), divide))) {
        const __m256 f = _mm256_cvtepi32_ps(outA);
        __m256i mixed = _mm256_slli_epi32(_mm256_sub_epi32(outA, _mm256_set1_epi32(1)), 24);
        const __m256i x[3] = { _mm256_srli_epi32(xrb, 16), xg, _mm256_and_si256(xrb, low) };
        const __m256i sc[3] = { _mm256_srli_epi32(srb, 16), sg, _mm256_and_si256(srb, low) };
        for (int c = 0; c < 3; ++c) {
            const __m256i num = _mm256_add_epi32(_mm256_mullo_epi16(x[c], ia), _mm256_slli_epi32(sc[c], 8));
            __m256i q = _mm256_cvttps_epi32(_mm256_div_ps(_mm256_cvtepi32_ps(num), f));
            if constexpr (Premultiplied)
                q = _mm256_min_epi32(q, low);
            mixed = _mm256_or_si256(mixed, _mm256_slli_epi32(q, 16 - 8 * c));
        }
        out = _mm256_blendv_epi8(out, mixed, divide);
    }
    out = _mm256_blendv_epi8(out, _mm256_or_si256(s, _mm256_set1_epi32(static_cast<int>(0xFF000000))), opaque);
    return _mm256_blendv_epi8(out, d, keep);
}

template <bool Premultiplied>
KIVO_AVX2 inline void Row8(uint32_t* d, const uint32_t* s)
{
    __m256i* at = reinterpret_cast<__m256i*>(d);
    _mm256_storeu_si256(at, Eight<Premultiplied>(_mm256_loadu_si256(at), _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s))));
}
#endif

} // namespace ArgbOver

// 32-bit 0xAARRGGBB; the blends weight the destination colour by its own
// alpha and update that alpha.
struct FormatARGB {
    using Pixel = uint32_t;
    static constexpr int kGroup = 0;

    static uint32_t Pack(uint32_t s) { return s | 0xFF000000u; }
    static void WriteOpaque(Pixel* d, uint32_t s) { *d = Pack(s); }
    static void BlendStraight(Pixel* d, uint32_t s, uint32_t a)
    {
        BlendWeighted<false>(d, (((s >> 16) & 0xFF) * a) >> 8, (((s >> 8) & 0xFF) * a) >> 8,
                             ((s & 0xFF) * a) >> 8, a);
    }
    static void BlendPremultiplied(Pixel* d, uint32_t s, uint32_t a)
    {
        BlendWeighted<true>(d, (s >> 16) & 0xFF, (s >> 8) & 0xFF, s & 0xFF, a);
    }

    // sr, sg, sb are the source channels already weighted by a. With Limit the
    // results are cut to 255 (a premultiplied source may exceed it by one).
    template <bool Limit>
    static void BlendWeighted(Pixel* d, uint32_t sr, uint32_t sg, uint32_t sb, uint32_t a)
    {
        const uint32_t dv = *d;
        const uint32_t da = dv >> 24;
        const uint32_t ia = 256 - a;
        const uint32_t outA = 256 - (((256 - da) * ia) >> 8);
        // a = 0 onto a transparent pixel: the source has no weight and the
        // destination shows nothing, so the pixel stays as it is.
        if (outA == 0)
            return;
        auto write = [&](auto divide) {
            auto channel = [&](uint32_t dc, uint32_t sc) {
                const uint32_t out = divide(((dc * da) >> 8) * ia + sc * 256);
                return Limit ? std::min(out, 255u) : out;
            };
            *d = ((outA - 1) << 24) | (channel((dv >> 16) & 0xFF, sr) << 16)
                | (channel((dv >> 8) & 0xFF, sg) << 8) | channel(dv & 0xFF, sb);
        };
        // Onto an opaque pixel (the screen) the divisor is 256, and as the
        // source part is a multiple of 256 each channel is
        // ((dc × da >> 8) × ia >> 8) + sc: red and blue side by side in one
        // word, every product below 65536 so no field carries into the next.
        if (outA == 256) {
            uint32_t rb = (((((dv & 0xFF00FFu) * da) >> 8) & 0xFF00FFu) * ia >> 8 & 0xFF00FFu) + (sr << 16 | sb);
            uint32_t g = (((((dv >> 8) & 0xFFu) * da) >> 8) * ia >> 8) + sg;
            if constexpr (Limit) {
                // A field that reached 256 becomes 255.
                const uint32_t over = rb & 0x1000100u;
                rb = (rb | (over - (over >> 8))) & 0xFF00FFu;
                g = std::min(g, 255u);
            }
            *d = 0xFF000000u | rb | (g << 8);
            return;
        }
        // n / outA for n < 2^17 and outA <= 256 is exactly (n × m) >> 32 with
        // m = floor((2^32 - 1) / outA) + 1: the error term stays below 2^-15,
        // less than the smallest fractional gap 1/256. The factors come from
        // a table: no division at all.
        const uint64_t m = kReciprocals[outA];
        write([m](uint32_t n) { return static_cast<uint32_t>((n * m) >> 32); });
    }

    // Up to eight samples over d[0..n), each as the blended span members
    // handle one: untouched, opaque or blended by its own alpha.
    template <bool Premultiplied>
    static void OverSpan(Pixel* d, const uint32_t* s, int n, [[maybe_unused]] bool wide)
    {
        uint32_t spare[8] = {};
        uint32_t* to = n == 8 ? d : std::copy(d, d + n, spare) - n;
#if defined(KIVO_WIDE_KERNELS)
        if (wide) {
            ArgbOver::Row8<Premultiplied>(to, s);
            if (n < 8)
                std::copy(spare, spare + n, d);
            return;
        }
#endif
#if defined(__SSE2__)
        for (int k = 0; k < 8; k += 4) {
            __m128i* at = reinterpret_cast<__m128i*>(to + k);
            _mm_storeu_si128(at, ArgbOver::Four<Premultiplied>(_mm_loadu_si128(at),
                                                               _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + k))));
        }
#else
        for (int k = 0; k < 8; ++k) {
            const uint32_t a = s[k] >> 24;
            if (a >= 240)
                WriteOpaque(to + k, s[k]);
            else if (a > 8)
                Premultiplied ? BlendPremultiplied(to + k, s[k], a) : BlendStraight(to + k, s[k], a);
        }
#endif
        if (n < 8)
            std::copy(spare, spare + n, d);
    }

    static constexpr std::array<uint64_t, 257> kReciprocals = [] {
        std::array<uint64_t, 257> r{};
        for (uint32_t i = 1; i <= 256; ++i)
            r[i] = uint64_t{ 0xFFFFFFFFu / i } + 1;
        return r;
    }();
};

// 32-bit with the alpha byte never read and always written 0xFF.
struct FormatX888 {
    using Pixel = uint32_t;
    static constexpr int kGroup = 1;

    static uint32_t Pack(uint32_t s) { return s | 0xFF000000u; }
    static void WriteOpaque(Pixel* d, uint32_t s) { *d = Pack(s); }
    static uint32_t Keep(uint32_t d, uint32_t a)
    {
        const uint32_t w = 255 - a;
        return ((((d & 0xFF00FFu) * w) >> 8) & 0xFF00FFu) | ((((d & 0xFF00u) * w) >> 8) & 0xFF00u);
    }
    // Each channel sum stays within 255, so the fields never carry.
    static void BlendStraight(Pixel* d, uint32_t s, uint32_t a)
    {
        const uint32_t src = ((((s & 0xFF00FFu) * a) >> 8) & 0xFF00FFu) | ((((s & 0xFF00u) * a) >> 8) & 0xFF00u);
        *d = 0xFF000000u | (Keep(*d, a) + src);
    }
    static void BlendPremultiplied(Pixel* d, uint32_t s, uint32_t a)
    {
        *d = 0xFF000000u | (Keep(*d, a) + (s & 0xFFFFFFu));
    }
};

// 16-bit formats: the destination keeps (255 - a) >> 3 thirty-seconds of
// each field and the source part is added without carries between fields.
template <uint32_t RedBlueMask, uint32_t GreenMask, int RedShift, int GreenShift, int GreenSrcShift, int Group>
struct Format16 {
    using Pixel = uint16_t;
    static constexpr int kGroup = Group;

    static uint32_t Pack(uint32_t s)
    {
        return ((s >> RedShift) & (RedBlueMask & ~0x1Fu)) | ((s >> GreenShift) & GreenMask) | ((s >> 3) & 0x1F);
    }
    static void WriteOpaque(Pixel* d, uint32_t s) { *d = static_cast<Pixel>(Pack(s)); }
    static uint32_t Keep(uint32_t d, uint32_t a)
    {
        const uint32_t w = (255 - a) >> 3;
        return ((((d & RedBlueMask) * w) >> 5) & RedBlueMask) | ((((d & GreenMask) * w) >> 5) & GreenMask);
    }
    static void BlendStraight(Pixel* d, uint32_t s, uint32_t a)
    {
        const uint32_t rb = (((s & 0xFF00FFu) * a) >> 8) & 0xFF00FFu;
        const uint32_t src = ((rb >> RedShift) & (RedBlueMask & ~0x1Fu)) | ((rb >> 3) & 0x1F)
            | ((((s & 0xFF00u) * a) >> GreenSrcShift) & GreenMask);
        *d = static_cast<Pixel>(Keep(*d, a) + src);
    }
    static void BlendPremultiplied(Pixel* d, uint32_t s, uint32_t a)
    {
        *d = static_cast<Pixel>(Keep(*d, a) + Pack(s));
    }
};

using Format565 = Format16<0xF81F, 0x7E0, 8, 5, 13, 2>;
using Format555 = Format16<0x7C1F, 0x3E0, 9, 6, 14, 3>;

// The group a pixel-format code selects: 0x888 → 1, 0x565 → 2, 0x555 → 3,
// anything else → 0 (ARGB).
constexpr int FormatGroup(int32_t format)
{
    switch (format) {
    case 0x888: return 1;
    case 0x565: return 2;
    case 0x555: return 3;
    default: return 0;
    }
}

} // namespace Kivo::Raster
