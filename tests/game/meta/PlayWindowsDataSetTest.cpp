// The windows on the generated data set: the demonstration boards play
// their loop and start it again, and every window draws. With
// WINDOW_PICTURES=<folder> the drawn screens are also written there as PNG
// files, for looking at.
#include "framework/graphics/ImageLib.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/resources/ResourceHelpers.h"
#include "framework/widgets/WidgetManager.h"
#include "game/effects/ActionScript.h"
#include "game/meta/WindowHelp.h"
#include "game/meta/WindowHowToPlay.h"
#include "game/meta/WindowLevelCompleted1.h"
#include "game/meta/WindowLevelCompleted2.h"
#include "game/meta/WindowOptions.h"
#include "game/meta/WindowPause.h"
#include "game/ui/WindowBase.h"
#include "tests/game/meta/AppWindowSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace {

using wintest::Backdrop;
using wintest::WindowApp;

class DataSetWindows : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(app.LoadDataSet());
        app.widgetManager->AddWidget(&backdrop);
    }
    void TearDown() override { app.widgetManager->RemoveWidget(&backdrop); }

    // Draws the screen, writes it when pictures are asked for, and gives
    // the pixels of the rectangle.
    std::vector<uint32_t> Shoot(const std::string& name, const Kivo::Rect& rect = Kivo::Rect(0, 0, 800, 600))
    {
        // A memory image has no tinted fast stretch (the display's surfaces
        // do): draw with the filtered one, as on an accelerated display.
        app.accelerated = true;
        std::unique_ptr<Kivo::MemoryImage> screen = app.DrawScreen();
        app.accelerated = false;
        const uint32_t* bits = screen->GetBits();
        if (const char* folder = std::getenv("WINDOW_PICTURES")) {
            ImageLib::Image png;
            png.mWidth = 800;
            png.mHeight = 600;
            png.mBits = new uint32_t[800 * 600];
            for (int i = 0; i < 800 * 600; ++i)
                png.mBits[i] = bits[i] | 0xFF000000u;
            EXPECT_TRUE(ImageLib::WritePNGImage(std::string(folder) + "/" + name + ".png", &png));
        }
        std::vector<uint32_t> out;
        for (int y = rect.mY; y < rect.mY + rect.mHeight; ++y)
            out.insert(out.end(), bits + y * 800 + rect.mX, bits + y * 800 + rect.mX + rect.mWidth);
        return out;
    }
    void Close(WindowBase* window)
    {
        app.KillDialog(window->mId);
        app.Step();
    }

    WindowApp app;
    Backdrop backdrop;
};

TEST_F(DataSetWindows, HowToPlayBoardsLoopEverySixSeconds)
{
    for (int mode : {1, 2, 3}) {
        auto* window = app.Open<WindowHowToPlay>();
        window->mGameType = mode;
        ASSERT_NE(window->CurrentScript(), nullptr);
        const int w = window->CurrentScript()->mWidth, h = window->CurrentScript()->mHeight;
        const Kivo::Rect board(window->mX + window->mWidth / 2 + 10 - w / 2, window->mY + 220 - h / 2, w, h);
        app.Steps(100);
        const auto early = Shoot("howtoplay_" + std::to_string(mode), board);
        app.Steps(200);
        const auto later = Shoot("howtoplay_" + std::to_string(mode) + "_later", board);
        app.Steps(400);
        const auto again = Shoot("howtoplay_" + std::to_string(mode) + "_again", board);
        EXPECT_NE(early, later) << mode << ": the board moves";
        EXPECT_EQ(early, again) << mode << ": a whole loop later the board is as it was";
        Close(window);
    }
}

