#pragma once
// The stdio-shaped calls through which every data file is read. Reads in
// modes "r", "rb" and "rt" look in the added pak archives first, then on
// disk (through platform::DiskPath); every other mode goes to the disk.
// The archive layer itself (PakInterface, AddPakFile, listing) is declared
// in PakInterface.h.
#include <cstddef>
#include <cstdint>
#include <cstdio>

struct PakRecord;

// An open data file, owned by the caller until PakFileClose.
struct PakFileHandle {
    PakRecord* record = nullptr; // the archive entry, or null for a disk file
    int32_t pos = 0;             // read position within the entry
    FILE* fp = nullptr;          // the disk stream, or null for an archive entry
};

PakFileHandle* PakFileOpen(const char* name, const char* mode);
int PakFileClose(PakFileHandle* handle);
int PakFileSeek(PakFileHandle* handle, int32_t offset, int origin);
int32_t PakFileTell(PakFileHandle* handle);
size_t PakFileRead(void* buffer, size_t size, size_t count, PakFileHandle* handle);
int PakFileGetc(PakFileHandle* handle);
int PakFileUngetc(int c, PakFileHandle* handle);
int PakFileEof(PakFileHandle* handle);
size_t PakFileWrite(const void* buffer, size_t size, size_t count, PakFileHandle* handle);
