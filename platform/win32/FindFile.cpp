#include "platform/win32/FindFile.h"

#include "platform/Paths.h"

#include <cctype>
#include <cstring>
#include <dirent.h>
#include <string>
#include <sys/stat.h>

namespace {

struct FindState {
    DIR* dir = nullptr;
    std::string folder; // disk path of the folder, with a trailing '/' unless empty
    std::string pattern;
};

bool NextMatch(FindState& s, WIN32_FIND_DATAA* data)
{
    while (dirent* e = readdir(s.dir)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
            continue;
        if (!WildcardMatch(s.pattern.c_str(), e->d_name))
            continue;
        struct stat st;
        if (stat((s.folder + e->d_name).c_str(), &st) != 0)
            continue;
        *data = WIN32_FIND_DATAA{};
        data->dwFileAttributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
        data->ftCreationTime = FileTimeFromUnix(st.st_ctim.tv_sec, st.st_ctim.tv_nsec);
        data->ftLastAccessTime = FileTimeFromUnix(st.st_atim.tv_sec, st.st_atim.tv_nsec);
        data->ftLastWriteTime = FileTimeFromUnix(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
        uint64_t size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
        data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
        data->nFileSizeLow = static_cast<DWORD>(size);
        // A name too long for the record is cut, as the record has no room for more.
        std::strncpy(data->cFileName, e->d_name, MAX_PATH - 1);
        return true;
    }
    return false;
}

} // namespace

bool WildcardMatch(const char* pattern, const char* name)
{
    if (std::strcmp(pattern, "*.*") == 0)
        pattern = "*";
    // Greedy match with one backtrack point: the last '*' seen.
    const char* starP = nullptr;
    const char* starN = nullptr;
    while (*name) {
        if (*pattern == '*') {
            starP = ++pattern;
            starN = name;
        } else if (*pattern == '?'
            || (*pattern && std::toupper(static_cast<unsigned char>(*pattern)) == std::toupper(static_cast<unsigned char>(*name)))) {
            ++pattern;
            ++name;
        } else if (starP) {
            pattern = starP;
            name = ++starN;
        } else {
            return false;
        }
    }
    while (*pattern == '*')
        ++pattern;
    return *pattern == 0;
}

FILETIME FileTimeFromUnix(int64_t seconds, long nanoseconds)
{
    constexpr int64_t kEpochDelta = 11644473600; // seconds from 1601 to 1970
    uint64_t t = static_cast<uint64_t>((seconds + kEpochDelta) * 10000000 + nanoseconds / 100);
    return FILETIME { static_cast<DWORD>(t), static_cast<DWORD>(t >> 32) };
}

HANDLE FindFirstFileA(LPCSTR pattern, WIN32_FIND_DATAA* data)
{
    std::string p = pattern ? pattern : "";
    size_t cut = p.find_last_of("\\/");
    std::string folder = cut == std::string::npos ? "" : p.substr(0, cut + 1);
    auto* s = new FindState;
    s->pattern = p.substr(cut == std::string::npos ? 0 : cut + 1);
    s->folder = platform::DiskPath(folder);
    if (!s->folder.empty() && s->folder.back() != '/')
        s->folder += '/';
    s->dir = opendir(s->folder.empty() ? "." : s->folder.c_str());
    if (s->dir && NextMatch(*s, data))
        return s;
    if (s->dir)
        closedir(s->dir);
    delete s;
    return INVALID_HANDLE_VALUE;
}

BOOL FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data)
{
    if (!find || find == INVALID_HANDLE_VALUE)
        return FALSE;
    return NextMatch(*static_cast<FindState*>(find), data) ? TRUE : FALSE;
}

BOOL FindClose(HANDLE find)
{
    if (!find || find == INVALID_HANDLE_VALUE)
        return FALSE;
    auto* s = static_cast<FindState*>(find);
    closedir(s->dir);
    delete s;
    return TRUE;
}
