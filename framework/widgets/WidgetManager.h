#pragma once
// The root of the widget tree and the only way input reaches widgets. It
// tracks the widget under the mouse, the widget holding the pressed buttons
// (capture), the keyboard focus and the base-modal widget (everything below
// it loses mouse and focus), and draws deferred overlays after the tree in
// order of priority. Widget references are plain pointers it never owns.
#include "framework/widgets/Widget.h"

#include <climits>
#include <cstdint>
#include <vector>

namespace Kivo {

class WidgetHost;

// Overlay priorities of the system.
enum OverlayPriority { OVERLAY_SCREEN = 0, OVERLAY_FADE = 2, OVERLAY_CURSOR = 10 };

class WidgetManager : public WidgetContainer {
public:
    explicit WidgetManager(WidgetHost* app);
    // Detaches the widgets still in the tree; deletes none.
    ~WidgetManager() override;

    // Input from the application, in game coordinates.
    void MouseMove(int x, int y);
    bool MouseDrag(int x, int y);
    bool MouseDown(int x, int y, int clickCode);
    bool MouseUp(int x, int y, int clickCode);
    void MouseExit(int x, int y);
    void MouseWheel(int delta);
    void KeyChar(char c);
    // Key codes outside 0..254 reach the focus widget but not the key table.
    void KeyDown(int key);
    void KeyUp(int key);
    void GotFocus();
    void LostFocus();

    bool UpdateFrame();
    bool UpdateFrameF(float fraction);
    bool DrawScreen();

    void SetMouseMapping(const Rect& gameRect, const Rect& screenRect);
    // Identity while no screen rectangle is set.
    void MapMousePoint(int& x, int& y) const;
    bool IsLeftButtonDown() const { return (mActualButtons & 1) != 0; }
    bool IsKeyDown(int key) const { return key >= 0 && key < kNumKeys && mKeyDown[key] != 0; }
    void ReleaseHeldButtons();

    void AddBaseModal(Widget* widget) { AddBaseModalWithMod(widget, mDefaultBelowModalMod); }
    void AddBaseModalWithMod(Widget* widget, const FlagsMod& belowModalMod);
    void RemoveBaseModal(Widget* widget);

    void SetFocus(Widget* widget) override;
    void DisableWidget(Widget* widget) override;
    // Drawn after the tree in this draw; the widget's own (x, y) places it,
    // which is right for top-level widgets (all that queue overlays).
    void QueueOverlay(Widget* widget, int priority);
    void RefreshMouseOver();
    void MousePosition(int x, int y);
    // The enabled widget at (x, y) and the point local to it; null when none.
    Widget* GetWidgetAt(int x, int y, int* localX = nullptr, int* localY = nullptr);
    void FlushDeferredOverlays(int limit);
    // The flags a walk over the tree starts with (focus and modality).
    ModalFlags InitModalFlags();

    // Detaching a widget: saved modal states, the default-tab widget and
    // queued overlays forget it.
    void ForgetWidget(Widget* widget);

    static constexpr int kNumKeys = 255;

    struct DeferredOverlay {
        Widget* mWidget;
        int32_t mPriority;
    };
    struct SavedModalState {
        Widget* mBaseModalWidget;
        Widget* mPrevBaseModalWidget;
        Widget* mPrevFocusWidget;
        FlagsMod mPrevBelowModalMod;
    };

    Widget* mDefaultTabWidget = nullptr;
    Graphics* mCurrentGraphics = nullptr;
    WidgetHost* mApp;
    Image* mScreenImage = nullptr;
    Widget* mPopupWidget = nullptr;
    std::vector<DeferredOverlay> mDeferredOverlays;
    int32_t mLowestPendingPriority = INT_MAX;
    bool mAppHasFocus = true;
    Widget* mFocusWidget = nullptr;
    Widget* mLastDownWidget = nullptr;
    Widget* mOverWidget = nullptr;
    Widget* mBaseModalWidget = nullptr;
    FlagsMod mLostFocusMod;
    FlagsMod mBelowModalMod;
    FlagsMod mDefaultBelowModalMod;
    std::vector<SavedModalState> mSavedModalStates;
    Rect mGameRect;
    Rect mScreenRect;
    bool mMouseInWindow = false;
    int32_t mLastX = 0;
    int32_t mLastY = 0;
    int32_t mHeldButtons = 0; // bits 1 left, 2 right, 4 middle, pressed on mLastDownWidget
    int32_t mActualButtons = 0; // physically down
    uint32_t mLastInputUpdateCount = 0;
    uint8_t mKeyDown[kNumKeys] = {};
    int32_t mLastButton = 0; // 1 left, -1 right, 2 middle
    int32_t mFlags = 61;

private:
    int CurrentFlags() const;
    void SetBaseModal(Widget* widget, const FlagsMod& belowModalMod);
    void FindWidgetAt(WidgetContainer* container, int x, int y, int flags, Widget*& found, int& localX,
                      int& localY);
    void EnterWidget(Widget* widget);
    void LeaveWidget(Widget* widget);
    // The widget under the mouse is forgotten and left.
    void ClearOverWidget();
    void SendMouseUps(Widget* widget, int buttonMask);
};

// The button bit of a click code: right 2, middle 4, any other left 1.
int ClickCodeButtonBit(int clickCode);

} // namespace Kivo
