// The memory image's nearest-pixel stretch, through precomputed source
// columns: four pixels at a time with SSE2, or where the CPU has AVX2,
// eight at a time from spans of sixteen source pixels.
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/MemoryImageBlits.h"
#include "framework/graphics/PixelBlend.h"
#include "framework/graphics/PixelRows.h"
#include "framework/graphics/SourcePixels.h"
#include "framework/raster/WideKernels.h"

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Kivo {

namespace {

// Over-blend of a source pixel; an opaque one's weight and new alpha are
// always 255 whatever the destination, so it does not read it.
inline uint32_t Over(uint32_t d, uint32_t s)
{
    const uint32_t a = s >> 24;
    if (a == 255)
        return rows::OpaqueOver(s);
    return a ? blend::OverShiftThenSum(d, s, a) : d;
}

// Over, four pixels at a time and without its branches: the blend's new
// alpha na = da + (255 - da) a / 255 and weight w = 255 a / na, then each
// channel (d_c (256 - w)) >> 8 + (s_c w) >> 8 in its own 16 bits. These are
// the opaque source's numbers too (na = w = 255), and a clear source leaves
// the destination. The division by na is exact through floats: where the
// quotient of two numbers below 2^16 is not whole it lies at least 1/255
// from a whole number, far more than a float's rounding moves it.
#if defined(__SSE2__)
// The blend of the bytes at bits 0 and 16 of each word, weights w and iw
// in both 16-bit halves.
inline __m128i MixBytes(__m128i d, __m128i s, __m128i iw, __m128i w)
{
    const __m128i bytes = _mm_set1_epi32(0x00FF00FF);
    return _mm_add_epi16(_mm_srli_epi16(_mm_mullo_epi16(_mm_and_si128(d, bytes), iw), 8),
                         _mm_srli_epi16(_mm_mullo_epi16(_mm_and_si128(s, bytes), w), 8));
}

inline __m128i Over4(__m128i d, __m128i s)
{
    const __m128i low = _mm_set1_epi32(0xFF);
    const __m128i a = _mm_srli_epi32(s, 24);
    const __m128i da = _mm_srli_epi32(d, 24);
    // t / 255 as (t + 1 + t / 256) / 256, exact for t up to 255 x 255;
    // products of values below 256 fit the low 16 bits of each word.
    const __m128i t = _mm_mullo_epi16(_mm_sub_epi32(low, da), a);
    const __m128i t1 = _mm_add_epi32(_mm_add_epi32(t, _mm_set1_epi32(1)), _mm_srli_epi32(t, 8));
    const __m128i na = _mm_add_epi32(da, _mm_srli_epi32(t1, 8));
    // A clear source over a clear destination leaves na at 0; dividing by
    // 1 there keeps the quotient finite.
    const __m128 q = _mm_div_ps(_mm_cvtepi32_ps(_mm_mullo_epi16(a, low)),
                                _mm_cvtepi32_ps(_mm_max_epi16(na, _mm_set1_epi32(1))));
    const __m128i w = _mm_cvttps_epi32(q);
    const __m128i iw = _mm_sub_epi32(_mm_set1_epi32(256), w);
    const __m128i w2 = _mm_or_si128(w, _mm_slli_epi32(w, 16));
    const __m128i iw2 = _mm_or_si128(iw, _mm_slli_epi32(iw, 16));
    const __m128i rb = MixBytes(d, s, iw2, w2);
    const __m128i g = _mm_and_si128(MixBytes(_mm_srli_epi32(d, 8), _mm_srli_epi32(s, 8), iw2, w2), low);
    const __m128i out = _mm_or_si128(_mm_or_si128(rb, _mm_slli_epi32(g, 8)), _mm_slli_epi32(na, 24));
    const __m128i clear = _mm_cmpeq_epi32(a, _mm_setzero_si128());
    return _mm_or_si128(_mm_and_si128(clear, d), _mm_andnot_si128(clear, out));
}
#endif

// The kinds of a block of picked pixels: all opaque (their blended form
// does not depend on the destination), all clear (they leave it as it
// is), or mixed.
enum BlockKind : uint8_t { kOpaqueBlock, kClearBlock, kMixedBlock };

// The pixels of a source from the start of one of its rows on.
DirectPixels FromRow(const DirectPixels& src, size_t rowStart) { return { src.bits + rowStart }; }
PalettePixels FromRow(const PalettePixels& src, size_t rowStart) { return { src.table, src.indices + rowStart }; }

// Picks a row of the source through the columns and draws it onto d four
// pixels at a time; the last n % 4 pixels are blended one by one. When the
// row is drawn again below, `keep` holds the picked pixels in `picked` and
// each block's kind in `kinds`.
template <bool keep, typename Pixels>
void PickAndDraw(const Pixels& row, const int* col, uint32_t* picked, uint32_t* d, int n, uint8_t* kinds)
{
#if defined(__SSE2__)
    const __m128i alpha = _mm_set1_epi32(static_cast<int>(0xFF000000));
    const __m128i one = _mm_set1_epi32(0x00010101);
#endif
    const int blocks = n / 4;
    for (int b = 0; b < blocks; ++b) {
        const int i = b * 4;
        uint32_t p[4];
        for (int k = 0; k < 4; ++k)
            p[k] = row[static_cast<size_t>(col[i + k])];
        // The pixels go to `picked` and d from registers: a wide load of
        // four narrow stores just made would wait for them.
#if defined(__SSE2__)
        const __m128i v = _mm_setr_epi32(static_cast<int>(p[0]), static_cast<int>(p[1]), static_cast<int>(p[2]),
                                         static_cast<int>(p[3]));
        if constexpr (keep)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(picked + i), v);
#else
        if constexpr (keep)
            std::memcpy(picked + i, p, sizeof p);
#endif
        BlockKind kind = kMixedBlock;
        if (((p[0] & p[1] & p[2] & p[3]) >> 24) == 255) {
#if defined(__SSE2__)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_or_si128(_mm_subs_epu8(v, one), alpha));
#else
            for (int k = 0; k < 4; ++k)
                d[i + k] = rows::OpaqueOver(p[k]);
#endif
            kind = kOpaqueBlock;
        } else if (((p[0] | p[1] | p[2] | p[3]) >> 24) == 0) {
            kind = kClearBlock;
        } else {
#if defined(__SSE2__)
            __m128i* to = reinterpret_cast<__m128i*>(d + i);
            _mm_storeu_si128(to, Over4(_mm_loadu_si128(to), v));
#else
            for (int k = 0; k < 4; ++k)
                d[i + k] = Over(d[i + k], p[k]);
#endif
        }
        if constexpr (keep)
            kinds[b] = kind;
    }
    for (int i = blocks * 4; i < n; ++i) {
        const uint32_t p = row[static_cast<size_t>(col[i])];
        if constexpr (keep)
            picked[i] = p;
        d[i] = Over(d[i], p);
    }
}

// The same picked row again onto d, the row below `above` where it was
// drawn: opaque blocks are copied from there.
void DrawAgain(const uint32_t* picked, const uint8_t* kinds, const uint32_t* above, uint32_t* d, int n)
{
    const int blocks = n / 4;
    for (int b = 0; b < blocks; ++b) {
        const int i = b * 4;
        if (kinds[b] == kOpaqueBlock) {
            std::memcpy(d + i, above + i, 16);
        } else if (kinds[b] == kMixedBlock) {
#if defined(__SSE2__)
            __m128i* to = reinterpret_cast<__m128i*>(d + i);
            const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(picked + i));
            _mm_storeu_si128(to, Over4(_mm_loadu_si128(to), p));
#else
            for (int k = i; k < i + 4; ++k)
                d[k] = Over(d[k], picked[k]);
#endif
        }
    }
    for (int i = blocks * 4; i < n; ++i)
        d[i] = Over(d[i], picked[i]);
}

