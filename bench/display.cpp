// What presenting costs per frame at 800 x 600: writing the screen image's
// software-drawn bits into the draw surface (16- and 32-bit), the whole
// Redraw into the memory presenter, beside memcpy of the same 32-bit frame.
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

} // namespace
