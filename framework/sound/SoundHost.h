#pragma once
// What the sound code needs of the application above it. The application
// installs its own host; until then a default one serves: it loads
// "dsound.dll" itself, and a fatal error shows its box and exits with code 0.
#include "platform/win32/WinTypes.h"

#include <string>

namespace Kivo {

class SoundHost {
public:
    virtual ~SoundHost() = default;
    // The "dsound.dll" module the application loaded at start-up, or null.
    virtual HMODULE GetDSoundModule() = 0;
    // A message box with no owner, then the end of the process (exit code 0).
    // Callers still return safely should it come back.
    virtual void FatalError(const std::string& text, const std::string& caption, UINT type) = 0;
};

SoundHost& GetSoundHost();
// Null puts the default host back.
void SetSoundHost(SoundHost* host);

} // namespace Kivo
