// The title screen: branding checksums, the progress line, the logo
// sequence and the screen's states.
#include "game/meta/TitleScreen.h"

#include "framework/app/KivoAppBase.h"
#include "framework/graphics/ImageLib.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/Backend.h"
#include "platform/win32/Registry.h"
#include "tests/support/TempDir.h"

#include <cmath>
#include <gtest/gtest.h>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace {

ImageLib::Image* Pixels(int w, int h, std::initializer_list<uint32_t> bits)
{
    auto* image = new ImageLib::Image();
    image->mWidth = w;
    image->mHeight = h;
    image->mBits = new uint32_t[size_t(w) * h]();
    size_t i = 0;
    for (uint32_t b : bits)
        image->mBits[i++] = b;
    return image;
}

TEST(BrandingChecksum, SumsEveryOtherPixelBelowTheLastTwo)
{
    struct Case {
        int w, h;
        std::vector<uint32_t> bits;
        uint32_t sum;
    };
    const Case cases[] = {
        { 1, 2, { 5, 6 }, 0 },                      // n = 0
        { 1, 1, { 5 }, 0 },                         // n < 0
        { 3, 1, { 0x20, 7, 9 }, 0x20 ^ 0x1F },      // n = 1: pixel 0
        { 2, 2, { 0x20, 7, 0x40, 9 }, 0x20 ^ 0x1F }, // n = 2: pixel 0
        { 3, 2, { 0xFFFFFFFF, 1, 0xFFFFFFFF, 1, 1, 1 }, 0xFFFFFFC0 }, // wraps
    };
    for (const Case& c : cases) {
        std::unique_ptr<ImageLib::Image> image(Pixels(c.w, c.h, {}));
        for (size_t i = 0; i < c.bits.size(); ++i)
            image->mBits[i] = c.bits[i];
        EXPECT_EQ(ComputeBrandingChecksum(image.get()), c.sum) << c.w << "x" << c.h;
    }
    EXPECT_EQ(ComputeBrandingChecksum(nullptr), 0u);
    ImageLib::Image empty;
    empty.mWidth = empty.mHeight = 4;
    EXPECT_EQ(ComputeBrandingChecksum(&empty), 0u);
}

