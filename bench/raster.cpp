// The software rasterizer on the game's kinds of work (sprites, a distortion
// mesh, particles, Gouraud fills, tiny triangles) in all four destination
// formats, beside pixman drawing the same textured triangles with the same
// textures and geometry. Every scene's output is checked against its golden
// hash before it is timed. After the runs a table gives, per scene, our
// Mpixels/s, pixman's, and their ratio; pixels are the covered pixels of the
// scene (overdraw included), the same count for both.
#include "framework/raster/SpanFrame.h"
#include "framework/raster/TexelSampling.h"
#include "framework/raster/TriangleStrip.h"

#include <benchmark/benchmark.h>
#include <pixman.h>
#include <zlib.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace Kivo;

constexpr int kWidth = 800, kHeight = 600;
constexpr double kPi = 3.14159265358979323846;

struct Texture final : RasterTextureSource {
    Texture(int w, int h) : width(w), height(h), texels(static_cast<size_t>(w) * h) {}
    void CommitBits() override {}
    const uint32_t* GetBits() override { return texels.data(); }
    int32_t GetWidth() const override { return width; }
    int32_t GetHeight() const override { return height; }
    bool HasTransparency() const override { return transparent; }
    bool HasAlpha() const override { return translucent; }
    int width, height;
    std::vector<uint32_t> texels;
    bool transparent = false, translucent = false;
};

