// The drawing paths every frame uses, in pixels per second (items/s), beside
// memcpy of the same bytes as the physical reference.
#include "framework/graphics/MemoryImage.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

using Kivo::Color;
using Kivo::MemoryImage;
using Kivo::Rect;

int Width(const benchmark::State& state) { return state.range(0) == 45 ? 45 : 800; }
int Height(const benchmark::State& state) { return state.range(0) == 45 ? 45 : 600; }

void Fill(MemoryImage& image, int w, int h, uint32_t value)
{
    std::vector<uint32_t> px(static_cast<size_t>(w) * h, value);
    image.SetBits(px.data(), w, h);
}

// A sprite: opaque middle, translucent rim, transparent corners.
void FillSprite(MemoryImage& image, int w, int h)
{
    std::vector<uint32_t> px(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int edge = std::min(std::min(x, w - 1 - x), std::min(y, h - 1 - y));
            const uint32_t alpha = edge == 0 ? 0 : edge < 3 ? 0x80 : 0xFF;
            px[static_cast<size_t>(y) * w + x] = (alpha << 24) | static_cast<uint32_t>(x * 0x010203 + y);
        }
    image.SetBits(px.data(), w, h);
}

void Report(benchmark::State& state, int w, int h)
{
    state.SetItemsProcessed(state.iterations() * w * h);
    state.SetBytesProcessed(state.iterations() * w * h * 4);
}

// Source 0: opaque; 1: sprite. Path 0: an opaque screen (the run-length
// path); 1: a destination whose alpha flags say transparent (the per-pixel
// blend; its pixels turn opaque after the first round, as a cleared image
// does after its first draw).
void BM_Blt(benchmark::State& state)
{
    const int w = Width(state), h = Height(state);
    MemoryImage dest, src;
    Fill(dest, 800, 600, state.range(2) ? 0u : 0xFF204060u);
    if (state.range(1))
        FillSprite(src, w, h);
    else
        Fill(src, w, h, 0xFF336699);
    src.GetRLAlphaData();
    for (auto _ : state) {
        dest.Blt(&src, 0, 0, Rect(0, 0, w, h), Color::White, Kivo::DRAWMODE_NORMAL);
        if (state.range(2)) // keep the per-pixel path between rounds
            dest.mHasTrans = true;
        benchmark::ClobberMemory();
    }
    Report(state, w, h);
}

void BM_BltAdditive(benchmark::State& state)
{
    const int w = Width(state), h = Height(state);
    MemoryImage dest, src;
    Fill(dest, 800, 600, 0xFF204060);
    FillSprite(src, w, h);
    for (auto _ : state) {
        dest.Blt(&src, 0, 0, Rect(0, 0, w, h), Color::White, Kivo::DRAWMODE_ADDITIVE);
        benchmark::ClobberMemory();
    }
    Report(state, w, h);
}

// Alpha 255 (a plain store) or 128 (a blend per pixel).
void BM_FillRect(benchmark::State& state)
{
    const int w = Width(state), h = Height(state);
    MemoryImage dest;
    Fill(dest, 800, 600, 0xFF204060);
    Color c(10, 20, 30);
    c.mAlpha = static_cast<int>(state.range(1));
    for (auto _ : state) {
        dest.FillRect(Rect(0, 0, w, h), c, Kivo::DRAWMODE_NORMAL);
        benchmark::ClobberMemory();
    }
    Report(state, w, h);
}

// The reference: copying the same rows of 32-bit pixels.
void BM_MemcpyReference(benchmark::State& state)
{
    const int w = Width(state), h = Height(state);
    std::vector<uint32_t> src(static_cast<size_t>(w) * h, 0xFF336699), dest(800 * 600);
    for (auto _ : state) {
        for (int y = 0; y < h; ++y)
            std::memcpy(&dest[static_cast<size_t>(y) * 800], &src[static_cast<size_t>(y) * w], w * 4);
        benchmark::ClobberMemory();
    }
    Report(state, w, h);
}

BENCHMARK(BM_MemcpyReference)->ArgNames({ "size" })->Arg(45)->Arg(800);
BENCHMARK(BM_Blt)->ArgNames({ "size", "sprite", "blend_path" })->ArgsProduct({ { 45, 800 }, { 0, 1 }, { 0, 1 } });
BENCHMARK(BM_BltAdditive)->ArgNames({ "size" })->Arg(45)->Arg(800);
BENCHMARK(BM_FillRect)->ArgNames({ "size", "alpha" })->ArgsProduct({ { 45, 800 }, { 255, 128 } });

} // namespace
