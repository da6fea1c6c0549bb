#pragma once
// A display device on the headless backend: the application double, a
// desktop the test chooses, and the software DirectDraw reset around each
// test (its live-object count must come back to where it started).
#include "framework/display/DDImage.h"
#include "framework/display/DDInterface.h"
#include "framework/display/DisplayHost.h"
#include "framework/graphics/GraphicsHost.h"
#include "platform/headless/HeadlessBackend.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace displaytest {

class FakeApp : public Kivo::DisplayHost, public Kivo::NullGraphicsHost {
public:
    Kivo::GraphicsHost* DisplayGraphicsHost() override { return this; }
    Kivo::NativeDisplay* GetNativeDisplay() override { return display; }
    int AppWidth() override { return width; }
    int AppHeight() override { return height; }
    int ColorDepth() override { return depth; }
    bool WideDraw() override { return wideDraw; }
    bool HackAspect() override { return hackAspect; }
    Kivo::Ratio HackAspectRatio() override { return hackRatio; }
    void SetScreenRect(const Kivo::Rect& rect) override { screenRect = rect; }
    void SetRefreshNotTrusted(bool notTrusted) override { refreshNotTrusted = notTrusted; }
    bool PopupActive() override { return popup; }
    bool PageFlipAllowed() override { return flipAllowed; }
    bool WaitForVBlank() override { return vsync; }
    bool NoWaitForVBlank() override { return !vsync; }
    bool GetBoolean(const std::string& name, bool defaultValue) override
    {
        auto it = settings.find(name);
        return it == settings.end() ? defaultValue : it->second;
    }
    bool DisplayMinimized() override { return minimized; }
    void DisplayWriteRegistryString(const std::string& name, const std::string& value) override
    {
        registryStrings[name] = value;
    }
    std::string DisplayRegistryKey() override { return "KivoTest\\Display"; }
    bool DisplayTest3D() override { return test3D; }
    bool DisplayAutoEnable3D() override { return autoEnable3D; }
    bool DisplayDemoPlayback() override { return demoPlayback; }
    void DisplayDemoSync(std::string& failure, std::string& warning, bool& newVerdict) override
    {
        if (demoPlayback) {
            failure = demoFailure;
            warning = demoWarning;
            newVerdict = demoNewVerdict;
        }
    }
    void OnNewD3DVerdict() override { ++newVerdicts; }
    // Images made on this host give their textures back when they go.
    void RemoveMemoryImage(Kivo::MemoryImage* image) override { Remove3DData(image); }
    void Remove3DData(Kivo::MemoryImage* image) override
    {
        if (auto* device = dynamic_cast<Kivo::DDInterface*>(display))
            device->Remove3DData(image);
    }
    bool ReadTexturesToBits(Kivo::MemoryImage* image) override
    {
        auto* device = dynamic_cast<Kivo::DDInterface*>(display);
        return device && device->ReadTexturesToBits(image);
    }

    Kivo::NativeDisplay* display = nullptr;
    int width = 800;
    int height = 600;
    int depth = 32;
    bool wideDraw = false;
    bool hackAspect = false;
    Kivo::Ratio hackRatio { 4, 3 };
    Kivo::Rect screenRect;
    bool refreshNotTrusted = false;
    bool popup = false;
    bool flipAllowed = true;
    bool vsync = false;
    std::map<std::string, bool> settings;
    bool minimized = false;
    bool test3D = false;
    bool autoEnable3D = false;
    bool demoPlayback = false;
    std::string demoFailure, demoWarning;
    bool demoNewVerdict = false;
    int newVerdicts = 0;
    std::map<std::string, std::string> registryStrings;
};

struct DesktopMode {
    int width;
    int height;
    platform::PixelLayout layout;
    int refreshHz;
};

inline DesktopMode Desktop(int width, int height, int bytes = 4, int refresh = 60)
{
    DesktopMode mode { width, height, { bytes, 0xFF0000, 0xFF00, 0xFF }, refresh };
    if (bytes == 2)
        mode.layout = { 2, 0xF800, 0x07E0, 0x001F };
    return mode;
}

class DisplayTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(platform::UseBackend("headless"));
        platform::ResetDDraw();
        Kivo::gLastD3DError.clear();
        live_ = platform::DDrawLiveObjects();
        SetDesktop(Desktop(1024, 768));
        display = std::make_unique<Kivo::DDInterface>(&app);
        app.display = display.get();
    }
    void TearDown() override
    {
        display.reset();
        platform::ResetDDraw();
        EXPECT_EQ(platform::DDrawLiveObjects(), live_);
    }

    platform::MemoryPresenter& Presenter() { return platform::HeadlessBackend::Current()->presenter; }
    void SetDesktop(const DesktopMode& mode)
    {
        auto* backend = platform::HeadlessBackend::Current();
        backend->windows.screen = { 0, 0, mode.width, mode.height };
        backend->windows.refreshRate = mode.refreshHz;
        backend->presenter.SetDesktopLayout(mode.layout);
    }
    HWND Window() { return reinterpret_cast<HWND>(&app); }

    FakeApp app;
    std::unique_ptr<Kivo::DDInterface> display;

private:
    int live_ = 0;
};

} // namespace displaytest
