#include "game/ui/WindowBase.h"

#include "framework/core/Singleton.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/resources/ResourceHelpers.h"
#include "framework/widgets/DialogButton.h"
#include "framework/widgets/WidgetHost.h"
#include "framework/widgets/WidgetManager.h"
#include "game/ui/Callback.h"
#include "game/ui/WindowEffects.h"

namespace {

Kivo::WidgetManager* AppWidgetManager()
{
    Kivo::WidgetHost* app = Kivo::GetWidgetHost();
    return app ? app->GetWidgetManager() : nullptr;
}

bool AppShuttingDown()
{
    Kivo::WidgetHost* app = Kivo::GetWidgetHost();
    return app && app->IsShuttingDown();
}

} // namespace

WindowBase::WindowBase(Kivo::Image* background, const std::string& caption, bool isModal, int windowId)
    : Kivo::Dialog(nullptr, nullptr, windowId, isModal, caption, "", "", Kivo::BUTTONS_NONE)
{
    mWidgetFlagsMod.mAddFlags |= Kivo::WIDGETFLAGS_MARK_DIRTY;
    mDoFinger = false;
    for (Kivo::DialogButton* button : {mYesButton, mNoButton})
        if (button)
            button->mDoFinger = false;
    SetBackground(background);
    SetHeaderFont(GetFontById("FONT_CAPTION"));
}

WindowBase::~WindowBase() { DetachEffect(); }

void WindowBase::SetBackground(Kivo::Image* image)
{
    mBackground = image;
    const int w = image ? image->GetWidth() : 0;
    const int h = image ? image->GetHeight() : 0;
    Kivo::WidgetHost* app = Kivo::GetWidgetHost();
    const int screenW = app ? app->GetWidth() : 800;
    const int screenH = app ? app->GetHeight() : 600;
    Resize((screenW - w) / 2, (screenH - h) / 2, w, h);
}

void WindowBase::PlayShowSound() { PlaySoundById("SOUND_WINDOW_SHOW"); }

void WindowBase::PlayHideSound() { PlaySoundById("SOUND_WINDOW_HIDE"); }

int WindowBase::Show()
{
    Kivo::WidgetHost* app = Kivo::GetWidgetHost();
    if (!app || IsWidgetShown(this))
        return -1;
    mIsModal = true;
    PlayShowSound();
    app->AddDialog(this);
    if (!app->IsShuttingDown() && mAppearKind > 0) {
        PlayEffect(mAppearKind, &WindowBase::OnAppearDone);
        mDisappearStarted = false;
    }
    if (Kivo::WidgetManager* manager = app->GetWidgetManager())
        manager->SetFocus(this);
    return WaitForResult(true);
}

int WindowBase::WaitForResult(bool autoKill)
{
    Kivo::WidgetHost* app = Kivo::GetWidgetHost();
    const std::shared_ptr<bool> alive = mAlive;
    if (app) {
        do {
            if (!app->UpdateAppStep(nullptr))
                break;
        } while (*alive && mManager && mClosingResult == kNoResult && !app->IsShuttingDown());
    }
    if (!*alive)
        return kNoResult; // deleted by one of the steps: nothing of it may be touched
    const int result = mResult;
    if (autoKill) {
        if (app)
            app->KillDialog(mId);
        // Queued for deletion now: the next Instance() builds a new window.
        if (auto* singleton = dynamic_cast<SingletonBase*>(this))
            singleton->ReleaseInstance();
    }
    return result;
}

void WindowBase::Update()
{
    Kivo::Dialog::Update();
    if (mResult == kNoResult)
        return;
    // Answered, the window stays modal until it has gone, and keeps the keys
    // from the screen below it; but its own controls hear no more, so that
    // nothing typed while it fades out changes the answer or what it holds.
    if (mManager && HoldsFocus())
        mManager->SetFocus(nullptr);
    if (AppShuttingDown() || mDisappearKind <= 0) {
        mClosingResult = mResult;
        return;
    }
    if (mDisappearStarted)
        return;
    mDisappearStarted = true;
    PlayEffect(mDisappearKind, &WindowBase::OnDisappearDone);
    if (mEffect)
        PlayHideSound();
}

bool WindowBase::HoldsFocus() const
{
    for (const Kivo::WidgetContainer* w = mManager ? mManager->mFocusWidget : nullptr; w; w = w->mParent)
        if (w == this)
            return true;
    return false;
}

void WindowBase::PlayEffect(int kind, void (WindowBase::*done)())
{
    DetachEffect();
    SetVisible(false);
    WindowEffect* effect = CreateWindowEffect(this, kind);
    Kivo::WidgetManager* manager = AppWidgetManager();
    if (!effect || !manager) {
        // Without an effect the window must not wait for one.
        delete effect;
        if (done)
            (this->*done)();
        return;
    }
    if (done)
        effect->SetCallback(new CB_Callback<WindowBase, void>(this, done));
    mEffect = effect;
    manager->AddWidget(effect);
}

