#include "framework/graphics/BezierCurve2.h"

#include "framework/graphics/BezierCurve.h"

namespace Kivo {

BezierCurve2* BezierCurve2::Clone() const { return new BezierCurve2(*this); }

void BezierCurve2::GetPoint(float t, Vec2f& out) const
{
    const float ax = Lerp(mX0, mX1, t);
    const float ay = Lerp(mY0, mY1, t);
    const float bx = Lerp(mX1, mX2, t);
    const float by = Lerp(mY1, mY2, t);
    out = Vec2f(Lerp(ax, bx, t), Lerp(ay, by, t));
}

} // namespace Kivo
