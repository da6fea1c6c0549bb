#pragma once
// The windows of the crash report process, on the framework's own dialogs:
// "Fatal Error!" with the whole report in a box that scrolls and "Close
// Now" ("Send Report" beside it only when the catcher may submit and has a
// host), "Error Details" where the user adds a text, "Please Wait" while
// the report goes out, and the question whether to retry after a failed
// connection. CrashReportWindows
// leads from one to the next and shuts the application down at the end.
#include "framework/widgets/Dialog.h"
#include "framework/widgets/EditListener.h"

#include <string>

namespace Kivo {

class CrashCatcher;
class CrashReportWindows;
class EditWidget;
class KivoAppBase;
class LineListWidget;

class CrashErrorWindow : public Dialog {
public:
    static constexpr int kWindowId = 0x5EC;

    explicit CrashErrorWindow(CrashReportWindows& flow);
    ~CrashErrorWindow() override;
    bool OffersSend() const { return mOffersSend; }
    void Resize(int x, int y, int width, int height) override;
    void ButtonDepress(int id) override;
    void MouseWheel(int delta) override;

    // The whole report, its lines wrapped to the box's width.
    LineListWidget* mReport;

private:
    // Fills the box with the report's lines at its present width.
    void WrapReport();

    CrashReportWindows& mFlow;
    bool mOffersSend;
};

class CrashDetailsWindow : public Dialog, public EditListener {
public:
    static constexpr int kWindowId = 0x5ED;
    static constexpr int kMaxUserText = 8192;

    explicit CrashDetailsWindow(CrashReportWindows& flow);
    ~CrashDetailsWindow() override;
    void Resize(int x, int y, int width, int height) override;
    void ButtonDepress(int id) override;

    EditWidget* mEdit;

private:
    CrashReportWindows& mFlow;
};

class CrashProgressWindow : public Dialog {
public:
    static constexpr int kWindowId = 0x5EE;

    explicit CrashProgressWindow(CrashReportWindows& flow);
    // Every 2 updates (20 ms) the transfer is polled; every 100 (a second)
    // another dot.
    void Update() override;
    void ButtonDepress(int id) override;

    int mUpdates = 0;
    int mSeconds = 0;

private:
    CrashReportWindows& mFlow;
};

class CrashRetryWindow : public Dialog {
public:
    static constexpr int kWindowId = 0x5EF;

    explicit CrashRetryWindow(CrashReportWindows& flow);
    void ButtonDepress(int id) override;

private:
    CrashReportWindows& mFlow;
};

class CrashReportWindows {
public:
    // `hasApp`: the crashed program had its application object, without
    // which nothing may be sent.
    CrashReportWindows(KivoAppBase& app, CrashCatcher& catcher, bool hasApp);

    // Opens "Fatal Error!".
    void Start();
    void ShowDetails();
    // Takes the user's text (at most 8192 characters) and sends the report.
    void Submit(const std::string& userText);
    // Reads the transfer: done or aborted ends, a failure asks to retry.
    void Poll();
    void Retry();
    void AbortTransfer();
    // Closes the windows and shuts the application down.
    void Finish();

    bool Done() const { return mDone; }
    // The id of the window on screen; 0 when none.
    int Showing() const { return mShowing; }

    KivoAppBase& app;
    CrashCatcher& catcher;
    const bool hasApp;

private:
    void Show(Dialog* window, const char* caption);
    int mShowing = 0;
    bool mDone = false;
};

} // namespace Kivo
