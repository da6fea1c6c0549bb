// The memory image's own drawing: fills, lines, coverage spans and blits.
#include "framework/graphics/MemoryImage.h"

#include "framework/graphics/GraphicsHost.h"
#include "framework/graphics/PixelBlend.h"
#include "framework/graphics/PixelRows.h"
#include "framework/graphics/SourcePixels.h"
#include "framework/raster/WideKernels.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Kivo {

namespace {

[[maybe_unused]] bool RectInside(const Rect& r, int width, int height)
{
    return r.mWidth <= 0 || r.mHeight <= 0 ||
           (r.mX >= 0 && r.mY >= 0 && r.mX + r.mWidth <= width && r.mY + r.mHeight <= height);
}

uint32_t RGBOf(const Color& c)
{
    return (static_cast<uint32_t>(c.mRed & 0xFF) << 16) | (static_cast<uint32_t>(c.mGreen & 0xFF) << 8) |
           static_cast<uint32_t>(c.mBlue & 0xFF);
}

double Frac(double v) { return v - std::trunc(v); }

// Each row of the source rect in turn, as runs of one alpha class (clear,
// opaque, translucent) from the source's run-length alpha data:
// `run(d, s, n, alpha)` gets the destination row position, the source index,
// the run's length and its first pixel's alpha.
template <typename Pixels, typename Run>
void ForEachRun(uint32_t* dst, int dstWidth, int x, int y, const Pixels& src, int srcWidth, const uint8_t* runs,
                const Rect& r, Run run)
{
    for (int row = 0; row < r.mHeight; ++row) {
        uint32_t* d = dst + static_cast<size_t>(y + row) * dstWidth + x;
        const size_t s = static_cast<size_t>(r.mY + row) * srcWidth + r.mX;
        int col = 0;
        while (col < r.mWidth) {
            const uint32_t alpha = src[s + col] >> 24;
            int n = 0;
            // Runs longer than a run byte holds come as several bytes: a
            // byte of 255 is followed by more of its run when the byte 254
            // pixels on still counts more than its own pixel.
            for (;;) {
                const int k = runs[s + col + n];
                n += std::max(std::min(k, r.mWidth - col - n), 1);
                if (k < 255 || col + n >= r.mWidth || runs[s + col + n - 1] <= 1)
                    break;
            }
            run(d + col, s + col, n, alpha);
            col += n;
        }
    }
}

// `perPixel(d, s)` over every pixel of the runs that are not clear: a clear
// source pixel leaves the destination as it is in every normal blend.
template <typename Pixels, typename PerPixel>
void ForEachShownPixel(uint32_t* dst, int dstWidth, int x, int y, const Pixels& src, int srcWidth,
                       const uint8_t* runs, const Rect& r, PerPixel perPixel)
{
    ForEachRun(dst, dstWidth, x, y, src, srcWidth, runs, r, [&](uint32_t* d, size_t s, int n, uint32_t alpha) {
        if (alpha != 0)
            for (int i = 0; i < n; ++i)
                d[i] = perPixel(d[i], src[s + i]);
    });
}

template <typename Pixels>
constexpr bool kContiguous = std::is_same_v<Pixels, DirectPixels>;

#if defined(KIVO_WIDE_KERNELS)
// rows::CopyRow with AVX2, thirty-two bytes at a time.
KIVO_AVX2 void CopyRow8(uint32_t* d, const uint32_t* s, int n)
{
    int i = 0;
    for (; i + 8 <= n; i += 8)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i)));
    rows::CopyRow(d + i, s + i, n - i);
}
#endif

