#pragma once
// The registry under HKEY_CURRENT_USER, kept in one file of our own,
// $XDG_CONFIG_HOME/kivo/registry.ini (~/.config when the variable is unset
// or relative): one section per key, named by its full path, and typed
// values (REG_DWORD, REG_SZ, REG_BINARY; other types are kept as raw
// bytes). Key and value names are compared without ASCII case, as Windows
// does. Names are only ever section and value names inside the file, never
// paths on the disk. Every change rewrites the file through a temporary
// file and a rename, so a crash leaves either the old or the new contents;
// a value set to what it holds already writes nothing, and the changes made
// while a platform::RegistryBatch lives are written once, as it ends.
#include "platform/win32/WinTypes.h"

#include <string>

struct HKEY__;
using HKEY = HKEY__*;
using PHKEY = HKEY*;
using REGSAM = DWORD;
using LPDWORD = DWORD*;
using LPBYTE = BYTE*;
struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

inline const HKEY HKEY_CURRENT_USER = reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x80000001));

inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_READ = 0x20019;
inline constexpr REGSAM KEY_WRITE = 0x20006;
inline constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

inline constexpr LONG ERROR_SUCCESS = 0;
inline constexpr LONG ERROR_FILE_NOT_FOUND = 2;
inline constexpr LONG ERROR_ACCESS_DENIED = 5;
inline constexpr LONG ERROR_INVALID_HANDLE = 6;
inline constexpr LONG ERROR_WRITE_FAULT = 29;
inline constexpr LONG ERROR_INVALID_PARAMETER = 87;
inline constexpr LONG ERROR_MORE_DATA = 234;

LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result);
LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options, REGSAM access,
    LPSECURITY_ATTRIBUTES security, PHKEY result, LPDWORD disposition);
LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD size);
// With `data` null only the type and size are returned; a buffer smaller
// than the value gives ERROR_MORE_DATA and the size needed.
LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size);
LONG RegDeleteValueA(HKEY key, LPCSTR valueName);
LONG RegCloseKey(HKEY key);

namespace platform {

// Test hook: true keeps the registry in memory only, starting empty, and
// never touches the disk; false goes back to the file (read again on next
// use).
void UseMemoryRegistry(bool memory);
// The store file of the current user.
std::string RegistryFilePath();

// While one lives (on any thread), changes are kept in memory and read back
// at once; the outermost batch writes them in one go as it ends. Should the
// write fail, they stay in memory and go with the next write. Changes still
// unwritten when the process exits normally are written then.
class RegistryBatch {
public:
    RegistryBatch();
    ~RegistryBatch();
    RegistryBatch(const RegistryBatch&) = delete;
    RegistryBatch& operator=(const RegistryBatch&) = delete;
};

} // namespace platform
