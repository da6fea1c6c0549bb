// What presenting costs per frame at 800 x 600: writing the screen image's
// software-drawn bits into the draw surface (16- and 32-bit), the whole
// Redraw into the memory presenter, beside memcpy of the same 32-bit frame;
// and drawing a 256 x 256 sprite (opaque, translucent, additive, mirrored)
// and a fill straight into an image's surface, beside the same blit on a
// memory image's bits and memcpy of the bytes a fill writes.
#include "framework/display/DDImage.h"
#include "framework/display/DDInterface.h"
#include "framework/display/DisplayHost.h"
#include "framework/graphics/GraphicsHost.h"
#include "platform/headless/HeadlessBackend.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

struct Host : Kivo::DisplayHost, Kivo::NullGraphicsHost {
    Kivo::GraphicsHost* DisplayGraphicsHost() override { return this; }
    Kivo::NativeDisplay* GetNativeDisplay() override { return display; }
    int AppWidth() override { return 800; }
    int AppHeight() override { return 600; }
    int ColorDepth() override { return 32; }
    bool WideDraw() override { return false; }
    bool HackAspect() override { return false; }
    Kivo::Ratio HackAspectRatio() override { return { 4, 3 }; }
    void SetScreenRect(const Kivo::Rect&) override {}
    void SetRefreshNotTrusted(bool) override {}
    bool PopupActive() override { return false; }
    bool PageFlipAllowed() override { return true; }
    bool WaitForVBlank() override { return false; }
    bool NoWaitForVBlank() override { return true; }
    bool GetBoolean(const std::string&, bool defaultValue) override { return defaultValue; }
    Kivo::NativeDisplay* display = nullptr;
};

struct Screen {
    explicit Screen(int bytes)
    {
        platform::UseBackend("headless");
        if (bytes == 2)
            platform::HeadlessBackend::Current()->presenter.SetDesktopLayout({ 2, 0xF800, 0x07E0, 0x001F });
        display = std::make_unique<Kivo::DDInterface>(&host);
        host.display = display.get();
        display->Init(nullptr, true);
        image = display->mScreenImage;
        uint32_t* bits = image->GetBits();
        for (size_t i = 0; i < 800 * 600; ++i)
            bits[i] = 0xFF000000u | uint32_t(i * 2654435761u >> 8);
    }
    Host host;
    std::unique_ptr<Kivo::DDInterface> display;
    Kivo::DDImage* image = nullptr;
};

void BM_ScreenFlush(benchmark::State& state)
{
    Screen screen(int(state.range(0)));
    for (auto _ : state) {
        screen.image->BitsChanged();
        screen.image->FlushBitsToSurface();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * 800 * 600 * 4);
}
BENCHMARK(BM_ScreenFlush)->Arg(2)->Arg(4);

void BM_Redraw(benchmark::State& state)
{
    Screen screen(int(state.range(0)));
    for (auto _ : state) {
        screen.image->BitsChanged();
        benchmark::DoNotOptimize(screen.display->Redraw());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * 800 * 600 * 4);
}
BENCHMARK(BM_Redraw)->Arg(2)->Arg(4);

void BM_MemcpyFrame(benchmark::State& state)
{
    std::vector<uint32_t> from(800 * 600, 0x12345678), to(800 * 600);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size() * 4);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * 800 * 600 * 4);
}
BENCHMARK(BM_MemcpyFrame);

// A 256 x 256 sprite: opaque, or with an alpha ramp along each row.
std::vector<uint32_t> Sprite(bool translucent)
{
    std::vector<uint32_t> pixels(256 * 256);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = (translucent ? uint32_t(i & 255) << 24 : 0xFF000000u) | uint32_t(i * 2654435761u >> 8 & 0xFFFFFF);
    return pixels;
}

// Cases: 0 opaque copy, 1 translucent blend, 2 additive, 3 mirrored blend.
void BM_SurfaceBlt(benchmark::State& state)
{
    Screen screen(int(state.range(0)));
    Kivo::DDImage target(screen.display.get());
    std::vector<uint32_t> black(512 * 512, 0xFF000000);
    target.SetBits(black.data(), 512, 512);
    target.CreateSurfaceFromBits();
    target.DeleteAllNonSurfaceData();
    const int mode = int(state.range(1));
    Kivo::MemoryImage sprite(&screen.host);
    const auto pixels = Sprite(mode != 0);
    sprite.SetBits(pixels.data(), 256, 256);
    const Kivo::Rect rect(0, 0, 256, 256);
    for (auto _ : state) {
        if (mode == 3)
            target.BltMirror(&sprite, 100, 100, rect, Kivo::Color(255, 255, 255), 0);
        else
            target.Blt(&sprite, 100, 100, rect, Kivo::Color(255, 255, 255), mode == 2 ? 1 : 0);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * 256 * 256);
}
BENCHMARK(BM_SurfaceBlt)->ArgsProduct({ { 2, 4 }, { 0, 1, 2, 3 } });

