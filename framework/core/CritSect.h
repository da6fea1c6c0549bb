#pragma once
// Owns one critical section; callers enter and leave it through the Win32
// calls on `mCriticalSection`, or through CritSectLock.
#include "platform/win32/Sync.h"

namespace Kivo {

class CritSect {
public:
    CritSect() { InitializeCriticalSection(&mCriticalSection); }
    ~CritSect() { DeleteCriticalSection(&mCriticalSection); }
    CritSect(const CritSect&) = delete;
    CritSect& operator=(const CritSect&) = delete;

    CRITICAL_SECTION mCriticalSection;
};

class CritSectLock {
public:
    explicit CritSectLock(CritSect& cs) : mCs(cs) { EnterCriticalSection(&mCs.mCriticalSection); }
    ~CritSectLock() { LeaveCriticalSection(&mCs.mCriticalSection); }
    CritSectLock(const CritSectLock&) = delete;
    CritSectLock& operator=(const CritSectLock&) = delete;

private:
    CritSect& mCs;
};

} // namespace Kivo
