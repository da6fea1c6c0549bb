#include "game/app/GameCmdLine.h"

#include "framework/app/CrashCatcher.h"
#include "framework/core/Strings.h"
#include "platform/win32/DebugOutput.h"

#include <cstdlib>

void HandleGameCmdLineParam(Kivo::KivoAppBase& app, const std::string& name, const std::string& value)
{
    OutputDebugStringA(Kivo::StrFormat("theParamName = \"%s\", theParamValue = \"%s\"", name.c_str(), value.c_str()).c_str());
    if (name == "-crash")
        Kivo::CrashCatcher::Provoke();
    if (name != "set_start_level")
        return;
    size_t at = value.find("level");
    if (at == std::string::npos)
        return;
    // At most three characters, read as atoi does: level0071 starts at 7.
    int level = std::atoi(value.substr(at + 5, 3).c_str());
    // A negative level would name a level file that cannot exist.
    if (level >= 0)
        app.SetInteger("set_start_level", level);
}
