#include "platform/ReplaceFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace platform {
namespace {

std::atomic<ReplaceStepHook> gHook { nullptr };

// Large files go out in pieces, so that no single write is asked to take
// more than the kernel hands back at once.
constexpr size_t kChunk = 64 * 1024;

bool Step(ReplaceStep step)
{
    const ReplaceStepHook hook = gHook.load();
    if (hook && !hook(step)) {
        errno = EIO;
        return false;
    }
    return true;
}

} // namespace

void SetReplaceStepHook(ReplaceStepHook hook)
{
    gHook = hook;
}

bool ReplaceFile(const std::string& path, const void* data, size_t size, std::string* error)
{
    const std::string temporary = path + ".tmp";
    const auto fail = [&](int fd) {
        const int code = errno;
        if (fd >= 0)
            close(fd);
        unlink(temporary.c_str());
        if (error)
            *error = "cannot write " + path + " (" + std::strerror(code) + ")";
        errno = code;
        return false;
    };

    const int fd = Step(ReplaceStep::Open) ? open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644) : -1;
    if (fd < 0)
        return fail(-1);
    const auto* bytes = static_cast<const char*>(data);
    for (size_t done = 0; done < size;) {
        const ssize_t n = Step(ReplaceStep::Write) ? write(fd, bytes + done, std::min(size - done, kChunk)) : -1;
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail(fd);
        done += size_t(n);
    }
    if (!Step(ReplaceStep::Sync) || fsync(fd) != 0)
        return fail(fd);
    const bool closeAllowed = Step(ReplaceStep::Close);
    if (close(fd) != 0 || !closeAllowed)
        return fail(-1);
    if (!Step(ReplaceStep::Rename) || std::rename(temporary.c_str(), path.c_str()) != 0)
        return fail(-1);

    // The new file is in place; flushing its folder makes the rename itself
    // durable. Some file systems cannot flush a folder: the file stands all
    // the same, so that is no failure.
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    if (Step(ReplaceStep::SyncFolder)) {
        const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            fsync(dir);
            close(dir);
        }
    }
    return true;
}

bool KeepDamagedFile(const std::string& path, std::string* copy, std::string* error)
{
    namespace fs = std::filesystem;
    constexpr int kKept = 3;
    const fs::path file = path;
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) {
        *error = "no file " + path;
        return false;
    }
    const auto name = [&](int n) {
        fs::path numbered = file;
        numbered += n == 0 ? ".bad" : ".bad." + std::to_string(n);
        return numbered;
    };
    fs::remove(name(kKept - 1), ec);
    for (int n = kKept - 2; n >= 0; --n)
        fs::rename(name(n), name(n + 1), ec);
    ec.clear();
    fs::rename(file, name(0), ec);
    if (ec) {
        *error = ec.message();
        return false;
    }
    *copy = name(0).string();
    return true;
}

} // namespace platform
