#pragma once
// Files served from an archive in memory as the active pak layer for as long
// as the object lives, so that a target reaches its reader through the pak
// callbacks as the program does.
#include "framework/core/PakInterface.h"
#include "tools/pakbuild/PakWriter.h"

#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <utility>
#include <vector>

class FuzzPak {
public:
    explicit FuzzPak(const std::vector<std::pair<std::string, std::string>>& files)
    {
        std::vector<pakbuild::PakEntry> entries;
        for (const auto& [path, bytes] : files)
            entries.push_back({ pakbuild::PakEntryName(path), bytes });
        const std::string pak = pakbuild::BuildPak(entries);
        fd_ = memfd_create("fuzzpak", MFD_CLOEXEC);
        if (fd_ < 0 || write(fd_, pak.data(), pak.size()) != static_cast<ssize_t>(pak.size()))
            return;
        previous_ = SetActivePakInterface(&paks_);
        active_ = true;
        ok = paks_.AddPakFile("/proc/self/fd/" + std::to_string(fd_));
    }
    ~FuzzPak()
    {
        if (active_)
            SetActivePakInterface(previous_);
        if (fd_ >= 0)
            close(fd_);
    }
    FuzzPak(const FuzzPak&) = delete;
    FuzzPak& operator=(const FuzzPak&) = delete;

    bool ok = false;

private:
    PakInterface paks_;
    PakInterfaceBase* previous_ = nullptr;
    bool active_ = false;
    int fd_ = -1;
};
