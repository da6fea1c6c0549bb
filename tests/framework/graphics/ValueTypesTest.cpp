#include "framework/graphics/Color.h"
#include "framework/graphics/Ratio.h"
#include "framework/graphics/Rect.h"
#include "framework/graphics/Transform.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Kivo;

TEST(Color, PackedAlphaZeroMeansOpaqueUnlessKept)
{
    struct Case {
        uint32_t packed;
        bool keep;
        int alpha;
    } cases[] = {
        { 0x00FF0000, false, 255 },
        { 0x00FF0000, true, 0 },
        { 0x80FF0000, false, 128 },
        { 0x80FF0000, true, 128 },
    };
    for (const Case& c : cases) {
        Color color(static_cast<int>(c.packed), c.keep);
        EXPECT_EQ(color.mRed, 255);
        EXPECT_EQ(color.mGreen, 0);
        EXPECT_EQ(color.mAlpha, c.alpha) << std::hex << c.packed << " keep " << c.keep;
    }
}

TEST(Color, ToIntComponentsAndBadIndices)
{
    Color c(1, 2, 3);
    c.mAlpha = 4;
    EXPECT_EQ(c.ToInt(), 0x04010203u);
    c.mRed = 0x1FF; // only the low byte is packed
    EXPECT_EQ(c.ToInt(), 0x04FF0203u);

    EXPECT_EQ(c.Component(2), 3);
    EXPECT_EQ(c.Component(4), 0);
    EXPECT_EQ(c.Component(-1), 0);
    int& dummy = c.ComponentRef(7);
    EXPECT_EQ(&dummy, &c.ComponentRef(-3)); // one shared dummy
    dummy = 99;
    EXPECT_EQ(c.ToInt(), 0x04FF0203u);
    c.ComponentRef(3) = 200;
    EXPECT_EQ(c.mAlpha, 200);
    EXPECT_TRUE(ColorNotEquals(c, Color(255, 2, 3)));
    EXPECT_TRUE(ColorEquals(Color(0x123456), Color(0x12, 0x34, 0x56)));
}

TEST(Rect, Intersection)
{
    struct Case {
        Rect a, b, expected;
    } cases[] = {
        { { 0, 0, 10, 10 }, { 20, 20, 5, 5 }, { 0, 0, 0, 0 } },
        { { 0, 0, 10, 10 }, { 10, 0, 5, 5 }, { 10, 0, 0, 5 } }, // touching keeps its place
        { { 0, 0, 10, 10 }, { 5, -5, 10, 10 }, { 5, 0, 5, 5 } },
        { { 2, 3, 4, 5 }, { 0, 0, 100, 100 }, { 2, 3, 4, 5 } },
        // Right and bottom edges past the 32-bit range must not overflow.
        { { 100, 100, 2147483600, 2147483600 }, { 0, 0, 800, 600 }, { 100, 100, 700, 500 } },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.a.Intersection(c.b), c.expected);
        EXPECT_EQ(c.b.Intersection(c.a), c.expected);
    }
}

TEST(Ratio, ReducesAndSurvivesZeroOverZero)
{
    Ratio r;
    EXPECT_EQ(r, Ratio(1, 1));
    r.Set(800, 600);
    EXPECT_EQ(r, Ratio(4, 3));
    r.Set(5, 0);
    EXPECT_EQ(r.mNumerator, 1);
    EXPECT_EQ(r.mDenominator, 0);
    r.Set(1280, 1024);
    r.Set(0, 0); // no divisor: the ratio stays
    EXPECT_EQ(r, Ratio(5, 4));
}

namespace {

void ExpectMatrixNear(const Matrix3x3& a, const Matrix3x3& b)
{
    for (int i = 0; i < 9; ++i)
        EXPECT_NEAR(a.m[i], b.m[i], 1e-5) << "element " << i;
}

} // namespace

TEST(Matrix3x3, ElementaryOperationsMultiplyOnTheLeft)
{
    Matrix3x3 m;
    m.Translate(10, 0);
    m.Scale(2, 3);
    Vector3 p = m.TransformPoint(1, 1);
    EXPECT_FLOAT_EQ(p.x, 22); // (1 + 10) * 2
    EXPECT_FLOAT_EQ(p.y, 3);
    Matrix3x3 r = Matrix3x3::Rotation(0.5f);
    EXPECT_FLOAT_EQ(r.m[1], std::sin(0.5f));
    EXPECT_FLOAT_EQ(r.m[3], -std::sin(0.5f));
    Vector3 v = m.TransformVector({ 1, 1, 0 });
    EXPECT_FLOAT_EQ(v.x, 2);
    EXPECT_FLOAT_EQ(v.z, 0);
}

TEST(Transform, StaysDecomposedOnlyWhileItCan)
{
    const float a = 0.3f;
    struct Case {
        const char* name;
        void (*apply)(Transform&);
        bool complex;
        Matrix3x3 expected;
    } cases[] = {
        { "translate rotate translate",
          [](Transform& t) { t.Translate(10, 0); t.Rotate(0.3f); t.Translate(0, 5); }, false,
          Matrix3x3::Translation(0, 5).Multiply(Matrix3x3::Rotation(a)).Multiply(Matrix3x3::Translation(10, 0)) },
        { "scale after translate", [](Transform& t) { t.Translate(10, 0); t.Scale(2, 2); }, true,
          Matrix3x3::Scaling(2, 2).Multiply(Matrix3x3::Translation(10, 0)) },
        { "rotate after scale", [](Transform& t) { t.Scale(2, 3); t.Rotate(0.3f); }, true,
          Matrix3x3::Rotation(a).Multiply(Matrix3x3::Scaling(2, 3)) },
        { "scale after rotate", [](Transform& t) { t.Rotate(0.3f); t.Scale(2, 3); }, true,
          Matrix3x3::Scaling(2, 3).Multiply(Matrix3x3::Rotation(a)) },
        { "mirror", [](Transform& t) { t.Scale(-1, 1); }, false, Matrix3x3::Scaling(-1, 1) },
        { "negative x scale", [](Transform& t) { t.Scale(-2, 1); }, true, Matrix3x3::Scaling(-2, 1) },
        { "negative y scale", [](Transform& t) { t.Scale(1, -1); }, true, Matrix3x3::Scaling(1, -1) },
        { "scale then translate", [](Transform& t) { t.Scale(2, 2); t.Translate(3, 4); }, false,
          Matrix3x3::Translation(3, 4).Multiply(Matrix3x3::Scaling(2, 2)) },
        { "rotation with zero post translation", [](Transform& t) { t.Translate(1, 2); t.Rotate(0.3f); t.Translate(0, 0); },
          false, Matrix3x3::Rotation(a).Multiply(Matrix3x3::Translation(1, 2)) },
        { "matrix form keeps multiplying",
          [](Transform& t) { t.Rotate(0.3f); t.Scale(2, 2); t.Translate(5, 6); t.Rotate(0.3f); }, true,
          Matrix3x3::Rotation(a)
              .Multiply(Matrix3x3::Translation(5, 6))
              .Multiply(Matrix3x3::Scaling(2, 2))
              .Multiply(Matrix3x3::Rotation(a)) },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Transform t;
        c.apply(t);
        EXPECT_EQ(t.mComplex, c.complex);
        ExpectMatrixNear(t.GetMatrix(), c.expected);
        EXPECT_FALSE(t.mNeedCalcMatrix);
    }
}
