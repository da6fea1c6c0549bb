#include "framework/display/DDInterface.h"

#include "framework/display/D3DInterface.h"
#include "framework/display/D3DTester.h"

#include "framework/display/DDImage.h"
#include "framework/display/DXErrors.h"
#include "framework/display/DisplayHost.h"
#include "platform/win32/DebugOutput.h"
#include "platform/win32/Modules.h"
#include "platform/win32/Window.h"
#include "platform/win32/WindowFrame.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace Kivo {

std::string gLastD3DError;
bool gRGBOrder = false;

namespace {

void OutputDebug(const char* format, ...)
{
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    OutputDebugStringA(text);
}

template <typename T>
void ReleaseAndClear(T*& object)
{
    if (object) {
        object->Release();
        object = nullptr;
    }
}

// Index of the lowest and highest set bit; -1 for an empty mask.
int LowBit(uint32_t mask)
{
    for (int bit = 0; bit < 32; ++bit)
        if (mask & (1u << bit))
            return bit;
    return -1;
}

int HighBit(uint32_t mask)
{
    for (int bit = 31; bit >= 0; --bit)
        if (mask & (1u << bit))
            return bit;
    return -1;
}

DDSURFACEDESC2 SurfaceDesc(DWORD flags, DWORD caps, int width = 0, int height = 0)
{
    DDSURFACEDESC2 desc {};
    desc.dwSize = sizeof desc;
    desc.dwFlags = flags;
    desc.ddsCaps.dwCaps = caps;
    desc.dwWidth = DWORD(width);
    desc.dwHeight = DWORD(height);
    return desc;
}

} // namespace

DDInterface::DDInterface(DisplayHost* host) : mHost(host), mD3DInterface(new D3DInterface)
{
    if (HMODULE ddraw = LoadLibraryA(platform::kDDrawModule)) {
        mDirectDrawCreate = reinterpret_cast<LPDIRECTDRAWCREATE>(GetProcAddress(ddraw, "DirectDrawCreate"));
        mDirectDrawCreateEx = reinterpret_cast<LPDIRECTDRAWCREATEEX>(GetProcAddress(ddraw, "DirectDrawCreateEx"));
        FreeLibrary(ddraw);
    }
}

DDInterface::~DDInterface()
{
    ReleaseAll();
    delete[] mRedAddTable;
    delete[] mGreenAddTable;
    delete[] mBlueAddTable;
    delete mD3DInterface;
    delete mD3DTester;
}

bool DDInterface::CheckDDError(HRESULT result, const char* step)
{
    if (!FAILED(result))
        return false;
    mErrorString = std::string(step) + ": " + GetDirectXErrorString(result);
    return true;
}

void DDInterface::Remove3DData(MemoryImage* image)
{
    if (image)
        mD3DInterface->RemoveImageTextures(image);
}

bool DDInterface::ReadTexturesToBits(MemoryImage* image)
{
    return image && mD3DInterface->CopyTexturesToBits(image, image->mBits);
}

void DDInterface::EndScene3D() { mD3DInterface->EndSceneIfActive(); }

Image* DDInterface::GetScreenImage() { return mScreenImage; }

void DDInterface::RestoreDisplayMode()
{
    if (mDD)
        mDD->RestoreDisplayMode();
}

void DDInterface::FlipToGDISurface()
{
    if (mDD)
        mDD->FlipToGDISurface();
}

MemoryImage* DDInterface::NewImage() { return new DDImage(this); }

bool DDInterface::HasDisplaySurface(MemoryImage* image)
{
    auto* surfaceImage = dynamic_cast<DDImage*>(image);
    return surfaceImage && surfaceImage->mSurface;
}

void DDInterface::RequestDisplaySurface(MemoryImage* image)
{
    if (auto* surfaceImage = dynamic_cast<DDImage*>(image))
        surfaceImage->mWantDDSurface = true;
}

void DDInterface::ReleaseAll()
{
    std::lock_guard lock(mCritSect);
    mInitialized = false;
    mD3DInterface->Cleanup();
    gLastD3DError.clear();
    delete mOldCursorAreaImage;
    mOldCursorAreaImage = nullptr;
    delete mNewCursorAreaImage;
    mNewCursorAreaImage = nullptr;
    ReleaseAndClear(mOldCursorArea);
    ReleaseAndClear(mNewCursorArea);
    delete mScreenImage;
    mScreenImage = nullptr;
    ReleaseAndClear(mDrawSurface);
    ReleaseAndClear(mSecondarySurface);
    ReleaseAndClear(mPrimarySurface);
    if (mDD) {
        mDD->SetCooperativeLevel(mHWnd, DDSCL_NORMAL);
        ReleaseAndClear(mDD);
    }
    ReleaseAndClear(mDD7);
}

