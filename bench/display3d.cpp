// A typical game frame at 800 x 600 drawn on the screen image through the
// software Direct3D device and through the 2D surface path, each presented:
// a background, 100 bricks with soft edges, two translucent panels, 500
// additive tinted particles and a window turned by 0.3 radians.
#include "framework/display/D3DInterface.h"
#include "framework/display/DDImage.h"
#include "framework/display/DDInterface.h"
#include "framework/display/DisplayHost.h"
#include "framework/graphics/GraphicsHost.h"
#include "framework/graphics/Matrix3x3.h"
#include "framework/graphics/MemoryImage.h"
#include "platform/headless/HeadlessBackend.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

struct Host : Kivo::DisplayHost, Kivo::NullGraphicsHost {
    Kivo::GraphicsHost* DisplayGraphicsHost() override { return this; }
    Kivo::NativeDisplay* GetNativeDisplay() override { return display; }
    bool Is3DAccelerated() override { return display && display->mIs3D; }
    void RemoveMemoryImage(Kivo::MemoryImage* image) override { Remove3DData(image); }
    void Remove3DData(Kivo::MemoryImage* image) override
    {
        if (display)
            display->Remove3DData(image);
    }
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
    Kivo::DDInterface* display = nullptr;
};

// width x height pixels; `edge` pixels at the border fade out.
std::unique_ptr<Kivo::MemoryImage> MakeImage(Host& host, int width, int height, int edge, uint32_t alpha,
                                             uint32_t seed)
{
    auto image = std::make_unique<Kivo::MemoryImage>(&host);
    std::vector<uint32_t> bits(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int d = std::min({ x, y, width - 1 - x, height - 1 - y });
            const uint32_t a = d >= edge ? alpha : alpha * uint32_t(d) / uint32_t(edge);
            bits[size_t(y) * size_t(width) + size_t(x)] = a << 24 | ((uint32_t(x * 7 + y * 3) * seed) & 0xFFFFFF);
        }
    image->SetBits(bits.data(), width, height);
    return image;
}

struct Frame {
    explicit Frame(bool is3D)
    {
        platform::UseBackend("headless");
        platform::ResetDDraw();
        display = std::make_unique<Kivo::DDInterface>(&host);
        host.display = display.get();
        display->mIs3D = is3D;
        display->Init(nullptr, true);
        screen = display->mScreenImage;
        background = MakeImage(host, 800, 600, 0, 255, 3);
        brick = MakeImage(host, 50, 50, 4, 255, 5);
        panel = MakeImage(host, 800, 80, 8, 200, 7);
        particle = MakeImage(host, 16, 16, 8, 255, 11);
        window = MakeImage(host, 320, 240, 6, 255, 13);
    }
    ~Frame()
    {
        background.reset();
        brick.reset();
        panel.reset();
        particle.reset();
        window.reset();
        display.reset();
    }

    void Draw()
    {
        using Kivo::Color;
        using Kivo::Rect;
        const Rect clip(0, 0, 800, 600);
        screen->Blt(background.get(), 0, 0, Rect(0, 0, 800, 600), Color::White, 0);
        for (int i = 0; i < 100; ++i)
            screen->Blt(brick.get(), 100 + (i % 10) * 52, 40 + (i / 10) * 52, Rect(0, 0, 50, 50), Color::White, 0);
        screen->Blt(panel.get(), 0, 0, Rect(0, 0, 800, 80), Color::White, 0);
        screen->Blt(panel.get(), 0, 520, Rect(0, 0, 800, 80), Color::White, 0);
        for (int i = 0; i < 500; ++i)
            screen->Blt(particle.get(), (i * 37) % 784, (i * 91) % 584, Rect(0, 0, 16, 16),
                        Color(int(uint32_t(128 + i % 128) << 24 | 0xFF0064u | uint32_t(200 - i % 100) << 8)), 1);
        screen->BltRotated(window.get(), 240, 180, Rect(0, 0, 320, 240), clip, Color::White, 0, 0.3, 160, 120);
        display->Redraw();
    }

