#include "platform/win32/Window.h"

#include "platform/Backend.h"

int GetSystemMetrics(int index)
{
    const platform::DesktopMode desktop = platform::CurrentBackend().GetPresenter().Desktop();
    switch (index) {
    case SM_CXSCREEN:
        return desktop.width;
    case SM_CYSCREEN:
        return desktop.height;
    default:
        return 0;
    }
}

BOOL GetClientRect(HWND, RECT* rect)
{
    if (!rect)
        return FALSE;
    *rect = { 0, 0, 0, 0 };
    return TRUE;
}

BOOL ClientToScreen(HWND, POINT* point) { return point ? TRUE : FALSE; }

BOOL MoveWindow(HWND, int, int, int, int, BOOL) { return TRUE; }
