#include "tools/pyropack/Textures.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>

namespace pyropack {

namespace {

float Smooth(float edge0, float edge1, float x)
{
    const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
    return t * t * (3 - 2 * t);
}

// Value noise on a lattice, for the smoke.
float Hash(int x, int y, int seed)
{
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + uint32_t(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return float((h ^ (h >> 16)) & 0xFFFF) / 65535.0f;
}

float Noise(float x, float y, int seed)
{
    const int ix = int(std::floor(x)), iy = int(std::floor(y));
    const float fx = x - float(ix), fy = y - float(iy);
    const float sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const float a = Hash(ix, iy, seed), b = Hash(ix + 1, iy, seed);
    const float c = Hash(ix, iy + 1, seed), d = Hash(ix + 1, iy + 1, seed);
    return (a + (b - a) * sx) + ((c + (d - c) * sx) - (a + (b - a) * sx)) * sy;
}

} // namespace

bool PaintTexture(const std::string& shape, int size, int seed, PyroParticles::TextureData& out)
{
    if (size < 4 || size > 256)
        return false;
    // Alpha from coordinates in -1..1 (x right, y down).
    std::function<float(float, float)> alpha;
    if (shape == "glow")
        alpha = [](float x, float y) { return std::pow(std::max(0.0f, 1 - std::hypot(x, y)), 2.0f); };
    else if (shape == "spark")
        alpha = [](float x, float y) {
            const float r2 = x * x + y * y;
            return std::min(1.0f, std::exp(-r2 * 14) * 1.2f + std::max(0.0f, 1 - std::sqrt(r2)) * 0.15f);
        };
    else if (shape == "star")
        alpha = [](float x, float y) {
            const float r = std::hypot(x, y);
            const float core = std::exp(-r * r * 30);
            const float rays = std::exp(-std::fabs(x) * 18) * std::max(0.0f, 1 - std::fabs(y)) +
                               std::exp(-std::fabs(y) * 18) * std::max(0.0f, 1 - std::fabs(x));
            const float halo = std::pow(std::max(0.0f, 1 - r), 3.0f) * 0.35f;
            return std::min(1.0f, core + rays * 0.9f + halo);
        };
    else if (shape == "ring")
        alpha = [](float x, float y) {
            const float d = (std::hypot(x, y) - 0.78f) / 0.1f;
            return std::exp(-d * d);
        };
    else if (shape == "smoke")
        alpha = [seed](float x, float y) {
            const float r = std::hypot(x, y);
            const float n = 0.6f * Noise(x * 3 + 7, y * 3 + 3, seed) + 0.4f * Noise(x * 6 + 1, y * 6 + 9, seed + 1);
            return std::clamp((1 - Smooth(0.3f, 1.0f, r)) * (0.45f + 0.75f * n), 0.0f, 1.0f);
        };
    else if (shape == "dot")
        alpha = [size](float x, float y) {
            const float edge = 2.0f / float(size);
            return 1 - Smooth(0.85f - edge, 0.85f + edge, std::hypot(x, y));
        };
    else if (shape == "shard")
        alpha = [size](float x, float y) {
            const float edge = 3.0f / float(size);
            const float d = std::fabs(x) * 0.9f + std::fabs(y) * 1.3f;
            return 1 - Smooth(0.8f - edge, 0.8f + edge, d);
        };
    else
        return false;
    out.width = out.height = uint32_t(size);
    out.rgba.assign(size_t(size) * size * 4, 255);
    for (int j = 0; j < size; ++j)
        for (int i = 0; i < size; ++i) {
            const float x = (float(i) + 0.5f) / float(size) * 2 - 1, y = (float(j) + 0.5f) / float(size) * 2 - 1;
            const float a = std::clamp(alpha(x, y), 0.0f, 1.0f);
            out.rgba[(size_t(j) * size + i) * 4 + 3] = uint8_t(std::lround(a * 255));
        }
    return true;
}

} // namespace pyropack
