#include "framework/app/KivoAppBase.h"

#include "framework/display/D3DInterface.h"
#include "framework/display/D3DTester.h"

#include "framework/app/DebugOverlay.h"
#include "framework/app/PerfTimer.h"
#include "framework/app/VideoStats.h"
#include "framework/core/Strings.h"
#include "framework/display/DDInterface.h"
#include "framework/sound/SoundManager.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/Windows.h"
#include "platform/win32/Cursor.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace Kivo {

MouseButtonMessage MouseButtonOf(UINT message)
{
    switch (message) {
    case WM_LBUTTONDOWN: return {1, true};
    case WM_LBUTTONUP: return {1, false};
    case WM_LBUTTONDBLCLK: return {2, true};
    case WM_RBUTTONDOWN: return {-1, true};
    case WM_RBUTTONUP: return {-1, false};
    case WM_RBUTTONDBLCLK: return {-2, true};
    case WM_MBUTTONDOWN: return {3, true};
    case WM_MBUTTONUP: return {3, false};
    default: return {};
    }
}

LRESULT KivoWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* app = reinterpret_cast<KivoAppBase*>(GetWindowLongPtrA(window, GWL_USERDATA));
    if (!app)
        return DefWindowProcA(window, message, wParam, lParam);
    return app->WindowProc(window, message, wParam, lParam);
}

void KivoAppBase::FatalDisplayFailure(int result)
{
    Popup(GetString("FAILED_INIT_DIRECTDRAW", "Failed to initialize DirectDraw: ") + DisplayResultName(result) + " " +
          (ddInterface ? ddInterface->mErrorString : std::string()));
    Exit(1);
}

