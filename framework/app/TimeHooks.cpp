#include "framework/app/TimeHooks.h"

#include "framework/app/KivoAppBase.h"

namespace Kivo {

namespace {

TimeHooks TimerHooks()
{
    return {
        [] {},
        [] { return kivoTimer::Instance()->GetElapsed(); },
        [] { return kivoTimer::Instance()->GetElapsedMs(); },
        [] { return kivoTimer::Instance()->GetTotalMs(); },
        [] { return kivoTimer::Instance()->GetScale(); },
    };
}

TimeHooks gTimeHooks = TimerHooks();

} // namespace

TimeHooks& GetTimeHooks() { return gTimeHooks; }

void ResetTimeHooks() { gTimeHooks = TimerHooks(); }

} // namespace Kivo
