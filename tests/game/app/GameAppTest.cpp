#include "game/app/GameApp.h"

#include "game/profiles/ProfileManager.h"

#include "framework/core/Paths.h"
#include "platform/dsound/DSound.h"
#include "platform/headless/HeadlessBackend.h"
#include "platform/win32/Modules.h"
#include "platform/win32/Shell.h"
#include "platform/win32/Window.h"
#include "tests/support/TempDir.h"

#include <cstdlib>
#include <filesystem>
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

} // namespace
