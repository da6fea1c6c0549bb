#include "framework/graphics/BltRects.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace Kivo {

namespace {

// Floor and ceiling of a / d for d > 0.
int64_t FloorDiv(int64_t a, int64_t d) { return a >= 0 ? a / d : -((-a + d - 1) / d); }
int64_t CeilDiv(int64_t a, int64_t d) { return -FloorDiv(-a, d); }

} // namespace

bool LimitRotatedSpan(int64_t position, int64_t step, int64_t size, int64_t& start, int64_t& end)
{
    const int64_t last = (size - 1) * 65536;
    if (step == 0) {
        if (position < 0 || position > last)
            return false;
    } else if (step > 0) {
        start = std::max(start, CeilDiv(-position, step));
        end = std::min(end, FloorDiv(last - position, step));
    } else {
        start = std::max(start, CeilDiv(position - last, -step));
        end = std::min(end, FloorDiv(position, -step));
    }
    return start <= end;
}

bool GetRotatedBltBounds(float x, float y, const Rect& srcRect, const Rect& clipRect, double angle, float cx,
                         float cy, FRect& bounds)
{
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    const float corners[4][2] = { { 0, 0 },
                                  { static_cast<float>(srcRect.mWidth), 0 },
                                  { 0, static_cast<float>(srcRect.mHeight) },
                                  { static_cast<float>(srcRect.mWidth), static_cast<float>(srcRect.mHeight) } };
    // NaN corners (a NaN angle or position) fail every comparison, so the box
    // stays inverted and the blit draws nothing.
    float minX = 1e7f, minY = 1e7f, maxX = -1e7f, maxY = -1e7f;
    for (const auto& p : corners) {
        const float X = static_cast<float>((p[0] - cx) * c + (p[1] - cy) * s + cx + x);
        const float Y = static_cast<float>((p[1] - cy) * c - (p[0] - cx) * s + cy + y);
        if (X < minX)
            minX = X;
        if (X > maxX)
            maxX = X;
        if (Y < minY)
            minY = Y;
        if (Y > maxY)
            maxY = Y;
    }
    const FRect box(minX, minY, static_cast<double>(maxX) - minX, static_cast<double>(maxY) - minY);
    bounds = FRect::Intersection(box, FRect(clipRect.mX, clipRect.mY, clipRect.mWidth, clipRect.mHeight));
    return bounds.mWidth > 0 && bounds.mHeight > 0;
}

namespace {

bool StretchRects(const Rect& srcRect, const Rect& clipRect, const Rect& destRect, bool mirror, Rect& clippedDest,
                  FRect& clippedSrc)
{
    clippedDest = destRect.Intersection(clipRect);
    // An empty destination would leave the stretch steps dividing by zero.
    if (clippedDest.mWidth <= 0 || clippedDest.mHeight <= 0)
        return false;
    const double sx = static_cast<double>(srcRect.mWidth) / destRect.mWidth;
    const double sy = static_cast<double>(srcRect.mHeight) / destRect.mHeight;
    if (mirror)
        clippedSrc.mX = (static_cast<double>(destRect.mX) - clippedDest.mX - clippedDest.mWidth + destRect.mWidth) *
                            sx +
                        srcRect.mX;
    else
        clippedSrc.mX = (static_cast<double>(clippedDest.mX) - destRect.mX) * sx + srcRect.mX;
    clippedSrc.mY = (static_cast<double>(clippedDest.mY) - destRect.mY) * sy + srcRect.mY;
    clippedSrc.mWidth = srcRect.mWidth + sx * (static_cast<double>(clippedDest.mWidth) - destRect.mWidth);
    clippedSrc.mHeight = srcRect.mHeight + sy * (static_cast<double>(clippedDest.mHeight) - destRect.mHeight);
    return clippedSrc.mWidth > 0 && clippedSrc.mHeight > 0;
}

} // namespace

bool GetStretchBltRects(const Rect& srcRect, const Rect& clipRect, const Rect& destRect, Rect& clippedDest,
                        FRect& clippedSrc)
{
    return StretchRects(srcRect, clipRect, destRect, false, clippedDest, clippedSrc);
}

bool GetStretchBltMirrorRects(const Rect& srcRect, const Rect& clipRect, const Rect& destRect, Rect& clippedDest,
                              FRect& clippedSrc)
{
    return StretchRects(srcRect, clipRect, destRect, true, clippedDest, clippedSrc);
}

} // namespace Kivo