// The white normal blit: opaque runs are copied (onto a destination whose
// flags say opaque) or stored through the opaque form of the blend, clear
// runs skipped, and only translucent pixels blended.
template <bool destOpaque, typename Pixels>
void WhiteBlt(uint32_t* dst, int dstWidth, int x, int y, const Pixels& src, int srcWidth, const uint8_t* runs,
              const Rect& r)
{
#if defined(KIVO_WIDE_KERNELS)
    const bool wide = WideKernels();
#endif
    ForEachRun(dst, dstWidth, x, y, src, srcWidth, runs, r, [&](uint32_t* d, size_t s, int n, uint32_t alpha) {
        if (alpha == 0)
            return;
        if (alpha == 255) {
            if constexpr (destOpaque && kContiguous<Pixels>) {
#if defined(KIVO_WIDE_KERNELS)
                if (wide) {
                    CopyRow8(d, src.bits + s, n);
                    return;
                }
#endif
                rows::CopyRow(d, src.bits + s, n);
            } else if constexpr (destOpaque) {
                for (int i = 0; i < n; ++i)
                    d[i] = src[s + i];
            } else if constexpr (kContiguous<Pixels>) {
                rows::OpaqueOverRow(d, src.bits + s, n);
            } else {
                for (int i = 0; i < n; ++i)
                    d[i] = rows::OpaqueOver(src[s + i]);
            }
            return;
        }
        for (int i = 0; i < n; ++i) {
            const uint32_t p = src[s + i];
            const uint32_t a = p >> 24;
            if constexpr (destOpaque) {
                const uint32_t dp = d[i];
                const uint32_t rb =
                    ((((dp & 0xFF00FF) * (256 - a)) >> 8) + (((p & 0xFF00FF) * a) >> 8)) & 0xFF00FF;
                const uint32_t g = ((((dp & 0xFF00) * (256 - a)) >> 8) + (((p & 0xFF00) * a) >> 8)) & 0xFF00;
                d[i] = 0xFF000000 | rb | g;
            } else {
                d[i] = a ? blend::OverShiftThenSum(d[i], p, a) : d[i];
            }
        }
    });
}

// The tinted normal blit.
template <typename Pixels>
void TintedBlt(uint32_t* dst, int dstWidth, int x, int y, const Pixels& src, int srcWidth, const uint8_t* runs,
               const Rect& r, const Color& color)
{
    const blend::TintedOver tint(color.mRed, color.mGreen, color.mBlue, color.mAlpha);
    auto each = [&](auto perPixel) { ForEachShownPixel(dst, dstWidth, x, y, src, srcWidth, runs, r, perPixel); };
    if (tint.Grey())
        each([&](uint32_t d, uint32_t s) { return tint.Blend<true>(d, s); });
    else
        each([&](uint32_t d, uint32_t s) { return tint.Blend<false>(d, s); });
}

// The additive blit: the saturation table of the host holds each sum at
// 255, which the row kernel does directly.
template <typename Pixels>
void AdditiveBlt(uint32_t* dst, int dstWidth, int x, int y, const Pixels& src, int srcWidth, const Rect& r,
                 const Color& color, bool srcTranslucent)
{
    rows::AddFactors f;
    f.bySourceAlpha = srcTranslucent;
    if (!IsWhite(color)) {
        const uint32_t ca = static_cast<uint32_t>(color.mAlpha & 0xFF);
        f.kr = ((color.mRed & 0xFF) * ca) / 255;
        f.kg = ((color.mGreen & 0xFF) * ca) / 255;
        f.kb = ((color.mBlue & 0xFF) * ca) / 255;
    }
    for (int row = 0; row < r.mHeight; ++row) {
        uint32_t* d = dst + static_cast<size_t>(y + row) * dstWidth + x;
        const size_t s = static_cast<size_t>(r.mY + row) * srcWidth + r.mX;
        if constexpr (kContiguous<Pixels>) {
            rows::AddRow(d, src.bits + s, r.mWidth, f);
        } else {
            for (int i = 0; i < r.mWidth; ++i)
                d[i] = rows::SaturatedAdd(d[i], rows::Addend(src[s + i], f));
        }
    }
}

