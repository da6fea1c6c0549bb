#pragma once
// The frame-rate, mouse-position and demo-time overlays: small images the
// redraw puts in the bottom right corner of the screen while showFps is
// set. Made on first use on the application's display; FreeDebugOverlays
// lets them go before the display does.
namespace Kivo {

class KivoAppBase;
class MemoryImage;

// Counts a frame; once a second redraws "FPS: n". After a reset it shows 0
// once and starts counting afresh.
void DrawFPSOverlay(KivoAppBase& app);
// Shows "x,y" in the same image.
void DrawMouseOverlay(KivoAppBase& app, int x, int y);
// The time left until the playing demo's end, "hh:mm:ss", redrawn at most
// once per second of playback.
void DrawDemoTimeOverlay(KivoAppBase& app);
// The next DrawFPSOverlay shows 0 and restarts its count.
void ResetFPSOverlay();
// The frames per second the overlay shows.
int GetFPSOverlayValue();
// Null before first use.
MemoryImage* GetFPSOverlayImage();
MemoryImage* GetDemoTimeOverlayImage();
void FreeDebugOverlays();

} // namespace Kivo