void BM_MemoryImageBlt(benchmark::State& state)
{
    Screen screen(4);
    Kivo::MemoryImage target(&screen.host);
    target.Create(512, 512);
    const int mode = int(state.range(0));
    Kivo::MemoryImage sprite(&screen.host);
    const auto pixels = Sprite(mode != 0);
    sprite.SetBits(pixels.data(), 256, 256);
    const Kivo::Rect rect(0, 0, 256, 256);
    for (auto _ : state)
        target.Blt(&sprite, 100, 100, rect, Kivo::Color(255, 255, 255), mode == 2 ? 1 : 0);
    state.SetItemsProcessed(int64_t(state.iterations()) * 256 * 256);
}
BENCHMARK(BM_MemoryImageBlt)->Arg(0)->Arg(1)->Arg(2);

// Arg 1: 0 the rotated blit at 0.3 radians, 1 a fast 1.5x stretch.
void BM_SurfaceTransformed(benchmark::State& state)
{
    Screen screen(int(state.range(0)));
    Kivo::DDImage target(screen.display.get());
    std::vector<uint32_t> black(512 * 512, 0xFF000000);
    target.SetBits(black.data(), 512, 512);
    target.CreateSurfaceFromBits();
    target.DeleteAllNonSurfaceData();
    Kivo::MemoryImage sprite(&screen.host);
    const auto pixels = Sprite(true);
    sprite.SetBits(pixels.data(), 256, 256);
    const Kivo::Rect all(0, 0, 512, 512), rect(0, 0, 256, 256);
    const bool rotate = state.range(1) == 0;
    for (auto _ : state) {
        if (rotate)
            target.BltRotated(&sprite, 100, 100, rect, all, Kivo::Color(255, 255, 255), 0, 0.3, 128, 128);
        else
            target.StretchBlt(&sprite, Kivo::Rect(10, 10, 384, 384), rect, all, Kivo::Color(255, 255, 255), 0, true);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * (rotate ? 256 * 256 : 384 * 384));
}
BENCHMARK(BM_SurfaceTransformed)->ArgsProduct({ { 2, 4 }, { 0, 1 } });

// The reference for the rotated surface blit: the same rotation of the same
// sprite onto a memory image's bits.
void BM_MemoryImageRotated(benchmark::State& state)
{
    Screen screen(4);
    Kivo::MemoryImage target(&screen.host);
    std::vector<uint32_t> black(512 * 512, 0xFF000000);
    target.SetBits(black.data(), 512, 512);
    Kivo::MemoryImage sprite(&screen.host);
    const auto pixels = Sprite(true);
    sprite.SetBits(pixels.data(), 256, 256);
    const Kivo::Rect all(0, 0, 512, 512), rect(0, 0, 256, 256);
    for (auto _ : state)
        target.BltRotated(&sprite, 100, 100, rect, all, Kivo::Color(255, 255, 255), 0, 0.3, 128, 128);
    state.SetItemsProcessed(int64_t(state.iterations()) * 256 * 256);
}
BENCHMARK(BM_MemoryImageRotated);

void BM_SurfaceFill(benchmark::State& state)
{
    Screen screen(int(state.range(0)));
    Kivo::DDImage target(screen.display.get());
    std::vector<uint32_t> black(512 * 512, 0xFF000000);
    target.SetBits(black.data(), 512, 512);
    target.CreateSurfaceFromBits();
    Kivo::Color color(40, 80, 120);
    color.mAlpha = int(state.range(1));
    for (auto _ : state)
        target.FillRect(Kivo::Rect(0, 0, 256, 256), color, 0);
    state.SetItemsProcessed(int64_t(state.iterations()) * 256 * 256);
}
BENCHMARK(BM_SurfaceFill)->ArgsProduct({ { 2, 4 }, { 128, 255 } });

// The same bytes as one fill, row by row in a 512-pixel-wide surface: the
// bound a fill that touches each destination byte once could reach.
void BM_SurfaceFillMemcpyReference(benchmark::State& state)
{
    const size_t pitch = 512 * size_t(state.range(0)), row = pitch / 2;
    std::vector<uint8_t> from(pitch * 256, 7), to(pitch * 256);
    for (auto _ : state) {
        for (size_t y = 0; y < 256; ++y)
            std::memcpy(&to[y * pitch], &from[y * pitch], row);
        benchmark::DoNotOptimize(to.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * 256 * 256);
}
BENCHMARK(BM_SurfaceFillMemcpyReference)->Arg(2)->Arg(4);

} // namespace
