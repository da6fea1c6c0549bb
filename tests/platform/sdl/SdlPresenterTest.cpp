// The SDL presenter on the dummy video driver: frames of changing size reach
// a window, and closing the window frees what presenting made (the
// sanitizers report a leak or a use after free otherwise).
#include "platform/Backend.h"
#include "platform/WindowSystem.h"
#include "platform/sdl/SdlBackend.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <vector>

namespace {

void PresentFrame(platform::Backend& backend, int width, int height)
{
    std::vector<uint32_t> pixels(size_t(width) * height, 0xFF336699u);
    backend.GetPresenter().Present(reinterpret_cast<const uint8_t*>(pixels.data()), width * 4, width, height,
                                   platform::PixelLayout {}, false);
}

TEST(SdlPresenter, TexturesLiveAndDieWithTheirWindow)
{
    platform::RegisterSdlBackend();
    ASSERT_TRUE(platform::UseBackend("sdl"));
    platform::Backend& backend = platform::CurrentBackend();
    platform::WindowSystem& windows = backend.GetWindows();
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(windows.Open("present", 0, 0, 64, 48, false, true));
        auto* window = static_cast<SDL_Window*>(windows.NativeWindow());
        ASSERT_NE(window, nullptr);
        PresentFrame(backend, 64, 48);
        PresentFrame(backend, 32, 24); // a new size makes a new texture
        SDL_Texture* texture = static_cast<SDL_Texture*>(SDL_GetWindowData(window, "kivo.present.texture"));
        ASSERT_NE(texture, nullptr);
        int w = 0, h = 0;
        ASSERT_EQ(SDL_QueryTexture(texture, nullptr, nullptr, &w, &h), 0);
        EXPECT_EQ(w, 32);
        EXPECT_EQ(h, 24);
        windows.Close(); // the next round's window must not see this texture
    }
}

} // namespace
