#include "platform/music/MusicFiles.h"

#include "platform/Paths.h"

#include <cstdio>

namespace platform::music {

bool ReadSource(bool inMemory, const void* file, uint64_t offset, uint64_t length, std::vector<uint8_t>& out)
{
    out.clear();
    if (!file)
        return false;
    if (inMemory) {
        if (length == 0)
            return false;
        const auto* p = static_cast<const uint8_t*>(file) + offset;
        out.assign(p, p + length);
        return true;
    }
    FILE* fp = std::fopen(DiskPath(static_cast<const char*>(file)).c_str(), "rb");
    if (!fp)
        return false;
    bool ok = std::fseek(fp, 0, SEEK_END) == 0;
    long size = ok ? std::ftell(fp) : -1;
    ok = size >= 0 && uint64_t(size) >= offset && std::fseek(fp, long(offset), SEEK_SET) == 0;
    if (ok) {
        uint64_t n = uint64_t(size) - offset;
        if (length != 0 && length < n)
            n = length;
        out.resize(size_t(n));
        ok = std::fread(out.data(), 1, out.size(), fp) == out.size();
    }
    std::fclose(fp);
    return ok;
}

} // namespace platform::music
