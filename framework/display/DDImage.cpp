#include "framework/display/DDImage.h"

#include "framework/display/D3DInterface.h"
#include "framework/display/DDInterface.h"
#include "framework/display/DisplayHost.h"
#include "framework/graphics/GraphicsHost.h"
#include "framework/raster/WideKernels.h"
#include "platform/Backend.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <emmintrin.h>
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
    // A row of opaque pixels onto a 16-bit surface: the same shifts and masks,
    // the result's low 16 bits.
    void Row16(const uint32_t* in, uint16_t* out, int width) const
    {
        if (rb == 5 && gb == 6 && bb == 5 && rs == 11 && gs == 5 && bs == 0 && rm == 0xF800 && gm == 0x07E0 &&
            bm == 0x001F)
            Row565(in, out, width);
        else
            RowShifted(in, out, width, 24 - rb, rs, 16 - gb, gs, 8 - bb, bs, rm, gm, bm);
    }
    // Plain loops the compiler vectorises, built for AVX2 as well where the
    // processor has it (sixteen pixels a step instead of eight).
    [[gnu::target_clones("avx2", "default")]] static void Row565(const uint32_t* in, uint16_t* out, int width)
    {
        for (int x = 0; x < width; ++x) {
            const uint32_t p = in[x];
            out[x] = uint16_t(((p >> 8) & 0xF800) | ((p >> 5) & 0x07E0) | ((p >> 3) & 0x001F));
        }
    }
    [[gnu::target_clones("avx2", "default")]] static void RowShifted(const uint32_t* in, uint16_t* out, int width,
                                                                   int sr, int lr, int sg, int lg, int sb, int lb,
                                                                   uint32_t mr, uint32_t mg, uint32_t mb)
    {
        for (int x = 0; x < width; ++x) {
            const uint32_t p = in[x];
            out[x] = uint16_t((((p >> sr) << lr) & mr) | (((p >> sg) << lg) & mg) | (((p >> sb) << lb) & mb));
        }
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
        if constexpr (!kWide) {
            if (!hasTrans) {
                convert.Row16(in, out, width);
                continue;
            }
        }
        for (int x = 0; x < width; ++x) {
            const bool opaque = !hasTrans || (in[x] >> 24) == 255;
            out[x] = Pixel(opaque ? convert(in[x]) : key);
        }
    }
    return true;
}

// Surface pixels come back opaque: the colour key is not turned back into
// transparency, since pixels drawn onto the surface after it was made may
// carry the key's colour and must stay visible.
template <typename Pixel>
void ReadPixels(uint32_t* out, int width, int height, const DDSURFACEDESC& desc, const NativeDisplay& d)
{
    for (int y = 0; y < height; ++y) {
        const Pixel* in = reinterpret_cast<const Pixel*>(Row(desc, y));
        uint32_t* row = out + size_t(y) * size_t(width);
        for (int x = 0; x < width; ++x) {
            const uint32_t v = in[x];
            row[x] = 0xFF000000u | ((((v >> d.mRedShift) << (8 - d.mRedBits)) & 0xFF) << 16) |
                     ((((v >> d.mGreenShift) << (8 - d.mGreenBits)) & 0xFF) << 8) |
                     (((v >> d.mBlueShift) << (8 - d.mBlueBits)) & 0xFF);
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

// Whether the three channels are the three low bytes of a 32-bit pixel, in any
// order: then each channel blends as (d * inverse) >> 8 in its own byte.
bool ByteChannels(const Channel (&ch)[3])
{
    uint32_t all = 0;
    for (const Channel& k : ch) {
        if (k.mask != 0xFFu && k.mask != 0xFF00u && k.mask != 0xFF0000u)
            return false;
        all |= k.mask;
    }
    return all == 0xFFFFFFu;
}

// One row of a translucent fill over 8-bit channels: each channel byte becomes
// (d * inverse) >> 8, the top byte 0, and `source` is added as one word, as the
// channel-by-channel loop does; four pixels at a time in 16-bit lanes (eight
// with AVX2).
#ifdef KIVO_WIDE_KERNELS
// The same, eight pixels at a time; returns how many pixels it blended.
KIVO_AVX2 int FillBlendByteRowWide(uint32_t* p, int n, uint32_t source, int inverse)
{
    const __m256i weight = _mm256_set1_epi16(int16_t(inverse));
    const __m256i zero = _mm256_setzero_si256();
    const __m256i channels = _mm256_set1_epi32(0x00FFFFFF);
    const __m256i add = _mm256_set1_epi32(int32_t(source));
    int x = 0;
    for (; x + 8 <= n; x += 8) {
        const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + x));
        const __m256i lo = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(d, zero), weight), 8);
        const __m256i hi = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(d, zero), weight), 8);
        const __m256i v = _mm256_add_epi32(_mm256_and_si256(_mm256_packus_epi16(lo, hi), channels), add);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + x), v);
    }
    return x;
}
#endif