#if defined(KIVO_WIDE_KERNELS)
// Where a block of eight outputs finds its pixels: the sixteen source
// pixels from column `base` on, lane k taking the one lanes[k] names. The
// base is -1 where the block's columns lie sixteen or more apart, or the
// row is narrower than sixteen: those pixels are loaded one by one. The
// sixteen never reach past the row's end: near it the base moves back.
struct Span8 {
    int32_t base;
    uint8_t lanes[8];
};

std::vector<Span8> Spans8(const std::vector<int>& columns, int srcWidth)
{
    std::vector<Span8> spans(columns.size() / 8);
    for (size_t b = 0; b < spans.size(); ++b) {
        const int* c = columns.data() + b * 8;
        const auto [lo, hi] = std::minmax_element(c, c + 8);
        const int base = std::min(*lo, srcWidth - 16);
        Span8& s = spans[b];
        s.base = -1;
        if (base >= 0 && *hi - base < 16) {
            s.base = base;
            for (int k = 0; k < 8; ++k)
                s.lanes[k] = static_cast<uint8_t>(c[k] - base);
        }
    }
    return spans;
}

// MixBytes and Over4 with AVX2, eight pixels at a time.
KIVO_AVX2 inline __m256i MixBytes8(__m256i d, __m256i s, __m256i iw, __m256i w)
{
    const __m256i bytes = _mm256_set1_epi32(0x00FF00FF);
    return _mm256_add_epi16(_mm256_srli_epi16(_mm256_mullo_epi16(_mm256_and_si256(d, bytes), iw), 8),
                            _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_and_si256(s, bytes), w), 8));
}

