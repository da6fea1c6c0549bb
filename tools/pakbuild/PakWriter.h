#pragma once
// Writes pak archives in the layout PakInterface reads (see
// framework/core/PakInterface.h).
#include <cstdint>
#include <string>
#include <vector>

namespace pakbuild {

struct PakEntry {
    std::string name;      // stored as given; use PakEntryName for a path
    std::string data;
    uint64_t fileTime = 0; // FILETIME: 100 ns units since 1601
};

// The whole archive, scrambled, ready to be written to a file. Entries are
// stored in the order given.
std::string BuildPak(const std::vector<PakEntry>& entries);

// The stored form of a relative path: '\' separators, no empty, "." or ".."
// component, at most 255 bytes. "" when the path cannot be stored.
std::string PakEntryName(const std::string& relativePath);

// The entries for `paths` under `root`: a file gives one entry, a folder
// every file below it in name order ("." is `root` itself). Names are the
// paths relative to `root`. `output`, the archive being written, is never
// packed: folders skip it (and its temporary file), and naming it is an
// error. False, with `error` set, when a path is missing or unstorable, or
// when two entries would have one name.
bool CollectEntries(const std::string& root, const std::vector<std::string>& paths,
    std::vector<PakEntry>& entries, std::string& error, const std::string& output = {});

} // namespace pakbuild
