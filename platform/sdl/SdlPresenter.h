#pragma once
#include "platform/Backend.h"
#include "platform/WindowSystem.h"

#include <memory>

namespace platform {
// Frames go to the open SDL window through a streaming texture; full-screen
// frames keep their size as the renderer's logical size, so an emulated
// display mode fills the screen with its aspect kept.
std::unique_ptr<Presenter> MakeSdlPresenter(WindowSystem& windows);
}
