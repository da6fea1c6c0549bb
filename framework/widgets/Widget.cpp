#include "framework/widgets/Widget.h"

#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/widgets/WidgetHost.h"
#include "framework/widgets/WidgetManager.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace Kivo {

namespace {

constexpr int kTabKey = 9;
constexpr int kShiftKey = 16;

// The button and click count of a click code.
void MapClickCode(int clickCode, int& button, int& clickCount)
{
    if (clickCode == 3) {
        button = MOUSEBUTTON_MIDDLE;
        clickCount = 1;
    } else if (clickCode < 0) {
        button = MOUSEBUTTON_RIGHT;
        clickCount = -clickCode;
    } else {
        button = MOUSEBUTTON_LEFT;
        clickCount = clickCode;
    }
}

// Runs `write` with colour codes honoured, restoring the context's setting.
template <typename Write>
int WithColorCodes(Graphics* g, Write write)
{
    const bool saved = g->mWriteColoredString;
    g->mWriteColoredString = true;
    const int result = write();
    g->mWriteColoredString = saved;
    return result;
}

} // namespace

const Color Widget::sDefaultColor;

void Widget::SetVisible(bool visible)
{
    if (mVisible == visible)
        return;
    mVisible = visible;
    if (visible)
        MarkDirty();
    else
        MarkDirtyFull();
    if (mManager)
        mManager->RefreshMouseOver();
}

void Widget::SetColorsRGBA(const int (*rows)[4], int count)
{
    mColors.clear();
    for (int i = 0; i < count; ++i) {
        Color c(rows[i][0], rows[i][1], rows[i][2]);
        c.mAlpha = rows[i][3];
        SetColor(i, c);
    }
    MarkDirty();
}

void Widget::SetColorsRGB(const int (*rows)[3], int count)
{
    mColors.clear();
    for (int i = 0; i < count; ++i)
        SetColor(i, Color(rows[i][0], rows[i][1], rows[i][2]));
    MarkDirty();
}

void Widget::SetColor(int index, const Color& color)
{
    if (index < 0)
        return;
    if (static_cast<size_t>(index) >= mColors.size())
        mColors.resize(index + 1, sDefaultColor);
    mColors[index] = color;
    MarkDirty();
}

const Color& Widget::GetColorOrDefault(int index, const Color& fallback)
{
    if (index < 0 || static_cast<size_t>(index) >= mColors.size())
        return fallback;
    return mColors[index];
}

const Color& Widget::GetColor(int index) { return GetColorOrDefault(index, sDefaultColor); }

void Widget::SetDisabled(bool disabled)
{
    if (mDisabled == disabled)
        return;
    mDisabled = disabled;
    if (disabled && mManager)
        mManager->DisableWidget(this);
    MarkDirty();
    if (disabled || !mManager)
        return;
    // The manager's mouse point is in game coordinates: compare it with the
    // widget's absolute rectangle, not its rectangle in the parent.
    const Point abs = GetAbsPos();
    const int x = mManager->mLastX;
    const int y = mManager->mLastY;
    if (x >= abs.mX && x < abs.mX + mWidth && y >= abs.mY && y < abs.mY + mHeight)
        mManager->MousePosition(x, y);
}

void Widget::ShowFinger(bool on) { SetAppCursor(on ? CURSOR_HAND : CURSOR_POINTER); }

void Widget::SetAppCursor(int cursor)
{
    if (mManager && mManager->mApp)
        mManager->mApp->SetCursor(cursor);
}

void Widget::ResizeToRect(const Rect& rect) { Resize(rect.mX, rect.mY, rect.mWidth, rect.mHeight); }

void Widget::Resize(int x, int y, int width, int height)
{
    if (x == mX && y == mY && width == mWidth && height == mHeight)
        return;
    MarkDirtyFull();
    mX = x;
    mY = y;
    if (width >= 0)
        mWidth = width;
    if (height >= 0)
        mHeight = height;
    MarkDirty();
    if (mManager)
        mManager->RefreshMouseOver();
}

void Widget::Move(int x, int y) { Resize(x, y, mWidth, mHeight); }

bool Widget::WantsFocus() { return mWantsFocus; }

void Widget::DrawOverlayPriority(Graphics* g, int) { DrawOverlay(g); }

void Widget::DrawOverlay(Graphics*) {}

void Widget::GotFocus() { mHasFocus = true; }

