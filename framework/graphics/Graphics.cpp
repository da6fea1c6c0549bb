#include "framework/graphics/Graphics.h"

#include "framework/graphics/GraphicsHost.h"

#include <cmath>

namespace Kivo {

namespace {

Image& EmptyImage()
{
    static Image image;
    return image;
}

// An integer coordinate plus the f32 translation, truncated toward zero
// without rounding the sum to f32 first.
int Place(float translation, int v) { return static_cast<int>(std::trunc(static_cast<double>(translation) + v)); }

// An alpha after scaling, kept in 0..255: ToInt keeps only the low byte.
int ClampAlpha(float a)
{
    if (!(a > 0))
        return 0;
    if (a > 255)
        return 255;
    return static_cast<int>(a);
}

} // namespace

Graphics::Graphics(Image* destImage)
{
    mDestImage = destImage ? destImage : &EmptyImage();
    mIs3D = destImage && GetGraphicsHost()->IsDrawSurface3D(destImage);
    ClearClipRect();
}

Graphics::Graphics(const Graphics& other) : GraphicsState() { CopyState(&other); }

Graphics* Graphics::Create() const { return new Graphics(*this); }

void Graphics::PushState() { mStateStack.push_back(*this); }

void Graphics::PopState()
{
    if (mStateStack.empty())
        return;
    CopyState(&mStateStack.back());
    mStateStack.pop_back();
}

void Graphics::SetColor(const Color& color)
{
    mColor = color;
    if (mAlphaScale != 1)
        mColor.mAlpha = ClampAlpha(std::trunc(mColor.mAlpha * mAlphaScale));
}

void Graphics::SetColorRGBA(int r, int g, int b, int a)
{
    Color c(r, g, b);
    c.mAlpha = a;
    SetColor(c);
}

void Graphics::SetAlphaScale(float scale)
{
    float a = static_cast<float>(mColor.mAlpha);
    // After a scale of 0 the alpha cannot be brought back; it stays as is.
    if (mAlphaScale != 1 && mAlphaScale != 0)
        a = std::trunc(a / mAlphaScale);
    mAlphaScale = scale;
    if (scale != 1)
        a = std::trunc(scale * a);
    mColor.mAlpha = ClampAlpha(a);
}

void Graphics::Translate(int dx, int dy)
{
    mTransX += dx;
    mTransY += dy;
}

void Graphics::TranslateF(float dx, float dy)
{
    mTransX += dx;
    mTransY += dy;
}

void Graphics::SetScale(float sx, float sy, float originX, float originY)
{
    mScaleX = sx;
    mScaleY = sy;
    mScaleOrigX = mTransX + originX;
    mScaleOrigY = mTransY + originY;
}

void Graphics::ClearClipRect() { mClipRect = Rect(0, 0, mDestImage->GetWidth(), mDestImage->GetHeight()); }

void Graphics::SetClipRect(int x, int y, int w, int h)
{
    mClipRect = Rect(Place(mTransX, x), Place(mTransY, y), w, h)
                    .Intersection(Rect(0, 0, mDestImage->GetWidth(), mDestImage->GetHeight()));
}

void Graphics::ClipRect(int x, int y, int w, int h)
{
    mClipRect = mClipRect.Intersection(Rect(Place(mTransX, x), Place(mTransY, y), w, h));
}

Rect Graphics::ScaledRect(int x, int y, int w, int h) const
{
    // Each product with the scale and each floor is an f32 step.
    auto edge = [](float t, int v, float origin, float scale) {
        const float product = static_cast<float>((static_cast<double>(t) + v - origin) * scale);
        const float floored = std::floor(product);
        return static_cast<int>(std::trunc(static_cast<double>(floored) + origin));
    };
    auto extent = [](int v, float scale) {
        const float product = static_cast<float>(static_cast<double>(v) * scale);
        return static_cast<int>(std::trunc(std::floor(product)));
    };
    return Rect(edge(mTransX, x, mScaleOrigX, mScaleX), edge(mTransY, y, mScaleOrigY, mScaleY), extent(w, mScaleX),
                extent(h, mScaleY));
}

void Graphics::FillRect(int x, int y, int w, int h)
{
    if (mColor.mAlpha == 0)
        return;
    Rect r = IsScaled() ? ScaledRect(x, y, w, h) : Rect(Place(mTransX, x), Place(mTransY, y), w, h);
    mDestImage->FillRect(r.Intersection(mClipRect), mColor, mDrawMode);
}

void Graphics::DrawRect(int x, int y, int w, int h)
{
    if (mColor.mAlpha == 0)
        return;
    Rect r;
    Rect box;
    if (IsScaled()) {
        r = ScaledRect(x, y, w, h).Intersection(mClipRect);
        box = Rect(r.mX, r.mY, static_cast<int>(std::trunc(r.mWidth + mScaleX)),
                   static_cast<int>(std::trunc(r.mHeight + mScaleY)));
    } else {
        r = Rect(Place(mTransX, x), Place(mTransY, y), w, h);
        box = Rect(r.mX, r.mY, w + 1, h + 1);
    }
    if (box == box.Intersection(mClipRect)) {
        mDestImage->DrawRect(r, mColor, mDrawMode);
        return;
    }
    FillRect(x, y, w + 1, 1);
    FillRect(x, y + h, w + 1, 1);
    FillRect(x, y + 1, 1, h - 1);
    FillRect(x + w, y + 1, 1, h - 1);
}

void Graphics::DrawLine(int x1, int y1, int x2, int y2)
{
    double fx1 = static_cast<double>(mTransX) + x1, fy1 = static_cast<double>(mTransY) + y1;
    double fx2 = static_cast<double>(mTransX) + x2, fy2 = static_cast<double>(mTransY) + y2;
    if (!ClipLine(fx1, fy1, fx2, fy2))
        return;
    mDestImage->DrawLine(fx1, fy1, fx2, fy2, mColor, mDrawMode);
}

bool Graphics::ClipLine(double& x1, double& y1, double& x2, double& y2) const
{
    const double cx = mClipRect.mX, cy = mClipRect.mY;
    const double right = cx + mClipRect.mWidth, bottom = cy + mClipRect.mHeight;
    if (x2 < x1) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    if (x1 < cx) {
        if (x2 < cx)
            return false;
        y1 += (y2 - y1) / (x2 - x1) * (cx - x1);
        x1 = cx;
    }
    if (x2 >= right) {
        if (x1 >= right)
            return false;
        y2 += (y2 - y1) / (x2 - x1) * ((right - 1) - x2);
        x2 = right - 1;
    }
    if (y2 < y1) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    if (y1 < cy) {
        if (y2 < cy)
            return false;
        x1 += (x2 - x1) / (y2 - y1) * (cy - y1);
        y1 = cy;
    }
    if (y2 >= bottom) {
        if (std::ceil(y1) >= bottom)
            return false;
        x2 += (x2 - x1) / (y2 - y1) * ((bottom - 1) - y2);
        y2 = bottom - 1;
    }
    return true;
}

void Graphics::DrawTriangleTex(Image* image, const TriVertex& v1, const TriVertex& v2, const TriVertex& v3)
{
    TriVertex copy[1][3] = { { v1, v2, v3 } };
    DrawTrianglesTex(image, copy, 1);
}

void Graphics::DrawTrianglesTex(Image* image, TriVertex (*vertices)[3], int numTriangles)
{
    if (IsScaled()) {
        for (int t = 0; t < numTriangles; ++t) {
            for (TriVertex& v : vertices[t]) {
                v.x = (v.x + mTransX - mScaleOrigX) * mScaleX + (mScaleOrigX - mTransX);
                v.y = (v.y + mTransY - mScaleOrigY) * mScaleY + (mScaleOrigY - mTransY);
            }
        }
    }
    mDestImage->BltTrianglesTex(image, vertices, numTriangles, mClipRect, mColorizeImages ? mColor : Color::White,
                                mDrawMode, mTransX, mTransY, mLinearBlend);
}

} // namespace Kivo
