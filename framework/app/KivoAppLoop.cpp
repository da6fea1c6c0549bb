#include "framework/app/KivoAppBase.h"

#include "framework/app/DebugOverlay.h"
#include "framework/core/Strings.h"
#include "framework/display/DDInterface.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/sound/MusicInterface.h"
#include "framework/sound/SoundManager.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/StopSignal.h"
#include "platform/Windows.h"

#include <algorithm>
#include <cmath>

namespace Kivo {

namespace {

void LoadingThreadEntry(void* arg)
{
    auto* app = static_cast<KivoAppBase*>(arg);
    app->LoadingThreadProc();
    OutputDebugStringA(StrFormat("Resource Loading Time: %d\r\n", TickDiff(GetTickCount(), app->startTime)).c_str());
    app->loadingDone = true;
}

} // namespace

void KivoAppBase::CatchStopSignals()
{
    platform::CatchStopSignals();
}

int KivoAppBase::StopSignal()
{
    return platform::StopSignal();
}

void KivoAppBase::ClearStopSignal()
{
    platform::ClearStopSignal();
}

void KivoAppBase::StartLoadingThread()
{
    if (loadingStarted)
        return;
    loadingStarted = true;
    loadingThrottle = true;
    if (_beginthread(LoadingThreadEntry, 0, this) == uintptr_t(-1)) {
        loadingThrottle = false;
        loadingDone = true;
    }
}

void KivoAppBase::WaitForLoadingThread()
{
    while (loadingStarted && !loadingDone)
        ::Sleep(20);
}

void KivoAppBase::Start()
{
    if (shutdown)
        return;
    if (autoStartLoadingThread)
        StartLoadingThread();
    if (hwnd) {
        ShowWindow(hwnd, SW_SHOW);
        SetForegroundWindow(hwnd);
        // The shown window is active at once, its focus messages still
        // queued: the focus is taken now (as when the window is made), so
        // that the first pass does not sleep as an application in the
        // background before the first frame. A demo replays its own focus.
        if (!demoPlaying) {
            active = GetActiveWindow() == hwnd;
            UpdateFocusState();
        }
        // The shown window gets its first frame on the loop's first pass,
        // whether or not anything is marked dirty yet.
        needsDraw = true;
        forceRedraw = true;
    }
    timeBeginPeriod(1);
    lastInputTime = lastTimerTick = GetTickCount();
    loopRunning = true;
    MainLoop();
    ProcessSafeDeleteList();
    loopRunning = false;
    WaitForLoadingThread();

    const int runMillis = TickDiff(GetTickCount(), startTime);
    OutputDebugStringA(StrFormat("Seconds       = %g\r\n", runMillis / 1000.0).c_str());
    OutputDebugStringA(StrFormat("Sleep Count   = %d\r\n", sleepCount).c_str());
    OutputDebugStringA(StrFormat("Update Count  = %d\r\n", updateCount).c_str());
    OutputDebugStringA(StrFormat("Draw Count    = %d\r\n", drawCount).c_str());
    OutputDebugStringA(StrFormat("Draw Time     = %d\r\n", drawTime).c_str());
    OutputDebugStringA(StrFormat("Screen Blt    = %d\r\n", screenBltTime).c_str());
    // The frames per second that drawing and presenting alone could sustain.
    if (drawTime + screenBltTime > 0) {
        const int64_t fps = int64_t(drawCount) * 1000 / (drawTime + screenBltTime);
        OutputDebugStringA(StrFormat("Avg FPS       = %d\r\n", int(fps)).c_str());
    }
    timeEndPeriod(1);
    PreTerminate();
    WriteToRegistry();
}

void KivoAppBase::MainLoop()
{
    while (!shutdown) {
        exitNestedLoops = false;
        UpdateApp();
    }
}

bool KivoAppBase::UpdateApp()
{
    bool updated = false;
    do {
        if (!UpdateAppStep(&updated))
            return false;
    } while (!updated);
    return true;
}

bool KivoAppBase::UpdateAppStep(bool* updated)
{
    if (updated)
        *updated = false;
    if (const int signal = platform::StopSignal(); signal != 0 && !shutdown) {
        OutputDebugStringA(StrFormat("Stopping on signal %d\r\n", signal).c_str());
        Shutdown();
    }
    if (exitNestedLoops)
        return false;
    if (paused) {
        loopState = 3;
        ::Sleep(100);
        // A failed load, or a shutdown asked for by another thread, is
        // carried out while paused too: the failure's own message box takes
        // the focus away, so waiting for it to come back could last forever.
        if (loadingFailed)
            Shutdown();
    }
    if (loopState == 3)
        loopState = 0;
    ++nestDepth;
    struct DepthGuard {
        int& depth;
        ~DepthGuard() { --depth; }
    } guard { nestDepth };

    if (loopState == 0) {
        MSG msg;
        while (!shutdown && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        ProcessDemo();
        if (!ProcessDeferredMessages(true))
            loopState = 1;
        return true;
    }
    const int before = updateCount;
    Process(true);
    if (updated && updateCount != before)
        *updated = true;
    return true;
}

bool KivoAppBase::FastForwardDemo(double updatesPerFrame)
{
    auto wanted = [this] {
        return demoPlaying && !demoDialog && !shutdown && (updateCount < ffTargetUpdate || ffToMarker);
    };
    if (wanted()) {
        if (!demoMuted && !ffStep) {
            Mute(true);
            demoMuted = true;
        }
        if (!ffRefreshTickSet) {
            ffRefreshTick = GetTickCount();
            ffRefreshTickSet = true;
        }
        while (wanted()) {
            timeAcc = 0;
            lastAccTime = timeGetTime();
            // Events due now are replayed first: the updates wait for them.
            ProcessDemo();
            if (!DoUpdateFrames())
                return true;
            fracUpdateAcc += updatesPerFrame - 1.0;
            ProcessSafeDeleteList();
            while (fracUpdateAcc >= 1.0) {
                ProcessDemo();
                if (!DoUpdateFrames())
                    break;
                ProcessSafeDeleteList();
                fracUpdateAcc -= 1.0;
            }
            UpdateFTimeAcc(updatesPerFrame);
            ProcessSafeDeleteList();
            const uint32_t tick = GetTickCount();
            if (TickDiff(tick, ffRefreshTick) >= 1000 || ffStep) {
                ffStep = false;
                ffRefreshTick = tick;
                Redraw(nullptr);
                return true;
            }
        }
    }
    if (demoMuted) {
        demoMuted = false;
        if (soundManager)
            soundManager->StopAllSounds();
        Unmute(true);
    }
    return false;
}

void KivoAppBase::AccumulateTime(uint32_t now)
{
    if (lastAccTime != 0)
        timeAcc = std::min(timeAcc + double(TickDiff(now, lastAccTime)), 200.0);
    lastAccTime = now;
}

bool KivoAppBase::Process(bool allowSleep)
{
    if (loadingFailed)
        Shutdown();

    const bool vsyncPacing = !demoPlaying && waitForVSync && !redrawSkipped && !vsyncBroken &&
        (!displayWindowed || (adjustJerking && !adjustJerkingAllowed));

    // A display that reports no rate (0 Hz) is timed as 60 Hz.
    const int rate = refreshRate > 0 ? refreshRate : 60;
    double frameTime;
    double updatesPerFrame;
    if (waitForVSync) {
        frameTime = (1000.0 / rate) / speed;
        updatesPerFrame = 1000.0 / (double(updateStepMs) * rate);
    } else {
        frameTime = updateStepMs / speed;
        updatesPerFrame = 1.0;
    }

    if (FastForwardDemo(updatesPerFrame))
        return true;

    if (!paused && speed > 0) {
        const uint32_t passStart = timeGetTime();
        uint32_t slept = 0;
        if (!vsyncPacing)
            AccumulateTime(passStart);
        // Draws what is due, or sleeps out the rest of the frame; false when
        // a sleep is due but the caller allows none.
        auto drawOrSleep = [&] {
            loopState = 3;
            updatesSinceDraw = 0;
            if (needsDraw) {
                Redraw(nullptr);
                return true;
            }
            // Rounded up: the clock counts whole milliseconds, and the
            // last fraction of a frame would otherwise be waited out by
            // passing through this loop without sleeping.
            const int n = int(std::ceil(frameTime - timeAcc));
            if (n > 0) {
                if (!allowSleep)
                    return false;
                ++sleepCount;
                ::Sleep(DWORD(n));
                slept = uint32_t(n);
            }
            return true;
        };

        if (loopState == 1) {
            ++updatesSinceDraw;
            bool doUpdate = false;
            if (updatesSinceDraw >= int(std::ceil(speed * 10)) && loadingHandedOver) {
                doUpdate = false;
            } else if (vsyncPacing) {
                doUpdate = !needsDraw || timeAcc >= double(int(frameTime * 0.75));
            } else {
                doUpdate = timeAcc >= frameTime;
            }
            if (doUpdate) {
                if (!demoPlaying && speed == 1.0) {
                    ++vsyncUpdateCount;
                    if (vsyncUpdateCount >= uint32_t((updateStepMs + 999) / updateStepMs)) {
                        const uint32_t now = timeGetTime();
                        if (TickDiff(now, vsyncCheckTime) <= 800) {
                            if (++vsyncFastCount >= 3)
                                vsyncBroken = true;
                        } else {
                            vsyncFastCount = 0;
                        }
                        vsyncCheckTime = now;
                        vsyncUpdateCount = 0;
                    }
                }
                if (DoUpdateFrames())
                    loopState = 2;
                needsDraw = true;
            } else if (!drawOrSleep()) {
                return false;
            }
        } else if (loopState == 2) {
            loopState = 3;
            fracUpdateAcc += updatesPerFrame - 1.0;
            ProcessSafeDeleteList();
            while (fracUpdateAcc >= 1.0) {
                ProcessDemo();
                ++updatesSinceDraw;
                if (!DoUpdateFrames())
                    break;
                ProcessSafeDeleteList();
                fracUpdateAcc -= 1.0;
            }
            UpdateFTimeAcc(updatesPerFrame);
            ProcessSafeDeleteList();
            if (vsyncPacing)
                timeAcc = std::max(0.0, timeAcc - frameTime - 0.2);
            else
                timeAcc -= frameTime;
        } else if (!drawOrSleep()) {
            return false;
        }

        if (loadingThrottle) {
            // Signed: a pass that took less than it slept owes nothing.
            int32_t w = 2 * (TickDiff(timeGetTime(), passStart) - int32_t(slept)) - int32_t(slept);
            w = std::min<int32_t>(w, 250);
            if (w >= 0) {
                if (!allowSleep)
                    return false;
                ::Sleep(DWORD(w));
            }
        }
    }
    ProcessSafeDeleteList();
    return true;
}

bool KivoAppBase::DoUpdateFrames()
{
    if (screenSaverSuspended)
        return false;
    auto handOver = [this] {
        loadingHandedOver = true;
        loadingThrottle = false;
        LoadingThreadCompleted();
    };
    if (demoPlaying && demoDialog) {
        // A playback window is open: the recording stands still and only
        // the window moves on (its caret blinks).
        demoDialog->Update();
        return true;
    }
    if (demoPlaying) {
        // The hand-over happens at the update the recording had it.
        if (loadingDone && !loadingHandedOver && demoLoadingDone)
            handOver();
        if (loadingHandedOver != demoLoadingDone || DemoInputPending())
            return false;
    } else if (loadingDone && !loadingHandedOver) {
        handOver();
        RecordDemoCommand(kDemoLoadingDone);
    }
    UpdateFrames();
    return true;
}

void KivoAppBase::UpdateFrames()
{
    ++updateCount;
    if (!minimized && widgetManager)
        widgetManager->UpdateFrame();
    if (musicInterface)
        musicInterface->Update();
    if (!sharedImagesDirty)
        return;
    std::unique_lock<std::recursive_mutex> lock;
    if (ddInterface)
        lock = std::unique_lock(ddInterface->mCritSect);
    for (auto it = sharedImageMap.begin(); it != sharedImageMap.end();) {
        if (it->second.mRefCount == 0) {
            delete it->second.mImage;
            it = sharedImageMap.erase(it);
        } else {
            ++it;
        }
    }
    sharedImagesDirty = false;
}

void KivoAppBase::UpdateFTimeAcc(double frac)
{
    if (waitForVSync && !minimized && widgetManager)
        widgetManager->UpdateFrameF(float(frac));
}

void KivoAppBase::ProcessSafeDeleteList()
{
    safeDeleteList.Process(nestDepth);
}

void KivoAppBase::SafeDeleteWidget(Widget* widget)
{
    safeDeleteList.Add(nestDepth, widget);
}

bool KivoAppBase::ScreenSaverCheck(uint32_t now)
{
    if (screensaverMode || !displayWindowed)
        return screenSaverSuspended;
    if (!screenSaverRead || TickDiff(now, screenSaverReadTime) > 10000) {
        UINT timeout = 0;
        BOOL isActive = FALSE;
        SystemParametersInfoA(SPI_GETSCREENSAVETIMEOUT, 0, &timeout, 0);
        SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &isActive, 0);
        screenSaverRead = true;
        screenSaverReadTime = now;
        screenSaverLimitMs = uint32_t(std::max<int>(int(timeout) - 2, 1)) * 1000;
        screenSaverActive = isActive != FALSE;
        if (!screenSaverActive)
            screenSaverSuspended = false;
    }
    // No last-input query exists on this system: lastInputTime is kept by
    // the input handling alone.
    if (screenSaverActive) {
        const uint32_t idle = uint32_t(TickDiff(now, lastInputTime));
        if (screenSaverSuspended) {
            BOOL running = FALSE;
            if (!SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0))
                running = FALSE;
            if (!running && idle < screenSaverLimitMs) {
                screenSaverSuspended = false;
                if (widgetManager)
                    widgetManager->MarkAllDirty();
            }
        } else if (idle > screenSaverLimitMs) {
            screenSaverSuspended = true;
        }
    }
    return screenSaverSuspended;
}

