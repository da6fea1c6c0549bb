#pragma once
// Direct3D 7 as a software device. The DirectDraw object answers
// IID_IDirect3D7; its CreateDevice renders into any surface made with
// DDSCAPS_3DDEVICE (16-bit 565/555 or 32-bit). The device draws
// pre-transformed vertices (D3DFVF_XYZRHW with diffuse colour and one
// texture) as line strips, triangle lists, strips and fans, under the
// device's own conventions: pixel centres at integer coordinates, the
// top-left fill rule, texel centres at half-integers, and the state
// defaults until a state is set (no blending, SRCBLEND ONE / DESTBLEND
// ZERO, stage-0 colour modulated by the vertex colour and alpha taken from
// the texture, point filtering, wrapped addressing, counter-clockwise
// triangles culled). Textures are DDSCAPS_TEXTURE surfaces in A8R8G8B8,
// A4R4G4B4, R5G6B5 or 8-bit palettised form (palette entries carry alpha).
//
// Result codes are the SDK's values, so error names map them.
#include "platform/ddraw/DDraw.h"

inline constexpr GUID IID_IDirect3DHALDevice { 0x84E63DE0, 0x46AA, 0x11CF, { 0x81, 0x6F, 0x00, 0x00, 0xC0, 0x20, 0x15, 0x6E } };
inline constexpr GUID IID_IDirect3DTnLHalDevice { 0xF5049E78, 0x4861, 0x11D2, { 0xA4, 0x07, 0x00, 0xA0, 0xC9, 0x06, 0x29, 0xA8 } };

inline constexpr HRESULT D3DERR_INVALIDPRIMITIVETYPE = MakeDDResult(705);
inline constexpr HRESULT D3DERR_INVALIDVERTEXTYPE = MakeDDResult(706);
inline constexpr HRESULT D3DERR_SCENE_IN_SCENE = MakeDDResult(742);
inline constexpr HRESULT D3DERR_SCENE_NOT_IN_SCENE = MakeDDResult(743);

inline constexpr DWORD DDSCAPS2_TEXTUREMANAGE = 0x10;
inline constexpr DWORD DDSCAPS2_D3DTEXTUREMANAGE = 0x20000;
inline constexpr DWORD DDENUMRET_CANCEL = 0;
inline constexpr DWORD DDENUMRET_OK = 1;

inline constexpr DWORD D3DCLEAR_TARGET = 0x1;
inline constexpr DWORD D3DDP_WAIT = 0x1;
inline constexpr DWORD D3DPTEXTURECAPS_ALPHAPALETTE = 0x80;

inline constexpr DWORD D3DFVF_XYZRHW = 0x4;
inline constexpr DWORD D3DFVF_DIFFUSE = 0x40;
inline constexpr DWORD D3DFVF_SPECULAR = 0x80;
inline constexpr DWORD D3DFVF_TEX1 = 0x100;
inline constexpr DWORD D3DFVF_TLVERTEX = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1;

enum D3DPRIMITIVETYPE : DWORD {
    D3DPT_POINTLIST = 1,
    D3DPT_LINELIST = 2,
    D3DPT_LINESTRIP = 3,
    D3DPT_TRIANGLELIST = 4,
    D3DPT_TRIANGLESTRIP = 5,
    D3DPT_TRIANGLEFAN = 6,
};

enum D3DRENDERSTATETYPE : DWORD {
    D3DRENDERSTATE_ZENABLE = 7,
    D3DRENDERSTATE_ZWRITEENABLE = 14,
    D3DRENDERSTATE_SRCBLEND = 19,
    D3DRENDERSTATE_DESTBLEND = 20,
    D3DRENDERSTATE_CULLMODE = 22,
    D3DRENDERSTATE_DITHERENABLE = 26,
    D3DRENDERSTATE_ALPHABLENDENABLE = 27,
    D3DRENDERSTATE_SPECULARENABLE = 29,
    D3DRENDERSTATE_LIGHTING = 137,
};

enum D3DBLEND : DWORD {
    D3DBLEND_ZERO = 1,
    D3DBLEND_ONE = 2,
    D3DBLEND_SRCCOLOR = 3,
    D3DBLEND_INVSRCCOLOR = 4,
    D3DBLEND_SRCALPHA = 5,
    D3DBLEND_INVSRCALPHA = 6,
};

inline constexpr DWORD D3DCULL_NONE = 1;
inline constexpr DWORD D3DCULL_CW = 2;
inline constexpr DWORD D3DCULL_CCW = 3;
inline constexpr DWORD D3DZB_FALSE = 0;

enum D3DTEXTURESTAGESTATETYPE : DWORD {
    D3DTSS_COLOROP = 1,
    D3DTSS_COLORARG1 = 2,
    D3DTSS_COLORARG2 = 3,
    D3DTSS_ALPHAOP = 4,
    D3DTSS_ALPHAARG1 = 5,
    D3DTSS_ALPHAARG2 = 6,
    D3DTSS_ADDRESSU = 13,
    D3DTSS_ADDRESSV = 14,
    D3DTSS_MAGFILTER = 16,
    D3DTSS_MINFILTER = 17,
    D3DTSS_MIPFILTER = 18,
};

