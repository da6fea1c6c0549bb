#include "platform/gdi/Gdi.h"

#include "platform/gdi/FontFace.h"
#include "platform/Backend.h"
#include "platform/WindowSystem.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_set>
#include <vector>

namespace platform::gdi {

namespace {

struct Object {
    enum class Kind { Brush, Bitmap, Font };
    explicit Object(Kind k, bool s = false) : kind(k), stock(s) {}
    virtual ~Object() = default;
    Kind kind;
    bool stock;
};

struct Brush : Object {
    explicit Brush(COLORREF c) : Object(Kind::Brush, true), color(c) {}
    COLORREF color;
};

struct DeviceContext;

struct Bitmap : Object {
    Bitmap() : Object(Kind::Bitmap) {}
    int width = 0;
    int height = 0;
    bool topDown = true;
    std::vector<uint32_t> pixels;
    DeviceContext* selectedIn = nullptr;
};

struct Font : Object {
    explicit Font(const LOGFONTA& lf, bool s = false) : Object(Kind::Font, s), logFont(lf) {}
    LOGFONTA logFont;
    std::unique_ptr<FontFace> face; // opened on first use
    int selectCount = 0;
    FontFace* Face()
    {
        if (!face)
            face = FontFace::Create(logFont);
        return face.get();
    }
};

struct DeviceContext {
    bool memory = false;
    Bitmap* bitmap = nullptr;
    Font* font = nullptr;
    int bkMode = OPAQUE;
    COLORREF textColor = 0;
    COLORREF bkColor = RGB(255, 255, 255);
    bool clipped = false;
    RECT clip{};
};

// One lock for the whole layer: the loading thread creates fonts while the
// main thread draws, and FreeType's library is not thread-safe.
std::recursive_mutex& Lock()
{
    static std::recursive_mutex m;
    return m;
}

std::unordered_set<const void*>& Live()
{
    static std::unordered_set<const void*> live;
    return live;
}

template <class T> T* Register(T* p)
{
    Live().insert(p);
    return p;
}

Object* FindObject(HGDIOBJ h) { return Live().count(h) ? reinterpret_cast<Object*>(h) : nullptr; }
DeviceContext* FindDc(HDC h) { return h && Live().count(h) ? reinterpret_cast<DeviceContext*>(h) : nullptr; }
HGDIOBJ ToHandle(Object* o) { return reinterpret_cast<HGDIOBJ>(o); }

Font* StockFont()
{
    static Font* font = [] {
        LOGFONTA lf{};
        lf.lfHeight = -16;
        lf.lfWeight = FW_BOLD;
        return Register(new Font(lf, true));
    }();
    return font;
}

Brush* StockBrush(int index)
{
    static Brush* brushes[5] = {
        Register(new Brush(RGB(255, 255, 255))), Register(new Brush(RGB(192, 192, 192))),
        Register(new Brush(RGB(128, 128, 128))), Register(new Brush(RGB(64, 64, 64))), Register(new Brush(RGB(0, 0, 0))),
    };
    return index >= 0 && index < 5 ? brushes[index] : nullptr;
}

DeviceContext* NewDc(bool memory)
{
    auto* dc = Register(new DeviceContext);
    dc->memory = memory;
    dc->font = StockFont();
    ++dc->font->selectCount;
    return dc;
}

void FreeDc(DeviceContext* dc)
{
    if (dc->bitmap)
        dc->bitmap->selectedIn = nullptr;
    --dc->font->selectCount;
    Live().erase(dc);
    delete dc;
}

// The pixels text may touch: the bitmap's bounds within the clip.
bool Target(DeviceContext* dc, PixelTarget& t)
{
    Bitmap* bm = dc->bitmap;
    if (!bm || bm->width <= 0 || bm->height <= 0)
        return false;
    t.clip = RECT{ 0, 0, bm->width, bm->height };
    if (dc->clipped) {
        t.clip.left = std::max(t.clip.left, dc->clip.left);
        t.clip.top = std::max(t.clip.top, dc->clip.top);
        t.clip.right = std::min(t.clip.right, dc->clip.right);
        t.clip.bottom = std::min(t.clip.bottom, dc->clip.bottom);
    }
    if (bm->topDown) {
        t.rows = bm->pixels.data();
        t.stride = bm->width;
    } else {
        t.rows = bm->pixels.data() + static_cast<size_t>(bm->height - 1) * bm->width;
        t.stride = -static_cast<ptrdiff_t>(bm->width);
    }
    return t.clip.left < t.clip.right && t.clip.top < t.clip.bottom;
}

// Splits text into the lines DrawTextExA lays out, with '&' prefixes
// removed unless DT_NOPREFIX.
std::vector<std::string> Lines(const char* text, int length, UINT format)
{
    std::string s;
    for (int i = 0; i < length; ++i) {
        if (text[i] == '&' && !(format & DT_NOPREFIX)) {
            if (i + 1 < length && text[i + 1] == '&')
                s += text[++i];
            continue;
        }
        s += text[i];
    }
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if ((c == '\r' || c == '\n') && !(format & DT_SINGLELINE)) {
            if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n')
                ++i;
            lines.emplace_back();
        } else {
            lines.back() += c;
        }
    }
    return lines;
}

} // namespace

} // namespace platform::gdi

