#pragma once
// The full-screen fade of every screen switch: a black overlay over the
// whole game area that darkens (fade-out) or clears (fade-in). While it
// exists it is the front widget, so every mouse hit finds it and nothing
// below gets mouse input. When the fade arrives it takes itself out of the
// tree, hands itself to deferred deletion, then runs its stored call.
#include "framework/graphics/LiveValue.h"
#include "framework/widgets/Widget.h"

class baseCallback;

class FullscreenFadder : public Kivo::Widget {
public:
    explicit FullscreenFadder(bool fadeIn);
    // Owns the call.
    FullscreenFadder(bool fadeIn, baseCallback* callback);
    // A call that never ran is deleted unrun.
    ~FullscreenFadder() override;

    void UpdateF(float fraction) override;
    void Draw(Kivo::Graphics* g) override;
    void DrawOverlay(Kivo::Graphics* g) override;

    Kivo::LiveValue mAlpha { 0.0f, 0.0f }; // 0 clear, 1 black
    baseCallback* mCallback = nullptr;

private:
    void Init(bool fadeIn);
    void Finish();
};
