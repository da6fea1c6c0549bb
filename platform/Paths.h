#pragma once
// Program paths are Windows paths: either separator, any letter case. Every
// open, folder creation and listing goes through DiskPath so that such a
// path finds the file on a case-sensitive file system.
#include <string>

namespace platform {

// The disk path for `programPath`: backslashes become slashes, and where the
// exact name is missing each component is matched without case against the
// folder's entries. Components that match nothing are kept as written, so a
// path to a file about to be created comes back usable too.
std::string DiskPath(const std::string& programPath);

} // namespace platform
