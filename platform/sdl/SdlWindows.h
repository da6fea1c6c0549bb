#pragma once
#include "platform/WindowSystem.h"

#include <memory>
#include <mutex>

namespace platform {
// The window of real runs. SDL's video subsystem starts with the first use.
std::unique_ptr<WindowSystem> MakeSdlWindows();
// SDL starts and stops its subsystems without locks of its own: every
// SDL_InitSubSystem and SDL_QuitSubSystem of the backend holds this one, as
// the sound device opens on a thread of its own.
std::mutex& SdlSubsystemLock();
}