void KivoAppBase::PrepareOverlays()
{
    if (fpsMode == 0)
        DrawFPSOverlay(*this);
    else if (fpsMode == 1 && widgetManager)
        DrawMouseOverlay(*this, widgetManager->mLastX, widgetManager->mLastY);
    if (demoPlaying)
        DrawDemoTimeOverlay(*this);
}

void KivoAppBase::DrawOverlays()
{
    Image* screen = ddInterface ? ddInterface->GetScreenImage() : nullptr;
    MemoryImage* frame = GetFPSOverlayImage();
    if (!screen || !frame)
        return;
    Graphics g(screen);
    const int x = screen->mWidth - frame->mWidth - 10;
    g.DrawImage(frame, x, screen->mHeight - frame->mHeight - 10);
    MemoryImage* demo = GetDemoTimeOverlayImage();
    if (demoPlaying && demo)
        g.DrawImage(demo, screen->mWidth - demo->mWidth - 10, screen->mHeight - frame->mHeight - demo->mHeight - 15);
}

bool KivoAppBase::Redraw(const Rect*)
{
    auto skip = [this] {
        needsDraw = false;
        redrawSkipped = true;
        return false;
    };
    if (displayLost) {
        RedrawChecks(nullptr);
        return skip();
    }
    if (showFps)
        PrepareOverlays();
    uint32_t now = timeGetTime();
    if (TickDiff(now, lastScreenSaverCheck) > 1000) {
        lastScreenSaverCheck = now;
        ScreenSaverCheck(now);
    }
    if (screenSaverSuspended)
        return skip();

    const uint32_t drawStart = timeGetTime();
    drawing = true;
    const bool drew = widgetManager && widgetManager->DrawScreen();
    drawing = false;
    now = timeGetTime();
    if (!drew && TickDiff(now, lastPresentTime) < 1000 && !forceRedraw)
        return skip();
    if (TickDiff(now, nextDrawTime) < 0)
        return skip();

    ++drawCount;
    redrawSkipped = false;
    drawTime += TickDiff(now, drawStart);
    if (showFps)
        DrawOverlays();
    if (adjustJerking && displayWindowed && adjustJerkingAllowed && ddInterface) {
        const int32_t wait = ddInterface->mMillisecondsPerFrame - TickDiff(timeGetTime(), lastPresentTime);
        if (wait > 0)
            ::Sleep(DWORD(wait));
    }
    const uint32_t presentStart = timeGetTime();
    lastPresentTime = presentStart;
    RedrawChecks(nullptr);
    startupRegistryWrites.reset();
    now = timeGetTime();
    AccumulateTime(now);
    screenBltTime = TickDiff(now, presentStart); // the last present's time

    if (loadingStarted && !loadingDone) {
        const int32_t d = TickDiff(now, drawStart);
        nextDrawTime += uint32_t(std::max<int32_t>(d, 15) + 35);
        if (TickDiff(nextDrawTime, now) <= 0)
            nextDrawTime = now;
    } else {
        nextDrawTime = now;
    }
    needsDraw = false;
    forceRedraw = false;
    return true;
}

} // namespace Kivo
