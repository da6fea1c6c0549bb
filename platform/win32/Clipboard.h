#pragma once
// The clipboard holds text only: CF_TEXT in Windows-1252, kept as UTF-8 by
// the backend. Data handed to SetClipboardData belongs to the clipboard.
#include "platform/win32/WinTypes.h"
#include "platform/win32/Window.h"

using HGLOBAL = HANDLE;

inline constexpr UINT CF_TEXT = 1;
inline constexpr UINT GMEM_MOVEABLE = 0x0002;
inline constexpr UINT GMEM_DDESHARE = 0x2000;

HGLOBAL GlobalAlloc(UINT flags, size_t bytes);
LPVOID GlobalLock(HGLOBAL memory);
BOOL GlobalUnlock(HGLOBAL memory);
HGLOBAL GlobalFree(HGLOBAL memory);

BOOL OpenClipboard(HWND owner);
BOOL CloseClipboard();
BOOL EmptyClipboard();
// CF_TEXT only; other formats are refused.
HANDLE SetClipboardData(UINT format, HANDLE memory);
HANDLE GetClipboardData(UINT format);
