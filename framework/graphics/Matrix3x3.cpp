#include "framework/graphics/Matrix3x3.h"

#include <cmath>

namespace Kivo {

void Matrix3x3::LoadIdentity()
{
    for (int i = 0; i < 9; ++i)
        m[i] = (i % 4 == 0) ? 1.0f : 0.0f;
}

Matrix3x3 Matrix3x3::Multiply(const Matrix3x3& other) const
{
    Matrix3x3 out;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            out.m[i * 3 + j] = m[i * 3] * other.m[j] + m[i * 3 + 1] * other.m[3 + j] + m[i * 3 + 2] * other.m[6 + j];
    return out;
}

Vector3 Matrix3x3::TransformPoint(float x, float y) const
{
    return { m[0] * x + m[1] * y + m[2], m[3] * x + m[4] * y + m[5], 1.0f };
}

Vector3 Matrix3x3::TransformVector(const Vector3& v) const
{
    return { m[0] * v.x + m[1] * v.y + m[2] * v.z, m[3] * v.x + m[4] * v.y + m[5] * v.z,
             m[6] * v.x + m[7] * v.y + m[8] * v.z };
}

Matrix3x3 Matrix3x3::Translation(float tx, float ty)
{
    Matrix3x3 t;
    t.m[2] = tx;
    t.m[5] = ty;
    return t;
}

Matrix3x3 Matrix3x3::Rotation(float angle)
{
    Matrix3x3 r;
    float c = std::cos(angle);
    float s = std::sin(angle);
    r.m[0] = c;
    r.m[1] = s;
    r.m[3] = -s;
    r.m[4] = c;
    return r;
}

Matrix3x3 Matrix3x3::Scaling(float sx, float sy)
{
    Matrix3x3 s;
    s.m[0] = sx;
    s.m[4] = sy;
    return s;
}

void Matrix3x3::Translate(float tx, float ty) { *this = Translation(tx, ty).Multiply(*this); }
void Matrix3x3::Rotate(float angle) { *this = Rotation(angle).Multiply(*this); }
void Matrix3x3::Scale(float sx, float sy) { *this = Scaling(sx, sy).Multiply(*this); }

} // namespace Kivo
