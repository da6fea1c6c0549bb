#include "platform/win32/DebugOutput.h"

#include <atomic>
#include <cstdio>
#include <cstring>

namespace platform {
namespace {

#ifdef NDEBUG
std::atomic<bool> gShown { false };
#else
std::atomic<bool> gShown { true };
#endif

} // namespace

void ShowDebugOutput(bool show)
{
    gShown = show;
}

bool DebugOutputShown()
{
    return gShown;
}

} // namespace platform

void OutputDebugStringA(LPCSTR text)
{
    if (!text || !platform::DebugOutputShown())
        return;
    // A debugger shows every message as an entry of its own: one without a
    // line break of its own must not run into the next line on a terminal.
    std::fputs(text, stderr);
    const size_t length = std::strlen(text);
    if (length == 0 || text[length - 1] != '\n')
        std::fputc('\n', stderr);
}