KIVO_AVX2 inline __m256i Over8(__m256i d, __m256i s)
{
    const __m256i low = _mm256_set1_epi32(0xFF);
    const __m256i a = _mm256_srli_epi32(s, 24);
    const __m256i da = _mm256_srli_epi32(d, 24);
    const __m256i t = _mm256_mullo_epi16(_mm256_sub_epi32(low, da), a);
    const __m256i t1 = _mm256_add_epi32(_mm256_add_epi32(t, _mm256_set1_epi32(1)), _mm256_srli_epi32(t, 8));
    const __m256i na = _mm256_add_epi32(da, _mm256_srli_epi32(t1, 8));
    const __m256 q = _mm256_div_ps(_mm256_cvtepi32_ps(_mm256_mullo_epi16(a, low)),
                                   _mm256_cvtepi32_ps(_mm256_max_epi16(na, _mm256_set1_epi32(1))));
    const __m256i w = _mm256_cvttps_epi32(q);
    const __m256i iw = _mm256_sub_epi32(_mm256_set1_epi32(256), w);
    const __m256i w2 = _mm256_or_si256(w, _mm256_slli_epi32(w, 16));
    const __m256i iw2 = _mm256_or_si256(iw, _mm256_slli_epi32(iw, 16));
    const __m256i rb = MixBytes8(d, s, iw2, w2);
    const __m256i g = _mm256_and_si256(MixBytes8(_mm256_srli_epi32(d, 8), _mm256_srli_epi32(s, 8), iw2, w2), low);
    const __m256i out = _mm256_or_si256(_mm256_or_si256(rb, _mm256_slli_epi32(g, 8)), _mm256_slli_epi32(na, 24));
    return _mm256_blendv_epi8(out, d, _mm256_cmpeq_epi32(a, _mm256_setzero_si256()));
}

