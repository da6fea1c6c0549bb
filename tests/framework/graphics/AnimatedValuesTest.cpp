#include "framework/graphics/BezierCurve.h"
#include "framework/graphics/BezierCurve2.h"
#include "framework/graphics/LiveValue.h"
#include "framework/graphics/MovingPoint.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

using namespace Kivo;

TEST(LiveValue, StepsTowardTargetAndReturnsOvershoot)
{
    struct Case {
        float start, target, speed;
        std::vector<float> values;
        float lastOvershoot;
    } cases[] = {
        { 0, 10, 3, { 3, 6, 9, 10 }, 2 },
        { 10, 0, 4, { 6, 2, 0 }, -2 },
        { 0, 9, 3, { 3, 6, 9 }, 0 }, // landing exactly on the target
    };
    for (const Case& c : cases) {
        LiveValue v(c.target, c.speed);
        v.mCurrent = c.start;
        float over = 0;
        for (size_t i = 0; i < c.values.size(); ++i) {
            EXPECT_TRUE(v.IsMoving());
            over = v.Update(1);
            EXPECT_EQ(v.mCurrent, c.values[i]) << "step " << i << " toward " << c.target;
            if (i + 1 < c.values.size()) {
                EXPECT_EQ(over, 0);
            }
        }
        EXPECT_EQ(over, c.lastOvershoot);
        EXPECT_FALSE(v.IsMoving());
        EXPECT_EQ(v.Update(1), 0);
        EXPECT_EQ(v.mCurrent, c.target);
    }
}

TEST(LiveValue, JustStoppedOnceAndSpeedZeroNeverMoves)
{
    LiveValue v(10, 3);
    int stops = 0;
    for (int i = 0; i < 8; ++i) {
        v.Update(1);
        stops += v.JustStopped();
        if (i < 3) {
            EXPECT_FALSE(v.JustStopped());
        }
    }
    EXPECT_EQ(stops, 1);

    LiveValue still(5, 0);
    EXPECT_FALSE(still.IsMoving());
    still.Update(1);
    EXPECT_EQ(still.mCurrent, 0);
    EXPECT_FALSE(still.JustStopped());

    v = 4; // assignment sets the target
    EXPECT_EQ(v.mTarget, 4);
    EXPECT_TRUE(v.IsMoving());
}

TEST(MovingPoint, RestsWhereItIsAndSettlesOnTarget)
{
    MovingPoint p(1.5f, 8, 2);
    EXPECT_FALSE(p.Update(1));
    EXPECT_FALSE(p.IsMoving());

    p.mTargetX = 100;
    p.mTargetY = -40;
    int steps = 0;
    while (p.Update(1) && steps < 1000)
        ++steps;
    EXPECT_LT(steps, 1000);
    EXPECT_EQ(p.GetX(), 100);
    EXPECT_EQ(p.GetY(), -40);
    EXPECT_FALSE(p.IsMoving());
}

TEST(MovingPoint, AtRestCloseToTargetNeverGoesNaN)
{
    // Snap distance 0.5: a point 0.7 away with no velocity is neither snapped
    // nor far enough (1) to take its direction from the distance.
    MovingPoint p(1.2f, 4, 0.5f);
    p.mTargetX = 0.7f;
    EXPECT_TRUE(p.Update(1));
    EXPECT_GT(p.mVelX, 0); // pulled toward the target
    EXPECT_GT(p.GetX(), 0);
    for (int i = 0; i < 200 && p.Update(1); ++i) {
        ASSERT_FALSE(std::isnan(p.GetX()));
        ASSERT_FALSE(std::isnan(p.GetY()));
    }

    MovingPoint tiny(1.2f, 4, 0);
    tiny.mTargetX = 1e-30f; // distance squares to 0
    EXPECT_FALSE(tiny.Update(1));
    EXPECT_EQ(tiny.GetX(), 1e-30f);
}

TEST(BezierCurves, EndPointsMidPointsAndChord)
{
    BezierCurve cubic(1, 2, 10, 20, 7, 9, -5, 3);
    Vec2f p;
    cubic.GetPoint(0, p);
    EXPECT_EQ(p.x, 1);
    EXPECT_EQ(p.y, 2);
    cubic.GetPoint(1, p);
    EXPECT_EQ(p.x, 7);
    EXPECT_EQ(p.y, 9);
    // Control points (11, 22) and (2, 12): at 0.5 the cubic is
    // (P0 + 3 P1 + 3 P2 + P3) / 8.
    cubic.GetPoint(0.5f, p);
    EXPECT_FLOAT_EQ(p.x, (1 + 33 + 6 + 7) / 8.0f);
    EXPECT_FLOAT_EQ(p.y, (2 + 66 + 36 + 9) / 8.0f);

    BezierCurve2 quad(0, 0, 2, 2, 4, 0);
    quad.GetPoint(0.5f, p);
    EXPECT_EQ(p.x, 2);
    EXPECT_EQ(p.y, 1);

    EXPECT_EQ(BezierCurve(0, 0, 50, -9, 3, 4, 7, 7).GetChordLength(), 5);
    std::unique_ptr<BezierCurve> copy(cubic.Clone());
    copy->GetPoint(0.5f, p);
    EXPECT_FLOAT_EQ(p.x, 47 / 8.0f);
    std::unique_ptr<BezierCurve2> copy2(quad.Clone());
    EXPECT_EQ(copy2->mX1, 2);
}
