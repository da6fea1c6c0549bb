#pragma once
// Formatted text for the developer's debugger output.
namespace Kivo {

void OutputDebug(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace Kivo