    Host host;
    std::unique_ptr<Kivo::DDInterface> display;
    Kivo::DDImage* screen = nullptr;
    std::unique_ptr<Kivo::MemoryImage> background, brick, panel, particle, window;
};

void BM_Frame(benchmark::State& state)
{
    Frame frame(state.range(0) != 0);
    frame.Draw(); // textures made once, as in the game
    for (auto _ : state)
        frame.Draw();
}
BENCHMARK(BM_Frame)->ArgName("3D")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The window turned by a matrix into an opaque 800 x 600 image: into its
// DirectDraw surface (16- or 32-bit) through the triangle rasterizer, beside
// the same draw on a memory image's bits.
void BM_MatrixBlit(benchmark::State& state)
{
    Host host;
    platform::UseBackend("headless");
    platform::ResetDDraw();
    platform::HeadlessBackend::Current()->presenter.SetDesktopLayout(
        state.range(0) == 16 ? platform::PixelLayout { 2, 0xF800, 0x07E0, 0x001F }
                             : platform::PixelLayout { 4, 0xFF0000, 0xFF00, 0xFF });
    auto display = std::make_unique<Kivo::DDInterface>(&host);
    host.display = display.get();
    display->Init(nullptr, true);
    auto window = MakeImage(host, 320, 240, 6, 255, 13);
    auto background = MakeImage(host, 800, 600, 0, 255, 3);
    std::unique_ptr<Kivo::MemoryImage> target;
    if (state.range(0) == 0) {
        target = std::make_unique<Kivo::MemoryImage>(&host);
        target->SetBits(background->GetBits(), 800, 600);
    } else {
        auto image = std::make_unique<Kivo::DDImage>(display.get());
        image->SetBits(background->GetBits(), 800, 600);
        image->CreateSurfaceFromBits();
        target = std::move(image);
    }
    Kivo::Matrix3x3 turn;
    turn.Rotate(0.3f);
    for (auto _ : state)
        target->BltMatrix(window.get(), 400, 300, turn, Kivo::Rect(0, 0, 800, 600), Kivo::Color::White, 0,
                          Kivo::Rect(0, 0, 320, 240), true);
    window.reset();
    background.reset();
    target.reset();
    display.reset();
}
// 0: memory image (reference); 16, 32: a surface of that depth.
BENCHMARK(BM_MatrixBlit)->ArgName("surface")->Arg(0)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);

} // namespace

namespace {

// Text through the system's context on the 800 x 600 screen image: the
// surface's pixels handed to the text layer and back, around one small
// fill (16- or 32-bit 2D screen, or the 3D target), beside a copy of the
// screen's bytes as the reference.
void BM_SurfaceText(benchmark::State& state)
{
    Host host;
    platform::UseBackend("headless");
    platform::ResetDDraw();
    const bool is3D = state.range(0) == 3;
    platform::HeadlessBackend::Current()->presenter.SetDesktopLayout(
        state.range(0) == 16 ? platform::PixelLayout { 2, 0xF800, 0x07E0, 0x001F }
                             : platform::PixelLayout { 4, 0xFF0000, 0xFF00, 0xFF });
    auto display = std::make_unique<Kivo::DDInterface>(&host);
    host.display = display.get();
    display->mIs3D = is3D;
    display->Init(nullptr, true);
    Kivo::DDImage* screen = display->mScreenImage;
    std::vector<uint32_t> from(800 * 600, 0x123456), to(800 * 600);
    for (auto _ : state) {
        if (state.range(0) == 0) {
            std::memcpy(to.data(), from.data(), to.size() * 4);
            benchmark::DoNotOptimize(to.data());
            continue;
        }
        HDC dc = nullptr;
        if (screen->BeginSurfaceText(&dc) && dc) {
            RECT square { 10, 10, 60, 30 };
            FillRect(dc, &square, reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        }
        screen->EndSurfaceText(dc);
    }
    display.reset();
}
// 0: the copy (reference); 16, 32: the 2D screen of that depth; 3: the 3D target.
BENCHMARK(BM_SurfaceText)->ArgName("screen")->Arg(0)->Arg(16)->Arg(32)->Arg(3)->Unit(benchmark::kMicrosecond);

} // namespace
