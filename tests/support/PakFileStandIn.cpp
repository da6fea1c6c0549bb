// Disk-only versions of the pak file calls, for tests until the archive layer
// is in the tree.
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

int PakFileClose(PakFileHandle* handle)
{
    int r = std::fclose(handle->fp);
    delete handle;
    return r;
}

int PakFileSeek(PakFileHandle* handle, int32_t offset, int origin)
{
    return std::fseek(handle->fp, offset, origin);
}

int32_t PakFileTell(PakFileHandle* handle)
{
    return int32_t(std::ftell(handle->fp));
}

size_t PakFileRead(void* buffer, size_t size, size_t count, PakFileHandle* handle)
{
    return std::fread(buffer, size, count, handle->fp);
}

int PakFileGetc(PakFileHandle* handle)
{
    return std::fgetc(handle->fp);
}

int PakFileUngetc(int c, PakFileHandle* handle)
{
    return std::ungetc(c, handle->fp);
}

int PakFileEof(PakFileHandle* handle)
{
    return std::feof(handle->fp);
}

size_t PakFileWrite(const void* buffer, size_t size, size_t count, PakFileHandle* handle)
{
    return std::fwrite(buffer, size, count, handle->fp);
}