// The Bresenham walk of the sloped lines, on truncated coordinates; `plot`
// draws one pixel. The walk never leaves the box of the two end points.
template <typename Plot>
void WalkLine(double x1, double y1, double x2, double y2, Plot plot)
{
    const bool yMajor = std::fabs(x2 - x1) <= std::fabs(y2 - y1);
    double sMaj = yMajor ? y1 : x1, sMin = yMajor ? x1 : y1;
    double eMaj = yMajor ? y2 : x2, eMin = yMajor ? x2 : y2;
    if (eMaj - sMaj < 0) {
        std::swap(sMaj, eMaj);
        std::swap(sMin, eMin);
    }
    const int minorStep = eMin - sMin < 0 ? -1 : 1;
    const int boxMinMaj = static_cast<int>(std::trunc(std::min(sMaj, eMaj)));
    const int boxMaxMaj = static_cast<int>(std::trunc(std::max(sMaj, eMaj)));
    const int boxMinMin = static_cast<int>(std::trunc(std::min(sMin, eMin)));
    const int boxMaxMin = static_cast<int>(std::trunc(std::max(sMin, eMin)));
    auto draw = [&](int maj, int min) { yMajor ? plot(min, maj) : plot(maj, min); };

    int minor = static_cast<int>(std::trunc(sMin));
    draw(static_cast<int>(std::trunc(sMaj)), minor);
    const double D = std::fabs(eMin - sMin);
    const double M = std::fabs(eMaj - sMaj);
    const double twoD = std::trunc(2 * D);
    int e = static_cast<int>(Frac(sMin) * twoD + std::trunc(2 * D - M));
    const int incStraight = static_cast<int>(twoD);
    const int incStep = static_cast<int>(std::trunc(2 * (D - M)));
    for (int maj = static_cast<int>(std::trunc(sMaj + 1)); maj <= eMaj; ++maj) {
        if (e > 0) {
            minor += minorStep;
            e += incStep;
        } else {
            e += incStraight;
        }
        if (maj < boxMinMaj || maj > boxMaxMaj || minor < boxMinMin || minor > boxMaxMin)
            break;
        draw(maj, minor);
    }
}

// A solid colour with alpha a (1..254) over a row, each pixel as
// blend::OverSumThenShift gives it. Onto opaque pixels the weight is the
// alpha itself and red and blue share one product without carrying into
// each other; elsewhere the new alpha and the weight come from the
// destination's alpha, the division by 255 as (t + 1 + (t >> 8)) >> 8 (exact
// below 65536) and the weight's as a float division, exact for these sizes.
void SolidOverRow(uint32_t* p, int n, uint32_t rgb, uint32_t a)
{
    const uint32_t iw = 256 - a;
    const uint32_t srb = (rgb & 0xFF00FF) * a;
    const uint32_t sg = (rgb & 0xFF00) * a;
    auto opaque = [&](uint32_t d) {
        return 0xFF000000 | ((((d & 0xFF00FF) * iw + srb) >> 8) & 0xFF00FF) | ((((d & 0xFF00) * iw + sg) >> 8) & 0xFF00);
    };
    int i = 0;
#if defined(__SSE2__)
    const __m128i bytes = _mm_set1_epi32(0x00FF00FF);
    const __m128i low = _mm_set1_epi32(0xFF);
    const __m128i top = _mm_set1_epi32(static_cast<int>(0xFF000000));
    const __m128i s = _mm_set1_epi32(static_cast<int>(rgb));
    const __m128i av = _mm_set1_epi32(static_cast<int>(a));
    const __m128i iw2 = _mm_set1_epi16(static_cast<short>(iw));
    const __m128i srb2 = _mm_set1_epi32(static_cast<int>(srb));
    const __m128i sg2 = _mm_set1_epi32(static_cast<int>(sg >> 8));
    auto mix = [&](__m128i d, __m128i iwv, __m128i srcRb, __m128i srcG) {
        const __m128i rb = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_and_si128(d, bytes), iwv), srcRb), 8);
        const __m128i g = _mm_srli_epi16(
            _mm_add_epi16(_mm_mullo_epi16(_mm_and_si128(_mm_srli_epi32(d, 8), bytes), iwv), srcG), 8);
        return _mm_or_si128(rb, _mm_slli_epi32(_mm_and_si128(g, low), 8));
    };
    for (; i + 4 <= n; i += 4) {
        __m128i* at = reinterpret_cast<__m128i*>(p + i);
        const __m128i d = _mm_loadu_si128(at);
        const __m128i da = _mm_srli_epi32(d, 24);
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(da, low)) == 0xFFFF) {
            _mm_storeu_si128(at, _mm_or_si128(mix(d, iw2, srb2, sg2), top));
            continue;
        }
        const __m128i t = _mm_mullo_epi16(_mm_sub_epi32(low, da), av);
        const __m128i na = _mm_add_epi32(
            da, _mm_srli_epi32(_mm_add_epi32(_mm_add_epi32(t, _mm_set1_epi32(1)), _mm_srli_epi32(t, 8)), 8));
        const __m128i w = _mm_cvttps_epi32(
            _mm_div_ps(_mm_cvtepi32_ps(_mm_mullo_epi16(av, low)), _mm_cvtepi32_ps(na)));
        const __m128i w2 = _mm_or_si128(w, _mm_slli_epi32(w, 16));
        const __m128i iwv = _mm_sub_epi16(_mm_set1_epi16(256), w2);
        const __m128i out = mix(d, iwv, _mm_mullo_epi16(_mm_and_si128(s, bytes), w2),
                                _mm_mullo_epi16(_mm_and_si128(_mm_srli_epi32(s, 8), low), w));
        _mm_storeu_si128(at, _mm_or_si128(out, _mm_slli_epi32(na, 24)));
    }
