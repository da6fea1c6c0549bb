#include "game/effects/GfxAnimatedImage.h"
#include "game/effects/GfxClickToContinue.h"

#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "tests/support/RecordingImage.h"

#include <gtest/gtest.h>

namespace {

TEST(GfxAnimatedImage, PlaysOnceCentredAndFadesOverTheSecondHalf)
{
    RecordingImage strip(40, 10); // four 10 x 10 cels
    strip.mNumCols = 4;
    strip.mNumCels = 4;
    GfxAnimatedImage effect(&strip, 100, 50, true);
    RecordingImage screen(800, 600);
    Kivo::Graphics g(&screen);
    std::vector<int> alphas;
    int steps = 0;
    for (; steps < 100; ++steps) {
        effect.draw(&g);
        alphas.push_back(screen.mOps.back().mColor.mAlpha);
        if (effect.process() == -1)
            break;
    }
    EXPECT_EQ(steps, 3);
    EXPECT_EQ(alphas, (std::vector<int>{255, 255, 255, 127}));
    EXPECT_EQ(screen.mOps.back().mRect.mX, 95);
    EXPECT_EQ(screen.mOps.back().mRect.mY, 45);
    EXPECT_EQ(screen.mOps.back().mSource.mX, 30);
}

TEST(GfxAnimatedImage, WithoutAnImageEndsAtOnce)
{
    GfxAnimatedImage effect(nullptr, 0, 0, false);
    EXPECT_EQ(effect.process(), -1);
}

TEST(GfxClickToContinue, FadesInPulsesAndFadesOutByItsEnd)
{
    GfxClickToContinue effect(400, 300, 2); // two half pulses: phase 0 .. 2 pi
    ASSERT_TRUE(effect.start());
    int steps = 0;
    float peak = 0;
    while (effect.process() != -1 && steps < 1000) {
        effect.update(1.0f);
        peak = std::max(peak, effect.mAlpha.mCurrent);
        ++steps;
    }
    EXPECT_EQ(steps, 315); // 2 pi / 0.02
    EXPECT_FLOAT_EQ(peak, 1.0f);
    EXPECT_LT(effect.mAlpha.mCurrent, 0.05f);
    EXPECT_EQ(effect.name(), "GfxClickToContinue");
}

TEST(GfxClickToContinue, StandsOnItsPointSoThatTheBottomPromptStaysOnScreen)
{
    // A fixed-pitch font that records where lines are drawn.
    struct Font : Kivo::Font {
        Font()
        {
            mAscent = 24;
            mHeight = 30;
        }
        int StringWidth(const std::string& text) override { return 10 * static_cast<int>(text.size()); }
        void DrawString(Kivo::Graphics*, int x, int y, const std::string&, const Kivo::Color&, const Kivo::Rect&) override
        {
            at.push_back({x, y});
        }
        Kivo::Font* Duplicate() override { return new Font(*this); }
        std::vector<std::pair<int, int>> at;
    } font;
    // The menu, town and upgrade screens place it at (400, 595) on a 600-pixel screen.
    GfxClickToContinue effect(400, 595, 5);
    effect.mFont = &font;
    effect.mText = "Click to continue"; // 170 pixels
    RecordingImage screen(800, 600);
    Kivo::Graphics g(&screen);
    effect.start();
    effect.update(1.0f);
    effect.draw(&g);
    ASSERT_EQ(font.at.size(), 1u);
    EXPECT_EQ(font.at[0], std::make_pair(315, 595)); // centred on x, baseline on y
}

} // namespace
