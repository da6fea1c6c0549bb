#include "platform/StopSignal.h"

#include <csignal>
#include <initializer_list>

namespace platform {
namespace {

volatile std::sig_atomic_t gStopSignal = 0;

extern "C" void OnStopSignal(int signal)
{
    gStopSignal = signal;
}

} // namespace

void CatchStopSignals()
{
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : { SIGHUP, SIGTERM, SIGINT })
        sigaction(signal, &action, nullptr);
}

int StopSignal()
{
    return gStopSignal;
}

void ClearStopSignal()
{
    gStopSignal = 0;
}

} // namespace platform