// Smooth colour ramps, so that pictures drawn with other rounding stay close.
std::unique_ptr<Texture> OpaqueTexture(int size)
{
    auto t = std::make_unique<Texture>(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            t->texels[y * size + x] = 0xFF000000u | (uint32_t(x * 255 / size) << 16) | (uint32_t(y * 255 / size) << 8)
                | uint32_t((x + y) * 127 / size);
    return t;
}

// A soft disc: alpha falls from 255 in the middle to 0 at the rim.
std::unique_ptr<Texture> RadialTexture(int size)
{
    auto t = std::make_unique<Texture>(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double dx = (x + 0.5) / size * 2 - 1, dy = (y + 0.5) / size * 2 - 1;
            const double a = std::max(0.0, 1 - std::sqrt(dx * dx + dy * dy));
            t->texels[y * size + x] = (uint32_t(std::min(255.0, a * 400)) << 24) | (uint32_t(x * 255 / size) << 16)
                | (uint32_t(y * 255 / size) << 8) | 0x80;
        }
    t->transparent = t->translucent = true;
    return t;
}

// One strip and, for the textured sprite scenes, the affine map from
// destination pixels to texels that pixman needs.
struct Item {
    std::vector<StripVertex> strip;
    double m[6]; // texel x = m0 x + m1 y + m2, texel y = m3 x + m4 y + m5
};

struct Scene {
    std::string name;
    Texture* texture;
    StripColor colour;
    bool vertexColours;
    bool pixman; // pixman draws it too
    std::vector<Item> items;
};

// A rotated quad of side `side` centred at (cx, cy) showing the whole
// texture (or, for `tri`, only its first triangle).
Item Sprite(double cx, double cy, double side, double angle, const Texture& t, uint32_t colour, bool tri = false)
{
    Item it;
    const double c = std::cos(angle), s = std::sin(angle), h = side / 2;
    const double corner[4][2] = { { -h, -h }, { h, -h }, { -h, h }, { h, h } };
    const float uv[4][2] = { { 0, 0 }, { 1, 0 }, { 0, 1 }, { 1, 1 } };
    for (int k = 0; k < (tri ? 3 : 4); ++k)
        it.strip.push_back({ float(cx + c * corner[k][0] - s * corner[k][1]),
                             float(cy + s * corner[k][0] + c * corner[k][1]), uv[k][0], uv[k][1], colour });
    // Inverse: rotate back, scale to texels, move to the texture's centre.
    const double sx = t.width / side, sy = t.height / side;
    it.m[0] = c * sx;
    it.m[1] = s * sx;
    it.m[2] = -(c * cx + s * cy) * sx + t.width / 2.0;
    it.m[3] = -s * sy;
    it.m[4] = c * sy;
    it.m[5] = (s * cx - c * cy) * sy + t.height / 2.0;
    return it;
}

struct Textures {
    std::unique_ptr<Texture> opaque64 = OpaqueTexture(64), radial128 = RadialTexture(128),
                             image512 = OpaqueTexture(512), radial32 = RadialTexture(32);
};

std::vector<Scene> MakeScenes(Textures& tx)
{
    std::vector<Scene> scenes;
    std::mt19937 rng(42);
    std::uniform_real_distribution<double> unit(0, 1);
    const StripColor white = { 255, 255, 255, 255 };

    auto sprites = [&](Texture* t) {
        std::vector<Item> items;
        for (int side : { 16, 32, 64, 128, 256 })
            for (int i = 0; i < 2048 / side; ++i) {
                const double m = side * 0.75;
                items.push_back(Sprite(m + unit(rng) * (kWidth - 2 * m), m + unit(rng) * (kHeight - 2 * m), side,
                                       unit(rng) * 2 * kPi, *t, 0xFFFFFFFF));
            }
        return items;
    };
    scenes.push_back({ "S1 sprites opaque", tx.opaque64.get(), white, false, true, sprites(tx.opaque64.get()) });
    scenes.push_back({ "S2 sprites alpha", tx.radial128.get(), white, false, true, sprites(tx.radial128.get()) });
    const StripColor tint = { 255, 255, 200, 128 };
    scenes.push_back({ "S3 tinted opaque", tx.opaque64.get(), tint, false, false, sprites(tx.opaque64.get()) });
    scenes.push_back({ "S3 tinted alpha", tx.radial128.get(), tint, false, false, sprites(tx.radial128.get()) });

    // 20 × 15 cells over the screen, one strip per row of cells.
    Scene mesh{ "S4 mesh", tx.image512.get(), white, true, false, {} };
    for (int j = 0; j < 15; ++j) {
        Item row;
        for (int i = 0; i <= 20; ++i)
            for (int k = 0; k < 2; ++k) {
                const int y = j + k;
                const double wob = (i > 0 && i < 20 && y > 0 && y < 15) ? 6 * std::sin(i * 0.7 + y * 1.3) : 0;
                const uint32_t c = 0xFF000000u | (uint32_t(128 + 127 * std::sin(i * 0.5)) << 16)
                    | (uint32_t(128 + 127 * std::cos(y * 0.4)) << 8) | 0xC0;
                row.strip.push_back({ float(i * 40 + wob), float(y * 40 - wob), i / 20.0f, y / 15.0f, c });
            }
        mesh.items.push_back(row);
    }
    scenes.push_back(mesh);
    Scene meshTint = mesh;
    meshTint.name = "S4 mesh tinted";
    meshTint.colour = { 255, 230, 200, 200 };
    scenes.push_back(meshTint);

    Scene particles{ "S5 particles", tx.radial32.get(), white, true, false, {} };
    for (int i = 0; i < 2000; ++i) {
        const double side = 8 + unit(rng) * 16;
        const bool crossing = i % 5 == 0;
        const double x = crossing ? (unit(rng) < 0.5 ? 0 : kWidth) : unit(rng) * kWidth;
        const uint32_t fade = uint32_t(unit(rng) * 255) << 24;
        Item it = Sprite(x, unit(rng) * kHeight, side, unit(rng) * 2 * kPi, *tx.radial32, fade | 0xFFC080);
        it.strip[2].colour = it.strip[3].colour = (fade >> 1 & 0xFF000000u) | 0xFFC080;
        particles.items.push_back(it);
    }
    scenes.push_back(particles);
    Scene particlesTint = particles;
    particlesTint.name = "S5 particles tinted";
    particlesTint.colour = { 255, 200, 255, 220 };
    scenes.push_back(particlesTint);

    Scene gouraud{ "S6 Gouraud", nullptr, white, true, false, {} };
    for (int i = 0; i < 1000; ++i) {
        Item it;
        const double x = 30 + unit(rng) * (kWidth - 60), y = 30 + unit(rng) * (kHeight - 60);
        for (int k = 0; k < 3; ++k) {
            const double r = 5 + unit(rng) * 25, a = unit(rng) * 2 * kPi;
            it.strip.push_back({ float(x + r * std::cos(a)), float(y + r * std::sin(a)), 0, 0,
                                 uint32_t(rng()) | 0xC0000000u });
        }
        gouraud.items.push_back(it);
    }
    scenes.push_back(gouraud);
    Scene gouraudTint = gouraud;
    gouraudTint.name = "S6 Gouraud tinted";
    gouraudTint.colour = { 200, 255, 128, 230 };
    scenes.push_back(gouraudTint);

    Scene tiny{ "S7 tiny triangles", tx.radial128.get(), white, false, true, {} };
    for (int i = 0; i < 20000; ++i)
        tiny.items.push_back(Sprite(4 + unit(rng) * (kWidth - 8), 4 + unit(rng) * (kHeight - 8), 1 + unit(rng) * 2,
                                    unit(rng) * 2 * kPi, *tx.radial128, 0xFFFFFFFF, true));
    scenes.push_back(tiny);
    return scenes;
}

// The four formats over an opaque picture, as the screen is, and ARGB over
// a transparent one, as in off-screen composition (the blend divides there).
constexpr int kTargets = 5;
constexpr int32_t kFormats[kTargets] = { 0x8888, 0x888, 0x565, 0x555, 0x8888 };
const char* const kFormatNames[kTargets] = { "ARGB", "X888", "565", "555", "ARGB clear" };
constexpr pixman_format_code_t kPixmanFormats[kTargets] = { PIXMAN_a8r8g8b8, PIXMAN_x8r8g8b8, PIXMAN_r5g6b5,
                                                            PIXMAN_x1r5g5b5, PIXMAN_a8r8g8b8 };

struct Destination {
    explicit Destination(int target)
        : target(target), group(target % 4), pitch(kWidth * (group < 2 ? 4 : 2)), bytes(size_t(pitch) * kHeight)
    {
        if (target == 4)
            return;
        for (size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<uint8_t>(i * 7 + (i >> 11));
        if (group == 0)
            for (size_t i = 3; i < bytes.size(); i += 4)
                bytes[i] = 0xFF;
    }
    uint32_t Crc() const { return static_cast<uint32_t>(crc32(0, bytes.data(), static_cast<uInt>(bytes.size()))); }
    int target, group;
    uint32_t pitch;
    std::vector<uint8_t> bytes;
};

void DrawOurs(const Scene& s, Destination& d, bool linear)
{
    const StripRect clip = { 0, 0, kWidth, kHeight };
    for (const Item& it : s.items)
        DrawTriangleStrip(it.strip.data(), static_cast<int>(it.strip.size()), s.texture, &s.colour, 0, &clip,
                          d.bytes.data(), d.pitch, kFormats[d.target], linear, s.vertexColours);
}

// Covered pixels, counted by the frame itself.
uint64_t gCovered = 0;
struct CountShader {
    using Pixel = uint32_t;
    static constexpr int kFirst = 6, kCount = 2;
    static constexpr bool kScalesColours = false;
    static void SpanStart(uint32_t*) {}
    static void Draw(Pixel*, const uint32_t*) { ++gCovered; }
};
void CountTriangle(const RasterVertex* v, uint8_t*, uint32_t, const RasterTexture*, const RasterColor*)
{
    Raster::ScanTriangle(v, nullptr, 0, CountShader{});
}

uint64_t CoveredPixels(const Scene& s)
{
    TriangleFuncTable counting;
    counting.fill(&CountTriangle);
    gCovered = 0;
    const StripRect clip = { 0, 0, kWidth, kHeight };
    const StripColor colour = s.colour;
    for (const Item& it : s.items)
        DrawTriangleStripWithTable(counting, it.strip.data(), static_cast<int>(it.strip.size()), s.texture, &colour,
                                   &clip, nullptr, 0, 0, false, true);
    return gCovered;
}

struct PixmanScene {
    pixman_image_t* source = nullptr;
    std::vector<uint32_t> premultiplied;
    ~PixmanScene()
    {
        if (source)
            pixman_image_unref(source);
    }
};

void DrawPixman(const Scene& s, pixman_image_t* src, pixman_image_t* dst)
{
    for (const Item& it : s.items) {
        pixman_transform_t t;
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 3; ++c)
                t.matrix[r][c] = pixman_double_to_fixed(it.m[r * 3 + c]);
        t.matrix[2][0] = t.matrix[2][1] = 0;
        t.matrix[2][2] = pixman_fixed_1;
        pixman_image_set_transform(src, &t);
        pixman_triangle_t tris[2];
        const int n = static_cast<int>(it.strip.size()) - 2;
        for (int k = 0; k < n; ++k) {
            const StripVertex* v = &it.strip[k];
            tris[k] = { { pixman_double_to_fixed(v[0].x), pixman_double_to_fixed(v[0].y) },
                        { pixman_double_to_fixed(v[1].x), pixman_double_to_fixed(v[1].y) },
                        { pixman_double_to_fixed(v[2].x), pixman_double_to_fixed(v[2].y) } };
        }
        pixman_composite_triangles(PIXMAN_OP_OVER, src, dst, PIXMAN_a1, 0, 0, 0, 0, n, tris);
    }
}

struct Result {
    double ours = 0, pixman = 0; // Mpixels/s
    double oursCv = -1, pixmanCv = -1;
    double differing = -1;
};
std::map<std::string, Result> gResults;
std::map<std::string, uint64_t> gPixels;
std::map<std::string, uint32_t> gNewGolden;

// Golden hashes of our output for each scene, format and filter.
const std::map<std::string, uint32_t> kGolden = {
#include "raster_golden.inc"
};

// Share of pixels (percent) where our picture and pixman's differ by more
// than 16 in some channel: they round differently and use other fill rules,
// so edges differ; a wrong mapping would differ everywhere.
double DifferentPixels(const Destination& a, const Destination& b)
{
    size_t differing = 0, total = 0;
    const int size = a.group < 2 ? 4 : 2;
    for (size_t i = 0; i + size <= a.bytes.size(); i += size, ++total) {
        uint32_t p = 0, q = 0;
        std::memcpy(&p, &a.bytes[i], size);
        std::memcpy(&q, &b.bytes[i], size);
        const int bits = a.group == 2 ? 16 : a.group == 3 ? 15 : 24;
        int worst = 0;
        for (int shift = 0; shift < bits;) {
            const int width = a.group < 2 ? 8 : (a.group == 2 && shift == 5) ? 6 : 5;
            const int mask = (1 << width) - 1;
            const int pc = (p >> shift) & mask, qc = (q >> shift) & mask;
            worst = std::max(worst, std::abs(pc - qc) << (8 - width));
            shift += width;
        }
        differing += worst > 16;
    }
    return 100.0 * double(differing) / double(total);
}

void RunOurs(benchmark::State& state, const Scene* scene, int target, bool linear, std::string key)
{
    Destination d(target);
    DrawOurs(*scene, d, linear);
    const uint32_t crc = d.Crc();
    const auto golden = kGolden.find(key);
    if (golden == kGolden.end()) {
        gNewGolden[key] = crc;
    } else if (golden->second != crc) {
        state.SkipWithError("output differs from its golden hash");
        return;
    }
    for (auto _ : state) {
        DrawOurs(*scene, d, linear);
        benchmark::ClobberMemory();
    }
    const double pixels = double(gPixels[scene->name]) * state.iterations();
    state.counters["Mpix/s"] = benchmark::Counter(pixels / 1e6, benchmark::Counter::kIsRate);
}

void RunPixman(benchmark::State& state, const Scene* scene, int target, bool linear, std::string key)
{
    Destination d(target);
    pixman_image_t* dst = pixman_image_create_bits(kPixmanFormats[target], kWidth, kHeight,
                                                   reinterpret_cast<uint32_t*>(d.bytes.data()), int(d.pitch));
    // pixman takes premultiplied texels.
    std::vector<uint32_t> texels(scene->texture->texels);
    for (uint32_t& t : texels) {
        const uint32_t a = t >> 24;
        t = (a << 24) | ((((t >> 16) & 0xFF) * a / 255) << 16) | ((((t >> 8) & 0xFF) * a / 255) << 8)
            | ((t & 0xFF) * a / 255);
    }
    pixman_image_t* src = pixman_image_create_bits(PIXMAN_a8r8g8b8, scene->texture->width, scene->texture->height,
                                                   texels.data(), scene->texture->width * 4);
    pixman_image_set_filter(src, linear ? PIXMAN_FILTER_BILINEAR : PIXMAN_FILTER_NEAREST, nullptr, 0);
    for (auto _ : state) {
        DrawPixman(*scene, src, dst);
        benchmark::ClobberMemory();
    }
    const double pixels = double(gPixels[scene->name]) * state.iterations();
    state.counters["Mpix/s"] = benchmark::Counter(pixels / 1e6, benchmark::Counter::kIsRate);
    // The same scene once onto a fresh destination, beside ours.
    Destination mine(target), theirs(target);
    DrawOurs(*scene, mine, linear);
    pixman_image_t* fresh = pixman_image_create_bits(kPixmanFormats[target], kWidth, kHeight,
                                                     reinterpret_cast<uint32_t*>(theirs.bytes.data()), int(theirs.pitch));
    DrawPixman(*scene, src, fresh);
    gResults[key].differing = DifferentPixels(mine, theirs);
    pixman_image_unref(fresh);
    pixman_image_unref(src);
    pixman_image_unref(dst);
}

// The four-texel sample alone, over a soft texture.
void BM_SampleFourTexels(benchmark::State& state)
{
    const auto t = RadialTexture(128);
    const RasterTexture r = { t->texels.data(), 0, 0, 0, 128, 128 * 128, 128 };
    uint32_t u = 0x123456, v = 0x234567, sum = 0;
    for (auto _ : state) {
        for (int i = 0; i < 1024; ++i) {
            sum += SampleFourTexels(r, u, v);
            u = (u + 0x3A7F) & 0x7FFFFF;
            v = (v + 0x1F3B) & 0x7FFFFF;
        }
    }
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * 1024);
}
BENCHMARK(BM_SampleFourTexels);

