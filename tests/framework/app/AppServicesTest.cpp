#include "tests/framework/app/AppFixture.h"

#include "framework/app/TimeHooks.h"
#include "framework/display/D3DInterface.h"
#include "framework/display/DDInterface.h"
#include "framework/graphics/AnimInfo.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/resources/ResourceHelpers.h"
#include "framework/resources/ResourceManager.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/ddraw/DDraw.h"
#include "platform/win32/MessageBox.h"
#include "platform/win32/Modules.h"
#include "platform/win32/Shell.h"
#include "tests/support/ScopedCwd.h"
#include "tests/support/TempDir.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <future>
#include <thread>
#include <unistd.h>

namespace apptest {
namespace {

class Services : public AppTest {};

class TrackedDialog : public Kivo::Dialog {
public:
    TrackedDialog(int id, bool modal, bool* deleted)
        : Dialog(nullptr, nullptr, id, modal, "h", "l", "f", 0), mDeleted(deleted)
    {
    }
    ~TrackedDialog() override { *mDeleted = true; }
    int GetPreferredHeight(int width) override { return width / 4; }
    bool* mDeleted;
};

TEST_F(Services, ADialogWithoutAWidthIsSizedAndPlacedInTheGameArea)
{
    MakeApp(false);
    bool deleted = false;
    auto* dialog = new TrackedDialog(5, true, &deleted);
    app->AddDialog(dialog);
    EXPECT_EQ(dialog->mX, 200);
    EXPECT_EQ(dialog->mY, 120);
    EXPECT_EQ(dialog->mWidth, 400);
    EXPECT_EQ(dialog->mHeight, 100);
    EXPECT_EQ(app->GetDialog(5), dialog);
    EXPECT_EQ(app->widgetManager->mBaseModalWidget, dialog);
    EXPECT_TRUE(app->KillDialog(5));
    EXPECT_EQ(app->widgetManager->mBaseModalWidget, nullptr);
    EXPECT_FALSE(deleted); // after the pass
    app->ProcessSafeDeleteList();
    EXPECT_TRUE(deleted);
    EXPECT_FALSE(app->KillDialog(5));
}

TEST_F(Services, ADialogUnderAnIdInUseReplacesAndDeletesTheOldOne)
{
    MakeApp(false);
    bool firstDeleted = false, secondDeleted = false;
    auto* first = new TrackedDialog(7, false, &firstDeleted);
    auto* second = new TrackedDialog(7, false, &secondDeleted);
    app->AddDialog(first);
    app->AddDialog(second);
    app->ProcessSafeDeleteList();
    EXPECT_TRUE(firstDeleted);
    EXPECT_EQ(app->GetDialog(7), second);
    EXPECT_EQ(app->GetDialogCount(), 1);
    EXPECT_EQ(app->dialogList.size(), 1u);
    // Adding the same dialog again keeps it: it is neither removed nor queued
    // for deletion.
    app->AddDialog(second);
    app->ProcessSafeDeleteList();
    EXPECT_FALSE(secondDeleted);
    EXPECT_EQ(app->GetDialog(7), second);
    EXPECT_TRUE(app->widgetManager->HasWidget(second));
    EXPECT_EQ(app->dialogList.size(), 1u);
    app->KillDialog(7);
    app->ProcessSafeDeleteList();
    EXPECT_TRUE(secondDeleted);
}

TEST_F(Services, KillingADialogTurnsResultMinusOneIntoZero)
{
    MakeApp(false);
    bool deleted = false;
    TrackedDialog dialog(3, false, &deleted);
    dialog.mResult = -1;
    app->AddDialog(&dialog);
    EXPECT_TRUE(app->KillDialog(3, true, false));
    EXPECT_EQ(dialog.mResult, 0);
    EXPECT_FALSE(app->widgetManager->HasWidget(&dialog));
}

TEST_F(Services, DialogButtonsBecomeButtonIdsOfTheApplication)
{
    struct Listener : TestApp {
        void ButtonPress(int id) override { pressed.push_back(id); }
        std::vector<int> pressed;
    } listener;
    listener.DialogButtonPress(4, 1000);
    listener.DialogButtonPress(4, 1001);
    listener.DialogButtonPress(4, 1002);
    EXPECT_EQ(listener.pressed, (std::vector<int> { 2004, 3004 }));
}

TEST_F(Services, PopupsShowFatalBoxesExceptDuringShutdownOrAsAScreenSaver)
{
    testsupport::TempDir dir;
    testsupport::ScopedCwd cwd(dir.Path());
    MakeApp(false);
    app->Popup("first");
    auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "FATAL ERROR");
    EXPECT_EQ(boxes[0].type, MB_ICONERROR);

