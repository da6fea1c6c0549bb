#pragma once
#include "platform/Backend.h"
#include "platform/WindowSystem.h"

#include <memory>

struct SDL_Renderer;
struct SDL_Window;

namespace platform {
// The renderer a window's frames go through: SDL's software renderer where
// the only OpenGL would render on the CPU anyway, else SDL's first choice.
SDL_Renderer* CreatePresentRenderer(SDL_Window* window);

// Frames go to the open SDL window through a streaming texture; full-screen
// frames keep their size as the renderer's logical size, so an emulated
// display mode fills the screen with its aspect kept.
std::unique_ptr<Presenter> MakeSdlPresenter(WindowSystem& windows);

// The renderer that presents into an SDL window (an SDL_Window*), made on
// first use. Made before the window is first shown: making it later can
// re-create the window under some drivers (a window that blinks and comes
// back with a new id). Null, with the reason on stderr, when none can be made.
void* SdlWindowRenderer(void* window);
}
