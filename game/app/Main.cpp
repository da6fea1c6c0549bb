#include "game/app/GameApp.h"
#include "platform/Backend.h"
#include "platform/sdl/SdlBackend.h"
#include "platform/win32/Modules.h"
#include "platform/win32/Shell.h"

int main()
{
    platform::RegisterSdlBackend();
    platform::UseBackend("sdl");
    // The display device is not built yet: the application draws into a
    // memory screen behind the display interface.
    platform::RegisterModule("ddraw.dll");
    platform::SetProductVersion(MARROWFEN_VERSION);

    GameApp* app = new GameApp();
    app->Init();
    app->Start();
    delete app;
    return 0;
}
