#pragma once
// The two playback windows of a demo: the marker list ("L"), whose double-
// clicked marker becomes the fast-forward target, and the jump to a time
// before the end ("J"). While one is open the playback stands still and the
// live mouse and keys reach the window (KivoAppBase::demoDialog).
#include "framework/widgets/Dialog.h"
#include "framework/widgets/EditListener.h"

#include <string>
#include <vector>

namespace Kivo {

class EditWidget;
class KivoAppBase;

// Lines of text, one of them selected; a double click on a line activates it.
// When they do not all fit, a scroll bar at the right edge moves through
// them: its thumb drags, a click beside the thumb turns a page, and the
// wheel scrolls a line per notch.
class LineListWidget : public Widget {
public:
    struct Line {
        std::string text;
        int data = 0;
    };
    static constexpr int kBarWidth = 14;

    explicit LineListWidget(Font* font);
    ~LineListWidget() override;
    void Draw(Graphics* g) override;
    void MouseDownButton(int x, int y, int button, int clickCount) override;
    void MouseUpButton(int x, int y, int button, int clickCount) override;
    void MouseDrag(int x, int y) override;
    void MouseWheel(int delta) override;
    // The line at y inside the widget; -1 below the last.
    int LineAt(int y);
    int LineHeight();
    // Whole lines that fit, and the top line that shows the last one.
    int VisibleLines();
    int MaxTopLine();
    // Clamped to the lines there are.
    void ScrollTo(int topLine);
    // The scroll bar's thumb; a height of 0 when every line fits.
    void GetThumb(int& top, int& height);

    std::vector<Line> mLines;
    int mSelected = -1;
    int mTopLine = 0;
    // How far below the thumb's top it is held; -1 while not dragged.
    int mThumbGrip = -1;
    Font* mFont;
    // Called with the line double-clicked.
    void (*mOnActivate)(void* owner, const Line& line) = nullptr;
    void* mOwner = nullptr;
};

class DemoMarkerDialog : public Dialog {
public:
    static constexpr int kDialogId = 0x5F0;

    explicit DemoMarkerDialog(KivoAppBase& app);
    ~DemoMarkerDialog() override;
    void Resize(int x, int y, int width, int height) override;

    LineListWidget* mList;

private:
    static void Activate(void* owner, const LineListWidget::Line& line);
    KivoAppBase& mApp;
};

class DemoJumpDialog : public Dialog, public EditListener {
public:
    static constexpr int kDialogId = 0x5F1;

    explicit DemoJumpDialog(KivoAppBase& app);
    ~DemoJumpDialog() override;
    void Resize(int x, int y, int width, int height) override;
    void Update() override;
    void ButtonDepress(int id) override;
    // Enter in the field is the default button.
    void EditWidgetText(int id, const std::string& text) override;

    // "h:m:s" (any number of fields, each step total × 60 + next) in seconds.
    static int64_t ParseTime(const std::string& text);

    EditWidget* mEdit;

private:
    KivoAppBase& mApp;
};

} // namespace Kivo
