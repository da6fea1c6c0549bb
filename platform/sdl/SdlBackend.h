#pragma once

namespace platform {
// Adds the "sdl" backend (real window, sound and message boxes) to the
// backend table. SDL itself stays private to this backend.
void RegisterSdlBackend();
}
