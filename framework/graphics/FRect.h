#pragma once

namespace Kivo {

// A rectangle in doubles, for sub-pixel source areas.
class FRect {
public:
    FRect() = default;
    FRect(double x, double y, double width, double height) : mX(x), mY(y), mWidth(width), mHeight(height) {}

    // The overlap; all zero when the rectangles do not overlap.
    static FRect Intersection(const FRect& a, const FRect& b);

    bool operator==(const FRect&) const = default;

    double mX = 0;
    double mY = 0;
    double mWidth = 0;
    double mHeight = 0;
};

} // namespace Kivo
