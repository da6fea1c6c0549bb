#pragma once
// The time hook table: how code above the application reads the frame timer
// (kivoTimer) without holding the application. The entries read the timer
// from the start; the game application keeps the timer moving once per
// frame. Tests put their own functions in to set the time.
namespace Kivo {

struct TimeHooks {
    void (*stub)();       // does nothing
    float (*frameTime)(); // game time between the timer's last two updates, in seconds
    int (*elapsedMs)();   // update steps between the timer's last two updates, in ms
    int (*totalMs)();     // update steps so far, in ms
    int (*scale)();       // the timer's scale
};

// The table in use.
TimeHooks& GetTimeHooks();
// Puts the entries that read kivoTimer back.
void ResetTimeHooks();
// The second entry: the frame time in seconds.
inline float FrameTime() { return GetTimeHooks().frameTime(); }

} // namespace Kivo
