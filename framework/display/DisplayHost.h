#pragma once
// What the display device reads and writes of the application that owns it.
// The application implements it; tests use a double.
#include "framework/graphics/Ratio.h"
#include "framework/graphics/Rect.h"

#include <string>

namespace Kivo {

class GraphicsHost;

class DisplayHost {
public:
    virtual ~DisplayHost() = default;

    // The host the display's images register with.
    virtual GraphicsHost* DisplayGraphicsHost() = 0;
    // Size of the application's drawing area and the depth asked for full
    // screen.
    virtual int AppWidth() = 0;
    virtual int AppHeight() = 0;
    virtual int ColorDepth() = 0;
    // The draw buffer takes the display's aspect instead of bars.
    virtual bool WideDraw() = 0;
    // Windowed: widen the window to this aspect when the draw area is narrower.
    virtual bool HackAspect() = 0;
    virtual Ratio HackAspectRatio() = 0;
    virtual void SetScreenRect(const Rect& rect) = 0;
    // The monitor's refresh rate was unknown or out of range.
    virtual void SetRefreshNotTrusted(bool notTrusted) = 0;
    // A system popup is shown: full screen blits instead of flipping.
    virtual bool PopupActive() = 0;
    virtual bool PageFlipAllowed() = 0;
    // The vertical-sync pair: waiting wanted, and its opposite.
    virtual bool WaitForVBlank() = 0;
    virtual bool NoWaitForVBlank() = 0;
    virtual bool GetBoolean(const std::string& name, bool defaultValue) = 0;
    // A new verdict of the Direct3D capability test.
    virtual void OnNewD3DVerdict() {}

    // What Direct3D reads of the application. The defaults stand for an
    // application that wants no capability test and keeps no records.
    // The window is minimised: nothing is drawn through Direct3D.
    virtual bool DisplayMinimized() { return false; }
    // Writes a string value under the application's registry key; a name
    // "Key\\Value" writes the value of a subkey.
    virtual void DisplayWriteRegistryString(const std::string&, const std::string&) {}
    // The application's registry key path ("Company\\Product").
    virtual std::string DisplayRegistryKey() { return {}; }
    // Whether the capability test runs: asked for, or 3D switched on when it
    // passes cleanly.
    virtual bool DisplayTest3D() { return false; }
    virtual bool DisplayAutoEnable3D() { return false; }
    // Video memory in megabytes: the least the program runs with, and what
    // it recommends.
    virtual int DisplayMinVidMemory() { return 6; }
    virtual int DisplayRecVidMemory() { return 14; }
    // A demo plays back: the verdict comes from its stream, not the device.
    virtual bool DisplayDemoPlayback() { return false; }
    // Records the verdict into a demo being recorded, or replaces it with
    // the one a demo plays back.
    virtual void DisplayDemoSync(std::string&, std::string&, bool&) {}
};

} // namespace Kivo
