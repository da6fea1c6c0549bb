#pragma once
// Millisecond and high-resolution clocks, read from the current backend's
// clock. Millisecond counts are 32 bits and wrap after about 49.7 days, as on
// Windows; callers compare them by unsigned difference.
#include "platform/win32/WinTypes.h"

inline constexpr MMRESULT TIMERR_NOERROR = 0;
inline constexpr MMRESULT TIMERR_NOCANDO = 97;

DWORD GetTickCount();
DWORD timeGetTime();
void Sleep(DWORD ms);
BOOL QueryPerformanceCounter(LARGE_INTEGER* count);
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);
// Timer resolution requests. Sleeps here are already as fine as the kernel
// allows, so these only check their argument and count the nesting.
MMRESULT timeBeginPeriod(UINT periodMs);
MMRESULT timeEndPeriod(UINT periodMs);

namespace platform {
// Number of timeBeginPeriod calls not yet matched by timeEndPeriod.
int TimerPeriodDepth();
}
