// Disk-only stand-ins for the data file calls until the archive layer is
// merged; removed then.
#include "framework/core/PakFile.h"

#include "platform/Paths.h"

PakFileHandle* PakFileOpen(const char* name, const char* mode)
{
    FILE* fp = std::fopen(platform::DiskPath(name).c_str(), mode);
    if (!fp)
        return nullptr;
    auto* h = new PakFileHandle;
    h->fp = fp;
    return h;
}

int PakFileClose(PakFileHandle* h)
{
    int r = std::fclose(h->fp);
    delete h;
    return r;
}

int PakFileSeek(PakFileHandle* h, int32_t offset, int origin) { return std::fseek(h->fp, offset, origin); }
int32_t PakFileTell(PakFileHandle* h) { return static_cast<int32_t>(std::ftell(h->fp)); }
size_t PakFileRead(void* b, size_t s, size_t c, PakFileHandle* h) { return std::fread(b, s, c, h->fp); }
int PakFileGetc(PakFileHandle* h) { return std::fgetc(h->fp); }
int PakFileUngetc(int c, PakFileHandle* h) { return std::ungetc(c, h->fp); }
int PakFileEof(PakFileHandle* h) { return std::feof(h->fp); }
size_t PakFileWrite(const void* b, size_t s, size_t c, PakFileHandle* h) { return std::fwrite(b, s, c, h->fp); }
