#pragma once
// DirectDraw 7 as a software device. "ddraw.dll" offers DirectDrawCreate and
// DirectDrawCreateEx; surfaces are memory buffers in the display's layout
// (16-bit 565/555 or 32-bit), the primary stands for the window's client
// area (or the emulated full-screen mode) and every Blt to it or Flip of it
// hands the front buffer to the backend's presenter. The real display mode
// never changes. Objects are reference counted; one object answers for both
// interface versions, so a query between them gives the same pixels.
//
// Result codes are the SDK's values, so error names map them.
#include "platform/Backend.h"
#include "platform/gdi/Gdi.h"
#include "platform/win32/WinTypes.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};
using REFIID = const GUID&;
inline bool operator==(const GUID& a, const GUID& b)
{
    return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
           std::equal(a.Data4, a.Data4 + 8, b.Data4);
}

// Only the stand-in interprets these.
inline constexpr GUID IID_IDirectDraw { 0x6C14DB80, 0xA733, 0x11CE, { 0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60 } };
inline constexpr GUID IID_IDirectDraw7 { 0x15E65EC0, 0x3B9C, 0x11D2, { 0xB9, 0x2F, 0x00, 0x60, 0x97, 0x97, 0xEA, 0x5B } };
inline constexpr GUID IID_IDirectDrawSurface { 0x6C14DB81, 0xA733, 0x11CE, { 0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60 } };
inline constexpr GUID IID_IDirectDrawSurface7 { 0x06675A80, 0x3B9B, 0x11D2, { 0xB9, 0x2F, 0x00, 0x60, 0x97, 0x97, 0xEA, 0x5B } };
inline constexpr GUID IID_IDirect3D7 { 0xF5049E77, 0x4861, 0x11D2, { 0xA4, 0x07, 0x00, 0xA0, 0xC9, 0x06, 0x29, 0xA8 } };

inline constexpr HRESULT DD_OK = 0;
constexpr HRESULT MakeDDResult(unsigned code) { return static_cast<HRESULT>(0x88760000u | code); }
inline constexpr HRESULT DDERR_INVALIDPARAMS = E_INVALIDARG;
inline constexpr HRESULT DDERR_OUTOFMEMORY = E_OUTOFMEMORY;
inline constexpr HRESULT DDERR_UNSUPPORTED = static_cast<HRESULT>(0x80004001);
inline constexpr HRESULT DDERR_NOTINITIALIZED = static_cast<HRESULT>(0x800401F0);
inline constexpr HRESULT DDERR_INVALIDMODE = MakeDDResult(120);
inline constexpr HRESULT DDERR_INVALIDOBJECT = MakeDDResult(130);
inline constexpr HRESULT DDERR_INVALIDPIXELFORMAT = MakeDDResult(145);
inline constexpr HRESULT DDERR_INVALIDRECT = MakeDDResult(150);
inline constexpr HRESULT DDERR_NOTFOUND = MakeDDResult(255);
inline constexpr HRESULT DDERR_NOPALETTEATTACHED = MakeDDResult(572);
inline constexpr HRESULT DDERR_SURFACEBUSY = MakeDDResult(430);
inline constexpr HRESULT DDERR_NOTFLIPPABLE = MakeDDResult(582);
inline constexpr HRESULT DDERR_NOTLOCKED = MakeDDResult(584);
inline constexpr HRESULT DDERR_PRIMARYSURFACEALREADYEXISTS = MakeDDResult(564);
inline constexpr HRESULT DDERR_VERTICALBLANKINPROGRESS = MakeDDResult(537);
inline constexpr HRESULT DDERR_NOEXCLUSIVEMODE = MakeDDResult(225);
inline constexpr HRESULT DDERR_NOCOLORKEY = MakeDDResult(215);
inline constexpr HRESULT DDERR_CANTCREATEDC = MakeDDResult(585);
inline constexpr HRESULT DDERR_NODC = MakeDDResult(586);
inline constexpr HRESULT DDERR_DCALREADYCREATED = MakeDDResult(620);

inline constexpr DWORD DDSD_CAPS = 0x1;
inline constexpr DWORD DDSD_HEIGHT = 0x2;
inline constexpr DWORD DDSD_WIDTH = 0x4;
inline constexpr DWORD DDSD_PITCH = 0x8;
inline constexpr DWORD DDSD_BACKBUFFERCOUNT = 0x20;
inline constexpr DWORD DDSD_PIXELFORMAT = 0x1000;

