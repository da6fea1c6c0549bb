#include "framework/core/FastMath.h"

#include <bit>
#include <cmath>

namespace Kivo {
namespace {

constexpr float kPi = 3.1415927f;
constexpr float kTwoPi = 2.0f * kPi;

float InvSqrtSeed(float x)
{
    return std::bit_cast<float>(1597463007 - (std::bit_cast<int32_t>(x) >> 1));
}

} // namespace

float FastSin(float x)
{
    if (!std::isfinite(x))
        return 0.0f;
    // Far from zero one step of 2*pi no longer changes x; reduce by fmod
    // first so that the stepping below always ends.
    if (std::fabs(x) > 1e5f)
        x = std::fmod(x, kTwoPi);
    while (x > kPi)
        x -= kTwoPi;
    while (x < -kPi)
        x += kTwoPi;
    constexpr float A = 1.27323949f;
    constexpr float B = 0.405284733f;
    return x > 0 ? A * x - B * x * x : A * x + B * x * x;
}

float FastSinRefined(float x)
{
    float y = FastSin(x);
    constexpr float P = 0.225f;
    return y >= 0 ? y + P * (y * y - y) : y + P * (-y * y - y);
}

float FastCos(float x)
{
    return FastSin(x + kHalfPi);
}

float FastCosRefined(float x)
{
    return FastSinRefined(x + kHalfPi);
}

float Atan2f(float y, float x)
{
    return std::atan2(y, x);
}

float DegToRad(float x)
{
    return x * 3.1415925f / 180.0f;
}

float CosInterpolate(const float& a, const float& b, float t)
{
    float f = (1.0f - FastSin(t * 3.1415925f + kHalfPi)) / 2.0f;
    return a * (1.0f - f) + b * f;
}

float CosInterpolateRefined(const float& a, const float& b, float t)
{
    float f = (1.0f - FastSinRefined(t * 3.1415925f + kHalfPi)) / 2.0f;
    return a * (1.0f - f) + b * f;
}

float QuadBezier(float p0, float p1, float p2, float t)
{
    float u = 1.0f - t;
    return u * u * p0 + 2.0f * t * u * p1 + t * t * p2;
}

int32_t FloatBitsToOrdered(int32_t bits)
{
    return bits >= 0 ? bits : -(bits & 0x7FFFFFFF);
}

float FloatAbs(float x)
{
    return std::fabs(x);
}

int32_t IntSqrt(int32_t n)
{
    if (n < 1)
        return 0;
    uint32_t value = static_cast<uint32_t>(n);
    uint32_t root = 0;
    uint32_t bit = 0x40000000u;
    while (bit > value)
        bit >>= 2;
    while (bit) {
        if (value >= root + bit) {
            value -= root + bit;
            root = (root >> 1) + bit;
        } else {
            root >>= 1;
        }
        bit >>= 2;
    }
    return static_cast<int32_t>(root);
}

float FastInvSqrt(float x)
{
    float y = InvSqrtSeed(x);
    return y * (1.5f - x * 0.4999f * y * y);
}

float FastSqrt(float x)
{
    float y = InvSqrtSeed(x);
    return x * y * (1.5f - 0.5f * x * y * y);
}

float FastCeil(float x)
{
    float i = std::nearbyint(x);
    return i < x ? i + 1.0f : i;
}

} // namespace Kivo
