#pragma once
// A floating-point RGBA canvas with anti-aliased shapes drawn from signed
// distance functions: negative inside, positive outside, in pixels. Colours
// are straight (not premultiplied) RGBA in 0..1; painting composites "over".
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace datagen {

struct RGBA {
    float r = 0, g = 0, b = 0, a = 1;
};
RGBA Hex(uint32_t rgb, float a = 1);
RGBA Mix(const RGBA& x, const RGBA& y, float t);
RGBA Shade(const RGBA& c, float f); // f > 1 lighter towards white, < 1 darker

using Sdf = std::function<float(float x, float y)>;
using Paint = std::function<RGBA(float x, float y)>;

// Shapes.
Sdf Circle(float cx, float cy, float r);
Sdf Ellipse(float cx, float cy, float rx, float ry);
Sdf RoundRect(float x, float y, float w, float h, float radius);
Sdf Polygon(std::vector<std::pair<float, float>> points);
Sdf Star(float cx, float cy, float outer, float inner, int points, float turn = 0);
Sdf Segment(float x1, float y1, float x2, float y2, float halfWidth);
Sdf Union(Sdf a, Sdf b);
Sdf Subtract(Sdf a, Sdf b);
Sdf Intersect(Sdf a, Sdf b);
Sdf Offset(Sdf s, float dx, float dy);
Sdf Outline(Sdf s, float halfWidth);
Sdf Transformed(Sdf s, float cx, float cy, float angle, float scale);

// Paints.
Paint Solid(RGBA c);
Paint LinearY(RGBA top, RGBA bottom, float y0, float y1);
Paint Radial(RGBA inner, RGBA outer, float cx, float cy, float r);

class Canvas {
public:
    Canvas(int w, int h);
    int W() const { return mW; }
    int H() const { return mH; }
    RGBA& At(int x, int y) { return mPx[size_t(y) * mW + x]; }
    const RGBA& At(int x, int y) const { return mPx[size_t(y) * mW + x]; }

    void Over(int x, int y, RGBA c);
    void Add(int x, int y, RGBA c); // additive light, alpha grows too
    void Fill(const Sdf& s, const Paint& p, float opacity = 1);
    void FillAdd(const Sdf& s, const Paint& p, float opacity = 1);
    // A soft shadow of `s`, offset and blurred by `soft` pixels.
    void Shadow(const Sdf& s, float dx, float dy, float soft, float opacity);
    // A glow around `s` fading over `radius` pixels, added.
    void Glow(const Sdf& s, RGBA c, float radius, float opacity = 1);
    // The shape filled with `p`, lit from the top left: a rim `bevel` pixels
    // wide is brightened where its outward normal faces the light and darkened
    // where it faces away, with a glossy spot near the top.
    void Bevel(const Sdf& s, const Paint& p, float bevel, float strength = 0.5f, float gloss = 0.35f);
    // Fine deterministic grain over opaque pixels.
    void Grain(uint32_t seed, float amount);
    void Draw(const Canvas& src, int dx, int dy, float opacity = 1);
    // Scaled copy drawn at (dx, dy) with box filtering.
    void DrawScaled(const Canvas& src, float dx, float dy, float scale, float opacity = 1);
    void Clear(RGBA c);
    void Opaque(); // alpha to 1 everywhere, over black
    Canvas Crop(int x, int y, int w, int h) const;

    // 0xAARRGGBB, with soft edge alpha kept in 9..239 where it is partial.
    std::vector<uint32_t> Pixels() const;
    bool WritePng(const std::string& path) const;

private:
    int mW, mH;
    std::vector<RGBA> mPx;
};

// Deterministic hash noise in 0..1.
float Hash(uint32_t seed, int x, int y);
float ValueNoise(uint32_t seed, float x, float y); // smooth, 0..1
float Fbm(uint32_t seed, float x, float y, int octaves);

} // namespace datagen
