#include "platform/sdl/SdlPresenter.h"

#include <SDL.h>
#include <cstdio>

namespace platform {
namespace {

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

void* SdlWindowRenderer(void* native)
{
    auto* window = static_cast<SDL_Window*>(native);
    if (!window)
        return nullptr;
    SDL_Renderer* renderer = SDL_GetRenderer(window);
    if (!renderer) {
        renderer = SDL_CreateRenderer(window, -1, 0);
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
