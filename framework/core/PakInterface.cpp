#include "framework/core/PakInterface.h"

#include "framework/core/Paths.h"
#include "framework/core/Strings.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <strings.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

PakInterface* gPakInterface = new PakInterface;

namespace {

PakInterfaceBase* gActivePak = nullptr;

// Deletes the global instance at exit.
struct GlobalPakOwner {
    ~GlobalPakOwner()
    {
        delete gPakInterface;
        gPakInterface = nullptr;
    }
} gGlobalPakOwner;

bool IsArchiveMode(const char* mode)
{
    return mode && (strcasecmp(mode, "r") == 0 || strcasecmp(mode, "rb") == 0 || strcasecmp(mode, "rt") == 0);
}

// The disk side, shared by the instance and by the calls made while no
// instance is active. Names are program paths.
PakFileHandle* DiskOpen(const std::string& name, const char* mode)
{
    FILE* fp = std::fopen(platform::DiskPath(name).c_str(), mode);
    if (!fp)
        return nullptr;
    auto* h = new PakFileHandle;
    h->fp = fp;
    return h;
}

int DiskClose(PakFileHandle* h)
{
    int result = h->fp ? std::fclose(h->fp) : 0;
    delete h;
    return result;
}

// Copies `n` descrambled bytes of the mapped file from `offset`.
void Descramble(uint8_t* out, const uint8_t* data, uint64_t offset, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        out[i] = PakScrambleByte(data[offset + i], offset + i);
}

// Reads of an archive entry stay inside the mapped file: AddPakFile admits
// only records whose bytes lie within it, and positions stay in 0..size.
int EntryByte(PakFileHandle* h)
{
    const PakRecord* r = h->record;
    uint64_t offset = static_cast<uint64_t>(r->start) + static_cast<uint32_t>(h->pos);
    return PakScrambleByte(r->collection->data[offset], offset);
}

// Reads the descrambled header and directory from the mapped file.
class DirectoryReader {
public:
    DirectoryReader(const uint8_t* data, size_t size)
        : mData(data)
        , mSize(size)
    {
    }

    bool Get(void* out, size_t n)
    {
        if (n > mSize - mPos)
            return false;
        Descramble(static_cast<uint8_t*>(out), mData, mPos, n);
        mPos += n;
        return true;
    }

    bool GetU32(uint32_t& v)
    {
        uint8_t b[4];
        if (!Get(b, 4))
            return false;
        v = b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24;
        return true;
    }

    size_t Pos() const { return mPos; }

private:
    const uint8_t* mData;
    size_t mSize;
    size_t mPos = 0;
};

} // namespace

PakInterfaceBase* GetActivePakInterface()
{
    return gActivePak;
}

PakInterfaceBase* SetActivePakInterface(PakInterfaceBase* instance)
{
    PakInterfaceBase* previous = gActivePak;
    gActivePak = instance;
    return previous;
}

PakInterface::PakInterface()
{
    if (!gActivePak)
        gActivePak = this;
}

PakInterface::~PakInterface()
{
    if (gActivePak == this)
        gActivePak = nullptr;
    for (PakCollection& c : mCollections)
        munmap(const_cast<uint8_t*>(c.data), c.size);
}

std::string FixFileName(const std::string& name)
{
    size_t from = 0;
    // An absolute path inside the working folder becomes relative.
    if (name.size() >= 2 && (name[1] == ':' || name[0] == '/' || name[0] == '\\')) {
        std::string cwd = Kivo::GetCurrentDir();
        if (!cwd.empty() && cwd.back() != '/')
            cwd += '/';
        size_t n = cwd.size();
        if (name.size() > n && strncasecmp(name.c_str(), cwd.c_str(), n - 1) == 0
            && (name[n - 1] == '/' || name[n - 1] == '\\'))
            from = n;
    }

    std::string out;
    bool afterSeparator = false;
    for (size_t i = from; i < name.size(); ++i) {
        char c = name[i];
        if (c == '\\' || c == '/') {
            if (!afterSeparator)
                out += '\\';
            afterSeparator = true;
        } else if (c == '.' && afterSeparator && i + 1 < name.size() && name[i + 1] == '.') {
            // ".." drops the separator just written and the component before it.
            if (!out.empty())
                out.pop_back();
            while (!out.empty() && out.back() != '\\')
                out.pop_back();
            ++i;
        } else {
            out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            afterSeparator = false;
        }
    }
    return out.size() > kPakMaxName ? std::string() : out;
}