void Widget::LostFocus() { mHasFocus = false; }

void Widget::KeyChar(char) {}

void Widget::KeyDown(int key)
{
    if (key != kTabKey || !mManager)
        return;
    Widget* next = mManager->IsKeyDown(kShiftKey) ? mTabPrev : mTabNext;
    if (next)
        mManager->SetFocus(next);
}

void Widget::KeyUp(int) {}

void Widget::MouseEnter() {}

void Widget::MouseLeave() {}

void Widget::MouseMove(int, int) {}

void Widget::MouseDownButton(int, int, int, int) {}

void Widget::MouseDown(int x, int y, int clickCode)
{
    int button, count;
    MapClickCode(clickCode, button, count);
    MouseDownButton(x, y, button, count);
}

void Widget::MouseUpButton(int, int, int, int) {}

void Widget::MouseUp(int x, int y, int clickCode)
{
    MouseUpAt(x, y);
    int button, count;
    MapClickCode(clickCode, button, count);
    MouseUpButton(x, y, button, count);
}

void Widget::MouseUpAt(int, int) {}

void Widget::MouseDrag(int, int) {}

void Widget::MouseWheel(int) {}

bool Widget::HitTest(int, int) { return true; }

Rect Widget::DrawCenteredLineShadow(Graphics* g, int y, const std::string& text, const Color& color,
                                    const Color& shadowColor, const Point& offset)
{
    Font* font = g->GetFont();
    if (!font)
        return Rect();
    const int w = font->StringWidth(text);
    const int x = (mWidth - w) / 2;
    g->SetColor(shadowColor);
    g->DrawString(text, x + offset.mX, y + offset.mY);
    g->SetColor(color);
    g->DrawString(text, x, y);
    return Rect(x + std::min(offset.mX, 0), y + std::min(offset.mY, 0) - font->GetAscent(), w + std::abs(offset.mX),
                font->GetHeight() + std::abs(offset.mY));
}

Rect Widget::DrawCenteredLine(Graphics* g, int y, const std::string& text)
{
    Font* font = g->GetFont();
    if (!font)
        return Rect();
    const int w = font->StringWidth(text);
    const int x = (mWidth - w) / 2;
    g->DrawString(text, x, y);
    return Rect(x, y - font->GetAscent(), w, font->GetHeight());
}

int Widget::DrawStringJustified(Graphics* g, const std::string& text, int x, int y, int width, int justification,
                                bool draw, int offset, int length)
{
    return WithColorCodes(g, [&] { return g->WriteString(text, x, y, width, justification, draw, offset, length); });
}

int Widget::DrawWordWrapped(Graphics* g, const std::string& text, const Rect& rect, int lineSpacing, int justification)
{
    return WithColorCodes(g, [&] { return g->WriteWordWrapped(rect, text, lineSpacing, justification); });
}

int Widget::WordWrappedHeight(Graphics* g, int width, const std::string& text, int lineSpacing)
{
    return WithColorCodes(g, [&] { return g->GetWordWrappedHeight(width, text, lineSpacing); });
}

int Widget::CountDigits(int n)
{
    int digits = 1;
    while (n >= 10) {
        n /= 10;
        ++digits;
    }
    return digits;
}

void Widget::DrawNumberFromStrip(Graphics* g, int n, int x, int y, Image* strip, int spacing)
{
    if (!strip)
        return;
    // A negative number draws its magnitude: the strip has no minus sign.
    const std::string digits = std::to_string(std::llabs(static_cast<long long>(n)));
    const int cellWidth = strip->GetWidth() / 10;
    int offset = 0;
    for (char digit : digits) {
        Graphics cell(*g);
        cell.ClipRect(x + offset, y, cellWidth, strip->GetHeight());
        cell.DrawImage(strip, x + offset - (digit - '0') * cellWidth, y);
        offset += cellWidth + spacing;
    }
}

bool Widget::Contains(int x, int y) { return x >= mX && x < mX + mWidth && y >= mY && y < mY + mHeight; }

Rect Widget::GetInsetRect()
{
    return Rect(mX + mMouseInsets.mLeft, mY + mMouseInsets.mTop, mWidth - mMouseInsets.mLeft - mMouseInsets.mRight,
                mHeight - mMouseInsets.mTop - mMouseInsets.mBottom);
}

} // namespace Kivo
