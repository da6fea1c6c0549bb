#include "game/ui/FullscreenFadder.h"

#include "framework/graphics/Graphics.h"
#include "framework/widgets/WidgetHost.h"
#include "framework/widgets/WidgetManager.h"
#include "game/ui/Callback.h"

#include <cmath>

namespace {
constexpr float kFadeSpeed = 0.035f;
}

FullscreenFadder::FullscreenFadder(bool fadeIn) { Init(fadeIn); }

FullscreenFadder::FullscreenFadder(bool fadeIn, baseCallback* callback) : mCallback(callback) { Init(fadeIn); }

FullscreenFadder::~FullscreenFadder() { delete mCallback; }

void FullscreenFadder::Init(bool fadeIn)
{
    Kivo::WidgetHost* app = Kivo::GetWidgetHost();
    mAlpha.mSpeed = kFadeSpeed;
    Resize(0, 0, app->GetWidth(), app->GetHeight());
    mWidgetFlagsMod.mAddFlags |= Kivo::WIDGETFLAGS_MARK_DIRTY;
    mAlpha.mCurrent = fadeIn ? 1.0f : 0.0f;
    mAlpha.mTarget = fadeIn ? 0.0f : 1.0f;
    Kivo::WidgetManager* manager = app->GetWidgetManager();
    manager->AddWidget(this);
    manager->BringToFront(this);
}

void FullscreenFadder::UpdateF(float fraction)
{
    mAlpha.Update(fraction);
    if (mAlpha.JustStopped())
        Finish();
}

void FullscreenFadder::Finish()
{
    Kivo::WidgetHost* app = Kivo::GetWidgetHost();
    app->GetWidgetManager()->RemoveWidget(this);
    app->SafeDeleteWidget(this);
    if (baseCallback* callback = mCallback) {
        mCallback = nullptr;
        callback->Invoke();
        delete callback;
    }
}

void FullscreenFadder::Draw(Kivo::Graphics*)
{
    if (mManager)
        mManager->QueueOverlay(this, Kivo::OVERLAY_FADE);
}

void FullscreenFadder::DrawOverlay(Kivo::Graphics* g)
{
    g->SetColorRGBA(0, 0, 0, static_cast<int>(std::trunc(mAlpha.mCurrent * 255)));
    g->FillRect(0, 0, mWidth, mHeight);
}