using namespace platform::gdi;

int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const int64_t p = int64_t(a) * b;
    const int64_t half = (c < 0 ? -int64_t(c) : int64_t(c)) / 2;
    const int64_t q = ((p < 0) != (c < 0)) ? (p - ((p < 0) ? half : -half)) / c : (p + ((p < 0) ? -half : half)) / c;
    return q < INT32_MIN || q > INT32_MAX ? -1 : static_cast<int>(q);
}

HDC GetDC(HWND)
{
    std::lock_guard lock(Lock());
    return reinterpret_cast<HDC>(NewDc(false));
}

int ReleaseDC(HWND, HDC h)
{
    std::lock_guard lock(Lock());
    DeviceContext* dc = FindDc(h);
    if (!dc || dc->memory)
        return 0;
    FreeDc(dc);
    return 1;
}

int GetDeviceCaps(HDC, int index)
{
    switch (index) {
    case LOGPIXELSX:
    case LOGPIXELSY:
        return 96;
    case HORZRES:
        return platform::CurrentBackend().GetWindows().Screen().width;
    case VERTRES:
        return platform::CurrentBackend().GetWindows().Screen().height;
    case BITSPIXEL:
        return platform::CurrentBackend().GetPresenter().DesktopLayout().bytesPerPixel * 8;
    default:
        return 0;
    }
}

HDC CreateCompatibleDC(HDC)
{
    std::lock_guard lock(Lock());
    return reinterpret_cast<HDC>(NewDc(true));
}

BOOL DeleteDC(HDC h)
{
    std::lock_guard lock(Lock());
    DeviceContext* dc = FindDc(h);
    if (!dc || !dc->memory)
        return FALSE;
    FreeDc(dc);
    return TRUE;
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD)
{
    if (bits)
        *bits = nullptr;
    if (!info || usage != DIB_RGB_COLORS || section)
        return nullptr;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    const int64_t w = h.biWidth, ht = h.biHeight < 0 ? -int64_t(h.biHeight) : h.biHeight;
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biBitCount != 32 || h.biCompression != BI_RGB || w <= 0 || ht <= 0 ||
        w * ht > (int64_t(1) << 28))
        return nullptr;
    std::lock_guard lock(Lock());
    auto* bm = Register(new Bitmap);
    bm->width = static_cast<int>(w);
    bm->height = static_cast<int>(ht);
    bm->topDown = h.biHeight < 0;
    bm->pixels.assign(static_cast<size_t>(w * ht), 0);
    if (bits)
        *bits = bm->pixels.data();
    return reinterpret_cast<HBITMAP>(ToHandle(bm));
}

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                  DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                  DWORD pitchAndFamily, LPCSTR faceName)
{
    LOGFONTA lf{};
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfEscapement = escapement;
    lf.lfOrientation = orientation;
    lf.lfWeight = weight;
    lf.lfItalic = italic ? 1 : 0;
    lf.lfUnderline = underline ? 1 : 0;
    lf.lfStrikeOut = strikeOut ? 1 : 0;
    lf.lfCharSet = static_cast<BYTE>(charSet);
    lf.lfOutPrecision = static_cast<BYTE>(outPrecision);
    lf.lfClipPrecision = static_cast<BYTE>(clipPrecision);
    lf.lfQuality = static_cast<BYTE>(quality);
    lf.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
    if (faceName)
        std::strncpy(lf.lfFaceName, faceName, LF_FACESIZE - 1);
    return CreateFontIndirectA(&lf);
}

