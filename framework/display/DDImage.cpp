#include "framework/display/DDImage.h"

#include "framework/display/DDInterface.h"
#include "framework/display/DisplayHost.h"
#include "framework/graphics/GraphicsHost.h"
#include "platform/Backend.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace Kivo {
namespace {

template <typename T>
void FreeArray(T*& array)
{
    delete[] array;
    array = nullptr;
}

uint8_t* Row(const DDSURFACEDESC& desc, int y) { return static_cast<uint8_t*>(desc.lpSurface) + ptrdiff_t(y) * desc.lPitch; }

// ARGB to the surface's layout by the display's bit counts and shifts and the
// surface's masks.
struct ToSurface {
    ToSurface(const NativeDisplay& d, const DDSURFACEDESC& desc)
        : rb(d.mRedBits), gb(d.mGreenBits), bb(d.mBlueBits), rs(d.mRedShift), gs(d.mGreenShift), bs(d.mBlueShift),
          rm(desc.ddpfPixelFormat.dwRBitMask), gm(desc.ddpfPixelFormat.dwGBitMask),
          bm(desc.ddpfPixelFormat.dwBBitMask)
    {
    }
    uint32_t operator()(uint32_t p) const
    {
        return (((p >> (24 - rb)) << rs) & rm) | (((p >> (16 - gb)) << gs) & gm) | (((p >> (8 - bb)) << bs) & bm);
    }
    bool IsArgbOrder() const
    {
        return rb == 8 && gb == 8 && bb == 8 && rs == 16 && gs == 8 && bs == 0 && rm == 0xFF0000 && gm == 0xFF00 &&
               bm == 0xFF;
    }
    int rb, gb, bb, rs, gs, bs;
    uint32_t rm, gm, bm;
};

// Makes the surface's pixels from ARGB bits. Transparent pixels (the image
// has no translucent ones) take a key no visible pixel uses; false when no
// such value exists.
template <typename Pixel>
bool WritePixels(const uint32_t* bits, int width, int height, bool hasTrans, const ToSurface& convert,
                 const DDSURFACEDESC& desc, uint32_t& key)
{
    const size_t n = size_t(width) * size_t(height);
    constexpr bool kWide = sizeof(Pixel) == 4;
    // What identifies a pixel's colour for key collisions: the converted
    // value on 16-bit surfaces, the low 24 bits of the ARGB word on 32-bit.
    auto ident = [&](uint32_t p) { return kWide ? (p & 0xFFFFFF) : convert(p); };
    if (hasTrans) {
        size_t first = 0;
        while (first < n && (bits[first] >> 24) == 255)
            ++first;
        key = first < n ? (kWide ? bits[first] : convert(bits[first])) : 0;
        bool collides = false;
        for (size_t i = 0; i < n && !collides; ++i)
            collides = (bits[i] >> 24) == 255 && ident(bits[i]) == (kWide ? key & 0xFFFFFF : key);
        if (collides) {
            const size_t values = kWide ? size_t(1) << 24 : size_t(1) << 16;
            std::vector<uint32_t> used(values / 32, 0);
            for (size_t i = 0; i < n; ++i)
                if (bits[i] >> 24) {
                    const uint32_t v = ident(bits[i]);
                    used[v >> 5] |= 1u << (v & 31);
                }
            bool found = false;
            for (size_t g = 0; g < used.size(); ++g) {
                if (used[g] == 0xFFFFFFFFu)
                    continue;
                uint32_t bit = 0;
                while (used[g] & (1u << bit))
                    ++bit;
                key = uint32_t(g * 32 + bit);
                found = true;
                // 32-bit takes the lowest free value; 16-bit the lowest free
                // value of the last group that has one.
                if (kWide)
                    break;
            }
            if (!found)
                return false;
        }
    }
    for (int y = 0; y < height; ++y) {
        Pixel* out = reinterpret_cast<Pixel*>(Row(desc, y));
        const uint32_t* in = bits + size_t(y) * size_t(width);
        if (!hasTrans && convert.IsArgbOrder()) {
            // The common screen: the conversion only drops the alpha.
            for (int x = 0; x < width; ++x)
                out[x] = Pixel(in[x] & 0xFFFFFF);
            continue;
        }
        for (int x = 0; x < width; ++x) {
            const bool opaque = !hasTrans || (in[x] >> 24) == 255;
            out[x] = Pixel(opaque ? convert(in[x]) : key);
        }
    }
    return true;
}

template <typename Pixel>
void ReadPixels(uint32_t* out, int width, int height, const DDSURFACEDESC& desc, const NativeDisplay& d,
                bool keyed, uint32_t key)
{
    const uint32_t rgb = d.mRedMask | d.mGreenMask | d.mBlueMask;
    for (int y = 0; y < height; ++y) {
        const Pixel* in = reinterpret_cast<const Pixel*>(Row(desc, y));
        uint32_t* row = out + size_t(y) * size_t(width);
        for (int x = 0; x < width; ++x) {
            const uint32_t v = in[x];
            const uint32_t c = ((((v >> d.mRedShift) << (8 - d.mRedBits)) & 0xFF) << 16) |
                               ((((v >> d.mGreenShift) << (8 - d.mGreenBits)) & 0xFF) << 8) |
                               (((v >> d.mBlueShift) << (8 - d.mBlueBits)) & 0xFF);
            // A transparent pixel holds the colour key.
            row[x] = (keyed && (v & rgb) == key) ? c : (0xFF000000u | c);
        }
    }
}

template <typename Pixel>
void ReadMasked(uint32_t* out, int width, int height, const DDSURFACEDESC2& desc)
{
    const platform::MaskExpander expand(desc.ddpfPixelFormat.dwRBitMask, desc.ddpfPixelFormat.dwGBitMask,
                                        desc.ddpfPixelFormat.dwBBitMask);
    for (int y = 0; y < height; ++y) {
        const Pixel* in =
            reinterpret_cast<const Pixel*>(static_cast<const uint8_t*>(desc.lpSurface) + ptrdiff_t(y) * desc.lPitch);
        for (int x = 0; x < width; ++x)
            out[size_t(y) * size_t(width) + x] = expand(in[x]);
    }
}

// One channel of a fill: M the channel mask, c the colour's 0..255 value.
struct Channel {
    uint32_t mask;
    uint32_t c;
};

template <typename Pixel>
void FillBlend(const DDSURFACEDESC& desc, const Rect& r, const Channel (&ch)[3], int a)
{
    constexpr bool kWide = sizeof(Pixel) == 4;
    const uint32_t inverse = uint32_t(256 - a);
    uint32_t source = 0;
    for (const Channel& k : ch) {
        if (a == 255)
            source |= kWide ? ((k.c * k.mask) >> 8) & k.mask : (((k.c + 1) * k.mask) >> 8) & k.mask;
        else
            source |= ((((k.c * uint32_t(a) + (kWide ? 127 : 128)) >> 8) + 1) * uint64_t(k.mask) >> 8) & k.mask;
    }
    for (int y = r.mY; y < r.mY + r.mHeight; ++y) {
        Pixel* p = reinterpret_cast<Pixel*>(Row(desc, y)) + r.mX;
        for (int x = 0; x < r.mWidth; ++x) {
            uint32_t v = source;
            if (a != 255) {
                for (const Channel& k : ch)
                    v += ((uint64_t(p[x] & k.mask) * inverse + (kWide ? 0 : k.mask)) >> 8) & k.mask;
            }
            p[x] = Pixel(v);
        }
    }
}

} // namespace