#endif
    for (; i < n; ++i)
        p[i] = (p[i] >> 24) == 255 ? opaque(p[i]) : blend::OverSumThenShift(p[i], rgb, a);
}

#if defined(KIVO_WIDE_KERNELS)
// Each colour channel (d_c x iw + src_c) >> 8, red and blue from srcRb and
// green from srcG, all in 16-bit lanes; the alpha byte is left 0.
KIVO_AVX2 inline __m256i MixSolid8(__m256i d, __m256i iw, __m256i srcRb, __m256i srcG)
{
    const __m256i bytes = _mm256_set1_epi32(0x00FF00FF);
    const __m256i rb = _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(_mm256_and_si256(d, bytes), iw), srcRb), 8);
    const __m256i g = _mm256_srli_epi16(
        _mm256_add_epi16(_mm256_mullo_epi16(_mm256_and_si256(_mm256_srli_epi32(d, 8), bytes), iw), srcG), 8);
    return _mm256_or_si256(rb, _mm256_slli_epi32(_mm256_and_si256(g, _mm256_set1_epi32(0xFF)), 8));
}

// SolidOverRow with AVX2, eight pixels at a time.
KIVO_AVX2 void SolidOverRow8(uint32_t* p, int n, uint32_t rgb, uint32_t a)
{
    const uint32_t iw = 256 - a;
    const __m256i bytes = _mm256_set1_epi32(0x00FF00FF);
    const __m256i low = _mm256_set1_epi32(0xFF);
    const __m256i top = _mm256_set1_epi32(static_cast<int>(0xFF000000));
    const __m256i s = _mm256_set1_epi32(static_cast<int>(rgb));
    const __m256i av = _mm256_set1_epi32(static_cast<int>(a));
    const __m256i iw2 = _mm256_set1_epi16(static_cast<short>(iw));
    const __m256i srb2 = _mm256_set1_epi32(static_cast<int>((rgb & 0xFF00FF) * a));
    const __m256i sg2 = _mm256_set1_epi32(static_cast<int>(((rgb >> 8) & 0xFF) * a));
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        __m256i* at = reinterpret_cast<__m256i*>(p + i);
        const __m256i d = _mm256_loadu_si256(at);
        const __m256i da = _mm256_srli_epi32(d, 24);
        if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(da, low)) == -1) {
            _mm256_storeu_si256(at, _mm256_or_si256(MixSolid8(d, iw2, srb2, sg2), top));
            continue;
        }
        const __m256i t = _mm256_mullo_epi16(_mm256_sub_epi32(low, da), av);
        const __m256i na = _mm256_add_epi32(
            da, _mm256_srli_epi32(_mm256_add_epi32(_mm256_add_epi32(t, _mm256_set1_epi32(1)), _mm256_srli_epi32(t, 8)), 8));
        const __m256i w = _mm256_cvttps_epi32(
            _mm256_div_ps(_mm256_cvtepi32_ps(_mm256_mullo_epi16(av, low)), _mm256_cvtepi32_ps(na)));
        const __m256i w2 = _mm256_or_si256(w, _mm256_slli_epi32(w, 16));
        const __m256i iwv = _mm256_sub_epi16(_mm256_set1_epi16(256), w2);
        const __m256i out = MixSolid8(d, iwv, _mm256_mullo_epi16(_mm256_and_si256(s, bytes), w2),
                                _mm256_mullo_epi16(_mm256_and_si256(_mm256_srli_epi32(s, 8), low), w));
        _mm256_storeu_si256(at, _mm256_or_si256(out, _mm256_slli_epi32(na, 24)));
    }
    SolidOverRow(p + i, n - i, rgb, a);
}
#endif

} // namespace

