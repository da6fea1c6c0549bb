// The memory image's blits that do not map pixels one to one: sub-pixel
// placement, rotation, stretching, matrix and textured triangles.
#include "framework/graphics/MemoryImageBlits.h"

#include "framework/graphics/BltRects.h"
#include "framework/graphics/GraphicsHost.h"
#include "framework/graphics/Matrix3x3.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/MemoryImageRaster.h"
#include "framework/graphics/SourcePixels.h"
#include "framework/raster/WideKernels.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Kivo {

namespace {

uint32_t Channel(int v) { return static_cast<uint32_t>(v & 0xFF); }

// value x 65536 truncated, held inside a range where the span arithmetic
// below cannot overflow; NaN gives 0.
int64_t Fixed(double value)
{
    const double v = value * 65536.0;
    if (!(v == v))
        return 0;
    return static_cast<int64_t>(std::clamp(v, -4e15, 4e15));
}

// The rotated blit's walk: for each destination row of the bounds, the
// pixels whose samples lie in the source rect, handed to
// `row(d, n, u, v, du, dv)` as n pixels from d on with the first sample at
// (u, v) in 16.16 source-rect coordinates and its steps per pixel.
template <typename Row>
void RotatedWalk(uint32_t* dst, int dstWidth, const Rect& srcRect, const FRect& bounds, double angle, float x,
                 float y, float cx, float cy, Row row)
{
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    const int64_t du = static_cast<int64_t>(c * 65536);
    const int64_t dv = static_cast<int64_t>(s * 65536);
    const int x0 = static_cast<int>(bounds.mX);
    const int y0 = static_cast<int>(bounds.mY);
    const int64_t last = static_cast<int64_t>(bounds.mWidth - 1.0);
    for (int r = 0; r < bounds.mHeight; ++r) {
        const double dx = static_cast<double>(x0) - cx - x;
        const double dy = static_cast<double>(y0 + r) - cy - y;
        const int64_t uRow = Fixed(dx * c - dy * s + cx);
        const int64_t vRow = Fixed(dy * c + dx * s + cy);
        int64_t start = 0;
        int64_t end = last;
        if (!LimitRotatedSpan(uRow, du, srcRect.mWidth, start, end) ||
            !LimitRotatedSpan(vRow, dv, srcRect.mHeight, start, end))
            continue;
        // Inside the span every position lies in the source rect, so 32 bits
        // hold it.
        row(dst + static_cast<size_t>(y0 + r) * dstWidth + x0 + start, static_cast<int>(end - start + 1),
            static_cast<int32_t>(uRow + du * start), static_cast<int32_t>(vRow + dv * start),
            static_cast<int32_t>(du), static_cast<int32_t>(dv));
    }
}

// One row of the walk pixel by pixel: `blend(d, taps, weights)` mixes the
// four taps (top-left, top-right, bottom-left, bottom-right) with their
// 16-bit weights into destination pixel d.
template <typename Pixels, typename Blend>
void RotatedPixels(uint32_t* d, int n, int32_t u, int32_t v, int32_t du, int32_t dv, const Pixels& src,
                   int srcWidth, const Rect& srcRect, Blend blend)
{
    for (int i = 0; i < n; ++i, u += du, v += dv) {
        const int ix = u >> 16;
        const int iy = v >> 16;
        const size_t at = static_cast<size_t>(srcRect.mY + iy) * srcWidth + srcRect.mX + ix;
        // On the last column or row the neighbours beyond weigh 0: the
        // edge pixel stands in for them.
        const size_t right = ix < srcRect.mWidth - 1 ? 1 : 0;
        const size_t down = iy < srcRect.mHeight - 1 ? static_cast<size_t>(srcWidth) : 0;
        const uint32_t taps[4] = { src[at], src[at + right], src[at + down], src[at + down + right] };
        // Odd fractions: no weight is ever 0 or 0x10000.
        const uint32_t fx = (static_cast<uint32_t>(u) & 0xFFFE) + 1;
        const uint32_t fy = (static_cast<uint32_t>(v) & 0xFFFE) + 1;
        const uint32_t gx = 0x10000 - fx;
        const uint32_t gy = 0x10000 - fy;
        const uint32_t weights[4] = { (gx * gy) >> 16, (fx * gy) >> 16, (gx * fy) >> 16, (fx * fy) >> 16 };
        blend(d[i], taps, weights);
    }
}

struct Sums {
    uint32_t alpha = 0, red = 0, green = 0, blue = 0;
};

// Each tap's alpha weight ((weight x alpha) >> 16, then x alphaScale >> 8;
// 256 leaves it as it is) and the channel sums weighted by them.
Sums WeightedSums(const uint32_t (&taps)[4], const uint32_t (&weights)[4], uint32_t alphaScale)
{
    Sums s;
    for (int k = 0; k < 4; ++k) {
        const uint32_t a = (((weights[k] * (taps[k] >> 24)) >> 16) * alphaScale) >> 8;
        s.alpha += a;
        s.red += ((taps[k] >> 16) & 0xFF) * a;
        s.green += ((taps[k] >> 8) & 0xFF) * a;
        s.blue += (taps[k] & 0xFF) * a;
    }
    return s;
}

// The normal rotated blend of a row, several pixels at a time: the source
// rect's pixels from `bits` on in rows of `stride`, and the tint (each
// colour channel + 1 and the alpha; none for white).
struct RotatedSource {
    const uint32_t* bits;
    int32_t stride, lastX, lastY;
};
struct RotatedTint {
    bool white;
    uint32_t alpha, red1, green1, blue1;
};

#if defined(__SSE2__)
// Four pixels given their taps and fractions, every step in 16-bit lanes of
// 32-bit words where the products fit (the alpha weights sum to at most 255,
// so every channel sum stays below 65536); the blend's division in floats,
// exact for numerators below 2^24. Pixels whose summed alpha is 0 are left.
inline __m128i RotatedOver4(__m128i d, const __m128i (&t)[4], __m128i u, __m128i v, const RotatedTint& tint)
{
    const __m128i low = _mm_set1_epi32(0xFF);
    const __m128i bytes = _mm_set1_epi32(0x00FF00FF);
    const __m128i fx = _mm_add_epi32(_mm_and_si128(u, _mm_set1_epi32(0xFFFE)), _mm_set1_epi32(1));
    const __m128i fy = _mm_add_epi32(_mm_and_si128(v, _mm_set1_epi32(0xFFFE)), _mm_set1_epi32(1));
    const __m128i gx = _mm_sub_epi32(_mm_set1_epi32(0x10000), fx);
    const __m128i gy = _mm_sub_epi32(_mm_set1_epi32(0x10000), fy);
    const __m128i w[4] = { _mm_mulhi_epu16(gx, gy), _mm_mulhi_epu16(fx, gy), _mm_mulhi_epu16(gx, fy),
                           _mm_mulhi_epu16(fx, fy) };
    __m128i A = _mm_setzero_si128(), rb = A, g = A;
    for (int k = 0; k < 4; ++k) {
        __m128i a = _mm_mulhi_epu16(w[k], _mm_srli_epi32(t[k], 24));
        if (!tint.white)
            a = _mm_srli_epi32(_mm_mullo_epi16(a, _mm_set1_epi32(static_cast<int>(tint.alpha))), 8);
        A = _mm_add_epi32(A, a);
        rb = _mm_add_epi16(rb, _mm_mullo_epi16(_mm_and_si128(t[k], bytes), _mm_or_si128(a, _mm_slli_epi32(a, 16))));
        g = _mm_add_epi32(g, _mm_mullo_epi16(_mm_and_si128(_mm_srli_epi32(t[k], 8), low), a));
    }
    if (!tint.white) {
        rb = _mm_mullo_epi16(_mm_srli_epi16(rb, 8),
                             _mm_set1_epi32(static_cast<int>(tint.red1 << 16 | tint.blue1)));
        g = _mm_mullo_epi16(_mm_srli_epi32(g, 8), _mm_set1_epi32(static_cast<int>(tint.green1)));
    }
    rb = _mm_and_si128(rb, _mm_set1_epi32(static_cast<int>(0xFF00FF00)));
    g = _mm_and_si128(g, _mm_set1_epi32(0xFF00));
    const __m128i none = _mm_cmpeq_epi32(A, _mm_setzero_si128());
    const __m128i opaque = _mm_cmpgt_epi32(A, _mm_set1_epi32(250));
    const __m128i full = _mm_or_si128(_mm_or_si128(_mm_srli_epi32(rb, 8), g), _mm_set1_epi32(static_cast<int>(0xFF000000)));
    __m128i out = full;
    if (_mm_movemask_epi8(_mm_or_si128(none, opaque)) != 0xFFFF) {
        const __m128i da = _mm_srli_epi32(d, 24);
        const __m128i ia = _mm_sub_epi32(_mm_set1_epi32(256), A);
        const __m128i D = _mm_sub_epi32(_mm_set1_epi32(256),
                                        _mm_srli_epi32(_mm_mullo_epi16(_mm_sub_epi32(_mm_set1_epi32(256), da), ia), 8));
        const __m128 Df = _mm_cvtepi32_ps(D);
        auto mix = [&](__m128i dc, __m128i sc) {
            const __m128i kept = _mm_mullo_epi16(_mm_srli_epi32(_mm_mullo_epi16(dc, da), 8), ia);
            return _mm_cvttps_epi32(_mm_div_ps(_mm_cvtepi32_ps(_mm_add_epi32(kept, sc)), Df));
        };
        const __m128i r = mix(_mm_and_si128(_mm_srli_epi32(d, 16), low), _mm_srli_epi32(rb, 16));
        const __m128i gg = mix(_mm_and_si128(_mm_srli_epi32(d, 8), low), g);
        const __m128i b = mix(_mm_and_si128(d, low), _mm_and_si128(rb, _mm_set1_epi32(0xFFFF)));
        const __m128i mixed = _mm_or_si128(_mm_or_si128(_mm_slli_epi32(_mm_sub_epi32(D, _mm_set1_epi32(1)), 24),
                                                        _mm_slli_epi32(r, 16)),
                                           _mm_or_si128(_mm_slli_epi32(gg, 8), b));
        out = _mm_or_si128(_mm_and_si128(opaque, full), _mm_andnot_si128(opaque, mixed));
    }
    return _mm_or_si128(_mm_and_si128(none, d), _mm_andnot_si128(none, out));
}

void RotatedOverRow(uint32_t* d, int n, int32_t u, int32_t v, int32_t du, int32_t dv, const RotatedSource& src,
                    const RotatedTint& tint)
{
    for (int i = 0; i < n; i += 4) {
        const int m = std::min(4, n - i);
        alignas(16) uint32_t taps[4][4] = {}, us[4] = {}, vs[4] = {}, px[4] = {};
        for (int k = 0; k < m; ++k, u += du, v += dv) {
            const int ix = u >> 16, iy = v >> 16;
            const uint32_t* p = src.bits + static_cast<ptrdiff_t>(iy) * src.stride + ix;
            const ptrdiff_t right = ix < src.lastX ? 1 : 0;
            const ptrdiff_t down = iy < src.lastY ? src.stride : 0;
            taps[0][k] = p[0];
            taps[1][k] = p[right];
            taps[2][k] = p[down];
            taps[3][k] = p[down + right];
            us[k] = static_cast<uint32_t>(u);
            vs[k] = static_cast<uint32_t>(v);
            px[k] = d[i + k];
        }
        const __m128i t[4] = { _mm_load_si128(reinterpret_cast<const __m128i*>(taps[0])),
                               _mm_load_si128(reinterpret_cast<const __m128i*>(taps[1])),
                               _mm_load_si128(reinterpret_cast<const __m128i*>(taps[2])),
                               _mm_load_si128(reinterpret_cast<const __m128i*>(taps[3])) };
        const __m128i out = RotatedOver4(_mm_load_si128(reinterpret_cast<const __m128i*>(px)), t,
                                         _mm_load_si128(reinterpret_cast<const __m128i*>(us)),
                                         _mm_load_si128(reinterpret_cast<const __m128i*>(vs)), tint);
        if (m == 4) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), out);
        } else {
            _mm_store_si128(reinterpret_cast<__m128i*>(px), out);
            std::copy(px, px + m, d + i);
        }
    }
}
#endif

