#include "DisplayFixture.h"

#include "platform/win32/Modules.h"

namespace {

using displaytest::Desktop;
using displaytest::DisplayTest;
using Kivo::Rect;

DDSURFACEDESC Describe(IDirectDrawSurface* surface)
{
    DDSURFACEDESC desc {};
    desc.dwSize = sizeof desc;
    EXPECT_EQ(surface->GetSurfaceDesc(&desc), DD_OK);
    return desc;
}

TEST(Ratio, IsNarrowerThan)
{
    struct Case {
        Kivo::Ratio a, b;
        bool narrower;
    } cases[] = {
        { { 4, 3 }, { 16, 9 }, true }, { { 16, 9 }, { 4, 3 }, false }, { { 4, 3 }, { 8, 6 }, false },
        { { 5, 4 }, { 4, 3 }, true },  { { 16, 10 }, { 16, 9 }, true },
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.a.IsNarrowerThan(c.b), c.narrower) << c.a.mNumerator << ":" << c.a.mDenominator;
}

struct GeometryCase {
    const char* name;
    int desktopW, desktopH;
    bool windowed, is3D, wideDraw, hackAspect;
    std::map<std::string, bool> settings;
    int result;
    int drawW, drawH;
    int primaryW, primaryH; // the display mode in full screen
    Rect presentation;
    bool aspectCorrected;
};

TEST_F(DisplayTest, InitGeometry)
{
    const GeometryCase cases[] = {
        { "windowed", 1920, 1080, true, false, false, false, {}, 0, 800, 600, 1920, 1080, { 0, 0, 800, 600 }, false },
        { "hack aspect, bars", 1920, 1080, true, false, false, true, {}, 0, 800, 600, 1920, 1080,
          { 133, 0, 800, 600 }, true },
        { "hack aspect, wide draw", 1920, 1080, true, false, true, true, {}, 0, 1066, 600, 1920, 1080,
          { 0, 0, 1066, 600 }, true },
        { "full screen 2D", 1920, 1080, false, false, true, false, {}, 0, 800, 600, 800, 600, { 0, 0, 800, 600 },
          false },
        { "full screen 3D, wide draw", 1920, 1080, false, true, true, false, {}, 0, 1066, 600, 1920, 1080,
          { 0, 0, 1920, 1080 }, true },
        { "full screen 3D, wide draw, alt init", 1920, 1080, false, true, true, false, { { "alt_video_init", true } },
          0, 800, 600, 800, 600, { 0, 0, 800, 600 }, true },
        { "full screen 3D, pillarbox", 1920, 1080, false, true, false, false, {}, 0, 800, 600, 1920, 1080,
          { 240, 0, 1440, 1080 }, true },
        { "full screen 3D, stretched", 1920, 1080, false, true, false, false, { { "screen_stretch", true } }, 0, 800,
          600, 800, 600, { 0, 0, 800, 600 }, false },
        { "full screen 3D, narrow desktop", 1280, 1024, false, true, true, false, {}, 0, 800, 600, 800, 600,
          { 0, 0, 800, 600 }, false },
    };
    for (const GeometryCase& c : cases) {
        SCOPED_TRACE(c.name);
        SetDesktop(Desktop(c.desktopW, c.desktopH));
        app.wideDraw = c.wideDraw;
        app.hackAspect = c.hackAspect;
        app.hackRatio = Kivo::Ratio(16, 9);
        app.settings = c.settings;
        display->mIs3D = c.is3D;
        ASSERT_EQ(display->Init(Window(), c.windowed), c.result) << display->mErrorString;
        EXPECT_EQ(display->mWidth, c.drawW);
        EXPECT_EQ(display->mHeight, c.drawH);
        EXPECT_EQ(display->mPresentationRect, c.presentation);
        EXPECT_EQ(display->mIsWidescreen, c.aspectCorrected);
        const DDSURFACEDESC primary = Describe(display->mPrimarySurface);
        EXPECT_EQ(int(primary.dwWidth), c.primaryW);
        EXPECT_EQ(int(primary.dwHeight), c.primaryH);
        const DDSURFACEDESC draw = Describe(display->mDrawSurface);
        EXPECT_EQ(int(draw.dwWidth), c.drawW);
        EXPECT_EQ(display->mInitialized, c.result == 0);
        display->ReleaseAll();
    }
}

TEST_F(DisplayTest, PillarboxStartsWithBlackBars)
{
    SetDesktop(Desktop(1920, 1080));
    display->mIs3D = true;
    platform::DDraw().FailCall("CreateDevice", E_NOINTERFACE);
    ASSERT_EQ(display->Init(Window(), false), 7);
    // The Direct3D failure leaves a complete 2D display behind.
    EXPECT_EQ(display->mErrorString, "3D init error: CreateDevice IID_IDirect3DHALDevice: DSERR_NOINTERFACE");
    DDSURFACEDESC desc {};
    desc.dwSize = sizeof desc;
    ASSERT_EQ(display->mSecondarySurface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    const auto* row = static_cast<const uint32_t*>(desc.lpSurface);
    EXPECT_EQ(row[0] | row[239] | row[1919], 0u);
    display->mSecondarySurface->Unlock(nullptr);
}

TEST_F(DisplayTest, InitResultCodes)
{
    struct Case {
        const char* name;
        bool windowed;
        int desktopBytes;
        const char* failMethod;
        int forcedDepth;
        int result;
        const char* error;
    } cases[] = {
        { "24-bit desktop", true, 3, nullptr, 0, 6, "" },
        { "24-bit mode", false, 4, nullptr, 24, 3, "CreateSurface FullScreen Primary: DDERR_INVALIDPIXELFORMAT" },
        { "creation", true, 4, "DirectDrawCreateEx", 0, 2, "DirectDrawCreateEx: DSERR_GENERIC" },
        { "exclusive", false, 4, "SetCooperativeLevel", 0, 4, "SetCooperativeLevel FullScreen: DSERR_GENERIC" },
        { "mode", false, 4, "SetDisplayMode", 0, 5, "SetDisplayMode FullScreen: DSERR_GENERIC" },
        { "clipper", true, 4, "CreateClipper", 0, 1, "CreateClipper Windowed: DSERR_GENERIC" },
        { "clipper full screen", false, 4, "CreateClipper", 0, 1, "CreateClipper FullScreen: DSERR_GENERIC" },
        { "surface", true, 4, "CreateSurface", 0, 3, "CreateSurface Windowed Primary: DSERR_GENERIC" },
        { "16-bit", true, 2, nullptr, 0, 0, "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        platform::ResetDDraw();
        display->mErrorString.clear();
        SetDesktop(Desktop(1024, 768, c.desktopBytes));
        if (c.failMethod && std::string(c.failMethod) == "SetCooperativeLevel")
            platform::DDraw().FailCall(c.failMethod, E_FAIL, 1); // the windowed release keeps working
        else if (c.failMethod)
            platform::DDraw().FailCall(c.failMethod, E_FAIL);
        platform::DDraw().forcedModeDepth = c.forcedDepth;
        EXPECT_EQ(display->Init(Window(), c.windowed), c.result);
        EXPECT_EQ(display->mErrorString, c.error);
        EXPECT_EQ(Kivo::DisplayResultToString(c.result), c.result == 0 ? "RESULT_OK"
                                                         : c.result == 1 ? "RESULT_FAIL"
                                                         : c.result == 2 ? "RESULT_DD_CREATE_FAIL"
                                                         : c.result == 3 ? "RESULT_SURFACE_FAIL"
                                                         : c.result == 4 ? "RESULT_EXCLUSIVE_FAIL"
                                                         : c.result == 5 ? "RESULT_DISPCHANGE_FAIL"
                                                                         : "RESULT_INVALID_COLORDEPTH");
        display->ReleaseAll();
    }
    EXPECT_EQ(Kivo::DisplayResultToString(7), "RESULT_UNKNOWN");
    EXPECT_EQ(Kivo::DisplayResultToString(-1), "RESULT_UNKNOWN");
}

TEST_F(DisplayTest, MissingEntryPoints)
{
    platform::UnregisterModuleFunction(platform::kDDrawModule, "DirectDrawCreateEx");
    {
        Kivo::DDInterface onlyV1(&app);
        // Creation through the first version works; Direct3D needs the seventh.
        EXPECT_EQ(onlyV1.Init(Window(), true), 0);
        onlyV1.ReleaseAll();
        onlyV1.mIs3D = true;
        EXPECT_EQ(onlyV1.Init(Window(), true), 7);
        EXPECT_EQ(onlyV1.mErrorString, "3D init error: No IDirectDraw7");
    }
    platform::UnregisterModuleFunction(platform::kDDrawModule, "DirectDrawCreate");
    {
        Kivo::DDInterface none(&app);
        EXPECT_EQ(none.Init(Window(), true), 2);
        EXPECT_EQ(none.mErrorString, "DirectDrawCreate: DDERR_NOTINITIALIZED");
    }
    platform::RegisterModuleFunction(platform::kDDrawModule, "DirectDrawCreate", &DirectDrawCreate);
    platform::RegisterModuleFunction(platform::kDDrawModule, "DirectDrawCreateEx", &DirectDrawCreateEx);
}

TEST_F(DisplayTest, PixelFormatAndTables)
{
    struct Case {
        platform::PixelLayout layout;
        int shifts[3];
        int bits[3];
        uint32_t red128;
        bool rgbOrder;
    } cases[] = {
        { { 2, 0xF800, 0x07E0, 0x001F }, { 11, 5, 0 }, { 5, 6, 5 }, 0x7800, true },
        { { 2, 0x7C00, 0x03E0, 0x001F }, { 10, 5, 0 }, { 5, 5, 5 }, 0x3C00, true },
        { { 4, 0xFF0000, 0xFF00, 0xFF }, { 16, 8, 0 }, { 8, 8, 8 }, 0x800000, true },
        { { 4, 0xFF, 0xFF00, 0xFF0000 }, { 0, 8, 16 }, { 8, 8, 8 }, 0x80, false },
    };
    for (const Case& c : cases) {
        auto mode = Desktop(1024, 768);
        mode.layout = c.layout;
        SetDesktop(mode);
        ASSERT_EQ(display->Init(Window(), true), 0);
        EXPECT_EQ(display->mRGBBits, c.layout.bytesPerPixel * 8);
        EXPECT_EQ(display->mRedShift, c.shifts[0]);
        EXPECT_EQ(display->mGreenShift, c.shifts[1]);
        EXPECT_EQ(display->mBlueShift, c.shifts[2]);
        EXPECT_EQ(display->mRedBits, c.bits[0]);
        EXPECT_EQ(display->mGreenBits, c.bits[1]);
        EXPECT_EQ(display->mBlueBits, c.bits[2]);
        const int greenMax = (1 << c.bits[1]) - 1;
        EXPECT_EQ(display->mGreenAddTable[greenMax - 1], greenMax - 1);
        EXPECT_EQ(display->mGreenAddTable[2 * greenMax], greenMax);
        EXPECT_EQ(display->mRedConvTable[255], c.layout.redMask);
        EXPECT_EQ(display->mRedConvTable[128], c.red128);
        EXPECT_EQ(Kivo::gRGBOrder, c.rgbOrder);
    }
}

TEST_F(DisplayTest, RefreshRateIsClamped)
{
    struct Case {
        int reported, rate, period;
        bool notTrusted;
    } cases[] = { { 0, 60, 16, true }, { 59, 60, 16, true }, { 120, 100, 10, true }, { 75, 75, 13, false } };
    for (const Case& c : cases) {
        app.refreshNotTrusted = false;
        SetDesktop(Desktop(1024, 768, 4, c.reported));
        ASSERT_EQ(display->Init(Window(), true), 0);
        EXPECT_EQ(display->mRefreshRate, c.rate);
        EXPECT_EQ(display->mMillisecondsPerFrame, c.period);
        EXPECT_EQ(app.refreshNotTrusted, c.notTrusted);
    }
}

TEST_F(DisplayTest, InitAgainReleasesTheFirstDisplay)
{
    const int before = platform::DDrawLiveObjects();
    ASSERT_EQ(display->Init(Window(), true), 0);
    const int running = platform::DDrawLiveObjects();
    ASSERT_EQ(display->Init(Window(), false), 0);
    ASSERT_EQ(display->Init(Window(), true), 0);
    EXPECT_EQ(platform::DDrawLiveObjects(), running);
    display->ReleaseAll();
    EXPECT_EQ(platform::DDrawLiveObjects(), before);
    EXPECT_FALSE(display->mInitialized);
}

TEST_F(DisplayTest, SurfacesNeedARunningDisplay)
{
    DDSURFACEDESC2 desc {};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = desc.dwHeight = 4;
    IDirectDrawSurface* surface = reinterpret_cast<IDirectDrawSurface*>(1);
    EXPECT_EQ(display->CreateSurface(&desc, &surface, nullptr), DDERR_NOTINITIALIZED);
    EXPECT_EQ(surface, nullptr);
    ASSERT_EQ(display->Init(Window(), true), 0);
    display->ReleaseAll();
    EXPECT_EQ(display->CreateSurface(&desc, &surface, nullptr), DDERR_NOTINITIALIZED);
}

} // namespace
