#include "game/effects/GfxFluids.h"
#include "game/effects/GfxParticledText.h"
#include "game/effects/GfxSwirlText.h"
#include "game/effects/ParticleLibraryManager.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/ImageFont.h"
#include "game/ui/Callback.h"
#include "tests/game/effects/EffectsFixture.h"

#include <cmath>

namespace {

struct TextEffectsTest : EffectTest {
    // Two short one-burst systems for the letters, in a library of their own.
    void SetUp() override
    {
        EffectTest::SetUp();
        const std::string system = "<particles><emission value=\"10\"/><lifetime value=\"-3\"/>"
                                   "<particle_life_min value=\"0.2\"/><particle_life_max value=\"0.3\"/>"
                                   "<speed_min value=\"1\"/><speed_max value=\"2\"/></particles>";
        const std::string big = dir.Write("big.xml", system);
        const std::string small = dir.Write("small.xml", system);
        const std::string index = dir.Write("index.xml", "<particles><system id=\"letter_explode\" file=\"" + big +
                                                             "\"/><system id=\"letter_explode_small\" file=\"" +
                                                             small + "\"/></particles>");
        delete ParticleLibraryManager::Existing();
        ASSERT_TRUE(ParticleLibraryManager::Instance()->Load(index));
    }
    void TearDown() override
    {
        delete ParticleLibraryManager::Existing();
        EffectTest::TearDown();
    }
    testsupport::TempDir dir;
    Kivo::Font* font = GetFontById("FONT_EFFECTS");
    int calls = 0;
};

TEST_F(TextEffectsTest, FluidHeadArrivesFirstThenTheTailFollows)
{
    GfxFluids fluid(100, 100, 400, 100, new Counter(&calls)); // 300 px: 0.2 s each way
    ASSERT_TRUE(fluid.start());
    Kivo::Graphics g(&screen);
    int steps = 0, calledAt = 0;
    float tailWhenCalled = -1;
    while (steps++ < 200) {
        fluid.update(1.0f);
        const int result = fluid.process();
        if (calls == 1 && calledAt == 0) {
            calledAt = steps;
            tailWhenCalled = fluid.mTail;
        }
        if (steps == 10) {
            fluid.draw(&g);
            // Two passes of 7 x 2 cells, two triangles each, then the drop.
            EXPECT_EQ(screen.mVertices.size(), 2u * 14 * 2 * 3);
            EXPECT_EQ(screen.mDraws.back().mImage, Img("IMAGE_GFX_FLUID_DOT"));
            EXPECT_EQ(screen.mDraws.front().mDrawMode, Kivo::DRAWMODE_ADDITIVE);
            for (const auto& v : screen.mVertices)
                EXPECT_TRUE(std::isfinite(v.x) && std::isfinite(v.y));
        }
        if (result == -1)
            break;
    }
    EXPECT_EQ(calls, 1);
    EXPECT_GE(calledAt, 20);
    EXPECT_LE(calledAt, 21);
    EXPECT_LT(tailWhenCalled, 0.1f);
    EXPECT_GE(steps, 39); // the tail sets off in the step the head arrives
    EXPECT_LE(steps, 42);
    EXPECT_EQ(fluid.mHead, 1.0f);
    EXPECT_EQ(fluid.mTail, 1.0f);
}

TEST_F(TextEffectsTest, FluidPauseDelaysTheStreamAndAPointStreamStaysFinite)
{
    GfxFluids fluid(100, 100, 400, 100, nullptr);
    fluid.addPause(0.1f);
    ASSERT_TRUE(fluid.start());
    for (int i = 0; i < 10; ++i) {
        fluid.update(1.0f);
        fluid.process();
    }
    EXPECT_EQ(fluid.mHead, 0.0f);
    fluid.update(1.0f);
    EXPECT_GT(fluid.mHead, 0.0f);

    GfxFluids point(200, 200, 200, 200, new Counter(&calls));
    ASSERT_TRUE(point.start());
    point.update(1.0f);
    EXPECT_EQ(point.process(), -1); // no length: done at once
    EXPECT_EQ(calls, 1);
    Kivo::Graphics g(&screen);
    point.draw(&g);
    for (const auto& v : screen.mVertices)
        EXPECT_TRUE(std::isfinite(v.x) && std::isfinite(v.y));
}

TEST_F(TextEffectsTest, LettersAreLaidOutOnOneCentredLine)
{
    // "ABC": widths 8, 6 and 10 (W 24), n 3, height 13.
    ImageText text("ABC", font, 400, 300);
    ASSERT_EQ(text.mWidth, 24);
    ASSERT_EQ(text.mHeight, 13);
    struct Case {
        float mScale;
        bool mWholeHalf;
        std::vector<float> mX;
        float mY;
    } cases[] = {
        {1.0f, true, {386, 397, 409}, 294},          // cursor 382, then 394, 404
        {1.0f, false, {386, 397, 409}, 293.5f},
        {0.8f, true, {389.2f, 397.4f, 407}, 295.2f}, // cursor 400 - trunc(14.4), steps trunc(9.6), trunc(8)
    };
    for (const Case& c : cases) {
        const auto places = LayOutLetters(text, c.mScale, c.mWholeHalf);
        ASSERT_EQ(places.size(), 3u);
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_FLOAT_EQ(places[i].mX, c.mX[i]) << c.mScale << " " << i;
            EXPECT_FLOAT_EQ(places[i].mY, c.mY) << c.mScale;
        }
    }
    EXPECT_TRUE(LayOutLetters(ImageText("ABC", nullptr, 0, 0), 1, true).empty());
}

