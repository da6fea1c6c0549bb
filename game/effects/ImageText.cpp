#include "game/effects/ImageText.h"

#include "framework/graphics/FontData.h"
#include "framework/graphics/FontLayerDef.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/ImageFont.h"

ImageText::ImageText(const std::string& text, Kivo::Font* font, int param1, int param2)
    : mFont(dynamic_cast<Kivo::ImageFont*>(font)), mText(text), mParam1(param1), mParam2(param2)
{
    if (!mFont)
        return;
    mHeight = mFont->GetHeight();
    Kivo::FontData* data = mFont->mFontData;
    if (!data || data->mFontLayerList.empty())
        return;
    const Kivo::FontLayerDef& layer = data->mFontLayerList.front();
    mImage = layer.mImage;
    mGlyphs.reserve(text.size());
    for (char c : text) {
        const uint8_t index = data->mCharMap[static_cast<unsigned char>(c)];
        const Kivo::Rect& r = layer.mCharData[index].mImageRect;
        mGlyphs.push_back({r.mX, r.mY, r.mWidth, r.mHeight, index});
        mWidth += mFont->CharWidth(c);
    }
}

void ImageText::DrawGlyph(Kivo::Graphics* g, int index, const Kivo::Transform& transform)
{
    if (index < 0 || static_cast<size_t>(index) >= mGlyphs.size() || !mImage)
        return;
    const Glyph& glyph = mGlyphs[static_cast<size_t>(index)];
    g->DrawImageTransformSrcF(mImage, transform, Kivo::Rect(glyph.mX, glyph.mY, glyph.mWidth, glyph.mHeight), 0, 0);
}
