#include "platform/win32/DebugOutput.h"

#include <cstdio>
#include <cstring>

void OutputDebugStringA(LPCSTR text)
{
    if (!text)
        return;
    // A debugger shows every message as an entry of its own: one without a
    // line break of its own must not run into the next line on a terminal.
    std::fputs(text, stderr);
    const size_t length = std::strlen(text);
    if (length == 0 || text[length - 1] != '\n')
        std::fputc('\n', stderr);
}