HRESULT DDInterface::CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface** out, IUnknown*)
{
    std::lock_guard lock(mCritSect);
    if (!out || !desc)
        return DDERR_INVALIDPARAMS;
    *out = nullptr;
    // Images may ask before the display exists, after it was released or
    // after a failed start: they then stay in software.
    const bool primary = (desc->ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE) != 0;
    if ((!mDD && !mDD7) || (!primary && !mPrimarySurface))
        return DDERR_NOTINITIALIZED;
    HRESULT hr;
    if (mDD7) {
        IDirectDrawSurface7* surface7 = nullptr;
        hr = mDD7->CreateSurface(desc, &surface7, nullptr);
        if (FAILED(hr))
            return hr;
        hr = surface7->QueryInterface(IID_IDirectDrawSurface, reinterpret_cast<void**>(out));
        surface7->Release();
        if (FAILED(hr))
            return hr;
    } else {
        DDSURFACEDESC v1 {};
        v1.dwSize = sizeof v1;
        v1.dwFlags = desc->dwFlags;
        v1.dwHeight = desc->dwHeight;
        v1.dwWidth = desc->dwWidth;
        v1.lPitch = desc->lPitch;
        v1.dwBackBufferCount = desc->dwBackBufferCount;
        v1.dwRefreshRate = desc->dwRefreshRate;
        v1.dwAlphaBitDepth = desc->dwAlphaBitDepth;
        v1.dwReserved = desc->dwReserved;
        v1.lpSurface = desc->lpSurface;
        v1.ddpfPixelFormat = desc->ddpfPixelFormat;
        v1.ddsCaps.dwCaps = desc->ddsCaps.dwCaps;
        hr = mDD->CreateSurface(&v1, out, nullptr);
        if (FAILED(hr))
            return hr;
    }
    IDirectDrawSurface* screen = primary ? *out : mPrimarySurface;
    DDSURFACEDESC format {};
    format.dwSize = sizeof format;
    format.dwFlags = DDSD_PIXELFORMAT;
    const HRESULT described = screen->GetSurfaceDesc(&format);
    const DDPIXELFORMAT& pf = format.ddpfPixelFormat;
    gRGBOrder = pf.dwBBitMask < pf.dwGBitMask && pf.dwGBitMask < pf.dwRBitMask;
    if (SUCCEEDED(described) && (pf.dwRGBBitCount == 16 || pf.dwRGBBitCount == 32))
        return hr;
    (*out)->Release();
    *out = nullptr;
    return DDERR_INVALIDPIXELFORMAT;
}

void DDInterface::ClearSurface(IDirectDrawSurface* surface)
{
    if (!surface)
        return;
    DDSURFACEDESC desc {};
    desc.dwSize = sizeof desc;
    if (FAILED(surface->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr)))
        return;
    auto* row = static_cast<uint8_t*>(desc.lpSurface);
    for (DWORD y = 0; y < desc.dwHeight; ++y, row += desc.lPitch)
        std::memset(row, 0, size_t(desc.dwWidth) * (desc.ddpfPixelFormat.dwRGBBitCount / 8));
    surface->Unlock(nullptr);
}

void DDInterface::SetVideoOnlyDraw(bool videoOnly)
{
    std::lock_guard lock(mCritSect);
    mVideoOnlyDraw = videoOnly;
    if (!mSecondarySurface) {
        DDSURFACEDESC2 desc = SurfaceDesc(DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH, DDSCAPS_VIDEOMEMORY, mWidth, mHeight);
        if (FAILED(CreateSurface(&desc, &mSecondarySurface, nullptr)))
            mVideoOnlyDraw = false;
    }
    delete mScreenImage;
    mScreenImage = new DDImage(this);
    mScreenImage->SetSurface(mVideoOnlyDraw ? mSecondarySurface : mDrawSurface);
    mScreenImage->mDrawToBits = mVideoOnlyDraw;
    mScreenImage->mVideoMemory = mVideoOnlyDraw;
    mScreenImage->SetImageMode(false, false);
}

int DDInterface::Init(HWND window, bool windowed)
{
    std::lock_guard lock(mCritSect);
    mInitialized = false;
    ReleaseAll();
    return InitLocked(window, windowed);
}

