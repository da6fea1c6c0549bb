#pragma once
// The particle library's graphics device: plain-memory vertex buffers,
// textures kept as images, and quads drawn as textured triangles through
// the drawing context it is given before each drawing.
#include "platform/pyro/PyroParticles.h"

#include <memory>
#include <vector>

namespace Kivo {
class Graphics;
class Image;
class MemoryImage;
} // namespace Kivo

namespace PyroParticles {

class CVertexBuffer_Kivo : public PyroGraphics::MemoryVertexBuffer {
public:
    // The memory is count × stride bytes; creation fails (see Create) when
    // that product overflows or memory runs out.
    static CVertexBuffer_Kivo* Create(uint32_t count, uint32_t stride, uint32_t usage);

    uint32_t mUsage = 0;
};

namespace PyroGraphics {
class CVertexBuffer2Adaptor : public IVertexBuffer2 {
public:
    explicit CVertexBuffer2Adaptor(IVertexBuffer* buffer) : mBuffer(buffer) {}
    int SetData(const void* data, uint32_t offset, uint32_t size) override;
    IVertexBuffer* GetVertexBuffer() override { return mBuffer.get(); }

    std::unique_ptr<IVertexBuffer> mBuffer;
};
} // namespace PyroGraphics

class CTexture_Kivo : public PyroGraphics::ITexture {
public:
    ~CTexture_Kivo() override;
    Kivo::MemoryImage* mImage = nullptr; // owned
};

class CGraphics_Kivo : public PyroGraphics::IDevice {
public:
    int SetRenderState(uint32_t state, uint32_t value) override;
    int CreateVertexBuffer(PyroGraphics::IVertexBuffer** out, uint32_t count, uint32_t stride, uint32_t usage,
                           uint32_t pool) override;
    int CreateVertexBuffer2(PyroGraphics::IVertexBuffer2** out, uint32_t count, uint32_t stride, uint32_t usage,
                            uint32_t pool) override;
    int CreateTexture(PyroGraphics::ITexture** out, PyroGraphics::CBitmap* bitmap, uint32_t flags) override;
    int CreateBitmap(PyroGraphics::CBitmap** out, const uint8_t* pixels, uint32_t width, uint32_t height,
                     uint32_t fourth) override;
    int SetTexture(uint32_t stage, PyroGraphics::ITexture* texture) override;
    // Non-zero, drawing nothing, when the quads lie outside the buffer.
    int DrawPrimitive(PyroGraphics::IVertexBuffer* buffer, uint32_t first, uint32_t quads, uint32_t kind) override;
    int DrawPrimitive2(PyroGraphics::IVertexBuffer2* buffer, uint32_t first, uint32_t quads,
                       uint32_t kind) override;

    void SetGraphics(Kivo::Graphics* g) { mGraphics = g; }
    Kivo::Graphics* GetGraphics() const { return mGraphics; }
    int GetDrawMode() const { return mDrawMode; }

    static constexpr int kBatchQuads = 100;

    Kivo::Graphics* mGraphics = nullptr;     // not owned
    CTexture_Kivo* mTexture = nullptr;       // not owned
    int mDrawMode = 0;
};

} // namespace PyroParticles
