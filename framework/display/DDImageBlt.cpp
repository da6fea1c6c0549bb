// Blits of a memory image's rect into a DDImage's locked surface: copies,
// alpha blends over the source's premultiplied native pixels, saturating
// adds, and their left-right mirrored forms.
#include "framework/display/DDImage.h"
#include "framework/display/DDInterface.h"

#include <cstdint>

namespace Kivo {
namespace {

uint32_t Fold(uint32_t v) { return ((v >> 16) | v) & 0xFFFF; }
uint32_t Spread(uint32_t p, uint32_t k) { return ((p << 16) | p) & k; }

// Where the pixels of one blit are: the source's native values (through the
// indices for a palette source), its run bytes, and the destination rows.
struct BltSpan {
    const uint32_t* native;
    const uint8_t* indices; // null: one native value per pixel
    const uint8_t* runs;
    int srcWidth;
    int sx, sy, w, h;
    uint8_t* dst; // first destination row, at column x
    long pitch;
    uint32_t Native(size_t i) const { return native[indices ? indices[i] : i]; }
};

// The run walk: for each row, runs of one class from the source rect's left
// column; `run(native index, destination column offset, count, first native)`
// handles a run. Mirrored rows start at the right edge and move left.
template <typename Pixel, bool kMirror, typename Run>
void WalkRuns(const BltSpan& s, Run run)
{
    for (int row = 0; row < s.h; ++row) {
        Pixel* out = reinterpret_cast<Pixel*>(s.dst + ptrdiff_t(row) * s.pitch);
        const size_t base = size_t(s.sy + row) * size_t(s.srcWidth) + size_t(s.sx);
        int col = 0;
        while (col < s.w) {
            int length = s.runs[base + col];
            if (length <= 0)
                length = 1; // run bytes are at least 1; never stall
            if (length > s.w - col)
                length = s.w - col;
            const size_t i = base + col;
            run(out, i, kMirror ? s.w - 1 - col : col, length, s.Native(i));
            col += length;
        }
    }
}

// Pixel of a run at offset k from the run's destination column.
template <typename Pixel, bool kMirror>
Pixel& At(Pixel* out, int col, int k)
{
    return kMirror ? out[col - k] : out[col + k];
}

struct Masks {
    uint32_t m[3];
    int shift[3];
    const int* table[3];
};

enum BlendKind { kWhiteSpread, kWhiteOther16, kWhite32, kGreySpread, kGrey32, kGeneral };

// Alpha blend of native pixels by run class (normal and mirrored blits), one
// loop per colour and layout kind.
template <typename Pixel, bool kMirror, BlendKind kind>
void BlendRunsOf(const BltSpan& s, const Masks& mk, const Color& color, uint32_t spread)
{
    const uint32_t ca = uint32_t(color.mAlpha);
    const uint32_t mc[3] = { uint32_t(color.mRed) * ca / 255, uint32_t(color.mGreen) * ca / 255,
                             uint32_t(color.mBlue) * ca / 255 };
    const uint32_t m = mc[0];

    auto opaque = [&](uint32_t n) -> uint32_t {
        switch (kind) { // resolved at compile time
        case kWhiteSpread:
        case kWhiteOther16:
            return n & 0xFFFF;
        case kWhite32:
            return n;
        case kGreySpread:
            return Fold(((Spread(n & 0xFFFF, spread) * (m >> 3)) >> 5) & spread);
        case kGrey32:
            return (((n & 0xFF00FF) * m >> 8) & 0xFF00FF) + (((n & 0xFF00) * m >> 8) & 0xFF00);
        default: {
            uint32_t v = 0;
            for (int c = 0; c < 3; ++c)
                v += uint32_t((uint64_t(n & mk.m[c]) * mc[c]) >> 8) & mk.m[c];
            return v;
        }
        }
    };
    auto blend = [&](uint32_t d, uint32_t n) -> uint32_t {
        const uint32_t a = n >> 24;
        const uint32_t inv = 256 - a;
        const uint32_t f = 256 - a * ca / 255;
        switch (kind) { // resolved at compile time
        case kWhiteSpread:
            return ((Fold(((Spread(d, spread) * (inv >> 3)) >> 5) & spread) + n) & 0xFFFF);
        case kWhiteOther16: {
            uint32_t v = n & 0xFFFF;
            for (uint32_t mask : mk.m)
                v += ((d & mask) * inv >> 8) & mask;
            return v;
        }
        case kWhite32:
            return (((d & 0xFF00) * inv >> 8) & 0xFF00) + (((d & 0xFF00FF) * inv >> 8) & 0xFF00FF) + n;
        case kGreySpread:
            return Fold(((Spread(n & 0xFFFF, spread) * (m >> 3) + Spread(d, spread) * (f >> 3)) >> 5) & spread);
        case kGrey32:
            return (uint32_t((uint64_t(d & 0xFF00FF) * f + uint64_t(n & 0xFF00FF) * m) >> 8) & 0xFF00FF) +
                   (uint32_t((uint64_t(d & 0xFF00) * f + uint64_t(n & 0xFF00) * m) >> 8) & 0xFF00);
        default: {
            uint32_t v = 0;
            for (int c = 0; c < 3; ++c)
                v += uint32_t((uint64_t(d & mk.m[c]) * f + uint64_t(n & mk.m[c]) * mc[c]) >> 8) & mk.m[c];
            return v;
        }
        }
    };
    WalkRuns<Pixel, kMirror>(s, [&](Pixel* out, size_t i, int col, int length, uint32_t first) {
        const uint32_t cls = first >> 24;
        if (cls == 0)
            return;
        if (cls == 255 && ca == 255) {
            for (int k = 0; k < length; ++k)
                At<Pixel, kMirror>(out, col, k) = Pixel(opaque(s.Native(i + k)));
            return;
        }
        for (int k = 0; k < length; ++k) {
            Pixel& p = At<Pixel, kMirror>(out, col, k);
            p = Pixel(blend(p, s.Native(i + k)));
        }
    });
}

template <typename Pixel, bool kMirror>
void BlendRuns(const BltSpan& s, const Masks& mk, const Color& color)
{
    constexpr bool kWide = sizeof(Pixel) == 4;
    const uint32_t ca = uint32_t(color.mAlpha);
    const uint32_t mr = uint32_t(color.mRed) * ca / 255, mg = uint32_t(color.mGreen) * ca / 255,
                   mb = uint32_t(color.mBlue) * ca / 255;
    const bool white = color == Color::White;
    const bool grey = mr == mg && mg == mb;
    const uint32_t spread = kWide ? 0 : mk.m[1] == 0x07E0 ? 0x07E0F81F : mk.m[1] == 0x03E0 ? 0x03E07C1F : 0;
    if (white && kWide)
        BlendRunsOf<Pixel, kMirror, kWhite32>(s, mk, color, spread);
    else if (white && spread)
        BlendRunsOf<Pixel, kMirror, kWhiteSpread>(s, mk, color, spread);
    else if (white)
        BlendRunsOf<Pixel, kMirror, kWhiteOther16>(s, mk, color, spread);
    else if (grey && kWide)
        BlendRunsOf<Pixel, kMirror, kGrey32>(s, mk, color, spread);
    else if (grey && spread)
        BlendRunsOf<Pixel, kMirror, kGreySpread>(s, mk, color, spread);
    else
        BlendRunsOf<Pixel, kMirror, kGeneral>(s, mk, color, spread);
}

// Saturating add of native pixels through the display's add tables.
template <typename Pixel, bool kMirror, bool white>
void AddRunsOf(const BltSpan& s, const Masks& mk, const Color& color)
{
    const uint32_t ca = uint32_t(color.mAlpha);
    const uint32_t mc[3] = { uint32_t(color.mRed) * ca / 255, uint32_t(color.mGreen) * ca / 255,
                             uint32_t(color.mBlue) * ca / 255 };
    WalkRuns<Pixel, kMirror>(s, [&](Pixel* out, size_t i, int col, int length, uint32_t first) {
        if ((first & 0xFFFFFF) == 0)
            return;
        for (int k = 0; k < length; ++k) {
            Pixel& p = At<Pixel, kMirror>(out, col, k);
            const uint32_t n = s.Native(i + k), d = p;
            uint32_t v = 0;
            for (int c = 0; c < 3; ++c) {
                const uint32_t mask = mk.m[c];
                const int sh = mk.shift[c];
                const uint32_t add = white ? ((d & mask) + (n & mask)) >> sh
                                           : ((((n & mask) >> sh) * mc[c]) >> 8) + ((d & mask) >> sh);
                v |= uint32_t(mk.table[c][add]) << sh;
            }
            p = Pixel(v);
        }
    });
}

template <typename Pixel, bool kMirror>
void AddRuns(const BltSpan& s, const Masks& mk, const Color& color)
{
    if (color == Color::White)
        AddRunsOf<Pixel, kMirror, true>(s, mk, color);
    else
        AddRunsOf<Pixel, kMirror, false>(s, mk, color);
}

// Hinted sources blend straight from their ARGB pixels by their own alpha.
template <typename Pixel>
void HintedBlt(const uint32_t* bits, const uint32_t* table, const uint8_t* indices, const BltSpan& s,
               const Masks& mk)
{
    constexpr bool kWide = sizeof(Pixel) == 4;
    const uint32_t spread =
        kWide || !gRGBOrder ? 0 : mk.m[1] == 0x07E0 ? 0x07E0F81F : mk.m[1] == 0x03E0 ? 0x03E07C1F : 0;
    for (int row = 0; row < s.h; ++row) {
        Pixel* out = reinterpret_cast<Pixel*>(s.dst + ptrdiff_t(row) * s.pitch);
        const size_t base = size_t(s.sy + row) * size_t(s.srcWidth) + size_t(s.sx);
        for (int col = 0; col < s.w; ++col) {
            const uint32_t src = indices ? table[indices[base + col]] : bits[base + col];
            const uint32_t d = out[col];
            const uint32_t a = src >> 24;
            uint32_t v = 0;
            if (spread) {
                const uint32_t s2 = spread == 0x07E0F81F
                                        ? ((src & 0xFC00) << 11) + ((src >> 3) & 0x1F) + ((src >> 8) & 0xF800)
                                        : ((src >> 3) & 0x1F) + ((src >> 9) & 0x7C00) + ((src & 0xF800) << 10);
                const uint32_t d2 = Spread(d, spread);
                v = Fold((d2 + (((s2 - d2) * (src >> 27)) >> 5)) & spread);
            } else if (kWide && gRGBOrder) {
                v = (((((src & 0xFF00FF) - (d & 0xFF00FF)) * a >> 8) + (d & 0xFF00FF)) & 0xFF00FF) |
                    (((((src & 0xFF00) - (d & 0xFF00)) * a >> 8) + (d & 0xFF00)) & 0xFF00);
            } else {
                const uint32_t c[3] = { (src >> 16) & 0xFF, (src >> 8) & 0xFF, src & 0xFF };
                for (int k = 0; k < 3; ++k) {
                    const uint64_t M = mk.m[k];
                    v += uint32_t(((d & M) * (256 - a) + ((c[k] * a * M) >> 8) + (M >> 1)) >> 8) & mk.m[k];
                }
            }
            out[col] = Pixel(v);
        }
    }
}

// Copy of an opaque source's native pixels; alpha-0 pixels are left out
// when the source has any.
template <typename Pixel>
void CopyNative(const BltSpan& s, bool skipTransparent)
{
    for (int row = 0; row < s.h; ++row) {
        Pixel* out = reinterpret_cast<Pixel*>(s.dst + ptrdiff_t(row) * s.pitch);
        const size_t base = size_t(s.sy + row) * size_t(s.srcWidth) + size_t(s.sx);
        for (int col = 0; col < s.w; ++col) {
            const uint32_t n = s.Native(base + col);
            if (!skipTransparent || (n >> 24) != 0)
                out[col] = Pixel(n);
        }
    }
}

} // namespace

void DDImage::NormalBlt(Image* source, int x, int y, const Rect& srcRect, const Color& color)
{
    SurfaceBlt(source, x, y, srcRect, color, false, false);
}

void DDImage::AdditiveBlt(Image* source, int x, int y, const Rect& srcRect, const Color& color)
{
    SurfaceBlt(source, x, y, srcRect, color, true, false);
}

void DDImage::NormalBltMirror(Image* source, int x, int y, const Rect& srcRect, const Color& color)
{
    SurfaceBlt(source, x, y, srcRect, color, false, true);
}

void DDImage::AdditiveBltMirror(Image* source, int x, int y, const Rect& srcRect, const Color& color)
{
    SurfaceBlt(source, x, y, srcRect, color, true, true);
}

void DDImage::SurfaceBlt(Image* source, int x, int y, const Rect& srcRect, const Color& color, bool additive,
                         bool mirror)
{
    source->mDrawn = true;
    auto* src = dynamic_cast<MemoryImage*>(source);
    if (!src)
        return;
    src->CommitBits();
    // The rects must lie inside both images; anything else draws nothing.
    if (srcRect.mWidth <= 0 || srcRect.mHeight <= 0 || srcRect.mX < 0 || srcRect.mY < 0 ||
        srcRect.mX > src->mWidth - srcRect.mWidth || srcRect.mY > src->mHeight - srcRect.mHeight || x < 0 ||
        y < 0 || x > mWidth - srcRect.mWidth || y > mHeight - srcRect.mHeight)
        return;
    const bool white = (color == Color::White);
    auto* ddSource = dynamic_cast<DDImage*>(source);
    const bool sourceSurface = ddSource && ddSource->mSurface;
    if (!additive && !mirror && !src->mHasAlpha && white && sourceSurface &&
        (mVideoMemory || !ddSource->mVideoMemory) && GetSurface()) {
        // Opaque surface to surface: DirectDraw copies (keyed when the source
        // has transparent pixels).
        if (mLockCount > 0)
            mSurface->Unlock(nullptr);
        DDBLTFX fx {};
        fx.dwSize = 100;
        RECT to { x, y, x + srcRect.mWidth, y + srcRect.mHeight };
        RECT from { srcRect.mX, srcRect.mY, srcRect.mX + srcRect.mWidth, srcRect.mY + srcRect.mHeight };
        mSurface->Blt(&to, ddSource->mSurface, &from, DDBLT_WAIT | (src->mHasTrans ? DDBLT_KEYSRC : 0), &fx);
        if (mLockCount > 0)
            mSurface->Lock(nullptr, &mLockedSurfaceDesc, DDLOCK_WAIT, nullptr);
        return;
    }
    if (mDrawToBits)
        return;
    const bool hinted = !additive && !mirror && src->mBltHint && !sourceSurface && white;
    const uint32_t* bits = nullptr;
    const uint32_t* native = nullptr;
    const uint8_t* runs = nullptr;
    if (hinted) {
        bits = src->mColorTable && src->mColorIndices ? nullptr : src->GetBits();
        if (!bits && !(src->mColorTable && src->mColorIndices))
            return;
    } else {
        native = src->GetNativeAlphaData(mDDInterface);
        runs = additive ? src->GetRLAdditiveData(mDDInterface) : src->GetRLAlphaData();
        if (!native || !runs)
            return;
    }
    const uint8_t* indices = hinted ? (bits ? nullptr : src->mColorIndices)
                                    : (src->NativeIndexed() ? src->mColorIndices : nullptr);
    if (!hinted && src->NativeIndexed() && !indices)
        return;
    OnLockedSurface([&](auto pixel) {
        using Pixel = decltype(pixel);
        const DDSURFACEDESC& desc = mLockedSurfaceDesc;
        const BltSpan span { native,
                             indices,
                             runs,
                             src->mWidth,
                             srcRect.mX,
                             srcRect.mY,
                             srcRect.mWidth,
                             srcRect.mHeight,
                             static_cast<uint8_t*>(desc.lpSurface) + ptrdiff_t(y) * desc.lPitch +
                                 ptrdiff_t(x) * ptrdiff_t(sizeof(Pixel)),
                             desc.lPitch };
        const DDInterface& d = *mDDInterface;
        const Masks masks { { desc.ddpfPixelFormat.dwRBitMask, desc.ddpfPixelFormat.dwGBitMask,
                              desc.ddpfPixelFormat.dwBBitMask },
                            { d.mRedShift, d.mGreenShift, d.mBlueShift },
                            { d.mRedAddTable, d.mGreenAddTable, d.mBlueAddTable } };
        if (additive) {
            if (!masks.table[0] || !masks.table[1] || !masks.table[2])
                return;
            mirror ? AddRuns<Pixel, true>(span, masks, color) : AddRuns<Pixel, false>(span, masks, color);
        } else if (hinted) {
            HintedBlt<Pixel>(bits, src->mColorTable, indices, span, masks);
        } else if (!mirror && !src->mHasAlpha && white) {
            CopyNative<Pixel>(span, src->mHasTrans);
        } else {
            mirror ? BlendRuns<Pixel, true>(span, masks, color) : BlendRuns<Pixel, false>(span, masks, color);
        }
    });
}

} // namespace Kivo