// One table member on prebuilt records: a 200 × 200 px triangle over a
// 128 × 128 texture, without the clip and the set-up of the strip.
void BM_SpanMember(benchmark::State& state)
{
    const int index = static_cast<int>(state.range(0));
    const auto t = RadialTexture(128);
    const RasterTexture texture = { t->texels.data(), 0, 0, 0, 128, 128 * 128, 128 };
    const RasterColor colour = { 200, 255, 230, 180 };
    auto vertex = [](double x, double y, double u, double v, uint32_t c) {
        return RasterVertex{ int32_t(x * 65536), int32_t(y * 65536), int32_t((c >> 8) & 0xFF0000),
                             int32_t(c & 0xFF0000), int32_t((c & 0xFF00) << 8), int32_t((c & 0xFF) << 16),
                             int32_t(u * 65536), int32_t(v * 65536) };
    };
    const RasterVertex v[3] = { vertex(10.3, 5.7, 0, 0, 0xFFFFFFFF), vertex(210.1, 20.2, 128, 0, 0x80FF8040),
                                vertex(30.9, 205.4, 0, 128, 0xFF40FF80) };
    Destination d(index >> 5);
    gCovered = 0;
    CountTriangle(v, nullptr, 0, nullptr, nullptr);
    const uint64_t covered = gCovered;
    for (auto _ : state) {
        gTriangleFuncs[index](v, d.bytes.data(), d.pitch, &texture, &colour);
        benchmark::ClobberMemory();
    }
    state.counters["Mpix/s"] = benchmark::Counter(double(covered) * state.iterations() / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SpanMember)->ArgName("index")->Arg(16)->Arg(24)->Arg(25)->Arg(29)->Arg(31)->Arg(48 + 8)->Arg(64 + 25)->Arg(96 + 30);

// Keeps each run's rate (the median and its coefficient of variation when
// the runs are repeated) so that the comparison table can be printed.
class Collector : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& r : runs) {
            const auto it = r.counters.find("Mpix/s");
            if (it == r.counters.end() || r.error_occurred)
                continue;
            const bool cv = r.run_type == Run::RT_Aggregate && r.aggregate_name == "cv";
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name != "median" && !cv)
                continue;
            const std::string name = r.run_name.str();
            if (name.rfind("BM_", 0) == 0)
                continue;
            const bool pixman = name.rfind("pixman/", 0) == 0;
            Result& result = gResults[name.substr(name.find('/') + 1)];
            if (cv)
                (pixman ? result.pixmanCv : result.oursCv) = it->second.value;
            else
                (pixman ? result.pixman : result.ours) = it->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

} // namespace

