#pragma once
// A visible node of the widget tree: visibility, enabled state, focus and
// mouse state, a colour table, insets for mouse hits, a tab chain, the input
// operations the widget manager calls, and text and digit drawing helpers.
#include "framework/graphics/Color.h"
#include "framework/widgets/WidgetContainer.h"

#include <string>
#include <vector>

namespace Kivo {

class Image;

struct Insets {
    int32_t mLeft = 0;
    int32_t mTop = 0;
    int32_t mRight = 0;
    int32_t mBottom = 0;
};

// Buttons in MouseDownButton and MouseUpButton.
enum MouseButton { MOUSEBUTTON_LEFT = 0, MOUSEBUTTON_RIGHT = 1, MOUSEBUTTON_MIDDLE = 2 };

class Widget : public WidgetContainer {
public:
    Widget() = default;
    ~Widget() override = default;

    virtual void ZOrderChanged() {}
    virtual void SetVisible(bool visible);
    virtual void SetColorsRGBA(const int (*rows)[4], int count);
    virtual void SetColorsRGB(const int (*rows)[3], int count);
    virtual void SetColor(int index, const Color& color);
    virtual const Color& GetColorOrDefault(int index, const Color& fallback);
    virtual const Color& GetColor(int index);
    virtual void SetDisabled(bool disabled);
    virtual void ShowFinger(bool on);
    virtual void ResizeToRect(const Rect& rect);
    // A width or height below 0 keeps the current one.
    virtual void Resize(int x, int y, int width, int height);
    virtual void Move(int x, int y);
    virtual bool WantsFocus();
    virtual void DrawOverlayPriority(Graphics* g, int priority);
    virtual void DrawOverlay(Graphics* g);
    virtual void GotFocus();
    virtual void LostFocus();
    virtual void KeyChar(char c);
    virtual void KeyDown(int key);
    virtual void KeyUp(int key);
    virtual void MouseEnter();
    virtual void MouseLeave();
    virtual void MouseMove(int x, int y);
    virtual void MouseDownButton(int x, int y, int button, int clickCount);
    // Click codes: 1 left, 2 left double, -1 right, -2 right double, 3 middle.
    virtual void MouseDown(int x, int y, int clickCode);
    virtual void MouseUpButton(int x, int y, int button, int clickCount);
    virtual void MouseUp(int x, int y, int clickCode);
    virtual void MouseUpAt(int x, int y);
    virtual void MouseDrag(int x, int y);
    virtual void MouseWheel(int delta);
    virtual bool HitTest(int x, int y);
    // Text at baseline y, centred in the widget, with the context's font;
    // the rectangle it covers.
    virtual Rect DrawCenteredLineShadow(Graphics* g, int y, const std::string& text, const Color& color,
                                        const Color& shadowColor, const Point& offset);
    virtual Rect DrawCenteredLine(Graphics* g, int y, const std::string& text);
    // Text through the context with colour codes honoured whatever the
    // context's own setting; `draw` false only measures. Returns the width.
    virtual int DrawStringJustified(Graphics* g, const std::string& text, int x, int y, int width, int justification,
                                    bool draw = true, int offset = 0, int length = -1);
    virtual int DrawWordWrapped(Graphics* g, const std::string& text, const Rect& rect, int lineSpacing = -1,
                                int justification = -1);
    virtual int WordWrappedHeight(Graphics* g, int width, const std::string& text, int lineSpacing = -1);
    virtual int CountDigits(int n);
    // The decimal digits of |n| cut from a strip of ten digit cells (0 to 9).
    virtual void DrawNumberFromStrip(Graphics* g, int n, int x, int y, Image* strip, int spacing);
    // In the parent's coordinates.
    virtual bool Contains(int x, int y);
    virtual Rect GetInsetRect();

    // The application's cursor (a Cursor); nothing without a manager.
    void SetAppCursor(int cursor);

    bool mVisible = true;
    bool mMouseVisible = true; // the widget itself can be hit; its children are searched either way
    bool mDisabled = false;
    bool mHasFocus = false;
    bool mIsDown = false;
    bool mIsOver = false;
    bool mHasTransparencies = false;
    std::vector<Color> mColors;
    Insets mMouseInsets;
    bool mDoFinger = false;
    bool mWantsFocus = false;
    Widget* mTabPrev = nullptr;
    Widget* mTabNext = nullptr;

    static const Color sDefaultColor;
};

} // namespace Kivo
