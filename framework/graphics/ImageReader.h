#pragma once
// The byte source an image decoder reads: an open data file or bytes in
// memory. Reads never pass the end; a short count means the data ran out.
#include <cstddef>
#include <cstdint>

struct PakFileHandle;

namespace ImageLib {

class Image;

class Reader {
public:
    virtual ~Reader() = default;
    virtual size_t Read(void* buffer, size_t size) = 0;
    // To an absolute offset; false when it lies outside the data.
    virtual bool Seek(int64_t offset) = 0;
    virtual int64_t Tell() = 0;
    virtual int64_t Size() = 0;

    int64_t Remaining() { return Size() - Tell(); }
    // Reads exactly `size` bytes, or false.
    bool ReadFully(void* buffer, size_t size) { return Read(buffer, size) == size; }
};

class MemoryReader : public Reader {
public:
    MemoryReader(const void* data, size_t size) : mData(static_cast<const uint8_t*>(data)), mSize(size) {}
    size_t Read(void* buffer, size_t size) override;
    bool Seek(int64_t offset) override;
    int64_t Tell() override { return static_cast<int64_t>(mPos); }
    int64_t Size() override { return static_cast<int64_t>(mSize); }

private:
    const uint8_t* mData;
    size_t mSize;
    size_t mPos = 0;
};

// Reads an open data file; does not close it.
class PakReader : public Reader {
public:
    explicit PakReader(PakFileHandle* file);
    size_t Read(void* buffer, size_t size) override;
    bool Seek(int64_t offset) override;
    int64_t Tell() override;
    int64_t Size() override { return mSize; }

private:
    PakFileHandle* mFile;
    int64_t mSize = 0;
};

// The decoders. Each returns null on any data it does not accept.
Image* DecodeTGA(Reader& in);
Image* DecodeGIF(Reader& in);
Image* DecodePNG(Reader& in);
Image* DecodeJPEG(Reader& in);
Image* DecodeJ2K(Reader& in);

// An image of a size the images accept, else null; zero-filled unless the
// caller writes every pixel itself. Its pixels are followed by one spare
// word (see MemoryImage::TakeBits).
Image* NewImage(int64_t width, int64_t height, bool zeroed = true);

} // namespace ImageLib
