#pragma once
// Window geometry the display device reads: the desktop size, the client
// area and its origin, and moving a window.
#include "platform/win32/WinTypes.h"

inline constexpr int SM_CXSCREEN = 0;
inline constexpr int SM_CYSCREEN = 1;

int GetSystemMetrics(int index);
BOOL GetClientRect(HWND window, RECT* rect);
BOOL ClientToScreen(HWND window, POINT* point);
BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint);
