#include "framework/graphics/SysFont.h"

#include "framework/graphics/FontHost.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"

#include <algorithm>
#include <cmath>
#include <typeinfo>

namespace Kivo {

namespace {

int Trunc(double v) { return static_cast<int>(std::trunc(v)); }

// The font selected into a device context for the scope.
class Selected {
public:
    Selected(HDC dc, HFONT font) : mDc(dc), mOld(SelectObject(dc, font)) {}
    ~Selected()
    {
        if (mOld)
            SelectObject(mDc, mOld);
    }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC mDc;
    HGDIOBJ mOld;
};

} // namespace

uint32_t TextPixelFromBackgrounds(uint32_t a, uint32_t b)
{
    a &= 0xFFFFFF;
    b &= 0xFFFFFF;
    if (a == b)
        return 0xFF000000 | a;
    if (a == 0xFFFFFF && (a & b) == 0)
        return 0;
    int alpha = 255;
    uint32_t rgb = 0;
    for (int shift = 16; shift >= 0; shift -= 8) {
        const int ac = a >> shift & 0xFF, bc = b >> shift & 0xFF;
        const int alphaC = bc - ac + 255;
        if (alphaC <= 0)
            return 0;
        alpha = std::min(alpha, alphaC);
        rgb |= static_cast<uint32_t>(std::min(bc * 255 / alphaC, 255)) << shift;
    }
    return static_cast<uint32_t>(alpha) << 24 | rgb;
}

SysFont::SysFont(const std::string& face, int pointSize, bool bold, bool italics, bool underline)
    : mApp(GetFontHost())
{
    Init(face, pointSize, ANSI_CHARSET, bold, italics, underline, false);
}

SysFont::SysFont(FontHost* app, const std::string& face, int pointSize, int charSet, bool bold, bool italics,
                 bool underline)
    : mApp(app)
{
    Init(face, pointSize, charSet, bold, italics, underline, true);
}

SysFont::SysFont(const SysFont& other) : Font(), mApp(other.mApp)
{
    LOGFONTA lf{};
    if (GetObjectA(other.mHFont, sizeof lf, &lf) == sizeof lf)
        mHFont = CreateFontIndirectA(&lf);
    mHeight = other.mHeight;
    mAscent = other.mAscent;
}

SysFont::~SysFont()
{
    if (mHFont)
        DeleteObject(mHFont);
}

HWND SysFont::Window() const { return mApp ? mApp->GetTextWindow() : nullptr; }

void SysFont::Init(const std::string& face, int pointSize, int charSet, bool bold, bool italics, bool underline,
                   bool screenDpi)
{
    const HWND window = Window();
    HDC dc = GetDC(window);
    const int height = MulDiv(pointSize, screenDpi ? GetDeviceCaps(dc, LOGPIXELSY) : 96, 72);
    mHFont = CreateFontA(-height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italics, underline, FALSE,
                         static_cast<DWORD>(charSet), OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, 0,
                         face.c_str());
    if (mHFont) {
        Selected selected(dc, mHFont);
        TEXTMETRICA tm{};
        if (GetTextMetricsA(dc, &tm)) {
            mAscent = tm.tmAscent;
            mHeight = tm.tmHeight;
        }
    }
    ReleaseDC(window, dc);
}

int SysFont::StringWidth(const std::string& text)
{
    if (!mHFont || text.empty())
        return 0;
    const HWND window = Window();
    HDC dc = GetDC(window);
    RECT r{ 0, 0, 0, 0 };
    {
        Selected selected(dc, mHFont);
        std::string copy = text;
        DrawTextExA(dc, copy.data(), static_cast<int>(copy.size()), &r, DT_CALCRECT | DT_NOPREFIX, nullptr);
    }
    ReleaseDC(window, dc);
    return r.right;
}

Font* SysFont::Duplicate() { return new SysFont(*this); }

void SysFont::TextOut(HDC dc, double x, double y, const std::string& text, const Color& color)
{
    const int n = static_cast<int>(text.size());
    if (mDrawShadow) {
        SetTextColor(dc, RGB(0, 0, 0));
        TextOutA(dc, Trunc(x + 1), Trunc(y + 1), text.data(), n);
        if (mSimulateBold)
            TextOutA(dc, Trunc(x + 2), Trunc(y + 1), text.data(), n);
    }
    SetTextColor(dc, RGB(static_cast<BYTE>(color.mRed), static_cast<BYTE>(color.mGreen), static_cast<BYTE>(color.mBlue)));
    TextOutA(dc, Trunc(x), Trunc(y), text.data(), n);
    if (mSimulateBold)
        TextOutA(dc, Trunc(x + 1), Trunc(y), text.data(), n);
}

void SysFont::DrawString(Graphics* g, int x, int y, const std::string& text, const Color& color, const Rect& clip)
{
    if (!mHFont)
        return;
    FontHost* host = mApp ? mApp : GetFontHost();
    HDC dc = nullptr;
    if (host && host->BeginSurfaceText(g->mDestImage, &dc)) {
        if (dc)
            DrawOnSurface(g, dc, x, y, text, color, clip);
        host->EndSurfaceText(g->mDestImage, dc);
        return;
    }
    // A plain image is the measuring contexts' empty destination.
    if (typeid(*g->mDestImage) == typeid(Image))
        return;
    DrawInSoftware(g, x, y, text, color);
}

void SysFont::DrawOnSurface(Graphics* g, HDC dc, int x, int y, const std::string& text, const Color& color,
                            const Rect& clip)
{
    Selected selected(dc, mHFont);
    SetBkMode(dc, TRANSPARENT);
    IntersectClipRect(dc, clip.mX, clip.mY, clip.mX + clip.mWidth, clip.mY + clip.mHeight);
    // The system's text sits one pixel lower here than in the software path.
    TextOut(dc, x + static_cast<double>(g->mTransX), y - mAscent + 1 + static_cast<double>(g->mTransY), text, color);
}

void SysFont::DrawInSoftware(Graphics* g, int x, int y, const std::string& text, const Color& color)
{
    const int w = StringWidth(text), h = mHeight;
    if (w <= 0 || h <= 0)
        return;
    HDC dc = CreateCompatibleDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    uint32_t* overWhite = nullptr;
    uint32_t* overBlack = nullptr;
    HBITMAP white = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&overWhite), nullptr, 0);
    HBITMAP black = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&overBlack), nullptr, 0);
    if (white && black && overWhite && overBlack) {
        Selected selected(dc, mHFont);
        const RECT all{ 0, 0, w, h };
        for (auto [bitmap, brush] : { std::pair{ white, WHITE_BRUSH }, std::pair{ black, BLACK_BRUSH } }) {
            HGDIOBJ old = SelectObject(dc, bitmap);
            FillRect(dc, &all, reinterpret_cast<HBRUSH>(GetStockObject(brush)));
            SetBkMode(dc, TRANSPARENT);
            TextOut(dc, 0, 0, text, color);
            SelectObject(dc, old);
        }
        MemoryImage image;
        image.Create(w, h);
        if (uint32_t* bits = image.GetBits()) {
            for (size_t i = 0, n = static_cast<size_t>(w) * h; i < n; ++i)
                bits[i] = TextPixelFromBackgrounds(overWhite[i], overBlack[i]);
            image.BitsChanged();
            image.SetImageMode(true, true);
            g->DrawImage(&image, x, y - mAscent);
        }
    }
    if (white)
        DeleteObject(white);
    if (black)
        DeleteObject(black);
    DeleteDC(dc);
}

} // namespace Kivo
