#include "game/ui/DelayWidget.h"

#include "framework/widgets/WidgetHost.h"
#include "framework/widgets/WidgetManager.h"

DelayWidget::DelayWidget(int frames) : Dialog(nullptr, nullptr, 0, true, "", "", "", 0), mFramesLeft(frames)
{
    if (Kivo::WidgetHost* app = Kivo::GetWidgetHost())
        Resize(0, 0, app->GetWidth(), app->GetHeight());
}

void DelayWidget::Update()
{
    Dialog::Update();
    if (--mFramesLeft < 1)
        mResult = 0;
}

int ShowDelayWindow(int frames)
{
    Kivo::WidgetHost* app = Kivo::GetWidgetHost();
    if (!app)
        return Kivo::Dialog::kNoResult;
    auto* window = new DelayWidget(frames);
    app->AddDialog(window);
    if (Kivo::WidgetManager* manager = app->GetWidgetManager())
        manager->SetFocus(window);
    return window->WaitForResult(true);
}
