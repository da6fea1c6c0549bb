#include "platform/win32/DebugOutput.h"

#include <cstdio>

void OutputDebugStringA(LPCSTR text)
{
    if (text)
        std::fputs(text, stderr);
}
