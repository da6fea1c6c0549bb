#include "game/ui/WideScreenBars.h"

#include "framework/graphics/Graphics.h"
#include "framework/resources/ResourceHelpers.h"
#include "framework/widgets/WidgetHost.h"
#include "framework/widgets/WidgetManager.h"

namespace {

constexpr int kGameWidth = 800;
constexpr int kGameHeight = 600;

} // namespace

WideScreenBars::WideScreenBars() : mPanelImage(GetImageById("IMAGE_WIDESCREEN_PANEL"))
{
    Resize(0, 0, kGameWidth, kGameHeight);
    mWantsFocus = false;
    mMouseVisible = false;
    if (Kivo::WidgetHost* app = Kivo::GetWidgetHost())
        if (Kivo::WidgetManager* manager = app->GetWidgetManager())
            manager->AddWidget(this);
}

int WideScreenBars::BarWidth(int displayWidth, int displayHeight)
{
    if (displayHeight <= 0)
        return 0;
    const double width = (displayWidth - 1.3333333730697632 * displayHeight) * 0.5 * kGameHeight / displayHeight;
    return width > 0 ? static_cast<int>(width) : 0;
}

void WideScreenBars::Update()
{
    Widget::Update();
    Kivo::WidgetHost* app = Kivo::GetWidgetHost();
    if (!app || app->IsWindowed() || !mManager)
        return;
    mManager->BringToFront(this);
    MarkDirty();
}

void WideScreenBars::Draw(Kivo::Graphics* g)
{
    Kivo::WidgetHost* app = Kivo::GetWidgetHost();
    int w = 0, h = 0;
    if (!app || app->IsWindowed() || !mPanelImage || !app->GetFullScreenSize(&w, &h))
        return;
    const int bar = BarWidth(w, h);
    if (bar <= 0)
        return;
    const Kivo::Rect source(0, 0, mPanelImage->mWidth, mPanelImage->mHeight);
    g->PushState();
    g->ClearClipRect();
    g->DrawImageStretch(mPanelImage, Kivo::Rect(-bar, 0, bar, kGameHeight), source);
    g->DrawImageMirror(mPanelImage, Kivo::Rect(kGameWidth, 0, bar, kGameHeight), source);
    g->PopState();
}