    app->screensaverMode = true;
    for (const char* text : { "one", "two", "three" })
        app->Popup(text);
    EXPECT_EQ(app->MsgBox("question", "q", MB_YESNO), IDOK);
    EXPECT_TRUE(Boxes().empty());
    std::ifstream log(dir / "ScrError.txt");
    std::vector<std::string> lines;
    for (std::string line; std::getline(log, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].rfind("one ", 0), 0u);
    EXPECT_EQ(lines[3].rfind("question ", 0), 0u);

    app->screensaverMode = false;
    app->Shutdown();
    app->Popup("late");
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(Services, TheResourceManifestLoadsThroughTheApplicationAndItsFailureIsFatal)
{
    testsupport::TempDir dir;
    testsupport::ScopedCwd cwd(dir.Path());
    MakeApp(false);
    ASSERT_NE(app->resourceManager, nullptr);
    EXPECT_EQ(Kivo::GetResourceHost()->GetResourceManager(), app->resourceManager);

    // No manifest: the parse error is shown and the process ends with 0.
    try {
        app->LoadResourceManifest();
        FAIL() << "a missing manifest must end the process";
    } catch (const ExitCalled& e) {
        EXPECT_EQ(e.code, 0);
    }
    auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "FATAL ERROR");
    EXPECT_EQ(boxes[0].text, app->resourceManager->GetErrorText());

    // A manifest whose image is found through the application's own loader.
    dir.Write("images/dot.tga", std::string("\0\0\2\0\0\0\0\0\0\0\0\0\1\0\1\0\x20\x08"
                                            "\x10\x20\x30\xFF", 22));
    dir.Write("properties/resources.xml",
              "<ResourceManifest><Resources id=\"General\"><SetDefaults path=\"images\" idprefix=\"IMAGE_\"/>"
              "<Image id=\"DOT\" path=\"dot\"/></Resources></ResourceManifest>");
    delete app->resourceManager; // it keeps its first failure
    app->resourceManager = new Kivo::ResourceManager(&app->resourceHost);
    app->LoadResourceManifest();
    ASSERT_TRUE(app->resourceManager->LoadResources("General"));
    Kivo::Image* dot = GetImageById("IMAGE_DOT");
    ASSERT_NE(dot, nullptr);
    EXPECT_EQ(dot->GetWidth(), 1);
}

TEST_F(Services, AnAddressIsOpenedOnceWhilePending)
{
    MakeApp(false);
    int launches = 0;
    bool launcherWorks = true;
    platform::SetLauncher([&](const std::vector<std::string>&) {
        ++launches;
        return launcherWorks;
    });
    EXPECT_TRUE(app->OpenURL("https://example.com/"));
    EXPECT_TRUE(app->OpenURL("https://example.com/"));
    EXPECT_EQ(launches, 1);
    app->OpenURLSucceeded("https://example.com/");
    EXPECT_FALSE(app->openURLPending);
    EXPECT_FALSE(app->shutdown);
    launcherWorks = false;
    EXPECT_FALSE(app->OpenURL("https://example.com/"));
    EXPECT_FALSE(app->openURLPending);
    EXPECT_TRUE(app->OpenURL("https://example.com/quit", true) == false);
    launcherWorks = true;
    EXPECT_TRUE(app->OpenURL("https://example.com/quit", true));
    app->OpenURLSucceeded("https://example.com/quit");
    EXPECT_TRUE(app->shutdown);
    platform::SetLauncher(nullptr);
}

TEST_F(Services, ASecondCallerHoldingTheTableLockGetsTheImageAnotherThreadIsReading)
{
    // The second caller holds the table's lock once more around its call,
    // as drawing code under the display lock does: the reader must still
    // hand its image over rather than wait for that lock.
    testsupport::TempDir dir;
    testsupport::ScopedCwd cwd(dir.Path());
    MakeApp(false);
    std::promise<void> reading, release;
    std::shared_future<void> released = release.get_future().share();
    app->onGetImage = [&] {
        reading.set_value();
        released.wait();
    };
    std::thread reader([&] { app->GetSharedImage("images/none", "", nullptr); });
    reading.get_future().wait();
    // Lets the read end once the caller below has had time to start waiting.
    std::thread releaser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        release.set_value();
    });
    {
        const std::lock_guard outer(app->sharedImageLock);
        bool created = true;
        Kivo::SharedImageRef ref = app->GetSharedImage("IMAGES/NONE", "", &created);
        EXPECT_FALSE(created);
        EXPECT_EQ(ref.GetSharedImage(), nullptr); // the file is missing
        EXPECT_TRUE(app->sharedImagesDecoding.empty());
    }
    releaser.join();
    reader.join();
    EXPECT_TRUE(app->sharedImagesDecoding.empty());
}

