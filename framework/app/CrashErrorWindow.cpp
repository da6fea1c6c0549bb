#include "framework/app/CrashErrorWindow.h"

#include "framework/app/CrashCatcher.h"
#include "framework/app/DemoDialogs.h"
#include "framework/app/KivoAppBase.h"
#include "framework/graphics/SysFont.h"
#include "framework/widgets/DialogButton.h"
#include "framework/widgets/EditWidget.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/win32/Window.h"

#include <vector>

namespace Kivo {
namespace {

bool Offers(const CrashReportWindows& flow)
{
    return flow.catcher.allowSubmit && !flow.catcher.submitHost.empty();
}

// The report's lines (ended by "\r\n" or "\n"), each broken to fit `width`
// pixels of `font`: after its last blank that fits, or where it stops fitting.
std::vector<std::string> WrapLines(const std::string& text, Font& font, int width)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        start = end + 1;
        while (line.size() > 1 && font.StringWidth(line) > width) {
            size_t fit = 1;
            while (fit < line.size() && font.StringWidth(line.substr(0, fit + 1)) <= width)
                ++fit;
            const size_t blank = line.rfind(' ', fit);
            const size_t cut = blank != std::string::npos && blank > 0 ? blank : fit;
            lines.push_back(line.substr(0, cut));
            line.erase(0, line[cut] == ' ' ? cut + 1 : cut);
        }
        lines.push_back(line);
    }
    return lines;
}

} // namespace

CrashErrorWindow::CrashErrorWindow(CrashReportWindows& flow)
    : Dialog(nullptr, nullptr, kWindowId, true, "An unexpected error has occured!", "", "Close Now",
          Offers(flow) ? BUTTONS_OK_CANCEL : BUTTONS_FOOTER)
    , mReport(nullptr)
    , mFlow(flow)
    , mOffersSend(Offers(flow))
{
    mDialogListener = nullptr;
    mContentInsets = Insets { 14, 10, 14, 14 };
    // The report in a small fixed-pitch face, as it reads in "crash.txt".
    mLinesFont = new SysFont("Courier New", 8);
    mReport = new LineListWidget(mLinesFont);
    mReport->mWantsFocus = true;
    AddWidget(mReport);
    if (mOffersSend) {
        mYesButton->mLabel = "Send Report";
        mNoButton->mLabel = "Close Now";
        // Sending needs the crashed program's product and demo details.
        mYesButton->SetDisabled(!flow.hasApp);
    }
    Resize(0, 0, 400, 300);
}

CrashErrorWindow::~CrashErrorWindow()
{
    RemoveWidget(mReport);
    delete mReport;
}

void CrashErrorWindow::Resize(int x, int y, int width, int height)
{
    Dialog::Resize(x, y, width, height);
    if (!mReport)
        return;
    // Below the header, above the buttons.
    const int left = mBackgroundInsets.mLeft + mContentInsets.mLeft;
    const int top = mBackgroundInsets.mTop + mContentInsets.mTop + HeaderFont()->GetHeight() + mSpaceAfterHeader;
    const int bottom = mYesButton->mY - 8;
    mReport->Resize(left, top, width - 2 * left, bottom - top);
    WrapReport();
}

void CrashErrorWindow::WrapReport()
{
    mReport->mLines.clear();
    const int textWidth = mReport->mWidth - LineListWidget::kBarWidth - 8;
    for (std::string& line : WrapLines(mFlow.catcher.errorText, *mLinesFont, textWidth))
        mReport->mLines.push_back({ std::move(line), 0 });
    mReport->ScrollTo(mReport->mTopLine);
}

void CrashErrorWindow::MouseWheel(int delta)
{
    mReport->MouseWheel(delta);
}

void CrashErrorWindow::ButtonDepress(int id)
{
    Dialog::ButtonDepress(id);
    if (id == ID_YES && mOffersSend)
        mFlow.ShowDetails();
    else if (id == ID_YES || id == ID_NO)
        mFlow.Finish();
}

CrashDetailsWindow::CrashDetailsWindow(CrashReportWindows& flow)
    : Dialog(nullptr, nullptr, kWindowId, true,
          "Please help out by providing as much information as you can about this crash.", "", "",
          BUTTONS_OK_CANCEL)
    , mEdit(new EditWidget(100, this))
    , mFlow(flow)
{
    mDialogListener = nullptr;
    mYesButton->mLabel = "Continue";
    mNoButton->mLabel = "Abort";
    mYesButton->SetDisabled(!flow.hasApp);
    mEdit->mMaxChars = kMaxUserText;
    AddWidget(mEdit);
    Resize(0, 0, 400, 300);
}