#if defined(KIVO_WIDE_KERNELS)
// RotatedOver4 with AVX2, eight pixels at a time, the taps gathered.
KIVO_AVX2 __m256i RotatedOver8(__m256i d, const __m256i (&t)[4], __m256i u, __m256i v, const RotatedTint& tint)
{
    const __m256i low = _mm256_set1_epi32(0xFF);
    const __m256i bytes = _mm256_set1_epi32(0x00FF00FF);
    const __m256i fx = _mm256_add_epi32(_mm256_and_si256(u, _mm256_set1_epi32(0xFFFE)), _mm256_set1_epi32(1));
    const __m256i fy = _mm256_add_epi32(_mm256_and_si256(v, _mm256_set1_epi32(0xFFFE)), _mm256_set1_epi32(1));
    const __m256i gx = _mm256_sub_epi32(_mm256_set1_epi32(0x10000), fx);
    const __m256i gy = _mm256_sub_epi32(_mm256_set1_epi32(0x10000), fy);
    const __m256i w[4] = { _mm256_mulhi_epu16(gx, gy), _mm256_mulhi_epu16(fx, gy), _mm256_mulhi_epu16(gx, fy),
                           _mm256_mulhi_epu16(fx, fy) };
    __m256i A = _mm256_setzero_si256(), rb = A, g = A;
    for (int k = 0; k < 4; ++k) {
        __m256i a = _mm256_mulhi_epu16(w[k], _mm256_srli_epi32(t[k], 24));
        if (!tint.white)
            a = _mm256_srli_epi32(_mm256_mullo_epi16(a, _mm256_set1_epi32(static_cast<int>(tint.alpha))), 8);
        A = _mm256_add_epi32(A, a);
        rb = _mm256_add_epi16(rb, _mm256_mullo_epi16(_mm256_and_si256(t[k], bytes),
                                                     _mm256_or_si256(a, _mm256_slli_epi32(a, 16))));
        g = _mm256_add_epi32(g, _mm256_mullo_epi16(_mm256_and_si256(_mm256_srli_epi32(t[k], 8), low), a));
    }
    if (!tint.white) {
        rb = _mm256_mullo_epi16(_mm256_srli_epi16(rb, 8),
                                _mm256_set1_epi32(static_cast<int>(tint.red1 << 16 | tint.blue1)));
        g = _mm256_mullo_epi16(_mm256_srli_epi32(g, 8), _mm256_set1_epi32(static_cast<int>(tint.green1)));
    }
    rb = _mm256_and_si256(rb, _mm256_set1_epi32(static_cast<int>(0xFF00FF00)));
    g = _mm256_and_si256(g, _mm256_set1_epi32(0xFF00));
    const __m256i none = _mm256_cmpeq_epi32(A, _mm256_setzero_si256());
    const __m256i opaque = _mm256_cmpgt_epi32(A, _mm256_set1_epi32(250));
    const __m256i full = _mm256_or_si256(_mm256_or_si256(_mm256_srli_epi32(rb, 8), g),
                                         _mm256_set1_epi32(static_cast<int>(0xFF000000)));
    __m256i out = full;
    if (_mm256_movemask_epi8(_mm256_or_si256(none, opaque)) != -1) {
        const __m256i da = _mm256_srli_epi32(d, 24);
        const __m256i ia = _mm256_sub_epi32(_mm256_set1_epi32(256), A);
        const __m256i D = _mm256_sub_epi32(
            _mm256_set1_epi32(256), _mm256_srli_epi32(_mm256_mullo_epi16(_mm256_sub_epi32(_mm256_set1_epi32(256), da), ia), 8));
        const __m256 Df = _mm256_cvtepi32_ps(D);
        const __m256i dc[3] = { _mm256_and_si256(_mm256_srli_epi32(d, 16), low),
                                _mm256_and_si256(_mm256_srli_epi32(d, 8), low), _mm256_and_si256(d, low) };
        const __m256i sc[3] = { _mm256_srli_epi32(rb, 16), g, _mm256_and_si256(rb, _mm256_set1_epi32(0xFFFF)) };
        __m256i mixed = _mm256_slli_epi32(_mm256_sub_epi32(D, _mm256_set1_epi32(1)), 24);
        for (int c = 0; c < 3; ++c) {
            const __m256i kept = _mm256_mullo_epi16(_mm256_srli_epi32(_mm256_mullo_epi16(dc[c], da), 8), ia);
            const __m256i q = _mm256_cvttps_epi32(_mm256_div_ps(_mm256_cvtepi32_ps(_mm256_add_epi32(kept, sc[c])), Df));
            mixed = _mm256_or_si256(mixed, _mm256_slli_epi32(q, 16 - 8 * c));
        }
        out = _mm256_blendv_epi8(mixed, full, opaque);
    }
    return _mm256_blendv_epi8(out, d, none);
}

