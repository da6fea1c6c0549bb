// The surface image's drawing when it is the display's 3D draw surface.
#include "framework/display/D3DInterface.h"
#include "framework/display/DDImage.h"
#include "framework/display/DDInterface.h"
#include "framework/graphics/MemoryImageBlits.h"

#include <algorithm>

namespace Kivo {

void DDImage::Blt3D(Image* source, int x, int y, const Rect& srcRect, const Color& color, int drawMode)
{
    // A white normal copy of an image that already lives in a surface
    // without translucent pixels is a DirectDraw blit.
    auto* surfaceSource = dynamic_cast<DDImage*>(source);
    if (surfaceSource && surfaceSource->mSurface && D3D().mTransformStack.empty() && drawMode == DRAWMODE_NORMAL &&
        color == Color::White && !surfaceSource->mHasAlpha) {
        if (mLockCount > 0)
            mSurface->Unlock(nullptr);
        DDBLTFX fx {};
        fx.dwSize = 100;
        RECT to { x, y, x + srcRect.mWidth, y + srcRect.mHeight };
        RECT from { srcRect.mX, srcRect.mY, srcRect.mX + srcRect.mWidth, srcRect.mY + srcRect.mHeight };
        GetSurface()->Blt(&to, surfaceSource->mSurface, &from,
                          DDBLT_WAIT | (surfaceSource->mHasTrans ? DDBLT_KEYSRC : 0), &fx);
        if (mLockCount > 0)
            mSurface->Lock(nullptr, &mLockedSurfaceDesc, DDLOCK_WAIT, nullptr);
        return;
    }
    if (auto* memory = dynamic_cast<MemoryImage*>(source))
        D3D().Blt(memory, float(x), float(y), srcRect, color, drawMode, false);
}

void DDImage::FillScanLines3D(Span* spans, int count, const Color& color, int drawMode, const uint8_t* coverage,
                              int coverX, int coverY, int coverWidth, int coverHeight)
{
    int left = spans[0].mX, right = spans[0].mX + spans[0].mWidth - 1;
    int top = spans[0].mY, bottom = spans[0].mY;
    for (int i = 1; i < count; ++i) {
        left = std::min(left, spans[i].mX);
        right = std::max(right, spans[i].mX + spans[i].mWidth - 1);
        top = std::min(top, spans[i].mY);
        bottom = std::max(bottom, spans[i].mY);
    }
    for (int i = 0; i < count; ++i) {
        spans[i].mX -= left;
        spans[i].mY -= top;
    }
    MemoryImage temp(GetHost());
    temp.Create(right - left + 1, bottom - top + 1);
    temp.SetImageMode(true, true);
    temp.BitsChanged();
    temp.MemoryImage::FillScanLinesWithCoverage(spans, count, color, drawMode, coverage, coverX - left, coverY - top,
                                                coverWidth, coverHeight);
    Blt(&temp, left, top, Rect(0, 0, temp.GetWidth(), temp.GetHeight()), Color::White, drawMode);
    // The temporary image's textures go with it.
    D3D().RemoveImageTextures(&temp);
}

namespace {

// The triangle rasterizer's code for a locked surface's pixel layout; 0 for a
// layout it has no span functions for.
int RasterFormatOfSurface(const DDPIXELFORMAT& format)
{
    if (format.dwRGBBitCount == 32)
        return 0x888;
    if (format.dwRGBBitCount != 16 || format.dwBBitMask != 0x001F)
        return 0;
    if (format.dwRBitMask == 0xF800 && format.dwGBitMask == 0x07E0)
        return 0x565;
    if (format.dwRBitMask == 0x7C00 && format.dwGBitMask == 0x03E0)
        return 0x555;
    return 0;
}

} // namespace

template <typename Draw>
bool DDImage::RasterIntoSurface(const Rect& clipRect, Draw draw)
{
    // Images that cannot hold their picture in a surface (translucent
    // pixels, bits newer than an adopted surface) draw on their bits.
    if (!SurfaceRoute(false, true) || !LockSurface())
        return false;
    const DDSURFACEDESC& desc = mLockedSurfaceDesc;
    const int format = RasterFormatOfSurface(desc.ddpfPixelFormat);
    if (!format) {
        UnlockSurface();
        return false;
    }
    const Rect clip = clipRect.Intersection(Rect(0, 0, mWidth, mHeight));
    if (clip.mWidth > 0 && clip.mHeight > 0)
        draw(clip, static_cast<uint32_t*>(desc.lpSurface), int(desc.lPitch), format);
    UnlockSurface();
    DeleteAllNonSurfaceData();
    return true;
}

void DDImage::BltMatrix(Image* source, float x, float y, const Matrix3x3& matrix, const Rect& clipRect,
                        const Color& color, int drawMode, const Rect& srcRect, bool blend)
{
    source->mDrawn = true;
    auto* memory = dynamic_cast<MemoryImage*>(source);
    if (mDrawToBits || !memory)
        return;
    if (Is3DTarget()) {
        D3D().BltTransformed(memory, &clipRect, color, drawMode, srcRect, matrix, blend, x, y, true);
        return;
    }
    // The rasterizer reads the whole source rect.
    if (srcRect.mWidth <= 0 || srcRect.mHeight <= 0 || srcRect.mX < 0 || srcRect.mY < 0 ||
        srcRect.mX > memory->mWidth - srcRect.mWidth || srcRect.mY > memory->mHeight - srcRect.mHeight)
        return;
    if (!RasterIntoSurface(clipRect, [&](const Rect& clip, uint32_t* bits, int pitch, int format) {
            SoftwareBltMatrix(memory, x, y, matrix, clip, color, drawMode, srcRect, bits, pitch, format, blend);
        }))
        MemoryImage::BltMatrix(source, x, y, matrix, clipRect, color, drawMode, srcRect, blend);
}

void DDImage::BltTrianglesTex(Image* source, const TriVertex (*vertices)[3], int numTriangles, const Rect& clipRect,
                              const Color& color, int drawMode, float tx, float ty, bool blend)
{
    if (source)
        source->mDrawn = true;
    if (mDrawToBits || !vertices || numTriangles <= 0)
        return;
    auto* memory = dynamic_cast<MemoryImage*>(source);
    if (Is3DTarget()) {
        if (memory)
            D3D().DrawTrianglesTex(vertices, numTriangles, color, drawMode, memory, tx, ty, blend);
        return;
    }
    if (!RasterIntoSurface(clipRect, [&](const Rect& clip, uint32_t* bits, int pitch, int format) {
            SoftwareBltTrianglesTex(memory, vertices, numTriangles, clip, color, drawMode, bits, pitch, format, tx,
                                    ty, blend);
        }))
        MemoryImage::BltTrianglesTex(source, vertices, numTriangles, clipRect, color, drawMode, tx, ty, blend);
}

} // namespace Kivo
