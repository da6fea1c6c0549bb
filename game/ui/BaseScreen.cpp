#include "game/ui/BaseScreen.h"

#include "framework/widgets/WidgetHost.h"
#include "framework/widgets/WidgetManager.h"
#include "game/ui/Callback.h"
#include "game/ui/FullscreenFadder.h"

BaseScreen::BaseScreen()
{
    Kivo::WidgetHost* app = Kivo::GetWidgetHost();
    Resize(0, 0, app->GetWidth(), app->GetHeight());
    mWidgetFlagsMod.mAddFlags |= Kivo::WIDGETFLAGS_MARK_DIRTY;
}

BaseScreen::~BaseScreen() { delete mPendingCall; }

void BaseScreen::Enter()
{
    Kivo::WidgetManager* manager = Kivo::GetWidgetHost()->GetWidgetManager();
    manager->AddWidget(this);
    manager->SetFocus(this);
    StartFadeIn(nullptr);
    OnEnter();
}

void BaseScreen::LeaveWithFade(baseCallback* call)
{
    if (mClosing || Kivo::GetWidgetHost()->IsShuttingDown()) {
        delete call;
        return;
    }
    mClosing = true;
    mPendingCall = call;
    StartFadeOut(new CB_Callback<BaseScreen, void>(this, &BaseScreen::CallLeave));
}

void BaseScreen::StartFadeIn(baseCallback* call)
{
    delete call;
    new FullscreenFadder(true);
}

void BaseScreen::StartFadeOut(baseCallback* call) { new FullscreenFadder(false, call); }

void BaseScreen::Leave()
{
    if (mClosing && mPendingCall) {
        mClosing = false;
        baseCallback* call = mPendingCall;
        mPendingCall = nullptr;
        call->Invoke();
        delete call;
        if (mLeft)
            return;
    }
    mClosing = false;
    mLeft = true;
    OnLeave();
    Kivo::GetWidgetHost()->GetWidgetManager()->RemoveWidget(this);
}