KIVO_AVX2 void RotatedOverRow8(uint32_t* d, int n, int32_t u, int32_t v, int32_t du, int32_t dv,
                               const RotatedSource& src, const RotatedTint& tint)
{
    const __m256i lane = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    __m256i uv = _mm256_add_epi32(_mm256_set1_epi32(u), _mm256_mullo_epi32(lane, _mm256_set1_epi32(du)));
    __m256i vv = _mm256_add_epi32(_mm256_set1_epi32(v), _mm256_mullo_epi32(lane, _mm256_set1_epi32(dv)));
    const __m256i du8 = _mm256_set1_epi32(du * 8), dv8 = _mm256_set1_epi32(dv * 8);
    const __m256i stride = _mm256_set1_epi32(src.stride);
    const __m256i lastX = _mm256_set1_epi32(src.lastX), lastY = _mm256_set1_epi32(src.lastY);
    const int* bits = reinterpret_cast<const int*>(src.bits);
    for (int i = 0; i < n; i += 8, uv = _mm256_add_epi32(uv, du8), vv = _mm256_add_epi32(vv, dv8)) {
        const int m = std::min(8, n - i);
        // Lanes past the row's end read the rect's first pixel and are not
        // stored.
        const __m256i on = _mm256_cmpgt_epi32(_mm256_set1_epi32(m), lane);
        const __m256i ix = _mm256_srai_epi32(uv, 16), iy = _mm256_srai_epi32(vv, 16);
        const __m256i at = _mm256_and_si256(_mm256_add_epi32(_mm256_mullo_epi32(iy, stride), ix), on);
        const __m256i right = _mm256_and_si256(_mm256_cmpgt_epi32(lastX, ix), _mm256_and_si256(on, _mm256_set1_epi32(1)));
        const __m256i down = _mm256_and_si256(_mm256_cmpgt_epi32(lastY, iy), _mm256_and_si256(on, stride));
        const __m256i t[4] = { _mm256_i32gather_epi32(bits, at, 4),
                               _mm256_i32gather_epi32(bits, _mm256_add_epi32(at, right), 4),
                               _mm256_i32gather_epi32(bits, _mm256_add_epi32(at, down), 4),
                               _mm256_i32gather_epi32(bits, _mm256_add_epi32(_mm256_add_epi32(at, down), right), 4) };
        __m256i* to = reinterpret_cast<__m256i*>(d + i);
        if (m == 8) {
            _mm256_storeu_si256(to, RotatedOver8(_mm256_loadu_si256(to), t, uv, vv, tint));
        } else {
            const __m256i px = _mm256_maskload_epi32(reinterpret_cast<const int*>(d + i), on);
            _mm256_maskstore_epi32(reinterpret_cast<int*>(d + i), on, RotatedOver8(px, t, uv, vv, tint));
        }
    }
}
#endif

