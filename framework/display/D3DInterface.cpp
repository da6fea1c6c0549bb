#include "framework/display/D3DInterface.h"

#include "framework/display/DDInterface.h"
#include "framework/display/DXErrors.h"
#include "framework/display/DisplayHost.h"
#include "framework/graphics/MemoryImage.h"
#include "platform/win32/Window.h"

#include <algorithm>
#include <mutex>

namespace Kivo {

int gMinTextureWidth = 64;
int gMinTextureHeight = 64;
int gMaxTextureWidth = 64;
int gMaxTextureHeight = 64;
int gMaxTextureAspectRatio = 1;
uint32_t gSupportedTextureFormats = 0;
bool gLinearFilter = false;
bool gD3DRenderTargetFailed = false;

namespace {

DisplayHost* gErrorHost = nullptr;

template <typename T>
void ReleaseAndClear(T*& object)
{
    if (object) {
        object->Release();
        object = nullptr;
    }
}

HRESULT EnumTextureFormatsCallback(DDPIXELFORMAT* format, void* context)
{
    if (format)
        *static_cast<uint32_t*>(context) |= uint32_t(GetTextureFormatCode(*format));
    return HRESULT(DDENUMRET_OK);
}

} // namespace

void SetD3DErrorHost(DisplayHost* host) { gErrorHost = host; }

bool CheckDXError(HRESULT result, const char* step)
{
    if (!FAILED(result))
        return false;
    gLastD3DError = std::string(step) + ": " + GetDirectXErrorString(result);
    if (gErrorHost)
        gErrorHost->DisplayWriteRegistryString("Test3D\\RuntimeError", gLastD3DError);
    return true;
}

void SetLinearFilter(IDirect3DDevice7* device, bool linear)
{
    if (linear == gLinearFilter || !device)
        return;
    const DWORD v = linear ? 2 : 1;
    const char* step = linear ? "SetTextureStageState LINEAR" : "SetTextureStageState Point";
    CheckDXError(device->SetTextureStageState(0, D3DTSS_MINFILTER, v), step);
    CheckDXError(device->SetTextureStageState(0, D3DTSS_MAGFILTER, v), step);
    CheckDXError(device->SetTextureStageState(0, D3DTSS_MIPFILTER, v), step);
    gLinearFilter = linear;
}

uint32_t VertexColor(const Color& color)
{
    return uint32_t(color.GetAlpha()) << 24 | uint32_t(color.GetRed()) << 16 | uint32_t(color.GetGreen()) << 8 |
           uint32_t(color.GetBlue());
}

D3DInterface::D3DInterface()
{
    gMinTextureWidth = gMinTextureHeight = 64;
    gMaxTextureWidth = gMaxTextureHeight = 64;
    gMaxTextureAspectRatio = 1;
}

D3DInterface::~D3DInterface() { Cleanup(); }

bool D3DInterface::InitFromDDInterface(DDInterface* display)
{
    gLastD3DError.clear();
    mDisplay = display;
    SetD3DErrorHost(display->mHost);
    mDirectDraw = display->mDD7;
    mHWnd = display->mHWnd;
    mWidth = display->mWidth;
    mHeight = display->mHeight;
    // A display made through the first DirectDraw interface has no
    // Direct3D 7 to offer.
    if (!mDirectDraw) {
        gLastD3DError = "No IDirectDraw7";
        if (gErrorHost)
            gErrorHost->DisplayWriteRegistryString("Test3D\\RuntimeError", gLastD3DError);
        return false;
    }
    if (!display->mDrawSurface) {
        CheckDXError(DDERR_NOTINITIALIZED, "Query DrawSurface");
        return false;
    }
    if (CheckDXError(display->mDrawSurface->QueryInterface(IID_IDirectDrawSurface7,
                                                           reinterpret_cast<void**>(&mDrawSurface)),
                     "Query DrawSurface"))
        return false;
    return InitD3D();
}

bool D3DInterface::InitD3D()
{
    if (CheckDXError(mDirectDraw->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&mDirect3D)),
                     "QueryInterface IID_IDirect3D7"))
        return false;
    if (CheckDXError(mDirect3D->CreateDevice(IID_IDirect3DHALDevice, mDrawSurface, &mDevice),
                     "CreateDevice IID_IDirect3DHALDevice"))
        return false;
    D3DDEVICEDESC7 caps {};
    if (CheckDXError(mDevice->GetCaps(&caps), ""))
        return false;
    gMinTextureWidth = int(caps.dwMinTextureWidth);
    gMinTextureHeight = int(caps.dwMinTextureHeight);
    gMaxTextureWidth = int(std::min<DWORD>(caps.dwMaxTextureWidth, 1u << 30));
    gMaxTextureHeight = int(std::min<DWORD>(caps.dwMaxTextureHeight, 1u << 30));
    gMaxTextureAspectRatio = int(std::min<DWORD>(caps.dwMaxTextureAspectRatio, 1u << 30));
    gLinearFilter = false;
    if (caps.dwMaxTextureWidth == 0) {
        gMinTextureWidth = gMinTextureHeight = gMaxTextureWidth = gMaxTextureHeight = 64;
        gMaxTextureAspectRatio = 1;
    } else {
        gMaxTextureWidth = std::min(gMaxTextureWidth, 1024);
        gMaxTextureHeight = std::min(gMaxTextureHeight, 1024);
        gMinTextureWidth = std::max(gMinTextureWidth, 1);
        gMinTextureHeight = std::max(gMinTextureHeight, 1);
        if (gMaxTextureAspectRatio == 0)
            gMaxTextureAspectRatio = 65536;
    }
    gSupportedTextureFormats = 0;
    mDevice->EnumTextureFormats(EnumTextureFormatsCallback, &gSupportedTextureFormats);
    if (!(caps.dpcTriCaps.dwTextureCaps & D3DPTEXTURECAPS_ALPHAPALETTE))
        gSupportedTextureFormats &= ~uint32_t(kPalette8);
    SetupViewport();
    mDevice->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    return true;
}

