#pragma once
// Cursors: the system ones by IDC_* number and ones made from Windows AND/XOR
// masks. SetCursor shows the cursor in the main window; null hides it.
#include "platform/win32/Window.h"

#include <cstdint>

#define MAKEINTRESOURCEA(i) (reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(static_cast<WORD>(i))))
inline const LPCSTR IDC_ARROW = MAKEINTRESOURCEA(32512);
inline const LPCSTR IDC_IBEAM = MAKEINTRESOURCEA(32513);
inline const LPCSTR IDC_WAIT = MAKEINTRESOURCEA(32514);
inline const LPCSTR IDC_SIZENWSE = MAKEINTRESOURCEA(32642);
inline const LPCSTR IDC_SIZENESW = MAKEINTRESOURCEA(32643);
inline const LPCSTR IDC_SIZEWE = MAKEINTRESOURCEA(32644);
inline const LPCSTR IDC_SIZENS = MAKEINTRESOURCEA(32645);
inline const LPCSTR IDC_SIZEALL = MAKEINTRESOURCEA(32646);
inline const LPCSTR IDC_NO = MAKEINTRESOURCEA(32648);

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
// Masks of height rows of width / 8 bytes each; width 32 only.
HCURSOR CreateCursor(HINSTANCE instance, int hotX, int hotY, int width, int height, const void* andMask,
                     const void* xorMask);
BOOL DestroyCursor(HCURSOR cursor);
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();

namespace platform {
// Windows masks to the backend's: mask = not AND, data = not (AND xor XOR),
// so that AND 1 XOR 0 is clear, AND 0 XOR 0 black and AND 0 XOR 1 white.
void ConvertCursorMasks(const uint8_t* andMask, const uint8_t* xorMask, size_t bytes, uint8_t* data, uint8_t* mask);
}
