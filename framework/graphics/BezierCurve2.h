#pragma once
#include "framework/core/Vec2f.h"

namespace Kivo {

// A quadratic curve through absolute start, control and end points.
class BezierCurve2 {
public:
    BezierCurve2(float x0, float y0, float x1, float y1, float x2, float y2)
        : mX0(x0), mY0(y0), mX1(x1), mY1(y1), mX2(x2), mY2(y2)
    {
    }
    virtual ~BezierCurve2() = default;
    // A new curve with the same points; the caller owns it.
    virtual BezierCurve2* Clone() const;

    // The point at t by repeated single-precision linear interpolation.
    void GetPoint(float t, Vec2f& out) const;

    float mX0, mY0;
    float mX1, mY1;
    float mX2, mY2;
};

} // namespace Kivo
