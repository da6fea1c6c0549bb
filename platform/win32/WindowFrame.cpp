#include "platform/win32/WindowFrame.h"

#include "platform/win32/Window.h"

#include <cstring>

BOOL GetWindowInfo(HWND window, WINDOWINFO* info)
{
    if (!window || !info)
        return FALSE;
    const DWORD size = info->cbSize;
    std::memset(info, 0, sizeof *info);
    info->cbSize = size;
    GetClientRect(window, &info->rcClient);
    POINT origin { 0, 0 };
    ClientToScreen(window, &origin);
    info->rcClient.left += origin.x;
    info->rcClient.right += origin.x;
    info->rcClient.top += origin.y;
    info->rcClient.bottom += origin.y;
    info->rcWindow = info->rcClient;
    return TRUE;
}

BOOL AdjustWindowRectEx(RECT* rect, DWORD, BOOL, DWORD) { return rect ? TRUE : FALSE; }

BOOL OffsetRect(RECT* rect, int dx, int dy)
{
    if (!rect)
        return FALSE;
    rect->left += dx;
    rect->right += dx;
    rect->top += dy;
    rect->bottom += dy;
    return TRUE;
}
