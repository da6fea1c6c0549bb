#pragma once
// An image's frames played once, centred on a point, optionally fading out
// over the second half.
#include "game/effects/gfxBase.h"

#include "framework/graphics/Animator.h"
#include "framework/graphics/Color.h"

namespace Kivo {
class Image;
}

class GfxAnimatedImage : public gfxBase {
public:
    GfxAnimatedImage(Kivo::Image* image, int x, int y, bool fadeOut);

    int process() override;
    void draw(Kivo::Graphics* g) override;

    Kivo::Color mColor{255, 255, 255};
    Kivo::Animator mAnimator;
    int mX;
    int mY;
    bool mFadeOut;
};
