#include "game/effects/GfxAnimatedImage.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"

GfxAnimatedImage::GfxAnimatedImage(Kivo::Image* image, int x, int y, bool fadeOut)
    : mX(x), mY(y), mFadeOut(fadeOut)
{
    mAnimator.SetImage(image);
    if (image) {
        mAnimator.mOffsetX = static_cast<float>(-(image->GetCelWidth() / 2));
        mAnimator.mOffsetY = static_cast<float>(-(image->GetCelHeight() / 2));
    }
}

int GfxAnimatedImage::process()
{
    if (mAnimator.mFrame >= mAnimator.mFrameCount - 1)
        return -1;
    mAnimator.Update();
    return 0;
}

void GfxAnimatedImage::draw(Kivo::Graphics* g)
{
    const int count = mAnimator.mFrameCount;
    const int frame = mAnimator.mFrame;
    int alpha = 255;
    if (mFadeOut && frame > count / 2)
        alpha = static_cast<int>(static_cast<float>(count - frame) / static_cast<float>(count - count / 2) * 255);
    g->PushState();
    g->SetColorizeImages(true);
    g->SetColorRGBA(mColor.mRed, mColor.mGreen, mColor.mBlue, alpha);
    mAnimator.Draw(g, mX, mY);
    g->PopState();
}