void FillBlendByteRow(uint32_t* p, int n, uint32_t source, int inverse)
{
    const __m128i weight = _mm_set1_epi16(int16_t(inverse));
    const __m128i zero = _mm_setzero_si128();
    const __m128i channels = _mm_set1_epi32(0x00FFFFFF);
    const __m128i add = _mm_set1_epi32(int32_t(source));
    int x = 0;
#ifdef KIVO_WIDE_KERNELS
    if (WideKernels())
        x = FillBlendByteRowWide(p, n, source, inverse);
#endif
    for (; x + 4 <= n; x += 4) {
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + x));
        const __m128i lo = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(d, zero), weight), 8);
        const __m128i hi = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(d, zero), weight), 8);
        const __m128i v = _mm_add_epi32(_mm_and_si128(_mm_packus_epi16(lo, hi), channels), add);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + x), v);
    }
    const uint32_t w = uint32_t(inverse);
    for (; x < n; ++x) {
        const uint32_t d = p[x];
        p[x] = source + ((((d & 0xFF00FFu) * w) >> 8) & 0xFF00FFu) + ((((d & 0xFF00u) * w) >> 8) & 0xFF00u);
    }
}

// The channels of a 16-bit pixel as shifts and widths. With the mask M =
// max << shift, ((d & M) * inverse + M) >> 8 & M equals
// (((c * inverse + max) >> 8) & max) << shift for the channel's value c, which
// fits 16-bit lanes: eight pixels at a time (sixteen with AVX2).
struct ShortChannels {
    int shift[3] = {};
    uint16_t max[3] = {};

    bool Read(const Channel (&ch)[3])
    {
        for (int k = 0; k < 3; ++k) {
            const uint32_t m = ch[k].mask;
            if (m == 0 || m > 0xFFFF)
                return false;
            shift[k] = std::countr_zero(m);
            const uint32_t top = m >> shift[k];
            if ((top & (top + 1)) != 0 || top * 257 > 0xFFFF) // not contiguous, or too wide
                return false;
            max[k] = uint16_t(top);
        }
        return true;
    }

#ifdef KIVO_WIDE_KERNELS
    // The same, sixteen pixels at a time; returns how many pixels it blended.
    KIVO_AVX2 int BlendRowWide(uint16_t* p, int n, uint32_t source, int inverse) const
    {
        const __m256i weight = _mm256_set1_epi16(int16_t(inverse));
        const __m256i add = _mm256_set1_epi16(int16_t(source));
        // In registers: the row's stores could otherwise alias the fields.
        __m256i top[3];
        __m128i count[3];
        for (int k = 0; k < 3; ++k) {
            top[k] = _mm256_set1_epi16(int16_t(max[k]));
            count[k] = _mm_cvtsi32_si128(shift[k]);
        }
        int x = 0;
        for (; x + 16 <= n; x += 16) {
            const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + x));
            __m256i v = add;
            for (int k = 0; k < 3; ++k) {
                const __m256i c = _mm256_and_si256(_mm256_srl_epi16(d, count[k]), top[k]);
                const __m256i blended = _mm256_and_si256(
                    _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(c, weight), top[k]), 8), top[k]);
                v = _mm256_add_epi16(v, _mm256_sll_epi16(blended, count[k]));
            }
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + x), v);
        }
        return x;
    }