int DDInterface::InitLocked(HWND window, bool windowed)
{
    // 2. DirectDraw. Without either entry point, or when creation fails,
    // nothing below can work: stop here rather than test a null object.
    HRESULT created = DD_OK;
    if (mDirectDrawCreateEx) {
        if (CheckDDError(mDirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&mDD7), IID_IDirectDraw7, nullptr),
                         "DirectDrawCreateEx"))
            return RESULT_DD_CREATE_FAIL;
        if (CheckDDError(mDD7->QueryInterface(IID_IDirectDraw, reinterpret_cast<void**>(&mDD)),
                         "QueryrInterface IID_IDirectDraw"))
            return RESULT_DD_CREATE_FAIL;
    } else if (mDirectDrawCreate) {
        created = mDirectDrawCreate(nullptr, &mDD, nullptr);
    } else {
        created = DDERR_NOTINITIALIZED;
    }
    if (CheckDDError(created, "DirectDrawCreate"))
        return RESULT_DD_CREATE_FAIL;

    // 3. The capability test, whose verdict may switch 3D on or off.
    if (RunD3DTest(window) && mD3DTester->mNewVerdict)
        mHost->OnNewD3DVerdict();

    // 4. Geometry defaults.
    mHWnd = window;
    mWidth = mHost->AppWidth();
    mHeight = mHost->AppHeight();
    mAspect.Set(mWidth, mHeight);
    mDesktopWidth = GetSystemMetrics(SM_CXSCREEN);
    mDesktopHeight = GetSystemMetrics(SM_CYSCREEN);
    mDesktopAspect.Set(mDesktopWidth, mDesktopHeight);
    mDisplayWidth = mWidth;
    mDisplayHeight = mHeight;
    mDisplayAspect = mAspect;
    mIsWidescreen = false;
    mPresentationRect = Rect(0, 0, mWidth, mHeight);
    mHost->SetScreenRect(mPresentationRect);
    mFullscreenBits = mHost->ColorDepth();
    mIsWindowed = windowed;
    mHasOldCursorArea = false;
    OutputDebug("Application requests %4lu x %4lu [%2d:%2d]\n", (unsigned long)mWidth, (unsigned long)mHeight,
                mAspect.mNumerator, mAspect.mDenominator);

    const int surfaces = windowed ? CreateWindowedSurfaces() : CreateFullscreenSurfaces();
    if (surfaces != RESULT_OK)
        return surfaces;
    OutputDebug("Draw buffer is       %4lu x %4lu [%2d:%2d]\n", (unsigned long)mWidth, (unsigned long)mHeight,
                mAspect.mNumerator, mAspect.mDenominator);

    // 9. Refresh rate.
    DWORD hz = 0;
    bool trusted = true;
    if (FAILED(mDD->GetMonitorFrequency(&hz)) || hz < 60) {
        hz = 60;
        trusted = false;
    } else if (hz > 100) {
        hz = 100;
        trusted = false;
    }
    if (!trusted)
        mHost->SetRefreshNotTrusted(true);
    mRefreshRate = int(hz);
    mMillisecondsPerFrame = 1000 / mRefreshRate;

    // 10. Cursor areas.
    const char* steps[2] = { "CreateSurface OldCursorArea", "CreateSurface NewCursorArea" };
    IDirectDrawSurface** areas[2] = { &mOldCursorArea, &mNewCursorArea };
    DDImage** images[2] = { &mOldCursorAreaImage, &mNewCursorAreaImage };
    for (int i = 0; i < 2; ++i) {
        DDSURFACEDESC2 desc = SurfaceDesc(DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH,
                                          DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY, mCursorWidth, mCursorHeight);
        if (CheckDDError(CreateSurface(&desc, areas[i], nullptr), steps[i]))
            return RESULT_SURFACE_FAIL;
        *images[i] = new DDImage(this);
        (*images[i])->SetSurface(*areas[i]);
        (*images[i])->SetImageMode(false, false);
    }

    // 11. Pixel format of the screen.
    if (mPrimarySurface) {
        DDSURFACEDESC desc {};
        desc.dwSize = sizeof desc;
        desc.dwFlags = DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
        mPrimarySurface->GetSurfaceDesc(&desc);
        const DWORD bpp = desc.ddpfPixelFormat.dwRGBBitCount;
        if (bpp != 16 && bpp != 32)
            return RESULT_INVALID_COLORDEPTH;
        DeriveFormat(desc);
    }

    // 13. The screen image.
    SetVideoOnlyDraw(mVideoOnlyDraw);

    // 14. Direct3D on the draw surface.
    if (mIs3D && !mD3DInterface->InitFromDDInterface(this)) {
        mErrorString = "3D init error: " + gLastD3DError;
        return RESULT_3D_FAIL;
    }
    mInitialized = true;
    return RESULT_OK;
}

