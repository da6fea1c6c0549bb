#include "framework/app/CrashErrorWindow.h"

#include "framework/app/CrashCatcher.h"
#include "framework/app/KivoAppBase.h"
#include "framework/widgets/DialogButton.h"

namespace Kivo {
namespace {

bool Offers(const CrashCatcher& catcher)
{
    return catcher.allowSubmit && !catcher.submitHost.empty();
}

} // namespace

CrashErrorWindow::CrashErrorWindow(CrashCatcher& catcher, const std::string& title, const std::string& text)
    : Dialog(nullptr, nullptr, kWindowId, true, "An unexpected error has occured!", text, "Close Now",
          Offers(catcher) ? BUTTONS_OK_CANCEL : BUTTONS_FOOTER)
    , mCatcher(catcher)
    , mOffersSend(Offers(catcher))
{
    (void)title;
    if (mOffersSend) {
        mYesButton->mLabel = "Send Report";
        mNoButton->mLabel = "Close Now";
        // Sending needs the application's product and demo details.
        mYesButton->SetDisabled(gKivoApp == nullptr);
    }
    Resize(64, 64, 400, 300);
}

void CrashErrorWindow::ButtonDepress(int id)
{
    Dialog::ButtonDepress(id);
    if (id == ID_YES && mOffersSend)
        mCatcher.SubmitReport();
    mCatcher.exitLoop = true;
}

void CrashErrorWindow::Show(CrashCatcher& catcher)
{
    KivoAppBase* app = gKivoApp;
    if (!app || !app->GetWidgetManager())
        return;
    catcher.exitLoop = false;
    auto* window = new CrashErrorWindow(catcher, catcher.errorTitle, catcher.errorText);
    app->AddDialog(window);
    window->WaitForResult(true);
}

} // namespace Kivo