DDImage::DDImage(DDInterface* display) : MemoryImage(display->mHost->DisplayGraphicsHost()), mDDInterface(display) {}

DDImage::~DDImage()
{
    if (mSurface) {
        if (mLockCount > 0)
            mSurface->Unlock(nullptr);
        mSurface->Release();
    }
}

bool DDImage::Is3DTarget() const { return mDDInterface->Is3DTarget(mSurface); }

void DDImage::ReleaseSurface()
{
    if (!mSurface)
        return;
    if (mLockCount > 0)
        mSurface->Unlock(nullptr);
    mLockCount = 0;
    mSurface->Release();
    mSurface = nullptr;
    mHasColorKey = false;
    mColorKey = 0;
}

bool DDImage::CreateSurfaceFromBits()
{
    if (mSurface)
        return true;
    CommitBits();
    if (mHasAlpha)
        return false;
    mWantDDSurface = true;
    // The bits may be made on demand (after Create or a purge): make them
    // first, so the conversion never reads pixels that do not exist.
    const uint32_t* bits = GetBits();
    if (!bits || mWidth <= 0 || mHeight <= 0)
        return false;
    DDSURFACEDESC2 desc {};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.dwWidth = DWORD(mWidth);
    desc.dwHeight = DWORD(mHeight);
    desc.ddsCaps.dwCaps = mVideoMemory ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY;
    std::lock_guard lock(mDDInterface->mCritSect);
    if (FAILED(mDDInterface->CreateSurface(&desc, &mSurface, nullptr)))
        return false;
    if (!LockSurface()) {
        // A surface with undefined pixels must not stand for the image.
        ReleaseSurface();
        return false;
    }
    const ToSurface convert(*mDDInterface, mLockedSurfaceDesc);
    const bool wide = mLockedSurfaceDesc.ddpfPixelFormat.dwRGBBitCount == 32;
    uint32_t key = 0;
    const bool ok = wide ? WritePixels<uint32_t>(bits, mWidth, mHeight, mHasTrans, convert, mLockedSurfaceDesc, key)
                         : WritePixels<uint16_t>(bits, mWidth, mHeight, mHasTrans, convert, mLockedSurfaceDesc, key);
    UnlockSurface();
    if (!ok) {
        // Every value is used by a visible pixel: no key can stand for
        // transparency, so the image stays in software.
        ReleaseSurface();
        return false;
    }
    if (mHasTrans) {
        DDCOLORKEY ck { key, key };
        mSurface->SetColorKey(DDCKEY_SRCBLT, &ck);
        mHasColorKey = true;
        mColorKey = key;
    }
    return true;
}

