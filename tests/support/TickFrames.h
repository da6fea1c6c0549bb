#pragma once
// Effects that run on the frame timer read it through the time hooks; tests
// that step updates by hand give each frame the time of one update step.
#include "framework/app/TimeHooks.h"

namespace testsupport {

// Frames of one tick each (0.01 s), as long as it lives.
struct TickFrames {
    TickFrames() { Kivo::GetTimeHooks().frameTime = [] { return 0.01f; }; }
    ~TickFrames() { Kivo::ResetTimeHooks(); }
    TickFrames(const TickFrames&) = delete;
    TickFrames& operator=(const TickFrames&) = delete;
};

} // namespace testsupport
