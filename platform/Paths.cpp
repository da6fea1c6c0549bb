#include "platform/Paths.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

namespace platform {
namespace {

bool Exists(const std::string& path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

// The entry of `dir` whose name equals `name` without regard to ASCII case,
// or "" when there is none. An exact match is preferred when several differ
// only by case.
std::string FindNoCase(const std::string& dir, const std::string& name)
{
    DIR* d = opendir(dir.empty() ? "." : dir.c_str());
    if (!d)
        return {};
    std::string found;
    while (dirent* e = readdir(d)) {
        if (strcasecmp(e->d_name, name.c_str()) == 0) {
            found = e->d_name;
            if (found == name)
                break;
        }
    }
    closedir(d);
    return found;
}

} // namespace

std::string DiskPath(const std::string& programPath)
{
    std::string path = programPath;
    for (char& c : path)
        if (c == '\\')
            c = '/';
    if (path.empty() || Exists(path))
        return path;

    std::string result = path[0] == '/' ? "/" : "";
    size_t pos = path.find_first_not_of('/');
    while (pos != std::string::npos && pos < path.size()) {
        size_t end = path.find('/', pos);
        std::string component = path.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        std::string candidate = result + component;
        if (component != "." && component != ".." && !Exists(candidate)) {
            std::string match = FindNoCase(result, component);
            if (match.empty()) {
                // Nothing further can match inside a folder that is missing.
                return result + path.substr(pos);
            }
            candidate = result + match;
        }
        result = candidate;
        if (end == std::string::npos)
            break;
        result += '/';
        pos = path.find_first_not_of('/', end);
    }
    return result;
}

} // namespace platform
