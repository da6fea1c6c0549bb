#include "framework/graphics/BezierCurve.h"

#include <cmath>

namespace Kivo {

BezierCurve* BezierCurve::Clone() const { return new BezierCurve(*this); }

void BezierCurve::GetPoint(float t, Vec2f& out) const
{
    const Vec2f p0(mX0, mY0);
    const Vec2f p1(mX0 + mDX1, mY0 + mDY1);
    const Vec2f p2(mX3 + mDX2, mY3 + mDY2);
    const Vec2f p3(mX3, mY3);
    auto lerp = [t](const Vec2f& a, const Vec2f& b) { return Vec2f(Lerp(a.x, b.x, t), Lerp(a.y, b.y, t)); };
    const Vec2f a = lerp(p0, p1);
    const Vec2f b = lerp(p1, p2);
    const Vec2f c = lerp(p2, p3);
    out = lerp(lerp(a, b), lerp(b, c));
}

float BezierCurve::GetChordLength() const
{
    const float dx = mX0 - mX3;
    const float dy = mY0 - mY3;
    return std::sqrt(dx * dx + dy * dy);
}

} // namespace Kivo