int main(int argc, char** argv)
{
    Textures textures;
    const std::vector<Scene> scenes = MakeScenes(textures);
    for (const Scene& s : scenes)
        gPixels[s.name] = CoveredPixels(s);
    for (const Scene& s : scenes)
        for (int target = 0; target < kTargets; ++target)
            for (bool linear : { false, true }) {
                if (!s.texture && linear)
                    continue;
                const std::string key = s.name + "/" + kFormatNames[target] + (linear ? "/linear" : "/nearest");
                benchmark::RegisterBenchmark(("ours/" + key).c_str(), RunOurs, &s, target, linear, key)
                    ->Unit(benchmark::kMillisecond);
                if (s.pixman)
                    benchmark::RegisterBenchmark(("pixman/" + key).c_str(), RunPixman, &s, target, linear, key)
                        ->Unit(benchmark::kMillisecond);
            }
    benchmark::Initialize(&argc, argv);
    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    benchmark::Shutdown();

    std::printf("\n%-36s %9s %9s %6s %8s %7s\n", "scene / format / sampling", "ours Mp/s", "pixman", "ratio",
                "%differ", "max cv");
    for (const auto& [key, r] : gResults) {
        if (r.ours == 0)
            continue;
        char cv[16] = "-";
        if (r.oursCv >= 0)
            std::snprintf(cv, sizeof cv, "%.1f%%", 100 * std::max(r.oursCv, r.pixmanCv));
        if (r.pixman > 0)
            std::printf("%-36s %9.1f %9.1f %6.2f %8.2f %7s\n", key.c_str(), r.ours, r.pixman, r.ours / r.pixman,
                        r.differing, cv);
        else
            std::printf("%-36s %9.1f %9s %6s %8s %7s\n", key.c_str(), r.ours, "-", "-", "-", cv);
    }
    if (!gNewGolden.empty()) {
        std::printf("\nscenes without a golden hash (raster_golden.inc):\n");
        for (const auto& [key, crc] : gNewGolden)
            std::printf("    { \"%s\", 0x%08X },\n", key.c_str(), crc);
    }
    return 0;
}
