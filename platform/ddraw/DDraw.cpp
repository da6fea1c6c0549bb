#include "platform/ddraw/DDraw.h"

#include "platform/ddraw/D3D.h"
#include "platform/ddraw/SurfaceMemory.h"

#include "platform/WindowSystem.h"
#include "platform/win32/Time.h"
#include "platform/win32/Window.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <optional>

namespace platform {
namespace {

struct Fault {
    std::string method;
    HRESULT result;
    int nth;
};

struct State {
    std::mutex mutex;
    DDrawControls controls;
    std::vector<Fault> faults;
    std::map<std::string, int> counts;
};

State& GetState()
{
    static State state;
    return state;
}

std::atomic<int> gLive { 0 };

// Counts and logs a call; the injected result when one is due, else DD_OK.
HRESULT Enter(const char* method)
{
    State& s = GetState();
    std::lock_guard lock(s.mutex);
    const int n = ++s.counts[method];
    if (s.controls.logCalls)
        s.controls.calls.emplace_back(method);
    for (const Fault& f : s.faults)
        if (f.method == method && (f.nth == 0 || f.nth == n))
            return f.result;
    return DD_OK;
}

PixelLayout LayoutForDepth(int bpp, const PixelLayout& desktop)
{
    if (bpp == desktop.bytesPerPixel * 8)
        return desktop;
    switch (bpp) {
    case 16:
        return { 2, 0xF800, 0x07E0, 0x001F };
    case 32:
        return { 4, 0xFF0000, 0xFF00, 0xFF };
    case 24:
        return { 3, 0xFF0000, 0xFF00, 0xFF };
    default:
        return { 1, 0, 0, 0 };
    }
}

// What the DirectDraw object and its surfaces share: the cooperative level,
// the emulated display mode and the primary.
// The display's refresh as a clock, for a presenter that does not wait for
// the retrace itself: retraces fall on whole multiples of the refresh period
// of the rate the window system reports (60 Hz when it reports none).
uint64_t RefreshPeriodMicros()
{
    const int rate = CurrentBackend().GetWindows().RefreshRate();
    return 1000000 / uint64_t(rate > 0 ? rate : 60);
}

// Sleeps (in whole milliseconds, so up to one late) until the first retrace
// after `after`, unless that has passed already.
void SleepToRetraceAfter(uint64_t after)
{
    Clock& clock = CurrentBackend().GetClock();
    const uint64_t period = RefreshPeriodMicros();
    const uint64_t retrace = (after / period + 1) * period;
    const uint64_t now = clock.NowMicros();
    if (retrace > now)
        clock.SleepMillis(uint32_t((retrace - now + 999) / 1000));
}

struct Device {
    HWND window = nullptr;
    // When the last flip was shown (clock microseconds), for a display
    // that shows one flip per refresh.
    std::optional<uint64_t> lastFlip;
    bool fullscreen = false;
    bool modeSet = false;
    int modeWidth = 0;
    int modeHeight = 0;
    int modeBpp = 0;
    void* primary = nullptr; // SoftSurface*, not owned

