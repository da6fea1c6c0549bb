#include "framework/core/DataManager.h"
#include "framework/core/FastMath.h"
#include "framework/core/FloatColor.h"
#include "framework/core/Random.h"
#include "framework/core/Vec2f.h"

#include <bit>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace Kivo;

namespace {

// Demos and hints replay these sequences: they must never change.
TEST(Random, TwisterGoldenSequences)
{
    SeedRandom(5489);
    EXPECT_EQ(Rand(), 1351727964u); // the published first output, top bit cleared
    EXPECT_EQ(Rand(), 581869302u);

    const uint32_t seed4357[] = { 2146374468, 699692587, 1213834231, 1920714022, 994957275, 2082945813, 1964848567,
        1049283459, 171986203, 1030590208 };
    SeedRandom(0); // 0 means 4357
    for (uint32_t v : seed4357)
        EXPECT_EQ(Rand(), v);

    MTRand fresh; // seeded with 4357 like the global one at start
    EXPECT_EQ(fresh.Next(), seed4357[0]);

    MTRand mt(1);
    for (int i = 0; i < 10000; ++i)
        EXPECT_LE(mt.Next(), 0x7FFFFFFFu);
}

TEST(Random, LinearCongruentialGoldenSequence)
{
    SeedRandomInt(0);
    EXPECT_EQ(RandomInt(0, 9), 8);

    const int seed12345[] = { 600, 867, 740, 471, 476, 804, 372, 483, 481, 579 };
    SeedRandomInt(12345);
    for (int v : seed12345)
        EXPECT_EQ(RandomInt(0, 999), v);
}

TEST(Random, DrawsShareOneStateAndEmptyRangesStillAdvance)
{
    SeedRandomInt(7);
    uint32_t s = 7;
    auto step = [&] { return s = s * 214013u + 2531011u; };

    EXPECT_EQ(RandomIndex(1), 0);
    EXPECT_EQ(RandomIndex(0), 0);
    EXPECT_EQ(GetRandomIntState(), s); // no draw

    EXPECT_EQ(RandomInt(0, -1), 0); // n = 0 in RandomInt(0, n - 1): no division by zero
    EXPECT_EQ(RandomInt(5, 2), 5);
    step(), step();
    EXPECT_EQ(GetRandomIntState(), s);

    int sign = RandomSign();
    step();
    EXPECT_EQ(sign, ((s >> 15) ^ s) % 2 ? 1 : -1);

    float f = RandomFloat(-1.0f, 3.0f);
    step();
    EXPECT_EQ(f, -1.0f + 4.0f * static_cast<float>(s >> 16) * (1.0f / 65535.0f));
    EXPECT_EQ(GetRandomIntState(), s);

    for (int i = 0; i < 1000; ++i) {
        float r = RandomFloat(2.0f, 5.0f);
        EXPECT_GE(r, 2.0f);
        EXPECT_LE(r, 5.0f);
        int k = RandomInt(-3, 3);
        EXPECT_GE(k, -3);
        EXPECT_LE(k, 3);
    }
}

TEST(FastMath, SineApproximations)
{
    constexpr float kTwoPi = 6.2831855f;
    for (float x : { -7.0f, -1.0f, 0.3f, 2.0f, 3.0f }) {
        EXPECT_NEAR(FastSin(x), FastSin(x + kTwoPi), 1e-5f) << x;
        EXPECT_NEAR(FastSinRefined(x), std::sin(x), 0.002f) << x;
        EXPECT_NEAR(FastCos(x), FastSin(x + kHalfPi), 0.0f) << x;
    }
    EXPECT_NEAR(FastSin(kHalfPi), 1.0f, 1e-6f);
    EXPECT_NEAR(FastCosRefined(0), 1.0f, 1e-6f);
    // Inputs on which stepping by 2*pi could never end.
    EXPECT_EQ(FastSin(std::numeric_limits<float>::infinity()), 0.0f);
    EXPECT_EQ(FastSin(-std::numeric_limits<float>::infinity()), 0.0f);
    EXPECT_EQ(FastSin(std::numeric_limits<float>::quiet_NaN()), 0.0f);
    float huge = FastSin(3e30f);
    EXPECT_TRUE(huge >= -1.0f && huge <= 1.0f);
}

TEST(FastMath, Tables)
{
    struct IntRow {
        int32_t n, root;
    } roots[] = { { 15, 3 }, { 16, 4 }, { -4, 0 }, { 0, 0 }, { 1, 1 }, { 2147483647, 46340 }, { 1000000, 1000 } };
    for (const IntRow& r : roots)
        EXPECT_EQ(IntSqrt(r.n), r.root) << r.n;

    struct FloatRow {
        float in, out;
    } ceils[] = { { 2.0f, 2.0f }, { 2.1f, 3.0f }, { -2.5f, -2.0f }, { 2.5f, 3.0f }, { -0.2f, 0.0f } };
    for (const FloatRow& r : ceils)
        EXPECT_EQ(FastCeil(r.in), r.out) << r.in;

    EXPECT_FLOAT_EQ(DegToRad(180.0f), 3.1415925f);
    EXPECT_NEAR(FastInvSqrt(4.0f), 0.5f, 0.002f);
    EXPECT_NEAR(FastSqrt(9.0f), 3.0f, 0.01f);
    EXPECT_FLOAT_EQ(QuadBezier(0, 10, 0, 0.5f), 5.0f);
    EXPECT_FLOAT_EQ(CosInterpolate(2.0f, 4.0f, 0.0f), 2.0f);
    EXPECT_NEAR(CosInterpolate(2.0f, 4.0f, 1.0f), 4.0f, 1e-5f);
    EXPECT_NEAR(CosInterpolateRefined(2.0f, 4.0f, 0.5f), 3.0f, 1e-5f);
    EXPECT_FLOAT_EQ(Atan2f(1, 1), 0.78539819f);
    EXPECT_EQ(FloatAbs(-2.5f), 2.5f);
}

TEST(FastMath, OrderedFloatBitsOrderLikeTheFloats)
{
    const float ascending[] = { -1e30f, -1.0f, -0.5f, -1e-30f, 0.0f, 1e-30f, 0.5f, 1.0f, 1e30f };
    for (size_t i = 1; i < std::size(ascending); ++i)
        EXPECT_LT(FloatBitsToOrdered(std::bit_cast<int32_t>(ascending[i - 1])),
            FloatBitsToOrdered(std::bit_cast<int32_t>(ascending[i])))
            << ascending[i - 1] << " < " << ascending[i];
    EXPECT_EQ(FloatBitsToOrdered(std::bit_cast<int32_t>(-0.0f)), 0);
}

TEST(Vectors, RotatePerpAndAngles)
{
    Vec2f v(1, 0);
    v.Rotate(kHalfPi);
    EXPECT_NEAR(v.x, 0.0f, 1e-6f);
    EXPECT_NEAR(v.y, 1.0f, 1e-6f);
    v.Perp();
    EXPECT_NEAR(v.x, -1.0f, 1e-6f);
    EXPECT_NEAR(std::fabs(v.Angle()), 3.1415927f, 1e-5f);

    Vec2f a(3, 4), b(3, 4), c(-3, -4);
    // The lengths come from FastInvSqrt, so "equal" is only about 0.
    EXPECT_NEAR(a.Angle(b), 0.0f, 0.1f);
    EXPECT_NEAR(a.Angle(c), 3.1415927f, 0.1f);
}

TEST(FloatColors, ChannelOrder)
{
    FloatColor c;
    c.SetFromInts(0x1FF, 0, 51, 102);
    EXPECT_FLOAT_EQ(c.c[0], 1.0f);
    EXPECT_FLOAT_EQ(c.c[1], 0.4f);
    EXPECT_FLOAT_EQ(c.c[2], 0.2f);
    EXPECT_FLOAT_EQ(c.c[3], 0.0f);

    const uint8_t bytes[4] = { 51, 102, 0, 255 };
    c.SetFromBytes(bytes);
    EXPECT_FLOAT_EQ(c.c[0], 1.0f);
    EXPECT_FLOAT_EQ(c.c[1], 0.2f);
    EXPECT_FLOAT_EQ(c.c[2], 0.4f);
    EXPECT_FLOAT_EQ(c.c[3], 0.0f);
}

TEST(DataManager, ClearDeletesEveryHeldObject)
{
    static int deleted;
    deleted = 0;
    struct Counted : dataManager::Object {
        ~Counted() override { ++deleted; }
    };
    dataManager m;
    m.Add(std::make_unique<Counted>());
    m.Add(std::make_unique<Counted>());
    m.Clear();
    EXPECT_EQ(deleted, 2);
    EXPECT_EQ(m.Count(), 0u);
}

} // namespace
