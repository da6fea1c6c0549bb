#pragma once
// Folder listing with Windows wildcards ('*' any run, '?' one character,
// compared without case; "*.*" matches every name) over opendir/readdir.
// The folder part of the pattern is a program path and reaches the disk
// through platform::DiskPath.
#include "platform/win32/WinTypes.h"

struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

struct WIN32_FIND_DATAA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    CHAR cFileName[MAX_PATH];
    CHAR cAlternateFileName[14];
};

inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;

// The first entry of the folder that matches the pattern's last component,
// or INVALID_HANDLE_VALUE when none does. "." and ".." are not listed.
HANDLE FindFirstFileA(LPCSTR pattern, WIN32_FIND_DATAA* data);
BOOL FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data);
BOOL FindClose(HANDLE find);

// Windows wildcard match of a single name, without case.
bool WildcardMatch(const char* pattern, const char* name);
// A POSIX time (seconds and nanoseconds since 1970) as a FILETIME (100 ns
// units since 1601).
FILETIME FileTimeFromUnix(int64_t seconds, long nanoseconds);