TEST_F(Services, SharedImagesAreFoundWithoutCaseAndReleasedAfterTheLastReference)
{
    testsupport::TempDir dir;
    testsupport::ScopedCwd cwd(dir.Path());
    MakeApp(false);
    bool created = false;
    {
        Kivo::SharedImageRef a = app->GetSharedImage("!Blank", "v", &created);
        EXPECT_TRUE(created);
        ASSERT_NE(a.GetSharedImage(), nullptr); // made empty, no file read
        Kivo::SharedImageRef b = app->GetSharedImage("!BLANK", "V", &created);
        EXPECT_FALSE(created);
        EXPECT_EQ(a.mSharedImage, b.mSharedImage);
        Kivo::SharedImageRef missing = app->GetSharedImage("images/none", "", &created);
        EXPECT_TRUE(created);
        EXPECT_EQ(missing.GetSharedImage(), nullptr);
        EXPECT_EQ(app->sharedImageMap.size(), 2u);
    }
    EXPECT_TRUE(app->sharedImagesDirty);
    app->UpdateFrames();
    EXPECT_TRUE(app->sharedImageMap.empty());
    EXPECT_FALSE(app->sharedImagesDirty);
}

TEST_F(Services, TheClipboardHoldsWindows1252Text)
{
    MakeApp(false);
    app->CopyToClipboard("caf\xE9");
    EXPECT_EQ(backend->windows.clipboard, "caf\xC3\xA9");
    EXPECT_EQ(app->GetClipboard(), "caf\xE9");
}

TEST_F(Services, TheProductVersionComesFromTheProgramsOwnFile)
{
    platform::SetProductVersion("1.2.3");
    MakeApp(false);
    char self[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(nullptr, self, MAX_PATH), 0u);
    EXPECT_EQ(app->productVersion, "1.2.3");
    EXPECT_EQ(Kivo::KivoAppBase::GetProductVersion(self), "1.2.3");
    EXPECT_EQ(Kivo::KivoAppBase::GetProductVersion("/bin/sh"), "");
    platform::SetProductVersion("");
}

TEST_F(Services, AnsweringNoToTheFirstAccelerationQuestionStoresNothing)
{
    MakeApp(true);
    app->registryKey = "KivoTest\\Accel" + std::to_string(getpid());
    app->is3DChanged = true;
    app->ddInterface->mIs3D = true;
    Kivo::gD3DRenderTargetFailed = true;
    backend->boxes.Script({ IDNO });
    Boxes();
    app.reset();
    auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("was switched on"), std::string::npos);
    EXPECT_EQ(boxes[0].type, MB_YESNO | MB_ICONQUESTION);
    Kivo::gD3DRenderTargetFailed = false;
    TestApp reader;
    reader.registryKey = "KivoTest\\Accel" + std::to_string(getpid());
    int value = 0;
    EXPECT_FALSE(reader.RegistryReadInteger("Is3D", &value));
}

