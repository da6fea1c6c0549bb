#pragma once
// Changes the working folder for the life of the object.
#include <filesystem>
#include <string>

namespace testsupport {

class ScopedCwd {
public:
    explicit ScopedCwd(const std::string& dir)
        : mOld(std::filesystem::current_path())
    {
        std::filesystem::current_path(dir);
    }
    ~ScopedCwd() { std::filesystem::current_path(mOld); }
    ScopedCwd(const ScopedCwd&) = delete;
    ScopedCwd& operator=(const ScopedCwd&) = delete;

private:
    std::filesystem::path mOld;
};

} // namespace testsupport