void D3DInterface::SetupViewport()
{
    RECT client {};
    GetClientRect(mHWnd, &client);
    POINT topLeft { client.left, client.top };
    POINT bottomRight { client.right, client.bottom };
    ClientToScreen(mHWnd, &topLeft);
    ClientToScreen(mHWnd, &bottomRight);
    // The window may be wider than the draw surface (side bars): the
    // viewport stays on the surface.
    mViewport.dwX = 0;
    mViewport.dwY = 0;
    mViewport.dwWidth = DWORD(std::clamp<LONG>(bottomRight.x - topLeft.x, 0, mWidth));
    mViewport.dwHeight = DWORD(std::clamp<LONG>(bottomRight.y - topLeft.y, 0, mHeight));
    if (mViewport.dwWidth == 0 || mViewport.dwHeight == 0) {
        mViewport.dwWidth = DWORD(mWidth);
        mViewport.dwHeight = DWORD(mHeight);
    }
    mViewport.dvMinZ = 0.0f;
    mViewport.dvMaxZ = 1.0f;
    mDevice->SetViewport(&mViewport);
}

bool D3DInterface::PreDraw()
{
    if (!mDevice || (mDisplay && mDisplay->mHost && mDisplay->mHost->DisplayMinimized()))
        return false;
    if (mSceneActive)
        return true;
    if (FAILED(mDevice->SetRenderTarget(mDrawSurface, 0))) {
        gD3DRenderTargetFailed = true;
        return false;
    }
    gD3DRenderTargetFailed = false;
    mDevice->BeginScene();
    mDevice->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, TRUE);
    mDevice->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA);
    mDevice->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA);
    mDevice->SetRenderState(D3DRENDERSTATE_LIGHTING, FALSE);
    mDevice->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTFN_POINT);
    mDevice->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTFG_POINT);
    mDevice->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTFP_NONE);
    mDevice->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    mDevice->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
    mDevice->SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
    mDevice->SetRenderState(D3DRENDERSTATE_DITHERENABLE, FALSE);
    mDevice->SetRenderState(D3DRENDERSTATE_SPECULARENABLE, FALSE);
    mDevice->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, FALSE);
    mDevice->SetRenderState(D3DRENDERSTATE_ZENABLE, D3DZB_FALSE);
    mDevice->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
    mSceneActive = true;
    gLinearFilter = false;
    return true;
}

void D3DInterface::SetDrawMode(int drawMode, const Color&, Image*)
{
    DWORD src = D3DBLEND_SRCALPHA, dest = D3DBLEND_ONE;
    if (drawMode == 0) {
        dest = D3DBLEND_INVSRCALPHA;
    } else if (drawMode == 2) {
        src = D3DBLEND_ONE;
    }
    mDevice->SetRenderState(D3DRENDERSTATE_SRCBLEND, src);
    mDevice->SetRenderState(D3DRENDERSTATE_DESTBLEND, dest);
}

void D3DInterface::EndSceneIfActive()
{
    if (!mSceneActive)
        return;
    mDevice->EndScene();
    mSceneActive = false;
    gLastD3DError.clear();
}

void D3DInterface::Cleanup()
{
    if (mSceneActive) {
        mDevice->EndScene();
        mSceneActive = false;
        gLastD3DError.clear();
    }
    for (MemoryImage* image : mTexturedImages) {
        delete static_cast<TextureData*>(image->mD3DData);
        image->mD3DData = nullptr;
    }
    mTexturedImages.clear();
    ReleaseAndClear(mDevice);
    ReleaseAndClear(mDirect3D);
    ReleaseAndClear(mDrawSurface);
}

bool D3DInterface::CreateImageTexture(MemoryImage* image)
{
    auto* data = static_cast<TextureData*>(image->mD3DData);
    bool first = false;
    if (!data) {
        data = new TextureData;
        data->purgeRequested = image->mPurgeBits;
        image->mD3DData = data;
        if (mDisplay) {
            std::lock_guard lock(mDisplay->mCritSect);
            mTexturedImages.insert(image);
        } else {
            mTexturedImages.insert(image);
        }
        first = true;
    }
    const bool current = data->format != 0 && data->width == image->GetWidth() &&
                         data->height == image->GetHeight() && data->bitsChangedCount == image->mBitsChangedCount &&
                         data->imageFlags == image->mD3DFlags;
    if (!current)
        data->CreateTextures(image, mDevice, mDirectDraw);
    // The software bits go only once the textures hold the picture.
    if (first && data->purgeRequested && data->format != 0)
        image->PurgeBits();
    return data->format != 0;
}

void D3DInterface::RemoveImageTextures(MemoryImage* image)
{
    // Under the lock: a clean-up on another thread frees the same data.
    std::unique_lock<std::recursive_mutex> lock;
    if (mDisplay)
        lock = std::unique_lock(mDisplay->mCritSect);
    auto* data = static_cast<TextureData*>(image->mD3DData);
    if (!data)
        return;
    image->mD3DData = nullptr;
    mTexturedImages.erase(image);
    delete data;
}

bool D3DInterface::CopyTexturesToBits(MemoryImage* image, uint32_t* bits)
{
    auto* data = static_cast<TextureData*>(image->mD3DData);
    if (!data || !bits || data->bitsChangedCount != image->mBitsChangedCount)
        return false;
    return data->CopyToBits(image, bits);
}

} // namespace Kivo