inline constexpr DWORD DDSCAPS_BACKBUFFER = 0x4;
inline constexpr DWORD DDSCAPS_COMPLEX = 0x8;
inline constexpr DWORD DDSCAPS_FLIP = 0x10;
inline constexpr DWORD DDSCAPS_FRONTBUFFER = 0x20;
inline constexpr DWORD DDSCAPS_OFFSCREENPLAIN = 0x40;
inline constexpr DWORD DDSCAPS_PRIMARYSURFACE = 0x200;
inline constexpr DWORD DDSCAPS_SYSTEMMEMORY = 0x800;
inline constexpr DWORD DDSCAPS_TEXTURE = 0x1000;
inline constexpr DWORD DDSCAPS_3DDEVICE = 0x2000;
inline constexpr DWORD DDSCAPS_VIDEOMEMORY = 0x4000;

inline constexpr DWORD DDSCL_FULLSCREEN = 0x1;
inline constexpr DWORD DDSCL_NORMAL = 0x8;
inline constexpr DWORD DDSCL_EXCLUSIVE = 0x10;

inline constexpr DWORD DDLOCK_WAIT = 0x1;
inline constexpr DWORD DDLOCK_READONLY = 0x10;
inline constexpr DWORD DDLOCK_WRITEONLY = 0x20;

inline constexpr DWORD DDBLT_DDFX = 0x800;
inline constexpr DWORD DDBLT_KEYSRC = 0x8000;
inline constexpr DWORD DDBLT_WAIT = 0x1000000;
inline constexpr DWORD DDBLTFX_ARITHSTRETCHY = 0x1;
inline constexpr DWORD DDFLIP_WAIT = 0x1;
inline constexpr DWORD DDWAITVB_BLOCKBEGIN = 0x1;
inline constexpr DWORD DDCKEY_SRCBLT = 0x8;

inline constexpr DWORD DDPF_ALPHAPIXELS = 0x1;
inline constexpr DWORD DDPF_PALETTEINDEXED8 = 0x20;
inline constexpr DWORD DDPF_RGB = 0x40;

inline constexpr DWORD DDPCAPS_8BIT = 0x4;
inline constexpr DWORD DDPCAPS_ALLOW256 = 0x40;
inline constexpr DWORD DDPCAPS_ALPHA = 0x400;

struct DDSCAPS {
    DWORD dwCaps;
};

struct DDSCAPS2 {
    DWORD dwCaps;
    DWORD dwCaps2;
    DWORD dwCaps3;
    DWORD dwCaps4;
};

struct DDPIXELFORMAT {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwFourCC;
    DWORD dwRGBBitCount;
    DWORD dwRBitMask;
    DWORD dwGBitMask;
    DWORD dwBBitMask;
    DWORD dwRGBAlphaBitMask;
};

struct DDCOLORKEY {
    DWORD dwColorSpaceLowValue;
    DWORD dwColorSpaceHighValue;
};

struct DDSURFACEDESC {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwHeight;
    DWORD dwWidth;
    LONG lPitch;
    DWORD dwBackBufferCount;
    DWORD dwRefreshRate;
    DWORD dwAlphaBitDepth;
    DWORD dwReserved;
    void* lpSurface;
    DDCOLORKEY ddckCKDestOverlay;
    DDCOLORKEY ddckCKDestBlt;
    DDCOLORKEY ddckCKSrcOverlay;
    DDCOLORKEY ddckCKSrcBlt;
    DDPIXELFORMAT ddpfPixelFormat;
    DDSCAPS ddsCaps;
};

struct DDSURFACEDESC2 {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwHeight;
    DWORD dwWidth;
    LONG lPitch;
    DWORD dwBackBufferCount;
    DWORD dwRefreshRate;
    DWORD dwAlphaBitDepth;
    DWORD dwReserved;
    void* lpSurface;
    DDCOLORKEY ddckCKDestOverlay;
    DDCOLORKEY ddckCKDestBlt;
    DDCOLORKEY ddckCKSrcOverlay;
    DDCOLORKEY ddckCKSrcBlt;
    DDPIXELFORMAT ddpfPixelFormat;
    DDSCAPS2 ddsCaps;
    DWORD dwTextureStage;
};

