#include "platform/sdl/SdlBackend.h"

#include <cstdio>

int main()
{
    platform::RegisterSdlBackend();
    std::printf("Marrowfen %s\n", MARROWFEN_VERSION);
    return 0;
}
