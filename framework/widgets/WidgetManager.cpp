#include "framework/widgets/WidgetManager.h"

#include "framework/graphics/Graphics.h"
#include "framework/widgets/WidgetHost.h"

#include <algorithm>

namespace Kivo {

namespace {

constexpr int kTabKey = 9;
constexpr int kControlKey = 17;

} // namespace

int ClickCodeButtonBit(int clickCode)
{
    if (clickCode < 0)
        return 2;
    if (clickCode == 3)
        return 4;
    return 1;
}

WidgetManager::WidgetManager(WidgetHost* app) : mApp(app)
{
    mManager = this;
    mDefaultBelowModalMod.mRemoveFlags = WIDGETFLAGS_ALLOW_MOUSE | WIDGETFLAGS_ALLOW_FOCUS;
    mBelowModalMod = mDefaultBelowModalMod;
}

WidgetManager::~WidgetManager()
{
    RemoveAllWidgets(false, false);
    mManager = nullptr;
}

int WidgetManager::CurrentFlags() const { return mAppHasFocus ? mFlags : mLostFocusMod.Apply(mFlags); }

ModalFlags WidgetManager::InitModalFlags()
{
    ModalFlags m;
    m.mIsOver = mBaseModalWidget == nullptr;
    m.mOverFlags = CurrentFlags();
    m.mUnderFlags = mBelowModalMod.Apply(m.mOverFlags);
    return m;
}

// ---- hit testing and mouse tracking

void WidgetManager::FindWidgetAt(WidgetContainer* container, int x, int y, int flags, Widget*& found, int& localX,
                                 int& localY)
{
    const int f = container->mWidgetFlagsMod.Apply(flags);
    bool belowModal = false;
    for (auto it = container->mChildren.rbegin(); it != container->mChildren.rend(); ++it) {
        Widget* c = *it;
        int cf = c->mWidgetFlagsMod.Apply(f);
        if (belowModal)
            cf = mBelowModalMod.Apply(cf);
        if ((cf & WIDGETFLAGS_ALLOW_MOUSE) && c->mVisible) {
            FindWidgetAt(c, x - c->mX, y - c->mY, cf, found, localX, localY);
            if (found)
                return;
            const Rect r = c->GetInsetRect();
            if (c->mMouseVisible && x >= r.mX && x < r.mX + r.mWidth && y >= r.mY && y < r.mY + r.mHeight &&
                c->HitTest(x - c->mX, y - c->mY)) {
                found = c;
                localX = x - c->mX;
                localY = y - c->mY;
                return;
            }
        }
        if (c == mBaseModalWidget)
            belowModal = true;
    }
}

Widget* WidgetManager::GetWidgetAt(int x, int y, int* localX, int* localY)
{
    Widget* found = nullptr;
    int lx = x, ly = y;
    FindWidgetAt(this, x, y, CurrentFlags(), found, lx, ly);
    if (found && found->mDisabled)
        found = nullptr;
    if (localX)
        *localX = found ? lx : x;
    if (localY)
        *localY = found ? ly : y;
    return found;
}

void WidgetManager::EnterWidget(Widget* widget)
{
    widget->mIsOver = true;
    widget->MouseEnter();
    if (widget->mDoFinger)
        widget->ShowFinger(true);
}

void WidgetManager::LeaveWidget(Widget* widget)
{
    widget->mIsOver = false;
    widget->MouseLeave();
    if (widget->mDoFinger)
        widget->ShowFinger(false);
}

void WidgetManager::ClearOverWidget()
{
    if (Widget* over = mOverWidget) {
        mOverWidget = nullptr;
        LeaveWidget(over);
    }
}

void WidgetManager::MousePosition(int x, int y)
{
    const int lastX = mLastX, lastY = mLastY;
    mLastX = x;
    mLastY = y;
    int lx, ly;
    Widget* w = GetWidgetAt(x, y, &lx, &ly);
    if (w == mOverWidget) {
        if (x == lastX && y == lastY)
            return;
        if (w)
            w->MouseMove(lx, ly);
        return;
    }
    ClearOverWidget();
    mOverWidget = w;
    if (w) {
        EnterWidget(w);
        w->MouseMove(lx, ly);
    }
}

void WidgetManager::RefreshMouseOver()
{
    if (!mLastDownWidget) {
        if (mMouseInWindow)
            MousePosition(mLastX, mLastY);
    } else if (mOverWidget && GetWidgetAt(mLastX, mLastY) != mLastDownWidget) {
        ClearOverWidget();
    }
}

// ---- mouse input

void WidgetManager::MouseMove(int x, int y)
{
    mLastInputUpdateCount = mUpdateCount;
    if (mHeldButtons) {
        MouseDrag(x, y);
        return;
    }
    mMouseInWindow = true;
    MousePosition(x, y);
}

bool WidgetManager::MouseDrag(int x, int y)
{
    mLastInputUpdateCount = mUpdateCount;
    mMouseInWindow = true;
    mLastX = x;
    mLastY = y;
    if (mOverWidget && mOverWidget != mLastDownWidget)
        ClearOverWidget();
    if (Widget* down = mLastDownWidget) {
        const Point p = down->GetAbsPos();
        down->MouseDrag(x - p.mX, y - p.mY);
        // The drag may have released the capture.
        if (mLastDownWidget && GetWidgetAt(x, y) == mLastDownWidget) {
            if (!mOverWidget) {
                mOverWidget = mLastDownWidget;
                EnterWidget(mOverWidget);
            }
        } else {
            ClearOverWidget();
        }
    }
    return true;
}

bool WidgetManager::MouseDown(int x, int y, int clickCode)
{
    mLastInputUpdateCount = mUpdateCount;
    const int bit = ClickCodeButtonBit(clickCode);
    mActualButtons |= bit;
    MousePosition(x, y);
    if (mPopupWidget && !mPopupWidget->Contains(x, y)) {
        Widget* popup = mPopupWidget;
        mPopupWidget = nullptr;
        RemoveWidget(popup);
    }
    Widget* w = GetWidgetAt(x, y);
    Widget* target = mLastDownWidget ? mLastDownWidget : w;
    mHeldButtons |= bit;
    mLastButton = clickCode < 0 ? -1 : clickCode == 3 ? 2 : 1;
    mLastDownWidget = target;
    if (target) {
        if (target->WantsFocus())
            SetFocus(target);
        // Focus changes may have released the capture; the press still goes
        // to the widget it was meant for, in that widget's own coordinates.
        const Point p = target->GetAbsPos();
        target->mIsDown = true;
        target->MouseDown(x - p.mX, y - p.mY, clickCode);
    }
    return true;
}

bool WidgetManager::MouseUp(int x, int y, int clickCode)
{
    mLastInputUpdateCount = mUpdateCount;
    const int bit = ClickCodeButtonBit(clickCode);
    MousePosition(x, y);
    mActualButtons &= ~bit;
    if (Widget* down = mLastDownWidget; down && (mHeldButtons & bit)) {
        mHeldButtons &= ~bit;
        if (!mHeldButtons)
            mLastDownWidget = nullptr;
        down->mIsDown = false;
        const Point p = down->GetAbsPos();
        down->MouseUp(x - p.mX, y - p.mY, clickCode);
    } else {
        mHeldButtons &= ~bit;
    }
    return true;
}

void WidgetManager::SendMouseUps(Widget* widget, int buttonMask)
{
    static const int kCodes[3] = {1, -1, 3};
    for (int i = 0; i < 3; ++i) {
        if (!(buttonMask & (1 << i)))
            continue;
        widget->mIsDown = false;
        const Point p = widget->GetAbsPos();
        widget->MouseUp(mLastX - p.mX, mLastY - p.mY, kCodes[i]);
    }
}

void WidgetManager::ReleaseHeldButtons()
{
    if (!mLastDownWidget || !mHeldButtons)
        return;
    Widget* down = mLastDownWidget;
    const int held = mHeldButtons;
    mLastDownWidget = nullptr;
    mHeldButtons = 0;
    SendMouseUps(down, held);
}

void WidgetManager::MouseExit(int, int)
{
    mLastInputUpdateCount = mUpdateCount;
    mMouseInWindow = false;
    ClearOverWidget();
}

void WidgetManager::MouseWheel(int delta)
{
    mLastInputUpdateCount = mUpdateCount;
    if (mFocusWidget)
        mFocusWidget->MouseWheel(delta);
}

// ---- keys and focus

void WidgetManager::KeyChar(char c)
{
    mLastInputUpdateCount = mUpdateCount;
    if (c == kTabKey && IsKeyDown(kControlKey)) {
        if (mDefaultTabWidget)
            mDefaultTabWidget->KeyChar(c);
        return;
    }
    if (mFocusWidget)
        mFocusWidget->KeyChar(c);
}

void WidgetManager::KeyDown(int key)
{
    mLastInputUpdateCount = mUpdateCount;
    if (key >= 0 && key < kNumKeys)
        mKeyDown[key] = 1;
    if (mFocusWidget)
        mFocusWidget->KeyDown(key);
}

void WidgetManager::KeyUp(int key)
{
    mLastInputUpdateCount = mUpdateCount;
    if (key >= 0 && key < kNumKeys)
        mKeyDown[key] = 0;
    if (key == kTabKey && IsKeyDown(kControlKey))
        return;
    if (mFocusWidget)
        mFocusWidget->KeyUp(key);
}

void WidgetManager::GotFocus()
{
    if (mAppHasFocus)
        return;
    mAppHasFocus = true;
    if (mFocusWidget)
        mFocusWidget->GotFocus();
}

void WidgetManager::LostFocus()
{
    if (!mAppHasFocus)
        return;
    mActualButtons = 0;
    for (int key = 0; key < kNumKeys; ++key)
        if (mKeyDown[key])
            KeyUp(key);
    mAppHasFocus = false;
    if (mFocusWidget)
        mFocusWidget->LostFocus();
}

void WidgetManager::SetFocus(Widget* widget)
{
    if (widget == mFocusWidget)
        return;
    if (Widget* old = mFocusWidget) {
        mFocusWidget = nullptr;
        old->LostFocus();
    }
    if (widget && widget->mManager == this) {
        mFocusWidget = widget;
        if (mAppHasFocus)
            widget->GotFocus();
    }
}

void WidgetManager::DisableWidget(Widget* widget)
{
    if (widget == mOverWidget) {
        mOverWidget = nullptr;
        LeaveWidget(widget);
    }
    if (widget == mLastDownWidget) {
        const int held = mHeldButtons;
        mLastDownWidget = nullptr;
        mHeldButtons = 0;
        SendMouseUps(widget, held);
    }
    if (widget == mFocusWidget) {
        mFocusWidget = nullptr;
        widget->LostFocus();
    }
    if (widget == mBaseModalWidget)
        mBaseModalWidget = nullptr;
}

void WidgetManager::ForgetWidget(Widget* widget)
{
    for (SavedModalState& state : mSavedModalStates) {
        if (state.mPrevBaseModalWidget == widget)
            state.mPrevBaseModalWidget = nullptr;
        if (state.mPrevFocusWidget == widget)
            state.mPrevFocusWidget = nullptr;
    }
    if (mDefaultTabWidget == widget)
        mDefaultTabWidget = nullptr;
    for (DeferredOverlay& overlay : mDeferredOverlays)
        if (overlay.mWidget == widget)
            overlay.mWidget = nullptr;
}

// ---- base modality

void WidgetManager::SetBaseModal(Widget* widget, const FlagsMod& belowModalMod)
{
    mBaseModalWidget = widget;
    mBelowModalMod = belowModalMod;
    // Nothing lies below no base-modal widget.
    if (!widget)
        return;
    if (belowModalMod.mRemoveFlags & WIDGETFLAGS_ALLOW_MOUSE) {
        if (mOverWidget && IsBelow(mOverWidget, widget))
            ClearOverWidget();
        if (mLastDownWidget && IsBelow(mLastDownWidget, widget)) {
            Widget* down = mLastDownWidget;
            const int held = mHeldButtons;
            mLastDownWidget = nullptr;
            mHeldButtons = 0;
            SendMouseUps(down, held);
        }
    }
    if ((belowModalMod.mRemoveFlags & WIDGETFLAGS_ALLOW_FOCUS) && mFocusWidget && IsBelow(mFocusWidget, widget)) {
        Widget* focus = mFocusWidget;
        mFocusWidget = nullptr;
        focus->LostFocus();
    }
}

void WidgetManager::AddBaseModalWithMod(Widget* widget, const FlagsMod& belowModalMod)
{
    mSavedModalStates.push_back({widget, mBaseModalWidget, mFocusWidget, mBelowModalMod});
    SetBaseModal(widget, belowModalMod);
}

void WidgetManager::RemoveBaseModal(Widget* widget)
{
    if (mSavedModalStates.empty() || mSavedModalStates.back().mBaseModalWidget != widget)
        return;
    // States whose previous base-modal widget has gone are passed over, down
    // to the first that restores one.
    while (!mSavedModalStates.empty()) {
        const SavedModalState state = mSavedModalStates.back();
        mSavedModalStates.pop_back();
        SetBaseModal(state.mPrevBaseModalWidget, state.mPrevBelowModalMod);
        if (!mFocusWidget && state.mPrevFocusWidget) {
            mFocusWidget = state.mPrevFocusWidget;
            mFocusWidget->GotFocus();
        }
        if (state.mPrevBaseModalWidget)
            break;
    }
}

// ---- overlays, updates and drawing

void WidgetManager::QueueOverlay(Widget* widget, int priority)
{
    mDeferredOverlays.push_back({widget, priority});
    mLowestPendingPriority = std::min(mLowestPendingPriority, priority);
}

void WidgetManager::FlushDeferredOverlays(int limit)
{
    if (!mCurrentGraphics)
        return;
    for (;;) {
        int next = INT_MAX;
        // By index: an overlay may queue another one while it draws.
        for (size_t i = 0; i < mDeferredOverlays.size(); ++i) {
            Widget* widget = mDeferredOverlays[i].mWidget;
            if (!widget)
                continue;
            const int priority = mDeferredOverlays[i].mPriority;
            if (priority != mLowestPendingPriority) {
                next = std::min(next, priority);
                continue;
            }
            mDeferredOverlays[i].mWidget = nullptr;
            Graphics g(*mCurrentGraphics);
            g.Translate(-mGameRect.mX, -mGameRect.mY);
            g.Translate(widget->mX, widget->mY);
            g.SetFastStretch(!g.mIs3D);
            g.SetLinearBlend(g.mIs3D);
            widget->DrawOverlayPriority(&g, priority);
        }
        mLowestPendingPriority = next;
        if (next == INT_MAX) {
            mDeferredOverlays.clear();
            return;
        }
        if (mLowestPendingPriority >= limit)
            return;
    }
}

bool WidgetManager::UpdateFrame()
{
    ++mUpdateCount;
    mLastUpdateCount = mUpdateCount;
    ModalFlags flags = InitModalFlags();
    UpdateAll(&flags);
    return mDirty;
}

bool WidgetManager::UpdateFrameF(float fraction)
{
    ModalFlags flags = InitModalFlags();
    UpdateFAll(&flags, fraction);
    return mDirty;
}

bool WidgetManager::DrawScreen()
{
    ModalFlags flags = InitModalFlags();
    const bool anyDirty = std::any_of(mChildren.begin(), mChildren.end(), [](Widget* w) { return w->mDirty; });
    mLowestPendingPriority = INT_MAX;
    mDeferredOverlays.clear();

    Graphics g(mScreenImage);
    mCurrentGraphics = &g;
    const bool locked = mApp && mScreenImage && mApp->LockScreenImage(mScreenImage);

    bool drewSomething = false;
    if (anyDirty) {
        Graphics g2(g);
        g2.Translate(-mGameRect.mX, -mGameRect.mY);
        const bool accelerated = mApp && mApp->Is3DAccelerated();
        ForEachChild([&](Widget* child) {
            if (child == mBaseModalWidget)
                flags.mIsOver = true;
            if (!child->mDirty || !child->mVisible)
                return;
            Graphics copy(g2);
            copy.SetFastStretch(!accelerated);
            copy.SetLinearBlend(accelerated);
            copy.Translate(child->mX, child->mY);
            child->DrawAll(&flags, &copy);
            drewSomething = true;
            child->mDirty = false;
        });
    }
    FlushDeferredOverlays(INT_MAX);

    if (locked)
        mApp->UnlockScreenImage(mScreenImage);
    mCurrentGraphics = nullptr;
    return drewSomething;
}

void WidgetManager::SetMouseMapping(const Rect& gameRect, const Rect& screenRect)
{
    mGameRect = gameRect;
    mScreenRect = screenRect;
    mWidth = gameRect.mWidth + 2 * gameRect.mX;
    mHeight = gameRect.mHeight + 2 * gameRect.mY;
}

void WidgetManager::MapMousePoint(int& x, int& y) const
{
    if (mScreenRect.mWidth == 0 || mScreenRect.mHeight == 0)
        return;
    x = static_cast<int>(int64_t(x - mScreenRect.mX) * mGameRect.mWidth / mScreenRect.mWidth + mGameRect.mX);
    y = static_cast<int>(int64_t(y - mScreenRect.mY) * mGameRect.mHeight / mScreenRect.mHeight + mGameRect.mY);
}

} // namespace Kivo