    PixelLayout Layout() const
    {
        const PixelLayout desktop = CurrentBackend().GetPresenter().DesktopLayout();
        return modeSet ? LayoutForDepth(modeBpp, desktop) : desktop;
    }
};

class Counted {
public:
    Counted() { ++gLive; }
    virtual ~Counted() { --gLive; }
    ULONG AddRefImpl() { return ++refs_; }
    ULONG ReleaseImpl()
    {
        const ULONG left = --refs_;
        if (left == 0)
            delete this;
        return left;
    }

private:
    std::atomic<ULONG> refs_ { 1 };
};

class SoftClipper final : public IDirectDrawClipper, public Counted {
public:
    HRESULT QueryInterface(REFIID, void** out) override
    {
        if (out)
            *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return AddRefImpl(); }
    ULONG Release() override { return ReleaseImpl(); }
    HRESULT SetHWnd(DWORD, HWND window) override
    {
        if (HRESULT hr = Enter("SetHWnd"); FAILED(hr))
            return hr;
        window_ = window;
        return DD_OK;
    }

private:
    HWND window_ = nullptr;
};

class SoftPalette final : public IDirectDrawPalette, public Counted {
public:
    explicit SoftPalette(const PALETTEENTRY* entries) { std::memcpy(entries_, entries, sizeof(entries_)); }
    HRESULT QueryInterface(REFIID, void** out) override
    {
        if (out)
            *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return AddRefImpl(); }
    ULONG Release() override { return ReleaseImpl(); }
    HRESULT GetEntries(DWORD, DWORD start, DWORD count, PALETTEENTRY* entries) override
    {
        if (!entries || start > 256 || count > 256 - start)
            return DDERR_INVALIDPARAMS;
        std::memcpy(entries, entries_ + start, count * sizeof(PALETTEENTRY));
        return DD_OK;
    }

private:
    PALETTEENTRY entries_[256];
};

// Between a surface's pixels and the text layer's 0x00RRGGBB: each channel's
// top bit moves to bit 23, 15 or 7 and back, the bits below it following
// (widened channels keep 0 below, narrowed ones drop the low bits). Shifts
// fixed per surface, so the row loops vectorise.
class TextChannels {
public:
    explicit TextChannels(const PixelLayout& layout)
        : masks_ { layout.redMask, layout.greenMask, layout.blueMask }
    {
        for (int k = 0; k < 3; ++k) {
            const int top = masks_[k] ? 31 - __builtin_clz(masks_[k]) : 0;
            const int move = (23 - 8 * k) - top;
            up_[k] = move > 0 ? move : 0;
            down_[k] = move < 0 ? -move : 0;
        }
    }
    uint32_t Widen(uint32_t pixel) const
    {
        uint32_t out = 0;
        for (int k = 0; k < 3; ++k)
            out |= ((pixel & masks_[k]) << up_[k]) >> down_[k];
        return out;
    }
    uint32_t Narrow(uint32_t text) const
    {
        uint32_t out = 0;
        for (int k = 0; k < 3; ++k)
            out |= (((text & (0xFF0000u >> (8 * k))) << down_[k]) >> up_[k]) & masks_[k];
        return out;
    }

private:
    uint32_t masks_[3];
    int up_[3];
    int down_[3];
};

// Pixel memory that starts zeroed. calloc hands large blocks over as fresh
// pages the system zeroes on first touch, so a desktop-size surface costs
// nothing until it is drawn on: start-up does not pay for clearing surfaces
// that are mostly overwritten anyway.
class ZeroedBytes {
public:
    ZeroedBytes() = default;
    explicit ZeroedBytes(size_t size)
        : bytes_(static_cast<uint8_t*>(std::calloc(size ? size : 1, 1))), size_(size)
    {
        if (!bytes_)
            throw std::bad_alloc();
    }
    uint8_t* data() { return bytes_.get(); }
    const uint8_t* data() const { return bytes_.get(); }
    size_t size() const { return size_; }
    uint8_t& operator[](size_t i) { return bytes_.get()[i]; }
    const uint8_t& operator[](size_t i) const { return bytes_.get()[i]; }
    void swap(ZeroedBytes& other) noexcept
    {
        bytes_.swap(other.bytes_);
        std::swap(size_, other.size_);
    }

private:
    struct Free {
        void operator()(uint8_t* p) const { std::free(p); }
    };
    std::unique_ptr<uint8_t, Free> bytes_;
    size_t size_ = 0;
};

class SoftSurface final : public IDirectDrawSurface, public IDirectDrawSurface7, public Counted {
public:
    SoftSurface(std::shared_ptr<Device> device, int width, int height, const PixelLayout& layout, DWORD caps,
                const DDPIXELFORMAT* format = nullptr)
        : device_(std::move(device)), width_(width), height_(height), layout_(layout), caps_(caps)
    {
        format_.dwSize = sizeof format_;
        format_.dwFlags = DDPF_RGB;
        format_.dwRGBBitCount = DWORD(layout.bytesPerPixel * 8);
        format_.dwRBitMask = layout.redMask;
        format_.dwGBitMask = layout.greenMask;
        format_.dwBBitMask = layout.blueMask;
        if (format)
            format_ = *format;
        pitch_ = (width * layout.bytesPerPixel + 3) & ~3;
        pixels_ = ZeroedBytes(size_t(pitch_) * size_t(height));
    }

    ~SoftSurface() override
    {
        if (dc_)
            ReleaseDC(dc_);
        if (back_)
            back_->ReleaseImpl();
        if (clipper_)
            clipper_->Release();
        if (palette_)
            palette_->Release();
        if (device_->primary == this)
            device_->primary = nullptr;
    }

    static SoftSurface* From(IDirectDrawSurface* s) { return static_cast<SoftSurface*>(s); }
    static SoftSurface* From(IDirectDrawSurface7* s) { return static_cast<SoftSurface*>(s); }

    void AttachBack(SoftSurface* back) { back_ = back; }

    HRESULT QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return DDERR_INVALIDPARAMS;
        *out = nullptr;
        if (HRESULT hr = Enter("QueryInterface"); FAILED(hr))
            return hr;
        if (iid == IID_IDirectDrawSurface)
            *out = static_cast<IDirectDrawSurface*>(this);
        else if (iid == IID_IDirectDrawSurface7)
            *out = static_cast<IDirectDrawSurface7*>(this);
        else
            return E_NOINTERFACE;
        AddRefImpl();
        return DD_OK;
    }
    ULONG AddRef() override { return AddRefImpl(); }
    ULONG Release() override { return ReleaseImpl(); }

