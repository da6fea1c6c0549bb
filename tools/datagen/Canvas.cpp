#include "tools/datagen/Canvas.h"

#include "framework/graphics/ImageLib.h"

#include <algorithm>
#include <cmath>

namespace datagen {

namespace {

float Clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

// Coverage of a pixel by a shape from the distance at its centre.
float Coverage(float d) { return Clamp01(0.5f - d); }

} // namespace

RGBA Hex(uint32_t rgb, float a)
{
    return {float((rgb >> 16) & 255) / 255.f, float((rgb >> 8) & 255) / 255.f, float(rgb & 255) / 255.f, a};
}

RGBA Mix(const RGBA& x, const RGBA& y, float t)
{
    return {x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t, x.a + (y.a - x.a) * t};
}

RGBA Shade(const RGBA& c, float f)
{
    if (f >= 1) {
        float t = std::min(f - 1, 1.f);
        return {c.r + (1 - c.r) * t, c.g + (1 - c.g) * t, c.b + (1 - c.b) * t, c.a};
    }
    return {c.r * f, c.g * f, c.b * f, c.a};
}

Sdf Circle(float cx, float cy, float r)
{
    return [=](float x, float y) { return std::hypot(x - cx, y - cy) - r; };
}

Sdf Ellipse(float cx, float cy, float rx, float ry)
{
    // Scaled circle distance: exact on the axes, close enough elsewhere.
    float m = std::min(rx, ry);
    return [=](float x, float y) {
        float u = (x - cx) / rx, v = (y - cy) / ry;
        return (std::sqrt(u * u + v * v) - 1) * m;
    };
}

Sdf RoundRect(float x, float y, float w, float h, float radius)
{
    float cx = x + w / 2, cy = y + h / 2, hx = w / 2 - radius, hy = h / 2 - radius;
    return [=](float px, float py) {
        float qx = std::abs(px - cx) - hx, qy = std::abs(py - cy) - hy;
        float ox = std::max(qx, 0.f), oy = std::max(qy, 0.f);
        return std::hypot(ox, oy) + std::min(std::max(qx, qy), 0.f) - radius;
    };
}

Sdf Polygon(std::vector<std::pair<float, float>> pts)
{
    return [pts](float px, float py) {
        float d = 1e30f;
        bool inside = false;
        size_t n = pts.size();
        for (size_t i = 0, j = n - 1; i < n; j = i++) {
            float ax = pts[j].first, ay = pts[j].second, bx = pts[i].first, by = pts[i].second;
            float ex = bx - ax, ey = by - ay, wx = px - ax, wy = py - ay;
            float len = ex * ex + ey * ey;
            float t = len > 0 ? Clamp01((wx * ex + wy * ey) / len) : 0;
            d = std::min(d, std::hypot(wx - ex * t, wy - ey * t));
            if ((ay > py) != (by > py) && px < ax + (py - ay) * ex / ey)
                inside = !inside;
        }
        return inside ? -d : d;
    };
}

Sdf Star(float cx, float cy, float outer, float inner, int points, float turn)
{
    std::vector<std::pair<float, float>> pts;
    for (int i = 0; i < points * 2; ++i) {
        float a = turn + float(M_PI) * float(i) / float(points) - float(M_PI) / 2;
        float r = (i % 2) ? inner : outer;
        pts.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
    }
    return Polygon(pts);
}

Sdf Segment(float x1, float y1, float x2, float y2, float halfWidth)
{
    return [=](float px, float py) {
        float ex = x2 - x1, ey = y2 - y1, wx = px - x1, wy = py - y1;
        float len = ex * ex + ey * ey;
        float t = len > 0 ? Clamp01((wx * ex + wy * ey) / len) : 0;
        return std::hypot(wx - ex * t, wy - ey * t) - halfWidth;
    };
}

Sdf Union(Sdf a, Sdf b)
{
    return [=](float x, float y) { return std::min(a(x, y), b(x, y)); };
}

Sdf Subtract(Sdf a, Sdf b)
{
    return [=](float x, float y) { return std::max(a(x, y), -b(x, y)); };
}

Sdf Intersect(Sdf a, Sdf b)
{
    return [=](float x, float y) { return std::max(a(x, y), b(x, y)); };
}

Sdf Offset(Sdf s, float dx, float dy)
{
    return [=](float x, float y) { return s(x - dx, y - dy); };
}

Sdf Outline(Sdf s, float halfWidth)
{
    return [=](float x, float y) { return std::abs(s(x, y)) - halfWidth; };
}

Sdf Transformed(Sdf s, float cx, float cy, float angle, float scale)
{
    float c = std::cos(angle), sn = std::sin(angle);
    return [=](float x, float y) {
        float u = x - cx, v = y - cy;
        float rx = (u * c + v * sn) / scale, ry = (-u * sn + v * c) / scale;
        return s(rx + cx, ry + cy) * scale;
    };
}

Paint Solid(RGBA c)
{
    return [=](float, float) { return c; };
}

Paint LinearY(RGBA top, RGBA bottom, float y0, float y1)
{
    return [=](float, float y) { return Mix(top, bottom, Clamp01((y - y0) / (y1 - y0))); };
}

Paint Radial(RGBA inner, RGBA outer, float cx, float cy, float r)
{
    return [=](float x, float y) { return Mix(inner, outer, Clamp01(std::hypot(x - cx, y - cy) / r)); };
}

Canvas::Canvas(int w, int h) : mW(w), mH(h), mPx(size_t(w) * h, RGBA {0, 0, 0, 0}) {}

void Canvas::Over(int x, int y, RGBA c)
{
    if (x < 0 || y < 0 || x >= mW || y >= mH || c.a <= 0)
        return;
    RGBA& d = At(x, y);
    float a = c.a + d.a * (1 - c.a);
    if (a <= 0)
        return;
    d.r = (c.r * c.a + d.r * d.a * (1 - c.a)) / a;
    d.g = (c.g * c.a + d.g * d.a * (1 - c.a)) / a;
    d.b = (c.b * c.a + d.b * d.a * (1 - c.a)) / a;
    d.a = a;
}

void Canvas::Add(int x, int y, RGBA c)
{
    if (x < 0 || y < 0 || x >= mW || y >= mH || c.a <= 0)
        return;
    RGBA& d = At(x, y);
    // Light added onto what is there; on a transparent pixel it becomes the
    // pixel's colour with alpha as its strength.
    float a = std::min(1.f, d.a + c.a);
    float k = c.a;
    float r = d.r * d.a + c.r * k, g = d.g * d.a + c.g * k, b = d.b * d.a + c.b * k;
    d.r = std::min(1.f, r / a);
    d.g = std::min(1.f, g / a);
    d.b = std::min(1.f, b / a);
    d.a = a;
}

void Canvas::Fill(const Sdf& s, const Paint& p, float opacity)
{
    for (int y = 0; y < mH; ++y)
        for (int x = 0; x < mW; ++x) {
            float fx = float(x) + 0.5f, fy = float(y) + 0.5f;
            float cov = Coverage(s(fx, fy)) * opacity;
            if (cov <= 0)
                continue;
            RGBA c = p(fx, fy);
            c.a *= cov;
            Over(x, y, c);
        }
}

void Canvas::FillAdd(const Sdf& s, const Paint& p, float opacity)
{
    for (int y = 0; y < mH; ++y)
        for (int x = 0; x < mW; ++x) {
            float fx = float(x) + 0.5f, fy = float(y) + 0.5f;
            float cov = Coverage(s(fx, fy)) * opacity;
            if (cov <= 0)
                continue;
            RGBA c = p(fx, fy);
            c.a *= cov;
            Add(x, y, c);
        }
}

void Canvas::Shadow(const Sdf& s, float dx, float dy, float soft, float opacity)
{
    for (int y = 0; y < mH; ++y)
        for (int x = 0; x < mW; ++x) {
            float d = s(float(x) + 0.5f - dx, float(y) + 0.5f - dy);
            float t = Clamp01(0.5f - d / soft);
            t = t * t * (3 - 2 * t);
            if (t > 0)
                Over(x, y, {0.02f, 0.03f, 0.05f, t * opacity});
        }
}

void Canvas::Glow(const Sdf& s, RGBA c, float radius, float opacity)
{
    for (int y = 0; y < mH; ++y)
        for (int x = 0; x < mW; ++x) {
            float d = s(float(x) + 0.5f, float(y) + 0.5f);
            float t = d <= 0 ? 1 : Clamp01(1 - d / radius);
            t = t * t;
            if (t > 0) {
                RGBA k = c;
                k.a = t * opacity;
                Add(x, y, k);
            }
        }
}

void Canvas::Bevel(const Sdf& s, const Paint& p, float bevel, float strength, float gloss)
{
    const float lx = -0.6f, ly = -0.8f; // light from the top left
    float minY = 1e9f, maxY = -1e9f;
    for (int y = 0; y < mH; ++y)
        for (int x = 0; x < mW; x += 2)
            if (s(float(x) + 0.5f, float(y) + 0.5f) < 0) {
                minY = std::min(minY, float(y));
                maxY = std::max(maxY, float(y));
            }
    for (int y = 0; y < mH; ++y)
        for (int x = 0; x < mW; ++x) {
            float fx = float(x) + 0.5f, fy = float(y) + 0.5f;
            float d = s(fx, fy);
            float cov = Coverage(d);
            if (cov <= 0)
                continue;
            RGBA c = p(fx, fy);
            float nx = s(fx + 0.5f, fy) - s(fx - 0.5f, fy);
            float ny = s(fx, fy + 0.5f) - s(fx, fy - 0.5f);
            float nl = std::hypot(nx, ny);
            if (nl > 0) {
                nx /= nl;
                ny /= nl;
            }
            float rim = Clamp01(1 + d / bevel); // 1 on the edge, 0 deep inside
            rim = rim * rim;
            float light = (nx * lx + ny * ly) * rim * strength;
            c = Shade(c, 1 + light);
            if (gloss > 0 && maxY > minY) {
                float t = (fy - minY) / (maxY - minY);
                float g = Clamp01(1 - t * 2.2f) * Clamp01(-d / (bevel * 1.5f)) * gloss;
                c = Shade(c, 1 + g);
            }
            c.a *= cov;
            Over(x, y, c);
        }
}

void Canvas::Grain(uint32_t seed, float amount)
{
    for (int y = 0; y < mH; ++y)
        for (int x = 0; x < mW; ++x) {
            RGBA& c = At(x, y);
            if (c.a <= 0)
                continue;
            float n = (Hash(seed, x, y) - 0.5f) * amount;
            c.r = Clamp01(c.r + n);
            c.g = Clamp01(c.g + n);
            c.b = Clamp01(c.b + n);
        }
}

void Canvas::Draw(const Canvas& src, int dx, int dy, float opacity)
{
    for (int y = 0; y < src.mH; ++y)
        for (int x = 0; x < src.mW; ++x) {
            RGBA c = src.At(x, y);
            c.a *= opacity;
            Over(x + dx, y + dy, c);
        }
}

void Canvas::DrawScaled(const Canvas& src, float dx, float dy, float scale, float opacity)
{
    int w = int(float(src.mW) * scale), h = int(float(src.mH) * scale);
    float inv = 1 / scale;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            // Box filter over the source footprint.
            int x0 = int(float(x) * inv), x1 = std::max(x0 + 1, int(float(x + 1) * inv));
            int y0 = int(float(y) * inv), y1 = std::max(y0 + 1, int(float(y + 1) * inv));
            float r = 0, g = 0, b = 0, a = 0;
            int n = 0;
            for (int sy = y0; sy < y1 && sy < src.mH; ++sy)
                for (int sx = x0; sx < x1 && sx < src.mW; ++sx, ++n) {
                    const RGBA& c = src.At(sx, sy);
                    r += c.r * c.a;
                    g += c.g * c.a;
                    b += c.b * c.a;
                    a += c.a;
                }
            if (n == 0 || a <= 0)
                continue;
            Over(int(dx) + x, int(dy) + y, {r / a, g / a, b / a, a / float(n) * opacity});
        }
}

