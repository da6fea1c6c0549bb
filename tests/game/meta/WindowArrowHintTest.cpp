// The hint windows: placement beside the target, the arrow's fade and bob,
// the held-back answer, and the picture's layout.
#include "game/meta/WindowArrowHint.h"
#include "tests/game/meta/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr int kNone = Kivo::Dialog::kNoResult;

struct HintFixture : windowtest::WindowFixture {
    HintFixture() { windowtest::AddHintPictures(res); }
};

TEST(ArrowHintWindows, TheWindowGoesWhereThereIsMostRoom)
{
    HintFixture f;
    struct Case {
        const char* what;
        int x, y, distance;
        int left, top;
        float towardX, towardY; // the corner the window goes toward
    };
    // The window's edge clears the arrow (48 wide, 10 off the target, 10 of
    // bobbing, the distance) along the way to the corner.
    const Case cases[] = {
        {"top-left quarter", 100, 100, 7, 160, 138, 800, 600},
        {"near the right edge", 790, 300, 7, 419, 104, 0, 0},
        {"upper centre line: the earlier of two corners", 400, 100, 7, 386, 158, 800, 600},
        {"bottom-left corner", 10, 590, 7, 69, 321, 800, 0},
        {"the centre, far off: clamped onto the screen", 400, 300, 300, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        WindowArrowHint2* w = WindowArrowHint2::Instance();
        w->SetTarget(c.x, c.y, c.distance);
        EXPECT_EQ(w->mX, c.left) << c.what;
        EXPECT_EQ(w->mY, c.top) << c.what;
        EXPECT_EQ(w->mArrowDistance, c.distance);
        const float expected = 3.1415925f - std::atan2(c.towardY - c.y, c.towardX - c.x);
        EXPECT_NEAR(w->mArrowAngle, expected, 0.01f) << c.what;
        // The target stays outside the window.
        const bool covered = c.x >= w->mX && c.x < w->mX + w->mWidth && c.y >= w->mY && c.y < w->mY + w->mHeight;
        EXPECT_FALSE(c.distance < 100 && covered) << c.what;
        delete w;
    }
}

TEST(ArrowHintWindows, AnAnswerWaitsForTheArrowToFadeOut)
{
    HintFixture f;
    WindowArrowHint* w = WindowArrowHint::Instance();
    w->SetVisible(true);
    auto step = [&] {
        w->Update();
        w->UpdateF(1);
    };
    for (int i = 0; i < 5; ++i)
        step();
    EXPECT_NEAR(w->mArrowAppear.mCurrent, 0.2f, 1e-4f);
    EXPECT_EQ(w->mBobPhase, 0.0f); // no bobbing while it fades in

    w->KeyDown(27);
    EXPECT_EQ(w->mPendingResult, 0);
    int steps = 0;
    while (w->mResult == kNone && steps < 100) {
        step();
        ++steps;
    }
    EXPECT_EQ(w->mArrowAppear.mCurrent, 0.0f);
    EXPECT_EQ(steps, 3); // 0.2 at 0.1 a unit, and the update that sees 0
    EXPECT_EQ(w->mResult, 0);
    delete w;

    // Hidden (during its appear effect) a window takes no keys; the close
    // button answers the same way.
    w = WindowArrowHint::Instance();
    w->SetVisible(false);
    w->KeyDown(13);
    EXPECT_EQ(w->mPendingResult, kNone);
    w->ButtonDepress(0);
    EXPECT_EQ(w->mPendingResult, 0);
    delete w;
}

TEST(ArrowHintWindows, TheArrowBobsOnlyWhenFullyShown)
{
    HintFixture f;
    WindowArrowHint2* w = WindowArrowHint2::Instance();
    w->SetVisible(true);
    int steps = 0;
    while (w->mArrowAppear.mCurrent < 1 && steps++ < 100) {
        EXPECT_EQ(w->mBobPhase, 0.0f);
        w->Update();
        w->UpdateF(1);
    }
    w->UpdateF(2);
    EXPECT_FLOAT_EQ(w->mBobPhase, 0.1f);
    delete w;
}

TEST(ArrowHintWindows, PicturesShrinkToTheLimit)
{
    struct Case {
        int celWidth, celHeight, limit;
        bool drawn;
        int x, width, height, taken;
    };
    // Content 250 wide from x 25, top 20.
    const Case cases[] = {
        {60, 180, 90, true, 135, 30, 90, 70}, // half size
        {40, 50, 90, true, 130, 40, 50, 30},  // its own size
        {40, 90, 90, true, 130, 40, 90, 70},  // exactly the limit
        {40, 0, 90, false, 0, 0, 0, 0},       // an empty cel
        {40, 50, -4, false, 0, 0, 0, 0},      // a window too short for a picture
        {40, 50, 0, false, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        auto p = WindowArrowHint::LayOutPicture(c.celWidth, c.celHeight, c.limit, 250, 25, 20);
        EXPECT_EQ(p.drawn, c.drawn) << c.celHeight << " " << c.limit;
        if (!c.drawn)
            continue;
        EXPECT_EQ(p.x, c.x);
        EXPECT_EQ(p.y, 0);
        EXPECT_EQ(p.width, c.width);
        EXPECT_EQ(p.height, c.height);
        EXPECT_EQ(p.taken, c.taken);
    }
}

} // namespace
