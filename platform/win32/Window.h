#pragma once
// Windows, their procedures and their placement, over the backend's window
// system. Only the main window (the first visible style) reaches the
// backend; other windows (the invisible message window) exist only here.
#include "platform/gdi/Gdi.h"
#include "platform/win32/WinTypes.h"

#include <cstdint>
#include <string>

using LONG_PTR = intptr_t;
using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using HICON = HANDLE;
using HCURSOR = HANDLE;
using HMENU = HANDLE;
using ATOM = WORD;

inline constexpr DWORD WS_OVERLAPPED = 0x00000000;
inline constexpr DWORD WS_POPUP = 0x80000000;
inline constexpr DWORD WS_VISIBLE = 0x10000000;
inline constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
inline constexpr DWORD WS_CAPTION = 0x00C00000;
inline constexpr DWORD WS_SYSMENU = 0x00080000;
inline constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
inline constexpr DWORD WS_EX_TOPMOST = 0x00000008;
inline constexpr UINT CS_DBLCLKS = 0x0008;

inline constexpr int GWL_USERDATA = -21;

inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOWMINIMIZED = 2;
inline constexpr int SW_SHOWMAXIMIZED = 3;
inline constexpr int SW_SHOWNOACTIVATE = 4;
inline constexpr int SW_SHOW = 5;
inline constexpr int SW_MINIMIZE = 6;
inline constexpr int SW_RESTORE = 9;

inline constexpr int SM_CXSCREEN = 0;
inline constexpr int SM_CYSCREEN = 1;
inline constexpr int SM_CXFULLSCREEN = 16;
inline constexpr int SM_CYFULLSCREEN = 17;
inline constexpr int SM_TABLETPC = 86;

inline constexpr UINT SPI_GETSCREENSAVETIMEOUT = 0x000E;
inline constexpr UINT SPI_GETSCREENSAVEACTIVE = 0x0010;
inline constexpr UINT SPI_GETWORKAREA = 0x0030;
inline constexpr UINT SPI_GETSCREENSAVERRUNNING = 0x0072;

struct WNDCLASSA {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
};

struct WINDOWPLACEMENT {
    UINT length;
    UINT flags;
    UINT showCmd;
    POINT ptMinPosition;
    POINT ptMaxPosition;
    RECT rcNormalPosition;
};

ATOM RegisterClassA(const WNDCLASSA* windowClass);
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
BOOL DestroyWindow(HWND window);
BOOL IsWindow(HWND window);
BOOL ShowWindow(HWND window, int command);
// The caption of a window that the backend shows; others keep none.
BOOL SetWindowTextA(HWND window, LPCSTR text);
BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint);
BOOL SetForegroundWindow(HWND window);
HWND GetActiveWindow();
BOOL IsIconic(HWND window);
BOOL GetWindowPlacement(HWND window, WINDOWPLACEMENT* placement);
BOOL GetClientRect(HWND window, RECT* rect);
BOOL AdjustWindowRect(RECT* rect, DWORD style, BOOL menu);
LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value);
LONG_PTR GetWindowLongPtrA(HWND window, int index);
BOOL ClientToScreen(HWND window, POINT* point);
BOOL ScreenToClient(HWND window, POINT* point);
HWND WindowFromPoint(POINT point);
HWND SetCapture(HWND window);
BOOL ReleaseCapture();
HWND GetCapture();
BOOL SetCursorPos(int x, int y);
BOOL GetCursorPos(POINT* point);
int GetSystemMetrics(int index);
// SPI_GETWORKAREA fills a RECT; the screen-saver queries fill a BOOL or
// UINT and answer "inactive" and "not running" (no reliable source here).
BOOL SystemParametersInfoA(UINT action, UINT param, LPVOID out, UINT winIni);
HMODULE GetModuleHandleA(LPCSTR name);
// An icon registered by the program under the name (platform::RegisterIcon);
// null for any other name.
HICON LoadIconA(HINSTANCE instance, LPCSTR name);

namespace platform {
// Forgets every window, timer and queued message (tests).
void ResetWindows();
// Takes the shown window off the screen; safe inside a signal handler
// (WindowSystem::HideAfterCrash).
void HideWindowAfterCrash();
}

namespace platform {
// Makes `argb` (rows top down) the program's icon resource `name`: windows
// of a class with that icon show it.
void RegisterIcon(const std::string& name, const uint32_t* argb, int width, int height);
} // namespace platform
