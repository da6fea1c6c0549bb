#pragma once
// "j2k-codec.dll": the JPEG 2000 decoder the program looks up by name at run
// time, here over OpenJPEG. Its functions are registered in the module table
// under their exported names ("_J2K_getVersion@0", ...); callers reach them
// only through GetProcAddress, with the types below.
#include "platform/win32/WinTypes.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// How the codec reads a source of the caller's: seek to an absolute offset
// (0 on success), read up to `size` bytes (the count read, 0 at the end),
// and a call made when the image is closed. `length` is the size of the
// source in bytes.
struct J2K_Callbacks {
    int (*seek)(uint64_t offset, void* userData);
    uint32_t (*read)(void* buffer, uint32_t size, void* userData);
    void (*close)(void* userData);
    uint64_t length;
};

using J2K_getVersionFn = int (*)();
// Reads the header; null on failure (see getLastError).
using J2K_OpenCustomFn = void* (*)(const J2K_Callbacks* callbacks, void* userData);
using J2K_OpenFileFn = void* (*)(const char* fileName);
using J2K_CloseFn = void (*)(void* image);
// 0 on success.
using J2K_GetInfoFn = int (*)(void* image, int* width, int* height, int* components);
using J2K_GetResolutionDimensionsFn = int (*)(void* image, int level, int* width, int* height);
// Decodes into the caller's buffer of *size bytes, rows *pitch bytes apart.
// Options: "bpp=4" (32-bit 0xAARRGGBB words, the only depth) and "rl=N"
// (N resolution levels less). 0 on success.
using J2K_DecodeFn = int (*)(void* image, unsigned char** buffer, int* size, const char* options, int* pitch);
using J2K_getLastErrorFn = int (*)();
using J2K_getErrorStrFn = const char* (*)(int code);

inline constexpr const char* kJ2KCodecModule = "j2k-codec.dll";

namespace platform {

// The codec's functions by exported name, for the module table.
std::vector<std::pair<std::string, FARPROC>> J2KCodecFunctions();

} // namespace platform
