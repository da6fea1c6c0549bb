#include "framework/display/DDInterface.h"
#include "game/app/GameApp.h"
#include "platform/Backend.h"
#include "platform/dsound/DSound.h"
#include "platform/music/Bass.h"
#include "platform/music/Fmod.h"
#include "platform/sdl/SdlBackend.h"
#include "platform/win32/Modules.h"
#include "platform/win32/Shell.h"

int main()
{
    platform::RegisterSdlBackend();
    platform::UseBackend("sdl");
    platform::RegisterDirectSound();
    platform::RegisterBassLibrary();
    platform::RegisterFmodLibrary();
    platform::RegisterShellLibraries();
    platform::SetProductVersion(MARROWFEN_VERSION);

    GameApp* app = new GameApp();
    Kivo::SetDisplayFactory([app] { return new Kivo::DDInterface(app); });
    app->Init();
    app->Start();
    delete app;
    return 0;
}