    HRESULT Blt(RECT* dest, IDirectDrawSurface* source, RECT* sourceRect, DWORD flags, DDBLTFX* fx) override
    {
        return BltImpl(dest, From(source), sourceRect, flags, fx);
    }
    HRESULT Blt(RECT* dest, IDirectDrawSurface7* source, RECT* sourceRect, DWORD flags, DDBLTFX* fx) override
    {
        return BltImpl(dest, From(source), sourceRect, flags, fx);
    }
    HRESULT Flip(IDirectDrawSurface*, DWORD) override { return FlipImpl(); }
    HRESULT Flip(IDirectDrawSurface7*, DWORD) override { return FlipImpl(); }

    HRESULT GetAttachedSurface(DDSCAPS* caps, IDirectDrawSurface** out) override
    {
        if (!caps || !out)
            return DDERR_INVALIDPARAMS;
        SoftSurface* s = Attached(caps->dwCaps);
        *out = s;
        return s ? DD_OK : DDERR_NOTFOUND;
    }
    HRESULT GetAttachedSurface(DDSCAPS2* caps, IDirectDrawSurface7** out) override
    {
        if (!caps || !out)
            return DDERR_INVALIDPARAMS;
        SoftSurface* s = Attached(caps->dwCaps);
        *out = s;
        return s ? DD_OK : DDERR_NOTFOUND;
    }

    HRESULT GetSurfaceDesc(DDSURFACEDESC* desc) override { return Describe(desc); }
    HRESULT GetSurfaceDesc(DDSURFACEDESC2* desc) override { return Describe(desc); }

    HRESULT Lock(RECT* rect, DDSURFACEDESC* desc, DWORD, HANDLE) override { return LockImpl(rect, desc); }
    HRESULT Lock(RECT* rect, DDSURFACEDESC2* desc, DWORD, HANDLE) override { return LockImpl(rect, desc); }
    HRESULT Unlock(void*) override { return UnlockImpl(); }
    HRESULT Unlock(RECT*) override { return UnlockImpl(); }

    HRESULT SetClipper(IDirectDrawClipper* clipper) override
    {
        if (clipper)
            clipper->AddRef();
        if (clipper_)
            clipper_->Release();
        clipper_ = clipper;
        return DD_OK;
    }

    HRESULT SetColorKey(DWORD flags, DDCOLORKEY* key) override
    {
        if (!(flags & DDCKEY_SRCBLT))
            return DDERR_INVALIDPARAMS;
        hasKey_ = key != nullptr;
        key_ = key ? key->dwColorSpaceLowValue : 0;
        return DD_OK;
    }

    HRESULT SetPalette(IDirectDrawPalette* palette) override
    {
        texelsStale_ = true;
        if (palette)
            palette->AddRef();
        if (palette_)
            palette_->Release();
        palette_ = palette;
        return DD_OK;
    }

