// The memory image's nearest-pixel stretch, through precomputed source
// columns.
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/MemoryImageBlits.h"
#include "framework/graphics/PixelBlend.h"
#include "framework/graphics/PixelRows.h"
#include "framework/graphics/SourcePixels.h"

#include <algorithm>
#include <cstring>
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
// drawn: opaque blocks are copied from there.
void DrawAgain(const uint32_t* picked, const uint8_t* kinds, const uint32_t* above, uint32_t* d, int n)
{
    const int blocks = n / 4;
    for (int b = 0; b < blocks; ++b) {
        const int i = b * 4;
        if (kinds[b] == kOpaqueBlock) {
            std::memcpy(d + i, above + i, 16);
        } else if (kinds[b] == kMixedBlock) {
            for (int k = i; k < i + 4; ++k)
                d[k] = Over(d[k], picked[k]);
        }
    }
    for (int i = blocks * 4; i < n; ++i)
        d[i] = Over(d[i], picked[i]);
}

// Pixel i of a row reads the column reached after i + 1 steps, which passes
// the source rect's last column on the last pixel; the column and row are
// held to the source rect. A row that reads the same source row as the one
// above copies that row's opaque blocks. A colour other than white tints as
// the one to one blit does.
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
    const bool white = IsWhite(color);
    const blend::TintedOver tint(color.mRed, color.mGreen, color.mBlue, color.mAlpha);
    std::vector<uint32_t> picked(static_cast<size_t>(n));
    std::vector<uint8_t> kinds(static_cast<size_t>(n / 4));
    int pickedRow = -1;
    auto sourceRowOf = [&](int r) { return std::clamp(static_cast<int>(area.mY + r * stepY), srcRect.mY, lastRow); };
    for (int r = 0; r < dest.mHeight; ++r) {
        const int sy = sourceRowOf(r);
        uint32_t* d = dst + static_cast<size_t>(dest.mY + r) * dstWidth + dest.mX;
        uint32_t* p = picked.data();
        const size_t rowStart = static_cast<size_t>(sy) * srcWidth;
        if (white) {
            if (sy == pickedRow)
                DrawAgain(p, kinds.data(), d - dstWidth, d, n);
            else if (r + 1 < dest.mHeight && sourceRowOf(r + 1) == sy)
                PickAndDraw<true>(src, rowStart, columns.data(), p, d, n, kinds.data());
            else
                PickAndDraw<false>(src, rowStart, columns.data(), p, d, n, kinds.data());
            pickedRow = sy;
            continue;
        }
        for (int i = 0; i < n; ++i)
            p[i] = src[rowStart + static_cast<size_t>(columns[static_cast<size_t>(i)])];
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