TEST(BrandingChecksum, ParsesLeadingDigitsWithWrapAround)
{
    const std::pair<const char*, uint32_t> cases[] = {
        { "12abc", 12 }, { "", 0 }, { "x1", 0 }, { "4294967295", 4294967295u },
        { "4294967296", 0 }, { "4294967297", 1 }, { "007", 7 },
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(ParseBrandingChecksum(text), value) << text;
}

TEST(ProgressLine, SegmentsAndTheFadedRest)
{
    struct Case {
        float p;
        int n;
        float r;
    };
    const Case cases[] = {
        { 0.0f, 0, 0.0f }, { 0.5f, 9, 0.5f }, { 0.1f, 1, 0.9f }, { 1.0f, 19, 0.0f }, { 1.5f, 19, 0.0f },
        { -0.2f, 0, 0.0f },
    };
    for (const Case& c : cases) {
        float r = -1;
        EXPECT_EQ(ProgressSegments(c.p, &r), c.n) << c.p;
        EXPECT_NEAR(r, c.r, 1e-4) << c.p;
    }
    EXPECT_EQ(ProgressSegmentX(0), 32);
    EXPECT_EQ(ProgressSegmentX(1), 45);
    EXPECT_EQ(ProgressSegmentX(5), 99);
    EXPECT_EQ(ProgressSegmentX(18), 273);
}

TEST(LogoSequence, EachLogoFadesInStandsAndFadesOut)
{
    LogoSequence logos;
    EXPECT_FALSE(logos.IsRunning()); // no logo: over at once
    logos.AddLogo(nullptr, false);
    logos.AddLogo(nullptr, false);
    ASSERT_TRUE(logos.IsRunning());
    EXPECT_EQ(logos.OverlayAlpha(), 255);
    int updates = 0;
    while (logos.mCurrent == 0 && updates < 2000) {
        logos.UpdateF(1.0f);
        logos.Update();
        ++updates;
    }
    // About 63 in, the stand of 250, about 63 out.
    EXPECT_NEAR(updates, 63 + 250 + 63, 4);
    EXPECT_EQ(logos.mHold, 200);
    EXPECT_EQ(logos.mFade.mCurrent, 0.0f);
    EXPECT_EQ(logos.mZoom, 1.0f);
}

TEST(LogoSequence, SkipMirrorsTheFadeInAndEndsTheStand)
{
    LogoSequence logos;
    logos.AddLogo(nullptr, false);
    logos.mFade.mCurrent = 0.3f;
    const int alpha = logos.OverlayAlpha();
    logos.Skip();
    EXPECT_FLOAT_EQ(logos.mFade.mCurrent, 0.7f);
    EXPECT_EQ(logos.OverlayAlpha(), alpha);
    EXPECT_EQ(logos.mHold, 0);

    // During the stand a skip lets the fade go on at once.
    LogoSequence standing;
    standing.AddLogo(nullptr, false);
    standing.mFade.mCurrent = 0.5f;
    standing.UpdateF(1.0f);
    EXPECT_EQ(standing.mFade.mCurrent, 0.5f);
    EXPECT_EQ(standing.mHold, 249);
    standing.Skip();
    standing.UpdateF(1.0f);
    EXPECT_GT(standing.mFade.mCurrent, 0.5f);
}

class TitleApp : public Kivo::KivoAppBase, public FirstScreenHost {
public:
    double GetLoadingThreadProgress() override { return progress; }
    void ShowFirstScreen() override { ++firstScreens; }

    double progress = 0;
    int firstScreens = 0;
};

class TitleScreenTest : public ::testing::Test {
protected:
    TitleScreenTest()
    {
        platform::UseBackend("headless");
        platform::UseMemoryRegistry(true);
    }
    // Updates as the main loop runs them: update, then a unit of time.
    void Steps(int n)
    {
        for (int i = 0; i < n; ++i) {
            title->Update();
            title->UpdateF(1.0f);
        }
    }
    TitleScreen* Make()
    {
        title = new TitleScreen(&app);
        app.widgetManager->AddWidget(title);
        return title;
    }
    ~TitleScreenTest() override
    {
        app.widgetManager->RemoveAllWidgets(true);
    }

    TitleApp app;
    TitleScreen* title = nullptr;
};

TEST_F(TitleScreenTest, WaitsForTheLogosAndTheRiseBeforeAskingForAClick)
{
    Make();
    ASSERT_TRUE(title->mLogos->IsRunning());
    title->LoadingComplete();
    EXPECT_EQ(title->mState, TitleScreen::STATE_LOADED);
    Steps(300);
    EXPECT_EQ(title->mState, TitleScreen::STATE_LOADED); // the logo still shows
    while (title->mLogos->IsRunning())
        Steps(1);
    EXPECT_EQ(title->mSceneRise.mSpeed, 0.002f);
    int rise = 0;
    while (title->mState == TitleScreen::STATE_LOADED && rise < 1000)
        Steps(1), ++rise;
    EXPECT_NEAR(rise, 500, 2);
    EXPECT_EQ(title->mState, TitleScreen::STATE_WAITING);
    EXPECT_EQ(title->mSceneRise.mCurrent, 1.0f);
    EXPECT_NE(title->mClickLabel, nullptr);
    EXPECT_EQ(title->mLineSlide.mSpeed, 1.2f);

    // Another key only skips; Enter leaves through a fade to black.
    title->KeyDown('A');
    EXPECT_EQ(title->mState, TitleScreen::STATE_WAITING);
    title->KeyDown(13);
    EXPECT_EQ(title->mState, TitleScreen::STATE_LEAVING);
    EXPECT_EQ(app.firstScreens, 0);
}

TEST_F(TitleScreenTest, NothingLeavesBeforeLoadingHasCompleted)
{
    Make();
    title->mLogos->mCurrent = 1; // the logo is over
    Steps(600);
    EXPECT_EQ(title->mSceneRise.mCurrent, 1.0f);
    EXPECT_EQ(title->mState, TitleScreen::STATE_LOADING);
    title->MouseDown(10, 10, 1);
    EXPECT_EQ(title->mState, TitleScreen::STATE_LOADING);
    title->LoadingComplete();
    Steps(1);
    EXPECT_EQ(title->mState, TitleScreen::STATE_WAITING);
}

TEST_F(TitleScreenTest, AStartLevelHandsOverAtOnce)
{
    Make();
    app.SetInteger("set_start_level", 4);
    title->LoadingComplete();
    EXPECT_EQ(app.firstScreens, 1);
    EXPECT_EQ(title->mManager, nullptr);
    title = nullptr; // queued for deletion
    app.ProcessSafeDeleteList();
}

// An uncompressed 32-bit TGA of w x h pixels of one colour.
std::string Tga(int w, int h, uint32_t argb)
{
    std::string bytes(18, '\0');
    bytes[2] = 2;
    bytes[12] = char(w), bytes[14] = char(h);
    bytes[16] = 32;
    bytes[17] = 8;
    for (int i = 0; i < w * h; ++i)
        for (int b = 0; b < 4; ++b)
            bytes += char((argb >> (8 * b)) & 0xFF);
    return bytes;
}

TEST_F(TitleScreenTest, BrandingLogosNeedTheirChecksum)
{
    testsupport::TempDir dir;
    const std::string good = dir.Write("good.tga", Tga(4, 4, 0xFF102030));
    const std::string bad = dir.Write("bad.tga", Tga(4, 4, 0xFF405060));
    std::unique_ptr<ImageLib::Image> decoded(ImageLib::GetImage(good));
    ASSERT_TRUE(decoded);
    const uint32_t sum = ComputeBrandingChecksum(decoded.get());
    // A checksum line may carry more after its digits and end in "\r\n".
    const std::string list = dir.Write("branding.txt", good + "\r\n" + std::to_string(sum) + "x\r\n" + bad + "\n" +
                                                           std::to_string(sum) + "\n" + dir.Path() + "/none.tga\n0\n" +
                                                           good + "\n");
    app.SetBoolean("olvane_logo_last", true);
    Make();
    ASSERT_EQ(title->mLogos->mLogos.size(), 1u);
    title->LoadBranding(list);
    ASSERT_EQ(title->mLogos->mLogos.size(), 2u);
    const LogoSequence::Logo& logo = title->mLogos->mLogos[1];
    EXPECT_TRUE(logo.mOwned);
    ASSERT_NE(logo.mImage, nullptr);
    EXPECT_EQ(logo.mImage->mWidth, 4);
    EXPECT_EQ(logo.mImage->mFilePath, good);
}

} // namespace
