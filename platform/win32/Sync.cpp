#include "platform/win32/Sync.h"

#include <new>
#include <sys/syscall.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace {
std::recursive_mutex& MutexOf(CRITICAL_SECTION* cs)
{
    return *std::launder(reinterpret_cast<std::recursive_mutex*>(cs->storage));
}
}

void InitializeCriticalSection(CRITICAL_SECTION* cs)
{
    new (cs->storage) std::recursive_mutex;
}

void DeleteCriticalSection(CRITICAL_SECTION* cs)
{
    MutexOf(cs).~recursive_mutex();
}

void EnterCriticalSection(CRITICAL_SECTION* cs)
{
    MutexOf(cs).lock();
}

void LeaveCriticalSection(CRITICAL_SECTION* cs)
{
    MutexOf(cs).unlock();
}

uintptr_t _beginthread(void (*proc)(void*), unsigned, void* arg)
{
    if (!proc)
        return static_cast<uintptr_t>(-1);
    try {
        std::thread t(proc, arg);
        auto id = static_cast<uintptr_t>(t.native_handle());
        t.detach();
        return id ? id : 1;
    } catch (const std::system_error&) {
        return static_cast<uintptr_t>(-1);
    }
}

DWORD GetCurrentThreadId()
{
    return static_cast<DWORD>(syscall(SYS_gettid));
}
