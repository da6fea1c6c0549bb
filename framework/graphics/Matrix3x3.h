#pragma once

namespace Kivo {

struct Vector3 {
    float x = 0;
    float y = 0;
    float z = 0;
};

// Row-major 3x3; a point (x, y) maps to (m0 x + m1 y + m2, m3 x + m4 y + m5).
// Translate, Rotate and Scale multiply the elementary matrix on the left.
class Matrix3x3 {
public:
    Matrix3x3() { LoadIdentity(); }

    void LoadIdentity();
    void Assign(const Matrix3x3& other) { *this = other; }
    // this x other
    Matrix3x3 Multiply(const Matrix3x3& other) const;
    Vector3 TransformPoint(float x, float y) const;
    Vector3 TransformVector(const Vector3& v) const;

    void Translate(float tx, float ty);
    // Radians; with y pointing down a positive angle turns counter-clockwise.
    void Rotate(float angle);
    void Scale(float sx, float sy);

    static Matrix3x3 Translation(float tx, float ty);
    static Matrix3x3 Rotation(float angle);
    static Matrix3x3 Scaling(float sx, float sy);

    float m[9];
};

} // namespace Kivo