#endif

    void BlendRow(uint16_t* p, int n, uint32_t source, int inverse) const
    {
        const __m128i weight = _mm_set1_epi16(int16_t(inverse));
        const __m128i add = _mm_set1_epi16(int16_t(source));
        int x = 0;
#ifdef KIVO_WIDE_KERNELS
        if (WideKernels())
            x = BlendRowWide(p, n, source, inverse);
#endif
        __m128i top[3], count[3];
        for (int k = 0; k < 3; ++k) {
            top[k] = _mm_set1_epi16(int16_t(max[k]));
            count[k] = _mm_cvtsi32_si128(shift[k]);
        }
        for (; x + 8 <= n; x += 8) {
            const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + x));
            __m128i v = add;
            for (int k = 0; k < 3; ++k) {
                const __m128i c = _mm_and_si128(_mm_srl_epi16(d, count[k]), top[k]);
                const __m128i blended =
                    _mm_and_si128(_mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(c, weight), top[k]), 8), top[k]);
                v = _mm_add_epi16(v, _mm_sll_epi16(blended, count[k]));
            }
            _mm_storeu_si128(reinterpret_cast<__m128i*>(p + x), v);
        }
        for (; x < n; ++x) {
            uint32_t v = source;
            for (int k = 0; k < 3; ++k)
                v += (((((p[x] >> shift[k]) & max[k]) * uint32_t(inverse) + max[k]) >> 8) & max[k]) << shift[k];
            p[x] = uint16_t(v);
        }
    }
};

// Blends the fill's premultiplied `source` over each pixel of r, channel by
// channel, for any channel masks.
template <typename Pixel>
void FillBlendRows(const DDSURFACEDESC& desc, const Rect& r, const Channel (&ch)[3], uint32_t source, int a)
{
    constexpr bool kWide = sizeof(Pixel) == 4;
    const uint64_t inverse = uint64_t(256 - a);
    const uint64_t masks[3] = { ch[0].mask, ch[1].mask, ch[2].mask };
    for (int y = r.mY; y < r.mY + r.mHeight; ++y) {
        Pixel* p = reinterpret_cast<Pixel*>(Row(desc, y)) + r.mX;
        for (int x = 0; x < r.mWidth; ++x) {
            uint64_t v = source;
            for (const uint64_t m : masks)
                v += ((uint64_t(p[x] & m) * inverse + (kWide ? 0 : m)) >> 8) & m;
            p[x] = Pixel(v);
        }
    }
}

