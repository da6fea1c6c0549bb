#include "platform/ddraw/D3D.h"
#include "platform/headless/HeadlessBackend.h"
#include "platform/win32/Modules.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

template <typename T>
T Sized()
{
    T t {};
    t.dwSize = sizeof t;
    return t;
}

class DDrawTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(platform::UseBackend("headless"));
        platform::ResetDDraw();
        baseline_ = platform::DDrawLiveObjects();
        ASSERT_EQ(DirectDrawCreate(nullptr, &dd_, nullptr), DD_OK);
    }
    void TearDown() override
    {
        if (dd_)
            dd_->Release();
        platform::ResetDDraw();
        EXPECT_EQ(platform::DDrawLiveObjects(), baseline_);
    }

    platform::MemoryPresenter& Presenter() { return platform::HeadlessBackend::Current()->presenter; }

    IDirectDrawSurface* Offscreen(int w, int h)
    {
        DDSURFACEDESC desc {};
        desc.dwSize = sizeof desc;
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.dwWidth = DWORD(w);
        desc.dwHeight = DWORD(h);
        desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
        IDirectDrawSurface* s = nullptr;
        EXPECT_EQ(dd_->CreateSurface(&desc, &s, nullptr), DD_OK);
        return s;
    }

    // Pixel (x, y) of a 32-bit surface; writes it when `value` is given.
    static uint32_t Pixel(IDirectDrawSurface* s, int x, int y, const uint32_t* value = nullptr)
    {
        DDSURFACEDESC desc {};
        desc.dwSize = sizeof desc;
        EXPECT_EQ(s->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
        auto* p = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(desc.lpSurface) + y * desc.lPitch) + x;
        if (value)
            *p = *value;
        const uint32_t v = *p;
        s->Unlock(nullptr);
        return v;
    }

    IDirectDraw* dd_ = nullptr;
    int baseline_ = 0;
};

TEST_F(DDrawTest, ModuleOffersBothEntryPoints)
{
    HMODULE module = LoadLibraryA("DDRAW.DLL");
    ASSERT_NE(module, nullptr);
    EXPECT_NE(GetProcAddress(module, "DirectDrawCreate"), nullptr);
    auto createEx = reinterpret_cast<LPDIRECTDRAWCREATEEX>(GetProcAddress(module, "DirectDrawCreateEx"));
    ASSERT_NE(createEx, nullptr);
    void* dd7 = nullptr;
    EXPECT_EQ(createEx(nullptr, &dd7, IID_IDirectDraw, nullptr), DDERR_INVALIDPARAMS);
    ASSERT_EQ(createEx(nullptr, &dd7, IID_IDirectDraw7, nullptr), DD_OK);
    // One object behind both versions, one reference count.
    IDirectDraw* v1 = nullptr;
    ASSERT_EQ(static_cast<IDirectDraw7*>(dd7)->QueryInterface(IID_IDirectDraw, reinterpret_cast<void**>(&v1)), DD_OK);
    // Direct3D 7 comes from the same object and holds a reference to it.
    void* d3d = nullptr;
    ASSERT_EQ(v1->QueryInterface(IID_IDirect3D7, &d3d), DD_OK);
    EXPECT_EQ(static_cast<IDirect3D7*>(d3d)->Release(), 0u);
    platform::DDraw().d3dAvailable = false;
    EXPECT_EQ(v1->QueryInterface(IID_IDirect3D7, &d3d), E_NOINTERFACE);
    EXPECT_EQ(d3d, nullptr);
    EXPECT_EQ(v1->Release(), 1u);
    EXPECT_EQ(static_cast<IDirectDraw7*>(dd7)->Release(), 0u);
    FreeLibrary(module);
}