// DrawAgain for rows drawn eight pixels at a time with AVX2.
KIVO_AVX2 void DrawAgain8(const uint32_t* picked, const uint8_t* kinds, const uint32_t* above,
                                                uint32_t* d, int n)
{
    const int blocks = n / 8;
    for (int b = 0; b < blocks; ++b) {
        __m256i* to = reinterpret_cast<__m256i*>(d + b * 8);
        if (kinds[b] == kOpaqueBlock) {
            _mm256_storeu_si256(to, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(above + b * 8)));
        } else if (kinds[b] == kMixedBlock) {
            const __m256i p = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(picked + b * 8));
            _mm256_storeu_si256(to, Over8(_mm256_loadu_si256(to), p));
        }
    }
    for (int i = blocks * 8; i < n; ++i)
        d[i] = Over(d[i], picked[i]);
}

// PickAndDraw eight pixels at a time with AVX2, each block's pixels taken
// from two loads of eight by its span.
template <bool keep>
KIVO_AVX2 void PickAndDraw8(const uint32_t* row, const Span8* spans, const int* col,
                                                  uint32_t* picked, uint32_t* d, int n, uint8_t* kinds)
{
    const __m256i alpha = _mm256_set1_epi32(static_cast<int>(0xFF000000));
    const __m256i one = _mm256_set1_epi32(0x00010101);
    const int blocks = n / 8;
    for (int b = 0; b < blocks; ++b) {
        const int i = b * 8;
        __m256i v;
        if (spans[b].base >= 0) {
            const __m256i lanes =
                _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(spans[b].lanes)));
            const uint32_t* s = row + spans[b].base;
            const __m256i lo =
                _mm256_permutevar8x32_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(s)), lanes);
            const __m256i hi =
                _mm256_permutevar8x32_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + 8)), lanes);
            // Lanes of 8 and more take the second load's pixel.
            v = _mm256_castps_si256(_mm256_blendv_ps(_mm256_castsi256_ps(lo), _mm256_castsi256_ps(hi),
                                                     _mm256_castsi256_ps(_mm256_slli_epi32(lanes, 28))));
        } else {
            const int* c = col + i;
            v = _mm256_setr_epi32(static_cast<int>(row[c[0]]), static_cast<int>(row[c[1]]),
                                  static_cast<int>(row[c[2]]), static_cast<int>(row[c[3]]),
                                  static_cast<int>(row[c[4]]), static_cast<int>(row[c[5]]),
                                  static_cast<int>(row[c[6]]), static_cast<int>(row[c[7]]));
        }
        if constexpr (keep)
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(picked + i), v);
        BlockKind kind = kMixedBlock;
        if (_mm256_testc_si256(v, alpha)) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), _mm256_or_si256(_mm256_subs_epu8(v, one), alpha));
            kind = kOpaqueBlock;
        } else if (_mm256_testz_si256(v, alpha)) {
            kind = kClearBlock;
        } else {
            __m256i* to = reinterpret_cast<__m256i*>(d + i);
            _mm256_storeu_si256(to, Over8(_mm256_loadu_si256(to), v));
        }
        if constexpr (keep)
            kinds[b] = kind;
    }
    for (int i = blocks * 8; i < n; ++i) {
        const uint32_t p = row[col[i]];
        if constexpr (keep)
            picked[i] = p;
        d[i] = Over(d[i], p);
    }
}
#endif

// Draws each row of dest through pick(keep, sourceRow, picked, d, kinds),
// which picks and draws the row in blocks of `width` pixels, or where it
// reads the same source row as the row above, through again(picked,
// kinds, above, d, n), which copies that row's opaque blocks.
template <int width, typename SourceRowOf, typename Pick, typename Again>
void DrawRows(uint32_t* dst, int dstWidth, const Rect& dest, SourceRowOf sourceRowOf, Pick pick, Again again)
{
    const int n = dest.mWidth;
    std::vector<uint32_t> picked(static_cast<size_t>(n));
    std::vector<uint8_t> kinds(static_cast<size_t>(n / width));
    int pickedRow = -1;
    for (int r = 0; r < dest.mHeight; ++r) {
        const int sy = sourceRowOf(r);
        uint32_t* d = dst + static_cast<size_t>(dest.mY + r) * dstWidth + dest.mX;
        if (sy == pickedRow)
            again(picked.data(), kinds.data(), d - dstWidth, d, n);
        else if (r + 1 < dest.mHeight && sourceRowOf(r + 1) == sy)
            pick(std::true_type{}, sy, picked.data(), d, kinds.data());
        else
            pick(std::false_type{}, sy, picked.data(), d, kinds.data());
        pickedRow = sy;
    }
}

