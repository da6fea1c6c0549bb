#pragma once
// What the music libraries' stand-ins share: reading the file a call names,
// either from memory or from the disk.
#include <cstdint>
#include <string>
#include <vector>

namespace platform::music {

// `length` bytes from `offset` of a memory block, or of the named file when
// `inMemory` is false (length 0 then means up to the end). False when the
// file cannot be read or a memory block has no length.
bool ReadSource(bool inMemory, const void* file, uint64_t offset, uint64_t length, std::vector<uint8_t>& out);

} // namespace platform::music