// A scene that could not be opened on the draw surface (SetRenderTarget
// failed) during the run: at exit the player is asked whether to keep
// hardware acceleration, and No stores it off. A run whose scenes opened
// asks nothing.
TEST_F(Services, ARenderTargetFailureAsksAtExitWhetherToKeep3D)
{
    platform::RegisterModuleFunction(platform::kDDrawModule, "DirectDrawCreate", &DirectDrawCreate);
    platform::RegisterModuleFunction(platform::kDDrawModule, "DirectDrawCreateEx", &DirectDrawCreateEx);
    const std::string key = "KivoTest\\Target" + std::to_string(getpid());
    for (bool fail : { false, true }) {
        SCOPED_TRACE(fail);
        platform::ResetDDraw();
        Kivo::SetDisplayFactory([this] {
            auto* display = new Kivo::DDInterface(app.get());
            display->mIs3D = true;
            return display;
        });
        MakeApp(true);
        app->registryKey = key;
        ASSERT_TRUE(app->Is3DAccelerated());
        Kivo::D3DInterface* d3d = app->ddInterface->mD3DInterface;
        ASSERT_NE(d3d, nullptr);
        if (fail)
            platform::DDraw().FailCall("SetRenderTarget", E_FAIL, 1);
        d3d->FillRect(Kivo::Rect(0, 0, 4, 4), Kivo::Color(255, 0, 0), 0);
        d3d->EndSceneIfActive();
        EXPECT_EQ(Kivo::gD3DRenderTargetFailed, fail);
        backend->boxes.Script({ IDNO });
        Boxes();
        app.reset();
        auto boxes = Boxes();
        TestApp reader;
        reader.registryKey = key;
        int value = -1;
        if (!fail) {
            EXPECT_TRUE(boxes.empty());
            EXPECT_FALSE(reader.RegistryReadInteger("Is3D", &value));
            continue;
        }
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_NE(boxes[0].text.find("may not have been working"), std::string::npos);
        EXPECT_EQ(boxes[0].type, MB_YESNO | MB_ICONQUESTION);
        EXPECT_TRUE(reader.RegistryReadInteger("Is3D", &value));
        EXPECT_EQ(value, 0);
    }
    Kivo::gD3DRenderTargetFailed = false;
    platform::ResetDDraw();
}

TEST_F(Services, MirroringAnOddWidthKeepsTheMiddleColumn)
{
    MakeApp(false);
    Kivo::MemoryImage image;
    const uint32_t pixels[6] = { 1, 2, 3, 4, 5, 6 }; // 3 x 2
    image.SetBits(pixels, 3, 2, false);
    Kivo::KivoAppBase::MirrorImageX(&image);
    EXPECT_EQ(std::vector<uint32_t>(image.GetBits(), image.GetBits() + 6), (std::vector<uint32_t> { 3, 2, 1, 6, 5, 4 }));
    Kivo::KivoAppBase::MirrorImageY(&image);
    EXPECT_EQ(std::vector<uint32_t>(image.GetBits(), image.GetBits() + 6), (std::vector<uint32_t> { 6, 5, 4, 3, 2, 1 }));
}

// A copy of an animation strip is drawn as the strip is: its cels and
// animation come with the pixels, whole or from a rectangle.
TEST_F(Services, ACopyKeepsTheCelsAndTheAnimationOfItsImage)
{
    MakeApp(false);
    Kivo::MemoryImage strip;
    const uint32_t pixels[6] = { 1, 2, 3, 4, 5, 6 }; // 3 x 2
    strip.SetBits(pixels, 3, 2, false);
    strip.mFilePath = "images/strip";
    strip.mNumRows = 2;
    strip.mNumCols = 3;
    strip.mNumCels = 5;
    strip.mAnimInfo = new Kivo::AnimInfo;
    strip.mAnimInfo->mAnimType = Kivo::AnimInfo::AnimType_Loop;
    strip.mAnimInfo->mFrameDelay = 7;
    strip.mAnimInfo->Compute(5);
    struct Case {
        Kivo::Rect rect;
        std::vector<uint32_t> pixels;
    };
    for (const Case& c : { Case { Kivo::Rect(0, 0, 3, 2), { 1, 2, 3, 4, 5, 6 } }, Case { Kivo::Rect(1, 0, 2, 2), { 2, 3, 5, 6 } } }) {
        SCOPED_TRACE(c.rect.mX);
        std::unique_ptr<Kivo::MemoryImage> copy(c.rect.mX == 0 ? app->CopyImage(&strip) : app->CopyImage(&strip, c.rect));
        ASSERT_EQ(copy->mWidth * copy->mHeight, int(c.pixels.size()));
        EXPECT_EQ(std::vector<uint32_t>(copy->GetBits(), copy->GetBits() + c.pixels.size()), c.pixels);
        EXPECT_EQ(copy->mFilePath, "images/strip");
        EXPECT_EQ(copy->mNumRows, 2);
        EXPECT_EQ(copy->mNumCols, 3);
        EXPECT_EQ(copy->mNumCels, 5);
        ASSERT_NE(copy->mAnimInfo, nullptr);
        EXPECT_NE(copy->mAnimInfo, strip.mAnimInfo);
        EXPECT_EQ(copy->mAnimInfo->mTotalAnimTime, strip.mAnimInfo->mTotalAnimTime);
        EXPECT_EQ(copy->mAnimInfo->GetCel(15), strip.mAnimInfo->GetCel(15));
    }
}

