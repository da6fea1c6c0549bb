#pragma once
// Text for the developer: Windows sends it to an attached debugger; here
// it goes to standard error, each message on a line of its own.
#include "platform/win32/WinTypes.h"

void OutputDebugStringA(LPCSTR text);
