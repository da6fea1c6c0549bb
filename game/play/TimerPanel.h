#pragma once
// The level timer above the board: the seconds of the level and the seconds
// left, and a bar that shows the time left, following it in steps of 1.5 s
// per update step and emptying from the right. In relaxed play
// ("progress_type" 2) it is disabled: nothing moves and nothing is drawn.
#include "framework/widgets/Widget.h"

namespace Kivo {
class Image;
}

class TimerPanel : public Kivo::Widget {
public:
    TimerPanel();

    void Update() override {}
    void UpdateF(float dt) override;
    void Draw(Kivo::Graphics* g) override;

    // Totals at or below 0 count as no time: an empty bar.
    void SetTotal(float seconds);
    float GetTotal() const { return mTotal; }
    // Kept within 0..total.
    void SetTimeLeft(float seconds);
    float GetTimeLeft() const { return mTimeLeft; }
    bool HasTimeLeft() const { return mTimeLeft > 0; }
    // Time left := total; the bar refills from empty or stands full.
    void Restart(bool fromEmpty);
    void ClearBar() { mShown = 0; }
    // Also reads whether the timer is enabled ("progress_type" not 2).
    void SetPaused(bool paused);
    bool IsPaused() const { return mPaused; }
    bool IsEnabled() const { return mEnabled; }
    // Held stands the clock apart from the pause: while a window keeps the
    // player from the board, whoever pauses or starts the clock meanwhile.
    void SetHeld(bool held) { mHeld = held; }
    // Disabled, paused or held.
    bool IsStopped() const { return !mEnabled || mPaused || mHeld; }
    // The width of the bar for an image of `imageWidth`, within 0..imageWidth.
    int BarWidth(int imageWidth) const;

    float mAlpha = 1.0f;
    float mTotal = 300.0f;
    float mTimeLeft = 300.0f;
    float mShown = 0.0f;
    bool mPaused = false;
    bool mHeld = false;
    bool mEnabled = true;
    Kivo::Image* mBarImage = nullptr;
};