HFONT CreateFontIndirectA(const LOGFONTA* lf)
{
    if (!lf)
        return nullptr;
    std::lock_guard lock(Lock());
    auto font = std::make_unique<Font>(*lf);
    font->logFont.lfFaceName[LF_FACESIZE - 1] = 0;
    if (!font->Face())
        return nullptr;
    return reinterpret_cast<HFONT>(ToHandle(Register(font.release())));
}

int GetObjectA(HGDIOBJ h, int size, LPVOID out)
{
    std::lock_guard lock(Lock());
    Object* o = FindObject(h);
    if (!o || o->kind != Object::Kind::Font || size <= 0 || !out)
        return 0;
    const int n = std::min(size, static_cast<int>(sizeof(LOGFONTA)));
    std::memcpy(out, &static_cast<Font*>(o)->logFont, n);
    return n;
}

HGDIOBJ GetStockObject(int index)
{
    std::lock_guard lock(Lock());
    if (index == SYSTEM_FONT)
        return ToHandle(StockFont());
    Brush* b = StockBrush(index);
    return b ? ToHandle(b) : nullptr;
}

HGDIOBJ SelectObject(HDC h, HGDIOBJ object)
{
    std::lock_guard lock(Lock());
    DeviceContext* dc = FindDc(h);
    Object* o = FindObject(object);
    if (!dc || !o)
        return nullptr;
    switch (o->kind) {
    case Object::Kind::Font: {
        Font* old = dc->font;
        --old->selectCount;
        dc->font = static_cast<Font*>(o);
        ++dc->font->selectCount;
        return ToHandle(old);
    }
    case Object::Kind::Bitmap: {
        // A new memory DC holds a stock stand-in for its default bitmap,
        // shared by all DCs; it has no pixels.
        static Bitmap* none = [] {
            auto* b = Register(new Bitmap);
            b->stock = true;
            return b;
        }();
        auto* bm = static_cast<Bitmap*>(o);
        if (!dc->memory || (!bm->stock && bm->selectedIn && bm->selectedIn != dc))
            return nullptr;
        Bitmap* old = dc->bitmap ? dc->bitmap : none;
        old->selectedIn = nullptr;
        dc->bitmap = bm;
        if (!bm->stock)
            bm->selectedIn = dc;
        return ToHandle(old);
    }
    case Object::Kind::Brush:
        return ToHandle(StockBrush(WHITE_BRUSH));
    }
    return nullptr;
}

BOOL DeleteObject(HGDIOBJ h)
{
    std::lock_guard lock(Lock());
    Object* o = FindObject(h);
    if (!o)
        return FALSE;
    if (o->stock)
        return TRUE;
    if (o->kind == Object::Kind::Bitmap && static_cast<Bitmap*>(o)->selectedIn)
        return FALSE;
    if (o->kind == Object::Kind::Font && static_cast<Font*>(o)->selectCount > 0)
        return FALSE;
    Live().erase(o);
    delete o;
    return TRUE;
}

BOOL GetTextMetricsA(HDC h, TEXTMETRICA* metrics)
{
    std::lock_guard lock(Lock());
    DeviceContext* dc = FindDc(h);
    FontFace* face = dc ? dc->font->Face() : nullptr;
    if (!face || !metrics)
        return FALSE;
    *metrics = face->Metrics();
    return TRUE;
}

int FillRect(HDC h, const RECT* rect, HBRUSH brush)
{
    std::lock_guard lock(Lock());
    DeviceContext* dc = FindDc(h);
    Object* o = FindObject(reinterpret_cast<HGDIOBJ>(brush));
    if (!dc || !rect || !o || o->kind != Object::Kind::Brush)
        return 0;
    PixelTarget t;
    if (!Target(dc, t))
        return 1;
    const COLORREF c = static_cast<Brush*>(o)->color;
    const uint32_t pixel = uint32_t(GetRValue(c)) << 16 | uint32_t(GetGValue(c)) << 8 | GetBValue(c);
    const int left = std::max(rect->left, t.clip.left), right = std::min(rect->right, t.clip.right);
    const int top = std::max(rect->top, t.clip.top), bottom = std::min(rect->bottom, t.clip.bottom);
    for (int y = top; y < bottom; ++y)
        std::fill(t.rows + y * t.stride + left, t.rows + y * t.stride + std::max(left, right), pixel);
    return 1;
}

