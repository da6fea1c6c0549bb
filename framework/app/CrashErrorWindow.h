#pragma once
// The window a crash report is shown in: the headline, the report, and
// "Close Now"; "Send Report" beside it only when the catcher may submit and
// has a host to submit to. Either button ends the window.
#include "framework/widgets/Dialog.h"

#include <string>

namespace Kivo {

class CrashCatcher;

class CrashErrorWindow : public Dialog {
public:
    static constexpr int kWindowId = 0x5EC;

    CrashErrorWindow(CrashCatcher& catcher, const std::string& title, const std::string& text);

    bool OffersSend() const { return mOffersSend; }
    void ButtonDepress(int id) override;

    // Shows the window over the application's widgets until a button ends
    // it; without an application object there is nowhere to show it.
    static void Show(CrashCatcher& catcher);

private:
    CrashCatcher& mCatcher;
    bool mOffersSend;
};

} // namespace Kivo