void MemoryImage::FillRect(const Rect& rect, const Color& color, int)
{
    assert(RectInside(rect, mWidth, mHeight));
    uint32_t* bits = GetBits();
    const uint32_t alpha = static_cast<uint32_t>(color.mAlpha & 0xFF);
    const uint32_t rgb = RGBOf(color);
#if defined(KIVO_WIDE_KERNELS)
    const bool wide = WideKernels();
#endif
    for (int y = rect.mY; y < rect.mY + rect.mHeight; ++y) {
        uint32_t* p = bits + static_cast<size_t>(y) * mWidth + rect.mX;
        if (alpha == 255) {
            std::fill(p, p + rect.mWidth, color.ToInt());
        } else if (alpha != 0) {
#if defined(KIVO_WIDE_KERNELS)
            if (wide) {
                SolidOverRow8(p, rect.mWidth, rgb, alpha);
                continue;
            }
#endif
            SolidOverRow(p, rect.mWidth, rgb, alpha);
        }
    }
    BitsChanged();
}

void MemoryImage::ClearRect(const Rect& rect)
{
    assert(RectInside(rect, mWidth, mHeight));
    uint32_t* bits = GetBits();
    for (int y = rect.mY; y < rect.mY + rect.mHeight; ++y) {
        uint32_t* p = bits + static_cast<size_t>(y) * mWidth + rect.mX;
        std::fill(p, p + rect.mWidth, 0u);
    }
    BitsChanged();
}

void MemoryImage::FillScanLinesWithCoverage(const Span* spans, int count, const Color& color, int,
                                            const uint8_t* coverage, int coverX, int coverY, int coverWidth,
                                            int coverHeight)
{
    uint32_t* bits = GetBits();
    const uint32_t alpha = static_cast<uint32_t>(color.mAlpha & 0xFF);
    const uint32_t rgb = RGBOf(color);
    for (int i = 0; i < count; ++i) {
        const Span& s = spans[i];
        assert(RectInside(Rect(s.mX, s.mY, s.mWidth, 1), mWidth, mHeight));
        // Pixels outside the coverage rectangle have no coverage byte.
        if (s.mY < coverY || s.mY >= coverY + coverHeight)
            continue;
        uint32_t* row = bits + static_cast<size_t>(s.mY) * mWidth;
        const uint8_t* cov = coverage + static_cast<ptrdiff_t>(s.mY - coverY) * coverWidth - coverX;
        const int x0 = std::max(s.mX, coverX);
        const int x1 = std::min(s.mX + s.mWidth, coverX + coverWidth);
        for (int x = x0; x < x1; ++x) {
            const uint32_t a = (alpha * (cov[x] + 1u)) >> 8;
            if (a > 0)
                row[x] = blend::OverSumThenShift(row[x], rgb, a);
        }
    }
    BitsChanged();
}

