#pragma once
#include <string>

namespace Kivo {

// The whole file through the pak layer; false when it cannot be opened.
bool ReadWholeFile(const std::string& fileName, std::string& bytes);

} // namespace Kivo
