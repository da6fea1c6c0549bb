// Stretched blits of a DDImage: DirectDraw scaling between surfaces, a
// nearest-pixel 16.16 stretch of the source's premultiplied native pixels
// into the locked surface, or the filtered stretch made in a temporary
// image and blitted into the surface.
#include "framework/display/DDImage.h"

#include "framework/display/D3DInterface.h"
#include "framework/display/DDInterface.h"
#include "framework/graphics/BltRects.h"
#include "framework/graphics/MemoryImageBlits.h"
#include "framework/graphics/SourcePixels.h"

#include <algorithm>

namespace Kivo {
namespace {

enum StretchKind { kNormalWhite, kNormalColour, kAddWhite, kAddColour };

struct StretchPass {
    const uint32_t* native;
    const uint8_t* indices; // null: one native value per pixel
    int srcWidth, srcHeight;
    int uStart, vStart, du, dv;
    int width, height; // destination
    uint8_t* dst; // first destination pixel of the first row
    long pitch;
    uint32_t m[3];
    int shift[3];
    const int* table[3];
    uint32_t c[3]; // colour factors, channel x alpha / 255
    uint32_t alpha;
};

template <typename Pixel, bool kMirror, StretchKind kind>
void Stretch(const StretchPass& p)
{
    int v = p.vStart;
    for (int row = 0; row < p.height; ++row, v += p.dv) {
        const int sy = std::clamp(v >> 16, 0, p.srcHeight - 1);
        const size_t base = size_t(sy) * size_t(p.srcWidth);
        Pixel* out = reinterpret_cast<Pixel*>(p.dst + ptrdiff_t(row) * p.pitch);
        int u = p.uStart;
        for (int col = 0; col < p.width; ++col, u += p.du) {
            const size_t i = base + size_t(std::clamp(u >> 16, 0, p.srcWidth - 1));
            const uint32_t s = p.native[p.indices ? p.indices[i] : i];
            Pixel& px = kMirror ? out[-col] : out[col];
            const uint32_t d = px;
            uint32_t r = 0;
            if constexpr (kind == kNormalWhite) {
                const uint32_t a = s >> 24;
                if (a == 0)
                    continue;
                const uint32_t k = 256 - a;
                for (uint32_t mask : p.m)
                    r += uint32_t((uint64_t(d & mask) * k) >> 8) & mask;
                r += s;
            } else if constexpr (kind == kNormalColour) {
                const uint32_t a = (s >> 24) * p.alpha / 255;
                if (a == 0)
                    continue;
                const uint32_t k = 256 - a;
                for (int ch = 0; ch < 3; ++ch)
                    r += uint32_t((uint64_t(d & p.m[ch]) * k + uint64_t(s & p.m[ch]) * p.c[ch]) >> 8) & p.m[ch];
            } else {
                if (s == 0)
                    continue;
                for (int ch = 0; ch < 3; ++ch) {
                    uint32_t add = (s & p.m[ch]) >> p.shift[ch];
                    if constexpr (kind == kAddColour)
                        add = (add * p.c[ch]) >> 8;
                    r |= uint32_t(p.table[ch][add + ((d & p.m[ch]) >> p.shift[ch])]) << p.shift[ch];
                }
            }
            px = Pixel(r);
        }
    }
}

bool Inside(const Rect& r, const Image* image)
{
    return r.mX >= 0 && r.mY >= 0 && r.mX <= image->mWidth - r.mWidth && r.mY <= image->mHeight - r.mHeight;
}

template <typename Pixel, bool kMirror>
void StretchFor(const StretchPass& p, bool white, bool additive)
{
    if (additive)
        white ? Stretch<Pixel, kMirror, kAddWhite>(p) : Stretch<Pixel, kMirror, kAddColour>(p);
    else
        white ? Stretch<Pixel, kMirror, kNormalWhite>(p) : Stretch<Pixel, kMirror, kNormalColour>(p);
}

} // namespace

void DDImage::StretchBlt(Image* source, const Rect& destRect, const Rect& srcRect, const Rect& clipRect,
                         const Color& color, int drawMode, bool fastStretch)
{
    if (mDrawToBits)
        return;
    source->mDrawn = true;
    CommitBits();
    if (Is3DTarget()) {
        if (auto* memory = dynamic_cast<MemoryImage*>(source))
            D3D().StretchBlt(memory, destRect, srcRect, &clipRect, color, drawMode, fastStretch, false);
        return;
    }
    Rect dest;
    FRect area;
    if (!GetStretchBltRects(srcRect, clipRect, destRect, dest, area))
        return;
    if (!fastStretch) {
        // Pictures with transparent or translucent pixels, and those that
        // cannot be drawn in a surface, are stretched on their bits.
        if (!SurfaceRoute(mHasTrans)) {
            MemoryImage::StretchBlt(source, destRect, srcRect, clipRect, color, drawMode, false);
            return;
        }
        // The filtered stretch into a picture of the destination's size,
        // blitted into the surface: the colour acts once, in the blit.
        auto* memory = dynamic_cast<MemoryImage*>(source);
        if (!memory || !SourceRectInside(srcRect, memory) || !Inside(dest, this))
            return;
        MemoryImage stretched(GetHost());
        stretched.Create(dest.mWidth, dest.mHeight);
        stretched.Clear();
        FilteredStretchBlt(memory, area, stretched.GetBits(), dest.mWidth, Rect(0, 0, dest.mWidth, dest.mHeight));
        stretched.BitsChanged();
        Blt(&stretched, dest.mX, dest.mY, Rect(0, 0, dest.mWidth, dest.mHeight), color, drawMode);
        return;
    }
    // Images whose picture is not in a surface are drawn on the bits.
    if (mSurfaceStale || !GetSurface()) {
        MemoryImage::StretchBlt(source, destRect, srcRect, clipRect, color, drawMode, true);
        return;
    }
    auto* ddSource = dynamic_cast<DDImage*>(source);
    if (ddSource && (color == Color::White) && drawMode == DRAWMODE_NORMAL && !ddSource->mHasAlpha && ddSource->GetSurface()) {
        DDBLTFX fx {};
        fx.dwSize = 100;
        RECT to { dest.mX, dest.mY, dest.mX + dest.mWidth, dest.mY + dest.mHeight };
        RECT from { int(area.mX), int(area.mY), int(area.mX + area.mWidth), int(area.mY + area.mHeight) };
        if (mLockCount > 0)
            mSurface->Unlock(nullptr);
        mSurface->Blt(&to, ddSource->mSurface, &from, DDBLT_WAIT | (ddSource->mHasTrans ? DDBLT_KEYSRC : 0), &fx);
        if (mLockCount > 0 && FAILED(mSurface->Lock(nullptr, &mLockedSurfaceDesc, DDLOCK_WAIT, nullptr)))
            return;
        DeleteAllNonSurfaceData();
        return;
    }
    if (auto* memory = dynamic_cast<MemoryImage*>(source))
        SurfaceStretch(memory, dest, area, color, drawMode, false);
    else
        DeleteAllNonSurfaceData();
}

void DDImage::StretchBltMirror(Image* source, const Rect& destRect, const Rect& srcRect, const Rect& clipRect,
                               const Color& color, int drawMode, bool fastStretch)
{
    if (mDrawToBits)
        return;
    source->mDrawn = true;
    CommitBits();
    if (Is3DTarget()) {
        if (auto* memory = dynamic_cast<MemoryImage*>(source))
            D3D().StretchBlt(memory, destRect, srcRect, &clipRect, color, drawMode, fastStretch, true);
        return;
    }
    Rect dest;
    FRect area;
    if (!GetStretchBltMirrorRects(srcRect, clipRect, destRect, dest, area))
        return;
    // There is no software mirrored stretch: without a surface the picture
    // is kept as it is.
    if (mSurfaceStale || !GetSurface())
        return;
    if (auto* memory = dynamic_cast<MemoryImage*>(source))
        SurfaceStretch(memory, dest, area, color, drawMode, true);
    else
        DeleteAllNonSurfaceData();
}

void DDImage::SurfaceStretch(MemoryImage* source, const Rect& dest, const FRect& area, const Color& color,
                             int drawMode, bool mirror)
{
    source->CommitBits();
    const uint32_t* native = source->GetNativeAlphaData(mDDInterface);
    const uint8_t* indices = source->NativeIndexed() ? source->mColorIndices : nullptr;
    if (!native || (source->NativeIndexed() && !indices) || source->mWidth <= 0 || source->mHeight <= 0)
        return;
    // Destination outside the image: nothing (the clip rect lies inside it).
    if (!Inside(dest, this))
        return;
    if (!LockSurface())
        return;
    const DDSURFACEDESC& desc = mLockedSurfaceDesc;
    const DDInterface& d = *mDDInterface;
    const uint32_t ca = uint32_t(color.mAlpha);
    StretchPass pass { native,
                       indices,
                       source->mWidth,
                       source->mHeight,
                       int(area.mX * 65536),
                       int(area.mY * 65536),
                       int(area.mWidth * 65536 / dest.mWidth),
                       int(area.mHeight * 65536 / dest.mHeight),
                       dest.mWidth,
                       dest.mHeight,
                       nullptr,
                       desc.lPitch,
                       { desc.ddpfPixelFormat.dwRBitMask, desc.ddpfPixelFormat.dwGBitMask,
                         desc.ddpfPixelFormat.dwBBitMask },
                       { d.mRedShift, d.mGreenShift, d.mBlueShift },
                       { d.mRedAddTable, d.mGreenAddTable, d.mBlueAddTable },
                       { uint32_t(color.mRed) * ca / 255, uint32_t(color.mGreen) * ca / 255,
                         uint32_t(color.mBlue) * ca / 255 },
                       ca };
    const bool white = (color == Color::White);
    const bool additive = drawMode != DRAWMODE_NORMAL;
    const int bytes = desc.ddpfPixelFormat.dwRGBBitCount == 32 ? 4 : desc.ddpfPixelFormat.dwRGBBitCount == 16 ? 2 : 0;
    if (bytes && (!additive || (pass.table[0] && pass.table[1] && pass.table[2]))) {
        const int startX = mirror ? dest.mX + dest.mWidth - 1 : dest.mX;
        pass.dst = static_cast<uint8_t*>(desc.lpSurface) + ptrdiff_t(desc.lPitch / bytes * dest.mY + startX) * bytes;
        if (bytes == 4)
            mirror ? StretchFor<uint32_t, true>(pass, white, additive) : StretchFor<uint32_t, false>(pass, white, additive);
        else
            mirror ? StretchFor<uint16_t, true>(pass, white, additive) : StretchFor<uint16_t, false>(pass, white, additive);
    }
    UnlockSurface();
    DeleteAllNonSurfaceData();
}

} // namespace Kivo
