#include "game/app/GameApp.h"

#include "game/profiles/ProfileManager.h"

#include "framework/core/Paths.h"
#include "framework/display/DDInterface.h"
#include "framework/graphics/ImageLib.h"
#include "platform/Paths.h"
#include "platform/ddraw/DDraw.h"
#include "platform/dsound/DSound.h"
#include "platform/headless/HeadlessBackend.h"
#include "platform/win32/Modules.h"
#include "platform/win32/Shell.h"
#include "platform/win32/Window.h"
#include "tests/support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <gtest/gtest.h>

namespace {

TEST(GameAppStart, TheGameStartsRunsItsLoopAndQuitsOnAClose)
{
    ASSERT_TRUE(platform::UseBackend("headless"));
    auto* backend = platform::HeadlessBackend::Current();
    platform::ResetWindows();
    platform::RegisterDirectSound();
    platform::RegisterShellLibraries();
    platform::RegisterModule("ddraw.dll");
    testsupport::TempDir dir;
    // The guard's lock and the data folder stay inside the test's folder.
    setenv("XDG_RUNTIME_DIR", dir.Path().c_str(), 1);
    setenv("XDG_DATA_HOME", dir.Path().c_str(), 1);
    const auto cwd = std::filesystem::current_path();
    {
        GameApp app;
        app.musicDisabled = true;
        app.Init();
        EXPECT_EQ(Kivo::GetAppDataFolder(), dir.Path() + "\\Olvane Studio\\Marrowfen\\");
        EXPECT_EQ(backend->windows.title.rfind("Marrowfen v.", 0), 0u);
        EXPECT_EQ(backend->windows.windowWidth, 800);
        EXPECT_EQ(backend->windows.windowHeight, 600);

        // Voice lines ask the application for the player's profile.
        EXPECT_FALSE(app.HasProfile());
        ProfileManager* profiles = ProfileManager::Instance();
        ASSERT_TRUE(profiles->CreateSlot(0));
        ASSERT_TRUE(profiles->SelectSlot(0));
        SetProfileInt("voice_test", 7);
        EXPECT_TRUE(app.HasProfile());
        EXPECT_EQ(app.GetProfileInt("voice_test"), 7);
        delete profiles;
        EXPECT_FALSE(app.HasProfile());
        platform::WindowEvent close;
        close.kind = platform::WindowEvent::Close;
        backend->windows.Push(close);
        testing::internal::CaptureStderr();
        app.Start();
        const std::string stats = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(app.shutdown);
        EXPECT_NE(stats.find("Update Count  = "), std::string::npos);
    }
    std::filesystem::current_path(cwd);
    platform::ResetWindows();
    unsetenv("XDG_RUNTIME_DIR");
    unsetenv("XDG_DATA_HOME");
}

TEST(GameAppDebugKeys, F11SavesTheScreenAsTheNextScreenshot)
{
    ASSERT_TRUE(platform::UseBackend("headless"));
    auto* backend = platform::HeadlessBackend::Current();
    platform::ResetWindows();
    platform::RegisterDirectSound();
    platform::RegisterShellLibraries();
    platform::RegisterModuleFunction(platform::kDDrawModule, "DirectDrawCreate", &DirectDrawCreate);
    platform::RegisterModuleFunction(platform::kDDrawModule, "DirectDrawCreateEx", &DirectDrawCreateEx);
    testsupport::TempDir dir;
    setenv("XDG_RUNTIME_DIR", dir.Path().c_str(), 1);
    setenv("XDG_DATA_HOME", dir.Path().c_str(), 1);
    const auto cwd = std::filesystem::current_path();
    {
        GameApp app;
        app.musicDisabled = true;
        Kivo::SetDisplayFactory([&app] { return new Kivo::DDInterface(&app); });
        app.Init();
        const std::string folder = Kivo::GetAppDataFolder() + "_screenshots\\";
        dir.Write("Olvane Studio/Marrowfen/_screenshots/image2.png", "older");
        auto key = [backend](int code, bool down) {
            platform::WindowEvent e;
            e.kind = platform::WindowEvent::Key;
            e.key = code;
            e.down = down;
            backend->windows.Push(e);
        };
        // A frame with the frame-rate overlay; then Ctrl+Alt+D switches the
        // debug keys on, and F11 comes as key 122.
        app.showFps = true;
        app.forceRedraw = true;
        ASSERT_TRUE(app.Redraw(nullptr));
        key(VK_CONTROL, true);
        key(VK_MENU, true);
        key('D', true);
        key('D', false);
        key(VK_MENU, false);
        key(VK_CONTROL, false);
        key(VK_F11, true);
        key(VK_F11, false);
        platform::WindowEvent close;
        close.kind = platform::WindowEvent::Close;
        backend->windows.Push(close);
        testing::internal::CaptureStderr();
        app.Start();
        testing::internal::GetCapturedStderr();
        EXPECT_TRUE(app.debugKeysOn);
        std::unique_ptr<ImageLib::Image> png(ImageLib::GetImage(folder + "image3.png", false));
        ASSERT_TRUE(png);
        EXPECT_EQ(png->mWidth, 800);
        EXPECT_EQ(png->mHeight, 600);
        // Its white text lies in the bottom right corner.
        bool text = false;
        for (int y = 550; y < 600; ++y)
            for (int x = 740; x < 800; ++x)
                text = text || (png->mBits[y * 800 + x] & 0xFF) > 0x80;
        EXPECT_TRUE(text);
        if (const char* keep = std::getenv("KEEP_SCREENSHOT"))
            std::filesystem::copy_file(platform::DiskPath(folder + "image3.png"), keep,
                                       std::filesystem::copy_options::overwrite_existing);
        Kivo::SetDisplayFactory(nullptr);
    }
    std::filesystem::current_path(cwd);
    platform::ResetWindows();
    unsetenv("XDG_RUNTIME_DIR");
    unsetenv("XDG_DATA_HOME");
}

} // namespace