template <typename Pixels>
void RotatedBlt(uint32_t* dst, int dstWidth, const Pixels& src, int srcWidth, const Rect& srcRect,
                const FRect& bounds, double angle, float x, float y, float cx, float cy, const Color& color,
                int drawMode, const uint8_t* t)
{
    const bool white = IsWhite(color);
    const uint32_t cr = Channel(color.mRed), cg = Channel(color.mGreen), cb = Channel(color.mBlue);
    const uint32_t ca = Channel(color.mAlpha);
    auto walk = [&](auto blend) {
        RotatedWalk(dst, dstWidth, srcRect, bounds, angle, x, y, cx, cy,
                    [&](uint32_t* d, int n, int32_t u, int32_t v, int32_t du, int32_t dv) {
                        RotatedPixels(d, n, u, v, du, dv, src, srcWidth, srcRect, blend);
                    });
    };
    if (drawMode == DRAWMODE_NORMAL) {
#if defined(__SSE2__)
        if constexpr (std::is_same_v<Pixels, DirectPixels>) {
            const RotatedSource from = { src.bits + static_cast<size_t>(srcRect.mY) * srcWidth + srcRect.mX,
                                         srcWidth, srcRect.mWidth - 1, srcRect.mHeight - 1 };
            const RotatedTint tint = { white, ca, cr + 1, cg + 1, cb + 1 };
#if defined(KIVO_WIDE_KERNELS)
            const bool wide = WideKernels();
#endif
            RotatedWalk(dst, dstWidth, srcRect, bounds, angle, x, y, cx, cy,
                        [&](uint32_t* d, int n, int32_t u, int32_t v, int32_t du, int32_t dv) {
#if defined(KIVO_WIDE_KERNELS)
                            if (wide) {
                                RotatedOverRow8(d, n, u, v, du, dv, from, tint);
                                return;
                            }
#endif
                            RotatedOverRow(d, n, u, v, du, dv, from, tint);
                        });
            return;
        }
#endif
        walk([=](uint32_t& d, const uint32_t(&taps)[4], const uint32_t(&weights)[4]) {
            Sums s = WeightedSums(taps, weights, white ? 256 : ca);
            const uint32_t A = s.alpha;
            if (A == 0)
                return;
            if (!white) {
                s.red = (s.red >> 8) * (cr + 1);
                s.green = (s.green >> 8) * (cg + 1);
                s.blue = (s.blue >> 8) * (cb + 1);
            }
            s.red &= ~0xFFu;
            s.green &= ~0xFFu;
            s.blue &= ~0xFFu;
            if (A >= 251) {
                d = 0xFF000000 | ((s.red >> 8) << 16) | ((s.green >> 8) << 8) | (s.blue >> 8);
                return;
            }
            const uint32_t da = d >> 24;
            const uint32_t D = 256 - (((256 - da) * (256 - A)) >> 8);
            auto mix = [&](uint32_t dc, uint32_t sc) { return (((dc * da) >> 8) * (256 - A) + sc) / D; };
            d = ((D - 1) << 24) | (mix((d >> 16) & 0xFF, s.red) << 16) | (mix((d >> 8) & 0xFF, s.green) << 8) |
                mix(d & 0xFF, s.blue);
        });
        return;
    }
    // Additive: the destination's alpha is kept; the saturation table adds.
    auto add = [t](uint32_t d, uint32_t r, uint32_t g, uint32_t b) {
        return (d & 0xFF000000) | (static_cast<uint32_t>(t[((d >> 16) & 0xFF) + r]) << 16) |
               (static_cast<uint32_t>(t[((d >> 8) & 0xFF) + g]) << 8) | t[(d & 0xFF) + b];
    };
    if (white) {
        walk([=](uint32_t& d, const uint32_t(&taps)[4], const uint32_t(&weights)[4]) {
            const Sums s = WeightedSums(taps, weights, 256);
            if (s.alpha)
                d = add(d, s.red >> 8, s.green >> 8, s.blue >> 8);
        });
        return;
    }
    const uint32_t kr = (cr * ca) / 255, kg = (cg * ca) / 255, kb = (cb * ca) / 255;
    walk([=](uint32_t& d, const uint32_t(&taps)[4], const uint32_t(&weights)[4]) {
        const Sums s = WeightedSums(taps, weights, 256);
        if (s.alpha)
            d = add(d, ((s.red >> 8) * kr) >> 8, (s.green * kg) >> 16, (s.blue * kb) >> 16);
    });
}

