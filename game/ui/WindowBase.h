#pragma once
// The game's dialog windows. A window is a dialog with a background picture
// (which gives its size, centred on the screen), a caption, a window id and
// optional appear and disappear effects. Its answer comes in two stages: a
// button or key sets the result, and the closing result follows once the
// disappear effect has played; only then does the window close. Showing a
// window is modal and synchronous: Show runs nested application steps until
// the window closes and returns its result.
//
// Every concrete window (except the delay window) is a Singleton created on
// first use and deleted after each showing. The registration is given up
// when the window is killed, so Instance() never hands out a window that is
// already queued for deletion.
#include "framework/widgets/Dialog.h"
#include "game/ui/ButtonBase.h"

#include <cstdint>
#include <string>

namespace Kivo {
class Font;
class Graphics;
class Image;
class Widget;
class WidgetManager;
} // namespace Kivo

class WindowEffect;

// The dialog ids of the windows; each concrete window uses exactly one.
enum WindowId {
    WINDOW_ID_DELAY = 0,
    WINDOW_ID_PAUSE = 100,
    WINDOW_ID_OPTIONS = 101,
    WINDOW_ID_PROFILES = 102,
    WINDOW_ID_NEW_PROFILE = 103,
    WINDOW_ID_HELP = 105,
    WINDOW_ID_LEVEL_COMPLETED1 = 106,
    WINDOW_ID_LEVEL_COMPLETED2 = 107,
    WINDOW_ID_HOW_TO_PLAY = 108,
    WINDOW_ID_CONFIRM = 109,
    WINDOW_ID_CONFIRM2 = 110,
    WINDOW_ID_MESSAGE = 111,
    WINDOW_ID_ARROW_HINT = 113,
    WINDOW_ID_ARROW_HINT2 = 114,
};

// Effect kinds (CreateWindowEffect); 0 is none.
enum WindowEffectKind {
    WINDOW_EFFECT_NONE = 0,
    WINDOW_EFFECT_APPEAR = 1,          // fade in, growing from 70% about the screen centre
    WINDOW_EFFECT_DISAPPEAR = 2,       // fade out, shrinking to 70%
    WINDOW_EFFECT_APPEAR_ALPHA = 3,    // fade in only
    WINDOW_EFFECT_DISAPPEAR_ALPHA = 4, // fade out only
    WINDOW_EFFECT_APPEAR_RUBBER = 5,   // grows out of a point, overshoots, settles
};

// The keys the windows answer to (virtual-key codes).
enum WindowKey { WINDOW_KEY_ENTER = 13, WINDOW_KEY_ESCAPE = 27, WINDOW_KEY_SPACE = 32 };

class WindowBase : public Kivo::Dialog {
public:
    // The window is sized to the background (0 x 0 without one) and centred
    // on the screen; the caption is drawn in "FONT_CAPTION".
    WindowBase(Kivo::Image* background, const std::string& caption, bool isModal, int windowId);
    // Detaches a running effect.
    ~WindowBase() override;

    // Closing: one update after the result without a disappear effect, or
    // once the disappear effect started here has played.
    void Update() override;
    // The background at (0, 0) and the caption centred at the top.
    void Draw(Kivo::Graphics* g) override;
    // Windows cannot be dragged.
    void MouseDownButton(int, int, int, int) override {}
    void MouseDrag(int, int) override {}
    // A window taken out of the tree drops its running effect.
    void RemovedFromManager(Kivo::WidgetManager* manager) override;
    // Runs application steps until the window closes, leaves the tree or
    // the application stops; with autoKill the application then kills it
    // (and a singleton window gives up its registration). The result, not
    // the closing result: kNoResult when never answered.
    int WaitForResult(bool autoKill = true) override;
    // "SOUND_WINDOW_SHOW" and "SOUND_WINDOW_HIDE".
    virtual void PlayShowSound();
    virtual void PlayHideSound();

    // Shows the window modally and returns its result; -1, doing nothing,
    // when the widget manager already holds it.
    int Show();
    // Stores the picture (not owned), resizes to it and centres the window.
    void SetBackground(Kivo::Image* image);
    // The appear effect's end: the window becomes visible.
    void OnAppearDone();
    // The disappear effect's end: the closing result takes the result.
    void OnDisappearDone();
    // Draws the window and its children into `g` as the widget manager
    // would, visible or not (the effects draw it in its place).
    void DrawForEffect(Kivo::Graphics* g);
    // Dims the whole screen behind a window: black at alpha 80 over three
    // screens around it, wherever the window stands.
    static void DrawShade(Kivo::Graphics* g);

    // Hides the window and plays the effect of `kind` in its place; at its
    // end `done` (may be null) runs on this window. With no effect for the
    // kind, `done` runs at once. A running effect is dropped first.
    void PlayEffect(int kind, void (WindowBase::*done)());
    // The effect's end or removal: it no longer refers to this window.
    void EffectGone(WindowEffect* effect);

    Kivo::Image* mBackground = nullptr;
    int8_t mAppearKind = WINDOW_EFFECT_NONE;
    int8_t mDisappearKind = WINDOW_EFFECT_NONE;
    int32_t mClosingResult = kNoResult;
    bool mDisappearStarted = false;
    // The effect playing in the window's place, or null.
    WindowEffect* mEffect = nullptr;

protected:
    // Drops the running effect: it draws nothing more and ends without
    // calling back.
    void DetachEffect();
    // The keyboard focus is the window's or one of its controls'.
    bool HoldsFocus() const;
};

// The application's widget manager holds the widget.
bool IsWidgetShown(Kivo::Widget* widget);
// Removes the widget from the widget manager when it is held; whether it
// was. A window removed this way ends its modal wait.
bool RemoveWidgetIfShown(Kivo::Widget* widget);
// A window that is up is removed (-1); otherwise it is shown, with the given
// effect kinds only when the display is hardware accelerated.
int ToggleWindow(WindowBase* window, int appearKind, int disappearKind);
// With `animate`, ToggleWindow with the scaled appear and disappear effects;
// without, Show with the kinds the window has.
int ShowWindowAnimated(WindowBase* window, bool animate);

// The standard push button of the windows: "IMAGE_UI_BUTTON" with its down
// picture and the additive glow "IMAGE_UI_BUTTON_MASK", white labels in
// "FONT_BUTTON", sized to its picture. Presses go to the listener (as a
// rule the window).
class WindowButton : public ButtonBase {
public:
    WindowButton(int id, Kivo::ButtonListener* listener);
    // Replaces the pictures (for the small buttons) without the glow, and
    // resizes to the normal one.
    void SetImages(Kivo::Image* normal, Kivo::Image* down);
};