IDirectDrawSurface* DDImage::GetSurface()
{
    if (!mSurface)
        CreateSurfaceFromBits();
    return mSurface;
}

bool DDImage::LockSurface()
{
    if (Is3DTarget())
        return false;
    if (mLockCount == 0) {
        mLockedSurfaceDesc = {};
        mLockedSurfaceDesc.dwSize = sizeof mLockedSurfaceDesc;
        if (!mSurface && !CreateSurfaceFromBits())
            return false;
        if (FAILED(mSurface->Lock(nullptr, &mLockedSurfaceDesc, DDLOCK_WAIT, nullptr)))
            return false;
        if (mSurfaceStale && mBits) {
            const ToSurface convert(*mDDInterface, mLockedSurfaceDesc);
            uint32_t key = 0;
            if (mLockedSurfaceDesc.ddpfPixelFormat.dwRGBBitCount == 32)
                WritePixels<uint32_t>(mBits, mWidth, mHeight, false, convert, mLockedSurfaceDesc, key);
            else
                WritePixels<uint16_t>(mBits, mWidth, mHeight, false, convert, mLockedSurfaceDesc, key);
        }
        mSurfaceStale = false;
    }
    ++mLockCount;
    return true;
}

bool DDImage::UnlockSurface()
{
    if (Is3DTarget() || mLockCount <= 0)
        return false;
    if (--mLockCount == 0)
        mSurface->Unlock(nullptr);
    return true;
}

void DDImage::FlushBitsToSurface()
{
    if (mSurfaceStale && mSurface && LockSurface())
        UnlockSurface();
}

