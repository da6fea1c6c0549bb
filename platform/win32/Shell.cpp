#include "platform/win32/Shell.h"

#include "platform/win32/Modules.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <vector>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

thread_local DWORD gLastError = 0;
std::string gProductVersion;

bool SpawnDetached(const std::vector<std::string>& argv)
{
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0)
        return false;
    // xdg-open hands the address on and ends; reap it so no zombie stays.
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

platform::Launcher& GetLauncher()
{
    static platform::Launcher launcher = SpawnDetached;
    return launcher;
}

bool IsWebAddress(const char* text)
{
    return strncasecmp(text, "http://", 7) == 0 || strncasecmp(text, "https://", 8) == 0;
}

struct MutexHandle {
    int fd;
};

HRESULT SHGetFolderPathA(HWND, int folder, HANDLE, DWORD, LPSTR path)
{
    if (!path || (folder & 0xFF) != CSIDL_COMMON_APPDATA)
        return E_FAIL;
    std::string base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/')
        base = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = std::string(home) + "/.local/share";
    else
        return E_FAIL;
    if (base.size() >= MAX_PATH)
        return E_FAIL;
    std::memcpy(path, base.c_str(), base.size() + 1);
    return S_OK;
}

bool IsOwnFile(LPCSTR file)
{
    char own[MAX_PATH];
    return file && GetModuleFileNameA(nullptr, own, MAX_PATH) > 0 && std::strcmp(file, own) == 0;
}

// The version block of the program's own file is the product version text.
DWORD GetFileVersionInfoSizeA(LPCSTR file, DWORD* handle)
{
    if (handle)
        *handle = 0;
    if (!IsOwnFile(file) || gProductVersion.empty())
        return 0;
    return DWORD(gProductVersion.size() + 1);
}

BOOL GetFileVersionInfoA(LPCSTR file, DWORD, DWORD size, LPVOID data)
{
    if (!IsOwnFile(file) || !data || size < gProductVersion.size() + 1)
        return FALSE;
    std::memcpy(data, gProductVersion.c_str(), gProductVersion.size() + 1);
    return TRUE;
}

BOOL VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* buffer, UINT* length)
{
    if (!block || !subBlock || !buffer || std::strcmp(subBlock, "\\StringFileInfo\\040904B0\\ProductVersion") != 0)
        return FALSE;
    *buffer = const_cast<LPVOID>(block);
    if (length)
        *length = UINT(std::strlen(static_cast<const char*>(block)) + 1);
    return TRUE;
}

} // namespace

HINSTANCE ShellExecuteA(HWND, LPCSTR, LPCSTR file, LPCSTR, LPCSTR, int)
{
    constexpr uintptr_t kFileNotFound = 2, kOk = 42;
    if (!file || !IsWebAddress(file))
        return reinterpret_cast<HINSTANCE>(kFileNotFound);
    const bool ok = GetLauncher()({ "xdg-open", file });
    return reinterpret_cast<HINSTANCE>(ok ? kOk : kFileNotFound);
}

BOOL GetVersionExA(OSVERSIONINFOA* info)
{
    if (!info || info->dwOSVersionInfoSize < sizeof(OSVERSIONINFOA))
        return FALSE;
    info->dwMajorVersion = 6;
    info->dwMinorVersion = 0;
    info->dwBuildNumber = 6000;
    info->dwPlatformId = 2;
    info->szCSDVersion[0] = 0;
    return TRUE;
}

// The folders a named mutex's lock file may live in, most private first:
// the session's runtime folder, the user's cache folder, then /tmp under a
// name of the user's own. A folder that cannot hold the file is passed over,
// so an unwritable runtime folder does not let two instances run at once.
static std::vector<std::string> LockFolders(const std::string& fileName)
{
    std::vector<std::string> paths;
    const auto add = [&](const char* folder, const std::string& suffix = {}) {
        if (folder && *folder == '/')
            paths.push_back(std::string(folder) + suffix + "/" + fileName);
    };
    add(std::getenv("XDG_RUNTIME_DIR"));
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache == '/')
        add(cache);
    else
        add(std::getenv("HOME"), "/.cache");
    paths.push_back("/tmp/" + std::to_string(getuid()) + "-" + fileName);
    return paths;
}

HANDLE CreateMutexA(void*, BOOL, LPCSTR name)
{
    gLastError = 0;
    if (!name)
        return new MutexHandle { -1 };
    std::string fileName;
    for (const char* p = name; *p; ++p)
        fileName += (*p == '/' || *p == '\\') ? '_' : *p;
    fileName += ".lock";
    int fd = -1;
    for (const std::string& path : LockFolders(fileName)) {
        fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd >= 0)
            break;
    }
    if (fd < 0) {
        std::fprintf(stderr, "No folder can hold the lock '%s' (%s): a second copy would not be stopped.\n",
                     fileName.c_str(), std::strerror(errno));
    } else if (flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        gLastError = ERROR_ALREADY_EXISTS;
    }
    return new MutexHandle { fd };
}

BOOL CloseHandle(HANDLE handle)
{
    auto* m = static_cast<MutexHandle*>(handle);
    if (!m)
        return FALSE;
    if (m->fd >= 0)
        close(m->fd); // closing lets the lock go
    delete m;
    return TRUE;
}

DWORD GetLastError()
{
    return gLastError;
}

DWORD GetModuleFileNameA(HMODULE, LPSTR buffer, DWORD size)
{
    if (!buffer || size == 0)
        return 0;
    ssize_t n = readlink("/proc/self/exe", buffer, size - 1);
    if (n <= 0)
        return 0;
    buffer[n] = 0;
    return DWORD(n);
}

int _chdir(const char* folder)
{
    return folder ? chdir(folder) : -1;
}

namespace platform {

void RegisterShellLibraries()
{
    RegisterModuleFunction("shell32.dll", "SHGetFolderPathA", &SHGetFolderPathA);
    RegisterModuleFunction("version.dll", "GetFileVersionInfoSizeA", &GetFileVersionInfoSizeA);
    RegisterModuleFunction("version.dll", "GetFileVersionInfoA", &GetFileVersionInfoA);
    RegisterModuleFunction("version.dll", "VerQueryValueA", &VerQueryValueA);
}

void SetProductVersion(const std::string& version)
{
    gProductVersion = version;
}

void SetLauncher(Launcher launcher)
{
    GetLauncher() = launcher ? std::move(launcher) : Launcher(SpawnDetached);
}

} // namespace platform
