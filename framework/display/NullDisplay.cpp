#include "framework/display/NullDisplay.h"

#include "framework/graphics/MemoryImage.h"

namespace Kivo {

namespace {
DisplayFactory& Factory()
{
    static DisplayFactory factory;
    return factory;
}
}

void SetDisplayFactory(DisplayFactory factory)
{
    Factory() = std::move(factory);
}

DDInterface* CreateDisplayDevice()
{
    if (Factory())
        return Factory()();
    return new NullDisplay(800, 600);
}

const char* DisplayResultName(int result)
{
    static const char* const kNames[] = {
        "RESULT_OK", "RESULT_FAIL", "RESULT_DD_CREATE_FAIL", "RESULT_SURFACE_FAIL",
        "RESULT_EXCLUSIVE_FAIL", "RESULT_DISPCHANGE_FAIL", "RESULT_INVALID_COLORDEPTH",
    };
    return result >= 0 && result < 7 ? kNames[result] : "RESULT_UNKNOWN";
}

NullDisplay::NullDisplay(int width, int height)
{
    mWidth = width;
    mHeight = height;
    mRefreshRate = 60;
    mMillisecondsPerFrame = 1000 / 60;
    mPresentationRect = Rect(0, 0, width, height);
    mRGBBits = 32;
    mRedMask = 0xFF0000, mGreenMask = 0xFF00, mBlueMask = 0xFF;
    mRedBits = mGreenBits = mBlueBits = 8;
    mRedShift = 16, mGreenShift = 8, mBlueShift = 0;
}

NullDisplay::~NullDisplay()
{
    delete mScreenImage;
}

int NullDisplay::Init(HWND window, bool windowed)
{
    ++mInits;
    mWindow = window;
    mIsWindowed = windowed;
    int result = RESULT_OK;
    if (!mInitResults.empty()) {
        result = mInitResults.front();
        mInitResults.pop_front();
    }
    if (result == RESULT_OK && !mScreenImage) {
        std::lock_guard lock(mCritSect);
        mScreenImage = new MemoryImage();
        mScreenImage->Create(mWidth, mHeight);
    }
    return result;
}

bool NullDisplay::Redraw(const Rect*)
{
    bool ok = true;
    if (!mRedrawResults.empty()) {
        ok = mRedrawResults.front();
        mRedrawResults.pop_front();
    }
    if (ok)
        ++mPresents;
    return ok;
}

Image* NullDisplay::GetScreenImage()
{
    return mScreenImage;
}

void NullDisplay::SetVideoOnlyDraw(bool)
{
}

bool NullDisplay::SetCursorImage(Image* image)
{
    std::lock_guard lock(mCritSect);
    const bool changed = image != mCursorImage;
    mCursorImage = image;
    return changed;
}

MemoryImage* NullDisplay::NewImage()
{
    return new MemoryImage();
}

} // namespace Kivo
