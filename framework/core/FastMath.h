#pragma once
// Fast approximations and small interpolation helpers. The constants are
// the program's own (pi as 3.1415925 in DegToRad, 0.4999 in FastInvSqrt):
// animations and effects depend on these exact float results.
#include <cstdint>

namespace Kivo {

inline constexpr float kHalfPi = 1.5707964f;

float FastSin(float x);
float FastSinRefined(float x);
float FastCos(float x);
float FastCosRefined(float x);
float Atan2f(float y, float x);
float DegToRad(float x);
float CosInterpolate(const float& a, const float& b, float t);
float CosInterpolateRefined(const float& a, const float& b, float t);
float QuadBezier(float p0, float p1, float p2, float t);
// Maps the bits of a float to integers that order as the floats do
// (-1 < -0 <= 0 < 1), for comparing floats as integers.
int32_t FloatBitsToOrdered(int32_t bits);
float FloatAbs(float x);
// Floor of the square root; 0 below 1.
int32_t IntSqrt(int32_t n);
float FastInvSqrt(float x);
float FastSqrt(float x);
float FastCeil(float x);

} // namespace Kivo
