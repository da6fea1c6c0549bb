// Plays arbitrary bytes back as a demo: the first byte chooses between a
// whole recorded file (odd) and a bare event stream (even). Every update
// replays its events into the application and then asks for the values the
// program synchronises through the stream: a boolean, a file read, a
// registry read, a transfer result and a string.
#include "framework/app/DemoFile.h"
#include "framework/app/HTTPTransfer.h"
#include "framework/app/KivoAppBase.h"
#include "platform/Backend.h"
#include "platform/win32/Registry.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

class App final : public Kivo::KivoAppBase {
public:
    App()
    {
        productName = "FuzzDemo";
        productVersion = "1.0";
        registryKey = "Olvane Studio\\FuzzDemo";
        musicDisabled = true;
        autoStartLoadingThread = false;
    }
};

App* TheApp()
{
    static App* app = [] {
        platform::UseBackend("headless");
        platform::UseMemoryRegistry(true);
        return new App();
    }();
    return app;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    App& app = *TheApp();
    std::vector<uint8_t> events(data + 1, data + size);
    Kivo::DemoFile demo;
    std::string error;
    if ((data[0] & 1) && Kivo::DecodeDemoFile(data + 1, size - 1, app.productVersion, demo, error)) {
        events = demo.events;
        app.demoMarkers = demo.markers;
        app.demoEndUpdate = demo.endUpdate;
    }
    app.shutdown = false;
    app.closeRequested = false;
    app.demoRecording = false;
    app.demoPlaying = true;
    app.updateCount = 0;
    app.nextEventUpdate = 0;
    app.needHeader = true;
    app.demoBuffer.Clear();
    app.demoBuffer = events;
    app.demoBuffer.SeekFront();

    Kivo::HTTPTransfer transfer;
    for (int update = 0; update < 4000 && !app.demoBuffer.AtEnd(); ++update) {
        app.ProcessDemo();
        switch (update % 5) {
        case 0: {
            bool value = false;
            app.DemoSyncBool(value);
            break;
        }
        case 1: {
            Kivo::Buffer file;
            app.DemoReadFile("properties/none.xml", file);
            break;
        }
        case 2: {
            BYTE value[16];
            DWORD type = 0, length = sizeof value;
            if (app.RegistryRead("Is3D", &type, value, &length) && length > sizeof value)
                __builtin_trap();
            break;
        }
        case 3:
            transfer.UpdateStatus();
            break;
        default: {
            std::string text;
            app.DemoSyncString(text);
            break;
        }
        }
        ++app.updateCount;
    }
    app.demoPlaying = false;
    app.shutdown = false;
    return 0;
}