    HRESULT GetDC(HDC* dc) override
    {
        if (!dc)
            return DDERR_INVALIDPARAMS;
        *dc = nullptr;
        if (HRESULT hr = Enter("GetDC"); FAILED(hr))
            return hr;
        if (dc_)
            return DDERR_DCALREADYCREATED;
        if (locked_)
            return DDERR_SURFACEBUSY;
        if (layout_.bytesPerPixel != 2 && layout_.bytesPerPixel != 4)
            return DDERR_CANTCREATEDC;
        BITMAPINFO info {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width_;
        info.bmiHeader.biHeight = -height_;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HDC memory = CreateCompatibleDC(nullptr);
        HBITMAP bitmap = memory ? CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
        if (!bitmap) {
            if (memory)
                DeleteDC(memory);
            return DDERR_CANTCREATEDC;
        }
        // The text layer draws on 32-bit 0x00RRGGBB pixels: the surface's
        // pixels are widened into them and narrowed back on release.
        auto* out = static_cast<uint32_t*>(bits);
        const TextChannels channels(layout_);
        if (layout_.bytesPerPixel == 2)
            EachTextRow<uint16_t>(out, [&](uint16_t* row, uint32_t* text) {
                for (int x = 0; x < width_; ++x)
                    text[x] = channels.Widen(row[x]);
            });
        else
            EachTextRow<uint32_t>(out, [&](uint32_t* row, uint32_t* text) {
                for (int x = 0; x < width_; ++x)
                    text[x] = channels.Widen(row[x]);
            });
        SelectObject(memory, reinterpret_cast<HGDIOBJ>(bitmap));
        dc_ = memory;
        dcBitmap_ = bitmap;
        dcBits_ = out;
        locked_ = true;
        texelsStale_ = true;
        *dc = memory;
        return DD_OK;
    }

    HRESULT ReleaseDC(HDC dc) override
    {
        if (!dc_ || dc != dc_)
            return DDERR_NODC;
        const TextChannels channels(layout_);
        if (layout_.bytesPerPixel == 2)
            EachTextRow<uint16_t>(dcBits_, [&](uint16_t* row, const uint32_t* text) {
                for (int x = 0; x < width_; ++x)
                    row[x] = uint16_t(channels.Narrow(text[x]));
            });
        else
            EachTextRow<uint32_t>(dcBits_, [&](uint32_t* row, const uint32_t* text) {
                for (int x = 0; x < width_; ++x)
                    row[x] = channels.Narrow(text[x]);
            });
        DeleteDC(dc_);
        DeleteObject(reinterpret_cast<HGDIOBJ>(dcBitmap_));
        dc_ = nullptr;
        dcBitmap_ = nullptr;
        dcBits_ = nullptr;
        locked_ = false;
        return DD_OK;
    }

    void View(SurfaceMemory& out)
    {
        out.pixels = pixels_.data();
        out.pitch = pitch_;
        out.width = width_;
        out.height = height_;
        out.format = format_;
        out.caps = caps_;
    }

    const uint32_t* Texels()
    {
        const DDPIXELFORMAT& f = format_;
        if (f.dwRGBBitCount == 32 && f.dwRGBAlphaBitMask == 0xFF000000u && f.dwRBitMask == 0xFF0000 &&
            f.dwGBitMask == 0xFF00 && f.dwBBitMask == 0xFF)
            return reinterpret_cast<const uint32_t*>(pixels_.data());
        if (!texelsStale_)
            return texels_.data();
        texels_.resize(size_t(width_) * size_t(height_));
        uint32_t* out = texels_.data();
        if (f.dwFlags & DDPF_PALETTEINDEXED8) {
            PALETTEENTRY entries[256] {};
            if (palette_)
                palette_->GetEntries(0, 0, 256, entries);
            uint32_t table[256];
            for (int i = 0; i < 256; ++i)
                table[i] = uint32_t(entries[i].peFlags) << 24 | uint32_t(entries[i].peRed) << 16 |
                           uint32_t(entries[i].peGreen) << 8 | entries[i].peBlue;
            for (int y = 0; y < height_; ++y)
                for (int x = 0; x < width_; ++x)
                    *out++ = table[pixels_[size_t(y) * size_t(pitch_) + size_t(x)]];
        } else {
            auto widen = [](uint32_t v, uint32_t mask) -> uint32_t {
                if (!mask)
                    return 255;
                const int low = __builtin_ctz(mask), bits = 32 - __builtin_clz(mask) - low;
                uint32_t c = (v & mask) >> low;
                if (bits >= 8)
                    return c >> (bits - 8);
                uint32_t wide = 0;
                for (int filled = 0; filled < 8; filled += bits)
                    wide = wide << bits | c;
                return wide >> ((8 + bits - 1) / bits * bits - 8);
            };
            for (int y = 0; y < height_; ++y)
                for (int x = 0; x < width_; ++x) {
                    const uint32_t v = Read(x, y);
                    *out++ = widen(v, f.dwRGBAlphaBitMask) << 24 | widen(v, f.dwRBitMask) << 16 |
                             widen(v, f.dwGBitMask) << 8 | widen(v, f.dwBBitMask);
                }
        }
        texelsStale_ = false;
        return texels_.data();
    }

private:
    // Calls fn(surface row, text-layer row) for every row; the text layer's
    // rows are the surface's width apart.
    template <typename Pixel, typename Fn>
    void EachTextRow(uint32_t* text, Fn fn)
    {
        for (int y = 0; y < height_; ++y)
            fn(reinterpret_cast<Pixel*>(pixels_.data() + ptrdiff_t(y) * pitch_), text + size_t(y) * size_t(width_));
    }

    uint32_t Read(int x, int y) const
    {
        uint32_t v = 0;
        std::memcpy(&v, pixels_.data() + ptrdiff_t(y) * pitch_ + ptrdiff_t(x) * layout_.bytesPerPixel,
                    size_t(layout_.bytesPerPixel));
        return v;
    }
    void Write(int x, int y, uint32_t v)
    {
        std::memcpy(pixels_.data() + ptrdiff_t(y) * pitch_ + ptrdiff_t(x) * layout_.bytesPerPixel, &v,
                    size_t(layout_.bytesPerPixel));
    }

    SoftSurface* Attached(DWORD caps)
    {
        if (!(caps & DDSCAPS_BACKBUFFER) || !back_)
            return nullptr;
        back_->AddRefImpl();
        return back_;
    }

    template <typename Desc>
    void Fill(Desc* desc)
    {
        desc->dwFlags |= DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT;
        desc->dwWidth = DWORD(width_);
        desc->dwHeight = DWORD(height_);
        desc->lPitch = pitch_;
        desc->dwBackBufferCount = back_ ? 1 : 0;
        desc->ddpfPixelFormat = format_;
        desc->ddsCaps.dwCaps = caps_;
        desc->ddckCKSrcBlt = { key_, key_ };
    }

    template <typename Desc>
    HRESULT Describe(Desc* desc)
    {
        if (!desc)
            return DDERR_INVALIDPARAMS;
        if (HRESULT hr = Enter("GetSurfaceDesc"); FAILED(hr))
            return hr;
        Fill(desc);
        desc->lpSurface = nullptr;
        return DD_OK;
    }

    template <typename Desc>
    HRESULT LockImpl(RECT* rect, Desc* desc)
    {
        if (!desc)
            return DDERR_INVALIDPARAMS;
        if (HRESULT hr = Enter("Lock"); FAILED(hr))
            return hr;
        if (locked_)
            return DDERR_SURFACEBUSY;
        uint8_t* p = pixels_.data();
        if (rect) {
            if (!Inside(*rect))
                return DDERR_INVALIDRECT;
            p += ptrdiff_t(rect->top) * pitch_ + ptrdiff_t(rect->left) * layout_.bytesPerPixel;
        }
        Fill(desc);
        desc->lpSurface = p;
        locked_ = true;
        texelsStale_ = true;
        return DD_OK;
    }

    HRESULT UnlockImpl()
    {
        if (!locked_)
            return DDERR_NOTLOCKED;
        locked_ = false;
        return DD_OK;
    }

    bool Inside(const RECT& r) const
    {
        return r.left >= 0 && r.top >= 0 && r.left <= r.right && r.top <= r.bottom && r.right <= width_ &&
               r.bottom <= height_;
    }

    HRESULT BltImpl(RECT* destRect, SoftSurface* src, RECT* srcRect, DWORD flags, DDBLTFX*)
    {
        if (HRESULT hr = Enter("Blt"); FAILED(hr))
            return hr;
        if (!src)
            return DDERR_INVALIDPARAMS;
        if (locked_ || src->locked_)
            return DDERR_SURFACEBUSY;
        if (src->layout_.bytesPerPixel != layout_.bytesPerPixel)
            return DDERR_INVALIDPIXELFORMAT;
        RECT d = destRect ? *destRect : RECT { 0, 0, width_, height_ };
        RECT s = srcRect ? *srcRect : RECT { 0, 0, src->width_, src->height_ };
        if (d.right < d.left || d.bottom < d.top || !src->Inside(s))
            return DDERR_INVALIDRECT;
        const RECT full = d;
        if (clipper_) {
            d.left = std::max<LONG>(d.left, 0);
            d.top = std::max<LONG>(d.top, 0);
            d.right = std::min<LONG>(d.right, width_);
            d.bottom = std::min<LONG>(d.bottom, height_);
        } else if (!Inside(d)) {
            return DDERR_INVALIDRECT;
        }
        texelsStale_ = true;
        // Blits within one surface read from a copy.
        std::vector<uint8_t> copy;
        const uint8_t* from = src->pixels_.data();
        if (src == this) {
            copy.assign(pixels_.data(), pixels_.data() + pixels_.size());
            from = copy.data();
        }
        const int bpp = layout_.bytesPerPixel;
        const int64_t fw = full.right - full.left, fh = full.bottom - full.top;
        const int64_t sw = s.right - s.left, sh = s.bottom - s.top;
        const bool keyed = (flags & DDBLT_KEYSRC) && src->hasKey_;
        const uint32_t rgb = src->layout_.redMask | src->layout_.greenMask | src->layout_.blueMask;
        const bool plain = !keyed && fw == sw && fh == sh;
        for (LONG y = d.top; y < d.bottom; ++y) {
            const int64_t sy = s.top + (fh == sh ? y - full.top : (y - full.top) * sh / fh);
            const uint8_t* srow = from + sy * src->pitch_;
            uint8_t* drow = pixels_.data() + ptrdiff_t(y) * pitch_;
            if (plain) {
                std::memcpy(drow + ptrdiff_t(d.left) * bpp, srow + (s.left + d.left - full.left) * bpp,
                            size_t(d.right - d.left) * bpp);
                continue;
            }
            for (LONG x = d.left; x < d.right; ++x) {
                const int64_t sx = s.left + (fw == sw ? x - full.left : (x - full.left) * sw / fw);
                uint32_t p = 0;
                std::memcpy(&p, srow + sx * bpp, size_t(bpp));
                if (keyed && (p & rgb) == src->key_)
                    continue;
                std::memcpy(drow + ptrdiff_t(x) * bpp, &p, size_t(bpp));
            }
        }
        if (device_->primary == this) {
            shownWidth_ = std::max<int>(shownWidth_, d.right);
            shownHeight_ = std::max<int>(shownHeight_, d.bottom);
            Present();
        }
        return DD_OK;
    }

    HRESULT FlipImpl()
    {
        if (HRESULT hr = Enter("Flip"); FAILED(hr))
            return hr;
        if (!back_ || device_->primary != this)
            return DDERR_NOTFLIPPABLE;
        if (locked_ || back_->locked_)
            return DDERR_SURFACEBUSY;
        // A flip is shown at a retrace, one per refresh: a second flip in
        // the refresh of the one before waits for the next retrace.
        if (!CurrentBackend().GetPresenter().HasVSync()) {
            if (device_->lastFlip)
                SleepToRetraceAfter(*device_->lastFlip);
            device_->lastFlip = CurrentBackend().GetClock().NowMicros();
        }
        pixels_.swap(back_->pixels_);
        texelsStale_ = back_->texelsStale_ = true;
        Present();
        return DD_OK;
    }

    // A full-screen primary shows all of itself. A windowed one is the
    // desktop: it shows the window's client area, or, for a window the
    // window system does not know, what the blits into it have covered.
    void Present()
    {
        if (layout_.bytesPerPixel != 2 && layout_.bytesPerPixel != 4)
            return;
        int x = 0, y = 0, w = width_, h = height_;
        const bool full = device_->fullscreen;
        if (!full) {
            RECT client {};
            POINT origin { 0, 0 };
            if (GetClientRect(device_->window, &client) && ClientToScreen(device_->window, &origin) &&
                client.right > 0 && client.bottom > 0) {
                x = std::clamp<int>(origin.x, 0, width_);
                y = std::clamp<int>(origin.y, 0, height_);
                w = std::min<int>(client.right, width_ - x);
                h = std::min<int>(client.bottom, height_ - y);
            } else {
                w = shownWidth_;
                h = shownHeight_;
            }
        }
        if (w <= 0 || h <= 0)
            return;
        CurrentBackend().GetPresenter().Present(pixels_.data() + ptrdiff_t(y) * pitch_ + ptrdiff_t(x) * layout_.bytesPerPixel,
                                                pitch_, w, h, layout_, full);
    }

    std::shared_ptr<Device> device_;
    int width_;
    int height_;
    PixelLayout layout_;
    DWORD caps_;
    DDPIXELFORMAT format_ {};
    int pitch_ = 0;
    ZeroedBytes pixels_;
    std::vector<uint32_t> texels_;
    bool texelsStale_ = true;
    bool locked_ = false;
    bool hasKey_ = false;
    DWORD key_ = 0;
    SoftSurface* back_ = nullptr; // one reference owned
    IDirectDrawClipper* clipper_ = nullptr;
    IDirectDrawPalette* palette_ = nullptr;
    int shownWidth_ = 0;
    int shownHeight_ = 0;
    HDC dc_ = nullptr;
    HBITMAP dcBitmap_ = nullptr;
    uint32_t* dcBits_ = nullptr;
};

class SoftDirectDraw final : public IDirectDraw, public IDirectDraw7, public Counted {
public:
    SoftDirectDraw() : device_(std::make_shared<Device>()) {}

