#pragma once
// The DirectDraw display device: it owns the DirectDraw objects, the primary
// surface, the surface the application draws into (wrapped by the screen
// image), the software-cursor save areas, the screen's pixel format with
// its lookup tables, and the display lock. Init decides the geometry: the
// size of the draw buffer, of the window or display mode, and where the draw
// buffer lands when their aspects differ. Redraw presents each frame.
#include "framework/graphics/NativeDisplay.h"
#include "framework/graphics/Ratio.h"
#include "framework/graphics/Rect.h"
#include "platform/ddraw/DDraw.h"

#include <functional>
#include <mutex>
#include <string>

namespace Kivo {

class D3DInterface;
class D3DTester;
class DDImage;
class DisplayHost;
class Image;
class MemoryImage;

// Results of DDInterface::Init.
enum DisplayResult {
    RESULT_OK = 0,
    RESULT_FAIL = 1,
    RESULT_DD_CREATE_FAIL = 2,
    RESULT_SURFACE_FAIL = 3,
    RESULT_EXCLUSIVE_FAIL = 4,
    RESULT_DISPCHANGE_FAIL = 5,
    RESULT_INVALID_COLORDEPTH = 6,
    RESULT_3D_FAIL = 7,
};

// The text of the last failed Direct3D step; empty while Direct3D works.
extern std::string gLastD3DError;
// Set by surface creation: the primary's masks order blue < green < red.
extern bool gRGBOrder;

class DDInterface : public NativeDisplay {
public:
    // A device without a host (a test double) must override Init.
    explicit DDInterface(DisplayHost* host = nullptr);
    ~DDInterface() override;
    DDInterface(const DDInterface&) = delete;
    DDInterface& operator=(const DDInterface&) = delete;

    virtual int Init(HWND window, bool windowed);
    // Presents the screen image (null: all of it); false when not
    // initialised, after a Direct3D failure, or when the blit or flip failed.
    virtual bool Redraw(const Rect* rect = nullptr);
    virtual Image* GetScreenImage();
    virtual void SetVideoOnlyDraw(bool videoOnly);
    // Null hides the software cursor; false when the image is already it.
    virtual bool SetCursorImage(Image* image);
    virtual void Remove3DData(MemoryImage* image);
    // Leaves full screen (DirectDraw's display-mode restore).
    virtual void RestoreDisplayMode();
    // Shows the desktop surface before a system message box (full screen).
    virtual void FlipToGDISurface();
    // A new image made on this display.
    virtual MemoryImage* NewImage();
    // Whether the image's picture lives in a display surface, and the
    // request that it should from the display's next re-initialisation.
    virtual bool HasDisplaySurface(MemoryImage* image);
    virtual void RequestDisplaySurface(MemoryImage* image);
    void ReleaseAll();

    HRESULT CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface** out, IUnknown* outer);
    void ClearSurface(IDirectDrawSurface* surface);
    // False when `result` succeeded; else records "step: ERROR_NAME".
    bool CheckDDError(HRESULT result, const char* step);
    bool Is3DTarget(IDirectDrawSurface* surface) const { return mIs3D && surface && surface == mDrawSurface; }
    // Runs the Direct3D capability test once per device when the
    // application asks for it, and applies its verdict to mIs3D; false when
    // it did not run.
    bool RunD3DTest(HWND window);
    // Rebuilds an image's bits from its Direct3D textures.
    bool ReadTexturesToBits(MemoryImage* image);
    // Finishes the Direct3D scene before the draw surface is read or shown.
    void EndScene3D();

    DisplayHost* mHost;
    bool mIs3D = false;
    // Re-entrant: Init, surface creation and image registration nest in it.
    std::recursive_mutex mCritSect;
    LPDIRECTDRAWCREATE mDirectDrawCreate = nullptr;
    LPDIRECTDRAWCREATEEX mDirectDrawCreateEx = nullptr;
    IDirectDraw* mDD = nullptr;
    IDirectDraw7* mDD7 = nullptr;
    IDirectDrawSurface* mPrimarySurface = nullptr;
    IDirectDrawSurface* mSecondarySurface = nullptr; // back buffer or video-memory copy
    IDirectDrawSurface* mDrawSurface = nullptr;
    int mWidth = 0; // draw buffer
    int mHeight = 0;
    Ratio mAspect;
    int mDesktopWidth = 0;
    int mDesktopHeight = 0;
    Ratio mDesktopAspect;
    bool mIsWidescreen = false; // aspect correction: scaled or with bars
    int mDisplayWidth = 0;
    int mDisplayHeight = 0;
    Ratio mDisplayAspect;
    Rect mPresentationRect;
    int mFullscreenBits = 32;
    int mRefreshRate = 60;
    int mMillisecondsPerFrame = 16;
    int mScanLineFailCount = 0;
    int mNextCursorWaitMs = 0; // first wait of the paced blit
    int mSecondWaitMs = 0;
    int* mRedAddTable = nullptr;
    int* mGreenAddTable = nullptr;
    int* mBlueAddTable = nullptr;
    uint32_t mRedConvTable[256] {};
    uint32_t mGreenConvTable[256] {};
    uint32_t mBlueConvTable[256] {};
    bool mInitialized = false;
    HWND mHWnd = nullptr;
    bool mIsWindowed = true;
    DDImage* mScreenImage = nullptr;
    bool mVideoOnlyDraw = false;
    int mCursorWidth = 64;
    int mCursorHeight = 64;
    int mCursorX = 0;
    int mCursorY = 0;
    int mCursorDrawnX = 0;
    int mCursorDrawnY = 0;
    Image* mCursorImage = nullptr;
    bool mHasOldCursorArea = false;
    IDirectDrawSurface* mOldCursorArea = nullptr;
    IDirectDrawSurface* mNewCursorArea = nullptr;
    DDImage* mOldCursorAreaImage = nullptr;
    DDImage* mNewCursorAreaImage = nullptr;
    std::string mErrorString;
    D3DInterface* mD3DInterface;
    D3DTester* mD3DTester = nullptr;

private:
    int InitLocked(HWND window, bool windowed);
    int CreateWindowedSurfaces();
    int CreateFullscreenSurfaces();
    int CreateDrawSurfaceAndClipper(const char* drawStep, const char* clipperStep);
    void DeriveFormat(const DDSURFACEDESC& desc);
    void DrawCursorTo(IDirectDrawSurface* surface, bool toScreen);
    void RestoreCursorArea(IDirectDrawSurface* surface, bool toScreen);
    // The cursor's 64 x 64 area clipped to `clip`: its part of the area
    // surfaces and where it lies on the surface (moved to the screen when
    // asked). Returns the latter as a Rect.
    Rect CursorRects(const Rect& clip, bool toScreen, RECT& area, RECT& on);
    HRESULT PacedBlit(RECT dest, RECT src, DDBLTFX* fx);
    POINT ClientOrigin();
};

// The name of an Init result: "RESULT_OK" ... "RESULT_INVALID_COLORDEPTH",
// "RESULT_UNKNOWN" for other values.
const char* DisplayResultName(int result);
inline std::string DisplayResultToString(int result) { return DisplayResultName(result); }

// How the application makes its display device; the null display until the
// program installs another.
using DisplayFactory = std::function<DDInterface*()>;
void SetDisplayFactory(DisplayFactory factory);
DDInterface* CreateDisplayDevice();

} // namespace Kivo
