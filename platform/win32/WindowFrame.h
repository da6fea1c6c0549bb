#pragma once
// Window frames. SDL sizes a window by its client area and draws the frame
// itself, so a window rect here is its client rect.
#include "platform/win32/WinTypes.h"

struct WINDOWINFO {
    DWORD cbSize;
    RECT rcWindow;
    RECT rcClient;
    DWORD dwStyle;
    DWORD dwExStyle;
    DWORD dwWindowStatus;
    UINT cxWindowBorders;
    UINT cyWindowBorders;
    WORD atomWindowType;
    WORD wCreatorVersion;
};

BOOL GetWindowInfo(HWND window, WINDOWINFO* info);
BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD exStyle);
BOOL OffsetRect(RECT* rect, int dx, int dy);
