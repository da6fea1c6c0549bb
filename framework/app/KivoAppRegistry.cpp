// Registry access under HKEY_CURRENT_USER\SOFTWARE\<registry key>, with
// its demo record and replay.
#include "framework/app/KivoAppBase.h"

#include "framework/app/DemoFile.h"
#include "framework/core/Strings.h"

#include <algorithm>
#include <cstring>

namespace Kivo {
namespace {

// Stored values are hundredths. v × 100 of a value read back as n / 100
// (0.29, or 0.53 held in a float) lies just below n, so a plain truncation
// would store n - 1 and drift down on every run; the small bias keeps n
// while 0.557 still stores 55.
DWORD Hundredths(double v)
{
    return static_cast<DWORD>(static_cast<int>(v * 100.0 + 1e-4));
}

} // namespace

bool KivoAppBase::RegistryPath(const std::string& valueName, std::string& keyPath, std::string& name) const
{
    if (registryKey.empty())
        return false;
    keyPath = std::string("SOFTWARE\\").append(registryKey);
    if (keyPath.back() == '\\' || keyPath.back() == '/')
        keyPath.pop_back();
    size_t slash = valueName.rfind('\\');
    if (slash == std::string::npos) {
        name = valueName;
    } else {
        keyPath.append(1, '\\').append(valueName, 0, slash);
        name = valueName.substr(slash + 1);
    }
    return true;
}

void KivoAppBase::WriteEventHeader()
{
    int delta = updateCount - nextEventUpdate;
    while (delta > 15) {
        demoBuffer.WriteNumBits(15, 4);
        demoBuffer.WriteNumBits(0, 1);
        demoBuffer.WriteNumBits(kDemoFiller, 5);
        nextEventUpdate += 15;
        ++eventCount;
        delta -= 15;
    }
    demoBuffer.WriteNumBits(static_cast<uint32_t>(std::max(delta, 0)), 4);
    ++eventCount;
    nextEventUpdate = updateCount;
}

bool KivoAppBase::ReadEventHeader()
{
    if (needHeader) {
        nextEventUpdate += static_cast<int>(demoBuffer.ReadNumBits(4, false));
        eventIsShort = demoBuffer.ReadNumBits(1, false) != 0;
        eventCommand = static_cast<int>(demoBuffer.ReadNumBits(eventIsShort ? 1 : 5, false));
        ++eventCount;
        needHeader = false;
    }
    return updateCount == nextEventUpdate;
}

bool KivoAppBase::RegistryWrite(const std::string& valueName, DWORD type, const BYTE* data, DWORD size)
{
    std::string keyPath, name;
    if (!RegistryPath(valueName, keyPath, name))
        return false;
    if (demoPlaying) {
        if (demoBuffer.AtEnd())
            return true;
        ReadEventHeader();
        needHeader = true;
        return demoBuffer.ReadNumBits(1, false) != 0;
    }
    auto record = [&](bool result) {
        if (!demoRecording)
            return;
        WriteEventHeader();
        demoBuffer.WriteNumBits(0, 1);
        demoBuffer.WriteNumBits(kDemoRegistryWrite, 5);
        demoBuffer.WriteNumBits(result ? 1 : 0, 1);
    };

    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_WRITE, &key) != ERROR_SUCCESS) {
        DWORD disposition = 0;
        char keyClass[] = "Key";
        if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, keyClass, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                nullptr, &key, &disposition)
            != ERROR_SUCCESS) {
            record(false);
            return false;
        }
    }
    RegSetValueExA(key, name.c_str(), 0, type, data, size);
    RegCloseKey(key);
    record(true);
    return true;
}