struct DDBLTFX {
    DWORD dwSize;
    DWORD dwDDFX;
    DWORD dwROP;
    DWORD dwFillColor;
    DDCOLORKEY ddckDestColorkey;
    DDCOLORKEY ddckSrcColorkey;
};

struct PALETTEENTRY {
    BYTE peRed;
    BYTE peGreen;
    BYTE peBlue;
    BYTE peFlags;
};

struct IUnknown {
    virtual HRESULT QueryInterface(REFIID iid, void** out) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;
};

struct IDirectDrawClipper : IUnknown {
    virtual HRESULT SetHWnd(DWORD flags, HWND window) = 0;

protected:
    ~IDirectDrawClipper() = default;
};

struct IDirectDrawPalette : IUnknown {
    virtual HRESULT GetEntries(DWORD flags, DWORD start, DWORD count, PALETTEENTRY* entries) = 0;

protected:
    ~IDirectDrawPalette() = default;
};

struct IDirectDrawSurface : IUnknown {
    virtual HRESULT Blt(RECT* dest, IDirectDrawSurface* source, RECT* sourceRect, DWORD flags, DDBLTFX* fx) = 0;
    virtual HRESULT Flip(IDirectDrawSurface* target, DWORD flags) = 0;
    virtual HRESULT GetAttachedSurface(DDSCAPS* caps, IDirectDrawSurface** out) = 0;
    virtual HRESULT GetSurfaceDesc(DDSURFACEDESC* desc) = 0;
    virtual HRESULT Lock(RECT* rect, DDSURFACEDESC* desc, DWORD flags, HANDLE event) = 0;
    virtual HRESULT Unlock(void* rect) = 0;
    virtual HRESULT SetClipper(IDirectDrawClipper* clipper) = 0;
    virtual HRESULT SetColorKey(DWORD flags, DDCOLORKEY* key) = 0;

protected:
    ~IDirectDrawSurface() = default;
};

struct IDirectDrawSurface7 : IUnknown {
    virtual HRESULT Blt(RECT* dest, IDirectDrawSurface7* source, RECT* sourceRect, DWORD flags, DDBLTFX* fx) = 0;
    virtual HRESULT Flip(IDirectDrawSurface7* target, DWORD flags) = 0;
    virtual HRESULT GetAttachedSurface(DDSCAPS2* caps, IDirectDrawSurface7** out) = 0;
    virtual HRESULT GetSurfaceDesc(DDSURFACEDESC2* desc) = 0;
    virtual HRESULT Lock(RECT* rect, DDSURFACEDESC2* desc, DWORD flags, HANDLE event) = 0;
    virtual HRESULT Unlock(RECT* rect) = 0;
    virtual HRESULT SetClipper(IDirectDrawClipper* clipper) = 0;
    virtual HRESULT SetColorKey(DWORD flags, DDCOLORKEY* key) = 0;
    virtual HRESULT SetPalette(IDirectDrawPalette* palette) = 0;
    // A GDI device context on the pixels; the surface counts as locked until
    // ReleaseDC, which writes what was drawn back.
    virtual HRESULT GetDC(HDC* dc) = 0;
    virtual HRESULT ReleaseDC(HDC dc) = 0;

protected:
    ~IDirectDrawSurface7() = default;
};

struct IDirectDraw : IUnknown {
    virtual HRESULT CreateClipper(DWORD flags, IDirectDrawClipper** out, IUnknown* outer) = 0;
    virtual HRESULT CreatePalette(DWORD flags, PALETTEENTRY* entries, IDirectDrawPalette** out, IUnknown* outer) = 0;
    virtual HRESULT CreateSurface(DDSURFACEDESC* desc, IDirectDrawSurface** out, IUnknown* outer) = 0;
    virtual HRESULT FlipToGDISurface() = 0;
    virtual HRESULT GetMonitorFrequency(DWORD* hz) = 0;
    virtual HRESULT GetScanLine(DWORD* line) = 0;
    virtual HRESULT RestoreDisplayMode() = 0;
    virtual HRESULT SetCooperativeLevel(HWND window, DWORD flags) = 0;
    virtual HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bpp) = 0;
    virtual HRESULT WaitForVerticalBlank(DWORD flags, HANDLE event) = 0;

