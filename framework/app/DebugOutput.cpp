#include "framework/app/DebugOutput.h"

#include "framework/core/Strings.h"
#include "platform/win32/DebugOutput.h"

#include <cstdarg>

namespace Kivo {

void OutputDebug(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const std::string text = StrFormatV(format, args);
    va_end(args);
    OutputDebugStringA(text.c_str());
}

} // namespace Kivo
