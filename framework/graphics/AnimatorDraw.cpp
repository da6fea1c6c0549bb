#include "framework/graphics/Animator.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/Transform.h"

namespace Kivo {

template <typename DrawCall>
void Animator::Tinted(Graphics* g, DrawCall draw)
{
    if (!mColorize) {
        draw();
        return;
    }
    g->SetDrawMode(DRAWMODE_ADDITIVE);
    g->SetColor(mColor);
    g->SetColorizeImages(true);
    draw();
    g->SetDrawMode(DRAWMODE_NORMAL);
    g->SetColorizeImages(false);
}

void Animator::DrawF(Graphics* g, float x, float y, bool subPixel)
{
    if (!mImage)
        return;
    const int cel = GetImageCel();
    Tinted(g, [&] {
        if (subPixel)
            g->DrawImageSrcF(mImage, mOffsetX + x, mOffsetY + y, mImage->GetCelRect(cel));
        else
            g->DrawImageCel(mImage, static_cast<int>(mOffsetX + x), static_cast<int>(mOffsetY + y), cel);
    });
}

void Animator::Draw(Graphics* g, int x, int y) { DrawF(g, static_cast<float>(x), static_cast<float>(y), false); }

void Animator::DrawStretched(Graphics* g, float x, float y, int w, int h)
{
    if (!mImage)
        return;
    const Rect dest(static_cast<int>(mOffsetX + x), static_cast<int>(mOffsetY + y), w, h);
    Tinted(g, [&] { g->DrawImageCel(mImage, dest, GetImageCel()); });
}

void Animator::DrawScaled(Graphics* g, float x, float y, float scale)
{
    if (!mImage)
        return;
    DrawStretched(g, x, y, static_cast<int>(mImage->GetCelWidth() * scale),
                  static_cast<int>(mImage->GetCelHeight() * scale));
}

void Animator::DrawTransformed(Graphics* g, float x, float y, float angle, float centerX, float centerY,
                               float scaleX, float scaleY)
{
    if (!mImage)
        return;
    Transform t;
    t.Rotate(angle);
    t.Scale(scaleX, scaleY);
    t.Translate(centerX, centerY);
    t.Translate(x, y);
    g->DrawImageTransformSrc(mImage, t, mImage->GetCelRect(GetImageCel()), 0, 0);
}

void Animator::DrawTransformed(Graphics* g, float x, float y, float angle, float centerX, float centerY,
                               float scale)
{
    DrawTransformed(g, x, y, angle, centerX, centerY, scale, scale);
}

void Animator::DrawRotatedF(Graphics* g, float x, float y, double angle, bool subPixel, float centerX,
                            float centerY)
{
    if (!mImage)
        return;
    const Rect cel = mImage->GetCelRect(GetImageCel());
    if (subPixel)
        g->DrawImageRotatedF(mImage, mOffsetX + x, mOffsetY + y, angle, centerX, centerY, &cel);
    else
        g->DrawImageRotated(mImage, static_cast<int>(mOffsetX + x), static_cast<int>(mOffsetY + y), angle,
                            static_cast<int>(centerX), static_cast<int>(centerY), &cel);
}

void Animator::DrawMirrored(Graphics* g, float x, float y, bool mirror)
{
    if (!mImage)
        return;
    g->DrawImageMirror(mImage, static_cast<int>(mOffsetX + x), static_cast<int>(mOffsetY + y),
                       mImage->GetCelRect(GetImageCel()), mirror);
}

void Animator::DrawMirroredInt(Graphics* g, int x, int y, bool mirror)
{
    DrawMirrored(g, static_cast<float>(x), static_cast<float>(y), mirror);
}

} // namespace Kivo
