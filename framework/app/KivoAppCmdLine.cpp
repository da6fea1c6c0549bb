// The command line and the framework's options.
#include "framework/app/KivoAppBase.h"

#include "framework/app/CrashCatcher.h"
#include "framework/core/Paths.h"
#include "framework/core/Strings.h"
#include "platform/win32/CommandLine.h"
#include "platform/win32/FindFile.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <set>

namespace Kivo {
namespace {

bool IsAbsolute(const std::string& path)
{
    return path.size() >= 2 && (path[1] == ':' || (path.size() >= 3 && path[2] == '\\') || path[0] == '/');
}

std::string InDataFolder(const std::string& path)
{
    return IsAbsolute(path) ? path : GetAppDataFolder() + path;
}

} // namespace

void KivoAppBase::ParseCmdLine()
{
    std::string text = GetCommandLineA();
    size_t pos = 0;
    if (!text.empty() && text[0] == '"') {
        size_t close = text.find('"', 1);
        if (close == std::string::npos) {
            cmdLineParsed = true;
            return;
        }
        pos = close + 1;
    }
    size_t space = text.find(' ', pos);
    if (space != std::string::npos)
        ParseCmdLineString(text.substr(space + 1));
    cmdLineParsed = true;
}

void KivoAppBase::ParseCmdLineString(const std::string& text)
{
    bool inQuotes = false;
    bool inValue = false;
    std::string name;
    std::string value;
    auto handOver = [&] {
        // A parameter without a name is not handed over, and its state
        // carries on into the next one.
        if (name.empty())
            return;
        HandleCmdLineParam(name, value);
        name.clear();
        value.clear();
        inValue = false;
    };
    for (char c : text) {
        if (c == '"') {
            inQuotes = !inQuotes;
            if (!inQuotes)
                handOver();
        } else if (c == '=') {
            inValue = true;
        } else if (c == ' ' && !inQuotes) {
            handOver();
        } else {
            (inValue ? value : name) += c;
        }
    }
    handOver();
}

void KivoAppBase::HandleCmdLineParam(const std::string& name, const std::string& value)
{
    if (name == "-play") {
        demoPlaying = true;
        demoRecording = false;
    } else if (name == "-recnum") {
        int n = std::atoi(value.c_str());
        if (n <= 0)
            n = 5;
        int k = GetLastDemoNumber(demoPrefix, n, true) + 1;
        demoFileName = InDataFolder(demoPrefix + StrFormat("%d.dmo", k));
        demoRecording = true;
        demoPlaying = false;
    } else if (name == "-playnum") {
        int n = std::max(std::atoi(value.c_str()) - 1, 0);
        int k = GetLastDemoNumber(demoPrefix, n, false);
        demoFileName = demoPrefix + StrFormat("%d.dmo", k - n);
        demoRecording = false;
        demoPlaying = true;
    } else if (name == "-record") {
        demoRecording = true;
        demoPlaying = false;
    } else if (name == "-demofile") {
        demoFileName = InDataFolder(value);
    } else if (name == "-crash") {
        CrashCatcher::Provoke();
    } else if (name == "-screensaver") {
        screensaverMode = true;
    } else if (name == "-changedir") {
        programFolder = value;
    } else {
        Popup(GetString("INVALID_COMMANDLINE_PARAM", "Invalid command line parameter: ") + name);
        Exit(0);
    }
}

bool KivoAppBase::ChangeDirHook(const std::string&)
{
    return false;
}

int KivoAppBase::GetLastDemoNumber(const std::string& prefix, int keep, bool deleteOldest)
{
    std::set<int> numbers;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((prefix + "*.dmo").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string file = data.cFileName;
            int n = 0;
            int used = 0;
            const std::string rest = file.substr(std::min(prefix.size(), file.size()));
            if (std::sscanf(rest.c_str(), "%d.dmo%n", &n, &used) == 1 && used == static_cast<int>(rest.size()))
                numbers.insert(n);
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    if (numbers.empty())
        return 0;
    if (deleteOldest && static_cast<int>(numbers.size()) > keep - 1)
        std::remove((prefix + StrFormat("%d.dmo", *numbers.begin())).c_str());
    return *numbers.rbegin();
}

} // namespace Kivo
