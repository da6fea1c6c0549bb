#pragma once
// The effects that play in a window's place while it appears or disappears:
// full-screen widgets that draw the window (itself invisible meanwhile) with
// a fading alpha and a scale about the screen centre. A finished effect, on
// its next update, leaves the tree, is queued for deletion and calls its
// completion callback once.
#include "framework/graphics/LiveValue.h"
#include "framework/widgets/Widget.h"

class WindowBase;
class baseCallback;

// A full-screen widget that ends itself once finished.
class WidgetEffectBase : public Kivo::Widget {
public:
    WidgetEffectBase();
    // Deletes the callback.
    ~WidgetEffectBase() override;

    // Once finished: leaves the widget manager, is queued for deletion and
    // invokes the callback. Nothing else (no update of children).
    void Update() override;
    // Takes ownership.
    void SetCallback(baseCallback* callback);

    bool mFinished = false;
    baseCallback* mCallback = nullptr;
};

// An effect drawing a window, at the position the window had when the
// effect was built, while its alpha and phase move to their targets. The
// window and the effect know each other: a window that goes away detaches
// its effect, which then draws nothing and ends without calling back.
class WindowEffect : public WidgetEffectBase {
public:
    WindowEffect(WindowBase* window, float alphaFrom, float alphaTo, float phaseFrom, float phaseTo, float speed);
    ~WindowEffect() override;

    void Update() override;
    // Moves alpha and phase; finished when neither moves any more.
    void UpdateF(float fraction) override;
    void Draw(Kivo::Graphics* g) override;
    // The scale about the screen centre for the current phase; false for
    // none.
    virtual bool GetScale(float* sx, float* sy) const = 0;
    // Forgets the window and the callback; the effect ends at its next
    // update.
    void DetachWindow();

    WindowBase* mWindow;
    int32_t mWindowX;
    int32_t mWindowY;
    Kivo::LiveValue mAlpha{0.0f, 0.0f};
    Kivo::LiveValue mPhase{0.0f, 0.0f};
};

// Alpha 0 -> 1 and phase 1 -> 0 at 0.05 a unit (20 updates); scale
// 1 - 0.3 phase, unless the scale flag is cleared.
class EffectWindowAppear : public WindowEffect {
public:
    explicit EffectWindowAppear(WindowBase* window);
    bool GetScale(float* sx, float* sy) const override;

    bool mScale = true;

protected:
    EffectWindowAppear(WindowBase* window, float alphaFrom, float alphaTo, float phaseFrom, float phaseTo);
};

// Alpha 1 -> 0 and phase 0 -> -1 at 0.05 a unit; scale 1 + 0.3 phase.
class EffectWindowDisappear : public EffectWindowAppear {
public:
    explicit EffectWindowDisappear(WindowBase* window);
    bool GetScale(float* sx, float* sy) const override;
};

// Alpha 0 -> 1 and phase 0 -> 1 at 0.02 a unit (50 updates); the window
// grows out of a point, overshoots to 1.05 wide and 1.1 high and settles at
// exactly 1.
class EffectWindowAppearRubber : public WindowEffect {
public:
    explicit EffectWindowAppearRubber(WindowBase* window);
    bool GetScale(float* sx, float* sy) const override;

    // The phase factors: sin(kx) * 1.05 = 1 and sin(ky) * 1.1 = 1 past the
    // peak.
    static float Kx();
    static float Ky();
};

// The effect for a kind (1 appear, 2 disappear, 3 and 4 the same without
// scaling, 5 rubber); null for any other kind. The caller owns it until it
// is added to the widget manager.
WindowEffect* CreateWindowEffect(WindowBase* window, int kind);
