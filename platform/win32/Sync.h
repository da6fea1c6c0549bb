#pragma once
// Critical sections and thread start. A critical section is recursive: the
// thread that holds it may enter it again and must leave it as often.
#include "platform/win32/WinTypes.h"

#include <mutex>

struct CRITICAL_SECTION {
    // The mutex lives in place, created by InitializeCriticalSection and
    // destroyed by DeleteCriticalSection, as the Windows record is.
    alignas(std::recursive_mutex) unsigned char storage[sizeof(std::recursive_mutex)];
};

void InitializeCriticalSection(CRITICAL_SECTION* cs);
void DeleteCriticalSection(CRITICAL_SECTION* cs);
void EnterCriticalSection(CRITICAL_SECTION* cs);
void LeaveCriticalSection(CRITICAL_SECTION* cs);

// Starts `proc(arg)` on a new detached thread; returns a non-zero value, or
// (uintptr_t)-1 when the thread could not be started. The stack size is the
// system's default whatever is asked.
uintptr_t _beginthread(void (*proc)(void*), unsigned stackSize, void* arg);

// A small number naming the calling thread, unique among running threads.
DWORD GetCurrentThreadId();