void DDImage::SetSurface(IDirectDrawSurface* surface)
{
    ReleaseSurface();
    mNoLock = true;
    mSurface = surface;
    mSurfaceStale = false;
    FreeArray(mBits);
    if (surface) {
        surface->AddRef();
        DDSURFACEDESC desc {};
        desc.dwSize = sizeof desc;
        desc.dwFlags = DDSD_HEIGHT | DDSD_WIDTH;
        if (SUCCEEDED(surface->GetSurfaceDesc(&desc))) {
            mWidth = int(desc.dwWidth);
            mHeight = int(desc.dwHeight);
        }
    }
    mDrawToBits = false;
}

void DDImage::DeleteDDSurface()
{
    if (!mSurface)
        return;
    if (!mColorTable && !mBits && !mD3DData)
        GetBits();
    ReleaseSurface();
}

void DDImage::DeleteAllNonSurfaceData()
{
    FreeArray(mBits);
    FreeArray(mNativeAlphaData);
    FreeArray(mRLAdditiveData);
    FreeArray(mRLAlphaData);
    FreeArray(mColorTable);
    FreeArray(mColorIndices);
    mSurfaceStale = false;
}

uint32_t* DDImage::GetBits()
{
    if (mBits)
        return mBits;
    if (!mSurface)
        return MemoryImage::GetBits();
    if (mDrawToBits || !LockSurface())
        return nullptr;
    const size_t n = size_t(mWidth) * size_t(mHeight);
    auto bits = std::make_unique<uint32_t[]>(n + 1);
    bits[n] = kGuardWord;
    if (mLockedSurfaceDesc.ddpfPixelFormat.dwRGBBitCount == 32)
        ReadPixels<uint32_t>(bits.get(), mWidth, mHeight, mLockedSurfaceDesc, *mDDInterface, mHasColorKey, mColorKey);
    else
        ReadPixels<uint16_t>(bits.get(), mWidth, mHeight, mLockedSurfaceDesc, *mDDInterface, mHasColorKey, mColorKey);
    UnlockSurface();
    mBits = bits.release();
    return mBits;
}

void DDImage::SetVideoMemory(bool videoMemory)
{
    if (videoMemory == mVideoMemory)
        return;
    mVideoMemory = videoMemory;
    GetBits();
    DeleteDDSurface();
}

void DDImage::PurgeBits()
{
    if (mNoLock)
        return;
    mPurgeBits = true;
    CommitBits();
    if (GetHost()->Is3DAccelerated()) {
        if (mSurface) {
            GetBits();
            DeleteDDSurface();
        }
        MemoryImage::PurgeBits();
        return;
    }
    if (mWantDDSurface && CreateSurfaceFromBits()) {
        FreeArray(mBits);
        FreeArray(mColorIndices);
        FreeArray(mColorTable);
        // Native data indexed by the dropped colour table goes with it.
        FreeArray(mNativeAlphaData);
        return;
    }
    MemoryImage::PurgeBits();
}

void DDImage::DeleteExtraBuffers()
{
    if (mNoLock)
        return;
    DeleteSWBuffers();
    Delete3DBuffers();
    DeleteDDSurface();
}

void DDImage::ReInit()
{
    if (mWantPal)
        Palletize();
    if (mPurgeBits)
        PurgeBits();
    if (mWantDDSurface)
        CreateSurfaceFromBits();
}

void DDImage::BitsChanged()
{
    MemoryImage::BitsChanged();
    if (mNoLock)
        mSurfaceStale = mBits != nullptr;
    else
        ReleaseSurface(); // the bits are newer
}

void DDImage::CommitBits()
{
    if (mSurface)
        return;
    MemoryImage::CommitBits();
}

void DDImage::DeleteNativeData()
{
    if (mNoLock)
        return;
    MemoryImage::DeleteNativeData();
    DeleteDDSurface();
}

void DDImage::Create(int width, int height)
{
    MemoryImage::Create(width, height);
}