void KivoAppBase::MakeWindow()
{
    if (hwnd) {
        SetWindowLongPtrA(hwnd, GWL_USERDATA, 0);
        DestroyWindow(hwnd);
        hwnd = nullptr;
        if (widgetManager)
            widgetManager->mScreenImage = nullptr;
    }
    if (!demoPlaying && !windowed) {
        hwnd = CreateWindowExA(WS_EX_TOPMOST, "MainWindow", title.c_str(), WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                               nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        displayWindowed = false;
    } else {
        const DWORD style = WS_POPUP | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
        RECT frame { 0, 0, width, height };
        AdjustWindowRect(&frame, style, FALSE);
        const int frameWidth = frame.right - frame.left;
        const int frameHeight = frame.bottom - frame.top;
        RECT work {};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        if (preferredX != -1) {
            int x = std::max(preferredX, int(work.left) + 4);
            int y = std::max(preferredY, int(work.top) + 4);
            if (x + frameWidth >= work.right - 4)
                x = work.right - 4 - frameWidth;
            if (y + frameHeight >= work.bottom - 4)
                y = work.bottom - 4 - frameHeight;
            hwnd = CreateWindowExA(0, "MainWindow", title.c_str(), style, x, y, frameWidth, frameHeight, nullptr,
                                   nullptr, GetModuleHandleA(nullptr), nullptr);
        } else {
            hwnd = CreateWindowExA(0, "MainWindow", title.c_str(), style, 64, 64, frameWidth, frameHeight, nullptr,
                                   nullptr, GetModuleHandleA(nullptr), nullptr);
            const int x = (work.right - work.left - frameWidth) / 2 + work.left;
            const int y = work.top + int(0.382 * (work.bottom - work.top - frameHeight));
            MoveWindow(hwnd, x, y, frameWidth, frameHeight, FALSE);
        }
        displayWindowed = true;
    }
    if (!hwnd) {
        // No display to show a window on; the window system has said why.
        // Running on with no window would leave a game nobody can see or end.
        Exit(1);
        return;
    }
    SetWindowLongPtrA(hwnd, GWL_USERDATA, reinterpret_cast<LONG_PTR>(this));

    if (!ddInterface) {
        ddInterface = CreateDisplayDevice();
        bool is3D = false;
        if (RegistryReadBoolean("Is3D", &is3D)) {
            if (autoEnable3D) {
                autoEnable3D = false;
                test3D = true;
            }
            if (is3D)
                test3D = true;
            ddInterface->mIs3D = is3D;
        }
    }

    const int r = InitDisplay();
    if (ddInterface->mD3DTester && !ddInterface->mD3DTester->mFailureReason.empty())
        RegistryEraseValue("Is3D");
    if (r != RESULT_OK) {
        if (displayWindowed && r == RESULT_INVALID_COLORDEPTH) {
            if (forceWindowed) {
                Popup(GetString("PLEASE_SET_COLOR_DEPTH", "Please set your desktop color depth to 16 bit."));
                Exit(1);
            }
            forceFullscreen = true;
            SwitchScreenMode(false);
            return;
        }
        if (!displayWindowed && (r == RESULT_EXCLUSIVE_FAIL || r == RESULT_DISPCHANGE_FAIL)) {
            // Windowed failed before and full screen fails now: nothing is
            // left to try.
            if (forceFullscreen)
                FatalDisplayFailure(r);
            forceWindowed = true;
            SwitchScreenMode(true);
            return;
        }
        if (r == RESULT_3D_FAIL || ddInterface->mIs3D)
            Set3DMode(false, true);
        else
            FatalDisplayFailure(r);
    }

    const bool wasActive = active;
    active = GetActiveWindow() == hwnd;
    iconicBySize = false;
    if (minimized) {
        if (muteOnLostFocus)
            Unmute(true);
        minimized = false;
        UpdateFocusState();
    }
    if (active != wasActive)
        UpdateFocusState();
    ReInitImages();
    if (widgetManager) {
        widgetManager->mScreenImage = ddInterface->GetScreenImage();
        widgetManager->MarkAllDirty();
    }
    SetTimer(hwnd, 100, UINT(updateStepMs), nullptr);
}

int KivoAppBase::InitDisplay()
{
    PreDisplayInitHook();
    DeleteNativeImageData();
    const int r = ddInterface->Init(hwnd, displayWindowed);
    refreshRate = ddInterface->mRefreshRate;
    if (r != RESULT_OK)
        return r;
    gameRect = Rect((width - ddInterface->mWidth) / 2, (height - ddInterface->mHeight) / 2, ddInterface->mWidth,
                    ddInterface->mHeight);
    screenRect = gameRect;
    if (widgetManager)
        widgetManager->SetMouseMapping(gameRect, ddInterface->mPresentationRect);
    if (demoRecording && !shutdown) {
        WriteDemoEvent(false, kDemoDisplaySettings);
        demoBuffer.WriteByte(windowed ? 1 : 0);
        demoBuffer.WriteByte(uint8_t(std::clamp(refreshRate, 0, 255)));
    }
    PostDisplayInitHook();
    return r;
}

void KivoAppBase::Set3DMode(bool is3D, bool reinit)
{
    if (!ddInterface || ddInterface->mIs3D == is3D)
        return;
    is3DChanged = true;
    ddInterface->mIs3D = is3D;
    if (!reinit)
        return;
    const int r = InitDisplay();
    if (r != RESULT_OK) {
        if (!is3D)
            FatalDisplayFailure(r);
        Set3DMode(false, reinit);
        return;
    }
    ReInitImages();
    if (widgetManager) {
        widgetManager->mScreenImage = ddInterface->GetScreenImage();
        widgetManager->MarkAllDirty();
    }
}

void KivoAppBase::SwitchScreenMode(bool wantWindowed, bool is3D, bool force)
{
    const bool w = forceFullscreen ? false : wantWindowed;
    if (windowed == w && !force) {
        Set3DMode(is3D, true);
        return;
    }
    if (ddInterface && ddInterface->mIs3D != is3D) {
        is3DChanged = true;
        ddInterface->mIs3D = is3D;
    }
    windowed = w;
    MakeWindow();
    if (openURLPending) {
        ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    } else {
        ShowWindow(hwnd, SW_SHOWNORMAL);
        SetForegroundWindow(hwnd);
    }
    if (soundManager)
        soundManager->SetCooperativeWindow(hwnd, windowed);
}

void KivoAppBase::SwitchScreenMode(bool wantWindowed)
{
    SwitchScreenMode(wantWindowed, Is3DAccelerated(), false);
}

void KivoAppBase::SwitchScreenMode()
{
    SwitchScreenMode(windowed, Is3DAccelerated(), true);
}

void KivoAppBase::SetAlphaDisabled(bool isDisabled)
{
    if (alphaDisabled == isDisabled)
        return;
    alphaDisabled = isDisabled;
    if (!ddInterface)
        return;
    ddInterface->SetVideoOnlyDraw(isDisabled);
    if (widgetManager) {
        widgetManager->mScreenImage = ddInterface->GetScreenImage();
        widgetManager->MarkAllDirty();
    }
}

void KivoAppBase::RedrawChecks(const Rect* rect)
{
    if (drawing || shutdown || screenSaverSuspended || !ddInterface)
        return;
    if (ddInterface->Redraw(rect)) {
        displayLost = false;
        return;
    }
    displayLost = true;
    // A lost surface refuses to be a render target until the display is
    // made again: that says nothing about 3D itself.
    gD3DRenderTargetFailed = false;
    WINDOWPLACEMENT placement {};
    placement.length = sizeof placement;
    GetWindowPlacement(hwnd, &placement);
    const uint32_t now = GetTickCount();
    if (!active && (TickDiff(now, lastRestoreAttempt) <= 1000 || !displayWindowed))
        return;
    if (placement.showCmd == SW_SHOWMINIMIZED)
        return;
    lastRestoreAttempt = now;
    if (widgetManager)
        widgetManager->mScreenImage = nullptr;
    if (displayWindowed && (width >= GetSystemMetrics(SM_CXSCREEN) || height >= GetSystemMetrics(SM_CYSCREEN))) {
        if (forceWindowed) {
            Popup(GetString("PLEASE_SET_COLOR_DEPTH", "Please set your desktop color depth to 16 bit."));
            Shutdown();
        } else {
            forceFullscreen = true;
            SwitchScreenMode(false);
        }
        return;
    }
    const int r = InitDisplay();
    if (r == RESULT_INVALID_COLORDEPTH && displayWindowed) {
        if (active) {
            forceFullscreen = true;
            SwitchScreenMode(false);
        }
    } else if (r == RESULT_3D_FAIL) {
        Set3DMode(false, true);
    } else if (r == RESULT_OK) {
        ReInitImages();
        if (widgetManager) {
            widgetManager->mScreenImage = ddInterface->GetScreenImage();
            widgetManager->MarkAllDirty();
        }
    }
}

LRESULT KivoAppBase::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (screensaverMode) {
        LRESULT result = 0;
        if (ScreenSaverFilter(window, message, wParam, lParam, &result))
            return result;
    }
    switch (message) {
    case WM_DESTROY:
        OutputDebugStringA(StrFormat("DESTROYED HWND: %d\r\n", int(reinterpret_cast<intptr_t>(window))).c_str());
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_ENABLE:
        disabled = wParam == 0;
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_PAINT:
        if (initialized && !crashed) {
            if (loopRunning)
                RedrawChecks(nullptr);
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_QUERYOPEN:
        return AppCanRestore() ? DefWindowProcA(window, message, wParam, lParam) : 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_ENDSESSION:
        Shutdown();
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_ACTIVATEAPP:
        if (!demoPlaying && window == hwnd)
            active = wParam != 0;
        if (popupActive)
            return DefWindowProcA(window, message, wParam, lParam);
        return QueueMessage(window, message, wParam, lParam);
    case WM_SETCURSOR:
        if (!crashed)
            EnforceCursor();
        return 1;
    case WM_NCLBUTTONDOWN: {
        LRESULT r = DefWindowProcA(window, message, wParam, lParam);
        lastAccTime = timeGetTime();
        timeAcc = 0;
        return r;
    }
    case WM_SYSCHAR:
        return IsDebugKey(int(wParam)) ? 0 : DefWindowProcA(window, message, wParam, lParam);
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_MONITORPOWER) {
            lastMonitorPowerTime = GetTickCount();
            if (!allowMonitorPowerOff || !loadingHandedOver)
                return 0;
        } else if ((wParam & 0xFFF0) == SC_SCREENSAVE) {
            if (!loadingHandedOver || !displayWindowed)
                return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_MOVE:
    case WM_SIZE:
    case WM_CLOSE:
    case WM_SYSCOLORCHANGE:
    case WM_DISPLAYCHANGE:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_TIMER:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MOUSEWHEEL:
        if (popupActive)
            return DefWindowProcA(window, message, wParam, lParam);
        return QueueMessage(window, message, wParam, lParam);
    default:
        if (message == notifyMessageId && notifyMessageId != 0 && window == hwnd) {
            HandleNotifyGameMessage(wParam, lParam);
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

LRESULT KivoAppBase::QueueMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const int key = int(wParam);
    if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) {
        if (key == VK_CONTROL)
            ctrlDown = true;
        if (key == VK_MENU)
            altDown = true;
        if (DebugKeyCombo(key, ctrlDown, altDown))
            return 0;
    } else if (message == WM_KEYUP || message == WM_SYSKEYUP) {
        if (key == VK_CONTROL)
            ctrlDown = false;
        if (key == VK_MENU)
            altDown = false;
    }
    if (demoPlaying && !demoDialog) {
        if (message == WM_KEYDOWN)
            DebugKeyDown(key);
        else if (message == WM_CHAR)
            DemoPlaybackKey(char(wParam));
    }

    // Coalescing.
    if (!deferredMessages.empty() && deferredMessages.back().message == WM_CLOSE)
        return message == WM_CLOSE ? 0 : DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_TIMER && !deferredMessages.empty() && deferredMessages.back().message == WM_TIMER)
        return 0;
    if (message == WM_SYSCOLORCHANGE || message == WM_DISPLAYCHANGE) {
        for (const MSG& m : deferredMessages)
            if (m.message == WM_SYSCOLORCHANGE || m.message == WM_DISPLAYCHANGE)
                return DefWindowProcA(window, message, wParam, lParam);
    }

    if (message == WM_MOUSEMOVE && mouseSensitivity != 1.0f) {
        const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
        if (!sensitivityStarted) {
            sensitivityStarted = true;
            sensitivityLastX = x;
            sensitivityLastY = y - 1;
        }
        int nx = x, ny = y;
        if (mouseIn) {
            const float fx = float(x - sensitivityLastX) * mouseSensitivity + sensitivityCarryX;
            const float fy = float(y - sensitivityLastY) * mouseSensitivity + sensitivityCarryY;
            const int dx = int(fx), dy = int(fy);
            sensitivityCarryX = fx - float(dx);
            sensitivityCarryY = fy - float(dy);
            nx = sensitivityLastX + dx;
            ny = sensitivityLastY + dy;
        }
        if (nx == sensitivityLastX && ny == sensitivityLastY)
            return DefWindowProcA(window, message, wParam, lParam);
        sensitivityLastX = nx;
        sensitivityLastY = ny;
        POINT pt { nx, ny };
        ClientToScreen(window, &pt);
        SetCursorPos(pt.x, pt.y);
        lParam = MAKELPARAM(nx, ny);
    }

    deferredMessages.push_back(MSG { window, message, wParam, lParam, GetTickCount(), { 0, 0 } });

    switch (message) {
    case WM_SIZE:
        iconicBySize = wParam == SIZE_MINIMIZED;
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_SYSKEYDOWN:
        return key == VK_F4 ? DefWindowProcA(window, message, wParam, lParam) : 0;
    case WM_CLOSE:
        WindowCloseHook();
        return 0;
    case WM_ACTIVATEAPP:
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

bool KivoAppBase::ProcessDeferredMessages(bool singleMessage)
{
    while (!deferredMessages.empty()) {
        const MSG msg = deferredMessages.front();
        deferredMessages.pop_front();
        RecordDemoMessage(msg);
        // While a playback window is open, live input goes to it.
        if (!demoPlaying || demoDialog)
            DispatchDeferred(msg);
        else if (msg.message == WM_CLOSE && (msg.hwnd == hwnd || msg.hwnd == invisHwnd)) {
            closeRequested = true;
            Shutdown();
        }
        if (singleMessage)
            break;
    }
    return !deferredMessages.empty();
}

void KivoAppBase::DispatchDeferred(const MSG& msg)
{
    const UINT message = msg.message;
    const WPARAM wParam = msg.wParam;
    const int key = int(wParam);
    switch (message) {
    case WM_MOVE:
        if (msg.hwnd == hwnd && windowed) {
            WINDOWPLACEMENT placement {};
            placement.length = sizeof placement;
            if (GetWindowPlacement(hwnd, &placement) &&
                (placement.showCmd == SW_SHOWNORMAL || placement.showCmd == SW_SHOW)) {
                preferredX = placement.rcNormalPosition.left;
                preferredY = placement.rcNormalPosition.top;
            }
        }
        break;
    case WM_SIZE: {
        const bool isMin = wParam == SIZE_MINIMIZED;
        if (msg.hwnd == hwnd && !shutdown && isMin != minimized) {
            minimized = isMin;
            if (!isMin) {
                if (muteOnLostFocus)
                    Unmute(true);
                if (widgetManager)
                    widgetManager->MarkAllDirty();
            } else if (muteOnLostFocus) {
                Mute(true);
            }
        }
        if (msg.hwnd == hwnd && !shutdown) {
            UpdateFocusState();
            if (wParam == SIZE_MAXIMIZED)
                SwitchScreenMode(false);
        }
        break;
    }
    case WM_SYSCOLORCHANGE:
    case WM_DISPLAYCHANGE:
        if (widgetManager) {
            widgetManager->SysColorChangedAll();
            widgetManager->MarkAllDirty();
        }
        break;
    case WM_ACTIVATEAPP:
        if (msg.hwnd == hwnd && !crashed && !shutdown) {
            UpdateFocusState();
            if (active && !displayWindowed && widgetManager)
                widgetManager->MarkAllDirty();
            if (openURLPending && !active)
                OpenURLSucceeded(pendingURL);
        }
        break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP: {
        if (crashed || !widgetManager)
            break;
        int x = GET_X_LPARAM(msg.lParam), y = GET_Y_LPARAM(msg.lParam);
        widgetManager->MapMousePoint(x, y);
        lastInputTime = lastTimerTick;
        widgetManager->MouseMove(x, y);
        if (!mouseIn) {
            mouseIn = true;
            EnforceCursor();
        }
        const MouseButtonMessage mouse = MouseButtonOf(message);
        if (mouse.button != 0 && mouse.down) {
            SetCapture(hwnd);
            widgetManager->MouseDown(x, y, mouse.button);
        } else if (mouse.button != 0) {
            // The capture goes with the last button held.
            const int bit = mouse.button == 1 ? 1 : mouse.button == -1 ? 2 : 4;
            if ((widgetManager->mActualButtons & ~bit) == 0)
                ReleaseCapture();
            widgetManager->MouseUp(x, y, mouse.button);
        }
        break;
    }
    case WM_MOUSEWHEEL:
        if (widgetManager)
            widgetManager->MouseWheel(int(int8_t(int16_t(HIWORD(wParam)) / WHEEL_DELTA)));
        break;
    case WM_TIMER:
        if (!crashed && loopRunning)
            HandleTimer();
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        lastInputTime = lastTimerTick;
        if (message == WM_SYSKEYDOWN && key == VK_RETURN && !forceFullscreen && !forceWindowed) {
            SwitchScreenMode(!windowed);
            ClearKeyStates();
            break;
        }
        if ((key == 'D' || key == 'd') && widgetManager && widgetManager->IsKeyDown(VK_CONTROL) &&
            widgetManager->IsKeyDown(VK_MENU)) {
            debugKeysOn = !debugKeysOn;
        }
        if (!widgetManager)
            break;
        if (debugKeysOn) {
            if (!DebugKeyDown(key))
                widgetManager->KeyDown(key);
        } else {
            widgetManager->KeyDown(key);
        }
        break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        lastInputTime = lastTimerTick;
        if (widgetManager)
            widgetManager->KeyUp(key);
        break;
    case WM_CHAR:
        lastInputTime = lastTimerTick;
        if (widgetManager)
            widgetManager->KeyChar(char(wParam));
        break;
    case WM_CLOSE:
        if (msg.hwnd == hwnd || msg.hwnd == invisHwnd) {
            closeRequested = true;
            Shutdown();
        }
        break;
    default:
        break;
    }
}

void KivoAppBase::HandleTimer()
{
    const uint32_t now = GetTickCount();
    if (TickDiff(now, lastTimerTick) > 500)
        timerGapStart = now;
    lastTimerTick = now;

    if (openURLPending && TickDiff(now, timerGapStart) > 5000) {
        if (!active && TickDiff(now, urlOpenTime) > 8000)
            OpenURLSucceeded(pendingURL);
        else if (active && TickDiff(now, urlOpenTime) > 12000)
            OpenURLFailed(pendingURL);
    }

    POINT pt {};
    GetCursorPos(&pt);
    bool inside = WindowFromPoint(pt) == hwnd && hwnd != nullptr;
    POINT client = pt;
    ScreenToClient(hwnd, &client);
    if (inside && ddInterface)
        inside = client.x >= 0 && client.y >= 0 && client.x < ddInterface->mWidth && client.y < ddInterface->mHeight;
    if (inside == mouseIn)
        return;
    RecordDemoCommand(inside ? kDemoMouseEnter : kDemoMouseLeave);
    if (inside) {
        mouseIn = true;
        EnforceCursor();
    } else {
        int x = client.x, y = client.y;
        if (widgetManager) {
            widgetManager->MapMousePoint(x, y);
            widgetManager->MouseExit(x, y);
        }
        mouseIn = false;
        EnforceCursor();
    }
}

void KivoAppBase::UpdateFocusState()
{
    const bool has = active && !minimized;
    if (has == hadFocus)
        return;
    hadFocus = has;
    if (has) {
        if (muteOnLostFocus)
            Unmute(true);
        if (widgetManager)
            widgetManager->GotFocus();
        GotFocus();
    } else {
        if (muteOnLostFocus)
            Mute(true);
        if (widgetManager)
            widgetManager->LostFocus();
        LostFocus();
        ReleaseCapture();
        if (widgetManager)
            widgetManager->ReleaseHeldButtons();
    }
}

void KivoAppBase::ClearKeyStates()
{
    if (widgetManager)
        std::fill(std::begin(widgetManager->mKeyDown), std::end(widgetManager->mKeyDown), uint8_t(0));
    ctrlDown = false;
    altDown = false;
}

// Only a full-screen display has to make way for a system box; a windowed
// one keeps queueing input while the box is up.
void KivoAppBase::BeginPopup()
{
    if (displayWindowed)
        return;
    if (ddInterface)
        ddInterface->FlipToGDISurface();
    popupActive = true;
}

void KivoAppBase::EndPopup()
{
    popupActive = false;
    timeAcc = 0;
    lastAccTime = timeGetTime();
    ClearKeyStates();
    if (widgetManager && widgetManager->mHeldButtons != 0) {
        widgetManager->ReleaseHeldButtons();
        ReleaseCapture();
    }
}

void KivoAppBase::EnforceCursor()
{
    if (!ddInterface)
        return;
    LPCSTR idc = IDC_ARROW;
    HCURSOR custom = nullptr;
    bool none = false;
    if (!crashed && mouseIn) {
        switch (cursorNum) {
        case 1: custom = handCursor; break;
        case 2: custom = draggingCursor; break;
        case 3: idc = IDC_IBEAM; break;
        case 4: idc = IDC_NO; break;
        case 5: idc = IDC_SIZEALL; break;
        case 6: idc = IDC_SIZENESW; break;
        case 7: idc = IDC_SIZENS; break;
        case 8: idc = IDC_SIZENWSE; break;
        case 9: idc = IDC_SIZEWE; break;
        case 10: idc = IDC_WAIT; break;
        case 11:
        case 12: none = true; break;
        default: break;
        }
    }
    ::SetCursor(none ? nullptr : custom ? custom : LoadCursorA(nullptr, idc));
    if (ddInterface->SetCursorImage(nullptr))
        forceRedraw = true;
    systemCursorShown = true;
}

void KivoAppBase::SetCursor(int num)
{
    cursorNum = num;
    EnforceCursor();
}

void KivoAppBase::HandleNotifyGameMessage(WPARAM wParam, LPARAM)
{
    if (wParam != 0 || !hwnd)
        return;
    if (IsIconic(hwnd))
        ShowWindow(hwnd, SW_RESTORE);
    SetForegroundWindow(hwnd);
}

void KivoAppBase::SignalOtherInstanceAndExit()
{
    if (!singleInstanceSignal)
        return;
    if (notifyMessageId != 0)
        PostMessageA(HWND_BROADCAST, notifyMessageId, 0, 0);
    std::fprintf(stderr, "%s is already running: this copy ends and the running one comes forward.\n",
        productName.c_str());
    Exit(0);
}

bool KivoAppBase::AppCanRestore()
{
    return !disabled;
}

bool KivoAppBase::IsDebugKey(int key)
{
    const int c = std::tolower(key & 0xFF);
    return key == 13 || c == 'r';
}

bool KivoAppBase::DebugKeyDown(int key)
{
    const bool shift = widgetManager && widgetManager->IsKeyDown(VK_SHIFT);
    const int c = std::tolower(key & 0xFF);
    if (c == 'r') {
        if (shift)
            fpsMode = fpsMode == 0 ? 1 : 0, showFps = true;
        else
            showFps = !showFps;
        // A count begun before the overlay was switched off means nothing.
        if (showFps)
            ResetFPSOverlay();
        return false;
    }
    if (c == 'w' && shift) {
        Set3DMode(!Is3DAccelerated(), true);
        MsgBox(StrFormat("3D-Mode: %s", Is3DAccelerated() ? "ON" : "OFF"), "Mode Switch", MB_OK);
        return true;
    }
    if (c == 'w') {
        DumpProgramInfo(*this);
        return true;
    }
    if (c == 'y')
        return true;
    if (c == 'q') {
        if (IsPerfOn()) {
            PerfEnd();
            MsgBox(GetPerfResults(), "Perf Results", MB_OK);
        } else {
            timeAcc = 0;
            lastAccTime = timeGetTime();
            PerfBegin();
        }
    }
    return false;
}

bool KivoAppBase::DebugKeyCombo(int, bool, bool)
{
    return false;
}

bool KivoAppBase::ScreenSaverFilter(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    *result = 0;
    const uint32_t now = GetTickCount();
    const bool afterMonitorPower = TickDiff(now, lastMonitorPowerTime) <= 1000 && lastMonitorPowerTime != 0;
    bool end = false;
    switch (message) {
    case WM_CREATE:
        if (!screenSaverStarted) {
            screenSaverStarted = true;
            GetCursorPos(&screenSaverCursor);
        }
        return false;
    case WM_SYSCOMMAND: {
        const WPARAM cmd = wParam & 0xFFF0;
        return cmd == SC_CLOSE || cmd == SC_NEXTWINDOW || cmd == SC_PREVWINDOW || cmd == SC_SCREENSAVE;
    }
    case WM_MOUSEMOVE: {
        const POINT p { GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) };
        if (p.x == screenSaverCursor.x && p.y == screenSaverCursor.y)
            return false;
        screenSaverCursor = p;
        if (++screenSaverMoves <= 3)
            return true;
        end = !afterMonitorPower;
        break;
    }
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP:
    case WM_NCACTIVATE:
        end = wParam == 0 && !afterMonitorPower;
        break;
    case WM_CLOSE:
        end = !afterMonitorPower;
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        end = true;
        break;
    default:
        break;
    }
    if (end && !screenSaverClosing) {
        // No password check exists on this system.
        screenSaverClosing = true;
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
    return false;
}

} // namespace Kivo
