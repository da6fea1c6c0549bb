#pragma once
#include "platform/WindowSystem.h"

#include <memory>

namespace platform {
// The window of real runs. SDL's video subsystem starts with the first use.
std::unique_ptr<WindowSystem> MakeSdlWindows();
}
