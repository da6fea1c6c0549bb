// Particle files: any bytes read through the particle library; a file that
// loads has every emitter created, run for a few steps while emitting and
// after, and drawn through a device that checks every quad it is given.
#include "platform/pyro/PyroParticles.h"
#include "tests/support/PyroMemory.h"

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

struct Texture : ITexture {};

struct CheckingDevice : IDevice {
    int SetRenderState(uint32_t, uint32_t) override { return 0; }
    int CreateVertexBuffer(IVertexBuffer** out, uint32_t count, uint32_t stride, uint32_t, uint32_t) override
    {
        *out = new MemoryVertexBuffer(count, stride);
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
    testsupport::PyroMemoryReader reader(data, size);
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
