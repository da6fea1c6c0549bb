#pragma once
// The particle library's reader over one file of the pak layer, opened "rb"
// at construction and closed with the reader.
#include "platform/pyro/PyroParticles.h"

#include <string>

struct PakFileHandle;

class PyroFileIO : public PyroParticles::IPyroFileIO {
public:
    explicit PyroFileIO(const std::string& path);
    ~PyroFileIO() override;
    PyroFileIO(const PyroFileIO&) = delete;
    PyroFileIO& operator=(const PyroFileIO&) = delete;

    bool IsOpen() const { return mFile != nullptr; }

    size_t Read(void* buffer, size_t size) override;
    size_t Write(const void* buffer, size_t size) override;
    int Seek(long offset, int origin) override;
    long Tell() override;

private:
    PakFileHandle* mFile = nullptr;
};
