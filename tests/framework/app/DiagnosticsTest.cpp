#include "tests/framework/app/AppFixture.h"
#include "tests/framework/display/DisplayFixture.h"

#include "framework/app/DebugOverlay.h"
#include "framework/app/MemLeaks.h"
#include "framework/app/PerfTimer.h"
#include "framework/app/Screenshot.h"
#include "framework/app/VideoStats.h"
#include "framework/graphics/ImageLib.h"
#include "platform/win32/Modules.h"
#include "tests/support/TempDir.h"

#include <fstream>
#include <sstream>

namespace apptest {
namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(Screenshots, NumberFollowsTheLargestImageNumber)
{
    struct Case {
        const char* name;
        std::vector<std::string> files;
        int expected;
    };
    const Case cases[] = {
        { "empty folder", {}, 1 },
        { "largest of two", { "image3.png", "image12.png" }, 13 },
        { "other names ignored",
          { "image3.png", "shot40.png", "image.png", "image4x.png", "image-9.png", "image50.png.txt", "5.png" },
          4 },
        { "case and leading zeros", { "IMAGE7.PNG", "image0009.png" }, 10 },
        { "no number left", { "image2147483647.png" }, 0 },
        { "beyond an int", { "image99999999999999999999.png", "image1.png" }, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::TempDir dir;
        for (const std::string& f : c.files)
            dir.Write(f, "x");
        EXPECT_EQ(Kivo::NextScreenshotNumber(dir.Path() + "/"), c.expected);
    }
}

class ScreenshotOfDisplay : public displaytest::DisplayTest {
protected:
    // The application tests leave "ddraw.dll" without its functions.
    void SetUp() override
    {
        platform::RegisterModuleFunction(platform::kDDrawModule, "DirectDrawCreate", &DirectDrawCreate);
        platform::RegisterModuleFunction(platform::kDDrawModule, "DirectDrawCreateEx", &DirectDrawCreateEx);
        DisplayTest::SetUp();
    }
};

TEST_F(ScreenshotOfDisplay, ThePngReadBackEqualsTheScreen)
{
    ASSERT_EQ(display->Init(Window(), true), 0);
    Kivo::DDImage* screen = display->mScreenImage;
    auto paint = [screen](int x, int y, uint32_t argb) {
        Kivo::MemoryImage patch;
        std::vector<uint32_t> pixels(16, argb);
        patch.SetBits(pixels.data(), 4, 4);
        screen->Blt(&patch, x, y, Kivo::Rect(0, 0, 4, 4), Kivo::Color(255, 255, 255), 0);
    };
    screen->FillRect(Kivo::Rect(0, 0, screen->mWidth, screen->mHeight), Kivo::Color(0, 0, 255), 0);
    paint(10, 20, 0xFFFF8000);
    ASSERT_TRUE(display->Redraw());

    testsupport::TempDir dir;
    dir.Write("image4.png", "not a picture");
    const std::string folder = dir.Path() + "/";
    ASSERT_EQ(Kivo::SaveScreenshot(display.get(), folder), folder + "image5.png");
    EXPECT_EQ(ReadFile(folder + "image4.png"), "not a picture");

    std::unique_ptr<ImageLib::Image> png(ImageLib::GetImage(folder + "image5.png", false));
    ASSERT_TRUE(png);
    ASSERT_EQ(png->mWidth, screen->mWidth);
    ASSERT_EQ(png->mHeight, screen->mHeight);
    const uint32_t* bits = screen->GetBits();
    ASSERT_TRUE(bits);
    EXPECT_EQ(png->mBits[20 * png->mWidth + 10], 0xFFFF8000u);
    EXPECT_TRUE(std::equal(bits, bits + size_t(png->mWidth) * png->mHeight, png->mBits));

    // Drawing not yet presented is in the next screenshot too.
    paint(0, 0, 0xFF00FF00);
    ASSERT_EQ(Kivo::SaveScreenshot(display.get(), folder), folder + "image6.png");
    png.reset(ImageLib::GetImage(folder + "image6.png", false));
    ASSERT_TRUE(png);
    EXPECT_EQ(png->mBits[0], 0xFF00FF00u);
}

TEST_F(ScreenshotOfDisplay, NothingIsWrittenWithoutAScreenSurfaceOrANumber)
{
    testsupport::TempDir dir;
    const std::string folder = dir.Path() + "/";
    EXPECT_EQ(Kivo::SaveScreenshot(nullptr, folder), "");
    Kivo::NullDisplay memoryOnly(800, 600);
    EXPECT_EQ(Kivo::SaveScreenshot(&memoryOnly, folder), "");

    ASSERT_EQ(display->Init(Window(), true), 0);
    dir.Write("image2147483647.png", "kept");
    EXPECT_EQ(Kivo::SaveScreenshot(display.get(), folder), "");
    EXPECT_EQ(ReadFile(folder + "image2147483647.png"), "kept");
}

TEST(Profiler, ReportsTotalAndNamedTimersInNameOrder)
{
    Kivo::PerfBegin();
    EXPECT_TRUE(Kivo::IsPerfOn());
    Kivo::PerfEnd();
    EXPECT_FALSE(Kivo::IsPerfOn());
    std::string report = Kivo::GetPerfResults();
    EXPECT_EQ(report.rfind("Total Time: ", 0), 0u);
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 1);

    Kivo::PerfBegin();
    Kivo::PerfRecord("zeta", true);
    Kivo::PerfRecord("alpha", true);
    Kivo::PerfRecord("alpha", true); // nested: one run, two calls
    Kivo::PerfRecord("alpha", false);
    Kivo::PerfRecord("alpha", false);
    Kivo::PerfRecord("ghost", false); // never begun: skipped
    Kivo::PerfRecord("zeta", false);
    Kivo::PerfEnd();
    report = Kivo::GetPerfResults();
    std::istringstream lines(report);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line.rfind("Total Time: ", 0), 0u);
    std::getline(lines, line);
    EXPECT_EQ(line.rfind("alpha (2 calls, %", 0), 0u) << line;
    std::getline(lines, line);
    EXPECT_EQ(line.rfind("zeta (1 calls, %", 0), 0u) << line;
    EXPECT_FALSE(std::getline(lines, line));

