#include "game/ui/DelayWidget.h"

#include "framework/widgets/WidgetHost.h"

DelayWidget::DelayWidget(int frames) : WindowBase(nullptr, "", true, WINDOW_ID_DELAY), mFramesLeft(frames)
{
    if (Kivo::WidgetHost* app = Kivo::GetWidgetHost())
        Resize(0, 0, app->GetWidth(), app->GetHeight());
}

void DelayWidget::Update()
{
    // Counted first, so that the window closes in the update that ends the
    // count.
    if (--mFramesLeft < 1)
        mResult = 0;
    WindowBase::Update();
}

int ShowDelayWindow(int frames)
{
    if (!Kivo::GetWidgetHost())
        return Kivo::Dialog::kNoResult;
    return (new DelayWidget(frames))->Show();
}
