#include "game/effects/LayerImage.h"

#include "game/effects/LayerXml.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/resources/ResourceHelpers.h"

#include <algorithm>
#include <tinyxml.h>

void LayerImage::Draw(Kivo::Graphics* g, int x, int y)
{
    if (!mVisible)
        return;
    x += mX;
    y += mY;
    const bool pushed = mDrawMode != 0;
    if (pushed) {
        g->PushState();
        if (mDrawMode == 1)
            g->SetDrawMode(Kivo::DRAWMODE_ADDITIVE);
    }
    if (mImage) {
        if (mAnimated && mSmoothAnimation && !mFadingCels.empty()) {
            g->PushState();
            for (const FadingCel& fading : mFadingCels) {
                g->SetColorRGBA(255, 255, 255, 255);
                g->SetAlphaScale(fading.mAlpha);
                g->SetColorizeImages(true);
                g->DrawImageCel(mImage, x, y, fading.mCel);
            }
            g->PopState();
        }
        g->DrawImageCel(mImage, x, y, mAnimated ? mImage->GetAnimCel(mAnimTime) : 0);
    }
    if (pushed)
        g->PopState();
    if (mDebug)
        g->DrawRect(x, y, GetWidth(), GetHeight());
}

void LayerImage::DrawForced(Kivo::Graphics* g, int x, int y)
{
    const bool visible = mVisible;
    mVisible = true;
    Draw(g, x - mX, y - mY);
    mVisible = visible;
}

void LayerImage::Tick()
{
    if (mAnimated && mSmoothAnimation && mImage) {
        const int cel = mImage->GetAnimCel(mAnimTime);
        if (cel != mImage->GetAnimCel(mAnimTime + 1))
            mFadingCels.push_back({cel, 1.0f});
    }
    ++mAnimTime;
}

void LayerImage::Update(float dt)
{
    if (!mAnimated || !mSmoothAnimation)
        return;
    for (FadingCel& fading : mFadingCels)
        fading.mAlpha -= mSmoothAnimationSpeed * dt;
    std::erase_if(mFadingCels, [](const FadingCel& f) { return !(f.mAlpha > 0); });
}

int LayerImage::GetWidth() { return mImage ? mImage->GetCelWidth() : 0; }

int LayerImage::GetHeight() { return mImage ? mImage->GetCelHeight() : 0; }

bool LayerImage::Load(TiXmlElement* element)
{
    if (!element)
        return false;
    ReadLayerPlacement(element, this);
    mVisible = true;
    mImage = GetImageById(LayerAttribute(element, "id"));
    if (!mImage)
        return false;
    mAnimated = mImage->mAnimInfo != nullptr;
    mDrawMode = LowerLayerAttribute(element, "drawmode") == "additive" ? 1 : 0;
    const std::string smooth = LowerLayerAttribute(element, "smoothAnimation");
    mSmoothAnimation = smooth == "1" || smooth == "true" || smooth == "yes";
    element->QueryFloatAttribute("smoothAnimationSpeed", &mSmoothAnimationSpeed);
    mDebug = element->Attribute("debug") != nullptr;
    return true;
}