CrashDetailsWindow::~CrashDetailsWindow()
{
    RemoveWidget(mEdit);
    delete mEdit;
}

void CrashDetailsWindow::Resize(int x, int y, int width, int height)
{
    Dialog::Resize(x, y, width, height);
    mEdit->Resize(24, 120, width - 48, 28);
}

void CrashDetailsWindow::ButtonDepress(int id)
{
    Dialog::ButtonDepress(id);
    if (id == ID_YES)
        mFlow.Submit(mEdit->mString);
    else if (id == ID_NO)
        mFlow.Finish();
}

CrashProgressWindow::CrashProgressWindow(CrashReportWindows& flow)
    : Dialog(nullptr, nullptr, kWindowId, true, "Please Wait", "", "Abort", BUTTONS_FOOTER)
    , mFlow(flow)
{
    mDialogListener = nullptr;
    Resize(80, 90, 240, 120);
}

void CrashProgressWindow::Update()
{
    Dialog::Update();
    ++mUpdates;
    if (mUpdates % 100 == 0) {
        ++mSeconds;
        mDialogHeader = "Please Wait";
        for (int i = 0; i < mSeconds % 10; ++i)
            mDialogHeader += " .";
        MarkDirty();
    }
    if (mUpdates % 2 == 0)
        mFlow.Poll();
}

void CrashProgressWindow::ButtonDepress(int id)
{
    Dialog::ButtonDepress(id);
    if (id == ID_YES)
        mFlow.AbortTransfer();
}

CrashRetryWindow::CrashRetryWindow(CrashReportWindows& flow)
    : Dialog(nullptr, nullptr, kWindowId, true, "Connection Failed", "Failed to connect to server.", "",
          BUTTONS_OK_CANCEL)
    , mFlow(flow)
{
    mDialogListener = nullptr;
    mYesButton->mLabel = "Retry";
    mNoButton->mLabel = "Cancel";
    Resize(40, 70, 320, 160);
}

void CrashRetryWindow::ButtonDepress(int id)
{
    Dialog::ButtonDepress(id);
    if (id == ID_YES)
        mFlow.Retry();
    else if (id == ID_NO)
        mFlow.Finish();
}

CrashReportWindows::CrashReportWindows(KivoAppBase& app, CrashCatcher& catcher, bool hasApp)
    : app(app)
    , catcher(catcher)
    , hasApp(hasApp)
{
}

void CrashReportWindows::Show(Dialog* window, const char* caption)
{
    if (mShowing)
        app.KillDialog(mShowing);
    mShowing = window->mId;
    app.AddDialog(window);
    if (app.hwnd)
        SetWindowTextA(app.hwnd, caption);
}

void CrashReportWindows::Start()
{
    auto* window = new CrashErrorWindow(*this);
    Show(window, "Fatal Error!");
    // The wheel goes to the widget with the focus.
    if (app.widgetManager)
        app.widgetManager->SetFocus(window->mReport);
}

void CrashReportWindows::ShowDetails()
{
    auto* window = new CrashDetailsWindow(*this);
    Show(window, "Error Details");
    if (app.widgetManager)
        app.widgetManager->SetFocus(window->mEdit);
}

void CrashReportWindows::Submit(const std::string& userText)
{
    catcher.userText = userText.substr(0, CrashDetailsWindow::kMaxUserText);
    Show(new CrashProgressWindow(*this), "Submitting Report");
    catcher.SubmitReport();
}

void CrashReportWindows::Poll()
{
    HTTPTransfer& transfer = catcher.transfer;
    transfer.UpdateStatus();
    switch (transfer.result.load()) {
    case HTTPTransfer::RESULT_NOT_STARTED:
    case HTTPTransfer::RESULT_NOT_COMPLETED:
        break;
    case HTTPTransfer::RESULT_DONE:
    case HTTPTransfer::RESULT_ABORTED:
        Finish();
        break;
    default:
        transfer.Reset();
        Show(new CrashRetryWindow(*this), "Connection Failed");
        break;
    }
}

void CrashReportWindows::Retry()
{
    Show(new CrashProgressWindow(*this), "Submitting Report");
    catcher.SubmitReport();
}

void CrashReportWindows::AbortTransfer()
{
    catcher.transfer.Abort();
    // A transfer that never started has no thread to report the abort.
    if (!catcher.transfer.busy)
        Finish();
}

void CrashReportWindows::Finish()
{
    if (mDone)
        return;
    mDone = true;
    if (mShowing)
        app.KillDialog(mShowing);
    mShowing = 0;
    app.Shutdown();
}

} // namespace Kivo
