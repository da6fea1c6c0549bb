#include "game/ui/WindowEffects.h"

#include "framework/graphics/Graphics.h"
#include "framework/widgets/WidgetHost.h"
#include "framework/widgets/WidgetManager.h"
#include "game/ui/Callback.h"
#include "game/ui/WindowBase.h"

#include <cmath>

namespace {

constexpr float kWindowEffectSpeed = 0.05f;
constexpr float kRubberSpeed = 0.02f;

} // namespace

WidgetEffectBase::WidgetEffectBase()
{
    if (Kivo::WidgetHost* app = Kivo::GetWidgetHost())
        Resize(0, 0, app->GetWidth(), app->GetHeight());
    mWidgetFlagsMod.mAddFlags |= Kivo::WIDGETFLAGS_MARK_DIRTY;
}

WidgetEffectBase::~WidgetEffectBase() { delete mCallback; }

void WidgetEffectBase::SetCallback(baseCallback* callback)
{
    delete mCallback;
    mCallback = callback;
}

void WidgetEffectBase::Update()
{
    if (!mFinished)
        return;
    Kivo::WidgetHost* app = Kivo::GetWidgetHost();
    if (app && app->GetWidgetManager())
        app->GetWidgetManager()->RemoveWidget(this);
    if (app)
        app->SafeDeleteWidget(this);
    // Called once: the effect is on its way out.
    baseCallback* callback = mCallback;
    mCallback = nullptr;
    if (callback) {
        callback->Invoke();
        delete callback;
    }
}

WindowEffect::WindowEffect(WindowBase* window, float alphaFrom, float alphaTo, float phaseFrom, float phaseTo,
                           float speed)
    : mWindow(window), mWindowX(window ? window->mX : 0), mWindowY(window ? window->mY : 0)
{
    mAlpha.mCurrent = mAlpha.mPrevious = alphaFrom;
    mAlpha.mTarget = alphaTo;
    mAlpha.mSpeed = speed;
    mPhase.mCurrent = mPhase.mPrevious = phaseFrom;
    mPhase.mTarget = phaseTo;
    mPhase.mSpeed = speed;
}

WindowEffect::~WindowEffect() { DetachWindow(); }

void WindowEffect::DetachWindow()
{
    WindowBase* window = mWindow;
    mWindow = nullptr;
    if (window)
        window->EffectGone(this);
    SetCallback(nullptr);
    mFinished = true;
}

void WindowEffect::Update()
{
    // The window is alive until its callback has run; it forgets the effect
    // first, since the effect is deleted later, perhaps after the window.
    if (mFinished && mWindow) {
        WindowBase* window = mWindow;
        mWindow = nullptr;
        window->EffectGone(this);
    }
    WidgetEffectBase::Update();
}

void WindowEffect::UpdateF(float fraction)
{
    mAlpha.Update(fraction);
    mPhase.Update(fraction);
    if (!mAlpha.IsMoving() && !mPhase.IsMoving())
        mFinished = true;
}

void WindowEffect::Draw(Kivo::Graphics* g)
{
    if (!mWindow)
        return;
    g->PushState();
    g->SetColorizeImages(true);
    g->SetColorRGBA(255, 255, 255, 255);
    g->SetAlphaScale(mAlpha.mCurrent);
    g->Translate(mWindowX, mWindowY);
    float sx = 1.0f;
    float sy = 1.0f;
    if (GetScale(&sx, &sy)) {
        const float cx = 0.5f * static_cast<float>(mWidth) - static_cast<float>(mWindowX);
        const float cy = 0.5f * static_cast<float>(mHeight) - static_cast<float>(mWindowY);
        g->SetScale(sx, sy, cx, cy);
    }
    mWindow->DrawForEffect(g);
    g->PopState();
}

EffectWindowAppear::EffectWindowAppear(WindowBase* window) : EffectWindowAppear(window, 0.0f, 1.0f, 1.0f, 0.0f) {}

EffectWindowAppear::EffectWindowAppear(WindowBase* window, float alphaFrom, float alphaTo, float phaseFrom,
                                       float phaseTo)
    : WindowEffect(window, alphaFrom, alphaTo, phaseFrom, phaseTo, kWindowEffectSpeed)
{
}

bool EffectWindowAppear::GetScale(float* sx, float* sy) const
{
    *sx = *sy = 1.0f - 0.3f * mPhase.mCurrent;
    return mScale;
}

EffectWindowDisappear::EffectWindowDisappear(WindowBase* window) : EffectWindowAppear(window, 1.0f, 0.0f, 0.0f, -1.0f)
{
}

bool EffectWindowDisappear::GetScale(float* sx, float* sy) const
{
    *sx = *sy = 1.0f + 0.3f * mPhase.mCurrent;
    return mScale;
}

EffectWindowAppearRubber::EffectWindowAppearRubber(WindowBase* window)
    : WindowEffect(window, 0.0f, 1.0f, 0.0f, 1.0f, kRubberSpeed)
{
}

float EffectWindowAppearRubber::Kx()
{
    static const float k = 3.1415925f - std::asin(0.95238101f);
    return k;
}

float EffectWindowAppearRubber::Ky()
{
    static const float k = 3.1415925f - std::asin(0.90909088f);
    return k;
}

bool EffectWindowAppearRubber::GetScale(float* sx, float* sy) const
{
    if (mPhase.IsMoving()) {
        *sx = 1.05f * std::sin(mPhase.mCurrent * Kx());
        *sy = 1.1f * std::sin(mPhase.mCurrent * Ky());
    } else {
        *sx = *sy = 1.0f;
    }
    return true;
}

WindowEffect* CreateWindowEffect(WindowBase* window, int kind)
{
    switch (kind) {
    case WINDOW_EFFECT_APPEAR:
        return new EffectWindowAppear(window);
    case WINDOW_EFFECT_DISAPPEAR:
        return new EffectWindowDisappear(window);
    case WINDOW_EFFECT_APPEAR_ALPHA: {
        auto* effect = new EffectWindowAppear(window);
        effect->mScale = false;
        return effect;
    }
    case WINDOW_EFFECT_DISAPPEAR_ALPHA: {
        auto* effect = new EffectWindowDisappear(window);
        effect->mScale = false;
        return effect;
    }
    case WINDOW_EFFECT_APPEAR_RUBBER:
        return new EffectWindowAppearRubber(window);
    default:
        return nullptr;
    }
}