    HRESULT QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return DDERR_INVALIDPARAMS;
        *out = nullptr;
        if (HRESULT hr = Enter("QueryInterface"); FAILED(hr))
            return hr;
        if (iid == IID_IDirectDraw)
            *out = static_cast<IDirectDraw*>(this);
        else if (iid == IID_IDirectDraw7)
            *out = static_cast<IDirectDraw7*>(this);
        else if (iid == IID_IDirect3D7 && GetState().controls.d3dAvailable)
            return CreateSoftDirect3D(static_cast<IDirectDraw7*>(this), reinterpret_cast<IDirect3D7**>(out));
        else
            return E_NOINTERFACE;
        AddRefImpl();
        return DD_OK;
    }
    ULONG AddRef() override { return AddRefImpl(); }
    ULONG Release() override { return ReleaseImpl(); }

    HRESULT CreateClipper(DWORD, IDirectDrawClipper** out, IUnknown*) override
    {
        if (!out)
            return DDERR_INVALIDPARAMS;
        *out = nullptr;
        if (HRESULT hr = Enter("CreateClipper"); FAILED(hr))
            return hr;
        *out = new SoftClipper;
        return DD_OK;
    }

    HRESULT CreatePalette(DWORD flags, PALETTEENTRY* entries, IDirectDrawPalette** out, IUnknown*) override
    {
        if (!out || !entries || !(flags & DDPCAPS_8BIT))
            return DDERR_INVALIDPARAMS;
        *out = new SoftPalette(entries);
        return DD_OK;
    }

