#pragma once

namespace Kivo {

struct Vec2f {
    float x = 0;
    float y = 0;

    Vec2f() = default;
    Vec2f(float x_, float y_) : x(x_), y(y_) {}

    // Turns the vector by `angle` radians (cosine and sine computed in double).
    void Rotate(float angle);
    // (x, y) becomes (-y, x).
    void Perp();
    // atan2(y, x).
    float Angle() const;
    // The angle between both vectors, from their normalised dot product.
    // Undefined for a zero-length vector.
    float Angle(const Vec2f& other) const;
};

} // namespace Kivo