    // Kept off: nothing is recorded.
    Kivo::PerfBegin(true);
    Kivo::PerfRecord("zeta", true);
    Kivo::PerfRecord("zeta", false);
    Kivo::PerfEnd();
    EXPECT_EQ(Kivo::GetPerfResults().find("zeta"), std::string::npos);
}

TEST(MemLeakReport, ListsEachLiveAllocationAndTheTotal)
{
    testsupport::TempDir dir;
    int a = 0;
    int b = 0;
    Kivo::MemLeakAdd(&a, 1, "one.cpp", 10);
    Kivo::MemLeakAdd(&b, 2048, "two.cpp", 20);
    Kivo::WriteMemLeakReport(dir / "mem_leaks.txt");
    Kivo::MemLeakRemove(&a);
    Kivo::MemLeakRemove(&b);
    const std::string text = ReadFile(dir / "mem_leaks.txt");
    EXPECT_EQ(text.rfind("Memory Leak Report for ", 0), 0u);
    EXPECT_NE(text.find("one.cpp(10) : Leak 1 byte\n"), std::string::npos);
    EXPECT_NE(text.find("two.cpp(20) : Leak 2048 bytes\n"), std::string::npos);
    EXPECT_NE(text.find("-----------------------------------------------------------\n"
                        "Total Unfreed: 2049 bytes (2KB)\n\n"),
              std::string::npos);
}

class Diagnostics : public AppTest {};

