#pragma once
// The image of the display: a memory image whose pixels may also, or only,
// live in a DirectDraw surface in the screen's format. The surface is made
// from the bits (transparent pixels become a source colour key; images with
// translucent pixels never get one), read back into bits on demand, and
// released with or without reading it back as the bits change.
//
// Surfaces handed in with SetSurface (the screen and the cursor areas) are
// adopted: only the destructor lets them go. Software drawing into an
// adopted surface's image works on its bits; the bits are written into the
// surface when the surface is next locked or presented.
#include "framework/graphics/FRect.h"
#include "framework/graphics/MemoryImage.h"
#include "platform/ddraw/DDraw.h"

namespace Kivo {

class D3DInterface;
class DDInterface;

class DDImage : public MemoryImage {
public:
    explicit DDImage(DDInterface* display);
    ~DDImage() override;

    bool PolyFill3D(const Point* points, int count, const Rect* clipRect, const Color& color, int drawMode, int tx,
                    int ty, bool convex) override;
    void FillRect(const Rect& rect, const Color& color, int drawMode) override;
    void DrawLine(double x1, double y1, double x2, double y2, const Color& color, int drawMode) override;
    void DrawLineAA(double x1, double y1, double x2, double y2, const Color& color, int drawMode) override;
    // Software drawing; nothing while the image is draw-disabled (its pixels
    // are in video memory only and GetBits gives none).
    void ClearRect(const Rect& rect) override;
    void FillScanLinesWithCoverage(const Span* spans, int count, const Color& color, int drawMode,
                                   const uint8_t* coverage, int coverX, int coverY, int coverWidth,
                                   int coverHeight) override;
    void Blt(Image* source, int x, int y, const Rect& srcRect, const Color& color, int drawMode) override;
    void BltMirror(Image* source, int x, int y, const Rect& srcRect, const Color& color, int drawMode) override;
    // Off the 3D target: the rotated blit at angle 0.
    void BltF(Image* source, float x, float y, const Rect& srcRect, const Rect& clipRect, const Color& color,
              int drawMode) override;
    // Converts the bits; an image with a surface then reads its pixels back
    // first when nothing else holds them, and lets the surface go.
    bool Palletize() override;
    void BltRotated(Image* source, float x, float y, const Rect& srcRect, const Rect& clipRect, const Color& color,
                    int drawMode, double angle, float centerX, float centerY) override;
    void StretchBlt(Image* source, const Rect& destRect, const Rect& srcRect, const Rect& clipRect,
                    const Color& color, int drawMode, bool fastStretch) override;
    void StretchBltMirror(Image* source, const Rect& destRect, const Rect& srcRect, const Rect& clipRect,
                          const Color& color, int drawMode, bool fastStretch) override;
    // On the 3D target through Direct3D (the source rect centred on the
    // origin before the matrix; triangles unclipped); elsewhere by the
    // triangle rasterizer into the locked surface, or on the bits when the
    // image cannot draw into its surface.
    void BltMatrix(Image* source, float x, float y, const Matrix3x3& matrix, const Rect& clipRect,
                   const Color& color, int drawMode, const Rect& srcRect, bool blend) override;
    void BltTrianglesTex(Image* source, const TriVertex (*vertices)[3], int numTriangles, const Rect& clipRect,
                         const Color& color, int drawMode, float tx, float ty, bool blend) override;

    void PurgeBits() override;
    void DeleteExtraBuffers() override;
    void ReInit() override;
    void BitsChanged() override;
    void CommitBits() override;
    void DeleteNativeData() override;
    void Create(int width, int height) override;
    uint32_t* GetBits() override;

    virtual void SetVideoMemory(bool videoMemory);
    virtual bool GenerateDDSurface() { return CreateSurfaceFromBits(); }
    // Drawing on the locked surface, normal (alpha blended) and additive.
    virtual void NormalFillRect(const Rect& rect, const Color& color);
    virtual void AdditiveFillRect(const Rect& rect, const Color& color);
    virtual void NormalDrawLine(double x1, double y1, double x2, double y2, const Color& color);
    virtual void AdditiveDrawLine(double x1, double y1, double x2, double y2, const Color& color);
    virtual void NormalDrawLineAA(double x1, double y1, double x2, double y2, const Color& color);
    virtual void AdditiveDrawLineAA(double, double, double, double, const Color&) {}
    // Copies of a source rect into the locked surface at (x, y); the mirrored
    // ones land left-right reversed.
    virtual void NormalBlt(Image* source, int x, int y, const Rect& srcRect, const Color& color);
    virtual void AdditiveBlt(Image* source, int x, int y, const Rect& srcRect, const Color& color);
    virtual void NormalBltMirror(Image* source, int x, int y, const Rect& srcRect, const Color& color);
    virtual void AdditiveBltMirror(Image* source, int x, int y, const Rect& srcRect, const Color& color);
    virtual bool LockSurface();
    virtual bool UnlockSurface();
    virtual void SetSurface(IDirectDrawSurface* surface);

