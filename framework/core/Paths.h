#pragma once
// Path helpers. Both '\' and '/' separate components; program paths reach
// the disk through platform::DiskPath.
#include <string>

namespace Kivo {

std::string GetFileName(const std::string& path, bool noExtension = false);
std::string GetFileDir(const std::string& path, bool withSlash = false);
std::string RemoveTrailingSlash(const std::string& path);
std::string AddTrailingSlash(const std::string& path, bool backslash = true);
// Creates every folder along the path; existing folders are fine.
void MakeDirectories(const std::string& path);
std::string GetCurrentDir();
// `relPath` resolved against `dir`: "." is dropped, ".." removes a
// component, and the result uses '\' when either argument does, else '/'.
// A path with a drive letter, or beginning with a separator, is absolute
// and comes back unchanged.
std::string GetPathFrom(const std::string& relPath, const std::string& dir);
std::string GetFullPath(const std::string& relPath);

// The writable data folder ("" means the working folder), stored with a
// trailing separator.
std::string GetAppDataFolder();
void SetAppDataFolder(const std::string& path);

// On Windows this opened a file to every user. The data folder here belongs
// to one user, so it is left as it is.
bool GrantFullAccess(const std::string& path);

} // namespace Kivo