// 0x888 when this image's alpha is forced to "opaque", else 0x8888.
int RasterFormatOf(const MemoryImage* image)
{
    return image->mForcedMode && !image->mHasTrans && !image->mHasAlpha ? 0x888 : 0x8888;
}

} // namespace

void SoftwareBltMatrix(MemoryImage* source, float x, float y, const Matrix3x3& matrix, const Rect& clipRect,
                       const Color& color, int drawMode, const Rect& srcRect, uint32_t* bits, int pitch,
                       int pixelFormat, bool blend)
{
    const float w = static_cast<float>(srcRect.mWidth);
    const float h = static_cast<float>(srcRect.mHeight);
    const float iw = static_cast<float>(source->mWidth);
    const float ih = static_cast<float>(source->mHeight);
    const float u0 = static_cast<float>(srcRect.mX) / iw;
    const float u1 = static_cast<float>(srcRect.mX + srcRect.mWidth) / iw;
    const float v0 = static_cast<float>(srcRect.mY) / ih;
    const float v1 = static_cast<float>(srcRect.mY + srcRect.mHeight) / ih;
    StripVertex strip[4] = {
        { -w / 2, -h / 2, u0, v0, 0xFFFFFFFF },
        { w / 2, -h / 2, u1, v0, 0xFFFFFFFF },
        { -w / 2, h / 2, u0, v1, 0xFFFFFFFF },
        { w / 2, h / 2, u1, v1, 0xFFFFFFFF },
    };
    for (StripVertex& p : strip) {
        const Vector3 t = matrix.TransformPoint(p.x, p.y);
        p.x = t.x + (x - 0.5f);
        p.y = t.y + (y - 0.5f);
    }
    DrawTriangleStrip(strip, 4, source, color, drawMode, clipRect, bits, pitch, pixelFormat, blend, false);
}

