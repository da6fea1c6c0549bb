#include "framework/app/MemLeaks.h"

#include "framework/core/Strings.h"
#include "platform/Paths.h"
#include "platform/win32/DebugOutput.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <mutex>

namespace Kivo {

namespace {

struct Allocation {
    size_t size;
    std::string file;
    int line;
};

struct Tracker {
    std::mutex lock;
    std::map<const void*, Allocation> live;
    bool enabled = true;
    bool dumpAtExit = false;

    ~Tracker()
    {
        std::lock_guard<std::mutex> guard(lock);
        if (dumpAtExit)
            WriteReport("mem_leaks.txt");
        enabled = false;
    }

    // Under the lock.
    void WriteReport(const std::string& fileName);
};

Tracker& GetTracker()
{
    static Tracker tracker;
    return tracker;
}

void Tracker::WriteReport(const std::string& fileName)
{
    if (!enabled)
        return;
    FILE* file = std::fopen(platform::DiskPath(fileName).c_str(), "wt");
    if (!file) {
        std::fprintf(stderr, "Memory leak report not written: cannot write %s (%s)\n", fileName.c_str(), std::strerror(errno));
        return;
    }
    auto write = [file](const std::string& line) {
        std::fputs(line.c_str(), file);
        OutputDebugStringA(line.c_str());
    };
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    char when[64];
    std::strftime(when, sizeof when, "%a %b %e %H:%M:%S %Y\n", &local);
    write(StrFormat("Memory Leak Report for %s\n", when));
    // Sizes add up in 64 bits: the sum of many large blocks does not fit 32.
    unsigned long long total = 0;
    for (const auto& [address, a] : live) {
        write(StrFormat("%s(%d) : Leak %zu byte%s\n", a.file.c_str(), a.line, a.size, a.size >= 2 ? "s" : ""));
        total += a.size;
    }
    write("-----------------------------------------------------------\n");
    write(StrFormat("Total Unfreed: %llu bytes (%lluKB)\n\n", total, total / 1024));
    std::fclose(file);
}

} // namespace

void MemLeakAdd(const void* address, size_t size, const char* file, int line)
{
    Tracker& t = GetTracker();
    std::lock_guard<std::mutex> guard(t.lock);
    if (t.enabled)
        t.live[address] = { size, file ? file : "", line };
}

void MemLeakRemove(const void* address)
{
    Tracker& t = GetTracker();
    std::lock_guard<std::mutex> guard(t.lock);
    t.live.erase(address);
}

void SetMemLeakDumpAtExit(bool dumpAtExit)
{
    Tracker& t = GetTracker();
    std::lock_guard<std::mutex> guard(t.lock);
    t.dumpAtExit = dumpAtExit;
}

void WriteMemLeakReport(const std::string& fileName)
{
    Tracker& t = GetTracker();
    std::lock_guard<std::mutex> guard(t.lock);
    t.WriteReport(fileName);
}

} // namespace Kivo
