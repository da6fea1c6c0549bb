#include "framework/core/Vec2f.h"

#include "framework/core/FastMath.h"

#include <cmath>

namespace Kivo {

void Vec2f::Rotate(float angle)
{
    auto c = static_cast<float>(std::cos(static_cast<double>(angle)));
    auto s = static_cast<float>(std::sin(static_cast<double>(angle)));
    float nx = c * x - s * y;
    float ny = c * y + s * x;
    x = nx;
    y = ny;
}

void Vec2f::Perp()
{
    float nx = -y;
    y = x;
    x = nx;
}

float Vec2f::Angle() const
{
    return std::atan2(y, x);
}

float Vec2f::Angle(const Vec2f& other) const
{
    float a = FastInvSqrt(x * x + y * y);
    float b = FastInvSqrt(other.x * other.x + other.y * other.y);
    return std::acos((x * a) * (other.x * b) + (y * a) * (other.y * b));
}

} // namespace Kivo