inline constexpr DWORD D3DTOP_DISABLE = 1;
inline constexpr DWORD D3DTOP_SELECTARG1 = 2;
inline constexpr DWORD D3DTOP_SELECTARG2 = 3;
inline constexpr DWORD D3DTOP_MODULATE = 4;
inline constexpr DWORD D3DTA_DIFFUSE = 0;
inline constexpr DWORD D3DTA_CURRENT = 1;
inline constexpr DWORD D3DTA_TEXTURE = 2;
inline constexpr DWORD D3DTADDRESS_WRAP = 1;
inline constexpr DWORD D3DTADDRESS_CLAMP = 3;
inline constexpr DWORD D3DTFG_POINT = 1;
inline constexpr DWORD D3DTFG_LINEAR = 2;
inline constexpr DWORD D3DTFN_POINT = 1;
inline constexpr DWORD D3DTFN_LINEAR = 2;
inline constexpr DWORD D3DTFP_NONE = 1;
inline constexpr DWORD D3DTFP_POINT = 2;

struct D3DTLVERTEX {
    float sx;
    float sy;
    float sz;
    float rhw;
    DWORD color;
    DWORD specular;
    float tu;
    float tv;
};
static_assert(sizeof(D3DTLVERTEX) == 32);

struct D3DVIEWPORT7 {
    DWORD dwX;
    DWORD dwY;
    DWORD dwWidth;
    DWORD dwHeight;
    float dvMinZ;
    float dvMaxZ;
};

struct D3DRECT {
    LONG x1;
    LONG y1;
    LONG x2;
    LONG y2;
};

struct D3DPRIMCAPS {
    DWORD dwSize;
    DWORD dwMiscCaps;
    DWORD dwRasterCaps;
    DWORD dwZCmpCaps;
    DWORD dwSrcBlendCaps;
    DWORD dwDestBlendCaps;
    DWORD dwAlphaCmpCaps;
    DWORD dwShadeCaps;
    DWORD dwTextureCaps;
    DWORD dwTextureFilterCaps;
    DWORD dwTextureBlendCaps;
    DWORD dwTextureAddressCaps;
    DWORD dwStippleWidth;
    DWORD dwStippleHeight;
};

struct D3DDEVICEDESC7 {
    DWORD dwDevCaps;
    D3DPRIMCAPS dpcLineCaps;
    D3DPRIMCAPS dpcTriCaps;
    DWORD dwDeviceRenderBitDepth;
    DWORD dwDeviceZBufferBitDepth;
    DWORD dwMinTextureWidth;
    DWORD dwMinTextureHeight;
    DWORD dwMaxTextureWidth;
    DWORD dwMaxTextureHeight;
    DWORD dwMaxTextureRepeat;
    DWORD dwMaxTextureAspectRatio;
    DWORD dwMaxAnisotropy;
    GUID deviceGUID;
};

using LPD3DENUMPIXELFORMATSCALLBACK = HRESULT (*)(DDPIXELFORMAT* format, void* context);

struct IDirect3DDevice7 : IUnknown {
    virtual HRESULT GetCaps(D3DDEVICEDESC7* desc) = 0;
    virtual HRESULT EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK callback, void* context) = 0;
    virtual HRESULT BeginScene() = 0;
    virtual HRESULT EndScene() = 0;
    virtual HRESULT SetRenderTarget(IDirectDrawSurface7* target, DWORD flags) = 0;
    virtual HRESULT Clear(DWORD count, D3DRECT* rects, DWORD flags, DWORD color, float z, DWORD stencil) = 0;
    virtual HRESULT SetViewport(D3DVIEWPORT7* viewport) = 0;
    virtual HRESULT GetViewport(D3DVIEWPORT7* viewport) = 0;
    virtual HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) = 0;
    virtual HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) = 0;
    virtual HRESULT SetTexture(DWORD stage, IDirectDrawSurface7* texture) = 0;
    virtual HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE state, DWORD value) = 0;
    virtual HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, DWORD fvf, void* vertices, DWORD count, DWORD flags) = 0;

protected:
    ~IDirect3DDevice7() = default;
};

struct IDirect3D7 : IUnknown {
    virtual HRESULT CreateDevice(REFIID type, IDirectDrawSurface7* target, IDirect3DDevice7** out) = 0;

protected:
    ~IDirect3D7() = default;
};

namespace platform {

// The identity the software adapter reports: a fixed GUID, the running
// program as its driver file (so the driver dates from the build) and a
// neutral description.
GUID SoftAdapterGuid();
inline constexpr const char* kSoftAdapterDescription = "Kivo Software Rasterizer";

// Creates the Direct3D object of a DirectDraw object (its QueryInterface
// for IID_IDirect3D7 lands here).
HRESULT CreateSoftDirect3D(IDirectDraw7* directDraw, IDirect3D7** out);

} // namespace platform
