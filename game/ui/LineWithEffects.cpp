#include "game/ui/LineWithEffects.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "game/ui/UiEffects.h"

LineWithEffects::LineWithEffects(Kivo::Image* image, int x, int y) : mImage(image)
{
    Resize(x, y, image ? image->mWidth : 0, image ? image->mHeight : 0);
    mMouseVisible = false;
    mClip = false;
    if (UiEffectsFactory* effects = GetUiEffects())
        mEmitter.reset(effects->NewEmitter("total_score_line"));
}

LineWithEffects::~LineWithEffects() = default;

void LineWithEffects::Show(bool show, bool animate)
{
    mLength.SetTarget(show ? 1.0f : 0.0f);
    if (!animate) {
        if (mEmitter)
            mEmitter->Stop(true);
        mLength.mCurrent = mLength.mTarget;
    } else if (mEmitter) {
        mEmitter->Start();
    }
}

void LineWithEffects::UpdateF(float fraction)
{
    mLength.Update(fraction);
    if (!mEmitter)
        return;
    mEmitter->UpdateF(fraction);
    mEmitter->SetPosition((mImage ? mImage->mWidth : 0) * mLength.mCurrent, mHeight / 2.0f);
    if (!mLength.IsMoving())
        mEmitter->Stop(false);
}

void LineWithEffects::Draw(Kivo::Graphics* g)
{
    if (mLength.mCurrent == 0)
        return;
    if (mImage)
        g->DrawImageSrc(mImage, 0, 0,
                        Kivo::Rect(0, 0, static_cast<int>(mImage->mWidth * mLength.mCurrent), mImage->mHeight));
    if (mEmitter)
        mEmitter->Draw(g);
}
