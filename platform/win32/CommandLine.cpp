#include "platform/win32/CommandLine.h"

namespace {

std::string& CommandLineText()
{
    static std::string text;
    return text;
}

} // namespace

LPSTR GetCommandLineA()
{
    return CommandLineText().data();
}

namespace platform {

void SetCommandLine(int argc, const char* const* argv)
{
    CommandLineText() = CommandLineFromArgs(argc, argv);
}

std::string CommandLineFromArgs(int argc, const char* const* argv)
{
    std::string text;
    for (int i = 0; i < argc; ++i) {
        std::string arg = argv[i] ? argv[i] : "";
        if (i > 0)
            text += ' ';
        if (arg.find_first_of(" \t") != std::string::npos)
            text += '"' + arg + '"';
        else
            text += arg;
    }
    return text;
}

} // namespace platform