void Canvas::Clear(RGBA c)
{
    std::fill(mPx.begin(), mPx.end(), c);
}

void Canvas::Opaque()
{
    for (RGBA& c : mPx) {
        c.r *= c.a;
        c.g *= c.a;
        c.b *= c.a;
        c.a = 1;
    }
}

Canvas Canvas::Crop(int x, int y, int w, int h) const
{
    Canvas out(w, h);
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i)
            if (x + i >= 0 && y + j >= 0 && x + i < mW && y + j < mH)
                out.At(i, j) = At(x + i, y + j);
    return out;
}

std::vector<uint32_t> Canvas::Pixels() const
{
    std::vector<uint32_t> out(mPx.size());
    for (size_t i = 0; i < mPx.size(); ++i) {
        const RGBA& c = mPx[i];
        int a = int(std::lround(Clamp01(c.a) * 255));
        // Soft edges stay where software scaling still shows them.
        if (a <= 4)
            a = 0;
        else if (a < 9)
            a = 9;
        else if (a >= 250)
            a = 255;
        else if (a > 239)
            a = 239;
        auto ch = [](float v) { return uint32_t(std::lround(Clamp01(v) * 255)); };
        out[i] = a == 0 ? 0 : (uint32_t(a) << 24) | (ch(c.r) << 16) | (ch(c.g) << 8) | ch(c.b);
    }
    return out;
}

