#include "framework/app/CrashErrorWindow.h"

#include "framework/app/CrashCatcher.h"
#include "framework/app/KivoAppBase.h"
#include "framework/graphics/SysFont.h"
#include "framework/widgets/DialogButton.h"
#include "framework/widgets/EditWidget.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/win32/Window.h"

namespace Kivo {
namespace {

bool Offers(const CrashReportWindows& flow)
{
    return flow.catcher.allowSubmit && !flow.catcher.submitHost.empty();
}

// The first lines of the report, as many as the window shows.
std::string FirstLines(const std::string& text, int lines)
{
    size_t end = 0;
    for (int i = 0; i < lines && end != std::string::npos; ++i) {
        end = text.find('\n', end);
        if (end != std::string::npos)
            ++end;
    }
    return end == std::string::npos ? text : text.substr(0, end);
}

} // namespace

CrashErrorWindow::CrashErrorWindow(CrashReportWindows& flow)
    : Dialog(nullptr, nullptr, kWindowId, true, "An unexpected error has occured!",
          FirstLines(flow.catcher.errorText, kShownLines), "Close Now",
          Offers(flow) ? BUTTONS_OK_CANCEL : BUTTONS_FOOTER)
    , mFlow(flow)
    , mOffersSend(Offers(flow))
{
    mDialogListener = nullptr;
    // The report in a small fixed-pitch face, left-aligned, as it reads in
    // "crash.txt".
    mLinesFont = new SysFont("Courier New", 8);
    mTextJustify = -1;
    mContentInsets = Insets { 14, 10, 14, 14 };
    if (mOffersSend) {
        mYesButton->mLabel = "Send Report";
        mNoButton->mLabel = "Close Now";
        // Sending needs the crashed program's product and demo details.
        mYesButton->SetDisabled(!flow.hasApp);
    }
    Resize(0, 0, 400, 300);
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
    Show(new CrashErrorWindow(*this), "Fatal Error!");
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