TEST_F(DataSetWindows, EveryWindowDraws)
{
    const Kivo::Rect middle(300, 250, 200, 100);
    const auto backdropOnly = Shoot("backdrop", middle);

    auto* done1 = app.Open<WindowLevelCompleted1>();
    done1->SetScores(1250, 400, 180);
    app.Steps(260);
    EXPECT_NE(Shoot("level_completed1_counting", middle), backdropOnly);
    app.Steps(300);
    Shoot("level_completed1_done");
    Close(done1);

    auto* done2 = app.Open<WindowLevelCompleted2>();
    done2->SetScores(800, 1500, 90);
    app.Steps(260);
    Shoot("level_completed2_counting");
    app.Steps(300);
    Shoot("level_completed2_done");
    Close(done2);

    WindowBase* pause = app.Open<WindowPause>();
    app.Steps(2);
    EXPECT_NE(Shoot("pause", middle), backdropOnly);
    Close(pause);

    app.SetBoolean("voice_current", true);
    WindowBase* options = app.Open<WindowOptions>();
    app.Steps(2);
    EXPECT_NE(Shoot("options", middle), backdropOnly);
    Close(options);

    auto* help = app.Open<WindowHelp>();
    app.Steps(120);
    const auto intro = Shoot("help_intro", middle);
    help->KeyDown(39);
    app.Steps(6);
    const auto turning = Shoot("help_turning", middle);
    app.Steps(20);
    const auto tips = Shoot("help_tips", middle);
    help->KeyDown(39);
    app.Steps(20);
    const auto credits = Shoot("help_credits", middle);
    EXPECT_NE(intro, tips);
    EXPECT_NE(turning, tips);
    EXPECT_NE(tips, credits);
    Close(help);
}

// A window button's label stands in the middle of its plate: the rows its
// capitals light up are centred on the rows the plate covers, within 2 px,
// on each picture the windows give their labelled buttons.
TEST_F(DataSetWindows, ButtonLabelsSitInTheMiddleOfTheirPlates)
{
    for (const char* id : {"IMAGE_UI_BUTTON", "IMAGE_UI_BUTTON_SMALL", "IMAGE_UI_BUTTON_PANEL"}) {
        Kivo::Image* plate = GetImageById(id);
        ASSERT_NE(plate, nullptr) << id;
        WindowButton button(0, nullptr);
        button.SetImages(plate, GetImageById(std::string(id) + "_DOWN"));
        const auto draw = [&](const std::string& label) {
            button.mLabel = label;
            Kivo::MemoryImage image;
            image.Create(button.mWidth, button.mHeight);
            Kivo::Graphics g(&image);
            button.Draw(&g);
            const uint32_t* bits = image.GetBits();
            return std::vector<uint32_t>(bits, bits + button.mWidth * button.mHeight);
        };
        const auto bare = draw(""), labelled = draw("OK");
        const auto brightness = [](uint32_t p) { return int(p >> 16 & 0xFF) + int(p >> 8 & 0xFF) + int(p & 0xFF); };
        int inkTop = button.mHeight, inkBottom = -1, plateTop = button.mHeight, plateBottom = -1;
        for (int y = 0; y < button.mHeight; ++y) {
            for (int x = 0; x < button.mWidth; ++x) {
                const size_t i = size_t(y * button.mWidth + x);
                // The letters' faces, lighter than the plate (not their outline or shadow).
                if (brightness(labelled[i]) - brightness(bare[i]) > 150)
                    inkTop = std::min(inkTop, y), inkBottom = std::max(inkBottom, y);
            }
            if ((bare[size_t(y * button.mWidth + button.mWidth / 2)] >> 24) > 200)
                plateTop = std::min(plateTop, y), plateBottom = std::max(plateBottom, y);
        }
        ASSERT_GE(inkBottom, inkTop) << id << ": the label shows";
        ASSERT_GE(plateBottom, plateTop) << id;
        EXPECT_NEAR((inkTop + inkBottom) / 2.0, (plateTop + plateBottom) / 2.0, 2.0)
            << id << ": letters on rows " << inkTop << " to " << inkBottom << ", plate on rows " << plateTop << " to "
            << plateBottom;
    }
}

} // namespace
