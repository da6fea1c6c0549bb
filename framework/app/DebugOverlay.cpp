#include "framework/app/DebugOverlay.h"

#include "framework/app/KivoAppBase.h"
#include "framework/app/PerfTimer.h"
#include "framework/core/Strings.h"
#include "framework/display/DDInterface.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/SysFont.h"
#include "platform/win32/Time.h"

#include <memory>

namespace Kivo {

namespace {

struct Overlay {
    std::unique_ptr<SysFont> font;
    std::unique_ptr<MemoryImage> image;

    void Make(KivoAppBase& app)
    {
        if (image)
            return;
        font = std::make_unique<SysFont>("Tahoma", 8);
        image.reset(app.ddInterface ? app.ddInterface->NewImage() : new MemoryImage());
        image->Create(50, font->GetHeight() + 4);
    }

    void Show(const std::string& text)
    {
        Graphics g(image.get());
        g.SetColor(Color(0, 0, 0));
        g.FillRect(0, 0, image->mWidth, image->mHeight);
        g.SetFont(font.get());
        g.SetColor(Color(255, 255, 255));
        g.DrawString(text, 2, font->GetAscent());
    }
};

struct OverlayState {
    Overlay frame; // frame rate and mouse position share it
    Overlay demo;
    int frames = 0;
    int fps = 0;
    // Set at start: the stopwatch has not run yet, so the first frame shows
    // 0 and starts it.
    bool reset = true;
    PerfTimer stopwatch;
    uint32_t demoDrawTick = 0;
    bool demoDrawn = false;
};

OverlayState& State()
{
    static OverlayState state;
    return state;
}

} // namespace

void DrawFPSOverlay(KivoAppBase& app)
{
    OverlayState& s = State();
    ++s.frames;
    s.frame.Make(app);
    if (s.stopwatch.GetDuration() < 1000 && !s.reset)
        return;
    s.stopwatch.Stop();
    if (s.reset) {
        s.reset = false;
        s.fps = 0;
    } else {
        s.fps = int(s.frames * 1000 / s.stopwatch.GetDuration() + 0.5);
    }
    s.stopwatch.Start();
    s.frames = 0;
    s.frame.Show(StrFormat("FPS: %d", s.fps));
}

void DrawMouseOverlay(KivoAppBase& app, int x, int y)
{
    OverlayState& s = State();
    s.frame.Make(app);
    s.frame.Show(StrFormat("%d,%d", x, y));
}

void DrawDemoTimeOverlay(KivoAppBase& app)
{
    OverlayState& s = State();
    s.demo.Make(app);
    const uint32_t now = GetTickCount();
    const double interval = app.speed > 0 ? 1000.0 / app.speed : 1000.0;
    if (s.demoDrawn && double(now - s.demoDrawTick) < interval)
        return;
    s.demoDrawn = true;
    s.demoDrawTick = now;
    const int64_t updatesLeft = std::max<int64_t>(int64_t(app.demoEndUpdate) - app.updateCount, 0);
    const int64_t seconds = updatesLeft * app.updateStepMs / 1000;
    s.demo.Show(StrFormat("%02d:%02d:%02d", int(seconds / 3600), int(seconds / 60 % 60), int(seconds % 60)));
}

void ResetFPSOverlay()
{
    State().reset = true;
}

int GetFPSOverlayValue()
{
    return State().fps;
}

MemoryImage* GetFPSOverlayImage()
{
    return State().frame.image.get();
}

MemoryImage* GetDemoTimeOverlayImage()
{
    return State().demo.image.get();
}

void FreeDebugOverlays()
{
    OverlayState& s = State();
    s = OverlayState();
}

} // namespace Kivo