bool PakInterface::AddPakFile(const std::string& fileName)
{
    int fd = open(platform::DiskPath(fileName).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    void* view = MAP_FAILED;
    // Offsets in the directory are 32-bit signed: larger files are refused.
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0 && st.st_size <= INT32_MAX)
        view = mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    close(fd);
    if (view == MAP_FAILED)
        return false;

    PakCollection& collection = mCollections.emplace_back();
    collection.data = static_cast<const uint8_t*>(view);
    collection.size = static_cast<size_t>(st.st_size);
    collection.fileName = fileName;
    const int32_t fileSize = static_cast<int32_t>(st.st_size);

    // The archive itself is an entry too: reading it yields the whole
    // descrambled file.
    PakRecord& self = mRecords[Kivo::StringToUpper(fileName)];
    self.collection = &collection;
    self.fileName = fileName;
    self.start = 0;
    self.size = fileSize;

    DirectoryReader in(collection.data, collection.size);
    uint32_t magic = 0;
    uint32_t version = 0;
    if (!in.GetU32(magic) || magic != kPakMagic || !in.GetU32(version) || version != kPakVersion)
        return false;

    std::vector<PakRecord> entries;
    std::vector<int64_t> offsets; // within the data area
    int64_t dataOffset = 0;
    uint8_t flags = 0;
    size_t directoryEnd = collection.size; // a directory without end marker runs to the file's end
    bool intact = false;
    while (in.Get(&flags, 1)) {
        if (flags & kPakEndFlag) {
            directoryEnd = in.Pos();
            intact = true;
            break;
        }
        uint8_t length = 0;
        char name[256];
        uint32_t size = 0;
        uint32_t timeLow = 0;
        uint32_t timeHigh = 0;
        if (!in.Get(&length, 1) || !in.Get(name, length) || !in.GetU32(size) || !in.GetU32(timeLow) || !in.GetU32(timeHigh))
            break;
        PakRecord& r = entries.emplace_back();
        r.collection = &collection;
        r.fileName.assign(name, strnlen(name, length));
        r.fileTime = FILETIME { timeLow, timeHigh };
        r.size = static_cast<int32_t>(size);
        offsets.push_back(dataOffset);
        dataOffset += r.size;
    }

    for (size_t i = 0; i < entries.size(); ++i) {
        PakRecord& r = entries[i];
        int64_t start = static_cast<int64_t>(directoryEnd) + offsets[i];
        // A corrupt or truncated archive: such an entry is left out rather
        // than read from outside the file.
        if (r.size < 0 || offsets[i] < 0 || start + r.size > fileSize) {
            intact = false;
            continue;
        }
        r.start = static_cast<int32_t>(start);
        mRecords[Kivo::StringToUpper(r.fileName)] = std::move(r);
    }
    return intact;
}

std::string PakInterface::ArchiveHolding(const std::string& fileName) const
{
    const std::string key = FixFileName(fileName);
    if (key.empty())
        return {};
    auto it = mRecords.find(key);
    if (it == mRecords.end()) {
        // A name without its extension: the first entry of that name with one.
        const std::string stem = key + ".";
        it = mRecords.lower_bound(stem);
        if (it == mRecords.end() || it->first.compare(0, stem.size(), stem) != 0
            || it->first.find('\\', stem.size()) != std::string::npos)
            return {};
    }
    return it->second.collection->fileName;
}

PakFileHandle* PakInterface::Open(const std::string& fileName, const char* mode)
{
    if (IsArchiveMode(mode)) {
        std::string key = FixFileName(fileName);
        auto it = key.empty() ? mRecords.end() : mRecords.find(key);
        if (it != mRecords.end()) {
            auto* h = new PakFileHandle;
            h->record = &it->second;
            return h;
        }
    }
    return DiskOpen(fileName, mode);
}

int PakInterface::Close(PakFileHandle* handle)
{
    return DiskClose(handle);
}

