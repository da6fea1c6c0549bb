#include "tests/game/app/GameRun.h"

#include "framework/display/DDInterface.h"
#include "platform/ddraw/DDraw.h"
#include "platform/dsound/DSound.h"
#include "platform/win32/Modules.h"
#include "platform/win32/Shell.h"
#include "platform/win32/Window.h"
#include "tests/support/WindowEvents.h"

#include <cstdlib>

namespace gametest {

namespace {

[[noreturn]] void ThrowExit(int code)
{
    throw ExitCalled { code };
}

} // namespace

GameRun::GameRun(const std::string& programFolder) : cwd_(std::filesystem::current_path())
{
    platform::UseBackend("headless");
    backend = platform::HeadlessBackend::Current();
    platform::ResetWindows();
    platform::RegisterDirectSound();
    platform::RegisterShellLibraries();
    platform::RegisterModuleFunction(platform::kDDrawModule, "DirectDrawCreate", &DirectDrawCreate);
    platform::RegisterModuleFunction(platform::kDDrawModule, "DirectDrawCreateEx", &DirectDrawCreateEx);
    // The guard's lock, the registry and the data folder stay in the test's
    // folder.
    setenv("XDG_RUNTIME_DIR", dir.Path().c_str(), 1);
    setenv("XDG_DATA_HOME", dir.Path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
    previousPaks_ = gPakInterface;
    gPakInterface = &paks_;
    previousActive_ = SetActivePakInterface(&paks_);
    Kivo::SetExitFunction(&ThrowExit);
    app = new TestGameApp();
    app->programFolder = programFolder;
    app->windowedArg = true;
    app->requireMainPak = false; // fixtures are loose files without the archive
    Kivo::SetDisplayFactory([this] { return new Kivo::DDInterface(app); });
}

GameRun::~GameRun()
{
    delete app;
    Kivo::SetDisplayFactory(nullptr);
    Kivo::SetExitFunction(nullptr);
    SetActivePakInterface(previousActive_);
    gPakInterface = previousPaks_;
    std::filesystem::current_path(cwd_);
    platform::ResetWindows();
    unsetenv("XDG_RUNTIME_DIR");
    unsetenv("XDG_DATA_HOME");
    unsetenv("XDG_CONFIG_HOME");
}

void GameRun::Begin()
{
    app->StartLoadingThread();
    ShowWindow(app->hwnd, SW_SHOW);
    SetForegroundWindow(app->hwnd);
    app->loopRunning = true;
}

void GameRun::Click(int x, int y)
{
    backend->windows.Push(testsupport::MouseMoveEvent(x, y));
    backend->windows.Push(testsupport::ButtonEvent(1, true, x, y));
    backend->windows.Push(testsupport::ButtonEvent(1, false, x, y));
}

void GameRun::Key(int code)
{
    backend->windows.Push(testsupport::KeyEvent(code, true));
    backend->windows.Push(testsupport::KeyEvent(code, false));
}

void GameRun::Type(const std::string& text)
{
    backend->windows.Push(testsupport::TextEvent(text));
}

void GameRun::Close()
{
    backend->windows.Push(testsupport::KindEvent(platform::WindowEvent::Close));
}

} // namespace gametest
