#pragma once
// Particle files read from memory, for the tests, fuzz targets and
// benchmarks of the particle library.
#include "platform/pyro/PyroParticles.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace testsupport {

// Reads a copy of the bytes; seeks (as fseek) outside them fail. Empty, it
// is a file with nothing in it.
class PyroMemoryReader : public PyroParticles::IPyroFileIO {
public:
    explicit PyroMemoryReader(std::vector<uint8_t> bytes = {}) : mBytes(std::move(bytes)) {}
    PyroMemoryReader(const uint8_t* data, size_t size) : mBytes(data, data + size) {}

    size_t Read(void* buffer, size_t size) override
    {
        size = std::min(size, mBytes.size() - mPos);
        if (size)
            std::memcpy(buffer, mBytes.data() + mPos, size);
        mPos += size;
        return size;
    }
    size_t Write(const void*, size_t) override { return 0; }
    int Seek(long offset, int origin) override
    {
        const long base = origin == SEEK_END ? long(mBytes.size()) : origin == SEEK_CUR ? long(mPos) : 0;
        if (base + offset < 0 || base + offset > long(mBytes.size()))
            return -1;
        mPos = size_t(base + offset);
        return 0;
    }
    long Tell() override { return long(mPos); }

private:
    std::vector<uint8_t> mBytes;
    size_t mPos = 0;
};

} // namespace testsupport