// Pixel i of a row reads the column reached after i + 1 steps, which passes
// the source rect's last column on the last pixel; the column and row are
// held to the source rect. A colour other than white tints as the one to
// one blit does.
template <typename Pixels>
void FastStretch(uint32_t* dst, int dstWidth, const Rect& dest, const Pixels& src, int srcWidth,
                 const Rect& srcRect, const FRect& area, const Color& color)
{
    const double stepX = area.mWidth / dest.mWidth;
    const double stepY = area.mHeight / dest.mHeight;
    const int lastCol = srcRect.mX + srcRect.mWidth - 1;
    const int lastRow = srcRect.mY + srcRect.mHeight - 1;
    const int n = dest.mWidth;
    std::vector<int> columns(static_cast<size_t>(n));
    double pos = area.mX;
    for (int& c : columns) {
        pos += stepX;
        c = std::clamp(static_cast<int>(pos), srcRect.mX, lastCol);
    }
    auto sourceRowOf = [&](int r) { return std::clamp(static_cast<int>(area.mY + r * stepY), srcRect.mY, lastRow); };
    auto rowStart = [&](int sy) { return static_cast<size_t>(sy) * static_cast<size_t>(srcWidth); };
    if (IsWhite(color)) {
#if defined(KIVO_WIDE_KERNELS)
        if constexpr (std::is_same_v<Pixels, DirectPixels>) {
            if (WideKernels()) {
                const std::vector<Span8> spans = Spans8(columns, srcWidth);
                DrawRows<8>(dst, dstWidth, dest, sourceRowOf,
                            [&](auto keep, int sy, uint32_t* picked, uint32_t* d, uint8_t* kinds) {
                                PickAndDraw8<decltype(keep)::value>(src.bits + rowStart(sy), spans.data(),
                                                                    columns.data(), picked, d, n, kinds);
                            },
                            DrawAgain8);
                return;
            }
        }
#endif
        DrawRows<4>(dst, dstWidth, dest, sourceRowOf,
                    [&](auto keep, int sy, uint32_t* picked, uint32_t* d, uint8_t* kinds) {
                        PickAndDraw<decltype(keep)::value>(FromRow(src, rowStart(sy)), columns.data(), picked, d, n,
                                                           kinds);
                    },
                    DrawAgain);
        return;
    }
    const blend::TintedOver tint(color.mRed, color.mGreen, color.mBlue, color.mAlpha);
    std::vector<uint32_t> picked(static_cast<size_t>(n));
    uint32_t* p = picked.data();
    for (int r = 0; r < dest.mHeight; ++r) {
        const size_t start = rowStart(sourceRowOf(r));
        uint32_t* d = dst + static_cast<size_t>(dest.mY + r) * dstWidth + dest.mX;
        for (int i = 0; i < n; ++i)
            p[i] = src[start + static_cast<size_t>(columns[static_cast<size_t>(i)])];
        if (tint.Grey()) {
            for (int i = 0; i < n; ++i)
                d[i] = tint.Blend<true>(d[i], p[i]);
        } else {
            for (int i = 0; i < n; ++i)
                d[i] = tint.Blend<false>(d[i], p[i]);
        }
    }
}

} // namespace

void FastStretchBlt(MemoryImage* source, const Rect& srcRect, const FRect& srcArea, uint32_t* bits, int dstWidth,
                    const Rect& clippedDest, const Color& color)
{
    WithSourcePixels(source, [&](const auto& pixels) {
        FastStretch(bits, dstWidth, clippedDest, pixels, source->mWidth, srcRect, srcArea, color);
    });
}

} // namespace Kivo