int PakInterface::Seek(PakFileHandle* handle, int32_t offset, int origin)
{
    if (!handle->record)
        return std::fseek(handle->fp, offset, origin);
    const int32_t size = handle->record->size;
    int64_t pos = handle->pos;
    // From the end counts like fseek: size + offset, so that packed and
    // loose files land on the same position.
    switch (origin) {
    case SEEK_SET: pos = offset; break;
    case SEEK_CUR: pos += offset; break;
    case SEEK_END: pos = static_cast<int64_t>(size) + offset; break;
    default: break;
    }
    if (pos < 1 || size < 1)
        pos = 0;
    else if (pos >= size)
        pos = size;
    handle->pos = static_cast<int32_t>(pos);
    return 0;
}

int32_t PakInterface::Tell(PakFileHandle* handle)
{
    if (!handle->record)
        return static_cast<int32_t>(std::ftell(handle->fp));
    return handle->pos;
}

size_t PakInterface::Read(void* buffer, size_t size, size_t count, PakFileHandle* handle)
{
    if (!handle->record)
        return std::fread(buffer, size, count, handle->fp);
    if (size == 0)
        return 0;
    size_t wanted;
    if (__builtin_mul_overflow(size, count, &wanted))
        wanted = SIZE_MAX;
    const PakRecord* r = handle->record;
    size_t n = std::min(wanted, static_cast<size_t>(r->size - handle->pos));
    Descramble(static_cast<uint8_t*>(buffer), r->collection->data, static_cast<uint64_t>(r->start) + handle->pos, n);
    handle->pos += static_cast<int32_t>(n);
    return n / size;
}

int PakInterface::GetChar(PakFileHandle* handle)
{
    if (!handle->record)
        return std::fgetc(handle->fp);
    while (handle->pos < handle->record->size) {
        int c = EntryByte(handle);
        ++handle->pos;
        if (c != '\r')
            return c;
    }
    return -1;
}

int PakInterface::UngetChar(int c, PakFileHandle* handle)
{
    if (!handle->record)
        return std::ungetc(c, handle->fp);
    handle->pos = std::max(handle->pos - 1, 0);
    return c;
}

wchar_t* PakInterface::GetLineWide(wchar_t* buffer, int, PakFileHandle*)
{
    return buffer;
}

char* PakInterface::GetLine(char* buffer, int count, PakFileHandle* handle)
{
    // No room even for the terminator: nothing is written.
    if (count <= 0)
        return nullptr;
    if (!handle->record)
        return std::fgets(buffer, count, handle->fp);
    int stored = 0;
    bool atEnd = false;
    while (stored < count - 1) {
        int c = GetChar(handle);
        if (c < 0) {
            atEnd = true;
            break;
        }
        buffer[stored++] = static_cast<char>(c);
        if (c == '\n')
            break;
    }
    buffer[stored] = 0;
    return atEnd && stored == 0 ? nullptr : buffer;
}

int PakInterface::AtEof(PakFileHandle* handle)
{
    if (!handle->record)
        return std::feof(handle->fp);
    return handle->pos >= handle->record->size;
}

bool PakInterface::FindInArchives(PakFindData* find, WIN32_FIND_DATAA* data)
{
    const std::string& pattern = find->pattern;
    size_t star = pattern.find('*');
    if (star == std::string::npos)
        return false;
    const std::string prefix = pattern.substr(0, star);
    const std::string suffix = pattern.substr(star + 1);
    const bool anyEnding = suffix.empty() || suffix == ".*";

    auto it = mRecords.begin();
    if (!find->lastFound.empty()) {
        it = mRecords.find(find->lastFound);
        if (it == mRecords.end())
            return false;
        ++it;
    }
    for (; it != mRecords.end(); ++it) {
        const std::string& key = it->first;
        if (key.compare(0, prefix.size(), prefix) != 0)
            continue;
        if (key.size() < suffix.size())
            continue;
        const std::string ending = key.substr(key.size() - suffix.size());
        if (!anyEnding && ending != suffix)
            continue;

        const PakRecord& r = it->second;
        data->dwFileAttributes = ending.find('\\') != std::string::npos ? FILE_ATTRIBUTE_DIRECTORY : 0;
        data->ftCreationTime = data->ftLastAccessTime = data->ftLastWriteTime = r.fileTime;
        data->nFileSizeLow = static_cast<DWORD>(r.size);
        size_t cut = r.fileName.rfind('\\');
        std::string shortName = cut == std::string::npos ? r.fileName : r.fileName.substr(cut + 1);
        std::memset(data->cFileName, 0, sizeof data->cFileName);
        shortName.copy(data->cFileName, sizeof data->cFileName - 1);
        find->lastFound = key;
        return true;
    }
    return false;
}