int DDInterface::CreateWindowedSurfaces()
{
    const Ratio hack = mHost->HackAspectRatio();
    OutputDebug("Hack aspect is                   [%2d:%2d]\n", hack.mNumerator, hack.mDenominator);
    if (mHost->HackAspect() && mAspect.IsNarrowerThan(hack)) {
        mIsWidescreen = true;
        mDisplayWidth = mHeight * hack.mNumerator / hack.mDenominator;
        mDisplayHeight = mHeight;
        mDisplayAspect = hack;
        WINDOWINFO info {};
        info.cbSize = sizeof info;
        GetWindowInfo(mHWnd, &info);
        RECT client {};
        GetClientRect(mHWnd, &client);
        POINT origin { 0, 0 };
        ClientToScreen(mHWnd, &origin);
        RECT r;
        r.left = origin.x - (mDisplayWidth - mWidth) / 2;
        r.top = origin.y - (mDisplayHeight - mHeight) / 2;
        r.right = r.left + mDisplayWidth;
        r.bottom = r.top + mDisplayHeight;
        AdjustWindowRectEx(&r, info.dwStyle, FALSE, info.dwExStyle);
        MoveWindow(mHWnd, std::max<LONG>(r.left, 0), std::max<LONG>(r.top, 0), r.right - r.left, r.bottom - r.top,
                   FALSE);
        if (mHost->WideDraw()) {
            mWidth = mDisplayWidth;
            mHeight = mDisplayHeight;
            mAspect = mDisplayAspect;
            mPresentationRect = Rect(0, 0, mWidth, mHeight);
        } else {
            mPresentationRect = Rect((mDisplayWidth - mWidth) / 2, 0, mWidth, mHeight);
        }
    }
    OutputDebug("Window is            %4lu x %4lu [%2d:%2d]\n", (unsigned long)mDisplayWidth,
                (unsigned long)mDisplayHeight, mDisplayAspect.mNumerator, mDisplayAspect.mDenominator);
    mDD->SetCooperativeLevel(mHWnd, DDSCL_NORMAL);

    DDSURFACEDESC2 primary = SurfaceDesc(DDSD_CAPS, DDSCAPS_PRIMARYSURFACE | (mIs3D ? DDSCAPS_3DDEVICE : 0));
    const HRESULT hr = CreateSurface(&primary, &mPrimarySurface, nullptr);
    if (hr == DDERR_INVALIDPIXELFORMAT)
        return RESULT_INVALID_COLORDEPTH;
    if (CheckDDError(hr, "CreateSurface Windowed Primary"))
        return RESULT_SURFACE_FAIL;
    return CreateDrawSurfaceAndClipper("CreateSurface Windowed DrawSurface", "CreateClipper Windowed");
}

int DDInterface::CreateDrawSurfaceAndClipper(const char* drawStep, const char* clipperStep)
{
    DDSURFACEDESC2 draw = SurfaceDesc(DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH,
                                      mIs3D ? DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE | DDSCAPS_VIDEOMEMORY
                                            : DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY,
                                      mWidth, mHeight);
    if (CheckDDError(CreateSurface(&draw, &mDrawSurface, nullptr), drawStep))
        return RESULT_SURFACE_FAIL;
    IDirectDrawClipper* clipper = nullptr;
    if (CheckDDError(mDD->CreateClipper(0, &clipper, nullptr), clipperStep))
        return RESULT_FAIL;
    if (SUCCEEDED(clipper->SetHWnd(0, mHWnd)))
        mPrimarySurface->SetClipper(clipper);
    clipper->Release();
    return RESULT_OK;
}

