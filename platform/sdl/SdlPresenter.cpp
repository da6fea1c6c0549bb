#include "platform/sdl/SdlPresenter.h"

#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace platform {
namespace {

// Mesa reaches graphics hardware through a DRM render node; with none that
// can be opened (a virtual X server, a container) or with software asked for,
// its OpenGL renders on the CPU, and SDL's own software renderer is both
// faster to start and far smaller.
bool OnlySoftwareOpenGL()
{
    const char* forced = std::getenv("LIBGL_ALWAYS_SOFTWARE");
    if (forced && *forced && std::strcmp(forced, "0") != 0)
        return true;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/dri", error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("renderD", 0) == 0 && access(entry.path().c_str(), R_OK | W_OK) == 0)
            return false;
    }
    return true;
}

class SdlPresenter final : public Presenter {
public:
    explicit SdlPresenter(WindowSystem& windows) : windows_(windows) {}

    PixelLayout DesktopLayout() override
    {
        PixelLayout layout;
        if (!windows_.Available())
            return layout;
        SDL_DisplayMode mode {};
        int bpp = 0;
        Uint32 r = 0, g = 0, b = 0, a = 0;
        if (SDL_GetDesktopDisplayMode(0, &mode) != 0 || !SDL_PixelFormatEnumToMasks(mode.format, &bpp, &r, &g, &b, &a))
            return layout;
        // Depth is bytes per pixel x 8: XRGB8888 counts as 32 bits, not 24.
        layout.bytesPerPixel = SDL_BYTESPERPIXEL(mode.format);
        layout.redMask = r;
        layout.greenMask = g;
        layout.blueMask = b;
        return layout;
    }

    void Present(const uint8_t* pixels, int pitch, int width, int height, const PixelLayout& layout,
                 bool fullscreen) override
    {
        auto* window = static_cast<SDL_Window*>(windows_.NativeWindow());
        if (!window)
            return;
        auto* renderer = static_cast<SDL_Renderer*>(SdlWindowRenderer(window));
        if (!renderer)
            return;
        const Uint32 format =
            SDL_MasksToPixelFormatEnum(layout.bytesPerPixel * 8, layout.redMask, layout.greenMask, layout.blueMask, 0);
        // The texture hangs on the window, so it goes with the window's
        // renderer (see SdlWindows' Close) and is never used after it.
        auto* texture = static_cast<SDL_Texture*>(SDL_GetWindowData(window, kTextureKey));
        if (texture) {
            Uint32 textureFormat = 0;
            int w = 0, h = 0;
            if (SDL_QueryTexture(texture, &textureFormat, nullptr, &w, &h) != 0 || w != width || h != height
                || textureFormat != format) {
                SDL_DestroyTexture(texture);
                texture = nullptr;
            }
        }
        if (!texture) {
            texture = SDL_CreateTexture(renderer, format, SDL_TEXTUREACCESS_STREAMING, width, height);
            SDL_SetWindowData(window, kTextureKey, texture);
            if (!texture)
                return;
        }
        SDL_UpdateTexture(texture, nullptr, pixels, pitch);
        if (fullscreen)
            SDL_RenderSetLogicalSize(renderer, width, height);
        else
            SDL_RenderSetLogicalSize(renderer, 0, 0);
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
        SDL_RenderClear(renderer);
        SDL_RenderCopy(renderer, texture, nullptr, nullptr);
        SDL_RenderPresent(renderer);
    }

private:
    static constexpr const char* kTextureKey = "kivo.present.texture";
    WindowSystem& windows_;
};

} // namespace

SDL_Renderer* CreatePresentRenderer(SDL_Window* window)
{
    // A renderer the user names through SDL's hint is left to SDL.
    const bool software = !SDL_GetHint(SDL_HINT_RENDER_DRIVER) && OnlySoftwareOpenGL();
    // The software renderer draws into the window's surface, which SDL would
    // otherwise back with an OpenGL texture: the plain window framebuffer.
    if (software)
        SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_DEFAULT);
    SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, software ? SDL_RENDERER_SOFTWARE : 0);
    return renderer ? renderer : SDL_CreateRenderer(window, -1, 0);
}

void* SdlWindowRenderer(void* native)
{
    auto* window = static_cast<SDL_Window*>(native);
    if (!window)
        return nullptr;
    SDL_Renderer* renderer = SDL_GetRenderer(window);
    if (!renderer) {
        renderer = CreatePresentRenderer(window);
        if (!renderer)
            std::fprintf(stderr, "sdl: no renderer: %s\n", SDL_GetError());
    }
    return renderer;
}

std::unique_ptr<Presenter> MakeSdlPresenter(WindowSystem& windows)
{
    return std::make_unique<SdlPresenter>(windows);
}

} // namespace platform