int SetBkMode(HDC h, int mode)
{
    std::lock_guard lock(Lock());
    DeviceContext* dc = FindDc(h);
    if (!dc || (mode != TRANSPARENT && mode != OPAQUE))
        return 0;
    const int old = dc->bkMode;
    dc->bkMode = mode;
    return old;
}

COLORREF SetTextColor(HDC h, COLORREF color)
{
    std::lock_guard lock(Lock());
    DeviceContext* dc = FindDc(h);
    if (!dc)
        return 0xFFFFFFFF; // CLR_INVALID
    const COLORREF old = dc->textColor;
    dc->textColor = color & 0xFFFFFF;
    return old;
}

int IntersectClipRect(HDC h, int left, int top, int right, int bottom)
{
    std::lock_guard lock(Lock());
    DeviceContext* dc = FindDc(h);
    if (!dc)
        return 0;
    if (!dc->clipped) {
        dc->clipped = true;
        dc->clip = RECT{ left, top, right, bottom };
    } else {
        dc->clip.left = std::max<LONG>(dc->clip.left, left);
        dc->clip.top = std::max<LONG>(dc->clip.top, top);
        dc->clip.right = std::min<LONG>(dc->clip.right, right);
        dc->clip.bottom = std::min<LONG>(dc->clip.bottom, bottom);
    }
    const bool empty = dc->clip.left >= dc->clip.right || dc->clip.top >= dc->clip.bottom;
    return empty ? NULLREGION : SIMPLEREGION;
}

namespace platform::gdi {
namespace {

void DrawLine(DeviceContext* dc, FontFace* face, int x, int y, const char* text, int length)
{
    PixelTarget t;
    if (!Target(dc, t))
        return;
    if (dc->bkMode == OPAQUE) {
        const COLORREF c = dc->bkColor;
        const uint32_t pixel = uint32_t(GetRValue(c)) << 16 | uint32_t(GetGValue(c)) << 8 | GetBValue(c);
        const int right = std::min<int>(x + face->TextWidth(text, length), t.clip.right);
        const int bottom = std::min<int>(y + face->Metrics().tmHeight, t.clip.bottom);
        for (int py = std::max<int>(y, t.clip.top); py < bottom; ++py)
            for (int px = std::max<int>(x, t.clip.left); px < right; ++px)
                t.rows[py * t.stride + px] = (t.rows[py * t.stride + px] & 0xFF000000) | pixel;
    }
    face->Draw(t, x, y, text, length, dc->textColor);
}

} // namespace
} // namespace platform::gdi

BOOL TextOutA(HDC h, int x, int y, LPCSTR text, int length)
{
    std::lock_guard lock(Lock());
    DeviceContext* dc = FindDc(h);
    FontFace* face = dc ? dc->font->Face() : nullptr;
    if (!face || length < 0 || (length > 0 && !text))
        return FALSE;
    platform::gdi::DrawLine(dc, face, x, y, text, length);
    return TRUE;
}

int DrawTextExA(HDC h, LPSTR text, int length, RECT* rect, UINT format, DRAWTEXTPARAMS*)
{
    std::lock_guard lock(Lock());
    DeviceContext* dc = FindDc(h);
    FontFace* face = dc ? dc->font->Face() : nullptr;
    if (!face || !rect || (length != 0 && !text))
        return 0;
    if (length < 0)
        length = static_cast<int>(std::strlen(text));
    const std::vector<std::string> lines = Lines(text, length, format);
    const int lineHeight = face->Metrics().tmHeight;
    const int height = lineHeight * static_cast<int>(lines.size());
    if (format & DT_CALCRECT) {
        int width = 0;
        for (const std::string& line : lines)
            width = std::max(width, face->TextWidth(line.data(), static_cast<int>(line.size())));
        rect->right = rect->left + width;
        rect->bottom = rect->top + height;
        return height;
    }
    const bool clipped = dc->clipped;
    const RECT clip = dc->clip;
    IntersectClipRect(h, rect->left, rect->top, rect->right, rect->bottom);
    for (size_t i = 0; i < lines.size(); ++i)
        platform::gdi::DrawLine(dc, face, rect->left, rect->top + static_cast<int>(i) * lineHeight, lines[i].data(),
                                static_cast<int>(lines[i].size()));
    dc->clipped = clipped;
    dc->clip = clip;
    return height;
}
