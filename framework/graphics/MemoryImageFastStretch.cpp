// The memory image's nearest-pixel stretch, through precomputed source
// columns.
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/MemoryImageBlits.h"
#include "framework/graphics/PixelBlend.h"
#include "framework/graphics/PixelRows.h"
#include "framework/graphics/SourcePixels.h"

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#define KIVO_WIDE_STRETCH 1
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

// The kinds of four picked pixels: all opaque (their blended form does not
// depend on the destination), all clear (they leave it as it is), or mixed.
enum BlockKind : uint8_t { kOpaqueBlock, kClearBlock, kMixedBlock };

// Picks a row of the source through the columns and draws it onto d four
// pixels at a time; the last n % 4 pixels are blended one by one. When the
// row is drawn again below, `keep` holds the picked pixels in `picked` and
// each block's kind in `kinds`.
template <bool keep, typename Pixels>
void PickAndDraw(const Pixels& src, size_t rowStart, const int* col, uint32_t* picked, uint32_t* d, int n,
                 uint8_t* kinds)
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
            p[k] = src[rowStart + static_cast<size_t>(col[i + k])];
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
            for (int k = 0; k < 4; ++k)
                d[i + k] = Over(d[i + k], p[k]);
        }
        if constexpr (keep)
            kinds[b] = kind;
    }
    for (int i = blocks * 4; i < n; ++i) {
        const uint32_t p = src[rowStart + static_cast<size_t>(col[i])];
        if constexpr (keep)
            picked[i] = p;
        d[i] = Over(d[i], p);
    }
}

// The same picked row again onto d, the row below `above` where it was
// drawn in blocks of `width` pixels: opaque blocks are copied from there.
template <int width>
void DrawAgain(const uint32_t* picked, const uint8_t* kinds, const uint32_t* above, uint32_t* d, int n)
{
    const int blocks = n / width;
    for (int b = 0; b < blocks; ++b) {
        const int i = b * width;
        if (kinds[b] == kOpaqueBlock) {
            std::memcpy(d + i, above + i, width * sizeof(uint32_t));
        } else if (kinds[b] == kMixedBlock) {
            for (int k = i; k < i + width; ++k)
                d[k] = Over(d[k], picked[k]);
        }
    }
    for (int i = blocks * width; i < n; ++i)
        d[i] = Over(d[i], picked[i]);
}

#if defined(KIVO_WIDE_STRETCH)
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

// PickAndDraw eight pixels at a time with AVX2, each block's pixels taken
// from two loads of eight by its span.
template <bool keep>
__attribute__((target("avx2"))) void PickAndDraw8(const uint32_t* row, const Span8* spans, const int* col,
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
            alignas(32) uint32_t p[8];
            _mm256_store_si256(reinterpret_cast<__m256i*>(p), v);
            for (int k = 0; k < 8; ++k)
                d[i + k] = Over(d[i + k], p[k]);
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

bool CpuHasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

bool gWide = CpuHasAvx2();
#else
constexpr bool gWide = false;
#endif

// Draws each row of dest through pick(keep, sourceRow, picked, d, kinds),
// which picks and draws the row in blocks of `width` pixels. A row that
// reads the same source row as the one above copies that row's opaque
// blocks.
template <int width, typename SourceRowOf, typename Pick>
void DrawRows(uint32_t* dst, int dstWidth, const Rect& dest, SourceRowOf sourceRowOf, Pick pick)
{
    const int n = dest.mWidth;
    std::vector<uint32_t> picked(static_cast<size_t>(n));
    std::vector<uint8_t> kinds(static_cast<size_t>(n / width));
    int pickedRow = -1;
    for (int r = 0; r < dest.mHeight; ++r) {
        const int sy = sourceRowOf(r);
        uint32_t* d = dst + static_cast<size_t>(dest.mY + r) * dstWidth + dest.mX;
        if (sy == pickedRow)
            DrawAgain<width>(picked.data(), kinds.data(), d - dstWidth, d, n);
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
#if defined(KIVO_WIDE_STRETCH)
        if constexpr (std::is_same_v<Pixels, DirectPixels>) {
            if (gWide) {
                const std::vector<Span8> spans = Spans8(columns, srcWidth);
                DrawRows<8>(dst, dstWidth, dest, sourceRowOf,
                            [&](auto keep, int sy, uint32_t* picked, uint32_t* d, uint8_t* kinds) {
                                PickAndDraw8<decltype(keep)::value>(src.bits + rowStart(sy), spans.data(),
                                                                    columns.data(), picked, d, n, kinds);
                            });
                return;
            }
        }
#endif
        DrawRows<4>(dst, dstWidth, dest, sourceRowOf,
                    [&](auto keep, int sy, uint32_t* picked, uint32_t* d, uint8_t* kinds) {
                        PickAndDraw<decltype(keep)::value>(src, rowStart(sy), columns.data(), picked, d, n, kinds);
                    });
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

bool SetFastStretchWide(bool wide)
{
#if defined(KIVO_WIDE_STRETCH)
    gWide = wide && CpuHasAvx2();
#else
    (void)wide;
#endif
    return gWide;
}

} // namespace Kivo
