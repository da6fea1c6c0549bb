#include "framework/display/DDInterface.h"
#include "game/app/GameApp.h"
#include "platform/Backend.h"
#include "platform/sdl/SdlBackend.h"
#include "platform/win32/Shell.h"

int main()
{
    platform::RegisterSdlBackend();
    platform::UseBackend("sdl");
    platform::SetProductVersion(MARROWFEN_VERSION);

    GameApp* app = new GameApp();
    Kivo::SetDisplayFactory([app] { return new Kivo::DDInterface(app); });
    app->Init();
    app->Start();
    delete app;
    return 0;
}
