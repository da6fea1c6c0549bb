#include "game/effects/PyroFileIO.h"

#include "framework/core/PakFile.h"

#include <climits>

PyroFileIO::PyroFileIO(const std::string& path) : mFile(PakFileOpen(path.c_str(), "rb")) {}

PyroFileIO::~PyroFileIO()
{
    if (mFile)
        PakFileClose(mFile);
}

size_t PyroFileIO::Read(void* buffer, size_t size) { return mFile ? PakFileRead(buffer, 1, size, mFile) : 0; }

size_t PyroFileIO::Write(const void* buffer, size_t size)
{
    return mFile ? PakFileWrite(buffer, 1, size, mFile) : 0;
}

int PyroFileIO::Seek(long offset, int origin)
{
    if (!mFile || offset < INT32_MIN || offset > INT32_MAX)
        return -1;
    return PakFileSeek(mFile, static_cast<int32_t>(offset), origin);
}

long PyroFileIO::Tell() { return mFile ? PakFileTell(mFile) : -1; }
