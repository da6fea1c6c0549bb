// The memory image's blits that do not map pixels one to one: sub-pixel
// placement, rotation, stretching, matrix and textured triangles.
#include "framework/graphics/MemoryImageBlits.h"

#include "framework/graphics/BltRects.h"
#include "framework/graphics/GraphicsHost.h"
#include "framework/graphics/Matrix3x3.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/MemoryImageRaster.h"
#include "framework/graphics/SourcePixels.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

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

// The rotated blit's walk: for each destination pixel of the bounds whose
// sample lies in the source rect, `blend(d, taps, weights)` mixes the four taps
// (top-left, top-right, bottom-left, bottom-right) with their 16-bit weights
// into destination pixel d.
template <typename Pixels, typename Blend>
void RotatedWalk(uint32_t* dst, int dstWidth, const Pixels& src, int srcWidth, const Rect& srcRect,
                 const FRect& bounds, double angle, float x, float y, float cx, float cy, Blend blend)
{
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    const int64_t du = static_cast<int64_t>(c * 65536);
    const int64_t dv = static_cast<int64_t>(s * 65536);
    const int x0 = static_cast<int>(bounds.mX);
    const int y0 = static_cast<int>(bounds.mY);
    const int64_t last = static_cast<int64_t>(bounds.mWidth - 1.0);
    for (int row = 0; row < bounds.mHeight; ++row) {
        const double dx = static_cast<double>(x0) - cx - x;
        const double dy = static_cast<double>(y0 + row) - cy - y;
        const int64_t uRow = Fixed(dx * c - dy * s + cx);
        const int64_t vRow = Fixed(dy * c + dx * s + cy);
        int64_t start = 0;
        int64_t end = last;
        if (!LimitRotatedSpan(uRow, du, srcRect.mWidth, start, end) ||
            !LimitRotatedSpan(vRow, dv, srcRect.mHeight, start, end))
            continue;
        // Inside the span every position lies in the source rect, so 32 bits
        // hold it.
        int32_t u = static_cast<int32_t>(uRow + du * start);
        int32_t v = static_cast<int32_t>(vRow + dv * start);
        uint32_t* d = dst + static_cast<size_t>(y0 + row) * dstWidth + x0;
        for (int64_t i = start; i <= end; ++i, u += static_cast<int32_t>(du), v += static_cast<int32_t>(dv)) {
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

template <typename Pixels>
void RotatedBlt(uint32_t* dst, int dstWidth, const Pixels& src, int srcWidth, const Rect& srcRect,
                const FRect& bounds, double angle, float x, float y, float cx, float cy, const Color& color,
                int drawMode, const uint8_t* t)
{
    const bool white = IsWhite(color);
    const uint32_t cr = Channel(color.mRed), cg = Channel(color.mGreen), cb = Channel(color.mBlue);
    const uint32_t ca = Channel(color.mAlpha);
    auto walk = [&](auto blend) {
        RotatedWalk(dst, dstWidth, src, srcWidth, srcRect, bounds, angle, x, y, cx, cy, blend);
    };
    if (drawMode == DRAWMODE_NORMAL) {
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
