#include "framework/core/Paths.h"

#include "platform/Paths.h"

#include <cerrno>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace Kivo {
namespace {

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

struct DataFolder {
    std::mutex mutex;
    std::string path;
};

DataFolder& GetDataFolder()
{
    static DataFolder folder;
    return folder;
}

} // namespace

std::string GetFileName(const std::string& path, bool noExtension)
{
    size_t slash = path.find_last_of("\\/");
    size_t start = slash == std::string::npos ? 0 : slash + 1;
    if (noExtension) {
        size_t dot = path.find_last_of('.');
        if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
            return path.substr(start, dot - start);
    }
    return path.substr(start);
}

std::string GetFileDir(const std::string& path, bool withSlash)
{
    size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos)
        return {};
    return path.substr(0, withSlash ? slash + 1 : slash);
}

std::string RemoveTrailingSlash(const std::string& path)
{
    if (!path.empty() && IsSeparator(path.back()))
        return path.substr(0, path.size() - 1);
    return path;
}

std::string AddTrailingSlash(const std::string& path, bool backslash)
{
    if (path.empty() || IsSeparator(path.back()))
        return path;
    return path + (backslash ? '\\' : '/');
}

void MakeDirectories(const std::string& path)
{
    for (size_t i = 0; i < path.size(); ++i)
        if (IsSeparator(path[i]) && i > 0)
            mkdir(platform::DiskPath(path.substr(0, i)).c_str(), 0755);
    if (!path.empty())
        mkdir(platform::DiskPath(path).c_str(), 0755);
}

std::string GetCurrentDir()
{
    std::vector<char> buffer(256);
    while (!getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE)
            return {};
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

std::string GetPathFrom(const std::string& relPath, const std::string& dir)
{
    if ((relPath.size() >= 2 && relPath[1] == ':') || (!relPath.empty() && IsSeparator(relPath[0])))
        return relPath;

    char sep = (relPath.find('\\') != std::string::npos || dir.find('\\') != std::string::npos) ? '\\' : '/';
    std::string drive;
    std::string base = dir;
    if (base.size() >= 2 && base[1] == ':') {
        drive = base.substr(0, 2);
        base.erase(0, 2);
    }
    if (!base.empty() && !IsSeparator(base.back()))
        base += sep;

    std::string rest = relPath;
    for (size_t cut; (cut = rest.find_first_of("\\/")) != std::string::npos; rest.erase(0, cut + 1)) {
        std::string component = rest.substr(0, cut);
        if (component.empty() || component == ".")
            continue;
        if (component != "..") {
            base += component + sep;
            continue;
        }
        // base is empty or ends in a separator; its last component lies
        // between that separator and the one before it.
        size_t prev = base.size() < 2 ? std::string::npos : base.find_last_of("\\/", base.size() - 2);
        std::string last = base.substr(prev == std::string::npos ? 0 : prev + 1);
        if (base.empty() || last == "../" || last == "..\\") {
            base += std::string("..") + sep;
        } else if (base.size() > 1) {
            // A root ("/") has nothing above it and stays.
            base.erase(prev == std::string::npos ? 0 : prev + 1);
        }
    }

    std::string result = drive + base + rest;
    for (char& c : result)
        if (IsSeparator(c))
            c = sep;
    return result;
}

std::string GetFullPath(const std::string& relPath)
{
    return GetPathFrom(relPath, GetCurrentDir());
}

std::string GetAppDataFolder()
{
    DataFolder& f = GetDataFolder();
    std::lock_guard lock(f.mutex);
    return f.path;
}

void SetAppDataFolder(const std::string& path)
{
    DataFolder& f = GetDataFolder();
    std::lock_guard lock(f.mutex);
    f.path = path;
    if (!path.empty() && !IsSeparator(path.back()))
        f.path += '\\';
}

bool GrantFullAccess(const std::string&)
{
    return true;
}

} // namespace Kivo
