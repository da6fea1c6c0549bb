// Linked into every test executable: tests never open a real window or
// sound device, even when started by hand on a desktop.
#include <cstdlib>

namespace {
const bool kHeadless = [] {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    return true;
}();
}
