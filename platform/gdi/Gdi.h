#pragma once
// The GDI calls the program uses for system-font text: device contexts,
// 32-bit DIB sections, stock brushes, fonts and text output. Fonts are
// FreeType faces chosen by fontconfig; text is Windows-1252 bytes, mapped to
// Unicode for glyph lookup. Text is drawn with greyscale anti-aliasing: each
// pixel moves towards the text colour by the glyph's coverage.
//
// Memory device contexts draw into the DIB section selected into them; a
// window's device context has no pixels and only measures. Handles are
// checked: an unknown or deleted handle makes a call fail.
#include "platform/win32/WinTypes.h"

struct HDC__;
using HDC = HDC__*;
// Opaque: handles point at the layer's own objects.
struct HGDIOBJ__ {};
using HGDIOBJ = HGDIOBJ__*;
struct HFONT__ : HGDIOBJ__ {};
using HFONT = HFONT__*;
struct HBITMAP__ : HGDIOBJ__ {};
using HBITMAP = HBITMAP__*;
struct HBRUSH__ : HGDIOBJ__ {};
using HBRUSH = HBRUSH__*;
using COLORREF = DWORD;

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) { return COLORREF(r) | COLORREF(g) << 8 | COLORREF(b) << 16; }
constexpr BYTE GetRValue(COLORREF c) { return BYTE(c); }
constexpr BYTE GetGValue(COLORREF c) { return BYTE(c >> 8); }
constexpr BYTE GetBValue(COLORREF c) { return BYTE(c >> 16); }

inline constexpr int LF_FACESIZE = 32;

struct LOGFONTA {
    LONG lfHeight; // < 0: character height (em), > 0: cell height, 0: default
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    CHAR lfFaceName[LF_FACESIZE];
};

struct TEXTMETRICA {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    BYTE tmFirstChar;
    BYTE tmLastChar;
    BYTE tmDefaultChar;
    BYTE tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
};

struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight; // negative: top-down rows
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};

struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};

struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};

struct DRAWTEXTPARAMS {
    UINT cbSize;
    int iTabLength;
    int iLeftMargin;
    int iRightMargin;
    UINT uiLengthDrawn;
};

static_assert(sizeof(LOGFONTA) == 60 && sizeof(BITMAPINFOHEADER) == 40);

inline constexpr int FW_NORMAL = 400;
inline constexpr int FW_BOLD = 700;
inline constexpr BYTE ANSI_CHARSET = 0;
inline constexpr BYTE DEFAULT_CHARSET = 1;
inline constexpr BYTE OUT_TT_PRECIS = 4;
inline constexpr BYTE CLIP_DEFAULT_PRECIS = 0;
inline constexpr BYTE ANTIALIASED_QUALITY = 4;

inline constexpr DWORD BI_RGB = 0;
inline constexpr UINT DIB_RGB_COLORS = 0;

inline constexpr int WHITE_BRUSH = 0;
inline constexpr int LTGRAY_BRUSH = 1;
inline constexpr int GRAY_BRUSH = 2;
inline constexpr int DKGRAY_BRUSH = 3;
inline constexpr int BLACK_BRUSH = 4;
inline constexpr int SYSTEM_FONT = 13;

inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;

inline constexpr int HORZRES = 8;
inline constexpr int VERTRES = 10;
inline constexpr int BITSPIXEL = 12;
inline constexpr int LOGPIXELSX = 88;
inline constexpr int LOGPIXELSY = 90;

inline constexpr int NULLREGION = 1;
inline constexpr int SIMPLEREGION = 2;

inline constexpr UINT DT_SINGLELINE = 0x20;
inline constexpr UINT DT_CALCRECT = 0x400;
inline constexpr UINT DT_NOPREFIX = 0x800;

// (a * b) / c rounded half away from zero, in 64 bits; -1 when c is 0 or
// the result does not fit.
int MulDiv(int a, int b, int c);

// A device context for the window's client area (null: the screen). It has
// no pixels: text is measured, not drawn.
HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC dc);
// LOGPIXELSX and LOGPIXELSY are 96; HORZRES, VERTRES and BITSPIXEL are the
// desktop's; other indices give 0.
int GetDeviceCaps(HDC dc, int index);

// A memory device context; draws into the DIB section selected into it.
HDC CreateCompatibleDC(HDC dc);
BOOL DeleteDC(HDC dc);
// Only 32-bit uncompressed DIBs are made. The pixels belong to the bitmap
// and live until DeleteObject.
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD offset);

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, LPCSTR faceName);
HFONT CreateFontIndirectA(const LOGFONTA* font);
// For a font, copies up to `size` bytes of its LOGFONTA and returns the
// number copied; 0 for anything else.
int GetObjectA(HGDIOBJ object, int size, LPVOID out);
HGDIOBJ GetStockObject(int index);
// Fonts and bitmaps; returns the object it replaces, null on failure. A
// bitmap can be selected into one memory device context at a time.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
// Stock objects are never deleted (TRUE, nothing happens); an object still
// selected into a device context is not deleted (FALSE).
BOOL DeleteObject(HGDIOBJ object);

BOOL GetTextMetricsA(HDC dc, TEXTMETRICA* metrics);
int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
int SetBkMode(HDC dc, int mode);
COLORREF SetTextColor(HDC dc, COLORREF color);
// NULLREGION when the clip becomes empty, else SIMPLEREGION; 0 on failure.
int IntersectClipRect(HDC dc, int left, int top, int right, int bottom);
// (x, y) is the top-left of the text cell.
BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int length);
// Measures (DT_CALCRECT: right and bottom of the rectangle are set) or draws
// from the rectangle's top-left. Lines break at line feeds unless
// DT_SINGLELINE; without DT_NOPREFIX an '&' is dropped and "&&" gives '&'.
// A length of -1 means up to the terminating zero. Returns the text height.
int DrawTextExA(HDC dc, LPSTR text, int length, RECT* rect, UINT format, DRAWTEXTPARAMS* params);
