// Particle files: any bytes read through the particle library; a file that
// loads has every emitter created, run for a few steps while emitting and
// after, and drawn through a device that checks every quad it is given.
#include "platform/pyro/PyroParticles.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace PyroParticles;
using namespace PyroParticles::PyroGraphics;

namespace {

class Reader : public IPyroFileIO {
public:
    Reader(const uint8_t* data, size_t size) : mData(data), mSize(size) {}
    size_t Read(void* buffer, size_t size) override
    {
        size = std::min(size, mSize - mPos);
        if (size)
            std::memcpy(buffer, mData + mPos, size);
        mPos += size;
        return size;
    }
    size_t Write(const void*, size_t) override { return 0; }
    int Seek(long offset, int origin) override
    {
        const long base = origin == SEEK_END ? long(mSize) : origin == SEEK_CUR ? long(mPos) : 0;
        if (base + offset < 0 || base + offset > long(mSize))
            return -1;
        mPos = size_t(base + offset);
        return 0;
    }
    long Tell() override { return long(mPos); }

private:
    const uint8_t* mData;
    size_t mSize;
    size_t mPos = 0;
};

struct Buffer : IVertexBuffer {
    Buffer(size_t bytes, uint32_t stride) : memory(bytes), stride(stride) {}
    int Lock() override { return 0; }
    int Unlock() override { return 0; }
    void* GetBuffer() override { return memory.data(); }
    size_t GetSize() const override { return memory.size(); }
    uint32_t GetStride() const override { return stride; }
    std::vector<uint8_t> memory;
    uint32_t stride;
};

struct Texture : ITexture {};

struct CheckingDevice : IDevice {
    int SetRenderState(uint32_t, uint32_t) override { return 0; }
    int CreateVertexBuffer(IVertexBuffer** out, uint32_t count, uint32_t stride, uint32_t, uint32_t) override
    {
        *out = new Buffer(size_t(count) * stride, stride);
        return 0;
    }
    int CreateVertexBuffer2(IVertexBuffer2** out, uint32_t, uint32_t, uint32_t, uint32_t) override
    {
        *out = nullptr;
        return -1;
    }
    int CreateTexture(ITexture** out, CBitmap* bitmap, uint32_t) override
    {
        // Touch every pixel the bitmap claims to have.
        unsigned sum = 0;
        for (size_t i = 0; i < size_t(bitmap->mWidth) * bitmap->mHeight * 4; ++i)
            sum += bitmap->mPixels[i];
        *out = sum == 0xFFFFFFFF ? nullptr : new Texture;
        return 0;
    }
    int CreateBitmap(CBitmap** out, const uint8_t* pixels, uint32_t w, uint32_t h, uint32_t fourth) override
    {
        *out = new CBitmap(pixels, w, h, fourth);
        return 0;
    }
    int SetTexture(uint32_t, ITexture*) override { return 0; }
    int DrawPrimitive(IVertexBuffer* buffer, uint32_t first, uint32_t quads, uint32_t) override
    {
        if ((uint64_t(first) + uint64_t(quads) * 4) * buffer->GetStride() > buffer->GetSize())
            std::abort();
        for (uint32_t i = 0; i < quads * 4; ++i) {
            Vertex v;
            std::memcpy(&v, static_cast<uint8_t*>(buffer->GetBuffer()) + size_t(first + i) * buffer->GetStride(),
                        sizeof v);
            if (!std::isfinite(v.x) || !std::isfinite(v.y))
                std::abort();
        }
        return 0;
    }
    int DrawPrimitive2(IVertexBuffer2*, uint32_t, uint32_t, uint32_t) override { return -1; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CheckingDevice device;
    std::unique_ptr<IPyroParticleLibrary> library(CreateParticleLibrary(kPyroLibraryVersion));
    library->SetDevice(&device);
    Reader reader(data, size);
    std::unique_ptr<IPyroFile> file;
    try {
        file.reset(library->LoadFile(&reader));
    } catch (const PyroException&) {
        return 0;
    }
    file->CreateTextures();
    for (uintptr_t handle = 1;; ++handle) {
        IPyroParticleEmitter* e = file->CreateInstance(handle);
        if (!e)
            break;
        float time = 0;
        for (int step = 0; step < 12; ++step) {
            time += 0.008f * float(step % 4);
            e->Prepare(time, 0.008f);
            e->Move(time, 0.008f * float(step % 4), float(step * 7), float(-step), 0, step < 8);
            if (step % 3 == 0)
                e->Render();
        }
        e->Kill();
        e->Release(1);
    }
    file->DestroyTextures();
    return 0;
}
