#include "platform/sdl/SdlPresenter.h"

#include <SDL.h>
#include <cstdio>

namespace platform {
namespace {

class SdlPresenter final : public Presenter {
public:
    explicit SdlPresenter(WindowSystem& windows) : windows_(windows) {}

    ~SdlPresenter() override
    {
        auto* window = static_cast<SDL_Window*>(windows_.NativeWindow());
        if (window && renderer_ && SDL_GetRenderer(window) == renderer_)
            SDL_DestroyRenderer(renderer_);
    }

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
        SDL_Renderer* renderer = SDL_GetRenderer(window);
        if (!renderer) {
            renderer = SDL_CreateRenderer(window, -1, 0);
            if (!renderer) {
                std::fprintf(stderr, "sdl: no renderer: %s\n", SDL_GetError());
                return;
            }
        }
        const Uint32 format =
            SDL_MasksToPixelFormatEnum(layout.bytesPerPixel * 8, layout.redMask, layout.greenMask, layout.blueMask, 0);
        // A renderer made again (a new window) took its textures with it.
        if (renderer != renderer_) {
            renderer_ = renderer;
            texture_ = nullptr;
        }
        if (!texture_ || width != width_ || height != height_ || format != format_) {
            if (texture_)
                SDL_DestroyTexture(texture_);
            texture_ = SDL_CreateTexture(renderer, format, SDL_TEXTUREACCESS_STREAMING, width, height);
            width_ = width;
            height_ = height;
            format_ = format;
            if (!texture_)
                return;
        }
        SDL_UpdateTexture(texture_, nullptr, pixels, pitch);
        if (fullscreen)
            SDL_RenderSetLogicalSize(renderer, width, height);
        else
            SDL_RenderSetLogicalSize(renderer, 0, 0);
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
        SDL_RenderClear(renderer);
        SDL_RenderCopy(renderer, texture_, nullptr, nullptr);
        SDL_RenderPresent(renderer);
    }

private:
    WindowSystem& windows_;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    Uint32 format_ = 0;
};

} // namespace

std::unique_ptr<Presenter> MakeSdlPresenter(WindowSystem& windows)
{
    return std::make_unique<SdlPresenter>(windows);
}

} // namespace platform