void MemoryImage::DrawLine(double x1, double y1, double x2, double y2, const Color& color, int drawMode)
{
    if (y1 == y2) {
        const int xa = static_cast<int>(std::trunc(std::min(x1, x2)));
        const int xb = static_cast<int>(std::trunc(std::max(x1, x2)));
        FillRect(Rect(xa, static_cast<int>(std::trunc(y1)), xb - xa + 1, static_cast<int>(std::trunc(y2 - y1 + 1))),
                 color, drawMode);
        return;
    }
    if (x1 == x2) {
        const int ya = static_cast<int>(std::trunc(std::min(y1, y2)));
        const int yb = static_cast<int>(std::trunc(std::max(y1, y2)));
        FillRect(Rect(static_cast<int>(std::trunc(x1)), ya, 1, yb - ya + 1), color, drawMode);
        return;
    }
    if (drawMode != DRAWMODE_NORMAL && drawMode != DRAWMODE_ADDITIVE)
        return;
    uint32_t* bits = GetBits();
    const int width = mWidth;
    auto at = [bits, width](int x, int y) -> uint32_t& {
        return bits[static_cast<size_t>(y) * width + x];
    };
    const uint32_t a = static_cast<uint32_t>(color.mAlpha & 0xFF);
    const uint32_t c[3] = { static_cast<uint32_t>(color.mRed & 0xFF), static_cast<uint32_t>(color.mGreen & 0xFF),
                            static_cast<uint32_t>(color.mBlue & 0xFF) };
    if (drawMode == DRAWMODE_NORMAL) {
        if (a == 255) {
            // Opaque lines write each channel as (c * 255 + 127) >> 8, so
            // 255 comes out as 254.
            const uint32_t pixel = 0xFF000000 | (((c[0] * 255 + 127) >> 8) << 16) |
                                   (((c[1] * 255 + 127) >> 8) << 8) | ((c[2] * 255 + 127) >> 8);
            WalkLine(x1, y1, x2, y2, [&](int x, int y) { at(x, y) = pixel; });
        } else {
            uint32_t srcTerm[3];
            for (int i = 0; i < 3; ++i)
                srcTerm[i] = ((((c[i] * a + 128) >> 8)) * 255 + 127) >> 8;
            WalkLine(x1, y1, x2, y2, [&](int x, int y) {
                uint32_t& d = at(x, y);
                uint32_t out = 0xFF000000;
                for (int i = 0; i < 3; ++i) {
                    const int shift = 16 - 8 * i;
                    const uint32_t dc = (d >> shift) & 0xFF;
                    out |= (srcTerm[i] + ((dc * (256 - a) + 127) >> 8)) << shift;
                }
                d = out;
            });
        }
    } else {
        const uint8_t* t = mHost->GetSaturationTable();
        const uint32_t k[3] = { c[0] * a / 255, c[1] * a / 255, c[2] * a / 255 };
        WalkLine(x1, y1, x2, y2, [&](int x, int y) {
            uint32_t& d = at(x, y);
            d = 0xFF000000 | (static_cast<uint32_t>(t[((d >> 16) & 0xFF) + k[0]]) << 16) |
                (static_cast<uint32_t>(t[((d >> 8) & 0xFF) + k[1]]) << 8) | t[(d & 0xFF) + k[2]];
        });
    }
    BitsChanged();
}