TEST_F(Services, HueShiftsWrapAroundTheWheel)
{
    using Kivo::KivoAppBase;
    auto channels = [](uint32_t c) { return std::vector<int> { int(c >> 16 & 255), int(c >> 8 & 255), int(c & 255) }; };
    auto strongest = [&](uint32_t c) {
        auto v = channels(c);
        return int(std::max_element(v.begin(), v.end()) - v.begin());
    };
    const uint32_t colours[] = { 0xFFFF0000, 0x80FF0000, 0xFF00FF00, 0xFF0000FF, 0xFF336699, 0xFFC08040, 0x00000000 };
    for (uint32_t c : colours) {
        SCOPED_TRACE(c);
        // Whole turns are the same as none, in both directions.
        for (int turn : { 256, -256, 512 })
            EXPECT_EQ(KivoAppBase::ShiftHue(c, turn), KivoAppBase::ShiftHue(c, 0));
        EXPECT_EQ(KivoAppBase::ShiftHue(c, 0) >> 24, c >> 24); // alpha kept
    }
    for (int shift = -600; shift <= 600; shift += 7) {
        SCOPED_TRACE(shift);
        for (uint32_t grey : { 0xFF000000u, 0xFF808080u, 0xFFFFFFFFu, 0xFF101010u }) {
            auto v = channels(KivoAppBase::ShiftHue(grey, shift));
            EXPECT_TRUE(v[0] == v[1] && v[1] == v[2]);
        }
        // Pure red has the hue 256 before the shift: every shift still
        // gives a saturated colour.
        auto v = channels(KivoAppBase::ShiftHue(0xFFFF0000, shift));
        EXPECT_GE(*std::max_element(v.begin(), v.end()), 250);
        EXPECT_LE(*std::min_element(v.begin(), v.end()), 5);
    }
    // A third of a turn moves red to green, green to blue, blue to red.
    EXPECT_EQ(strongest(KivoAppBase::ShiftHue(0xFFFF0000, 85)), 1);
    EXPECT_EQ(strongest(KivoAppBase::ShiftHue(0xFF00FF00, 85)), 2);
    EXPECT_EQ(strongest(KivoAppBase::ShiftHue(0xFF0000FF, 85)), 0);
    EXPECT_EQ(strongest(KivoAppBase::ShiftHue(0xFFFF0000, -85)), 2);
}

// A frame timer made at update 0 and game time 0, then updated at the
// update count and game time given.
Kivo::kivoTimer* UpdatedTimer(Kivo::KivoAppBase& app, int updateCount, double time)
{
    static double gameTime;
    gameTime = 0;
    Kivo::kivoTimer::sGameTime = [] { return gameTime; };
    Kivo::kivoTimer* timer = Kivo::kivoTimer::Instance();
    app.updateCount = updateCount;
    gameTime = time;
    timer->Update();
    return timer;
}

TEST_F(Services, TheFrameTimerReadsTheApplicationsUpdateCount)
{
    MakeApp(false);
    Kivo::kivoTimer* timer = UpdatedTimer(*app, 7, 250);
    EXPECT_EQ(timer->GetElapsedMs(), 70);
    EXPECT_EQ(timer->GetTotalMs(), 70);
    EXPECT_FLOAT_EQ(timer->GetElapsed(), 2.5f);
    EXPECT_EQ(timer->GetScale(), 1);
    Kivo::kivoTimer::Delete();
    Kivo::kivoTimer::sGameTime = nullptr;
}

TEST_F(Services, TheTimeHooksReadTheFrameTimer)
{
    MakeApp(false);
    UpdatedTimer(*app, 3, 1.5);
    Kivo::TimeHooks& hooks = Kivo::GetTimeHooks();
    hooks.stub();
    EXPECT_FLOAT_EQ(Kivo::FrameTime(), 0.015f);
    EXPECT_EQ(hooks.elapsedMs(), 30);
    EXPECT_EQ(hooks.totalMs(), 30);
    EXPECT_EQ(hooks.scale(), 1);
    hooks.frameTime = [] { return 0.25f; };
    EXPECT_EQ(Kivo::FrameTime(), 0.25f);
    Kivo::ResetTimeHooks();
    EXPECT_FLOAT_EQ(Kivo::FrameTime(), 0.015f);
    Kivo::kivoTimer::Delete();
    Kivo::kivoTimer::sGameTime = nullptr;
}

} // namespace
} // namespace apptest