TEST_F(DDrawTest, SurfacesLockInTheDesktopLayout)
{
    Presenter().SetDesktopLayout({ 2, 0x7C00, 0x03E0, 0x001F });
    IDirectDrawSurface* s = Offscreen(3, 2);
    DDSURFACEDESC desc {};
    desc.dwSize = sizeof desc;
    ASSERT_EQ(s->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(desc.dwWidth, 3u);
    EXPECT_EQ(desc.dwHeight, 2u);
    EXPECT_GE(desc.lPitch, 6);
    EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 16u);
    EXPECT_EQ(desc.ddpfPixelFormat.dwRBitMask, 0x7C00u);
    EXPECT_NE(desc.lpSurface, nullptr);
    auto again = Sized<DDSURFACEDESC>();
    EXPECT_EQ(s->Lock(nullptr, &again, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
    EXPECT_EQ(s->Unlock(nullptr), DD_OK);
    EXPECT_EQ(s->Unlock(nullptr), DDERR_NOTLOCKED);
    s->Release();
}

TEST_F(DDrawTest, BltCopiesStretchesAndSkipsTheSourceKey)
{
    IDirectDrawSurface* src = Offscreen(2, 1);
    IDirectDrawSurface* dst = Offscreen(4, 2);
    const uint32_t red = 0xFF0000, key = 0x000001;
    Pixel(src, 0, 0, &red);
    Pixel(src, 1, 0, &key);
    auto fx = Sized<DDBLTFX>();
    RECT whole { 0, 0, 4, 2 };
    ASSERT_EQ(dst->Blt(&whole, src, nullptr, DDBLT_WAIT, &fx), DD_OK);
    EXPECT_EQ(Pixel(dst, 1, 1), red);
    EXPECT_EQ(Pixel(dst, 2, 0), key);

    const uint32_t blue = 0xFF;
    for (int x = 0; x < 4; ++x)
        Pixel(dst, x, 0, &blue);
    DDCOLORKEY ck { key, key };
    ASSERT_EQ(src->SetColorKey(DDCKEY_SRCBLT, &ck), DD_OK);
    ASSERT_EQ(dst->Blt(&whole, src, nullptr, DDBLT_WAIT | DDBLT_KEYSRC, &fx), DD_OK);
    EXPECT_EQ(Pixel(dst, 0, 0), red);
    EXPECT_EQ(Pixel(dst, 3, 0), blue);

    struct Case {
        RECT dest;
        RECT source;
        HRESULT result;
    } cases[] = {
        { { 3, 0, 5, 1 }, { 0, 0, 2, 1 }, DDERR_INVALIDRECT }, // past the right edge, no clipper
        { { -1, 0, 1, 1 }, { 0, 0, 2, 1 }, DDERR_INVALIDRECT },
        { { 0, 0, 2, 1 }, { 0, 0, 3, 1 }, DDERR_INVALIDRECT }, // outside the source
        { { 2, 0, 1, 1 }, { 0, 0, 2, 1 }, DDERR_INVALIDRECT }, // inverted
    };
    for (Case& c : cases)
        EXPECT_EQ(dst->Blt(&c.dest, src, &c.source, DDBLT_WAIT, &fx), c.result);

    auto desc = Sized<DDSURFACEDESC>();
    ASSERT_EQ(dst->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(dst->Blt(nullptr, src, nullptr, DDBLT_WAIT, &fx), DDERR_SURFACEBUSY);
    dst->Unlock(nullptr);
    src->Release();
    dst->Release();
}

TEST_F(DDrawTest, WindowedPrimaryPresentsWhatItIsGiven)
{
    ASSERT_EQ(dd_->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
    auto desc = Sized<DDSURFACEDESC>();
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    IDirectDrawSurface* primary = nullptr;
    ASSERT_EQ(dd_->CreateSurface(&desc, &primary, nullptr), DD_OK);
    IDirectDrawSurface* second = nullptr;
    EXPECT_EQ(dd_->CreateSurface(&desc, &second, nullptr), DDERR_PRIMARYSURFACEALREADYEXISTS);
    IDirectDrawClipper* clipper = nullptr;
    ASSERT_EQ(dd_->CreateClipper(0, &clipper, nullptr), DD_OK);
    primary->SetClipper(clipper);
    clipper->Release();

    IDirectDrawSurface* frame = Offscreen(4, 3);
    const uint32_t green = 0x00FF00;
    Pixel(frame, 3, 2, &green);
    auto fx = Sized<DDBLTFX>();
    // With a clipper the part beyond the primary is cut off, not refused.
    RECT dest { 1020, 0, 1028, 6 };
    EXPECT_EQ(primary->Blt(&dest, frame, nullptr, DDBLT_WAIT, &fx), DD_OK);
    RECT top { 0, 0, 4, 3 };
    ASSERT_EQ(primary->Blt(&top, frame, nullptr, DDBLT_WAIT, &fx), DD_OK);
    const auto shown = Presenter().LastFrame();
    EXPECT_FALSE(shown.fullscreen);
    ASSERT_EQ(shown.width, 1024);
    EXPECT_EQ(shown.pixels[2 * 1024 + 3], 0xFF00FF00u);
    EXPECT_EQ(shown.pixels[0], 0xFF000000u);
    frame->Release();
    primary->Release();
}

TEST_F(DDrawTest, FullScreenFlipsAnEmulatedMode)
{
    ASSERT_EQ(dd_->SetCooperativeLevel(nullptr, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
    EXPECT_EQ(dd_->SetDisplayMode(800, 600, 12), DDERR_INVALIDMODE);
    ASSERT_EQ(dd_->SetDisplayMode(800, 600, 16), DD_OK);
    auto desc = Sized<DDSURFACEDESC>();
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.dwBackBufferCount = 1;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    IDirectDrawSurface* primary = nullptr;
    ASSERT_EQ(dd_->CreateSurface(&desc, &primary, nullptr), DD_OK);
    DDSCAPS caps { DDSCAPS_BACKBUFFER };
    IDirectDrawSurface* back = nullptr;
    ASSERT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);
    auto got = Sized<DDSURFACEDESC>();
    ASSERT_EQ(back->GetSurfaceDesc(&got), DD_OK);
    EXPECT_EQ(got.dwWidth, 800u);
    EXPECT_EQ(got.ddpfPixelFormat.dwRGBBitCount, 16u);
    EXPECT_EQ(got.ddpfPixelFormat.dwGBitMask, 0x07E0u);

    auto lock = Sized<DDSURFACEDESC>();
    ASSERT_EQ(back->Lock(nullptr, &lock, DDLOCK_WAIT, nullptr), DD_OK);
    *static_cast<uint16_t*>(lock.lpSurface) = 0xF800;
    back->Unlock(nullptr);
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    const auto shown = Presenter().LastFrame();
    EXPECT_TRUE(shown.fullscreen);
    EXPECT_EQ(shown.width, 800);
    EXPECT_EQ(shown.pixels[0], 0xFFF80000u);
    EXPECT_EQ(back->Flip(nullptr, DDFLIP_WAIT), DDERR_NOTFLIPPABLE);

    // One flip per refresh (60 Hz: 16666 us): a flip in the refresh of the
    // one before waits for the next retrace; one after it goes at once.
    auto& clock = platform::HeadlessBackend::Current()->clock;
    platform::HeadlessBackend::Current()->windows.refreshRate = 60;
    clock.SetMicros(20000);
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(clock.NowMicros(), 20000u);
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_GE(clock.NowMicros(), 33333u);
    EXPECT_LT(clock.NowMicros(), 33333u + 1000);
    clock.SetMicros(60000);
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(clock.NowMicros(), 60000u);
    EXPECT_EQ(Presenter().PresentCount(), 4);
    back->Release();
    primary->Release();
}

TEST_F(DDrawTest, MonitorQueriesAndTimingFallbacks)
{
    DWORD hz = 0;
    auto& windows = platform::HeadlessBackend::Current()->windows;
    windows.refreshRate = 0; // unknown
    EXPECT_EQ(dd_->GetMonitorFrequency(&hz), DDERR_UNSUPPORTED);
    windows.refreshRate = 75;
    EXPECT_EQ(dd_->GetMonitorFrequency(&hz), DD_OK);
    EXPECT_EQ(hz, 75u);
    DWORD line = 0;
    EXPECT_EQ(dd_->GetScanLine(&line), DDERR_UNSUPPORTED);

    auto& clock = platform::HeadlessBackend::Current()->clock;
    clock.SetMicros(5000);
    EXPECT_EQ(dd_->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr), DD_OK);
    // On the next retrace of a 75 Hz display (13333 us apart), woken within
    // the millisecond.
    EXPECT_GE(clock.NowMicros(), 13333u);
    EXPECT_LT(clock.NowMicros(), 13333u + 1000);

    IDirectDraw7* dd7 = nullptr;
    ASSERT_EQ(dd_->QueryInterface(IID_IDirectDraw7, reinterpret_cast<void**>(&dd7)), DD_OK);
    DDSCAPS2 caps {};
    DWORD total = 0, free = 0;
    EXPECT_EQ(dd7->GetAvailableVidMem(&caps, &total, &free), DD_OK);
    EXPECT_GE(free, 14u << 20);
    dd7->Release();
}

TEST_F(DDrawTest, InjectedFaultsHitTheChosenCall)
{
    platform::DDraw().FailCall("CreateSurface", DDERR_OUTOFMEMORY, 2);
    IDirectDrawSurface* first = Offscreen(1, 1);
    auto desc = Sized<DDSURFACEDESC>();
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = desc.dwHeight = 1;
    IDirectDrawSurface* second = nullptr;
    EXPECT_EQ(dd_->CreateSurface(&desc, &second, nullptr), DDERR_OUTOFMEMORY);
    EXPECT_EQ(second, nullptr);
    first->Release();
}

TEST_F(DDrawTest, DeviceContextDrawsOnThePixels)
{
    Presenter().SetDesktopLayout({ 2, 0xF800, 0x07E0, 0x001F });
    IDirectDrawSurface* v1 = Offscreen(4, 2);
    IDirectDrawSurface7* s = nullptr;
    ASSERT_EQ(v1->QueryInterface(IID_IDirectDrawSurface7, reinterpret_cast<void**>(&s)), DD_OK);
    auto lock = Sized<DDSURFACEDESC>();
    ASSERT_EQ(v1->Lock(nullptr, &lock, DDLOCK_WAIT, nullptr), DD_OK);
    for (int i = 0; i < 4; ++i)
        static_cast<uint16_t*>(lock.lpSurface)[i] = uint16_t(i == 3 ? 0x1234 : 0xF800);
    v1->Unlock(nullptr);

    HDC dc = nullptr;
    ASSERT_EQ(s->GetDC(&dc), DD_OK);
    HDC second = nullptr;
    EXPECT_EQ(s->GetDC(&second), DDERR_DCALREADYCREATED);
    EXPECT_EQ(v1->Lock(nullptr, &lock, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
    RECT bottom { 0, 1, 4, 2 };
    FillRect(dc, &bottom, reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    EXPECT_EQ(s->ReleaseDC(dc), DD_OK);
    EXPECT_EQ(s->ReleaseDC(dc), DDERR_NODC);

    ASSERT_EQ(v1->Lock(nullptr, &lock, DDLOCK_WAIT, nullptr), DD_OK);
    const auto* row0 = static_cast<const uint16_t*>(lock.lpSurface);
    const auto* row1 = reinterpret_cast<const uint16_t*>(static_cast<const uint8_t*>(lock.lpSurface) + lock.lPitch);
    EXPECT_EQ(row0[0], 0xF800); // untouched pixels survive the round trip
    EXPECT_EQ(row0[3], 0x1234);
    EXPECT_EQ(row1[2], 0xFFFF);
    v1->Unlock(nullptr);
    s->Release();
    v1->Release();
}

TEST_F(DDrawTest, PalettesKeepTheirEntriesWithAlpha)
{
    PALETTEENTRY entries[256] {};
    entries[7] = { 1, 2, 3, 128 };
    IDirectDrawPalette* palette = nullptr;
    ASSERT_EQ(dd_->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256 | DDPCAPS_ALPHA, entries, &palette, nullptr), DD_OK);
    PALETTEENTRY out[256] {};
    ASSERT_EQ(palette->GetEntries(0, 0, 256, out), DD_OK);
    EXPECT_EQ(std::memcmp(&out[7], &entries[7], sizeof out[7]), 0);
    EXPECT_EQ(palette->GetEntries(0, 200, 100, out), DDERR_INVALIDPARAMS);
    palette->Release();
}

} // namespace
