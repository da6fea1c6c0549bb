#pragma once
// Text for the developer: Windows sends it to an attached debugger; here
// it goes to standard error, each message on a line of its own, in debug
// builds or when asked for (the "-verbose" option). What a user needs to
// read (errors and warnings) is written to standard error directly.
#include "platform/win32/WinTypes.h"

void OutputDebugStringA(LPCSTR text);

namespace platform {

void ShowDebugOutput(bool show);
bool DebugOutputShown();

} // namespace platform