bool KivoAppBase::RegistryRead(const std::string& valueName, DWORD* type, BYTE* data, DWORD* size, HKEY root)
{
    std::string keyPath, name;
    if (!RegistryPath(valueName, keyPath, name))
        return false;
    if (demoPlaying) {
        if (demoBuffer.AtEnd())
            return false;
        ReadEventHeader();
        needHeader = true;
        if (demoBuffer.ReadNumBits(1, false) == 0)
            return false;
        DWORD recordedType = static_cast<DWORD>(demoBuffer.ReadLong());
        DWORD recordedSize = static_cast<DWORD>(demoBuffer.ReadLong());
        // The stream is read in full to stay in step; a value larger than
        // the caller's buffer is not copied, as the registry would refuse it.
        const DWORD room = size ? *size : 0;
        bool fits = recordedSize <= room;
        // A length beyond the bytes left in the stream stops at its end:
        // the last few bits of the stream are no byte to read.
        const DWORD left = DWORD(std::max(demoBuffer.bitSize - demoBuffer.readPos, 0) / 8);
        for (DWORD i = 0; i < std::min(recordedSize, left); ++i) {
            BYTE b = demoBuffer.ReadByte();
            if (fits && data)
                data[i] = b;
        }
        if (type)
            *type = recordedType;
        if (size)
            *size = recordedSize;
        return fits;
    }

    HKEY key = nullptr;
    bool ok = RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS
        && RegQueryValueExA(key, name.c_str(), nullptr, type, data, size) == ERROR_SUCCESS;
    if (key)
        RegCloseKey(key);
    if (demoRecording) {
        WriteEventHeader();
        demoBuffer.WriteNumBits(0, 1);
        demoBuffer.WriteNumBits(kDemoRegistryRead, 5);
        demoBuffer.WriteNumBits(ok ? 1 : 0, 1);
        if (ok) {
            demoBuffer.WriteLong(static_cast<int32_t>(type ? *type : REG_NONE));
            const DWORD n = data && size ? *size : 0;
            demoBuffer.WriteLong(static_cast<int32_t>(n));
            demoBuffer.WriteBytes(data, static_cast<int>(n));
        }
    }
    return ok;
}

void KivoAppBase::RegistryEraseValue(const std::string& valueName)
{
    std::string keyPath, name;
    if (!RegistryPath(valueName, keyPath, name))
        return;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_WRITE, &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(key, name.c_str());
    RegCloseKey(key);
}

bool KivoAppBase::RegistryWriteString(const std::string& valueName, const std::string& value)
{
    return RegistryWrite(valueName, REG_SZ, reinterpret_cast<const BYTE*>(value.data()), static_cast<DWORD>(value.size()));
}

bool KivoAppBase::RegistryWriteInteger(const std::string& valueName, int value)
{
    return RegistryWrite(valueName, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

bool KivoAppBase::RegistryReadInteger(const std::string& valueName, int* value)
{
    DWORD type = 0;
    int32_t v = 0;
    DWORD size = sizeof v;
    if (!RegistryRead(valueName, &type, reinterpret_cast<BYTE*>(&v), &size) || type != REG_DWORD || size != sizeof v)
        return false;
    *value = v;
    return true;
}

bool KivoAppBase::RegistryReadBoolean(const std::string& valueName, bool* value)
{
    int v;
    if (!RegistryReadInteger(valueName, &v))
        return false;
    *value = v != 0;
    return true;
}

void KivoAppBase::ReadFromRegistry()
{
    registryLoaded = true;
    registryKey = GetString("RegistryKey", registryKey);
    if (registryKey.empty())
        return;

    int v;
    if (RegistryReadInteger("MusicVolume", &v))
        musicVolume = v / 100.0;
    if (RegistryReadInteger("SfxVolume", &v))
        sfxVolume = v / 100.0;
    if (RegistryReadInteger("Muted", &v))
        muteCount = v;
    if (RegistryReadInteger("ScreenMode", &v))
        windowed = v == 0;
    // A sensitivity of 0 or less would freeze the pointer.
    if (RegistryReadInteger("MouseSensitivity", &v))
        mouseSensitivity = v > 0 ? static_cast<float>(v / 100.0) : 1.0f;
    if (RegistryReadInteger("PreferredX", &v))
        preferredX = v;
    if (RegistryReadInteger("PreferredY", &v))
        preferredY = v;
    bool b;
    if (RegistryReadBoolean("CustomCursors", &b)) {
        customCursorsOn = b;
        EnforceCursor();
    }
    if (RegistryReadBoolean("WaitForVSync", &b))
        adjustJerking = b;
    if (RegistryReadInteger("InProgress", &v))
        lastRunClean = v == 0;
    if (!screensaverMode)
        RegistryWriteInteger("InProgress", 1);
}

void KivoAppBase::WriteToRegistry()
{
    auto write = [this](const char* name, DWORD value) {
        RegistryWrite(name, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    };
    const platform::RegistryBatch batch;
    write("MusicVolume", Hundredths(musicVolume));
    write("SfxVolume", Hundredths(sfxVolume));
    write("Muted", muteCount - autoMuteCount > 0 ? 1 : 0);
    write("ScreenMode", windowed ? 0 : 1);
    write("PreferredX", static_cast<DWORD>(preferredX));
    write("PreferredY", static_cast<DWORD>(preferredY));
    write("CustomCursors", customCursorsOn ? 1 : 0);
    write("InProgress", 0);
    write("WaitForVSync", adjustJerking ? 1 : 0);
    write("MouseSensitivity", Hundredths(mouseSensitivity));
}

} // namespace Kivo
