#include "framework/graphics/Rect.h"

#include <algorithm>

namespace Kivo {

Rect Rect::Intersection(const Rect& other) const
{
    int x = std::max(mX, other.mX);
    int w = std::min(mX + mWidth, other.mX + other.mWidth) - x;
    int y = std::max(mY, other.mY);
    int h = std::min(mY + mHeight, other.mY + other.mHeight) - y;
    if (w < 0 || h < 0)
        return Rect();
    return Rect(x, y, w, h);
}

} // namespace Kivo
