#pragma once
// The scan conversion shared by every span function. A triangle in 16.16
// fixed point is sorted by y, split at its middle vertex into an upper and a
// lower half, and walked row by row; the interpolants are carried along the
// long edge (top to bottom) and stepped per pixel by constant gradients
// measured against it. A pixel centre (c, r) is drawn when top <= r < bottom
// and left(r) <= c < right(r).
//
// The set-up products are formed in 128 bits and the edges kept in 64, so
// slivers whose slopes do not fit 32 bits cannot overflow. Each span is also
// cut to the triangle's own x-extent [ceil(min x), ceil(max x)), which every
// pixel of the exact fill rule lies in: a triangle inside the clip therefore
// never writes outside it, whatever rounding does to its slopes.
//
// A Shader supplies:
//   Pixel                   the destination pixel type
//   kFirst, kCount          the RasterVertex words it interpolates (2..5 colour, 6..7 u, v)
//   kScalesColours          ScaleColours(RasterVertex[3]) runs on the sorted copy
//   SpanStart(uint32_t*)    adjusts the values at the first pixel of a span
//   Draw(Pixel*, const uint32_t*) handles one pixel
// and may supply
//   DrawSpan(Pixel*, int64_t count, uint32_t* values, const int32_t* steps)
//                           handles the count pixels of a span from its first
//                           pixel's values, stepping them itself
#include "framework/raster/RasterTypes.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <utility>

namespace Kivo::Raster {

inline int64_t MulShift(int64_t a, int64_t b, int shift)
{
    return static_cast<int64_t>((static_cast<__int128>(a) * b) >> shift);
}

inline int32_t Saturate32(int64_t v)
{
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// Whole pixel at or above a 16.16 value.
inline int64_t CeilPixel(int64_t v) { return (v + 0xFFFF) >> 16; }

// The integer part of a colour interpolant, with values that rounding has
// taken below 0 or above 255.99 held at the ends of the range.
inline uint32_t ClampColour(uint32_t v)
{
    return static_cast<uint32_t>(std::clamp(static_cast<int32_t>(v), 0, 0xFFFFFF));
}

template <class Shader>
void ScanTriangle(const RasterVertex* in, uint8_t* bits, uint32_t pitch, const Shader& shader)
{
    using Pixel = typename Shader::Pixel;
    constexpr int K0 = Shader::kFirst;
    constexpr int N = Shader::kCount;
    constexpr int64_t kOne48 = int64_t(1) << 48;

    const RasterVertex* p = &in[0];
    const RasterVertex* q = &in[1];
    const RasterVertex* s = &in[2];
    if (p->y > q->y) std::swap(p, q);
    if (q->y > s->y) std::swap(q, s);
    if (p->y > q->y) std::swap(p, q);
    RasterVertex v[3] = { *p, *q, *s };
    if constexpr (Shader::kScalesColours)
        shader.ScaleColours(v);
    const RasterVertex& top = v[0];
    const RasterVertex& mid = v[1];
    const RasterVertex& bot = v[2];
    auto word = [](const RasterVertex& r, int k) { return int64_t((&r.x)[K0 + k]); };

    const int64_t first = CeilPixel(top.y);
    const int64_t middle = CeilPixel(mid.y);
    const int64_t end = CeilPixel(bot.y);
    if (first == end)
        return;

    const int64_t inv = kOne48 / (int64_t(bot.y) - top.y);
    const int64_t slope = MulShift(int64_t(bot.x) - top.x, inv, 32);
    int32_t step[N];
    for (int k = 0; k < N; ++k)
        step[k] = Saturate32(MulShift(word(bot, k) - word(top, k), inv, 32));

    const int64_t midDy = int64_t(mid.y) - top.y;
    const int64_t xm = top.x + MulShift(slope, midDy, 16);
    const int64_t width = mid.x - xm;
    if (width == 0)
        return;
    const int64_t invw = kOne48 / width;
    int32_t dk[N];
    for (int k = 0; k < N; ++k) {
        const int64_t atMid = word(top, k) + MulShift(step[k], midDy, 16);
        dk[k] = Saturate32(MulShift(word(mid, k) - atMid, invw, 32));
    }

    const int64_t pre = first * 65536 - top.y;
    int64_t xl = top.x + MulShift(slope, pre, 16);
    uint32_t kl[N];
    for (int k = 0; k < N; ++k)
        kl[k] = static_cast<uint32_t>(word(top, k) + MulShift(step[k], pre, 16));

    const bool longLeft = xm < mid.x;
    const int64_t minX = (int64_t(std::min({ top.x, mid.x, bot.x })) + 0xFFFF) & ~int64_t(0xFFFF);
    const int64_t maxX = (int64_t(std::max({ top.x, mid.x, bot.x })) + 0xFFFF) & ~int64_t(0xFFFF);
    // A pitch that is not a whole number of pixels is rounded down.
    const std::ptrdiff_t rowStep = pitch / sizeof(Pixel);
    Pixel* row = reinterpret_cast<Pixel*>(bits) + first * rowStep;

    auto walk = [&](int64_t rowEnd, int64_t xs, int64_t sslope, int64_t rowBegin) {
        for (int64_t r = rowBegin; r < rowEnd; ++r) {
            const int64_t left = longLeft ? xl : xs;
            const int64_t right = longLeft ? xs : xl;
            const int64_t L = std::max((left + 0xFFFF) & ~int64_t(0xFFFF), minX);
            const int64_t R = std::min((right + 0xFFFF) & ~int64_t(0xFFFF), maxX);
            const int64_t count = (R - L) >> 16;
            if (count > 0) {
                uint32_t val[N];
                for (int k = 0; k < N; ++k)
                    val[k] = kl[k] + static_cast<uint32_t>(MulShift(dk[k], L - xl, 16));
                shader.SpanStart(val);
                Pixel* d = row + (L >> 16);
                if constexpr (requires { shader.DrawSpan(d, count, val, dk); }) {
                    shader.DrawSpan(d, count, val, dk);
                } else {
                    for (int64_t i = 0; i < count; ++i, ++d) {
                        shader.Draw(d, val);
                        for (int k = 0; k < N; ++k)
                            val[k] += static_cast<uint32_t>(dk[k]);
                    }
                }
            }
            xl += slope;
            xs += sslope;
            for (int k = 0; k < N; ++k)
                kl[k] += static_cast<uint32_t>(step[k]);
            row += rowStep;
        }
    };

    if (middle != first) {
        const int64_t sslope = MulShift(int64_t(mid.x) - top.x, kOne48 / midDy, 32);
        walk(middle, top.x + MulShift(sslope, pre, 16), sslope, first);
    }
    if (end != middle) {
        const int64_t sslope = MulShift(int64_t(bot.x) - mid.x, kOne48 / (int64_t(bot.y) - mid.y), 32);
        walk(end, mid.x + MulShift(sslope, middle * 65536 - mid.y, 16), sslope, middle);
    }
}

} // namespace Kivo::Raster
