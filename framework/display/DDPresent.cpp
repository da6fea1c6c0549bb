#include "framework/display/DDImage.h"
#include "framework/display/DDInterface.h"

#include "framework/display/D3DInterface.h"
#include "framework/display/DisplayHost.h"
#include "platform/win32/Time.h"
#include "platform/win32/Window.h"
#include "platform/win32/WindowFrame.h"

namespace Kivo {
namespace {

// Give up on a scan-line poll after this long.
constexpr DWORD kScanLineLimitMs = 200;

// Draws `image` with its top-left at (x, y), clipped to `dest`.
void DrawClipped(Image* dest, Image* image, int x, int y)
{
    const Rect on = Rect(x, y, image->GetWidth(), image->GetHeight()).Intersection(Rect(0, 0, dest->GetWidth(), dest->GetHeight()));
    if (on.mWidth <= 0 || on.mHeight <= 0)
        return;
    dest->Blt(image, on.mX, on.mY, Rect(on.mX - x, on.mY - y, on.mWidth, on.mHeight), Color(255, 255, 255), 0);
}

DDBLTFX BltFx()
{
    DDBLTFX fx {};
    fx.dwSize = sizeof fx;
    return fx;
}

} // namespace

POINT DDInterface::ClientOrigin()
{
    POINT origin { 0, 0 };
    ClientToScreen(mHWnd, &origin);
    return origin;
}

bool DDInterface::SetCursorImage(Image* image)
{
    std::lock_guard lock(mCritSect);
    if (image == mCursorImage)
        return false;
    mCursorImage = image;
    return true;
}

bool DDInterface::Redraw(const Rect* rect)
{
    std::lock_guard lock(mCritSect);
    if (!mInitialized)
        return false;
    if (mIs3D && !gLastD3DError.empty()) {
        mIs3D = false;
        return false;
    }
    mD3DInterface->EndSceneIfActive();

    RECT dest, src;
    DDBLTFX fx = BltFx();
    if (rect && !mIsWidescreen) {
        dest = src = { rect->mX, rect->mY, rect->mX + rect->mWidth, rect->mY + rect->mHeight };
    } else {
        dest = { mPresentationRect.mX, mPresentationRect.mY, mPresentationRect.mX + mPresentationRect.mWidth,
                 mPresentationRect.mY + mPresentationRect.mHeight };
        src = { 0, 0, mWidth, mHeight };
    }
    if (mIsWidescreen)
        fx.dwDDFX = DDBLTFX_ARITHSTRETCHY;
    const POINT origin = ClientOrigin();
    OffsetRect(&dest, origin.x, origin.y);

    // Software drawing on the screen image's bits reaches the surface here.
    if (mScreenImage)
        mScreenImage->FlushBitsToSurface();
    // Waits for drawing on the surface to finish. Skipped while the screen
    // image holds a lock of its own, which an Unlock here would end.
    if (!mScreenImage || mScreenImage->mLockCount == 0) {
        DDSURFACEDESC desc {};
        desc.dwSize = sizeof desc;
        if (SUCCEEDED(mDrawSurface->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_READONLY, nullptr)))
            mDrawSurface->Unlock(nullptr);
    }

    const bool vsync = mHost->WaitForVBlank() && !mHost->NoWaitForVBlank();
    HRESULT result;
    const char* step;
    if (mIsWindowed && !mVideoOnlyDraw) {
        mCursorDrawnX = mCursorX;
        mCursorDrawnY = mCursorY;
        DrawCursorTo(mDrawSurface, false);
        if (vsync && mScanLineFailCount < 3) {
            result = PacedBlit(dest, src, &fx);
        } else {
            if (vsync)
                mDD->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
            result = mPrimarySurface->Blt(&dest, mDrawSurface, &src, DDBLT_WAIT, &fx);
        }
        if (mHasOldCursorArea)
            RestoreCursorArea(mDrawSurface, false);
        step = "Redraw Windowed";
    } else if (mIsWindowed) {
        if (vsync)
            mDD->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
        mCursorDrawnX = mCursorX;
        mCursorDrawnY = mCursorY;
        DrawCursorTo(mSecondarySurface, true);
        result = mPrimarySurface->Blt(&dest, mSecondarySurface, &src, DDBLT_WAIT, &fx);
        step = "Redraw Windowed";
    } else if (!mHost->PopupActive() && mHost->PageFlipAllowed()) {
        result = DD_OK;
        if (!mVideoOnlyDraw)
            result = mSecondarySurface->Blt(&dest, mDrawSurface, &src, DDBLT_WAIT, &fx);
        mCursorDrawnX = mCursorX;
        mCursorDrawnY = mCursorY;
        DrawCursorTo(mSecondarySurface, true);
        if (SUCCEEDED(result))
            result = mPrimarySurface->Flip(nullptr, DDFLIP_WAIT);
        step = "Redraw FullScreen Flip";
    } else {
        result = mPrimarySurface->Blt(&dest, mDrawSurface, &src, DDBLT_WAIT, &fx);
        step = "Redraw FullScreen Blt";
    }
    return !CheckDDError(result, step);
}

