#pragma once
// A stopwatch on the high-resolution counter, and the profiler: named timers
// fed by begin and end events, totalled between PerfBegin and PerfEnd and
// reported as text.
#include <cstdint>
#include <string>

namespace Kivo {

struct PerfTimer {
    int64_t start = 0;
    double duration = 0; // ms, of the last measurement
    bool running = false;

    void Start();
    void Stop();
    // While running, measures up to now first.
    double GetDuration();

private:
    void Measure();
};

// Ticks per second of the processor's time-stamp counter, measured over
// 10 ms of the high-resolution counter; 0 when that counter is missing.
int64_t GetCpuSpeed();

// Clears every timer and pending event and starts the total; the timers
// record only when `keepOff` is false.
void PerfBegin(bool keepOff = false);
bool IsPerfOn();
void PerfEnd();
// "Total Time" and one line per named timer, in name order.
std::string GetPerfResults();
// A timer named `name` starts or stops; nests by name. Nothing while the
// profiler is off. The name is kept, not copied, until PerfEnd.
void PerfRecord(const char* name, bool begin);

} // namespace Kivo