HANDLE PakInterface::FindFirst(const std::string& pattern, WIN32_FIND_DATAA* data)
{
    auto* find = new PakFindData;
    find->pattern = FixFileName(pattern);
    if (FindInArchives(find, data))
        return find;
    find->osHandle = ::FindFirstFileA(find->pattern.c_str(), data);
    if (find->osHandle != INVALID_HANDLE_VALUE)
        return find;
    delete find;
    return INVALID_HANDLE_VALUE;
}

BOOL PakInterface::FindNext(HANDLE handle, WIN32_FIND_DATAA* data)
{
    if (!handle || handle == INVALID_HANDLE_VALUE)
        return FALSE;
    auto* find = static_cast<PakFindData*>(handle);
    if (find->osHandle != INVALID_HANDLE_VALUE)
        return ::FindNextFileA(find->osHandle, data);
    if (FindInArchives(find, data))
        return TRUE;
    find->osHandle = ::FindFirstFileA(find->pattern.c_str(), data);
    return find->osHandle != INVALID_HANDLE_VALUE;
}

bool PakInterface::FindClose(HANDLE handle)
{
    if (!handle || handle == INVALID_HANDLE_VALUE)
        return false;
    auto* find = static_cast<PakFindData*>(handle);
    if (find->osHandle != INVALID_HANDLE_VALUE)
        ::FindClose(find->osHandle);
    delete find;
    return true;
}

PakFileHandle* PakFileOpen(const char* name, const char* mode)
{
    if (!name || !mode)
        return nullptr;
    if (PakInterfaceBase* pak = GetActivePakInterface())
        return pak->Open(name, mode);
    return DiskOpen(name, mode);
}

int PakFileClose(PakFileHandle* handle)
{
    if (!handle)
        return EOF;
    if (PakInterfaceBase* pak = GetActivePakInterface())
        return pak->Close(handle);
    return DiskClose(handle);
}

// Without an active instance every handle is a disk file: plain stdio.
int PakFileSeek(PakFileHandle* handle, int32_t offset, int origin)
{
    if (!handle)
        return -1;
    if (PakInterfaceBase* pak = GetActivePakInterface())
        return pak->Seek(handle, offset, origin);
    return std::fseek(handle->fp, offset, origin);
}

int32_t PakFileTell(PakFileHandle* handle)
{
    if (!handle)
        return -1;
    if (PakInterfaceBase* pak = GetActivePakInterface())
        return pak->Tell(handle);
    return static_cast<int32_t>(std::ftell(handle->fp));
}

size_t PakFileRead(void* buffer, size_t size, size_t count, PakFileHandle* handle)
{
    if (!handle)
        return 0;
    if (PakInterfaceBase* pak = GetActivePakInterface())
        return pak->Read(buffer, size, count, handle);
    return std::fread(buffer, size, count, handle->fp);
}

int PakFileGetc(PakFileHandle* handle)
{
    if (!handle)
        return EOF;
    if (PakInterfaceBase* pak = GetActivePakInterface())
        return pak->GetChar(handle);
    return std::fgetc(handle->fp);
}

int PakFileUngetc(int c, PakFileHandle* handle)
{
    if (!handle)
        return EOF;
    if (PakInterfaceBase* pak = GetActivePakInterface())
        return pak->UngetChar(c, handle);
    return std::ungetc(c, handle->fp);
}

int PakFileEof(PakFileHandle* handle)
{
    if (!handle)
        return 1;
    if (PakInterfaceBase* pak = GetActivePakInterface())
        return pak->AtEof(handle);
    return std::feof(handle->fp);
}

size_t PakFileWrite(const void* buffer, size_t size, size_t count, PakFileHandle* handle)
{
    if (!handle || !handle->fp)
        return 0;
    return std::fwrite(buffer, size, count, handle->fp);
}