void SoftwareBltTrianglesTex(MemoryImage* source, const TriVertex (*vertices)[3], int numTriangles,
                             const Rect& clipRect, const Color& color, int drawMode, uint32_t* bits, int pitch,
                             int pixelFormat, float tx, float ty, bool blend)
{
    for (int i = 0; i < numTriangles; ++i) {
        StripVertex strip[3];
        bool vertexColors = false;
        for (int k = 0; k < 3; ++k) {
            const TriVertex& v = vertices[i][k];
            strip[k] = { v.x + tx, v.y + ty, v.u, v.v, v.color };
            vertexColors = vertexColors || v.color != 0;
        }
        DrawTriangleStrip(strip, 3, source, color, drawMode, clipRect, bits, pitch, pixelFormat, blend,
                          vertexColors);
    }
}

void MemoryImage::BltF(Image* source, float x, float y, const Rect& srcRect, const Rect& clipRect,
                       const Color& color, int drawMode)
{
    BltRotated(source, x, y, srcRect, clipRect, color, drawMode, 0, 0, 0);
}

void MemoryImage::BltRotated(Image* source, float x, float y, const Rect& srcRect, const Rect& clipRect,
                             const Color& color, int drawMode, double angle, float centerX, float centerY)
{
    source->mDrawn = true;
    auto* src = dynamic_cast<MemoryImage*>(source);
    FRect bounds;
    if (!src || !SourceRectInside(srcRect, src) ||
        !GetRotatedBltBounds(x, y, srcRect, ClipToImage(clipRect, this), angle, centerX, centerY, bounds))
        return;
    uint32_t* dst = GetBits();
    const uint8_t* t = mHost->GetSaturationTable();
    WithSourcePixels(src, [&](const auto& pixels) {
        RotatedBlt(dst, mWidth, pixels, src->mWidth, srcRect, bounds, angle, x, y, centerX, centerY, color,
                   drawMode, t);
    });
    BitsChanged();
}