protected:
    ~IDirectDraw() = default;
};

// The adapter as DirectDraw 7 reports it.
struct DDDEVICEIDENTIFIER2 {
    char szDriver[512];
    char szDescription[512];
    int64_t liDriverVersion;
    DWORD dwVendorId;
    DWORD dwDeviceId;
    DWORD dwSubSysId;
    DWORD dwRevision;
    GUID guidDeviceIdentifier;
    DWORD dwWHQLLevel;
};

struct IDirectDraw7 : IUnknown {
    virtual HRESULT CreateClipper(DWORD flags, IDirectDrawClipper** out, IUnknown* outer) = 0;
    virtual HRESULT CreatePalette(DWORD flags, PALETTEENTRY* entries, IDirectDrawPalette** out, IUnknown* outer) = 0;
    virtual HRESULT CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface7** out, IUnknown* outer) = 0;
    virtual HRESULT FlipToGDISurface() = 0;
    virtual HRESULT GetAvailableVidMem(DDSCAPS2* caps, DWORD* total, DWORD* free) = 0;
    virtual HRESULT RestoreDisplayMode() = 0;
    virtual HRESULT SetCooperativeLevel(HWND window, DWORD flags) = 0;
    virtual HRESULT GetDeviceIdentifier(DDDEVICEIDENTIFIER2* identifier, DWORD flags) = 0;

protected:
    ~IDirectDraw7() = default;
};

using LPDIRECTDRAWCREATE = HRESULT (*)(GUID* guid, IDirectDraw** out, IUnknown* outer);
using LPDIRECTDRAWCREATEEX = HRESULT (*)(GUID* guid, void** out, REFIID iid, IUnknown* outer);

HRESULT DirectDrawCreate(GUID* guid, IDirectDraw** out, IUnknown* outer);
HRESULT DirectDrawCreateEx(GUID* guid, void** out, REFIID iid, IUnknown* outer);

namespace platform {

inline constexpr const char* kDDrawModule = "ddraw.dll";

// Test controls of the DirectDraw stand-in. Reset() restores the defaults.
struct DDrawControls {
    // Fault injection: the `nth` call (1-based) of `method` ("CreateSurface",
    // "SetDisplayMode", "Lock", ...) returns `result`; nth 0 fails every call.
    void FailCall(const std::string& method, HRESULT result, int nth = 0);
    // The depth of modes SetDisplayMode sets (0: the depth asked for).
    int forcedModeDepth = 0;
    // Scan-line source: null makes GetScanLine answer DDERR_UNSUPPORTED.
    std::function<HRESULT(DWORD*)> scanLine;
    // Names of the calls made, in order ("Blt", "Flip", "WaitForVerticalBlank", ...).
    std::vector<std::string> calls;
    bool logCalls = false;

    // The software Direct3D device.
    bool d3dAvailable = true; // false: QueryInterface(IID_IDirect3D7) fails
    // Offered texture formats: 1 A8R8G8B8, 2 A4R4G4B4, 4 R5G6B5, 8 palettised.
    DWORD d3dTextureFormats = 0xF;
    bool d3dAlphaPalette = true; // D3DPTEXTURECAPS_ALPHAPALETTE in the caps
    DWORD d3dMinTextureWidth = 1;
    DWORD d3dMinTextureHeight = 1;
    DWORD d3dMaxTextureWidth = 2048;
    DWORD d3dMaxTextureHeight = 2048;
    DWORD d3dMaxTextureAspectRatio = 0;
    // A faulty driver: D3DTSS_ALPHAOP is accepted and ignored.
    bool d3dIgnoreAlphaOp = false;
    // false: every span is drawn pixel by pixel through the general sampler
    // (to compare the faster paths of one-colour and unscaled spans with).
    bool d3dUnitStepSpans = true;
    // false: those spans blend four pixels at a time even where the
    // processor has AVX2 (to compare both forms).
    bool d3dWideSpans = true;
};

DDrawControls& DDraw();
void ResetDDraw();
// DirectDraw objects, surfaces, clippers and palettes alive now.
int DDrawLiveObjects();

} // namespace platform
