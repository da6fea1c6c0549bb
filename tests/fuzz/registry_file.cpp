// Reads arbitrary bytes as the registry's store file, then reads values
// from it and writes one back (which rewrites the file).
#include "FuzzFolder.h"
#include "platform/win32/Registry.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>

namespace {

const FuzzFolder gPrivateFolder("kivo-registry-fuzz");
const bool kPrivateStore = [] {
    const std::string& folder = gPrivateFolder.path;
    if (folder.empty())
        return false;
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    return mkdir((folder + "/kivo").c_str(), 0700) == 0;
}();

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!kPrivateStore)
        return 0;
    const std::string path = platform::RegistryFilePath();
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    // Forget what was read before: the file is read again on next use.
    platform::UseMemoryRegistry(true);
    platform::UseMemoryRegistry(false);

    const char* keys[] = { "SOFTWARE\\Olvane Studio\\Marrowfen", "SOFTWARE\\a", "a\\b\\c", "" };
    const char* names[] = { "Is3D", "DemoJumpTime", "MusicVolume", "", "a" };
    for (const char* keyName : keys) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, keyName, 0, KEY_READ, &key) != ERROR_SUCCESS)
            continue;
        for (const char* name : names) {
            BYTE value[64];
            DWORD type = 0, length = sizeof value;
            const LONG r = RegQueryValueExA(key, name, nullptr, &type, value, &length);
            if (r == ERROR_SUCCESS && length > sizeof value)
                __builtin_trap();
        }
        RegCloseKey(key);
    }
    // A value written over whatever the file held reads back as written.
    HKEY key = nullptr;
    DWORD disposition = 0;
    char keyClass[] = "Key";
    if (RegCreateKeyExA(HKEY_CURRENT_USER, keys[0], 0, keyClass, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
            &key, &disposition)
        == ERROR_SUCCESS) {
        const DWORD written = 0x1234ABCD;
        RegSetValueExA(key, "Is3D", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&written), sizeof written);
        RegCloseKey(key);
        platform::UseMemoryRegistry(true);
        platform::UseMemoryRegistry(false);
        DWORD read = 0, type = 0, length = sizeof read;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, keys[0], 0, KEY_READ, &key) == ERROR_SUCCESS) {
            if (RegQueryValueExA(key, "Is3D", nullptr, &type, reinterpret_cast<BYTE*>(&read), &length)
                    != ERROR_SUCCESS
                || type != REG_DWORD || read != written)
                __builtin_trap();
            RegCloseKey(key);
        }
    }
    return 0;
}