    HRESULT CreateSurface(DDSURFACEDESC* desc, IDirectDrawSurface** out, IUnknown*) override
    {
        if (!desc || !out)
            return DDERR_INVALIDPARAMS;
        SoftSurface* s = nullptr;
        HRESULT hr = Make(*desc, s);
        *out = s;
        return hr;
    }
    HRESULT CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface7** out, IUnknown*) override
    {
        if (!desc || !out)
            return DDERR_INVALIDPARAMS;
        SoftSurface* s = nullptr;
        HRESULT hr = Make(*desc, s);
        *out = s;
        return hr;
    }

    HRESULT FlipToGDISurface() override { return Enter("FlipToGDISurface"); }

    HRESULT GetAvailableVidMem(DDSCAPS2*, DWORD* total, DWORD* free) override
    {
        constexpr DWORD kVideoMemory = 256u << 20;
        if (total)
            *total = kVideoMemory;
        if (free)
            *free = kVideoMemory;
        return DD_OK;
    }

    HRESULT GetDeviceIdentifier(DDDEVICEIDENTIFIER2* id, DWORD) override
    {
        if (!id)
            return DDERR_INVALIDPARAMS;
        if (HRESULT hr = Enter("GetDeviceIdentifier"); FAILED(hr))
            return hr;
        *id = {};
        // The driver file is the running program: its date is the build's.
        char self[512] {};
        const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
        std::snprintf(id->szDriver, sizeof id->szDriver, "%s", n > 0 ? self : "/proc/self/exe");
        std::snprintf(id->szDescription, sizeof id->szDescription, "%s", kSoftAdapterDescription);
        id->guidDeviceIdentifier = SoftAdapterGuid();
        return DD_OK;
    }

