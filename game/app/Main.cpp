#include "framework/app/CrashCatcher.h"
#include "framework/display/DDInterface.h"
#include "game/app/GameApp.h"
#include "platform/Backend.h"
#include "platform/sdl/SdlBackend.h"
#include "platform/win32/CommandLine.h"
#include "platform/win32/DebugOutput.h"
#include "platform/win32/Shell.h"

#include <cstring>

int main(int argc, char** argv)
{
    platform::SetCommandLine(argc, argv);
    platform::RegisterSdlBackend();
    platform::UseBackend("sdl");
    if (const int report = Kivo::RunCrashReport(argc, argv); report >= 0)
        return report;
    platform::SetProductVersion(MARROWFEN_VERSION);

    GameApp* app = new GameApp();
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-windowed") == 0)
            app->windowedArg = true;
        // The developer's output (display set-up, figures at exit) on the
        // terminal in a release build too.
        if (std::strcmp(argv[i], "-verbose") == 0)
            platform::ShowDebugOutput(true);
    }
    Kivo::SetDisplayFactory([app] { return new Kivo::DDInterface(app); });
    app->Init();
    app->Start();
    const int exitCode = app->exitCode;
    delete app;
    return exitCode;
}