bool DDImage::PolyFill3D(const Point*, int, const Rect*, const Color&, int, int, int, bool)
{
    // Only the Direct3D device fills polygons itself; without it the caller
    // fills the shape through scan lines.
    return false;
}

bool DDImage::SurfaceRoute(bool transparentUnkeyed)
{
    // While software drawing is under way on an adopted surface's bits, the
    // bits are the picture. An image that cannot get a surface (no display
    // yet, no free colour key) keeps drawing on its bits: dropping them
    // after a surface routine that drew nothing would lose the picture.
    return !mSurfaceStale && !mHasAlpha && !transparentUnkeyed && !mDDInterface->mIs3D && GetSurface() &&
           !Is3DTarget();
}

void DDImage::ClearRect(const Rect& rect)
{
    if (!mDrawToBits)
        MemoryImage::ClearRect(rect);
}

void DDImage::FillScanLinesWithCoverage(const Span* spans, int count, const Color& color, int drawMode,
                                        const uint8_t* coverage, int coverX, int coverY, int coverWidth,
                                        int coverHeight)
{
    if (!mDrawToBits)
        MemoryImage::FillScanLinesWithCoverage(spans, count, color, drawMode, coverage, coverX, coverY, coverWidth,
                                               coverHeight);
}

void DDImage::Blt(Image* source, int x, int y, const Rect& srcRect, const Color& color, int drawMode)
{
    if (!mDrawToBits)
        MemoryImage::Blt(source, x, y, srcRect, color, drawMode);
}

void DDImage::FillRect(const Rect& rect, const Color& color, int drawMode)
{
    if (mDrawToBits)
        return;
    CommitBits();
    if (SurfaceRoute(mHasTrans && !mHasColorKey)) {
        if (drawMode == DRAWMODE_NORMAL)
            NormalFillRect(rect, color);
        else if (drawMode == DRAWMODE_ADDITIVE)
            AdditiveFillRect(rect, color);
        DeleteAllNonSurfaceData();
        return;
    }
    MemoryImage::FillRect(rect, color, drawMode);
}

void DDImage::DrawLine(double x1, double y1, double x2, double y2, const Color& color, int drawMode)
{
    RouteLine(x1, y1, x2, y2, color, drawMode, false);
}

void DDImage::DrawLineAA(double x1, double y1, double x2, double y2, const Color& color, int drawMode)
{
    RouteLine(x1, y1, x2, y2, color, drawMode, true);
}

void DDImage::RouteLine(double x1, double y1, double x2, double y2, const Color& color, int drawMode, bool smooth)
{
    if (mDrawToBits)
        return;
    if (!SurfaceRoute(mHasTrans)) {
        smooth ? MemoryImage::DrawLineAA(x1, y1, x2, y2, color, drawMode)
               : MemoryImage::DrawLine(x1, y1, x2, y2, color, drawMode);
        return;
    }
    // Straight lines are rectangles and take the FillRect route.
    if (y1 == y2 || x1 == x2) {
        MemoryImage::DrawLine(x1, y1, x2, y2, color, drawMode);
        return;
    }
    CommitBits();
    if (drawMode == DRAWMODE_NORMAL)
        smooth ? NormalDrawLineAA(x1, y1, x2, y2, color) : NormalDrawLine(x1, y1, x2, y2, color);
    else if (drawMode == DRAWMODE_ADDITIVE)
        smooth ? AdditiveDrawLineAA(x1, y1, x2, y2, color) : AdditiveDrawLine(x1, y1, x2, y2, color);
    DeleteAllNonSurfaceData();
}

