#include "tests/framework/app/AppFixture.h"

#include "framework/widgets/WidgetManager.h"
#include "platform/dsound/DSound.h"
#include "platform/win32/Modules.h"
#include "platform/win32/Shell.h"
#include "platform/win32/Time.h"

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace apptest {

TestApp::TestApp()
{
    // One name per process: tests run side by side and must not meet each
    // other's single-instance guard.
    productName = "KivoTest" + std::to_string(getpid());
    companyName = "Olvane Studio";
    musicDisabled = true;
    autoStartLoadingThread = false;
    width = 800;
    height = 600;
}

void TestApp::UpdateFrames()
{
    log += 'U';
    KivoAppBase::UpdateFrames();
    if (shutdownAfterUpdates >= 0 && updateCount >= shutdownAfterUpdates)
        Shutdown();
}

bool TestApp::Redraw(const Kivo::Rect* rect)
{
    log += 'D';
    if (sleptAtFirstDraw == ~uint64_t(0))
        sleptAtFirstDraw = platform::HeadlessBackend::Current()->clock.SleptMillis();
    if (!fakePresents)
        return KivoAppBase::Redraw(rect);
    needsDraw = false;
    redrawSkipped = false;
    ++drawCount;
    platform::HeadlessBackend::Current()->clock.AdvanceMillis(uint64_t(msPerDraw));
    return true;
}

Kivo::Image* TestApp::GetImage(const std::string& path, bool commitBits, uint32_t alphaColor)
{
    if (onGetImage)
        onGetImage();
    return KivoAppBase::GetImage(path, commitBits, alphaColor);
}

void TestApp::LostFocus()
{
    KivoAppBase::LostFocus();
    if (pauseWithoutFocus)
        paused = true;
}

void TestApp::GotFocus()
{
    KivoAppBase::GotFocus();
    if (pauseWithoutFocus)
        paused = false;
}

void TestApp::Shutdown()
{
    ++shutdownCalls;
    KivoAppBase::Shutdown();
}

RecordingWidget::RecordingWidget()
{
    Resize(0, 0, 800, 600);
    mWantsFocus = true;
}

RecordingWidget::~RecordingWidget()
{
    if (deleted)
        *deleted = true;
}

void RecordingWidget::MouseDown(int x, int y, int clickCode)
{
    calls.push_back("down " + std::to_string(clickCode) + " at " + std::to_string(x) + "," + std::to_string(y));
}

void RecordingWidget::MouseUp(int, int, int clickCode)
{
    calls.push_back("up " + std::to_string(clickCode));
}

void RecordingWidget::MouseWheel(int delta)
{
    calls.push_back("wheel " + std::to_string(delta));
}

void RecordingWidget::KeyDown(int key)
{
    calls.push_back("key " + std::to_string(key));
}

void RecordingWidget::KeyChar(char c)
{
    calls.push_back("char " + std::to_string(uint8_t(c)));
}

void AppTest::SetUp()
{
    ASSERT_TRUE(platform::UseBackend("headless"));
    backend = platform::HeadlessBackend::Current();
    backend->clock.SetMicros(5'000'000);
    platform::ResetWindows();
    platform::RegisterDirectSound();
    platform::RegisterShellLibraries();
    platform::RegisterModule("ddraw.dll");
    Kivo::SetDisplayFactory(nullptr);
    Kivo::SetExitFunction([](int code) { throw ExitCalled { code }; });
    savedCwd = std::filesystem::current_path();
    setenv("XDG_RUNTIME_DIR", runtimeDir.Path().c_str(), 1);
}

void AppTest::TearDown()
{
    app.reset();
    Kivo::SetExitFunction(nullptr);
    Kivo::SetDisplayFactory(nullptr);
    platform::ResetWindows();
    std::filesystem::current_path(savedCwd);
    unsetenv("XDG_RUNTIME_DIR");
}

TestApp& AppTest::MakeApp(bool init)
{
    app = std::make_unique<TestApp>();
    if (init)
        app->Init();
    return *app;
}

void AppTest::RunUntilSleep(int limit)
{
    const int sleeps = app->sleepCount;
    bool updated = false;
    for (int i = 0; i < limit && app->sleepCount == sleeps && !app->shutdown; ++i)
        app->UpdateAppStep(&updated);
}

void AppTest::Step(int count)
{
    bool updated = false;
    for (int i = 0; i < count; ++i)
        app->UpdateAppStep(&updated);
}

Kivo::NullDisplay* AppTest::Display()
{
    return dynamic_cast<Kivo::NullDisplay*>(app->ddInterface);
}

} // namespace apptest
