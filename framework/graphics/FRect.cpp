#include "framework/graphics/FRect.h"

#include <algorithm>

namespace Kivo {

FRect FRect::Intersection(const FRect& a, const FRect& b)
{
    const double x = std::max(a.mX, b.mX);
    const double y = std::max(a.mY, b.mY);
    const double w = std::min(a.mX + a.mWidth, b.mX + b.mWidth) - x;
    const double h = std::min(a.mY + a.mHeight, b.mY + b.mHeight) - y;
    if (w < 0 || h < 0)
        return FRect();
    return FRect(x, y, w, h);
}

} // namespace Kivo
