#pragma once
// The application object: here its setting maps, its registry access and
// its command line.
#include "framework/core/Buffer.h"
#include "framework/resources/PropertiesParser.h"
#include "platform/win32/Registry.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Kivo {

class KivoAppBase : public PropertiesTarget {
public:
    KivoAppBase();
    virtual ~KivoAppBase();
    KivoAppBase(const KivoAppBase&) = delete;
    KivoAppBase& operator=(const KivoAppBase&) = delete;

    // Settings, by name; the getters return the default when the name is
    // absent. Strings are stored wide (one character per byte) and
    // returned narrowed.
    bool GetBoolean(const std::string& name, bool defaultValue);
    int GetInteger(const std::string& name, int defaultValue);
    double GetDouble(const std::string& name, double defaultValue);
    std::string GetString(const std::string& id, const std::string& defaultValue);
    std::string GetString(const std::string& id);
    void SetBoolean(const std::string& name, bool value) override;
    void SetInteger(const std::string& name, int value) override;
    void SetDouble(const std::string& name, double value) override;
    void SetString(const std::string& id, const std::wstring& value) override;
    void InsertStringList(const std::string& id, const std::vector<std::wstring>& list) override;

    // <settings> with children int, float, string, bool and hex, each with
    // "name" and "val"; read through the pak layer. False, changing
    // nothing, when the file cannot be read or parsed.
    virtual bool LoadSettingsXml(const std::string& fileName);
    // A properties file into the maps; failures are shown with Popup.
    // Without `required` a missing file is fine.
    bool LoadProperties(const std::string& fileName, bool required, bool checkSignature);
    virtual bool CheckSignature(const Buffer& buffer, const std::string& fileName);

    // Values under HKEY_CURRENT_USER\SOFTWARE\<registry key>; a value name
    // "Sub\Name" addresses the value Name of the subkey Sub. With an empty
    // registry key nothing is read or written. While a demo records, reads
    // and writes are recorded; while it plays, they return what was
    // recorded and the registry is left alone. Erasing is never recorded.
    bool RegistryWrite(const std::string& valueName, DWORD type, const BYTE* data, DWORD size);
    bool RegistryRead(const std::string& valueName, DWORD* type, BYTE* data, DWORD* size, HKEY root = HKEY_CURRENT_USER);
    void RegistryEraseValue(const std::string& valueName);
    bool RegistryWriteString(const std::string& valueName, const std::string& value);
    bool RegistryWriteInteger(const std::string& valueName, int value);
    bool RegistryReadInteger(const std::string& valueName, int* value);
    bool RegistryReadBoolean(const std::string& valueName, bool* value);
    // The application's own values, read at start and written at shutdown.
    virtual void ReadFromRegistry();
    virtual void WriteToRegistry();

    // The command line: name or name=value parameters split at spaces
    // outside double quotes, each handed to HandleCmdLineParam.
    virtual void ParseCmdLine();
    virtual void ParseCmdLineString(const std::string& text);
    virtual void HandleCmdLineParam(const std::string& name, const std::string& value);
    virtual bool ChangeDirHook(const std::string& folder);

    // A fatal message in a box titled "FATAL ERROR"; the caller decides
    // whether to end the program.
    virtual void Popup(const std::string& text);
    virtual void EnforceCursor();
    // Ends the process with `code`.
    void Exit(int code);

    // Demo stream events (header: 4-bit delta of updates, short-form bit,
    // command of 1 or 5 bits).
    void WriteEventHeader();
    bool ReadEventHeader();
    // The largest n among the files prefix + n + ".dmo" in the working
    // folder, 0 when none; with `deleteOldest` and more than keep - 1 such
    // files, the one with the smallest number is deleted first.
    int GetLastDemoNumber(const std::string& prefix, int keep, bool deleteOldest);

    std::string registryKey;
    std::string programFolder; // the folder of the program file; -changedir replaces it
    int preferredX = -1;
    int preferredY = -1;
    double musicVolume = 0.85;
    double sfxVolume = 0.85;
    bool windowed = true;
    bool shutdown = false;
    bool screensaverMode = false;
    bool registryLoaded = false;
    int muteCount = 0;
    int autoMuteCount = 0;
    int updateCount = 0;
    bool customCursorsOn = false;
    bool lastRunClean = true;
    float mouseSensitivity = 1.0f;
    bool demoRecording = false;
    bool demoPlaying = false;
    bool adjustJerking = false;
    bool cmdLineParsed = false;

    std::string demoPrefix = "kivoapp";
    std::string demoFileName = "kivoapp.dmo";
    Buffer demoBuffer;
    int nextEventUpdate = 0;
    bool needHeader = true;
    bool eventIsShort = false;
    int eventCommand = 0;
    int eventCount = 0;

    std::map<std::string, std::wstring> stringProperties;
    std::map<std::string, bool> boolProperties;
    std::map<std::string, int> intProperties;
    std::map<std::string, double> doubleProperties;
    std::map<std::string, std::vector<std::wstring>> stringVectorProperties;

private:
    // Splits the value name at its last '\' into the key path and the name.
    bool RegistryPath(const std::string& valueName, std::string& keyPath, std::string& name) const;
};

} // namespace Kivo
