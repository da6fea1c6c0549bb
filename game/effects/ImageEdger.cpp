#include "game/effects/ImageEdger.h"

#include "framework/core/FastMath.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"

#include <cstdlib>

ImageEdger::ImageEdger(Kivo::Image* image) : mImage(dynamic_cast<Kivo::MemoryImage*>(image))
{
    if (!mImage)
        return;
    mCenterX = mImage->GetCelWidth() / 2;
    mCenterY = mImage->GetCelHeight() / 2;
    mRadius = Kivo::IntSqrt(mCenterX * mCenterX + mCenterY * mCenterY);
}

bool ImageEdger::isDark(int x, int y) const
{
    if (!mImage)
        return true;
    const Kivo::Rect cel = mImage->GetCelRect(mCel);
    if (x < cel.mX || y < cel.mY || x >= cel.mX + cel.mWidth || y >= cel.mY + cel.mHeight)
        return true;
    if (x >= mImage->GetWidth() || y >= mImage->GetHeight())
        return true;
    const uint32_t* bits = mImage->GetBits();
    if (!bits)
        return false;
    const uint32_t pixel = bits[y * mImage->GetWidth() + x];
    return ((pixel >> 16) & 0xFF) + ((pixel >> 8) & 0xFF) + (pixel & 0xFF) < 10;
}

bool ImageEdger::castRay(float angle, float& x, float& y) const
{
    x = static_cast<float>(mCenterX);
    y = static_cast<float>(mCenterY);
    if (!mImage)
        return false;
    const Kivo::Rect cel = mImage->GetCelRect(mCel);
    int px = cel.mX + mCenterX;
    int py = cel.mY + mCenterY;
    const int endX = px + static_cast<int>(Kivo::FastSin(angle) * static_cast<float>(mRadius));
    const int endY = py + static_cast<int>(Kivo::FastCos(angle) * static_cast<float>(mRadius));
    const int dx = std::abs(endX - px);
    const int dy = -std::abs(endY - py);
    const int sx = px < endX ? 1 : -1;
    const int sy = py < endY ? 1 : -1;
    int error = dx + dy;
    for (;;) {
        if (isDark(px, py)) {
            x = static_cast<float>(px - cel.mX);
            y = static_cast<float>(py - cel.mY);
            return true;
        }
        if (px == endX && py == endY)
            return false;
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            px += sx;
        }
        if (twice <= dx) {
            error += dx;
            py += sy;
        }
    }
}

void ImageEdger::draw(Kivo::Graphics* g, int x, int y)
{
    if (!mImage)
        return;
    g->PushState();
    g->Translate(x, y);
    g->DrawImageCel(mImage, 0, 0, mCel);
    g->FillRect(mCenterX - 2, mCenterY - 2, 4, 4);
    const float step = 0.5f / static_cast<float>(mRadius);
    for (float a = 0; a < 6.283185f; a += step) {
        float hx, hy;
        if (castRay(a, hx, hy))
            g->FillRect(static_cast<int>(hx), static_cast<int>(hy), 1, 1);
    }
    g->PopState();
}
