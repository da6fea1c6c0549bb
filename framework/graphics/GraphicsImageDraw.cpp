#include "framework/graphics/Graphics.h"

#include "framework/graphics/Transform.h"

#include <cmath>

namespace Kivo {

namespace {

int Trunc(double v) { return static_cast<int>(std::trunc(v)); }

// An integer coordinate plus the f32 translation, truncated toward zero.
int Place(float translation, int v) { return Trunc(static_cast<double>(translation) + v); }

// The source rectangle lies wholly inside the image. Negative positions and
// sizes are refused too: they would make the blits read outside the pixels.
bool Contains(const Image* image, const Rect& src)
{
    return src.mX >= 0 && src.mY >= 0 && src.mWidth >= 0 && src.mHeight >= 0 &&
           int64_t(src.mX) + src.mWidth <= image->mWidth && int64_t(src.mY) + src.mHeight <= image->mHeight;
}

Rect Whole(const Image* image) { return Rect(0, 0, image->mWidth, image->mHeight); }

// Integer ceiling division for a positive divisor.
int CeilDiv(int a, int b) { return a >= 0 ? (a + b - 1) / b : -(-a / b); }

} // namespace

Rect Graphics::ScaledDest(int X, int Y, float w, float h) const
{
    const float px = std::floor(static_cast<float>((X - mScaleOrigX) * mScaleX));
    const float py = std::floor(static_cast<float>((Y - mScaleOrigY) * mScaleY));
    return Rect(Trunc(static_cast<double>(px) + mScaleOrigX), Trunc(static_cast<double>(py) + mScaleOrigY),
                Trunc(std::ceil(static_cast<float>(w * mScaleX))), Trunc(std::ceil(static_cast<float>(h * mScaleY))));
}

void Graphics::DrawImage(Image* image, int x, int y) { DrawImageSrc(image, x, y, Whole(image)); }

void Graphics::DrawImageF(Image* image, float x, float y) { DrawImageSrcF(image, x, y, Whole(image)); }

void Graphics::DrawImageSrc(Image* image, int x, int y, const Rect& src)
{
    if (!Contains(image, src))
        return;
    const int X = Place(mTransX, x), Y = Place(mTransY, y);
    if (IsScaled()) {
        mDestImage->StretchBlt(image, ScaledDest(X, Y, src.mWidth, src.mHeight), src, mClipRect, ImageColor(),
                               mDrawMode, mFastStretch);
        return;
    }
    const Rect d = Rect(X, Y, src.mWidth, src.mHeight).Intersection(mClipRect);
    if (d.mWidth < 1 || d.mHeight < 1)
        return;
    mDestImage->Blt(image, d.mX, d.mY, Rect(src.mX + d.mX - X, src.mY + d.mY - Y, d.mWidth, d.mHeight), ImageColor(),
                    mDrawMode);
}

void Graphics::DrawImageSrcF(Image* image, float x, float y, const Rect& src)
{
    if (!Contains(image, src))
        return;
    if (IsScaled()) {
        DrawImageTransformCommon(image, Transform(), src, x + src.mWidth * 0.5f, y + src.mHeight * 0.5f, true);
        return;
    }
    mDestImage->BltF(image, x + mTransX, y + mTransY, src, mClipRect, ImageColor(), mDrawMode);
}

void Graphics::DrawImageStretch(Image* image, int x, int y, int w, int h)
{
    const int iw = image->mWidth, ih = image->mHeight;
    if (iw <= 0 || ih <= 0)
        return;
    const int X = Place(mTransX, x), Y = Place(mTransY, y);
    Rect dest(X, Y, w, h);
    if (IsScaled()) {
        dest = ScaledDest(X, Y, 0, 0);
        dest.mWidth = Trunc(std::ceil(static_cast<float>(iw * mScaleX) * w / iw));
        dest.mHeight = Trunc(std::ceil(static_cast<float>(h) / ih * ih * mScaleY));
    }
    mDestImage->StretchBlt(image, dest, Whole(image), mClipRect, ImageColor(), mDrawMode, mFastStretch);
}

void Graphics::DrawImageStretch(Image* image, const Rect& dest, const Rect& src)
{
    if (!Contains(image, src))
        return;
    const Rect d(Place(mTransX, dest.mX), Place(mTransY, dest.mY), dest.mWidth, dest.mHeight);
    mDestImage->StretchBlt(image, d, src, mClipRect, ImageColor(), mDrawMode, mFastStretch);
}

void Graphics::DrawImageMirror(Image* image, int x, int y, const Rect& src, bool mirror)
{
    if (!mirror) {
        DrawImageSrc(image, x, y, src);
        return;
    }
    if (!Contains(image, src))
        return;
    const int X = Place(mTransX, x), Y = Place(mTransY, y);
    const Rect d = Rect(X, Y, src.mWidth, src.mHeight).Intersection(mClipRect);
    if (d.mWidth < 1 || d.mHeight < 1)
        return;
    const Rect part(src.mX + src.mWidth - d.mWidth - (d.mX - X), src.mY + d.mY - Y, d.mWidth, d.mHeight);
    mDestImage->BltMirror(image, d.mX, d.mY, part, ImageColor(), mDrawMode);
}

void Graphics::DrawImageMirror(Image* image, const Rect& dest, const Rect& src, bool mirror)
{
    if (!mirror) {
        DrawImageStretch(image, dest, src);
        return;
    }
    if (!Contains(image, src))
        return;
    const Rect d(Place(mTransX, dest.mX), Place(mTransY, dest.mY), dest.mWidth, dest.mHeight);
    mDestImage->StretchBltMirror(image, d, src, mClipRect, ImageColor(), mDrawMode, mFastStretch);
}

void Graphics::DrawImageRotated(Image* image, int x, int y, double angle, const Rect* src)
{
    const Rect r = src ? *src : Whole(image);
    DrawImageRotatedF(image, static_cast<float>(x), static_cast<float>(y), angle, static_cast<float>(r.mWidth / 2),
                      static_cast<float>(r.mHeight / 2), src);
}

void Graphics::DrawImageRotated(Image* image, int x, int y, double angle, int centerX, int centerY, const Rect* src)
{
    DrawImageRotatedF(image, static_cast<float>(x), static_cast<float>(y), angle, static_cast<float>(centerX),
                      static_cast<float>(centerY), src);
}

void Graphics::DrawImageRotatedF(Image* image, float x, float y, double angle, float centerX, float centerY,
                                 const Rect* src)
{
    const Rect r = src ? *src : Whole(image);
    if (!Contains(image, r))
        return;
    mDestImage->BltRotated(image, x + mTransX, y + mTransY, r, mClipRect, ImageColor(), mDrawMode, angle, centerX,
                           centerY);
}

void Graphics::DrawImageMatrix(Image* image, const Matrix3x3& matrix, const Rect& src, float x, float y)
{
    if (!Contains(image, src))
        return;
    mDestImage->BltMatrix(image, x + mTransX, y + mTransY, matrix, mClipRect, ImageColor(), mDrawMode, src,
                          mLinearBlend);
}

void Graphics::DrawImageTransform(Image* image, const Transform& transform, float x, float y)
{
    DrawImageTransformCommon(image, transform, Whole(image), x, y, false);
}

void Graphics::DrawImageTransformF(Image* image, const Transform& transform, float x, float y)
{
    DrawImageTransformCommon(image, transform, Whole(image), x, y, true);
}

void Graphics::DrawImageTransformSrc(Image* image, const Transform& transform, const Rect& src, float x, float y)
{
    DrawImageTransformCommon(image, transform, src, x, y, false);
}

void Graphics::DrawImageTransformSrcF(Image* image, const Transform& transform, const Rect& src, float x, float y)
{
    DrawImageTransformCommon(image, transform, src, x, y, true);
}

void Graphics::DrawImageTransformCommon(Image* image, const Transform& transform, const Rect& src, float x, float y,
                                        bool subPixel)
{
    const Transform& t = transform;
    // A sub-pixel draw that is neither rotated nor scaled would come back
    // here through DrawImageSrcF on a scaled context; it takes the matrix
    // path instead.
    const bool wouldLoop = subPixel && IsScaled() && !t.mHaveRot && !t.mHaveScale;
    if (!t.mComplex && !(mIs3D && subPixel) && !wouldLoop) {
        const float w2 = src.mWidth * 0.5f, h2 = src.mHeight * 0.5f;
        if (t.mHaveRot) {
            const float cx = w2 - t.mTransX1, cy = h2 - t.mTransY1;
            const float px = t.mTransX2 + x - cx + 0.5f, py = t.mTransY2 + y - cy + 0.5f;
            if (subPixel)
                DrawImageRotatedF(image, px, py, t.mRot, cx, cy, &src);
            else
                DrawImageRotated(image, Trunc(px), Trunc(py), t.mRot, Trunc(cx), Trunc(cy), &src);
        } else if (!t.mHaveScale) {
            const float px = t.mTransX1 + x + t.mTransX2 - w2 + 0.5f, py = t.mTransY1 + y + t.mTransY2 - h2 + 0.5f;
            if (subPixel)
                DrawImageSrcF(image, px, py, src);
            else
                DrawImageSrc(image, Trunc(px), Trunc(py), src);
        } else if (t.mScaleX == -1 && t.mScaleY == 1) {
            DrawImageMirror(image, Trunc(0.5f + t.mTransX1 + x + t.mTransX2 - w2),
                            Trunc(t.mTransY1 + y + t.mTransY2 - h2 + 0.5f), src, true);
        } else {
            const float hw = t.mScaleX * w2, hh = t.mScaleY * h2;
            Rect dest(Trunc(t.mTransX2 + x - hw), Trunc(t.mTransY2 + y - hh), Trunc(hw * 2), Trunc(hh * 2));
            // A mirror (scale x of -1) gives a negative width: the same
            // rectangle from its other side, drawn mirrored.
            if (dest.mWidth < 0) {
                dest.mX += dest.mWidth;
                dest.mWidth = -dest.mWidth;
            }
            if (dest.mHeight < 0) {
                dest.mY += dest.mHeight;
                dest.mHeight = -dest.mHeight;
            }
            DrawImageMirror(image, dest, src, t.mScaleX == -1);
        }
        return;
    }
    Transform copy = t;
    if (IsScaled()) {
        // The context's scale applies about its origin in screen space.
        copy.Scale(mScaleX, mScaleY);
        const float dx = ((copy.mTransX1 + copy.mTransX2 + x + mTransX - mScaleOrigX) * mScaleX + mScaleOrigX -
                          copy.mTransX1 - copy.mTransX2) - mTransX - x;
        const float dy = ((copy.mTransY1 + copy.mTransY2 + y + mTransY - mScaleOrigY) * mScaleY + mScaleOrigY -
                          copy.mTransY1 - copy.mTransY2) - mTransY - y;
        copy.Translate(dx, dy);
    }
    DrawImageMatrix(image, copy.GetMatrix(), src, x, y);
}

void Graphics::DrawImageCel(Image* image, int x, int y, int cel)
{
    if (image->mNumCols <= 0)
        return;
    DrawImageCel(image, x, y, cel % image->mNumCols, cel / image->mNumCols);
}

void Graphics::DrawImageCel(Image* image, int x, int y, int column, int row)
{
    if (column < 0 || column >= image->mNumCols || row < 0 || row >= image->mNumRows)
        return;
    const int cw = image->mWidth / image->mNumCols, ch = image->mHeight / image->mNumRows;
    DrawImageSrc(image, x, y, Rect(column * cw, row * ch, cw, ch));
}

void Graphics::DrawImageCel(Image* image, const Rect& dest, int cel)
{
    if (image->mNumCols <= 0)
        return;
    DrawImageCel(image, dest, cel % image->mNumCols, cel / image->mNumCols);
}

void Graphics::DrawImageCel(Image* image, const Rect& dest, int column, int row)
{
    if (column < 0 || column >= image->mNumCols || row < 0 || row >= image->mNumRows)
        return;
    const int cw = image->mWidth / image->mNumCols, ch = image->mHeight / image->mNumRows;
    DrawImageStretch(image, dest, Rect(column * cw, row * ch, cw, ch));
}

void Graphics::DrawImageAnim(Image* image, int x, int y, int time) { DrawImageCel(image, x, y, image->GetAnimCel(time)); }

void Graphics::DrawImageBox(const Rect& dest, Image* image) { DrawImageBoxSrc(Whole(image), dest, image); }

void Graphics::DrawImageBoxSrc(const Rect& s, const Rect& d, Image* image)
{
    if (s.mWidth < 1 || s.mHeight < 1)
        return;
    const int cw = s.mWidth / 3, ch = s.mHeight / 3;
    const int mw = s.mWidth - 2 * cw, mh = s.mHeight - 2 * ch;
    const int nx = CeilDiv(d.mWidth - 2 * cw, mw), ny = CeilDiv(d.mHeight - 2 * ch, mh);
    const bool clip = !IsScaled();

    Graphics centre(*this);
    if (clip)
        centre.ClipRect(d.mX + cw, d.mY + ch, d.mWidth - 2 * cw, d.mHeight - 2 * ch);
    for (int i = 0; i < nx; ++i)
        for (int j = 0; j < ny; ++j)
            centre.DrawImageSrc(image, d.mX + i * mw + cw, d.mY + j * mh + ch, Rect(s.mX + cw, s.mY + ch, mw, mh));

    Graphics sides(*this);
    if (clip)
        sides.ClipRect(d.mX, d.mY + ch, d.mWidth, d.mHeight - 2 * ch);
    for (int j = 0; j < ny; ++j) {
        sides.DrawImageSrc(image, d.mX, d.mY + ch + j * mh, Rect(s.mX, s.mY + ch, cw, mh));
        sides.DrawImageSrc(image, d.mX + d.mWidth - cw, d.mY + ch + j * mh, Rect(s.mX + cw + mw, s.mY + ch, cw, mh));
    }

    Graphics ends(*this);
    if (clip)
        ends.ClipRect(d.mX + cw, d.mY, d.mWidth - 2 * cw, d.mHeight);
    for (int i = 0; i < nx; ++i) {
        ends.DrawImageSrc(image, d.mX + cw + i * mw, d.mY, Rect(s.mX + cw, s.mY, mw, ch));
        ends.DrawImageSrc(image, d.mX + cw + i * mw, d.mY + d.mHeight - ch, Rect(s.mX + cw, s.mY + ch + mh, mw, ch));
    }

    DrawImageSrc(image, d.mX, d.mY, Rect(s.mX, s.mY, cw, ch));
    DrawImageSrc(image, d.mX + d.mWidth - cw, d.mY, Rect(s.mX + cw + mw, s.mY, cw, ch));
    DrawImageSrc(image, d.mX, d.mY + d.mHeight - ch, Rect(s.mX, s.mY + ch + mh, cw, ch));
    DrawImageSrc(image, d.mX + d.mWidth - cw, d.mY + d.mHeight - ch, Rect(s.mX + cw + mw, s.mY + ch + mh, cw, ch));
}

} // namespace Kivo