void DDImage::NormalFillRect(const Rect& rect, const Color& color)
{
    if (mDrawToBits || !LockSurface())
        return;
    const DDInterface& d = *mDDInterface;
    const Channel ch[3] = { { d.mRedMask, uint32_t(color.mRed) },
                            { d.mGreenMask, uint32_t(color.mGreen) },
                            { d.mBlueMask, uint32_t(color.mBlue) } };
    if (mLockedSurfaceDesc.ddpfPixelFormat.dwRGBBitCount == 32)
        FillBlend<uint32_t>(mLockedSurfaceDesc, rect, ch, color.mAlpha);
    else
        FillBlend<uint16_t>(mLockedSurfaceDesc, rect, ch, color.mAlpha);
    UnlockSurface();
}

void DDImage::AdditiveFillRect(const Rect& rect, const Color& color)
{
    if (mDrawToBits || !LockSurface())
        return;
    const DDInterface& d = *mDDInterface;
    struct Add {
        uint32_t mask;
        int shift;
        int bits;
        const int* table;
        int c;
    };
    const Add ch[3] = { { d.mRedMask, d.mRedShift, d.mRedBits, d.mRedAddTable, color.mRed },
                        { d.mGreenMask, d.mGreenShift, d.mGreenBits, d.mGreenAddTable, color.mGreen },
                        { d.mBlueMask, d.mBlueShift, d.mBlueBits, d.mBlueAddTable, color.mBlue } };
    auto apply = [&](auto* row, int count) {
        for (int x = 0; x < count; ++x) {
            uint32_t v = 0;
            for (const Add& k : ch) {
                const int add = (k.c * color.mAlpha / 255) >> (8 - k.bits);
                v |= uint32_t(k.table[((row[x] & k.mask) >> k.shift) + add]) << k.shift;
            }
            row[x] = static_cast<std::remove_reference_t<decltype(row[x])>>(v);
        }
    };
    if (d.mRedAddTable && d.mGreenAddTable && d.mBlueAddTable) {
        for (int y = rect.mY; y < rect.mY + rect.mHeight; ++y) {
            if (mLockedSurfaceDesc.ddpfPixelFormat.dwRGBBitCount == 32)
                apply(reinterpret_cast<uint32_t*>(Row(mLockedSurfaceDesc, y)) + rect.mX, rect.mWidth);
            else
                apply(reinterpret_cast<uint16_t*>(Row(mLockedSurfaceDesc, y)) + rect.mX, rect.mWidth);
        }
    }
    UnlockSurface();
}

namespace {

// Steps the major axis one pixel at a time, calling `pixel` on each point
// inside the image.
template <typename Pixel>
void StepLine(double x1, double y1, double x2, double y2, int width, int height, Pixel pixel)
{
    const double dx = x2 - x1, dy = y2 - y1;
    const int steps = int(std::max(std::fabs(dx), std::fabs(dy)));
    for (int i = 0; i <= steps; ++i) {
        const double t = steps ? double(i) / steps : 0;
        const int x = int(x1 + dx * t), y = int(y1 + dy * t);
        if (x >= 0 && y >= 0 && x < width && y < height)
            pixel(x, y);
    }
}

} // namespace

void DDImage::NormalDrawLine(double x1, double y1, double x2, double y2, const Color& color)
{
    StepLine(x1, y1, x2, y2, mWidth, mHeight, [&](int x, int y) { NormalFillRect(Rect(x, y, 1, 1), color); });
}

void DDImage::AdditiveDrawLine(double x1, double y1, double x2, double y2, const Color& color)
{
    StepLine(x1, y1, x2, y2, mWidth, mHeight, [&](int x, int y) { AdditiveFillRect(Rect(x, y, 1, 1), color); });
}

void DDImage::NormalDrawLineAA(double x1, double y1, double x2, double y2, const Color& color)
{
    NormalDrawLine(x1, y1, x2, y2, color);
}

void ReadSurfacePixels32(uint32_t* out, int width, int height, const DDSURFACEDESC2& desc)
{
    ReadMasked<uint32_t>(out, width, height, desc);
}

void ReadSurfacePixels16(uint32_t* out, int width, int height, const DDSURFACEDESC2& desc)
{
    ReadMasked<uint16_t>(out, width, height, desc);
}

} // namespace Kivo