void MemoryImage::DrawLineAA(double x1, double y1, double x2, double y2, const Color& color, int drawMode)
{
    if (y1 == y2 || x1 == x2) {
        DrawLine(x1, y1, x2, y2, color, drawMode);
        return;
    }
    if (drawMode != DRAWMODE_NORMAL)
        return;
    uint32_t* bits = GetBits();
    const uint32_t alpha = static_cast<uint32_t>(color.mAlpha & 0xFF);
    const uint32_t rgb = RGBOf(color);
    // The walk can step one pixel past an end point, and the neighbour pixel
    // lies beside the line: pixels outside the image are never written.
    auto plot = [&](int x, int y, uint32_t w) {
        if (x < 0 || y < 0 || x >= mWidth || y >= mHeight)
            return;
        const uint32_t a = alpha == 255 ? w : ((alpha + 1) * w) >> 8;
        if (a == 0)
            return;
        uint32_t& d = bits[static_cast<size_t>(y) * mWidth + x];
        d = blend::OverSumThenShift(d, rgb, a);
    };

    int ix1 = static_cast<int>(std::trunc(x1)), iy1 = static_cast<int>(std::trunc(y1));
    int ix2 = static_cast<int>(std::trunc(x2)), iy2 = static_cast<int>(std::trunc(y2));
    double sx = x1, sy = y1;
    if (iy1 > iy2) {
        std::swap(ix1, ix2);
        std::swap(iy1, iy2);
        sx = x2;
        sy = y2;
    }
    int dx = ix2 - ix1;
    const int dy = iy2 - iy1;
    int xStep = 1;
    if (dx < 0) {
        dx = -dx;
        xStep = -1;
    }
    uint32_t f = static_cast<uint32_t>(std::trunc(std::fabs(Frac(sx)) * std::fabs(Frac(sy)) * 65536));
    const bool yMajor = dx < dy;
    const double ax = std::fabs(x2 - x1), ay = std::fabs(y2 - y1);
    // Whenever the walk runs (two or more steps) the ratio is below 3; the
    // cap only keeps the conversion defined for the short lines.
    const double ratio = std::min(yMajor ? ax / ay : ay / ax, 4.0);
    const uint32_t inc = static_cast<uint32_t>(std::trunc(ratio * 65536));
    uint32_t w = 255 - ((f >> 8) & 255);
    int x = ix1, y = iy1;
    plot(x, y, w);
    const int length = yMajor ? dy : dx;
    for (int i = 1; i < length; ++i) {
        f += inc;
        if (f > 0xFFFF) {
            f &= 0xFFFF;
            if (yMajor)
                x += xStep;
            else
                ++y;
        }
        if (yMajor)
            ++y;
        else
            x += xStep;
        w = 255 - ((f >> 8) & 255);
        plot(x, y, w);
        if (yMajor) {
            if (x < mWidth - 1)
                plot(x + xStep, y, 255 - w);
        } else if (y < mHeight - 1) {
            plot(x, y + 1, 255 - w);
        }
    }
    plot(ix2, iy2, w);
    BitsChanged();
}

void MemoryImage::Blt(Image* source, int x, int y, const Rect& srcRect, const Color& color, int drawMode)
{
    source->mDrawn = true;
    auto* src = dynamic_cast<MemoryImage*>(source);
    if (!src || (drawMode != DRAWMODE_NORMAL && drawMode != DRAWMODE_ADDITIVE))
        return;
    assert(RectInside(srcRect, src->mWidth, src->mHeight));
    assert(RectInside(Rect(x, y, srcRect.mWidth, srcRect.mHeight), mWidth, mHeight));
    if (srcRect.mWidth <= 0 || srcRect.mHeight <= 0)
        return;

    uint32_t* dst = GetBits();
    WithSourcePixels(src, [&](const auto& pixels) {
        if (drawMode == DRAWMODE_NORMAL) {
            // The destination's alpha classes are read as they stand: screen
            // images have them forced, and others were committed when drawn.
            const uint8_t* runs = src->GetRLAlphaData();
            if (IsWhite(color) && !mHasTrans && !mHasAlpha)
                WhiteBlt<true>(dst, mWidth, x, y, pixels, src->mWidth, runs, srcRect);
            else if (IsWhite(color))
                WhiteBlt<false>(dst, mWidth, x, y, pixels, src->mWidth, runs, srcRect);
            else
                TintedBlt(dst, mWidth, x, y, pixels, src->mWidth, runs, srcRect, color);
        } else {
            src->CommitBits();
            AdditiveBlt(dst, mWidth, x, y, pixels, src->mWidth, srcRect, color, src->mHasAlpha);
        }
    });
    BitsChanged();
}

} // namespace Kivo
