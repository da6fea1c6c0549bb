#pragma once
#include <cstdint>
#include <string>

namespace platform {

// The Unicode code point of a Windows-1252 byte. The five bytes the code
// page leaves undefined map to the C1 controls of the same value, as
// Windows does.
uint32_t Cp1252ToUnicode(uint8_t byte);
// Windows-1252 bytes as UTF-8.
std::string Cp1252ToUtf8(const std::string& text);
// UTF-8 as Windows-1252 bytes; characters the code page cannot hold and
// broken sequences are dropped.
std::string Utf8ToCp1252(const std::string& utf8);

} // namespace platform
