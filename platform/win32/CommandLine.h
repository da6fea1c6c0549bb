#pragma once
// The process command line as one text, the way Windows hands it over:
// the program name, then the arguments separated by spaces; an argument
// holding a space or a tab is enclosed in double quotes.
#include "platform/win32/WinTypes.h"

#include <string>

LPSTR GetCommandLineA();

namespace platform {

// Called by main with its arguments before anything asks for the text.
void SetCommandLine(int argc, const char* const* argv);
std::string CommandLineFromArgs(int argc, const char* const* argv);

} // namespace platform
