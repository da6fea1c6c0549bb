#pragma once
// Shell and process services: opening web pages, the user's data folder,
// the system version, the program's file, the product version resource and
// the named mutex that guards a single instance.
#include "platform/win32/Window.h"

#include <functional>
#include <string>
#include <vector>

inline constexpr DWORD ERROR_ALREADY_EXISTS = 183;
inline constexpr int CSIDL_COMMON_APPDATA = 0x23;

struct OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    CHAR szCSDVersion[128];
};

// Opens http and https addresses in the user's browser ("xdg-open" with the
// address as its one argument, no shell); any other file or program is
// refused with 2 (file not found). Above 32 means success.
HINSTANCE ShellExecuteA(HWND window, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR folder, int show);
// Reports Windows 6.0: the data folder is per user, as from Vista on.
BOOL GetVersionExA(OSVERSIONINFOA* info);
// The single-instance guard: an exclusive lock on "<name>.lock" in
// $XDG_RUNTIME_DIR (or /tmp). When another process holds it the handle is
// still given and GetLastError says ERROR_ALREADY_EXISTS.
HANDLE CreateMutexA(void* attributes, BOOL initialOwner, LPCSTR name);
// Closes a handle made by CreateMutexA.
BOOL CloseHandle(HANDLE handle);
DWORD GetLastError();
DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size);
int _chdir(const char* folder);

namespace platform {

// Adds "shell32.dll" (SHGetFolderPathA: CSIDL_COMMON_APPDATA is
// $XDG_DATA_HOME, else ~/.local/share) and "version.dll" (the product
// version of the program's own file, given by SetProductVersion).
void RegisterShellLibraries();
void SetProductVersion(const std::string& version);
// The program that ShellExecuteA starts with its argument list (tests).
using Launcher = std::function<bool(const std::vector<std::string>& argv)>;
void SetLauncher(Launcher launcher);

} // namespace platform