int DDInterface::CreateFullscreenSurfaces()
{
    OutputDebug("Desktop is           %4lu x %4lu [%2d:%2d]\n", (unsigned long)mDesktopWidth,
                (unsigned long)mDesktopHeight, mDesktopAspect.mNumerator, mDesktopAspect.mDenominator);
    const bool stretch = mHost->GetBoolean("screen_stretch", false);
    if (mIs3D && mAspect.IsNarrowerThan(mDesktopAspect) && !stretch) {
        mIsWidescreen = true;
        mDisplayWidth = mDesktopWidth;
        mDisplayHeight = mDesktopHeight;
        mDisplayAspect = mDesktopAspect;
        if (mHost->WideDraw()) {
            mAspect = mDesktopAspect;
            mWidth = mHeight * mDesktopAspect.mNumerator / mDesktopAspect.mDenominator;
            if (mHost->GetBoolean("alt_video_init", false)) {
                mDisplayWidth = mHost->AppWidth();
                mDisplayHeight = mHost->AppHeight();
                mWidth = mHost->AppWidth();
            }
            mPresentationRect = Rect(0, 0, mDisplayWidth, mDisplayHeight);
        } else {
            const int width = mWidth * mDesktopHeight / mHeight;
            mPresentationRect = Rect((mDesktopWidth - width) / 2, 0, width, mDesktopHeight);
        }
    }
    OutputDebug("Display is           %4lu x %4lu [%2d:%2d]\n", (unsigned long)mDisplayWidth,
                (unsigned long)mDisplayHeight, mDisplayAspect.mNumerator, mDisplayAspect.mDenominator);
    if (CheckDDError(mDD->SetCooperativeLevel(mHWnd, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN),
                     "SetCooperativeLevel FullScreen"))
        return RESULT_EXCLUSIVE_FAIL;
    const bool alt = mHost->GetBoolean("alt_video_init", false);
    const int modeWidth = alt ? mHost->AppWidth() : mDisplayWidth;
    const int modeHeight = alt ? mHost->AppHeight() : mDisplayHeight;
    if (CheckDDError(mDD->SetDisplayMode(DWORD(modeWidth), DWORD(modeHeight), DWORD(mFullscreenBits)),
                     "SetDisplayMode FullScreen"))
        return RESULT_DISPCHANGE_FAIL;
    DDSURFACEDESC2 primary =
        SurfaceDesc(DDSD_CAPS | DDSD_BACKBUFFERCOUNT,
                    DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | (mIs3D ? DDSCAPS_3DDEVICE : 0));
    primary.dwBackBufferCount = 1;
    if (CheckDDError(CreateSurface(&primary, &mPrimarySurface, nullptr), "CreateSurface FullScreen Primary"))
        return RESULT_SURFACE_FAIL;
    DDSCAPS back { DDSCAPS_BACKBUFFER };
    if (CheckDDError(mPrimarySurface->GetAttachedSurface(&back, &mSecondarySurface), "GetAttachedSurface"))
        return RESULT_SURFACE_FAIL;
    if (mIsWidescreen) {
        ClearSurface(mPrimarySurface);
        ClearSurface(mSecondarySurface);
    }
    if (const int r = CreateDrawSurfaceAndClipper("CreateSurface FullScreen DrawSurface", "CreateClipper FullScreen"))
        return r;
    if (!mHost->PageFlipAllowed())
        mDD->FlipToGDISurface();
    return RESULT_OK;
}

void DDInterface::DeriveFormat(const DDSURFACEDESC& desc)
{
    const DDPIXELFORMAT& pf = desc.ddpfPixelFormat;
    mRGBBits = int32_t(pf.dwRGBBitCount);
    mRedMask = pf.dwRBitMask;
    mGreenMask = pf.dwGBitMask;
    mBlueMask = pf.dwBBitMask;
    // An empty mask has no bits and no shift.
    auto channel = [](uint32_t mask, int32_t& bits, int32_t& shift) {
        shift = mask ? LowBit(mask) : 0;
        bits = mask ? HighBit(mask) - shift + 1 : 0;
    };
    channel(mRedMask, mRedBits, mRedShift);
    channel(mGreenMask, mGreenBits, mGreenShift);
    channel(mBlueMask, mBlueBits, mBlueShift);

    int** tables[3] = { &mRedAddTable, &mGreenAddTable, &mBlueAddTable };
    const int bits[3] = { mRedBits, mGreenBits, mBlueBits };
    for (int c = 0; c < 3; ++c) {
        delete[] *tables[c];
        const int max = (1 << bits[c]) - 1;
        *tables[c] = new int[2 * max + 1];
        for (int i = 0; i <= 2 * max; ++i)
            (*tables[c])[i] = std::min(i, max);
    }
    uint32_t* conv[3] = { mRedConvTable, mGreenConvTable, mBlueConvTable };
    const uint32_t masks[3] = { mRedMask, mGreenMask, mBlueMask };
    for (int c = 0; c < 3; ++c)
        for (uint32_t v = 0; v < 256; ++v)
            conv[c][v] = masks[c] * v / 255 & masks[c];
}

} // namespace Kivo
