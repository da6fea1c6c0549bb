#pragma once
// A private folder under /tmp for one run of a target, removed with what it
// holds when the process ends normally (libFuzzer's time or run limit, the
// corpus replay). A crash leaves it behind next to the crashing input.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

class FuzzFolder {
public:
    explicit FuzzFolder(const std::string& prefix)
    {
        std::string name = "/tmp/" + prefix + "-XXXXXX";
        if (mkdtemp(name.data()))
            path = name;
    }
    ~FuzzFolder()
    {
        std::error_code ignored;
        if (!path.empty())
            std::filesystem::remove_all(path, ignored);
    }
    FuzzFolder(const FuzzFolder&) = delete;
    FuzzFolder& operator=(const FuzzFolder&) = delete;

    std::string path; // empty when it could not be made
};
