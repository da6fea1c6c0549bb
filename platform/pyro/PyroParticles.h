#pragma once
// The particle library's interfaces: the library reads particle files through
// a reader the program supplies, creates emitter instances by name and draws
// them through a graphics device the program supplies (vertex buffers,
// textures, bitmaps and textured quads). The program's side implements the
// reader and the device; the library implements the rest (ParticleLib.cpp).
//
// Slot numbers in the comments are the operations' places in each object's
// table of operations, for tracing calls between the two sides.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace PyroParticles {

// Thrown by the library when a file cannot be read or is not valid.
class PyroException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Byte access to one open file.
class IPyroFileIO {
public:
    virtual ~IPyroFileIO() = default;
    // Each returns what the underlying file layer returns: the number of
    // bytes (Read, Write), 0 on success (Seek), the position (Tell).
    virtual size_t Read(void* buffer, size_t size) = 0;
    virtual size_t Write(const void* buffer, size_t size) = 0;
    virtual int Seek(long offset, int origin) = 0; // origins as fseek
    virtual long Tell() = 0;
};

namespace PyroGraphics {

// The render state the library sets before each layer: kRenderStateBlend
// with 0 (normal), 1 (additive blending) or 5 (plain add).
constexpr uint32_t kRenderStateBlend = 4;
constexpr uint32_t kBlendNormal = 0;
constexpr uint32_t kBlendAdditive = 1;
constexpr uint32_t kBlendAdd = 5;

// The library's vertex: x @0, y @4, z and rhw @8..15 (unused), colour
// 0xAARRGGBB @16, u @20, v @24. The stride is given at creation (>= 28).
struct Vertex {
    float x, y, z, rhw;
    uint32_t color;
    float u, v;
};
static_assert(sizeof(Vertex) == 28);

class IVertexBuffer {
public:
    virtual ~IVertexBuffer() = default;
    virtual int Op0() { return 0; }                                   // 0
    virtual int Op1() { return 0; }                                   // 1
    virtual int Lock() = 0;                                           // 2
    virtual int Unlock() = 0;                                         // 3
    virtual void* GetBuffer() = 0;                                    // 4
    // Capacity in bytes (the memory GetBuffer gives).
    virtual size_t GetSize() const = 0;
    virtual uint32_t GetStride() const = 0;
};

// A vertex buffer in plain memory, count × stride bytes; locking does
// nothing.
class MemoryVertexBuffer : public IVertexBuffer {
public:
    MemoryVertexBuffer() = default;
    MemoryVertexBuffer(uint32_t count, uint32_t stride) : mMemory(size_t(count) * stride), mStride(stride) {}

    int Lock() override { return 0; }
    int Unlock() override { return 0; }
    void* GetBuffer() override { return mMemory.data(); }
    size_t GetSize() const override { return mMemory.size(); }
    uint32_t GetStride() const override { return mStride; }

