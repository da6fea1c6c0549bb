#include "framework/graphics/ActiveFontLayer.h"

#include "framework/graphics/FontData.h"
#include "framework/graphics/FontHost.h"
#include "framework/graphics/MemoryImage.h"

namespace Kivo {

namespace {

// A copy made through the font's application; without one, a memory image
// holding the same pixels.
Image* CopyOf(FontLayerDef* layer, Image* image)
{
    FontHost* app = layer && layer->mFontData ? layer->mFontData->mApp : nullptr;
    if (app)
        return app->CopyImage(image);
    auto* source = dynamic_cast<MemoryImage*>(image);
    auto* copy = new MemoryImage();
    if (source) {
        if (const uint32_t* bits = source->GetBits())
            copy->SetBits(bits, source->mWidth, source->mHeight);
        copy->CopyAttributes(source);
    }
    return copy;
}

} // namespace

ActiveFontLayer::ActiveFontLayer(const ActiveFontLayer& other)
    : mBaseFontLayer(other.mBaseFontLayer), mScaledImage(other.mScaledImage), mOwnsImage(other.mOwnsImage),
      mScaledCharImageRects(other.mScaledCharImageRects)
{
    if (mOwnsImage && mScaledImage)
        mScaledImage = CopyOf(mBaseFontLayer, mScaledImage);
}

ActiveFontLayer::~ActiveFontLayer()
{
    if (mOwnsImage)
        delete mScaledImage;
}

} // namespace Kivo
