#include "framework/graphics/Rect.h"

#include <algorithm>
#include <cstdint>

namespace Kivo {

// Edges are summed in 64 bits: a right or bottom edge may lie beyond the
// 32-bit range. The result's edges lie between the two rectangles' own, so
// every field fits again.
Rect Rect::Intersection(const Rect& other) const
{
    const int64_t x = std::max(mX, other.mX);
    const int64_t y = std::max(mY, other.mY);
    const int64_t w = std::min(int64_t(mX) + mWidth, int64_t(other.mX) + other.mWidth) - x;
    const int64_t h = std::min(int64_t(mY) + mHeight, int64_t(other.mY) + other.mHeight) - y;
    if (w < 0 || h < 0)
        return Rect();
    return Rect(static_cast<int>(x), static_cast<int>(y), static_cast<int>(w), static_cast<int>(h));
}

} // namespace Kivo