TEST_F(TextEffectsTest, SwirlTextStandsForItsHoldTimeInTheMiddle)
{
    GfxSwirlText text(font, 400, 300, "ABC");
    text.mShadow = 1;
    ASSERT_TRUE(text.start());
    ASSERT_EQ(text.mLetters.size(), 3u);
    for (const auto& letter : text.mLetters) {
        EXPECT_LE(std::fabs(letter.mStartX - letter.mX), 100.0f);
        EXPECT_GE(std::fabs(letter.mSpin), 1.0f);
    }
    Kivo::Graphics g(&screen);
    int steps = 0;
    while (text.process() != -1 && steps++ < 1000) {
        text.update(1.0f);
        if (steps == 100) {
            text.draw(&g);
            EXPECT_NEAR(text.mProgress.mCurrent, 0.5f, 0.01f);
        }
    }
    EXPECT_GE(steps, 125 + 150);
    EXPECT_LE(steps, 125 + 150 + 2);
    // Shadow and letter for each of the three, the letters where they belong.
    ASSERT_EQ(screen.mDraws.size(), 6u);
    EXPECT_EQ(screen.mDraws[0].mColor.mRed, 0);
    EXPECT_NEAR(screen.mDraws[0].mColor.mAlpha, 64, 1);
    EXPECT_EQ(screen.mDraws[1].mColor.mRed, 255);
}

TEST_F(TextEffectsTest, SwirlTextHoldsEvenWhenFramesStepPastTheMiddle)
{
    GfxSwirlText text(font, 400, 300, "AB");
    ASSERT_TRUE(text.start());
    int frames = 0;
    while (text.process() != -1 && frames++ < 1000)
        text.update(3.0f); // 0.024 per frame: would jump over the middle
    EXPECT_LE(text.mHoldTime, 0.0f);
    EXPECT_GE(frames, (125 + 150) / 3);
}

TEST_F(TextEffectsTest, ParticledTextRevealsLetterByLetterWithBurstsAndClampsItsAlpha)
{
    GfxParticledText text(font, 400, 300, "ABC");
    text.mHoldTime = 80;
    ASSERT_TRUE(text.start());
    EXPECT_EQ(text.mLetters[2].mOffset, -2.0f / 3);
    Kivo::Graphics g(&screen);
    std::vector<int> burstAt;
    int steps = 0, explodedAt = 0;
    while (text.process() != -1 && steps++ < 2000) {
        const int last = text.mLastBurst;
        text.update(1.0f);
        if (text.mLastBurst != last)
            burstAt.push_back(steps);
        if (text.mExploded && !explodedAt) {
            explodedAt = steps;
            EXPECT_GT(text.mParticles.Count(), 0);
        }
        screen.Clear();
        text.draw(&g);
        for (const auto& d : screen.mDraws)
            if (d.mImage != nullptr) {
                EXPECT_GE(d.mColor.mAlpha, 0);
                EXPECT_LE(d.mColor.mAlpha, 255);
            }
    }
    // Letter i shows once int((2 x reveal - i / 3) x 255) is above 0.
    EXPECT_EQ(burstAt, (std::vector<int>{1, 34, 68}));
    EXPECT_GE(explodedAt, 200 + 80);
    EXPECT_LE(explodedAt, 200 + 82);
    EXPECT_GT(steps, explodedAt + 50); // fades at 0.02 and waits for the particles
    EXPECT_LT(steps, 2000);
}

} // namespace