template <typename Pixel>
void FillBlend(const DDSURFACEDESC& desc, const Rect& r, const Channel (&ch)[3], int a)
{
    constexpr bool kWide = sizeof(Pixel) == 4;
    uint32_t source = 0;
    for (const Channel& k : ch) {
        if (a == 255)
            source |= kWide ? ((k.c * k.mask) >> 8) & k.mask : (((k.c + 1) * k.mask) >> 8) & k.mask;
        else
            source |= ((((k.c * uint32_t(a) + (kWide ? 127 : 128)) >> 8) + 1) * uint64_t(k.mask) >> 8) & k.mask;
    }
    if (a == 255) {
        for (int y = r.mY; y < r.mY + r.mHeight; ++y)
            std::fill_n(reinterpret_cast<Pixel*>(Row(desc, y)) + r.mX, r.mWidth, Pixel(source));
        return;
    }
    if constexpr (kWide) {
        if (ByteChannels(ch)) {
            for (int y = r.mY; y < r.mY + r.mHeight; ++y)
                FillBlendByteRow(reinterpret_cast<uint32_t*>(Row(desc, y)) + r.mX, r.mWidth, source, 256 - a);
            return;
        }
    } else {
        ShortChannels fields;
        if (fields.Read(ch)) {
            for (int y = r.mY; y < r.mY + r.mHeight; ++y)
                fields.BlendRow(reinterpret_cast<uint16_t*>(Row(desc, y)) + r.mX, r.mWidth, source, 256 - a);
            return;
        }
    }
    FillBlendRows<Pixel>(desc, r, ch, source, a);
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

D3DInterface& DDImage::D3D() const { return *mDDInterface->mD3DInterface; }

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

bool DDImage::Palletize()
{
    // An adopted surface (the screen, a cursor area) stays the picture.
    if (mNoLock || !MemoryImage::Palletize())
        return false;
    if (!mSurface)
        return true;
    if (!mColorTable && !mBits && !mD3DData)
        GetBits();
    ReleaseSurface();
    return true;
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
        ReadPixels<uint32_t>(bits.get(), mWidth, mHeight, mLockedSurfaceDesc, *mDDInterface);
    else
        ReadPixels<uint16_t>(bits.get(), mWidth, mHeight, mLockedSurfaceDesc, *mDDInterface);
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

bool DDImage::PolyFill3D(const Point* points, int count, const Rect* clipRect, const Color& color, int drawMode,
                         int tx, int ty, bool)
{
    // Only the Direct3D device fills polygons itself; without it the caller
    // fills the shape through scan lines.
    if (!Is3DTarget())
        return false;
    D3D().FillPoly(points, count, clipRect, color, drawMode, tx, ty);
    return true;
}

bool DDImage::SurfaceRoute(bool transparent, bool allowIn3D)
{
    // While software drawing is under way on an adopted surface's bits, the
    // bits are the picture. An image that cannot get a surface (no display
    // yet, no free colour key) keeps drawing on its bits: dropping them
    // after a surface routine that drew nothing would lose the picture.
    return !mSurfaceStale && !mHasAlpha && !transparent && (allowIn3D || !mDDInterface->mIs3D) && GetSurface() &&
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
    if (mDrawToBits || count <= 0)
        return;
    if (Is3DTarget()) {
        FillScanLines3D(const_cast<Span*>(spans), count, color, drawMode, coverage, coverX, coverY, coverWidth,
                        coverHeight);
        return;
    }
    if (mSurfaceStale || !GetSurface()) {
        MemoryImage::FillScanLinesWithCoverage(spans, count, color, drawMode, coverage, coverX, coverY, coverWidth,
                                               coverHeight);
        return;
    }
    // Blended into the surface by coverage; additive calls blend too. A
    // surface that cannot be locked is left as it is, and so are the bits.
    const bool locked = OnLockedSurface([&](auto pixel) {
        using Pixel = decltype(pixel);
        const DDSURFACEDESC& desc = mLockedSurfaceDesc;
        const uint32_t masks[3] = { desc.ddpfPixelFormat.dwRBitMask, desc.ddpfPixelFormat.dwGBitMask,
                                    desc.ddpfPixelFormat.dwBBitMask };
        const uint32_t c[3] = { uint32_t(color.mRed), uint32_t(color.mGreen), uint32_t(color.mBlue) };
        uint32_t packed = 0;
        for (int k = 0; k < 3; ++k)
            packed |= uint32_t((uint64_t(c[k]) * masks[k]) >> 8) & masks[k];
        for (int i = 0; i < count; ++i) {
            const Span& span = spans[i];
            // Only the part inside both the image and the coverage buffer.
            const int row = span.mY - coverY;
            if (span.mY < 0 || span.mY >= mHeight || row < 0 || row >= coverHeight)
                continue;
            const int from = std::max({ span.mX, 0, coverX });
            const int to = std::min({ span.mX + span.mWidth, mWidth, coverX + coverWidth });
            Pixel* out = reinterpret_cast<Pixel*>(Row(desc, span.mY));
            const uint8_t* cover = coverage + ptrdiff_t(row) * coverWidth - coverX;
            for (int x = from; x < to; ++x) {
                const uint32_t a = ((uint32_t(cover[x]) + 1) * uint32_t(color.mAlpha)) >> 8, inv = 256 - a;
                const uint32_t d = out[x];
                uint32_t v = 0;
                for (uint32_t m : masks)
                    v |= uint32_t((uint64_t(d & m) * inv + uint64_t(packed & m) * a) >> 8) & m;
                out[x] = Pixel(v);
            }
        }
    });
    if (locked)
        DeleteAllNonSurfaceData();
}

void DDImage::Blt(Image* source, int x, int y, const Rect& srcRect, const Color& color, int drawMode)
{
    if (mDrawToBits)
        return;
    source->mDrawn = true;
    CommitBits();
    if (Is3DTarget()) {
        Blt3D(source, x, y, srcRect, color, drawMode);
        return;
    }
    const bool cursorArea = this == mDDInterface->mOldCursorAreaImage || this == mDDInterface->mNewCursorAreaImage;
    if (!SurfaceRoute(mHasTrans, cursorArea)) {
        MemoryImage::Blt(source, x, y, srcRect, color, drawMode);
        return;
    }
    DrawOnSurface([&] {
        if (drawMode == DRAWMODE_NORMAL)
            NormalBlt(source, x, y, srcRect, color);
        else if (drawMode == DRAWMODE_ADDITIVE)
            AdditiveBlt(source, x, y, srcRect, color);
    });
}

void DDImage::BltMirror(Image* source, int x, int y, const Rect& srcRect, const Color& color, int drawMode)
{
    if (mDrawToBits)
        return;
    CommitBits();
    if (Is3DTarget()) {
        if (auto* memory = dynamic_cast<MemoryImage*>(source))
            D3D().BltMirror(memory, float(x), float(y), srcRect, color, drawMode, false);
        return;
    }
    // There is no software mirror: an image that cannot draw into a surface
    // keeps its picture untouched.
    if (!SurfaceRoute(false, true))
        return;
    DrawOnSurface([&] {
        if (drawMode == DRAWMODE_NORMAL)
            NormalBltMirror(source, x, y, srcRect, color);
        else if (drawMode == DRAWMODE_ADDITIVE)
            AdditiveBltMirror(source, x, y, srcRect, color);
    });
}

bool DDImage::BeginSurfaceText(HDC* dc)
{
    *dc = nullptr;
    // An image that cannot hold its picture in a surface (translucent
    // pixels) draws its text on the bits.
    if (!GetSurface())
        return false;
    if (mDrawToBits)
        return true;
    if (Is3DTarget()) {
        // The system draws on the target's pixels: the scene's drawing must
        // be finished first.
        D3D().EndSceneIfActive();
    } else {
        FlushBitsToSurface();
        if (mLockCount > 0)
            mSurface->Unlock(nullptr);
    }
    IDirectDrawSurface7* surface7 = nullptr;
    if (SUCCEEDED(mSurface->QueryInterface(IID_IDirectDrawSurface7, reinterpret_cast<void**>(&surface7)))) {
        if (FAILED(surface7->GetDC(dc)))
            *dc = nullptr;
        surface7->Release();
    }
    return true;
}

void DDImage::EndSurfaceText(HDC dc)
{
    if (mDrawToBits || !mSurface)
        return;
    IDirectDrawSurface7* surface7 = nullptr;
    if (dc && SUCCEEDED(mSurface->QueryInterface(IID_IDirectDrawSurface7, reinterpret_cast<void**>(&surface7)))) {
        surface7->ReleaseDC(dc);
        surface7->Release();
    }
    if (!Is3DTarget() && mLockCount > 0)
        mSurface->Lock(nullptr, &mLockedSurfaceDesc, DDLOCK_WAIT, nullptr);
    if (dc)
        DeleteAllNonSurfaceData();
}

void DDImage::FillRect(const Rect& rect, const Color& color, int drawMode)
{
    if (mDrawToBits)
        return;
    CommitBits();
    if (Is3DTarget()) {
        D3D().FillRect(rect, color, drawMode);
        return;
    }
    // Blending into a keyed surface would turn its key colour into a
    // visible one: an image with transparent pixels fills on its bits.
    if (SurfaceRoute(mHasTrans)) {
        DrawOnSurface([&] {
            if (drawMode == DRAWMODE_NORMAL)
                NormalFillRect(rect, color);
            else if (drawMode == DRAWMODE_ADDITIVE)
                AdditiveFillRect(rect, color);
        });
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
    if (Is3DTarget()) {
        D3D().DrawLine(x1, y1, x2, y2, color, drawMode); // not smoothed
        return;
    }
    if (!SurfaceRoute(mHasTrans)) {
        smooth ? MemoryImage::DrawLineAA(x1, y1, x2, y2, color, drawMode)
               : MemoryImage::DrawLine(x1, y1, x2, y2, color, drawMode);
        return;
    }
    // Straight lines are rectangles and take the FillRect route.
    if (y1 == y2) {
        const int left = int(std::min(x1, x2));
        FillRect(Rect(left, int(y1), int(std::max(x1, x2)) - left + 1, 1), color, drawMode);
        return;
    }
    if (x1 == x2) {
        const int top = int(std::min(y1, y2));
        FillRect(Rect(int(x1), top, 1, int(std::max(y1, y2)) - top + 1), color, drawMode);
        return;
    }
    CommitBits();
    DrawOnSurface([&] {
        if (drawMode == DRAWMODE_NORMAL)
            smooth ? NormalDrawLineAA(x1, y1, x2, y2, color) : NormalDrawLine(x1, y1, x2, y2, color);
        else if (drawMode == DRAWMODE_ADDITIVE)
            smooth ? AdditiveDrawLineAA(x1, y1, x2, y2, color) : AdditiveDrawLine(x1, y1, x2, y2, color);
    });
}

namespace {

// Pixel access on a locked surface for the line routines; pixels outside the
// image are left alone (the drawing context hands lines inside it).
template <typename Pixel>
struct SurfacePixels {
    SurfacePixels(const DDSURFACEDESC& desc, int width, int height)
        : base(static_cast<uint8_t*>(desc.lpSurface)), pitch(desc.lPitch), width(width), height(height)
    {
    }
    Pixel* At(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= width || y >= height)
            return nullptr;
        return reinterpret_cast<Pixel*>(base + ptrdiff_t(y) * pitch) + x;
    }
    uint8_t* base;
    long pitch;
    int width;
    int height;
};

// Midpoint stepping of a plain line along its major axis; `draw` gets
// (x, y). The line stops when the minor step leaves the endpoints' box.
template <typename Draw>
void StepLine(double x1, double y1, double x2, double y2, Draw draw)
{
    const double minX = std::min(x1, x2), maxX = std::max(x1, x2);
    const double minY = std::min(y1, y2), maxY = std::max(y1, y2);
    const double dx = x2 - x1, dy = y2 - y1;
    const bool xMajor = std::fabs(dx) > std::fabs(dy);
    // Major (a) and minor (b) axes.
    const double a1 = xMajor ? x1 : y1, b1 = xMajor ? y1 : x1, a2 = xMajor ? x2 : y2, b2 = xMajor ? y2 : x2;
    const double da = a2 - a1, db = b2 - b1;
    const double minA = xMajor ? minX : minY, maxA = xMajor ? maxX : maxY;
    const double minB = xMajor ? minY : minX, maxB = xMajor ? maxY : maxX;
    const bool swap = da < 0;
    const double startA = swap ? a2 : a1, startB = swap ? b2 : b1, endA = swap ? a1 : a2;
    const double DA = swap ? -da : da, DB = swap ? -db : db;
    const int step = DB >= 0 ? 1 : -1;
    const double adb = std::fabs(DB);
    int ai = int(startA), bi = int(startB);
    auto plot = [&](int a, int b) { xMajor ? draw(a, b) : draw(b, a); };
    plot(ai, bi);
    const int incrE = int(2 * adb), incrNE = int(2 * (adb - DA));
    int d = int((startB - bi) * incrE + int(2 * adb - DA));
    for (int ac = ai + 1; ac <= endA; ++ac) {
        if (d > 0) {
            bi += step;
            d += incrNE;
            if (ac < minA || bi < minB || ac > maxA || bi > maxB)
                return;
        } else {
            d += incrE;
        }
        plot(ac, bi);
    }
}

// The line's per-pixel formula: `ph` replaces, else source + destination.
struct LineBlend {
    LineBlend(const DDSURFACEDESC& desc, const Color& color)
    {
        const uint32_t masks[3] = { desc.ddpfPixelFormat.dwRBitMask, desc.ddpfPixelFormat.dwGBitMask,
                                    desc.ddpfPixelFormat.dwBBitMask };
        const int c[3] = { color.mRed, color.mGreen, color.mBlue };
        const uint32_t a = uint32_t(color.mAlpha);
        opaque = a == 255;
        inverse = 256 - a;
        for (int k = 0; k < 3; ++k) {
            m[k] = masks[k];
            const uint32_t cc = opaque ? uint32_t(c[k]) : (uint32_t(c[k]) * a + 128) >> 8;
            source |= (uint32_t(uint64_t(cc) * m[k] + (m[k] >> 1)) >> 8) & m[k];
        }
    }
    uint32_t operator()(uint32_t d) const
    {
        if (opaque)
            return source;
        uint32_t v = source;
        for (uint32_t mask : m)
            v += (uint32_t(uint64_t(d & mask) * inverse + (mask >> 1)) >> 8) & mask;
        return v;
    }
    uint32_t m[3] {};
    uint32_t source = 0;
    uint32_t inverse = 0;
    bool opaque = false;
};

// Per-channel saturating add of the colour through the display's tables.
struct AddBlend {
    AddBlend(const DDInterface& d, const DDSURFACEDESC& desc, const Color& color)
    {
        const uint32_t masks[3] = { desc.ddpfPixelFormat.dwRBitMask, desc.ddpfPixelFormat.dwGBitMask,
                                    desc.ddpfPixelFormat.dwBBitMask };
        const int shifts[3] = { d.mRedShift, d.mGreenShift, d.mBlueShift };
        const int bits[3] = { d.mRedBits, d.mGreenBits, d.mBlueBits };
        const int* tables[3] = { d.mRedAddTable, d.mGreenAddTable, d.mBlueAddTable };
        const int c[3] = { color.mRed, color.mGreen, color.mBlue };
        for (int k = 0; k < 3; ++k)
            ch[k] = { masks[k], shifts[k], tables[k], (c[k] * color.mAlpha / 255) >> (8 - bits[k]) };
        valid = tables[0] && tables[1] && tables[2];
    }
    uint32_t operator()(uint32_t d) const
    {
        uint32_t v = 0;
        for (const Channel3& k : ch)
            v |= uint32_t(k.table[((d & k.mask) >> k.shift) + uint32_t(k.add)]) << k.shift;
        return v;
    }
    struct Channel3 {
        uint32_t mask;
        int shift;
        const int* table;
        int add;
    } ch[3] {};
    bool valid = false;
};

// Blend of the smoothed line at factor a (0..255) of the packed colour.
template <typename Pixel>
struct SmoothBlend {
    SmoothBlend(const DDSURFACEDESC& desc, const Color& color)
    {
        m[0] = desc.ddpfPixelFormat.dwRBitMask;
        m[1] = desc.ddpfPixelFormat.dwGBitMask;
        m[2] = desc.ddpfPixelFormat.dwBBitMask;
        const int c[3] = { color.mRed, color.mGreen, color.mBlue };
        for (int k = 0; k < 3; ++k)
            source |= uint32_t((uint64_t(uint32_t(c[k])) * m[k]) >> 8) & m[k];
        alpha = color.mAlpha;
        if (sizeof(Pixel) == 2 && m[1] == 0x07E0)
            spread = 0x07E0F81F;
        else if (sizeof(Pixel) == 2 && m[1] == 0x03E0)
            spread = 0x03E07C1F;
        spreadSource = ((source << 16) | source) & spread;
    }
    static uint32_t Fold(uint32_t v) { return ((v >> 16) | v) & 0xFFFF; }
    uint32_t operator()(uint32_t d, int weight) const
    {
        const uint32_t a = alpha == 255 ? uint32_t(weight) : (uint32_t(weight) * uint32_t(alpha + 1)) >> 8;
        const uint32_t inv = 256 - a;
        if constexpr (sizeof(Pixel) == 4) {
            uint32_t v = 0;
            for (uint32_t mask : { 0xFF0000u, 0xFF00u, 0xFFu })
                v |= (uint32_t((uint64_t(d & mask) * inv + uint64_t(source & mask) * a) >> 8)) & mask;
            return v;
        }
        if (spread) {
            const uint32_t dd = ((d << 16) | d) & spread;
            return (Fold(((spreadSource * (a >> 3)) >> 5) & spread) + Fold(((dd * (inv >> 3)) >> 5) & spread)) &
                   0xFFFF;
        }
        uint32_t v = 0;
        for (uint32_t mask : m)
            v |= (((d & mask) * inv + (source & mask) * a) >> 8) & mask;
        return v;
    }
    uint32_t m[3] {};
    uint32_t source = 0;
    uint32_t spread = 0;
    uint32_t spreadSource = 0;
    int alpha = 255;
};

// Wu-style line with a 16.16 fraction: each step draws its pixel and the
// minor-axis neighbour, weighted by the fraction. `draw` gets (x, y, weight).
template <typename Draw>
void SmoothLine(double x1, double y1, double x2, double y2, int width, int height, Draw draw)
{
    int xa = int(x1), ya = int(y1), xb = int(x2), yb = int(y2);
    if (ya > yb) {
        std::swap(xa, xb);
        std::swap(ya, yb);
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    int DX = xb - xa;
    const int DY = yb - ya;
    double fdx = x2 - x1;
    const double fdy = y2 - y1;
    int xStep = 1;
    if (DX < 0) {
        DX = -DX;
        fdx = -fdx;
        xStep = -1;
    }
    int e = int(std::fabs(y1 - ya) * std::fabs(x1 - xa) * 65536);
    const bool xMajor = DX >= DY;
    const int count = xMajor ? DX : DY;
    // Only stepped lines need the gradient; their major extent is at least
    // two pixels, so the division is safe.
    const int g = count > 1 ? int((xMajor ? fdy / fdx : fdx / fdy) * 65536) : 0;
    int f = (e >> 8) & 255;
    draw(xa, ya, 255 - f);
    int x = xa, y = ya;
    for (int i = 1; i < count; ++i) {
        e += g;
        if (e >= 0x10000) {
            e &= 0xFFFF;
            xMajor ? ++y : x += xStep;
        }
        xMajor ? x += xStep : ++y;
        f = (e >> 8) & 255;
        draw(x, y, 255 - f);
        if (xMajor ? y < height - 1 : (x + xStep >= 0 && x + xStep < width))
            xMajor ? draw(x, y + 1, f) : draw(x + xStep, y, f);
    }
    draw(xb, yb, 255 - f);
}

} // namespace

void DDImage::NormalFillRect(const Rect& rect, const Color& color)
{
    if (mDrawToBits)
        return;
    const Rect r = rect.Intersection(Rect(0, 0, mWidth, mHeight));
    if (r.mWidth <= 0 || r.mHeight <= 0)
        return;
    OnLockedSurface([&](auto pixel) {
        const DDSURFACEDESC& desc = mLockedSurfaceDesc;
        const Channel ch[3] = { { desc.ddpfPixelFormat.dwRBitMask, uint32_t(color.mRed) },
                                { desc.ddpfPixelFormat.dwGBitMask, uint32_t(color.mGreen) },
                                { desc.ddpfPixelFormat.dwBBitMask, uint32_t(color.mBlue) } };
        FillBlend<decltype(pixel)>(desc, r, ch, color.mAlpha);
    });
}

void DDImage::AdditiveFillRect(const Rect& rect, const Color& color)
{
    if (mDrawToBits)
        return;
    const Rect r = rect.Intersection(Rect(0, 0, mWidth, mHeight));
    if (r.mWidth <= 0 || r.mHeight <= 0)
        return;
    OnLockedSurface([&](auto pixel) {
        using Pixel = decltype(pixel);
        const AddBlend blend(*mDDInterface, mLockedSurfaceDesc, color);
        if (!blend.valid)
            return;
        for (int y = r.mY; y < r.mY + r.mHeight; ++y) {
            Pixel* row = reinterpret_cast<Pixel*>(Row(mLockedSurfaceDesc, y)) + r.mX;
            for (int x = 0; x < r.mWidth; ++x)
                row[x] = Pixel(blend(row[x]));
        }
    });
}

void DDImage::NormalDrawLine(double x1, double y1, double x2, double y2, const Color& color)
{
    if (mDrawToBits)
        return;
    OnLockedSurface([&](auto pixel) {
        using Pixel = decltype(pixel);
        const SurfacePixels<Pixel> surface(mLockedSurfaceDesc, mWidth, mHeight);
        const LineBlend blend(mLockedSurfaceDesc, color);
        StepLine(x1, y1, x2, y2, [&](int x, int y) {
            if (Pixel* p = surface.At(x, y))
                *p = Pixel(blend(*p));
        });
    });
}

void DDImage::AdditiveDrawLine(double x1, double y1, double x2, double y2, const Color& color)
{
    if (mDrawToBits)
        return;
    OnLockedSurface([&](auto pixel) {
        using Pixel = decltype(pixel);
        const SurfacePixels<Pixel> surface(mLockedSurfaceDesc, mWidth, mHeight);
        const AddBlend blend(*mDDInterface, mLockedSurfaceDesc, color);
        if (!blend.valid)
            return;
        StepLine(x1, y1, x2, y2, [&](int x, int y) {
            if (Pixel* p = surface.At(x, y))
                *p = Pixel(blend(*p));
        });
    });
}

void DDImage::NormalDrawLineAA(double x1, double y1, double x2, double y2, const Color& color)
{
    OnLockedSurface([&](auto pixel) {
        using Pixel = decltype(pixel);
        const SurfacePixels<Pixel> surface(mLockedSurfaceDesc, mWidth, mHeight);
        const SmoothBlend<Pixel> blend(mLockedSurfaceDesc, color);
        SmoothLine(x1, y1, x2, y2, mWidth, mHeight, [&](int x, int y, int weight) {
            if (Pixel* p = surface.At(x, y))
                *p = Pixel(blend(*p, weight));
        });
    });
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
