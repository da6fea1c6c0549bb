#include "framework/graphics/ImageReader.h"

#include "framework/core/PakFile.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/ImageLib.h"

#include <algorithm>
#include <cstring>

namespace ImageLib {

size_t MemoryReader::Read(void* buffer, size_t size)
{
    const size_t n = std::min(size, mSize - mPos);
    if (n)
        std::memcpy(buffer, mData + mPos, n);
    mPos += n;
    return n;
}

bool MemoryReader::Seek(int64_t offset)
{
    if (offset < 0 || static_cast<uint64_t>(offset) > mSize)
        return false;
    mPos = static_cast<size_t>(offset);
    return true;
}

PakReader::PakReader(PakFileHandle* file) : mFile(file)
{
    const int32_t start = PakFileTell(file);
    if (PakFileSeek(file, 0, SEEK_END) == 0)
        mSize = std::max<int32_t>(PakFileTell(file), 0);
    PakFileSeek(file, start, SEEK_SET);
}

size_t PakReader::Read(void* buffer, size_t size) { return PakFileRead(buffer, 1, size, mFile); }

bool PakReader::Seek(int64_t offset)
{
    if (offset < 0 || offset > mSize)
        return false;
    return PakFileSeek(mFile, static_cast<int32_t>(offset), SEEK_SET) == 0;
}

int64_t PakReader::Tell() { return PakFileTell(mFile); }

Image* NewImage(int64_t width, int64_t height, bool zeroed)
{
    if (width <= 0 || height <= 0 || !Kivo::ImageSizeOk(width, height))
        return nullptr;
    auto* image = new Image;
    image->mWidth = static_cast<int32_t>(width);
    image->mHeight = static_cast<int32_t>(height);
    // One word beyond the pixels, so a memory image can take the buffer
    // over and keep its guard word there.
    const size_t words = static_cast<size_t>(width * height) + 1;
    image->mBits = zeroed ? new uint32_t[words]() : new uint32_t[words];
    return image;
}

} // namespace ImageLib