void WindowBase::EffectGone(WindowEffect* effect)
{
    if (mEffect == effect)
        mEffect = nullptr;
}

void WindowBase::DetachEffect()
{
    if (WindowEffect* effect = mEffect) {
        mEffect = nullptr;
        effect->DetachWindow();
    }
}

void WindowBase::RemovedFromManager(Kivo::WidgetManager* manager)
{
    Kivo::Dialog::RemovedFromManager(manager);
    DetachEffect();
}

void WindowBase::OnAppearDone() { SetVisible(true); }

void WindowBase::OnDisappearDone() { mClosingResult = mResult; }

void WindowBase::Draw(Kivo::Graphics* g)
{
    g->PushState();
    Kivo::Font* font = HeaderFont();
    if (mBackground)
        g->DrawImage(mBackground, 0, 0);
    if (!mDialogHeader.empty()) {
        const int y = mBackgroundInsets.mTop + mContentInsets.mTop - font->GetAscentPadding() + font->GetAscent();
        g->SetFont(font);
        g->SetColor(GetColor(Kivo::DIALOG_COLOR_HEADER));
        const int x = (mWidth - font->StringWidth(mDialogHeader)) / 2 + mContentInsets.mLeft - mContentInsets.mRight;
        g->DrawString(mDialogHeader, x, y);
    }
    g->PopState();
}

void WindowBase::DrawForEffect(Kivo::Graphics* g)
{
    g->PushState();
    Kivo::WidgetManager* manager = mManager ? mManager : AppWidgetManager();
    Kivo::ModalFlags flags = manager ? manager->InitModalFlags() : Kivo::ModalFlags();
    if (!manager)
        flags.mIsOver = true, flags.mOverFlags = Kivo::WIDGETFLAGS_DRAW;
    DrawAll(&flags, g);
    g->PopState();
}

void WindowBase::DrawShade(Kivo::Graphics* g)
{
    Kivo::WidgetHost* app = Kivo::GetWidgetHost();
    const int w = app ? app->GetWidth() : 800;
    const int h = app ? app->GetHeight() : 600;
    const Kivo::Color saved = g->GetColor();
    g->SetColorRGBA(0, 0, 0, 80);
    g->FillRect(-3 * w, -3 * h, 6 * w, 6 * h);
    g->SetColor(saved);
}

bool IsWidgetShown(Kivo::Widget* widget)
{
    Kivo::WidgetManager* manager = AppWidgetManager();
    return widget && manager && manager->HasWidget(widget);
}

bool RemoveWidgetIfShown(Kivo::Widget* widget)
{
    if (!IsWidgetShown(widget))
        return false;
    AppWidgetManager()->RemoveWidget(widget);
    return true;
}

int ToggleWindow(WindowBase* window, int appearKind, int disappearKind)
{
    if (RemoveWidgetIfShown(window))
        return -1;
    Kivo::WidgetHost* app = Kivo::GetWidgetHost();
    if (app && app->Is3DAccelerated()) {
        window->mAppearKind = static_cast<int8_t>(appearKind);
        window->mDisappearKind = static_cast<int8_t>(disappearKind);
    }
    return window->Show();
}

int ShowWindowAnimated(WindowBase* window, bool animate)
{
    if (animate)
        return ToggleWindow(window, WINDOW_EFFECT_APPEAR, WINDOW_EFFECT_DISAPPEAR);
    return window->Show();
}

WindowButton::WindowButton(int id, Kivo::ButtonListener* listener) : ButtonBase(id, listener)
{
    mButtonImage = GetImageById("IMAGE_UI_BUTTON");
    mDownImage = GetImageById("IMAGE_UI_BUTTON_DOWN");
    mGlowImage = GetImageById("IMAGE_UI_BUTTON_MASK");
    SetFont(GetFontById("FONT_BUTTON"));
    SetColor(Kivo::BUTTON_COLOR_LABEL, Kivo::Color(255, 255, 255));
    SetColor(Kivo::BUTTON_COLOR_LABEL_OVER, Kivo::Color(255, 255, 255));
    ResizeToImage();
    mGlowColor = Kivo::Color(100, 100, 20);
    mGlowMode = GLOW_ADDITIVE_OVER;
    mLabelOffsetY = -8;
}

void WindowButton::SetImages(Kivo::Image* normal, Kivo::Image* down)
{
    mButtonImage = normal;
    mDownImage = down;
    mGlowImage = nullptr;
    ResizeToImage();
}