    std::vector<uint8_t> mMemory;
    uint32_t mStride = 0;
};

class IVertexBuffer2 {
public:
    virtual ~IVertexBuffer2() = default;
    virtual int Op0() { return 0; }                                   // 0
    virtual int Op1() { return 0; }                                   // 1
    // Copies size bytes to the buffer at offset; non-zero when the range
    // does not fit (nothing is copied then).
    virtual int SetData(const void* data, uint32_t offset, uint32_t size) = 0; // 2
    virtual IVertexBuffer* GetVertexBuffer() = 0;
};

class ITexture {
public:
    virtual ~ITexture() = default;
    virtual int Op0() { return 0; } // 0
    virtual int Op1() { return 0; } // 1
};

// 32-bit pixels in R, G, B, A byte order, rows top to bottom; the pixels
// stay the library's.
class CBitmap {
public:
    CBitmap(const uint8_t* pixels, uint32_t width, uint32_t height, uint32_t fourth)
        : mPixels(pixels), mWidth(width), mHeight(height), mFourth(fourth)
    {
    }
    virtual ~CBitmap() = default;
    const uint8_t* mPixels;
    uint32_t mWidth;
    uint32_t mHeight;
    uint32_t mFourth;
};

class IDevice {
public:
    virtual ~IDevice() = default;                                                             // 12
    virtual int Op0() { return 0; }                                                           // 0
    virtual int SetRenderState(uint32_t state, uint32_t value) = 0;                           // 1
    // count vertices of `stride` bytes; `usage` and `pool` are kept.
    virtual int CreateVertexBuffer(IVertexBuffer** out, uint32_t count, uint32_t stride, uint32_t usage,
                                   uint32_t pool) = 0;                                        // 2
    virtual int CreateVertexBuffer2(IVertexBuffer2** out, uint32_t count, uint32_t stride, uint32_t usage,
                                    uint32_t pool) = 0;                                       // 3
    virtual int Op4() { return -1; }                                                          // 4
    virtual int CreateTexture(ITexture** out, CBitmap* bitmap, uint32_t flags) = 0;           // 5
    virtual int CreateBitmap(CBitmap** out, const uint8_t* pixels, uint32_t width, uint32_t height,
                             uint32_t fourth) = 0;                                            // 6
    virtual int Op7() { return 0; }                                                           // 7
    virtual int SetTexture(uint32_t stage, ITexture* texture) = 0;                            // 8
    // `quads` quads of four vertices from vertex `first`: TL, TR, BR, BL.
    virtual int DrawPrimitive(IVertexBuffer* buffer, uint32_t first, uint32_t quads, uint32_t kind) = 0; // 9
    virtual int DrawPrimitive2(IVertexBuffer2* buffer, uint32_t first, uint32_t quads, uint32_t kind) = 0; // 10
    virtual void Op11() {}                                                                    // 11
};

} // namespace PyroGraphics

// One running emitter.
class IPyroParticleEmitter {
public:
    virtual ~IPyroParticleEmitter() = default;
    virtual void Kill() = 0;                 // 0: drops every live particle
    virtual void Render() = 0;               // 2: draws through the library's device
    // 3: moves to (x, y) and advances the clock to `time`; new particles
    // only while `emitting`. Times are in the caller's clock units.
    virtual void Move(float time, float step, float x, float y, float z, bool emitting) = 0;
    virtual void Prepare(float time, float step) = 0; // 5: before every Move
    virtual int HasParticles() const = 0;    // 16: non-zero while particles live
    virtual void Release(int) = 0;           // 28: deletes the instance
};

// An emitter definition of a file.
class IPyroParticleEmitterDef {
public:
    virtual ~IPyroParticleEmitterDef() = default;
    virtual uintptr_t Handle() const = 0; // 7: names the definition to its file
};

// A loaded particle file.
class IPyroFile {
public:
    virtual ~IPyroFile() = default;
    virtual int CreateTextures() = 0;  // 0: right after loading
    virtual void DestroyTextures() = 0; // 1: at shutdown
    virtual IPyroParticleEmitter* CreateInstance(uintptr_t handle) = 0; // 2: null for a foreign handle
    virtual IPyroParticleEmitterDef* FindEmitter(const char* name) = 0; // 4: null when unknown
};

class IPyroParticleLibrary {
public:
    virtual ~IPyroParticleLibrary() = default;
    // 0: reads a whole file through the reader; throws PyroException (or
    // std::bad_alloc) when it cannot. The caller owns the file.
    virtual IPyroFile* LoadFile(IPyroFileIO* reader) = 0;
    virtual void SetDevice(PyroGraphics::IDevice* device) = 0; // 2
};

constexpr uint32_t kPyroLibraryVersion = 0x1010A;

// Null for any version but kPyroLibraryVersion.
IPyroParticleLibrary* CreateParticleLibrary(uint32_t version);
void DestroyParticleLibrary(IPyroParticleLibrary* library);

} // namespace PyroParticles
