#include "framework/graphics/MemoryImageRaster.h"

#include "framework/graphics/MemoryImage.h"
#include "framework/raster/TriangleStrip.h"

namespace Kivo {

namespace {

class MemoryImageTexture final : public RasterTextureSource {
public:
    explicit MemoryImageTexture(MemoryImage* image) : mImage(image) {}
    void CommitBits() override { mImage->CommitBits(); }
    const uint32_t* GetBits() override { return mImage->GetBits(); }
    int32_t GetWidth() const override { return mImage->mWidth; }
    int32_t GetHeight() const override { return mImage->mHeight; }
    bool HasTransparency() const override { return mImage->mHasTrans; }
    bool HasAlpha() const override { return mImage->mHasAlpha; }

private:
    MemoryImage* mImage;
};

} // namespace

void DrawTriangleStrip(const StripVertex* strip, int count, MemoryImage* source, const Color& color, int drawMode,
                       const Rect& clipRect, uint32_t* bits, int pitch, int pixelFormat, bool blend,
                       bool hasVertexColors)
{
    MemoryImageTexture texture(source);
    const StripColor colour{ color.mRed, color.mGreen, color.mBlue, color.mAlpha };
    const StripRect clip{ clipRect.mX, clipRect.mY, clipRect.mWidth, clipRect.mHeight };
    DrawTriangleStrip(strip, count, source ? &texture : nullptr, &colour, drawMode, &clip,
                      reinterpret_cast<uint8_t*>(bits), static_cast<uint32_t>(pitch), pixelFormat, blend,
                      hasVertexColors);
}

} // namespace Kivo