    HRESULT GetMonitorFrequency(DWORD* hz) override
    {
        if (!hz)
            return DDERR_INVALIDPARAMS;
        if (HRESULT hr = Enter("GetMonitorFrequency"); FAILED(hr))
            return hr;
        const int rate = CurrentBackend().GetWindows().RefreshRate();
        if (rate <= 0)
            return DDERR_UNSUPPORTED;
        *hz = DWORD(rate);
        return DD_OK;
    }

    HRESULT GetScanLine(DWORD* line) override
    {
        if (!line)
            return DDERR_INVALIDPARAMS;
        Enter("GetScanLine");
        std::function<HRESULT(DWORD*)> source;
        {
            State& s = GetState();
            std::lock_guard lock(s.mutex);
            source = s.controls.scanLine;
        }
        return source ? source(line) : DDERR_UNSUPPORTED;
    }

    HRESULT RestoreDisplayMode() override
    {
        device_->modeSet = false;
        return DD_OK;
    }

    HRESULT SetCooperativeLevel(HWND window, DWORD flags) override
    {
        if (HRESULT hr = Enter("SetCooperativeLevel"); FAILED(hr))
            return hr;
        const bool full = (flags & DDSCL_FULLSCREEN) != 0;
        if (full != ((flags & DDSCL_EXCLUSIVE) != 0) || (full && (flags & DDSCL_NORMAL)))
            return DDERR_INVALIDPARAMS;
        device_->window = window;
        device_->fullscreen = full;
        if (!full)
            device_->modeSet = false;
        return DD_OK;
    }

    HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bpp) override
    {
        if (HRESULT hr = Enter("SetDisplayMode"); FAILED(hr))
            return hr;
        if (width == 0 || height == 0 || width > 16384 || height > 16384 ||
            (bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32))
            return DDERR_INVALIDMODE;
        int forced;
        {
            State& s = GetState();
            std::lock_guard lock(s.mutex);
            forced = s.controls.forcedModeDepth;
        }
        device_->modeSet = true;
        device_->modeWidth = int(width);
        device_->modeHeight = int(height);
        device_->modeBpp = forced ? forced : int(bpp);
        return DD_OK;
    }

    HRESULT WaitForVerticalBlank(DWORD, HANDLE) override
    {
        if (HRESULT hr = Enter("WaitForVerticalBlank"); FAILED(hr))
            return hr;
        if (!CurrentBackend().GetPresenter().HasVSync())
            SleepToRetraceAfter(CurrentBackend().GetClock().NowMicros());
        return DD_OK;
    }

