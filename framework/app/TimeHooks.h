#pragma once
// The time hook table: how code above the application reads the frame timer
// without holding the application. Start-up leaves it pointing at kivoTimer;
// tests put their own functions in to set the time.
namespace Kivo {

struct TimeHooks {
    int (*elapsedMs)();   // update steps between the timer's last two updates, in ms
    float (*frameTime)(); // game time between the timer's last two updates, in seconds
    int (*totalMs)();     // update steps so far, in ms
    int (*scale)();       // the timer's scale
    void (*update)();     // moves the timer on
};

// The table in use; never null.
TimeHooks& GetTimeHooks();
// Puts the entries that read kivoTimer back.
void ResetTimeHooks();
// The second entry: the frame time in seconds.
inline float FrameTime() { return GetTimeHooks().frameTime(); }

} // namespace Kivo
