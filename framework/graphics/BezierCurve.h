#pragma once
#include "framework/core/Vec2f.h"

namespace Kivo {

// A cubic curve from its start to its end; each control point is given as an
// offset from the end point it belongs to.
class BezierCurve {
public:
    BezierCurve(float x0, float y0, float dx1, float dy1, float x3, float y3, float dx2, float dy2)
        : mX0(x0), mY0(y0), mDX1(dx1), mDY1(dy1), mX3(x3), mY3(y3), mDX2(dx2), mDY2(dy2)
    {
    }
    virtual ~BezierCurve() = default;
    // A new curve with the same points; the caller owns it.
    virtual BezierCurve* Clone() const;

    // The point at t (0 the start, 1 the end) by repeated single-precision
    // linear interpolation.
    void GetPoint(float t, Vec2f& out) const;
    // Straight distance from start to end; the control points do not count.
    float GetChordLength() const;

    float mX0, mY0;
    float mDX1, mDY1; // first control point, from the start
    float mX3, mY3;
    float mDX2, mDY2; // second control point, from the end
};

// a + (b - a) t, rounded to single precision.
inline float Lerp(float a, float b, float t) { return a + (b - a) * t; }

} // namespace Kivo
