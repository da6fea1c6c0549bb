#pragma once
// Replacing a file so that a crash, a kill or a power cut at any moment
// leaves either the old file or the new one, never a mix or nothing: the
// bytes go to "<path>.tmp" beside it, are flushed to the disk, and the
// temporary file is renamed over the old one, after which the folder itself
// is flushed so that the rename survives too. A file found damaged is kept
// aside the same way by every reader.
#include <cstddef>
#include <string>

namespace platform {

// The steps of a replacement, in order. Write happens once per chunk.
enum class ReplaceStep { Open, Write, Sync, Close, Rename, SyncFolder };

// Writes `size` bytes as the new content of the disk path `path`. On
// failure the old file is left as it was, the temporary file is removed,
// and `error` (when given) says which step failed and why.
bool ReplaceFile(const std::string& path, const void* data, size_t size, std::string* error = nullptr);

// Moves a file that exists but cannot be read aside, so that the program
// can start afresh without losing it: "<path>.bad", the one before it as
// ".bad.1", and so on, the newest few kept. On success `copy` names the
// copy; false (with `error` saying why) when there is no such file or it
// cannot be moved.
bool KeepDamagedFile(const std::string& path, std::string* copy, std::string* error);

// Tests only: called before every step; returning false makes the step
// fail with an I/O error (a failed folder flush is skipped, as one that the
// file system cannot do). Null (the default) runs every step.
using ReplaceStepHook = bool (*)(ReplaceStep step);
void SetReplaceStepHook(ReplaceStepHook hook);

} // namespace platform