private:
    template <typename Desc>
    HRESULT Make(const Desc& desc, SoftSurface*& out)
    {
        if (HRESULT hr = Enter("CreateSurface"); FAILED(hr))
            return hr;
        const DWORD caps = (desc.dwFlags & DDSD_CAPS) ? desc.ddsCaps.dwCaps : 0;
        const PixelLayout display = device_->Layout();
        if (caps & DDSCAPS_PRIMARYSURFACE) {
            if (device_->primary)
                return DDERR_PRIMARYSURFACEALREADYEXISTS;
            const DesktopRect desktop = CurrentBackend().GetWindows().Screen();
            const bool mode = device_->modeSet;
            const int w = mode ? device_->modeWidth : desktop.width;
            const int h = mode ? device_->modeHeight : desktop.height;
            const bool flipping = (caps & DDSCAPS_FLIP) && (desc.dwFlags & DDSD_BACKBUFFERCOUNT);
            if (flipping && (!device_->fullscreen || desc.dwBackBufferCount != 1))
                return flipping && !device_->fullscreen ? DDERR_NOEXCLUSIVEMODE : DDERR_INVALIDPARAMS;
            auto* primary = new SoftSurface(device_, w, h, display, caps | DDSCAPS_FRONTBUFFER);
            if (flipping)
                primary->AttachBack(new SoftSurface(device_, w, h, display,
                                                    (caps & ~(DDSCAPS_PRIMARYSURFACE)) | DDSCAPS_BACKBUFFER));
            device_->primary = primary;
            out = primary;
            return DD_OK;
        }
        if (!(desc.dwFlags & DDSD_WIDTH) || !(desc.dwFlags & DDSD_HEIGHT) || desc.dwWidth == 0 ||
            desc.dwHeight == 0)
            return DDERR_INVALIDPARAMS;
        if (desc.dwWidth > 16384 || desc.dwHeight > 16384)
            return DDERR_OUTOFMEMORY;
        PixelLayout layout = display;
        const DDPIXELFORMAT* format = nullptr;
        if (desc.dwFlags & DDSD_PIXELFORMAT) {
            const DDPIXELFORMAT& pf = desc.ddpfPixelFormat;
            const bool indexed = (pf.dwFlags & DDPF_PALETTEINDEXED8) && pf.dwRGBBitCount == 8;
            if (!(pf.dwFlags & DDPF_RGB) || (pf.dwRGBBitCount != 16 && pf.dwRGBBitCount != 32 && !indexed))
                return DDERR_INVALIDPIXELFORMAT;
            if (indexed && !(caps & DDSCAPS_TEXTURE))
                return DDERR_INVALIDPIXELFORMAT;
            layout = { int(pf.dwRGBBitCount / 8), pf.dwRBitMask, pf.dwGBitMask, pf.dwBBitMask };
            format = &pf;
        }
        out = new SoftSurface(device_, int(desc.dwWidth), int(desc.dwHeight), layout, caps, format);
        return DD_OK;
    }

    std::shared_ptr<Device> device_;
};

} // namespace

void DDrawControls::FailCall(const std::string& method, HRESULT result, int nth)
{
    // Called by tests on the controls they got from DDraw(); the lock guards
    // against calls running on other threads.
    State& s = GetState();
    std::lock_guard lock(s.mutex);
    s.faults.push_back({ method, result, nth });
}

DDrawControls& DDraw() { return GetState().controls; }

void ResetDDraw()
{
    State& s = GetState();
    std::lock_guard lock(s.mutex);
    s.controls = DDrawControls();
    s.faults.clear();
    s.counts.clear();
}

int DDrawLiveObjects() { return gLive; }

bool GetSurfaceMemory(IDirectDrawSurface7* surface, SurfaceMemory& out)
{
    if (!surface)
        return false;
    SoftSurface::From(surface)->View(out);
    return true;
}

const uint32_t* GetSurfaceTexels(IDirectDrawSurface7* surface)
{
    return surface ? SoftSurface::From(surface)->Texels() : nullptr;
}

HRESULT DDrawEnter(const char* method) { return Enter(method); }

GUID SoftAdapterGuid() { return { 0x4B49564F, 0x5346, 0x5452, { 0x41, 0x53, 0x54, 0x45, 0x52, 0x49, 0x5A, 0x45 } }; }

} // namespace platform

HRESULT DirectDrawCreate(GUID*, IDirectDraw** out, IUnknown* outer)
{
    if (!out)
        return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (outer)
        return static_cast<HRESULT>(0x80040110); // no aggregation
    if (HRESULT hr = platform::Enter("DirectDrawCreate"); FAILED(hr))
        return hr;
    *out = new platform::SoftDirectDraw;
    return DD_OK;
}

HRESULT DirectDrawCreateEx(GUID*, void** out, REFIID iid, IUnknown* outer)
{
    if (!out)
        return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (outer)
        return static_cast<HRESULT>(0x80040110);
    if (!(iid == IID_IDirectDraw7))
        return DDERR_INVALIDPARAMS;
    if (HRESULT hr = platform::Enter("DirectDrawCreateEx"); FAILED(hr))
        return hr;
    *out = static_cast<IDirectDraw7*>(new platform::SoftDirectDraw);
    return DD_OK;
}
