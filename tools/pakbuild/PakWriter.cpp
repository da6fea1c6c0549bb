#include "tools/pakbuild/PakWriter.h"

#include "framework/core/PakInterface.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace pakbuild {
namespace {

void PutU32(std::string& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>(v >> (8 * i));
}

uint64_t FileTimeOf(const fs::path& path)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        return 0;
    FILETIME t = FileTimeFromUnix(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
    return static_cast<uint64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime;
}

bool AddFile(const fs::path& file, const std::string& relative, std::vector<PakEntry>& entries, std::string& error)
{
    PakEntry e;
    e.name = PakEntryName(relative);
    if (e.name.empty()) {
        error = "cannot store the name '" + relative + "'";
        return false;
    }
    std::ifstream in(file, std::ios::binary);
    if (in)
        e.data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!in.is_open() || in.bad()) {
        error = "cannot read '" + file.string() + "'";
        return false;
    }
    if (e.data.size() > INT32_MAX) {
        error = "file too large: '" + file.string() + "'";
        return false;
    }
    e.fileTime = FileTimeOf(file);
    entries.push_back(std::move(e));
    return true;
}

} // namespace

std::string PakEntryName(const std::string& relativePath)
{
    std::string name;
    size_t pos = 0;
    while (pos <= relativePath.size()) {
        size_t end = relativePath.find_first_of("/\\", pos);
        if (end == std::string::npos)
            end = relativePath.size();
        std::string part = relativePath.substr(pos, end - pos);
        if (part.empty() || part == "." || part == "..")
            return {};
        if (!name.empty())
            name += '\\';
        name += part;
        pos = end + 1;
    }
    if (name.size() > kPakMaxName || name.find('\0') != std::string::npos)
        return {};
    return name;
}

std::string BuildPak(const std::vector<PakEntry>& entries)
{
    std::string out;
    PutU32(out, kPakMagic);
    PutU32(out, kPakVersion);
    for (const PakEntry& e : entries) {
        out += '\0';
        const size_t n = std::min<size_t>(e.name.size(), 255);
        out += static_cast<char>(n);
        out.append(e.name, 0, n);
        PutU32(out, static_cast<uint32_t>(e.data.size()));
        PutU32(out, static_cast<uint32_t>(e.fileTime));
        PutU32(out, static_cast<uint32_t>(e.fileTime >> 32));
    }
    out += static_cast<char>(kPakEndFlag);
    for (const PakEntry& e : entries)
        out += e.data;
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<char>(PakScrambleByte(static_cast<uint8_t>(out[i]), i));
    return out;
}

bool CollectEntries(const std::string& root, const std::vector<std::string>& paths,
    std::vector<PakEntry>& entries, std::string& error, const std::string& output)
{
    const fs::path base = (root.empty() ? fs::path(".") : fs::path(root)).lexically_normal();
    std::error_code ec;
    std::vector<fs::path> own;
    if (!output.empty()) {
        own.push_back(fs::weakly_canonical(output, ec));
        own.push_back(fs::weakly_canonical(output + ".tmp", ec));
    }
    const auto isOwn = [&](const fs::path& file) {
        std::error_code e;
        const fs::path canonical = fs::weakly_canonical(file, e);
        return !e && std::find(own.begin(), own.end(), canonical) != own.end();
    };
    for (const std::string& p : paths) {
        const fs::path full = (base / p).lexically_normal();
        if (fs::is_regular_file(full, ec)) {
            if (isOwn(full)) {
                error = "the output '" + output + "' is also an input";
                return false;
            }
            if (!AddFile(full, full.lexically_relative(base).generic_string(), entries, error))
                return false;
            continue;
        }
        if (!fs::is_directory(full, ec)) {
            error = "no such file or folder: '" + full.string() + "'";
            return false;
        }
        std::vector<fs::path> files;
        for (fs::recursive_directory_iterator it(full, ec), end; it != end && !ec; it.increment(ec))
            if (it->is_regular_file() && !isOwn(it->path()))
                files.push_back(it->path());
        if (ec) {
            error = "cannot list '" + full.string() + "'";
            return false;
        }
        std::sort(files.begin(), files.end());
        for (const fs::path& f : files)
            if (!AddFile(f, f.lexically_relative(base).generic_string(), entries, error))
                return false;
    }
    // The reader finds entries by name without regard to case: a second
    // entry of one name would never be read.
    std::set<std::string> names;
    for (const PakEntry& e : entries) {
        std::string key = e.name;
        std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return char(std::toupper(c)); });
        if (!names.insert(key).second) {
            error = "two entries named '" + e.name + "'";
            return false;
        }
    }
    return true;
}

} // namespace pakbuild
