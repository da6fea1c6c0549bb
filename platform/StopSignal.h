#pragma once
// SIGHUP (the terminal closed), SIGTERM and SIGINT as a request to stop: the
// handler only records the signal, and whoever waits acts on it (the main
// loop quits, an open message box answers as if cancelled).

namespace platform {

void CatchStopSignals();
// The stop signal caught and not yet acted on (0 for none).
int StopSignal();
void ClearStopSignal();

} // namespace platform
