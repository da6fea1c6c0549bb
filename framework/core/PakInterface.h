#pragma once
// Pak archives: read-only, memory-mapped files holding a scrambled header,
// a directory of named entries and the entries' scrambled bytes. Opening a
// name for reading looks in the archives first, then on disk.
//
// Archive layout (all integers little-endian, every byte of the file
// scrambled as described at PakScrambleByte):
//   0  u32 magic 0xBAC04AC0
//   4  u32 version 0
//   8  directory records: u8 flags (0x80 ends the directory and has no
//      further fields), u8 name length n, n name bytes, u32 size,
//      u64 FILETIME; then the entries' data in directory order.
#include "framework/core/PakFile.h"
#include "platform/win32/FindFile.h"

#include <cstdint>
#include <list>
#include <map>
#include <string>

inline constexpr uint32_t kPakMagic = 0xBAC04AC0;
inline constexpr uint32_t kPakVersion = 0;
inline constexpr uint8_t kPakEndFlag = 0x80;
// Longest name after normalisation; longer names are refused.
inline constexpr size_t kPakMaxName = 255;

// Scrambles and descrambles alike: the byte at offset `pos` of the archive
// file, counted from the start of the file.
inline uint8_t PakScrambleByte(uint8_t b, uint64_t pos)
{
    return static_cast<uint8_t>(b ^ 0x3B ^ ((pos * 3) & 0xFF));
}

// One mapped archive; it stays mapped until the process ends.
struct PakCollection {
    const uint8_t* data = nullptr;
    size_t size = 0;
    std::string fileName; // as it was added
};

struct PakRecord {
    PakCollection* collection = nullptr;
    std::string fileName; // as stored in the directory
    FILETIME fileTime {};
    int32_t start = 0;    // offset of the first byte in the archive file
    int32_t size = 0;
};

// A listing in progress: archive entries first, then the disk.
struct PakFindData {
    HANDLE osHandle = INVALID_HANDLE_VALUE;
    std::string lastFound; // key of the last archive entry returned
    std::string pattern;   // normalised
};

class PakInterfaceBase {
public:
    virtual ~PakInterfaceBase() = default;
    virtual PakFileHandle* Open(const std::string& fileName, const char* mode) = 0;
    virtual int Close(PakFileHandle* handle) = 0;
    virtual int Seek(PakFileHandle* handle, int32_t offset, int origin) = 0;
    virtual int32_t Tell(PakFileHandle* handle) = 0;
    virtual size_t Read(void* buffer, size_t size, size_t count, PakFileHandle* handle) = 0;
    virtual int GetChar(PakFileHandle* handle) = 0;
    virtual int UngetChar(int c, PakFileHandle* handle) = 0;
    virtual wchar_t* GetLineWide(wchar_t* buffer, int count, PakFileHandle* handle) = 0;
    virtual char* GetLine(char* buffer, int count, PakFileHandle* handle) = 0;
    virtual int AtEof(PakFileHandle* handle) = 0;
    virtual HANDLE FindFirst(const std::string& pattern, WIN32_FIND_DATAA* data) = 0;
    virtual BOOL FindNext(HANDLE find, WIN32_FIND_DATAA* data) = 0;
    virtual bool FindClose(HANDLE find) = 0;
};

class PakInterface : public PakInterfaceBase {
public:
    // Becomes the active instance when none is active yet.
    PakInterface();
    // Stops being the active instance; mapped archives stay mapped.
    ~PakInterface() override;

    // Maps the archive `fileName` (relative to the working folder or
    // absolute) and adds its entries to the directory. Entries whose data
    // would lie outside the file, or whose size is negative, are left out.
    // False when the file is missing or damaged: a bad header, a directory
    // that is cut short or entries left out.
    bool AddPakFile(const std::string& fileName);
    // The file name of the archive that serves `fileName` (also when the
    // name lacks the extension the entry has), or empty when reads of it go
    // to the disk.
    std::string ArchiveHolding(const std::string& fileName) const;

    PakFileHandle* Open(const std::string& fileName, const char* mode) override;
    int Close(PakFileHandle* handle) override;
    // Origins 0, 1 and 2 as fseek; an entry's position is clamped to 0..size.
    int Seek(PakFileHandle* handle, int32_t offset, int origin) override;
    int32_t Tell(PakFileHandle* handle) override;
    size_t Read(void* buffer, size_t size, size_t count, PakFileHandle* handle) override;
    // Carriage returns in archive entries are skipped.
    int GetChar(PakFileHandle* handle) override;
    int UngetChar(int c, PakFileHandle* handle) override;
    // Reads nothing; kept for callers that expect the operation.
    wchar_t* GetLineWide(wchar_t* buffer, int count, PakFileHandle* handle) override;
    char* GetLine(char* buffer, int count, PakFileHandle* handle) override;
    int AtEof(PakFileHandle* handle) override;
    HANDLE FindFirst(const std::string& pattern, WIN32_FIND_DATAA* data) override;
    BOOL FindNext(HANDLE find, WIN32_FIND_DATAA* data) override;
    bool FindClose(HANDLE find) override;

    // Directory keys: entry names upper-cased.
    const std::map<std::string, PakRecord>& Records() const { return mRecords; }

private:
    bool FindInArchives(PakFindData* find, WIN32_FIND_DATAA* data);

    std::list<PakCollection> mCollections;
    std::map<std::string, PakRecord> mRecords;
};

// The lookup form of a name: separators become one '\', ".." removes the
// component before it, letters are upper-cased, and an absolute path inside
// the working folder becomes relative. "" for a name longer than
// kPakMaxName after normalisation.
std::string FixFileName(const std::string& name);

// Created at static initialisation; start-up adds the game's archives to it.
extern PakInterface* gPakInterface;

// The instance the PakFile* calls forward to, or null, in which case they
// use stdio on the disk. One per process: the first PakInterface built.
PakInterfaceBase* GetActivePakInterface();
// Replaces the active instance (tests); returns the previous one.
PakInterfaceBase* SetActivePakInterface(PakInterfaceBase* instance);
