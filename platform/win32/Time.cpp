#include "platform/win32/Time.h"

#include "platform/Backend.h"

#include <atomic>

namespace {
std::atomic<int> gPeriodDepth { 0 };
constexpr LONGLONG kCounterFrequency = 1000000; // the counter ticks in microseconds
}

DWORD GetTickCount()
{
    return static_cast<DWORD>(platform::CurrentBackend().GetClock().NowMicros() / 1000);
}

DWORD timeGetTime()
{
    return GetTickCount();
}

void Sleep(DWORD ms)
{
    platform::CurrentBackend().GetClock().SleepMillis(ms);
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* count)
{
    if (!count)
        return FALSE;
    count->QuadPart = static_cast<LONGLONG>(platform::CurrentBackend().GetClock().NowMicros());
    return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency)
{
    if (!frequency)
        return FALSE;
    frequency->QuadPart = kCounterFrequency;
    return TRUE;
}

MMRESULT timeBeginPeriod(UINT periodMs)
{
    if (periodMs == 0)
        return TIMERR_NOCANDO;
    ++gPeriodDepth;
    return TIMERR_NOERROR;
}

MMRESULT timeEndPeriod(UINT periodMs)
{
    if (periodMs == 0)
        return TIMERR_NOCANDO;
    int depth = gPeriodDepth.load();
    while (depth > 0 && !gPeriodDepth.compare_exchange_weak(depth, depth - 1)) {
    }
    return depth > 0 ? TIMERR_NOERROR : TIMERR_NOCANDO;
}

int platform::TimerPeriodDepth()
{
    return gPeriodDepth.load();
}