bool Canvas::WritePng(const std::string& path) const
{
    ImageLib::Image image;
    image.mWidth = mW;
    image.mHeight = mH;
    std::vector<uint32_t> px = Pixels();
    image.mBits = new uint32_t[px.size()];
    std::copy(px.begin(), px.end(), image.mBits);
    return ImageLib::WritePNGImage(path, &image);
}

float Hash(uint32_t seed, int x, int y)
{
    uint32_t h = seed * 0x9E3779B1u ^ uint32_t(x) * 0x85EBCA77u ^ uint32_t(y) * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return float(h & 0xFFFFFF) / float(0x1000000);
}

float ValueNoise(uint32_t seed, float x, float y)
{
    int ix = int(std::floor(x)), iy = int(std::floor(y));
    float fx = x - float(ix), fy = y - float(iy);
    fx = fx * fx * (3 - 2 * fx);
    fy = fy * fy * (3 - 2 * fy);
    float a = Hash(seed, ix, iy), b = Hash(seed, ix + 1, iy);
    float c = Hash(seed, ix, iy + 1), d = Hash(seed, ix + 1, iy + 1);
    return a + (b - a) * fx + (c - a) * fy + (a - b - c + d) * fx * fy;
}

float Fbm(uint32_t seed, float x, float y, int octaves)
{
    float sum = 0, amp = 0.5f, norm = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += ValueNoise(seed + uint32_t(i) * 101, x, y) * amp;
        norm += amp;
        x *= 2;
        y *= 2;
        amp *= 0.5f;
    }
    return sum / norm;
}

} // namespace datagen
