#include "framework/app/PerfTimer.h"

#include "framework/core/Strings.h"
#include "platform/win32/Time.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#endif

namespace Kivo {

namespace {

int64_t Counter()
{
    LARGE_INTEGER now {};
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

int64_t TimeStamp()
{
#if defined(__x86_64__) || defined(__i386__)
    return static_cast<int64_t>(__rdtsc());
#else
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
#endif
}

struct PerfRecordData {
    int calls = 0;
    int depth = 0;
    int64_t start = 0;
    int64_t ticks = 0;
    int64_t longestTicks = 0;
    double ms = 0;
    double longestMs = 0;
};

struct PerfEvent {
    const char* name;
    int64_t stamp;
    bool begin;
};

// Pending events are flushed into the records when this many are waiting.
constexpr size_t kMaxPendingEvents = 4096;
// Reads of an unchanged performance counter after which it counts as stopped.
constexpr int kMaxStalledReads = 1000000;

struct Profiler {
    std::map<std::string, PerfRecordData> records;
    std::vector<PerfEvent> events;
    int64_t startTicks = 0;
    int64_t overheadTicks = 0;
    int64_t cpuSpeed = 0;
    double totalMs = 0;
    bool perfOn = false;

    void Flush()
    {
        const int64_t flushStart = TimeStamp();
        for (const PerfEvent& e : events) {
            if (e.begin) {
                PerfRecordData& r = records[e.name];
                ++r.calls;
                if (++r.depth == 1)
                    r.start = e.stamp;
                continue;
            }
            auto it = records.find(e.name);
            if (it == records.end() || it->second.depth == 0)
                continue;
            PerfRecordData& r = it->second;
            if (--r.depth == 0) {
                const int64_t run = e.stamp - r.start;
                r.ticks += run;
                r.longestTicks = std::max(r.longestTicks, run);
            }
        }
        events.clear();
        overheadTicks += TimeStamp() - flushStart;
    }
};

Profiler& GetProfiler()
{
    static Profiler profiler;
    return profiler;
}

} // namespace

void PerfTimer::Measure()
{
    LARGE_INTEGER frequency {};
    QueryPerformanceFrequency(&frequency);
    duration = frequency.QuadPart > 0 ? double(Counter() - start) * 1000.0 / double(frequency.QuadPart) : 0.0;
}

void PerfTimer::Start()
{
    running = true;
    start = Counter();
}

void PerfTimer::Stop()
{
    if (running) {
        Measure();
        running = false;
    }
}

double PerfTimer::GetDuration()
{
    if (running)
        Measure();
    return duration;
}

int64_t GetCpuSpeed()
{
    LARGE_INTEGER frequency {};
    if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0)
        return 0;
    int64_t now = Counter();
    const int64_t target = now + frequency.QuadPart / 100;
    const int64_t first = TimeStamp();
    // A counter that stands still (a stopped or manual clock) would hold the
    // loop forever; it cannot measure anything, so that is a failure.
    int stalled = 0;
    while (now < target) {
        const int64_t next = Counter();
        stalled = next == now ? stalled + 1 : 0;
        if (stalled > kMaxStalledReads)
            return 0;
        now = next;
    }
    return (TimeStamp() - first) * 100;
}

void PerfBegin(bool keepOff)
{
    Profiler& p = GetProfiler();
    p.records.clear();
    p.events.clear();
    p.overheadTicks = 0;
    p.totalMs = 0;
    p.perfOn = !keepOff;
    p.startTicks = TimeStamp();
}

bool IsPerfOn()
{
    return GetProfiler().perfOn;
}

void PerfRecord(const char* name, bool begin)
{
    Profiler& p = GetProfiler();
    if (!p.perfOn)
        return;
    if (p.events.size() >= kMaxPendingEvents)
        p.Flush();
    p.events.push_back({ name, TimeStamp(), begin });
}

void PerfEnd()
{
    Profiler& p = GetProfiler();
    p.Flush();
    p.perfOn = false;
    if (p.cpuSpeed == 0)
        p.cpuSpeed = std::max<int64_t>(GetCpuSpeed(), 1);
    const double speed = double(p.cpuSpeed);
    p.totalMs = double(TimeStamp() - p.startTicks - p.overheadTicks) * 1000.0 / speed;
    for (auto& [name, r] : p.records) {
        r.ms = double(r.ticks) * 1000.0 / speed;
        r.longestMs = double(r.longestTicks) * 1000.0 / speed;
    }
}

std::string GetPerfResults()
{
    const Profiler& p = GetProfiler();
    std::string text = StrFormat("Total Time: %.2f\n", p.totalMs);
    for (const auto& [name, r] : p.records) {
        const double share = p.totalMs > 0 ? r.ms * 100.0 / p.totalMs : 0.0;
        const double average = r.calls > 0 ? r.ms / r.calls : 0.0;
        text += StrFormat("%s (%d calls, %%%.2f time): %.2f (%.2f avg, %.2f longest)\n", name.c_str(), r.calls, share,
                          r.ms, average, r.longestMs);
    }
    return text;
}

} // namespace Kivo