void MemoryImage::BltMatrix(Image* source, float x, float y, const Matrix3x3& matrix, const Rect& clipRect,
                            const Color& color, int drawMode, const Rect& srcRect, bool blend)
{
    source->mDrawn = true;
    auto* src = dynamic_cast<MemoryImage*>(source);
    const Rect clip = ClipToImage(clipRect, this);
    if (!src || !SourceRectInside(srcRect, src) || clip.mWidth <= 0 || clip.mHeight <= 0)
        return;
    uint32_t* dst = GetBits();
    if (!dst) // an image whose pixels live only on the display
        return;
    SoftwareBltMatrix(src, x, y, matrix, clip, color, drawMode, srcRect, dst, mWidth * 4, RasterFormatOf(this),
                      blend);
    BitsChanged();
}

void MemoryImage::BltTrianglesTex(Image* source, const TriVertex (*vertices)[3], int numTriangles,
                                  const Rect& clipRect, const Color& color, int drawMode, float tx, float ty,
                                  bool blend)
{
    if (source)
        source->mDrawn = true;
    const Rect clip = ClipToImage(clipRect, this);
    if (!vertices || numTriangles <= 0 || clip.mWidth <= 0 || clip.mHeight <= 0)
        return;
    uint32_t* dst = GetBits();
    if (!dst)
        return;
    SoftwareBltTrianglesTex(dynamic_cast<MemoryImage*>(source), vertices, numTriangles, clip, color, drawMode, dst,
                            mWidth * 4, RasterFormatOf(this), tx, ty, blend);
    BitsChanged();
}

} // namespace Kivo
