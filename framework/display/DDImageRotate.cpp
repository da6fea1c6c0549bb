// Rotated blit into a DDImage's locked surface: each destination row is
// clipped once to the span whose samples lie inside the source rect,
// then walked in 16.16 steps, blending the alpha-weighted sample.
#include "framework/display/DDImage.h"

#include "framework/display/D3DInterface.h"
#include "framework/display/DDInterface.h"
#include "framework/graphics/BltRects.h"

#include <algorithm>
#include <cmath>
#include <type_traits>

namespace Kivo {
namespace {

enum RotateKind { kGeneral, kArgb32, kGeneralColour, kPacked565, kPacked555, kAdditive };

struct RotatePass {
    const uint32_t* bits; // 32-bit source: ARGB, or null
    const uint32_t* table; // palette source
    const uint8_t* indices;
    int stride; // source row length
    size_t base; // index of the source rect's top-left pixel
    uint32_t m[3];
    int n[3];
    int s[3];
    const int* add[3];
    uint32_t colour[3];
    uint32_t colourAlpha;
    uint32_t f[3]; // additive factors
    template <bool kPalette>
    uint32_t Pixel(size_t i) const
    {
        if constexpr (kPalette)
            return table[indices[i]];
        else
            return bits[i];
    }
};

// The alpha-weighted bilinear sample at (u, v): channel sums at their ARGB
// places and the destination's remaining weight. The tap weights sum to at
// most 256, so red and blue share one word without carries (red's sum in the
// high half, blue's in the low one).
struct Sample {
    uint32_t sr, sg, sb;
    int inverse;
};

// On the source rect's last column or row (W x H) the neighbours beyond
// weigh 0, so the edge pixel is read in their place.
template <bool kColour, bool kPalette>
[[gnu::always_inline]] inline Sample Bilinear(const RotatePass& p, int u, int v, int W, int H)
{
    const int ix = u >> 16, iy = v >> 16;
    const size_t i = p.base + size_t(iy) * size_t(p.stride) + size_t(ix);
    const size_t right = ix < W - 1 ? 1 : 0, down = iy < H - 1 ? size_t(p.stride) : 0;
    const uint32_t c[4] = { p.Pixel<kPalette>(i), p.Pixel<kPalette>(i + right), p.Pixel<kPalette>(i + down),
                            p.Pixel<kPalette>(i + down + right) };
    const uint32_t fx = (uint32_t(u) & 0xFFFE) + 1, fy = (uint32_t(v) & 0xFFFE) + 1;
    const uint32_t gx = 65536 - fx, gy = 65536 - fy;
    const uint32_t wb[4] = { (gx * gy) >> 16, (fx * gy) >> 16, (gx * fy) >> 16, (fx * fy) >> 16 };
    uint32_t rb = 0, g = 0, weight = 0;
    for (int k = 0; k < 4; ++k) {
        uint32_t w = (wb[k] * (c[k] >> 24)) >> 16;
        if constexpr (kColour)
            w = (w * p.colourAlpha) >> 8;
        weight += w;
        rb += (c[k] & 0xFF00FF) * w;
        g += (c[k] & 0xFF00) * w;
    }
    return { rb & 0xFFFF0000, g, rb & 0xFFFF, 256 - int(weight) };
}

template <typename Pixel, RotateKind kind>
[[gnu::always_inline]] inline uint32_t BlendSample(const RotatePass& p, const Sample& sm, uint32_t d)
{
    if constexpr (kind == kPacked565 || kind == kPacked555) {
        constexpr uint32_t K = kind == kPacked565 ? 0x07E0F81F : 0x03E07C1F;
        const uint32_t s24 = ((sm.sr >> 24) << 16) | (((sm.sg >> 16) & 0xFF) << 8) | ((sm.sb >> 8) & 0xFF);
        const uint32_t k = uint32_t(sm.inverse >> 3);
        uint32_t d2 = ((d << 16) | d) & K;
        d2 = ((d2 * k) >> 5) & K;
        const uint32_t added = kind == kPacked565
                                   ? ((s24 & 0xFC00) << 11) + ((s24 >> 3) & 0x1F) + ((s24 >> 8) & 0xF800)
                                   : ((s24 & 0xF800) << 10) + ((s24 >> 3) & 0x1F) + ((s24 >> 9) & 0x7C00);
        const uint32_t v = d2 + added;
        return (v | (v >> 16)) & 0xFFFF;
    } else if constexpr (kind == kAdditive) {
        const uint32_t t[3] = { ((sm.sr >> (32 - p.n[0])) * p.f[0]) >> 8, (sm.sg * p.f[1]) >> (32 - p.n[1]),
                                (sm.sb * p.f[2]) >> (24 - p.n[2]) };
        uint32_t v = 0;
        for (int c = 0; c < 3; ++c)
            v |= uint32_t(p.add[c][t[c] + ((d & p.m[c]) >> p.s[c])]) << p.s[c];
        return v;
    } else if constexpr (kind == kArgb32) {
        // The general sum with the 8-bit channels at their ARGB places; red
        // and blue side by side, as the weights sum to 256 nothing carries.
        const uint32_t inverse = uint32_t(sm.inverse);
        const uint32_t rb = ((sm.sr | sm.sb) >> 8) & 0xFF00FF, g = (sm.sg >> 8) & 0xFF00;
        return rb + (((d & 0xFF00FF) * inverse >> 8) & 0xFF00FF) + g + (((d & 0xFF00) * inverse >> 8) & 0xFF00);
    } else {
        const uint32_t sums[3] = { sm.sr, sm.sg, sm.sb };
        constexpr int P[3] = { 32, 24, 16 };
        uint32_t v = 0;
        for (int c = 0; c < 3; ++c) {
            uint32_t part;
            if constexpr (kind == kGeneralColour)
                part = uint32_t((uint64_t(sums[c] >> 8) * (p.colour[c] + 1)) >> (P[c] - p.n[c])) << p.s[c];
            else
                part = (sums[c] >> (P[c] - p.n[c])) << p.s[c];
            v |= part + (uint32_t((uint64_t(d & p.m[c]) * uint32_t(sm.inverse)) >> 8) & p.m[c]);
        }
        return v;
    }
}

template <typename Pixel, RotateKind kind, bool kPalette>
void RotateRows(const RotatePass& p, const DDSURFACEDESC& desc, const FRect& bounds, float x, float y, float cx,
                float cy, double cosA, double sinA, int W, int H, int imageWidth, int imageHeight)
{
    const int du = int(cosA * 65536), dv = int(sinA * 65536);
    const int left = int(bounds.mX), top = int(bounds.mY);
    // The destination span never leaves the image.
    const int lastAll = std::min(int(bounds.mWidth - 1.0), imageWidth - 1 - left);
    const int firstAll = std::max(0, -left);
    const float a = float(left - cx - x);
    for (int r = 0; r < bounds.mHeight; ++r) {
        const int row = top + r;
        if (row < 0 || row >= imageHeight)
            continue;
        const float b = float(row - cy - y);
        int u = int((a * cosA - b * sinA + cx) * 65536), v = int((a * sinA + b * cosA + cy) * 65536);
        int64_t start = firstAll, end = lastAll;
        if (!LimitRotatedSpan(u, du, W, start, end) || !LimitRotatedSpan(v, dv, H, start, end))
            continue;
        const int first = int(start), last = int(end);
        u += first * du;
        v += first * dv;
        Pixel* out = reinterpret_cast<Pixel*>(static_cast<uint8_t*>(desc.lpSurface) + ptrdiff_t(row) * desc.lPitch) +
                     left;
        for (int i = first; i <= last; ++i, u += du, v += dv) {
            const Sample sm = Bilinear<kind == kGeneralColour, kPalette>(p, u, v, W, H);
            out[i] = Pixel(BlendSample<Pixel, kind>(p, sm, out[i]));
        }
    }
}

} // namespace

void DDImage::BltF(Image* source, float x, float y, const Rect& srcRect, const Rect& clipRect, const Color& color,
                   int drawMode)
{
    source->mDrawn = true;
    if (Is3DTarget()) {
        auto* memory = dynamic_cast<MemoryImage*>(source);
        if (!memory)
            return;
        // Unclipped when the destination lies wholly inside the clip rect,
        // nothing when wholly outside, else clipped by Direct3D.
        const double left = std::max<double>(x, clipRect.mX), top = std::max<double>(y, clipRect.mY);
        const double right = std::min<double>(double(x) + srcRect.mWidth, double(clipRect.mX) + clipRect.mWidth);
        const double bottom = std::min<double>(double(y) + srcRect.mHeight, double(clipRect.mY) + clipRect.mHeight);
        const double w = right > left && bottom > top ? right - left : 0;
        const double h = right > left && bottom > top ? bottom - top : 0;
        if (w == srcRect.mWidth && h == srcRect.mHeight)
            D3D().Blt(memory, x, y, srcRect, color, drawMode, true);
        else if (w > 0 && h > 0)
            D3D().BltClipF(memory, x, y, srcRect, &clipRect, color, drawMode);
        return;
    }
    BltRotated(source, x, y, srcRect, clipRect, color, drawMode, 0.0, 0.0f, 0.0f);
}

void DDImage::BltRotated(Image* source, float x, float y, const Rect& srcRect, const Rect& clipRect,
                         const Color& color, int drawMode, double angle, float centerX, float centerY)
{
    source->mDrawn = true;
    if (mDrawToBits)
        return;
    CommitBits();
    if (Is3DTarget()) {
        if (auto* memory = dynamic_cast<MemoryImage*>(source))
            D3D().BltRotated(memory, x, y, &clipRect, color, drawMode, srcRect, angle, centerX, centerY);
        return;
    }
    if (mHasAlpha || mHasTrans || mDDInterface->mIs3D || mSurfaceStale || !GetSurface()) {
        MemoryImage::BltRotated(source, x, y, srcRect, clipRect, color, drawMode, angle, centerX, centerY);
        return;
    }
    FRect bounds;
    if (!GetRotatedBltBounds(x, y, srcRect, clipRect, angle, centerX, centerY, bounds))
        return;
    auto* src = dynamic_cast<MemoryImage*>(source);
    if (!src) {
        DeleteAllNonSurfaceData();
        return;
    }
    src->CommitBits();
    const bool palette = src->mColorTable && src->mColorIndices;
    const uint32_t* bits = palette ? nullptr : src->GetBits();
    if ((!palette && !bits) || srcRect.mX < 0 || srcRect.mY < 0 || srcRect.mWidth <= 0 || srcRect.mHeight <= 0 ||
        srcRect.mX > src->mWidth - srcRect.mWidth || srcRect.mY > src->mHeight - srcRect.mHeight)
        return;
    if (drawMode != DRAWMODE_NORMAL &&
        (!mDDInterface->mRedAddTable || !mDDInterface->mGreenAddTable || !mDDInterface->mBlueAddTable))
        return;
    const double cosA = std::cos(angle), sinA = std::sin(angle);
    if (!LockSurface())
        return;
    const DDSURFACEDESC& desc = mLockedSurfaceDesc;
    const DDInterface& d = *mDDInterface;
    const uint32_t ca = uint32_t(color.mAlpha);
    const RotatePass pass { bits,
                            src->mColorTable,
                            src->mColorIndices,
                            src->mWidth,
                            size_t(srcRect.mY) * size_t(src->mWidth) + size_t(srcRect.mX),
                            { desc.ddpfPixelFormat.dwRBitMask, desc.ddpfPixelFormat.dwGBitMask,
                              desc.ddpfPixelFormat.dwBBitMask },
                            { d.mRedBits, d.mGreenBits, d.mBlueBits },
                            { d.mRedShift, d.mGreenShift, d.mBlueShift },
                            { d.mRedAddTable, d.mGreenAddTable, d.mBlueAddTable },
                            { uint32_t(color.mRed), uint32_t(color.mGreen), uint32_t(color.mBlue) },
                            ca,
                            { uint32_t(color.mRed) * ca / 255, uint32_t(color.mGreen) * ca / 255,
                              uint32_t(color.mBlue) * ca / 255 } };
    const bool white = (color == Color::White);
    const uint32_t green = desc.ddpfPixelFormat.dwGBitMask;
    const bool argb = pass.m[0] == 0xFF0000 && pass.m[1] == 0xFF00 && pass.m[2] == 0xFF && pass.n[0] == 8 &&
                      pass.n[1] == 8 && pass.n[2] == 8 && pass.s[0] == 16 && pass.s[1] == 8 && pass.s[2] == 0;
    auto run = [&](auto pixel) {
        using Pixel = decltype(pixel);
        auto go = [&](auto kind) {
            if (palette)
                RotateRows<Pixel, decltype(kind)::value, true>(pass, desc, bounds, x, y, centerX, centerY, cosA,
                                                               sinA, srcRect.mWidth, srcRect.mHeight, mWidth, mHeight);
            else
                RotateRows<Pixel, decltype(kind)::value, false>(pass, desc, bounds, x, y, centerX, centerY, cosA,
                                                                sinA, srcRect.mWidth, srcRect.mHeight, mWidth, mHeight);
        };
        if (drawMode != DRAWMODE_NORMAL)
            go(std::integral_constant<RotateKind, kAdditive> {});
        else if (!white)
            go(std::integral_constant<RotateKind, kGeneralColour> {});
        else if (sizeof(Pixel) == 2 && gRGBOrder && green == 0x07E0)
            go(std::integral_constant<RotateKind, kPacked565> {});
        else if (sizeof(Pixel) == 2 && gRGBOrder && green == 0x03E0)
            go(std::integral_constant<RotateKind, kPacked555> {});
        else if (sizeof(Pixel) == 4 && argb)
            go(std::integral_constant<RotateKind, kArgb32> {});
        else
            go(std::integral_constant<RotateKind, kGeneral> {});
    };
    const DWORD depth = desc.ddpfPixelFormat.dwRGBBitCount;
    if (depth == 32)
        run(uint32_t {});
    else if (depth == 16)
        run(uint16_t {});
    UnlockSurface();
    DeleteAllNonSurfaceData();
}

} // namespace Kivo
