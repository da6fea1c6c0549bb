#pragma once
// The display device as the application uses it: set up for a window,
// present the screen image, hold the display lock that also guards the
// application's image set and shared images, and report what it found
// (refresh rate, size, presentation rectangle, errors).
//
// Until the DirectDraw device exists, NullDisplay stands behind this
// interface: a memory screen image and presents that go nowhere.
#include "framework/graphics/NativeDisplay.h"
#include "framework/graphics/Rect.h"
#include "platform/win32/Window.h"

#include <functional>
#include <mutex>
#include <string>

namespace Kivo {

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

// The Direct3D capability test's outcome as the application reads it.
struct D3DTester {
    bool mFailed = false;
    int mResultA = 0;
    int mResultB = 0;
};

class DDInterface : public NativeDisplay {
public:
    ~DDInterface() override = default;

    // Sets the display up for `window`; a DisplayResult.
    virtual int Init(HWND window, bool windowed) = 0;
    // Presents the screen image (null: all of it); false when the present
    // failed (the display is lost).
    virtual bool Redraw(const Rect* rect) = 0;
    virtual Image* GetScreenImage() = 0;
    virtual void SetVideoOnlyDraw(bool videoOnly) = 0;
    // Null: no software cursor. True when that changed anything.
    virtual bool SetCursorImage(Image* image) = 0;
    virtual void Remove3DData(MemoryImage* image) = 0;
    // Leaves full screen (DirectDraw's display-mode restore).
    virtual void RestoreDisplayMode() {}
    // Shows the desktop surface before a system message box (full screen).
    virtual void FlipToGDISurface() {}
    // A new image made on this display (a surface image on a real device).
    virtual MemoryImage* NewImage() = 0;
    // Whether the image's picture lives in a display surface, and the
    // request that it should from the display's next re-initialisation. A
    // display without surfaces keeps every picture in memory.
    virtual bool HasDisplaySurface(MemoryImage*) { return false; }
    virtual void RequestDisplaySurface(MemoryImage*) {}

    bool mIs3D = false;
    bool mIsWindowed = true;
    // Recursive: image creation under the lock registers the image, which
    // takes the lock again.
    std::recursive_mutex mCritSect;
    int mRefreshRate = 0;
    int mMillisecondsPerFrame = 0;
    int mWidth = 0;
    int mHeight = 0;
    Rect mPresentationRect;
    D3DTester* mD3DTester = nullptr;
    std::string mErrorString;
    bool m3DMayHaveFailed = false;
};

// How the application makes its display device; the null display until the
// program installs another.
using DisplayFactory = std::function<DDInterface*()>;
void SetDisplayFactory(DisplayFactory factory);
DDInterface* CreateDisplayDevice();

// The name of an Init result, "RESULT_UNKNOWN" for other values.
const char* DisplayResultName(int result);

} // namespace Kivo