    // Text through the system's device context straight into the surface.
    // False for an image that cannot hold its picture in a surface: it draws
    // its text on the bits. Otherwise the surface is made ready (made from
    // the bits, newer bits written into it and unlocked, or an open 3D scene
    // ended on the 3D target) and `dc` is its context, null when none can be
    // taken or the image is draw-disabled.
    bool BeginSurfaceText(HDC* dc);
    // Releases the context, locks the surface again when it was locked, and
    // leaves the pixels only in the surface.
    void EndSurfaceText(HDC dc);
    bool CreateSurfaceFromBits();
    IDirectDrawSurface* GetSurface();
    // Releases the surface, reading the pixels back first when nothing else
    // holds them.
    void DeleteDDSurface();
    // Leaves the pixels only in the surface (after drawing into it).
    void DeleteAllNonSurfaceData();
    // Writes bits newer than an adopted surface into it.
    void FlushBitsToSurface();
    bool Is3DTarget() const;
    D3DInterface& D3D() const;

    DDInterface* mDDInterface;
    IDirectDrawSurface* mSurface = nullptr; // one reference owned
    bool mNoLock = false; // adopted through SetSurface
    bool mDrawToBits = false; // draw-disabled: the display draws in video memory only
    bool mVideoMemory = false;
    bool mWantDDSurface = false;
    bool mHasColorKey = false;
    uint32_t mColorKey = 0;
    int mLockCount = 0;
    DDSURFACEDESC mLockedSurfaceDesc {};

private:
    // Locks the surface and calls fn with a pixel of its depth (uint16_t or
    // uint32_t); other depths draw nothing. False when the lock fails.
    template <typename Fn>
    bool OnLockedSurface(Fn fn);
    // Runs a surface routine with the surface locked throughout, then leaves
    // the pixels only in the surface. A surface that cannot be locked gets
    // nothing drawn, and the software copies stay.
    template <typename Draw>
    void DrawOnSurface(Draw draw);
    void ReleaseSurface();
    // Drawing goes to the surface routines.
    bool SurfaceRoute(bool transparent, bool allowIn3D = false);
    // The blits' shared body: `mirror` reverses the rows, `additive` adds.
    void SurfaceBlt(Image* source, int x, int y, const Rect& srcRect, const Color& color, bool additive,
                    bool mirror);
    void RouteLine(double x1, double y1, double x2, double y2, const Color& color, int drawMode, bool smooth);
    // The 3D target's coverage fill: the spans drawn into a temporary image
    // and blitted through Direct3D.
    void FillScanLines3D(Span* spans, int count, const Color& color, int drawMode, const uint8_t* coverage,
                         int coverX, int coverY, int coverWidth, int coverHeight);
    // The 3D target's plain blit: DirectDraw for a white normal copy of a
    // surface image, else Direct3D.
    void Blt3D(Image* source, int x, int y, const Rect& srcRect, const Color& color, int drawMode);
    // Nearest-pixel stretch of a source area into the locked surface.
    void SurfaceStretch(MemoryImage* source, const Rect& dest, const FRect& area, const Color& color, int drawMode,
                        bool mirror);
    // Runs draw(clip, surface pixels, pitch, rasterizer format code) on the
    // locked surface with the clip rect cut to the image, then leaves the
    // pixels only in the surface. False, with nothing drawn, when the image
    // keeps drawing on its bits or the surface's layout has no code.
    template <typename Draw>
    bool RasterIntoSurface(const Rect& clipRect, Draw draw);
    bool mSurfaceStale = false; // adopted surface older than the bits
};

// Read-back of a locked surface into ARGB pixels (alpha 255), each channel's
// top bit moved to bit 23, 15 or 7 by the masks.
void ReadSurfacePixels32(uint32_t* out, int width, int height, const DDSURFACEDESC2& desc);
void ReadSurfacePixels16(uint32_t* out, int width, int height, const DDSURFACEDESC2& desc);

template <typename Fn>
bool DDImage::OnLockedSurface(Fn fn)
{
    if (!LockSurface())
        return false;
    const DWORD depth = mLockedSurfaceDesc.ddpfPixelFormat.dwRGBBitCount;
    if (depth == 32)
        fn(uint32_t {});
    else if (depth == 16)
        fn(uint16_t {});
    UnlockSurface();
    return true;
}

template <typename Draw>
void DDImage::DrawOnSurface(Draw draw)
{
    if (!LockSurface())
        return;
    draw();
    UnlockSurface();
    DeleteAllNonSurfaceData();
}

} // namespace Kivo
