// Rotated and stretched blits of memory images beside pixman's transformed
// composites of the same sizes (bilinear for the rotation and the filtered
// stretch, nearest for the fast stretch) and memcpy of an 800 x 600 screen.
// Figures are in Mpixels/s of source brick pixels (rotation) or destination
// pixels (stretch).
#include "framework/graphics/MemoryImage.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cmath>
#include <cstring>
#include <vector>

using namespace Kivo;

namespace {

constexpr int kScreenW = 800;
constexpr int kScreenH = 600;
constexpr int kBrick = 45;
constexpr int kAngles = 37;

// A brick with a soft, translucent rim, as the game's bricks are drawn.
std::vector<uint32_t> BrickPixels(int w, int h)
{
    std::vector<uint32_t> px(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int edge = std::min(std::min(x, y), std::min(w - 1 - x, h - 1 - y));
            const uint32_t a = edge >= 3 ? 255 : static_cast<uint32_t>(80 * edge + 15);
            px[static_cast<size_t>(y) * w + x] = a << 24 | static_cast<uint32_t>((x * 5) & 0xFF) << 16 |
                                                  static_cast<uint32_t>((y * 5) & 0xFF) << 8 | 0x40;
        }
    return px;
}

void SetMpixels(benchmark::State& state, double pixelsPerIteration)
{
    state.counters["Mpixels/s"] =
        benchmark::Counter(pixelsPerIteration * static_cast<double>(state.iterations()) / 1e6,
                           benchmark::Counter::kIsRate);
}

double AngleOf(int i) { return i * 0.17 + 0.05; }

void BM_RotatedBricks(benchmark::State& state)
{
    MemoryImage brick;
    brick.SetBits(BrickPixels(kBrick, kBrick).data(), kBrick, kBrick);
    MemoryImage screen;
    screen.Create(kScreenW, kScreenH);
    screen.Clear();
    const Rect clip(0, 0, kScreenW, kScreenH);
    const Rect src(0, 0, kBrick, kBrick);
    const int mode = static_cast<int>(state.range(0));
    int i = 0;
    for (auto _ : state) {
        const float x = static_cast<float>((i * 53) % (kScreenW - 64));
        const float y = static_cast<float>((i * 31) % (kScreenH - 64));
        screen.BltRotated(&brick, x, y, src, clip, Color::White, mode, AngleOf(i % kAngles), 22.5f, 22.5f);
        ++i;
    }
    SetMpixels(state, kBrick * kBrick);
}
BENCHMARK(BM_RotatedBricks)->Arg(0)->Arg(1)->ArgName("additive");

void BM_PixmanRotatedBricksReference(benchmark::State& state)
{
    std::vector<uint32_t> brickPx = BrickPixels(kBrick, kBrick);
    std::vector<uint32_t> screenPx(static_cast<size_t>(kScreenW) * kScreenH, 0);
    pixman_image_t* brick = pixman_image_create_bits(PIXMAN_a8r8g8b8, kBrick, kBrick, brickPx.data(), kBrick * 4);
    pixman_image_t* screen =
        pixman_image_create_bits(PIXMAN_a8r8g8b8, kScreenW, kScreenH, screenPx.data(), kScreenW * 4);
    pixman_image_set_filter(brick, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    pixman_transform_t turns[kAngles];
    for (int k = 0; k < kAngles; ++k) {
        // Destination box of 64 x 64 around the brick's centre back to the
        // brick.
        pixman_f_transform_t f;
        pixman_f_transform_init_identity(&f);
        pixman_f_transform_translate(&f, nullptr, -32, -32);
        pixman_f_transform_rotate(&f, nullptr, std::cos(-AngleOf(k)), std::sin(-AngleOf(k)));
        pixman_f_transform_translate(&f, nullptr, 22.5, 22.5);
        pixman_transform_from_pixman_f_transform(&turns[k], &f);
    }
    int i = 0;
    for (auto _ : state) {
        pixman_image_set_transform(brick, &turns[i % kAngles]);
        const int x = (i * 53) % (kScreenW - 64);
        const int y = (i * 31) % (kScreenH - 64);
        pixman_image_composite32(PIXMAN_OP_OVER, brick, nullptr, screen, 0, 0, 0, 0, x, y, 64, 64);
        ++i;
    }
    pixman_image_unref(brick);
    pixman_image_unref(screen);
    SetMpixels(state, kBrick * kBrick);
}
BENCHMARK(BM_PixmanRotatedBricksReference);

// Arguments: source width and height, fast (1) or filtered (0); the
// destination is always the 800 x 600 screen.
void BM_StretchToScreen(benchmark::State& state)
{
    const int w = static_cast<int>(state.range(0));
    const int h = static_cast<int>(state.range(1));
    MemoryImage picture;
    picture.SetBits(BrickPixels(w, h).data(), w, h);
    MemoryImage screen;
    screen.Create(kScreenW, kScreenH);
    screen.Clear();
    const Rect all(0, 0, kScreenW, kScreenH);
    for (auto _ : state)
        screen.StretchBlt(&picture, all, Rect(0, 0, w, h), all, Color::White, 0, state.range(2) != 0);
    SetMpixels(state, kScreenW * kScreenH);
}
BENCHMARK(BM_StretchToScreen)
    ->Args({ 640, 480, 0 })
    ->Args({ 1024, 768, 0 })
    ->Args({ 640, 480, 1 })
    ->Args({ 1024, 768, 1 })
    ->ArgNames({ "w", "h", "fast" });

void BM_PixmanStretchReference(benchmark::State& state)
{
    const int w = static_cast<int>(state.range(0));
    const int h = static_cast<int>(state.range(1));
    std::vector<uint32_t> picturePx = BrickPixels(w, h);
    std::vector<uint32_t> screenPx(static_cast<size_t>(kScreenW) * kScreenH, 0);
    pixman_image_t* picture = pixman_image_create_bits(PIXMAN_a8r8g8b8, w, h, picturePx.data(), w * 4);
    pixman_image_t* screen =
        pixman_image_create_bits(PIXMAN_a8r8g8b8, kScreenW, kScreenH, screenPx.data(), kScreenW * 4);
    pixman_transform_t scale;
    pixman_transform_init_scale(&scale, pixman_double_to_fixed(static_cast<double>(w) / kScreenW),
                                pixman_double_to_fixed(static_cast<double>(h) / kScreenH));
    pixman_image_set_transform(picture, &scale);
    pixman_image_set_filter(picture, state.range(2) ? PIXMAN_FILTER_NEAREST : PIXMAN_FILTER_BILINEAR, nullptr, 0);
    for (auto _ : state)
        pixman_image_composite32(PIXMAN_OP_OVER, picture, nullptr, screen, 0, 0, 0, 0, 0, 0, kScreenW, kScreenH);
    pixman_image_unref(picture);
    pixman_image_unref(screen);
    SetMpixels(state, kScreenW * kScreenH);
}
BENCHMARK(BM_PixmanStretchReference)
    ->Args({ 640, 480, 0 })
    ->Args({ 1024, 768, 0 })
    ->Args({ 640, 480, 1 })
    ->Args({ 1024, 768, 1 })
    ->ArgNames({ "w", "h", "fast" });

void BM_MemcpyScreenReference(benchmark::State& state)
{
    std::vector<uint32_t> from(static_cast<size_t>(kScreenW) * kScreenH, 0x80402010);
    std::vector<uint32_t> to(from.size());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size() * 4);
        benchmark::ClobberMemory();
    }
    SetMpixels(state, kScreenW * kScreenH);
}
BENCHMARK(BM_MemcpyScreenReference);

} // namespace