HRESULT DDInterface::PacedBlit(RECT dest, RECT src, DDBLTFX* fx)
{
    const int half = mHost->AppHeight() / 2;
    const LONG middle = dest.top + half;
    const LONG bottom = dest.top + mHeight;
    const LONG screenHeight = GetSystemMetrics(SM_CYSCREEN);

    DWORD scan = 0x7FFFFFFF;
    bool slept = false;
    bool paced = false;
    const DWORD startTick = GetTickCount();
    const DWORD startTime = timeGetTime();
    while (GetTickCount() - startTick < kScanLineLimitMs) {
        const HRESULT hr = mDD->GetScanLine(&scan);
        if (hr == DD_OK) {
            if (LONG(scan) < middle && LONG(scan) < screenHeight) {
                if (!slept) {
                    slept = true;
                    if (mNextCursorWaitMs > 0)
                        Sleep(DWORD(mNextCursorWaitMs / 2));
                }
            } else if (slept) {
                mNextCursorWaitMs = int(timeGetTime() - startTime);
                paced = true;
                break;
            }
        } else if (hr == DDERR_VERTICALBLANKINPROGRESS) {
            if (slept) {
                paced = true;
                break;
            }
        } else {
            break;
        }
    }
    if (!paced) {
        ++mScanLineFailCount;
        mDD->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
        return mPrimarySurface->Blt(&dest, mDrawSurface, &src, DDBLT_WAIT, fx);
    }

    mScanLineFailCount = 0;
    RECT upperDest { dest.left, dest.top, dest.right, middle };
    RECT upperSrc { src.left, src.top, src.right, half };
    mPrimarySurface->Blt(&upperDest, mDrawSurface, &upperSrc, DDBLT_WAIT, fx);

    const DWORD previous = scan;
    const DWORD secondStart = timeGetTime();
    if (mSecondWaitMs > 0)
        Sleep(DWORD(mSecondWaitMs / 2));
    // The same limit as the first poll: a display that stops answering must
    // not hold the frame (and the display lock) for ever.
    const DWORD secondTick = GetTickCount();
    bool passed = false;
    while (GetTickCount() - secondTick < kScanLineLimitMs) {
        if (SUCCEEDED(mDD->GetScanLine(&scan)) && (scan < previous || LONG(scan) >= bottom)) {
            passed = true;
            break;
        }
    }
    if (!passed)
        ++mScanLineFailCount;
    mSecondWaitMs = int(timeGetTime() - secondStart);
    RECT lowerDest { dest.left, middle, dest.right, bottom };
    RECT lowerSrc { src.left, half, src.right, src.bottom };
    return mPrimarySurface->Blt(&lowerDest, mDrawSurface, &lowerSrc, DDBLT_WAIT, fx);
}

Rect DDInterface::CursorRects(const Rect& clip, bool toScreen, RECT& area, RECT& on)
{
    const Rect cursor(mCursorDrawnX - mCursorWidth / 2, mCursorDrawnY - mCursorHeight / 2, mCursorWidth,
                      mCursorHeight);
    Rect inter = cursor.Intersection(clip);
    const int ox = inter.mX - cursor.mX, oy = inter.mY - cursor.mY;
    if (toScreen) {
        const POINT origin = ClientOrigin();
        inter.mX += origin.x;
        inter.mY += origin.y;
    }
    area = { ox, oy, ox + inter.mWidth, oy + inter.mHeight };
    on = { inter.mX, inter.mY, inter.mX + inter.mWidth, inter.mY + inter.mHeight };
    return inter;
}

void DDInterface::DrawCursorTo(IDirectDrawSurface* surface, bool toScreen)
{
    if (!mOldCursorArea || !mCursorImage || !mPrimarySurface) {
        mHasOldCursorArea = false;
        return;
    }
    DDSURFACEDESC desc {};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
    mPrimarySurface->GetSurfaceDesc(&desc);
    const Rect screen(0, 0, int(desc.dwWidth), int(desc.dwHeight));

    RECT area, on;
    const Rect inter = CursorRects(mPresentationRect, toScreen, area, on);
    const int ox = area.left, oy = area.top;
    DDBLTFX fx = BltFx();
    HRESULT hr = mOldCursorArea->Blt(&area, surface, &on, DDBLT_WAIT, &fx);
    if (FAILED(hr)) {
        const Rect clipped = inter.Intersection(screen);
        area = { ox + clipped.mX - inter.mX, oy + clipped.mY - inter.mY, 0, 0 };
        area.right = area.left + clipped.mWidth;
        area.bottom = area.top + clipped.mHeight;
        on = { clipped.mX, clipped.mY, clipped.mX + clipped.mWidth, clipped.mY + clipped.mHeight };
        hr = mOldCursorArea->Blt(&area, surface, &on, DDBLT_WAIT, &fx);
    }
    mHasOldCursorArea = SUCCEEDED(hr);

    const int imageX = (mCursorWidth - mCursorImage->GetWidth()) / 2;
    const int imageY = (mCursorHeight - mCursorImage->GetHeight()) / 2;
    if (surface == mDrawSurface && !mIs3D) {
        DrawClipped(mScreenImage, mCursorImage, mCursorDrawnX - mCursorWidth / 2 + imageX,
                    mCursorDrawnY - mCursorHeight / 2 + imageY);
        mScreenImage->FlushBitsToSurface();
        return;
    }
    mNewCursorArea->Blt(&area, mOldCursorArea, &area, DDBLT_WAIT, &fx);
    DrawClipped(mNewCursorAreaImage, mCursorImage, imageX, imageY);
    mNewCursorAreaImage->FlushBitsToSurface();
    surface->Blt(&on, mNewCursorArea, &area, DDBLT_WAIT, &fx);
}

void DDInterface::RestoreCursorArea(IDirectDrawSurface* surface, bool toScreen)
{
    if (!mHasOldCursorArea || !mPrimarySurface)
        return;
    RECT area, on;
    CursorRects(Rect(0, 0, mWidth, mHeight), toScreen, area, on);
    DDBLTFX fx = BltFx();
    surface->Blt(&on, mOldCursorArea, &area, DDBLT_WAIT, &fx);
    // The screen image's bits (if any) still hold the cursor.
    if (surface == mDrawSurface && mScreenImage && mScreenImage->mBits)
        mScreenImage->DeleteAllNonSurfaceData();
    mHasOldCursorArea = false;
}

} // namespace Kivo