TEST_F(Diagnostics, FrameRateChangesOncePerSecondAndRounds)
{
    MakeApp(true);
    Kivo::FreeDebugOverlays();
    Kivo::DrawFPSOverlay(*app); // starts the count, shows 0
    ASSERT_TRUE(Kivo::GetFPSOverlayImage());
    EXPECT_EQ(Kivo::GetFPSOverlayImage()->mWidth, 50);
    EXPECT_EQ(Kivo::GetFPSOverlayValue(), 0);
    // White text on black.
    const Kivo::MemoryImage* image = Kivo::GetFPSOverlayImage();
    const uint32_t* pixels = const_cast<Kivo::MemoryImage*>(image)->GetBits();
    const size_t count = size_t(image->mWidth) * image->mHeight;
    EXPECT_EQ(pixels[0], 0xFF000000u);
    EXPECT_TRUE(std::any_of(pixels, pixels + count, [](uint32_t p) { return (p & 0xFF) > 0x80; }));

    struct Step {
        int frames;
        int ms; // spread evenly over the frames
        int shown;
    };
    // 36 frames plus the one that reads the stopwatch make 37.
    const Step steps[] = { { 36, 1000, 37 }, { 36, 1010, 37 }, { 9, 1000, 10 } };
    int previous = 0;
    for (const Step& s : steps) {
        const uint64_t gap = uint64_t(s.ms) * 1000 / (s.frames + 1);
        for (int i = 0; i < s.frames; ++i) {
            backend->clock.AdvanceMicros(gap);
            Kivo::DrawFPSOverlay(*app);
            EXPECT_EQ(Kivo::GetFPSOverlayValue(), previous);
        }
        backend->clock.AdvanceMicros(uint64_t(s.ms) * 1000 - gap * s.frames);
        Kivo::DrawFPSOverlay(*app);
        EXPECT_EQ(Kivo::GetFPSOverlayValue(), s.shown);
        previous = s.shown;
    }
    Kivo::ResetFPSOverlay();
    Kivo::DrawFPSOverlay(*app);
    EXPECT_EQ(Kivo::GetFPSOverlayValue(), 0);
}

TEST_F(Diagnostics, DebugKeysShowVideoStatsAndPerfResults)
{
    MakeApp(true);
    EXPECT_TRUE(app->DebugKeyDown('w'));
    auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Video Stats");
    EXPECT_EQ(boxes[0].text.rfind("3D-Mode is Off (3D is Unsupported on this system)\r\n\r\nNum Images: ", 0), 0u);
    EXPECT_NE(boxes[0].text.find("Video Memory: 0/0 KB\r\nTexture Memory: 0 KB\r\nA8R8G8B8: 0 - 0 KB\r\n"),
              std::string::npos);

    EXPECT_FALSE(app->DebugKeyDown('q'));
    EXPECT_TRUE(Kivo::IsPerfOn());
    EXPECT_TRUE(Boxes().empty());
    EXPECT_FALSE(app->DebugKeyDown('q'));
    EXPECT_FALSE(Kivo::IsPerfOn());
    boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Perf Results");
    EXPECT_EQ(boxes[0].text.rfind("Total Time: ", 0), 0u);
}

TEST_F(Diagnostics, RedrawPutsTheOverlaysInTheBottomRightCorner)
{
    MakeApp(true);
    app->showFps = true;
    app->demoPlaying = true;
    app->demoEndUpdate = app->updateCount + 100 * 3725; // 1:02:05 at 10 ms
    app->forceRedraw = true;
    app->KivoAppBase::Redraw(nullptr);
    Kivo::MemoryImage* frame = Kivo::GetFPSOverlayImage();
    Kivo::MemoryImage* demo = Kivo::GetDemoTimeOverlayImage();
    ASSERT_TRUE(frame && demo);
    Kivo::Image* screen = Display()->GetScreenImage();
    auto* bits = static_cast<Kivo::MemoryImage*>(screen)->GetBits();
    const int w = screen->mWidth;
    // The black fill of each overlay lands at its corner, nothing beside it.
    const int fx = w - frame->mWidth - 10;
    const int fy = screen->mHeight - frame->mHeight - 10;
    const int dy = screen->mHeight - frame->mHeight - demo->mHeight - 15;
    EXPECT_EQ(bits[size_t(fy) * w + fx], 0xFF000000u);
    EXPECT_EQ(bits[size_t(dy) * w + w - demo->mWidth - 10], 0xFF000000u);
    EXPECT_NE(bits[size_t(fy) * w + fx - 1], 0xFF000000u);
    app->demoPlaying = false;
}

} // namespace
} // namespace apptest
