#include "game/effects/CGraphics_Kivo.h"

#include "framework/app/KivoAppBase.h"
#include "framework/display/DDInterface.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"

#include <cstring>
#include <new>

namespace PyroParticles {

using namespace PyroGraphics;

CVertexBuffer_Kivo* CVertexBuffer_Kivo::Create(uint32_t count, uint32_t stride, uint32_t usage)
{
    size_t bytes = 0;
    if (__builtin_mul_overflow(static_cast<size_t>(count), static_cast<size_t>(stride), &bytes) ||
        bytes > (size_t(1) << 28))
        return nullptr;
    auto* buffer = new (std::nothrow) CVertexBuffer_Kivo;
    if (!buffer)
        return nullptr;
    try {
        buffer->mMemory.assign(bytes, 0);
    } catch (const std::bad_alloc&) {
        delete buffer;
        return nullptr;
    }
    buffer->mStride = stride;
    buffer->mUsage = usage;
    return buffer;
}

int CVertexBuffer2Adaptor::SetData(const void* data, uint32_t offset, uint32_t size)
{
    if (int result = mBuffer->Lock())
        return result;
    int result = 0;
    if (!data || static_cast<uint64_t>(offset) + size > mBuffer->GetSize())
        result = -1;
    else if (size)
        std::memcpy(static_cast<uint8_t*>(mBuffer->GetBuffer()) + offset, data, size);
    mBuffer->Unlock();
    return result;
}

CTexture_Kivo::~CTexture_Kivo() { delete mImage; }

int CGraphics_Kivo::SetRenderState(uint32_t state, uint32_t value)
{
    mDrawMode = 0;
    if (state == kRenderStateBlend) {
        if (value == kBlendAdditive)
            mDrawMode = 1;
        else if (value == kBlendAdd)
            mDrawMode = 2;
    }
    return 0;
}

int CGraphics_Kivo::CreateVertexBuffer(IVertexBuffer** out, uint32_t count, uint32_t stride, uint32_t usage,
                                       uint32_t)
{
    if (!out)
        return -1;
    *out = CVertexBuffer_Kivo::Create(count, stride, usage);
    return 0;
}

int CGraphics_Kivo::CreateVertexBuffer2(IVertexBuffer2** out, uint32_t count, uint32_t stride, uint32_t usage,
                                        uint32_t pool)
{
    if (!out)
        return -1;
    *out = nullptr;
    IVertexBuffer* buffer = nullptr;
    if (int result = CreateVertexBuffer(&buffer, count, stride, usage, pool))
        return result;
    if (!buffer)
        return 0;
    *out = new (std::nothrow) CVertexBuffer2Adaptor(buffer);
    if (!*out)
        delete buffer;
    return 0;
}

int CGraphics_Kivo::CreateTexture(ITexture** out, CBitmap* bitmap, uint32_t)
{
    if (!out)
        return -1;
    *out = nullptr;
    if (!bitmap || !bitmap->mPixels || !Kivo::ImageSizeOk(bitmap->mWidth, bitmap->mHeight) ||
        bitmap->mWidth == 0 || bitmap->mHeight == 0)
        return 0;
    // A surface image of the display when there is one, else a memory image;
    // both are safe to make on the loading thread (the display copy is made
    // when the image is first drawn).
    Kivo::DDInterface* display = Kivo::gKivoApp ? Kivo::gKivoApp->ddInterface : nullptr;
    std::unique_ptr<Kivo::MemoryImage> image(display ? display->NewImage() : new Kivo::MemoryImage());
    image->Create(static_cast<int>(bitmap->mWidth), static_cast<int>(bitmap->mHeight));
    uint32_t* bits = image->GetBits();
    if (!bits)
        return 0;
    const size_t count = size_t(bitmap->mWidth) * bitmap->mHeight;
    const uint8_t* p = bitmap->mPixels;
    for (size_t i = 0; i < count; ++i, p += 4) // R, G, B, A bytes to 0xAARRGGBB
        bits[i] = uint32_t(p[3]) << 24 | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    image->BitsChanged();
    image->CommitBits();
    auto* texture = new (std::nothrow) CTexture_Kivo;
    if (!texture)
        return 0;
    texture->mImage = image.release();
    *out = texture;
    return 0;
}

int CGraphics_Kivo::CreateBitmap(CBitmap** out, const uint8_t* pixels, uint32_t width, uint32_t height,
                                 uint32_t fourth)
{
    if (!out)
        return -1;
    *out = new (std::nothrow) CBitmap(pixels, width, height, fourth);
    return 0;
}

int CGraphics_Kivo::SetTexture(uint32_t, ITexture* texture)
{
    mTexture = dynamic_cast<CTexture_Kivo*>(texture);
    return 0;
}

int CGraphics_Kivo::DrawPrimitive(IVertexBuffer* buffer, uint32_t first, uint32_t quads, uint32_t)
{
    if (!buffer)
        return -1;
    const uint64_t stride = buffer->GetStride();
    const uint64_t end = (uint64_t(first) + uint64_t(quads) * 4) * stride;
    if (stride < sizeof(Vertex) || end > buffer->GetSize() || !buffer->GetBuffer())
        return -1;
    // Without a texture or a context there is nothing to draw with.
    if (!mTexture || !mTexture->mImage || !mGraphics || quads == 0)
        return 0;
    Kivo::TriVertex triangles[kBatchQuads * 2][3];
    const uint8_t* base = static_cast<const uint8_t*>(buffer->GetBuffer()) + stride * first;
    auto read = [&](uint64_t index) {
        const uint8_t* v = base + index * stride;
        Kivo::TriVertex t;
        std::memcpy(&t.x, v + 0, 4);
        std::memcpy(&t.y, v + 4, 4);
        std::memcpy(&t.color, v + 16, 4);
        std::memcpy(&t.u, v + 20, 4);
        std::memcpy(&t.v, v + 24, 4);
        return t;
    };
    int count = 0;
    for (uint32_t q = 0; q < quads; ++q) {
        const uint64_t i = uint64_t(q) * 4;
        const Kivo::TriVertex v0 = read(i), v1 = read(i + 1), v2 = read(i + 2), v3 = read(i + 3);
        Kivo::TriVertex* t = triangles[count * 2];
        t[0] = v0;
        t[1] = v1;
        t[2] = v2;
        t = triangles[count * 2 + 1];
        t[0] = v3;
        t[1] = v0;
        t[2] = v2;
        if (++count == kBatchQuads || q + 1 == quads) {
            mGraphics->SetDrawMode(mDrawMode);
            mGraphics->DrawTrianglesTex(mTexture->mImage, triangles, count * 2);
            count = 0;
        }
    }
    return 0;
}

int CGraphics_Kivo::DrawPrimitive2(IVertexBuffer2* buffer, uint32_t first, uint32_t quads, uint32_t kind)
{
    return buffer ? DrawPrimitive(buffer->GetVertexBuffer(), first, quads, kind) : -1;
}

} // namespace PyroParticles
