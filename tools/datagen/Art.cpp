#include "tools/datagen/Art.h"

#include "tools/datagen/Fonts.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cmath>

namespace datagen {

namespace {

const float kPi = float(M_PI);

// The palette: a dusky fen of teal water, moss and dark wood, with warm gold
// trim; light falls from the top left everywhere.
const RGBA kWoodDark = Hex(0x2e2016), kWood = Hex(0x6a4628), kWoodLight = Hex(0xa3764a);
const RGBA kGold = Hex(0xf0c060), kGoldDark = Hex(0x8a5a1c), kGoldLight = Hex(0xfff0b0);
const RGBA kTealDeep = Hex(0x10262c), kTeal = Hex(0x1f4a52), kTealLight = Hex(0x3f7f84);
const RGBA kMoss = Hex(0x4d7a3a), kMossDark = Hex(0x24401f);
const RGBA kParchment = Hex(0xf1e4c3), kParchmentDark = Hex(0xcdb487);
// The windows' paper: dark, aged, so that the light letters drawn on it
// stand out (5.3 : 1 against its lightest grain).
const RGBA kPaper = Hex(0x5a4331), kPaperDark = Hex(0x3a2a1e);
const RGBA kStone = Hex(0x8d9896), kSlate = Hex(0x1c2a2c);
const RGBA kWhite = Hex(0xffffff);
const RGBA kGreenBtn = Hex(0x4f9a3a), kRedBtn = Hex(0xb23a2a), kBlueBtn = Hex(0x2f6fb0), kGreyBtn = Hex(0x8a8f94);

const uint32_t kBrickRgb[10] = {0x1e6cff, 0xe8c48e, 0xa2b8d3, 0x22d040, 0xb8e45a,
                                0x70f0f0, 0xff8a1a, 0xf040d8, 0xf02a20, 0xffe21a};

// The bonus panel, the wooden desk at the bottom of the game screen: its
// height, and the top of its body outside the raised middle.
constexpr int kDeskHeight = 145;
constexpr float kDeskBodyTop = 30;

float Clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

// The town's twenty building places: three rows on the meadow, seven at the
// back, six in the middle row standing in the gaps of the back row, seven in
// front. Building k (stage k / 4) takes place (k % 4) * 5 + k / 4 of the
// places ordered from left to right, so that every stage builds across the
// whole valley. Rows stand 70 px apart and the buildings of the two front
// rows are at most 80 px tall: a building covers the one behind it by a
// roof's edge at most.
struct Place { int row, cx; };
const int kRowBaseline[3] = {320, 390, 460};

Place PlaceOf(int k)
{
    static const std::vector<Place> places = [] {
        std::vector<Place> p;
        for (int c = 0; c < 7; ++c)
            p.push_back({0, 57 + 114 * c});
        for (int c = 0; c < 6; ++c)
            p.push_back({1, 114 + 114 * c});
        for (int c = 0; c < 7; ++c)
            p.push_back({2, 57 + 114 * c});
        std::stable_sort(p.begin(), p.end(), [](const Place& a, const Place& b) { return a.cx < b.cx; });
        return p;
    }();
    return places[size_t((k % 4) * 5 + k / 4)];
}

// Town buildings: size and the height of the roof part. The two towers
// (5 and 17) are tall and narrow and stand in the back row.
struct BuildingSize { int w, h, split; };

BuildingSize SizeOf(int k)
{
    int w = 66 + (k * 37) % 40, h = PlaceOf(k).row == 0 ? 88 + (k * 53) % 48 : 62 + (k * 53) % 19;
    if (k == 5 || k == 17) {
        w = 56;
        h = 160;
    }
    float roofH = float(h) * ((k % 4) == 2 ? 0.5f : 0.38f);
    return {w, h, int(roofH) + 2};
}

// --- building blocks -------------------------------------------------------

// A framed panel: soft shadow, gold rim, body with a vertical gradient.
void Panel(Canvas& c, float x, float y, float w, float h, float r, RGBA body, RGBA rim = kGold, float inset = 4)
{
    Sdf outer = RoundRect(x, y, w, h, r);
    c.Shadow(outer, 2, 3, 6, 0.45f);
    c.Bevel(outer, LinearY(Shade(rim, 1.2f), Shade(rim, 0.6f), y, y + h), 3, 0.7f, 0.1f);
    Sdf inner = RoundRect(x + inset, y + inset, w - 2 * inset, h - 2 * inset, std::max(1.f, r - inset));
    c.Fill(Offset(inner, -1, -1), Solid({0, 0, 0, 0.35f}));
    c.Bevel(inner, LinearY(Shade(body, 1.15f), Shade(body, 0.75f), y, y + h), 4, -0.5f, 0.08f);
    // Gold studs in the corners of the larger panels.
    if (w >= 60 && h >= 60)
        for (float sx : {x + r * 0.6f + 2, x + w - r * 0.6f - 2})
            for (float sy : {y + r * 0.6f + 2, y + h - r * 0.6f - 2})
                c.Bevel(Circle(sx, sy, 3), Radial(kGoldLight, kGoldDark, sx - 1, sy - 1, 4), 2, 0.6f, 0.3f);
}

void Button(Canvas& c, float x, float y, float w, float h, RGBA col, bool down)
{
    float r = std::min(h, w) * 0.42f;
    if (!down)
        c.Shadow(RoundRect(x + 1, y + 1, w - 2, h - 2, r), 1.5f, 2.5f, 4, 0.5f);
    Sdf rim = RoundRect(x + 1, y + 1, w - 2, h - 2, r);
    c.Bevel(rim, LinearY(kGoldLight, kGoldDark, y, y + h), 2.5f, 0.6f, 0);
    RGBA body = down ? Shade(col, 0.72f) : col;
    Sdf in = RoundRect(x + 4, y + 4, w - 8, h - 8, std::max(1.f, r - 3));
    c.Bevel(in, LinearY(Shade(body, 1.25f), Shade(body, 0.7f), y + 4, y + h - 4), 4, down ? -0.4f : 0.5f,
        down ? 0.08f : 0.35f);
}

Sdf ArrowRight(float x, float y, float w, float h)
{
    float shaft = h * 0.22f;
    return Polygon({{x, y + h / 2 - shaft}, {x + w * 0.55f, y + h / 2 - shaft}, {x + w * 0.55f, y},
        {x + w, y + h / 2}, {x + w * 0.55f, y + h}, {x + w * 0.55f, y + h / 2 + shaft}, {x, y + h / 2 + shaft}});
}

Sdf Mirror(Sdf s, float width)
{
    return [=](float x, float y) { return s(width - x, y); };
}

// The shape of brick colour i, centred, radius r.
Sdf BrickShape(int i, float cx, float cy, float r)
{
    switch (i) {
    case 0: return Circle(cx, cy, r * 0.92f);
    case 1: return RoundRect(cx - r * 0.85f, cy - r * 0.85f, r * 1.7f, r * 1.7f, r * 0.35f);
    case 2: return Star(cx, cy, r * 0.98f, r * 0.98f * 0.866f, 3, kPi / 6); // a hexagon
    case 3: return Transformed(RoundRect(cx - r * 0.7f, cy - r * 0.7f, r * 1.4f, r * 1.4f, r * 0.2f), cx, cy, kPi / 4, 1);
    case 4: return Polygon({{cx, cy - r}, {cx + r * 0.95f, cy + r * 0.75f}, {cx - r * 0.95f, cy + r * 0.75f}});
    case 5: return Union(Circle(cx, cy + r * 0.25f, r * 0.7f),
                Polygon({{cx, cy - r}, {cx + r * 0.62f, cy + r * 0.05f}, {cx - r * 0.62f, cy + r * 0.05f}}));
    case 6: return Star(cx, cy, r * 0.98f, r * 0.98f * 0.924f, 4, kPi / 8); // an octagon
    case 7: return Star(cx, cy, r * 1.02f, r * 0.5f, 5);
    case 8: return Union(Union(Circle(cx - r * 0.42f, cy - r * 0.25f, r * 0.5f), Circle(cx + r * 0.42f, cy - r * 0.25f, r * 0.5f)),
                Polygon({{cx - r * 0.88f, cy - r * 0.08f}, {cx + r * 0.88f, cy - r * 0.08f}, {cx, cy + r * 0.92f}}));
    default: return Star(cx, cy, r * 1.0f, r * 0.62f, 6);
    }
}

// One brick cel: gem body, facet highlight moving with `phase` (0..1).
void PaintBrick(Canvas& c, int i, float ox, float oy, float size, float phase)
{
    float cx = ox + size / 2, cy = oy + size / 2, r = size * 0.43f;
    RGBA col = BrickColour(i);
    Sdf s = BrickShape(i, cx, cy, r);
    c.Shadow(s, 1.2f, 1.8f, 3, 0.55f);
    c.Bevel(s, Radial(Shade(col, 1.35f), Shade(col, 0.82f), cx - r * 0.35f, cy - r * 0.4f, r * 1.7f), r * 0.35f, 0.55f, 0.25f);
    c.Fill(Outline(s, 0.6f), Solid(Shade(col, 0.35f)), 0.7f);
    // An inner facet ring and a sparkle that travels round it.
    c.Fill(Outline(BrickShape(i, cx, cy, r * 0.55f), 0.5f), Solid({1, 1, 1, 0.22f}));
    float a = phase * 2 * kPi - kPi * 0.75f;
    float sx = cx + std::cos(a) * r * 0.45f, sy = cy + std::sin(a) * r * 0.45f;
    float tw = 0.6f + 0.4f * std::sin(phase * 2 * kPi * 2);
    c.FillAdd(Intersect(Star(sx, sy, r * 0.32f * tw, r * 0.07f, 4, phase), s), Solid({1, 1, 1, 0.9f}));
    c.FillAdd(Ellipse(cx - r * 0.3f, cy - r * 0.38f, r * 0.28f, r * 0.14f), Solid({1, 1, 1, 0.55f}));
}

template <typename F> void ForCels(Canvas& sheet, int cw, int ch, F f)
{
    int cols = sheet.W() / cw, rows = sheet.H() / ch, n = cols * rows;
    for (int k = 0; k < n; ++k)
        f(float((k % cols) * cw), float((k / cols) * ch), k, n);
}

// A scene backdrop: sky gradient with clouds, distant hills, water.
void Landscape(Canvas& c, uint32_t seed, float warmth, float built)
{
    int w = c.W(), h = c.H();
    RGBA skyTop = Mix(Hex(0x24405a), Hex(0x3a5a7a), warmth), skyLow = Mix(Hex(0xa8b890), Hex(0xf0c890), warmth);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float t = float(y) / float(h) * 1.6f;
            RGBA s = Mix(skyTop, skyLow, Clamp01(t));
            float cl = Fbm(seed, float(x) / 140.f, float(y) / 60.f, 4);
            cl = Clamp01((cl - 0.55f) * 3) * Clamp01(1 - t);
            s = Mix(s, Mix(kWhite, skyLow, 0.3f), cl * 0.6f);
            c.At(x, y) = s;
        }
    // Hills in three depths, farther ones paler.
    for (int layer = 0; layer < 3; ++layer) {
        float base = float(h) * (0.45f + 0.1f * float(layer));
        RGBA col = Mix(Mix(kMoss, skyLow, 0.55f - 0.22f * float(layer)), kMossDark, 0.25f * float(layer));
        uint32_t s2 = seed + 7 * uint32_t(layer);
        Sdf hill = [=](float x, float y) {
            return base - float(h) * 0.12f * Fbm(s2, x / 260.f, 0.5f, 3) - y;
        };
        c.Fill(hill, LinearY(Shade(col, 1.1f), Shade(col, 0.8f), base - 60, base + 120));
    }
    // Houses on the far shore in later stages.
    float wy = float(h) * 0.72f;
    for (int i = 0; i < int(built * 8); ++i) {
        float x = 60 + float(i) * float(w - 120) / 8 + Hash(seed, i, 5) * 30, bw = 34, bh = 26;
        float y = wy - 2;
        RGBA wall = Mix(kParchmentDark, skyLow, 0.35f);
        c.Fill(RoundRect(x, y - bh, bw, bh, 2), Solid(wall));
        c.Fill(Polygon({{x - 4, y - bh}, {x + bw / 2, y - bh - 18}, {x + bw + 4, y - bh}}), Solid(Mix(Hex(0x8a3a2a), skyLow, 0.35f)));
        c.Fill(RoundRect(x + 12, y - 12, 9, 12, 1), Solid(Shade(wall, 0.5f)));
    }
    // Water with streaks of reflected sky, mirroring the shore with a ripple.
    Canvas above = c;
    c.Fill([=](float, float y) { return wy - y; }, [=](float x, float y) {
        float k = Fbm(seed + 99, x / 90.f, y / 6.f, 3);
        return Mix(Mix(kTeal, skyLow, 0.25f), kTealDeep, Clamp01((y - wy) / (float(h) - wy)) * 0.8f + (k - 0.5f) * 0.3f);
    });
    for (int y = int(wy) + 1; y < h; ++y) {
        int sy = 2 * int(wy) - y;
        float fade = 0.45f * (1 - Clamp01(float(y - int(wy)) / (float(h) - wy)));
        for (int x = 0; sy >= 0 && x < w; ++x) {
            int sx = std::clamp(x + int(2.5f * std::sin(float(y) * 0.7f + float(x) * 0.02f)), 0, w - 1);
            RGBA r = above.At(sx, sy);
            c.At(x, y) = Mix(c.At(x, y), Mix(r, kTealDeep, 0.3f), fade);
        }
    }
    // Reeds along the water's edge.
    for (int i = 0; i < 60; ++i) {
        float x = Hash(seed, i, 1) * float(w), hh = 20 + Hash(seed, i, 2) * 40;
        c.Fill(Segment(x, wy + 6, x + (Hash(seed, i, 3) - 0.5f) * 10, wy - hh, 1.2f), Solid(Shade(kMossDark, 0.8f)));
    }
    c.Grain(seed, 0.025f);
    c.Opaque();
}

// A house drawn from seed-picked parts; returns the roof height.
float House(Canvas& c, int k, float x, float y, float w, float h)
{
    static const uint32_t walls[] = {0xe8d8b0, 0xc89f74, 0xd6c7a7, 0xb7a48a, 0xe2c79a, 0x9fa9a6};
    static const uint32_t roofs[] = {0x9b3b28, 0x4f5e7a, 0x6b4a2a, 0x3f6b44, 0x7a2f4d, 0x3b3f45};
    RGBA wall = Hex(walls[k % 6]), roof = Hex(roofs[(k * 7 + 3) % 6]);
    int kind = k % 4;
    float roofH = h * (kind == 2 ? 0.5f : 0.38f);
    float wy = y + roofH;
    Sdf body = RoundRect(x + w * 0.08f, wy, w * 0.84f, h - roofH, 2);
    c.Shadow(body, 3, 3, 5, 0.35f);
    c.Bevel(body, [=](float px, float py) {
        // Timber beams and stone courses.
        float bx = std::fmod(px - x, 18.f), by = std::fmod(py - wy, 11.f);
        RGBA base = Mix(Shade(wall, 1.05f), Shade(wall, 0.8f), Clamp01((py - wy) / (h - roofH)));
        if (kind == 1 && (bx < 2.2f || by < 1.5f))
            base = Shade(base, 0.85f);
        if (kind != 1 && (px - x < w * 0.12f || px - x > w * 0.86f))
            base = Mix(base, kWood, 0.6f);
        return base;
    }, 3, 0.5f, 0);
    // Windows: lit panes with frames.
    int nw = std::max(1, int(w / 34));
    for (int i = 0; i < nw; ++i) {
        float wx = x + w * 0.18f + (w * 0.64f) * (float(i) + 0.5f) / float(nw) - 6;
        for (int row = 0; row < int((h - roofH) / 40); ++row) {
            float wyy = wy + 8 + float(row) * 30;
            c.Fill(RoundRect(wx - 1.5f, wyy - 1.5f, 15, 17, 2), Solid(kWoodDark));
            c.Fill(RoundRect(wx, wyy, 12, 14, 1.5f), LinearY(Hex(0xffe9a0), Hex(0xe8a040), wyy, wyy + 14));
            c.Fill(Segment(wx + 6, wyy, wx + 6, wyy + 14, 0.6f), Solid(kWoodDark));
        }
    }
    float dx = x + w / 2 - 7, dh = std::min(22.f, (h - roofH) * 0.45f);
    c.Bevel(RoundRect(dx, y + h - dh, 14, dh, 5), Solid(kWood), 2, 0.5f, 0);
    // Roof.
    Sdf r;
    if (kind == 0 || kind == 3)
        r = Polygon({{x - 3, wy + 2}, {x + w / 2, y}, {x + w + 3, wy + 2}});
    else if (kind == 1)
        r = Union(RoundRect(x + w * 0.04f, wy - roofH * 0.45f, w * 0.92f, roofH * 0.47f, 2),
            Polygon({{x + w * 0.2f, wy - roofH * 0.4f}, {x + w / 2, y}, {x + w * 0.8f, wy - roofH * 0.4f}}));
    else
        r = Union(Intersect(Ellipse(x + w / 2, wy, w * 0.46f, roofH * 0.9f), [=](float, float py) { return py - wy - 1; }),
            Segment(x + w / 2, wy - roofH * 0.9f, x + w / 2, y, 1.2f));
    c.Shadow(r, 2, 3, 4, 0.3f);
    c.Bevel(r, [=](float px, float py) {
        float tile = std::fmod(py - y, 7.f) < 1.2f ? 0.8f : 1.f;
        (void)px;
        return Shade(Mix(Shade(roof, 1.2f), Shade(roof, 0.7f), Clamp01((py - y) / roofH)), tile);
    }, 3, 0.6f, 0.15f);
    if (kind == 3) {
        // A chimney.
        Sdf ch = RoundRect(x + w * 0.68f, y + roofH * 0.15f, 9, roofH * 0.5f, 1);
        c.Bevel(ch, Solid(Hex(0x8a5a48)), 2, 0.5f, 0);
    }
    return roofH;
}

// --- the image table --------------------------------------------------------

struct Builder {
    std::vector<ImageDef> defs;
    void Add(const std::string& id, const std::string& group, const std::string& path, int w, int h,
        std::function<void(Canvas&)> paint, int cols = 1, const std::string& anim = "", int delay = 0)
    {
        defs.push_back({id, group, path, w, h, cols, 1, anim, delay, std::move(paint)});
    }
};

std::string Lower(std::string s)
{
    for (char& ch : s)
        ch = char(std::tolower(static_cast<unsigned char>(ch)));
    return s;
}

void AddUi(Builder& b)
{
    auto ui = [&](const std::string& id, int w, int h, std::function<void(Canvas&)> p, const std::string& group = "Common") {
        b.Add(id, group, "images/ui/" + Lower(id) + ".png", w, h, std::move(p));
    };
    auto button = [&](const std::string& id, int w, int h, RGBA col, std::function<void(Canvas&, bool)> icon = {}) {
        for (bool down : {false, true})
            ui(id + (down ? "_DOWN" : ""), w, h, [=](Canvas& c) {
                Button(c, 0, 0, float(w), float(h), col, down);
                if (icon)
                    icon(c, down);
            });
    };

    ui("IMAGE_WIDESCREEN_PANEL", 128, 600, [](Canvas& c) {
        for (int y = 0; y < c.H(); ++y)
            for (int x = 0; x < c.W(); ++x) {
                float n = Fbm(11, float(x) / 50.f, float(y) / 9.f, 4);
                c.At(x, y) = Mix(kTealDeep, kTeal, n * 0.7f + 0.15f * std::sin(float(y) / 31.f));
            }
        for (int i = 0; i < 6; ++i)
            c.Fill(Star(64, 50 + float(i) * 100, 10, 4, 4), Solid(Shade(kGold, 0.7f)), 0.6f);
        c.Opaque();
    }, "General");
    ui("CURSOR_POINTER", 32, 32, [](Canvas& c) {
        Sdf a = Polygon({{1.5f, 1.5f}, {1.5f, 24}, {7.5f, 18.5f}, {12, 28}, {16, 26}, {11.5f, 17}, {19.5f, 17}});
        c.Shadow(a, 2, 2, 3, 0.5f);
        c.Fill(Outline(a, 1.2f), Solid(kWoodDark));
        c.Bevel(a, LinearY(kGoldLight, kGold, 0, 28), 3, 0.6f, 0.2f);
    });
    // Board and field.
    ui("IMAGE_BOARD_CELLS", 450, 450, [](Canvas& c) {
        for (int j = 0; j < 10; ++j)
            for (int i = 0; i < 10; ++i) {
                float x = float(i) * 45, y = float(j) * 45;
                Sdf t = RoundRect(x + 2, y + 2, 41, 41, 5);
                c.Bevel(t, [=](float px, float py) {
                    float n = Fbm(uint32_t(i * 10 + j), px / 9.f, py / 9.f, 3);
                    return Mix(Hex(0xf4ecd8), Hex(0xc9bca0), n);
                }, 5, 0.6f, 0.1f);
                // Cracks so the player sees the tile can break.
                float s = Hash(5, i, j) * 6;
                c.Fill(Segment(x + 12 + s, y + 8, x + 22, y + 24, 0.6f), Solid(Hex(0x8a7c64)), 0.8f);
                c.Fill(Segment(x + 22, y + 24, x + 34 - s, y + 30, 0.6f), Solid(Hex(0x8a7c64)), 0.8f);
            }
    });
    ui("IMAGE_BOARD_BACKGROUND", 460, 460, [](Canvas& c) {
        Panel(c, 0, 0, 460, 460, 14, kSlate, kGoldDark, 5);
        for (int j = 0; j < 10; ++j)
            for (int i = 0; i < 10; ++i)
                c.Fill(RoundRect(5 + float(i) * 45 + 1.5f, 5 + float(j) * 45 + 1.5f, 42, 42, 4),
                    Solid((i + j) % 2 ? Hex(0x29444a, 0.85f) : Hex(0x223a40, 0.85f)));
    });
    ui("IMAGE_FIELD_BLACKBOARD", 450, 450, [](Canvas& c) {
        for (int y = 0; y < 450; ++y)
            for (int x = 0; x < 450; ++x) {
                float n = Fbm(21, float(x) / 40.f, float(y) / 40.f, 4);
                c.At(x, y) = Mix(Hex(0x1a2a26), Hex(0x2a3e38), n);
            }
        c.Fill(Outline(RoundRect(6, 6, 438, 438, 6), 3), Solid(kWood));
        for (int i = 0; i < 14; ++i)
            c.Fill(Segment(30 + Hash(3, i, 0) * 380, 30 + Hash(3, i, 1) * 380, 60 + Hash(3, i, 2) * 360, 40 + Hash(3, i, 3) * 380, 0.7f),
                Solid({1, 1, 1, 0.05f}));
        c.Opaque();
    });
    // Hard-edged on purpose (alpha only 0 or 255): it is tinted into a veil.
    ui("IMAGE_BOARD_CELL_RECT", 45, 45, [](Canvas& c) {
        for (int y = 1; y < 44; ++y)
            for (int x = 1; x < 44; ++x)
                c.At(x, y) = kWhite;
    });
    ui("IMAGE_BOARD_CELL_HILIGHT", 45, 45, [](Canvas& c) {
        c.Fill(RoundRect(0, 0, 45, 45, 6), Radial(Hex(0xfff0a0, 0.9f), Hex(0x804000, 0.3f), 22.5f, 22.5f, 30));
        c.Opaque();
    });
    ui("IMAGE_BOARD_CELL_HILIGHTWAY", 45, 45, [](Canvas& c) {
        c.Glow(RoundRect(10, 10, 25, 25, 8), Hex(0x80e0ff), 10, 0.9f);
        c.Opaque();
    });
    ui("IMAGE_BOARD_WAY_BORDER", 6, 45, [](Canvas& c) {
        c.Bevel(RoundRect(0.5f, 0, 5, 45, 2.5f), Solid(kGold), 2, 0.6f, 0);
    });
    ui("IMAGE_GFX_KEYHOLE_GLOW", 128, 128, [](Canvas& c) {
        for (int k = 0; k < 8; ++k) {
            float a = float(k) * kPi / 4;
            c.FillAdd(Transformed(Ellipse(64, 34, 5, 30), 64, 64, a, 1), Solid(Hex(0xffd060, 0.35f)));
        }
        c.Glow(Circle(64, 64, 8), Hex(0xffe090), 50, 0.8f);
        c.Opaque();
    });
    ui("IMAGE_FIELD_FRAME", 684, 530, [](Canvas& c) {
        Sdf outer = RoundRect(97, 20, 490, 490, 22), window = RoundRect(117, 40, 450, 450, 6);
        Sdf frame = Subtract(outer, window);
        c.Shadow(outer, 3, 5, 10, 0.5f);
        c.Bevel(frame, [](float x, float y) {
            float n = Fbm(31, x / 80.f, y / 6.f, 3);
            return Mix(kWoodLight, kWood, n);
        }, 8, 0.7f, 0);
        c.Fill(Outline(window, 2), Solid(kGoldDark));
        c.Fill(Outline(RoundRect(101, 24, 482, 482, 19), 1.2f), Solid(kGold), 0.9f);
        for (float x : {107.f, 577.f})
            for (float y : {30.f, 500.f})
                c.Bevel(Circle(x, y, 6), Solid(kGold), 3, 0.7f, 0.3f);
        // Reed tufts on either side, growing from behind the desk: the frame
        // stands at the screen's top and is drawn over the desk, so they end
        // at the desk's top edge.
        const float foot = 600 - kDeskHeight + kDeskBodyTop;
        for (int i = 0; i < 16; ++i) {
            float side = i < 8 ? 60 : 624, x = side + (Hash(9, i, 0) - 0.5f) * 50;
            Sdf reed = Segment(x, foot + 4, x + (Hash(9, i, 1) - 0.5f) * 30, 370 + Hash(9, i, 2) * 60, 2);
            c.Fill(Intersect(reed, [=](float, float y) { return y - foot; }), Solid(Shade(kMoss, 0.8f + Hash(9, i, 3) * 0.4f)));
        }
    });
    ui("IMAGE_FIELD_NO_TIME_PANEL", 280, 36, [](Canvas& c) {
        Panel(c, 0, 0, 280, 36, 14, kTeal);
        for (int i = 0; i < 5; ++i)
            c.Bevel(Circle(60 + float(i) * 40, 18, 4), Solid(kGold), 2, 0.6f, 0.2f);
    });
    ui("IMAGE_FIELD_TIMER_PROGRESS", 250, 14, [](Canvas& c) {
        c.Bevel(RoundRect(0, 0, 250, 14, 7), LinearY(Hex(0xb0f070), Hex(0x3a8a2a), 0, 14), 4, 0.6f, 0.45f);
    });
    ui("IMAGE_FIELD_SCORE_PANEL", 120, 130, [](Canvas& c) { Panel(c, 2, 6, 116, 122, 16, kTeal); });
    for (const char* dir : {"LEFT", "RIGHT"}) {
        bool right = std::string(dir) == "RIGHT";
        for (bool down : {false, true}) {
            std::string suffix = std::string(dir) + (down ? "_DOWN" : "");
            ui("IMAGE_FIELD_ARROW_" + suffix, 64, 38, [=](Canvas& c) {
                // A curved turn arrow.
                Sdf arc = Subtract(Intersect(Circle(32, 40, 26), [](float, float y) { return y - 30; }), Circle(32, 40, 16));
                Sdf head = right ? Polygon({{50, 20}, {63, 33}, {44, 36}}) : Polygon({{14, 20}, {1, 33}, {20, 36}});
                Sdf s = Union(arc, head);
                c.Shadow(s, 1, 2, 3, 0.5f);
                c.Bevel(s, LinearY(down ? kGold : kGoldLight, kGoldDark, 0, 38), 3, down ? -0.3f : 0.6f, 0.3f);
            });
            ui("IMAGE_FIELD_ARROW2_" + suffix, 40, 36, [=](Canvas& c) {
                Sdf a = ArrowRight(3, 5, 34, 26);
                Sdf s = right ? a : Mirror(a, 40);
                c.Shadow(s, 1, 2, 3, 0.5f);
                c.Bevel(s, LinearY(down ? kGold : kGoldLight, kGoldDark, 0, 36), 3, down ? -0.3f : 0.6f, 0.3f);
            });
        }
    }
    struct Mode { const char* name; int w; int motif; };
    for (Mode m : {Mode {"GROUP", 66, 0}, Mode {"CHAIN", 96, 1}, Mode {"SWAP", 90, 2}}) {
        for (int v = 0; v < 3; ++v) {
            std::string id = std::string("IMAGE_FIELD_BUTTON_") + m.name + (v == 1 ? "_DOWN" : v == 2 ? "_B" : "");
            int w = m.w;
            int motif = m.motif;
            ui(id, w, 38, [=](Canvas& c) {
                // The highlight is drawn over the button: a lighter plate with
                // a glowing rim, carrying the same icon.
                Button(c, 0, 0, float(w), 38, v == 2 ? kTealLight : kTeal, v == 1);
                if (v == 2)
                    c.Glow(Outline(RoundRect(5, 5, float(w) - 10, 28, 11), 1), Hex(0xffe070), 4, 0.9f);
                float cx = float(w) / 2;
                if (motif == 0) {
                    for (int i = 0; i < 3; ++i)
                        c.Bevel(Circle(cx - 10 + float(i % 2) * 20 - (i == 2 ? 10 : 0), i == 2 ? 24 : 15, 6), Solid(BrickColour(0)), 2, 0.6f, 0.3f);
                } else if (motif == 1) {
                    c.Fill(Segment(cx - 28, 19, cx + 28, 19, 2), Solid(kGoldLight));
                    for (int i = 0; i < 4; ++i)
                        c.Bevel(Circle(cx - 27 + float(i) * 18, 19, 6), Solid(BrickColour(8)), 2, 0.6f, 0.3f);
                } else {
                    c.Bevel(Circle(cx - 14, 19, 7), Solid(BrickColour(9)), 2, 0.6f, 0.3f);
                    c.Bevel(Circle(cx + 14, 19, 7), Solid(BrickColour(3)), 2, 0.6f, 0.3f);
                    c.Fill(Outline(Intersect(Circle(cx, 24, 11), [](float, float y) { return y - 16; }), 1.2f), Solid(kGoldLight));
                }
            });
        }
    }
    // Bonus panel.
    ui("IMAGE_BONUS_BACKGROUND", 800, kDeskHeight, [](Canvas& c) {
        Sdf body = Union(RoundRect(0, kDeskBodyTop, 800, 140, 24), RoundRect(150, 0, 500, 100, 40));
        c.Bevel(body, [](float x, float y) { return Mix(kWoodLight, kWoodDark, Clamp01(y / 145) * 0.8f + (Fbm(41, x / 90, y / 5, 3) - 0.5f) * 0.4f); }, 8, 0.6f, 0.05f);
        // One gold line following the whole outline, a little inside it.
        c.Fill([=](float x, float y) { return std::abs(body(x, y) + 4) - 0.75f; }, Solid(kGold), 0.8f);
    });
    for (int i = 1; i <= 5; ++i) {
        // The size of the slot widget: at the slots' places the sockets
        // end above the bottom of the screen.
        ui("IMAGE_BONUS_SLOT" + std::to_string(i), 50, 50, [](Canvas& c) {
            c.Bevel(Circle(25, 25, 24), LinearY(kGold, kGoldDark, 0, 50), 4, 0.7f, 0);
            c.Bevel(Circle(25, 25, 19), Radial(kTealDeep, kTeal, 21, 21, 21), 5, -0.6f, 0);
        });
        RGBA col = BrickColour(std::array<int, 5> {0, 3, 8, 6, 7}[size_t(i - 1)]);
        ui("IMAGE_BONUS_PROGRESS" + std::to_string(i), 10, 40, [=](Canvas& c) {
            c.Bevel(RoundRect(0, 0, 10, 40, 4), LinearY(Shade(col, 1.3f), Shade(col, 0.7f), 0, 40), 3, 0.6f, 0.3f);
        });
        ui("IMAGE_BONUS_PROGRESS" + std::to_string(i) + "_BACK", 10, 40, [](Canvas& c) {
            c.Bevel(RoundRect(0, 0, 10, 40, 4), Solid(kTealDeep), 3, -0.6f, 0);
        });
    }
    ui("IMAGE_BONUS_SLOT_GLOW", 50, 50, [](Canvas& c) { c.Glow(Circle(25, 25, 13), Hex(0xffd870), 12, 1); c.Opaque(); });
    b.Add("IMAGE_BONUS_GATE_ANIM", "Common", "images/ui/image_bonus_gate_anim.png", 50, 50, [](Canvas& c) {
        ForCels(c, 50, 50, [&](float x, float, int k, int n) {
            float open = float(k) / float(n - 1); // cel 0 closed
            float half = 25 * (1 - open);
            for (int side = 0; side < 2; ++side) {
                float x0 = side ? x + 50 - half : x;
                if (half < 1)
                    continue;
                c.Bevel(RoundRect(x0, 0, half, 50, 3), [](float px, float) {
                    return std::fmod(px, 8.f) < 1.2f ? Shade(kWood, 0.7f) : kWood;
                }, 2, 0.6f, 0);
                c.Bevel(Circle(x0 + half / 2, 25, 3), Solid(kGold), 1.5f, 0.6f, 0);
            }
        });
    }, 6);
    button("IMAGE_BONUS_BUTTON_MENU", 90, 70, kTeal, [](Canvas& c, bool) {
        for (int i = 0; i < 3; ++i)
            c.Bevel(RoundRect(28, 22 + float(i) * 10, 34, 5, 2.5f), Solid(kGoldLight), 2, 0.6f, 0);
    });
    button("IMAGE_BONUS_BUTTON_TOWN", 100, 75, kMoss, [](Canvas& c, bool) {
        House(c, 3, 30, 14, 40, 48);
    });
    // The offer panel stands with its right edge at 795: 150 wide, it keeps
    // clear of the board's frame, which ends at x 645.
    ui("IMAGE_UI_EXTRA_PANEL", 150, 125, [](Canvas& c) { Panel(c, 0, 0, 150, 125, 16, kTeal); });
    ui("IMAGE_UI_EXTRA_PANEL_PROGRESS", 96, 10, [](Canvas& c) {
        c.Bevel(RoundRect(0, 0, 96, 10, 5), Solid(kTealDeep), 3, -0.6f, 0);
        c.Fill(Outline(RoundRect(0.5f, 0.5f, 95, 9, 4.5f), 0.6f), Solid(kGoldDark));
    });
    ui("IMAGE_UI_EXTRA_PANEL_PROGRESS_FILL", 96, 10, [](Canvas& c) {
        c.Bevel(RoundRect(1, 1, 94, 8, 4), LinearY(Hex(0xfff09a), Hex(0xd08a20), 1, 9), 3, 0.6f, 0.4f);
    });
    // Effects.
    ui("IMAGE_GFX_SMALL_SHART_DOT", 8, 8, [](Canvas& c) { c.Glow(Circle(4, 4, 1.5f), kWhite, 3, 1); });
    for (int k = 1; k <= 2; ++k)
        ui("IMAGE_GFX_FLUID" + std::to_string(k), 128, 24, [=](Canvas& c) {
            for (int y = 0; y < 24; ++y)
                for (int x = 0; x < 128; ++x) {
                    float t = 1 - std::abs(float(y) - 11.5f) / 12;
                    float n = ValueNoise(uint32_t(50 + k), float(x) / 12, float(y) / 5) * 0.5f + 0.5f;
                    RGBA col = k == 1 ? Mix(Hex(0x2060ff), Hex(0xa0e0ff), t * n) : Mix(Hex(0x60c0ff), kWhite, t);
                    col.a = Clamp01(t * t * (k == 1 ? 1.2f : 1) * n);
                    c.At(x, y) = col;
                }
        });
    // The stream and the lightning are drawn additively, but through textured
    // triangles and transforms that blend normally: they glow over transparency.
    ui("IMAGE_GFX_FLUID_DOT", 24, 24, [](Canvas& c) { c.Glow(Circle(12, 12, 3), Hex(0xb0e8ff), 9, 1); });
    ui("IMAGE_GFX_LIGHTNING_LINE", 64, 32, [](Canvas& c) { c.Glow(Segment(4, 16, 60, 16, 1), Hex(0xa0c8ff), 14, 1); });
    // The end pieces are stretched to 4.5 times their length: a short bright core.
    ui("IMAGE_GFX_LIGHTNING_LINE_CENTER", 64, 32, [](Canvas& c) { c.Glow(Segment(23, 16, 41, 16, 2), Hex(0xe0f0ff), 8, 1); });
    b.Add("IMAGE_GFX_LIGHTNING_ANIMATION", "Common", "images/fx/image_gfx_lightning_animation.png", 16, 32, [](Canvas& c) {
        ForCels(c, 16, 32, [&](float x, float, int k, int) {
            float px = x + 8, py = 0;
            for (int s = 1; s <= 4; ++s) {
                float nx = x + 8 + (Hash(60, k, s) - 0.5f) * 9, ny = float(s) * 8;
                if (s == 4)
                    nx = x + 8;
                c.Glow(Segment(px, py, nx, ny, 0.6f), Hex(0xc0e0ff), 3, 1);
                px = nx;
                py = ny;
            }
        });
    }, 8);
    ui("IMAGE_GFX_SCORE_LINE", 200, 8, [](Canvas& c) {
        c.Bevel(RoundRect(0, 1, 200, 6, 3), [](float x, float) { return Mix(kGoldLight, kGold, x / 200); }, 2, 0.6f, 0.3f);
    });
    // Menus and panels.
    ui("UI_MAIN_BACKGROUND", 800, 140, [](Canvas& c) {
        // The name plate is centred on the greeting the panel writes with
        // its baseline at y 110.
        Sdf body = Union(RoundRect(0, 40, 800, 120, 20), RoundRect(250, 24, 300, 120, 36));
        c.Shadow(body, 0, -2, 8, 0.5f);
        c.Bevel(body, [](float x, float y) { return Mix(kWoodLight, kWoodDark, Clamp01(y / 140) * 0.7f + (Fbm(43, x / 90, y / 5, 3) - 0.5f) * 0.4f); }, 8, 0.6f, 0.05f);
        c.Fill(Outline(RoundRect(258, 72, 284, 60, 26), 1.5f), Solid(kGold));
        c.Bevel(RoundRect(266, 80, 268, 44, 20), LinearY(kTeal, kTealDeep, 80, 124), 4, -0.5f, 0);
    });
    button("UI_MAIN_BUTTON_GREEN", 96, 90, kGreenBtn, [](Canvas& c, bool) {
        c.Bevel(Polygon({{38, 26}, {38, 64}, {68, 45}}), Solid(kGoldLight), 3, 0.6f, 0.2f);
    });
    button("UI_MAIN_BUTTON_RED", 116, 90, kRedBtn, [](Canvas& c, bool) {
        c.Bevel(Union(Segment(44, 31, 72, 59, 4), Segment(72, 31, 44, 59, 4)), Solid(kGoldLight), 3, 0.6f, 0.2f);
    });
    button("UI_MAIN_BUTTON_LEFT", 160, 40, kTeal);
    button("UI_MAIN_BUTTON_RIGHT", 160, 40, kTeal);
    ui("IMAGE_UI_UPGRADE_PANEL_BACKGROUND", 800, 115, [](Canvas& c) {
        c.Bevel(RoundRect(0, 0, 800, 130, 16), [](float x, float y) { return Mix(kWoodLight, kWoodDark, Clamp01(y / 115) * 0.7f + (Fbm(45, x / 90, y / 5, 3) - 0.5f) * 0.4f); }, 6, 0.6f, 0.05f);
        for (float x : {1.f, 178.f, 355.f, 534.f})
            c.Bevel(RoundRect(x, 2, 100, 75, 6), LinearY(kTeal, kTealDeep, 2, 77), 4, -0.6f, 0);
    });
    button("IMAGE_UI_UPGRADE_PANEL_BUTTON_BLUE", 76, 34, kBlueBtn);
    ui("IMAGE_UI_UPGRADE_PANEL_BUTTON_RED", 76, 34, [](Canvas& c) { Button(c, 0, 0, 76, 34, kRedBtn, false); });
    ui("IMAGE_UI_UPGRADE_PANEL_BUTTON_GREY", 76, 34, [](Canvas& c) { Button(c, 0, 0, 76, 34, kGreyBtn, false); });
    button("IMAGE_UI_UPGRADE_PANEL_BUTTON_NEXT", 80, 40, kGreenBtn, [](Canvas& c, bool) {
        c.Bevel(ArrowRight(24, 10, 34, 20), Solid(kGoldLight), 2, 0.6f, 0.2f);
    });
    ui("IMAGE_UI_UPGRADE_PANEL_SCORE_PANEL", 100, 45, [](Canvas& c) { Panel(c, 0, 0, 100, 45, 12, kTeal); });
    ui("IMAGE_UI_UPGRADE_PANEL_SLOT_HILIGHT", 100, 75, [](Canvas& c) {
        c.Glow(Outline(RoundRect(6, 6, 88, 63, 6), 1), Hex(0xffe080), 6, 1);
        c.Opaque();
    });
    // `rule`: the height of a gold rule under the caption, or 0; it keeps
    // below the caption's letters and their shadow. `top`: where
    // the paper starts; a window whose caption stands near its top edge
    // gets a wooden header band to carry it.
    auto window = [&](const std::string& id, int w, int h, int rule, int top = 16) {
        ui(id, w, h, [=](Canvas& c) {
            float fw = float(w), fh = float(h), ft = float(top);
            Sdf outer = RoundRect(4, 4, fw - 8, fh - 8, 22);
            c.Shadow(outer, 3, 5, 8, 0.55f);
            c.Bevel(outer, [](float x, float y) { return Mix(kWoodLight, kWoodDark, Fbm(47, x / 70, y / 6, 3) * 0.8f); }, 6, 0.7f, 0);
            Sdf paper = RoundRect(16, ft, fw - 32, fh - 16 - ft, 12);
            c.Fill(Offset(paper, -1, -1), Solid({0, 0, 0, 0.4f}));
            c.Bevel(paper, [=](float x, float y) {
                float n = Fbm(48, x / 60, y / 60, 4);
                float edge = Clamp01(1 + paper(x, y) / 24);
                return Mix(Mix(kPaper, kPaperDark, n * 0.6f), Shade(kPaperDark, 0.8f), edge * 0.5f);
            }, 4, -0.3f, 0);
            c.Fill(Outline(RoundRect(10, 10, fw - 20, fh - 20, 16), 1), Solid(kGold), 0.9f);
            if (rule > 0) {
                float ry = float(rule), cx = fw / 2;
                c.Fill(Segment(cx - fw * 0.3f, ry, cx + fw * 0.3f, ry, 0.7f), LinearY(kGoldDark, kGoldDark, 0, 1), 0.8f);
                c.Bevel(Polygon({{cx, ry - 5}, {cx + 8, ry}, {cx, ry + 5}, {cx - 8, ry}}), Solid(kGold), 2, 0.6f, 0.3f);
                for (float side : {-1.f, 1.f})
                    c.Bevel(Circle(cx + side * fw * 0.3f, ry, 2.5f), Solid(kGold), 1.5f, 0.6f, 0.2f);
            }
        });
    };
    // Captions: FONT_CAPTION's cell from y 45, letters down to y 81 with
    // their shadow; the windows' first controls start at y 121.
    window("IMAGE_UI_WINDOW", 500, 520, 92);
    // Confirm and message captions stand on y 10 + ascent; the building
    // panel's title on y 40.
    window("IMAGE_UI_WINDOW_SMALL", 420, 240, 0, 46);
    window("IMAGE_UI_WINDOW_HINT", 300, 225, 0);
    window("IMAGE_UI_WINDOW_HELP", 750, 560, 0);
    ui("IMAGE_UI_WINDOW_HINT_ARROW", 48, 32, [](Canvas& c) {
        Sdf a = ArrowRight(2, 3, 44, 26);
        c.Shadow(a, 1, 2, 3, 0.5f);
        c.Bevel(a, LinearY(kGoldLight, kGoldDark, 0, 32), 3, 0.6f, 0.3f);
    });
    button("IMAGE_UI_BUTTON", 170, 40, kTeal);
    ui("IMAGE_UI_BUTTON_MASK", 170, 40, [](Canvas& c) { c.Fill(RoundRect(4, 4, 162, 32, 14), Radial(kWhite, Hex(0x404040), 85, 20, 90)); c.Opaque(); });
    button("IMAGE_UI_BUTTON_SMALL", 120, 36, kTeal);
    button("IMAGE_UI_BUTTON_PANEL", 210, 44, kMoss);
    button("IMAGE_UI_BUTTON_HELP_LEFT", 72, 40, kTeal, [](Canvas& c, bool) { c.Bevel(Mirror(ArrowRight(22, 12, 28, 16), 72), Solid(kGoldLight), 2, 0.6f, 0); });
    button("IMAGE_UI_BUTTON_HELP_RIGHT", 72, 40, kTeal, [](Canvas& c, bool) { c.Bevel(ArrowRight(22, 12, 28, 16), Solid(kGoldLight), 2, 0.6f, 0); });
    button("IMAGE_UI_BUTTON_HELP_CLOSE", 72, 40, kRedBtn, [](Canvas& c, bool) {
        c.Bevel(Union(Segment(28, 13, 44, 27, 2.5f), Segment(44, 13, 28, 27, 2.5f)), Solid(kGoldLight), 2, 0.6f, 0);
    });
    button("IMAGE_UI_BUTTON_GREEN", 90, 56, kGreenBtn, [](Canvas& c, bool) {
        c.Bevel(Union(Segment(45, 17, 45, 39, 3), Segment(34, 28, 56, 28, 3)), Solid(kGoldLight), 2, 0.6f, 0);
    });
    button("IMAGE_UI_BUTTON_RED", 90, 56, kRedBtn, [](Canvas& c, bool) {
        c.Bevel(Union(Segment(36, 19, 54, 37, 3), Segment(54, 19, 36, 37, 3)), Solid(kGoldLight), 2, 0.6f, 0);
    });
    ui("IMAGE_UI_PROFILE_SLOT", 280, 56, [](Canvas& c) { Panel(c, 1, 1, 278, 54, 12, kTeal, kGoldDark, 3); });
    ui("IMAGE_UI_PROFILE_ARROW", 40, 30, [](Canvas& c) {
        Sdf a = ArrowRight(2, 2, 36, 26);
        c.Shadow(a, 1, 2, 3, 0.5f);
        c.Bevel(a, LinearY(kGoldLight, kGoldDark, 0, 30), 3, 0.6f, 0.3f);
    });
    for (bool checked : {false, true})
        ui(checked ? "IMAGE_UI_CHECKBOX_CHECKED" : "IMAGE_UI_CHECKBOX", 32, 32, [=](Canvas& c) {
            c.Shadow(RoundRect(3, 3, 26, 26, 6), 1, 2, 3, 0.4f);
            c.Bevel(RoundRect(3, 3, 26, 26, 6), LinearY(kGoldLight, kGoldDark, 3, 29), 3, 0.6f, 0);
            c.Bevel(RoundRect(7, 7, 18, 18, 4), Solid(kTealDeep), 3, -0.6f, 0);
            if (checked) {
                Sdf tick = Union(Segment(9, 16, 14, 22, 2.2f), Segment(14, 22, 25, 7, 2.2f));
                c.Shadow(tick, 1, 1, 2, 0.5f);
                c.Bevel(tick, Solid(Hex(0x9ae060)), 2, 0.6f, 0.3f);
            }
        });
    ui("IMAGE_UI_SLIDER_TRACK", 260, 20, [](Canvas& c) {
        c.Bevel(RoundRect(0, 4, 260, 12, 6), LinearY(kGoldLight, kGoldDark, 4, 16), 2, 0.6f, 0);
        c.Bevel(RoundRect(3, 7, 254, 6, 3), Solid(kTealDeep), 2, -0.6f, 0);
    });
    ui("IMAGE_UI_SLIDER_THUMB", 20, 28, [](Canvas& c) {
        c.Shadow(RoundRect(2, 1, 16, 26, 6), 1, 2, 3, 0.5f);
        c.Bevel(RoundRect(2, 1, 16, 26, 6), LinearY(kGoldLight, kGoldDark, 1, 27), 4, 0.6f, 0.3f);
    });
    auto icon = [&](const std::string& id, int s, std::function<void(Canvas&, float)> p) {
        ui(id, s, s, [=](Canvas& c) { p(c, float(s)); });
    };
    icon("IMAGE_UI_ICON_BRICKS", 40, [](Canvas& c, float) {
        PaintBrick(c, 0, 2, 10, 24, 0.1f);
        PaintBrick(c, 8, 14, 10, 24, 0.4f);
        PaintBrick(c, 9, 8, 0, 24, 0.7f);
    });
    icon("IMAGE_UI_ICON_BONUS", 40, [](Canvas& c, float) {
        Sdf s = Star(20, 21, 18, 8, 5);
        c.Shadow(s, 1, 2, 3, 0.5f);
        c.Bevel(s, LinearY(kGoldLight, kGold, 2, 38), 4, 0.6f, 0.3f);
    });
    icon("IMAGE_UI_ICON_COMBO", 40, [](Canvas& c, float) {
        Sdf s = Polygon({{22, 2}, {8, 22}, {18, 22}, {14, 38}, {32, 14}, {21, 14}, {27, 2}});
        c.Shadow(s, 1, 2, 3, 0.5f);
        c.Bevel(s, LinearY(Hex(0xfff6a0), Hex(0xf08a20), 2, 38), 3, 0.6f, 0.3f);
    });
    icon("IMAGE_UI_ICON_TOTAL", 40, [](Canvas& c, float) {
        for (int i = 0; i < 3; ++i) {
            Sdf coin = Ellipse(20, 30 - float(i) * 8, 15, 6);
            c.Shadow(coin, 1, 1.5f, 2, 0.4f);
            c.Bevel(coin, LinearY(kGoldLight, kGoldDark, 20 - float(i) * 8, 38 - float(i) * 8), 2.5f, 0.6f, 0.2f);
        }
    });
    auto keyShape = [](float ox, float oy, float s) {
        float k = s / 48;
        return Union(Subtract(Circle(ox + 14 * k, oy + 24 * k, 10 * k), Circle(ox + 14 * k, oy + 24 * k, 4.5f * k)),
            Union(RoundRect(ox + 22 * k, oy + 21 * k, 24 * k, 6 * k, 2 * k),
                Union(RoundRect(ox + 36 * k, oy + 26 * k, 4 * k, 9 * k, 1), RoundRect(ox + 42 * k, oy + 26 * k, 4 * k, 7 * k, 1))));
    };
    icon("IMAGE_UI_ICON_KEY", 48, [=](Canvas& c, float s) {
        Sdf key = keyShape(0, 0, s);
        c.Shadow(key, 1.5f, 2, 3, 0.5f);
        c.Bevel(key, LinearY(kGoldLight, kGoldDark, 10, 36), 3, 0.6f, 0.3f);
    });
    icon("IMAGE_UI_ICON_TOWN", 48, [](Canvas& c, float) {
        c.Fill(Ellipse(24, 43, 22, 4), Solid(Hex(0x5a8a3a, 0.9f)));
        House(c, 3, 7, 4, 34, 40);
    });
    icon("IMAGE_UI_ICON_TIMED", 40, [](Canvas& c, float) {
        c.Shadow(Circle(20, 21, 17), 1, 2, 3, 0.5f);
        c.Bevel(Circle(20, 21, 17), LinearY(kGoldLight, kGoldDark, 4, 38), 3, 0.6f, 0.2f);
        c.Fill(Circle(20, 21, 13), Solid(kParchment));
        c.Fill(Union(Segment(20, 21, 20, 11, 1.5f), Segment(20, 21, 27, 24, 1.5f)), Solid(kWoodDark));
    });
    icon("IMAGE_UI_ICON_RELAXED", 40, [](Canvas& c, float) {
        Sdf leaf = Intersect(Circle(12, 28, 22), Circle(28, 12, 22));
        c.Shadow(leaf, 1, 2, 3, 0.5f);
        c.Bevel(leaf, LinearY(Hex(0xa8e070), kMoss, 4, 36), 3, 0.6f, 0.3f);
        c.Fill(Segment(9, 31, 30, 10, 0.8f), Solid(kMossDark));
    });
    ui("IMAGE_UI_OLVANE_LOGO", 600, 150, [](Canvas& c) {
        Canvas text = RenderText("Olvane Studio", DejaVuPath("DejaVuSerif-Bold.ttf"), 54, 2);
        float tx = float(std::max(136, 360 - text.W() / 2)), ty = float(75 - text.H() / 2);
        Sdf emblem = Union(Circle(float(tx) - 60, 75, 46), Star(float(tx) - 60, 75, 58, 40, 8));
        c.Shadow(emblem, 2, 3, 5, 0.5f);
        c.Bevel(emblem, LinearY(kGoldLight, kGoldDark, 20, 130), 6, 0.6f, 0.3f);
        c.Bevel(Circle(tx - 60, 75, 34), LinearY(kTealLight, kTealDeep, 40, 110), 5, -0.5f, 0);
        c.FillAdd(Ellipse(tx - 60, 75, 12, 24), Solid(Hex(0xa0f0e0, 0.8f)));
        for (int y = 0; y < text.H(); ++y)
            for (int x = 0; x < text.W(); ++x) {
                RGBA t = text.At(x, y);
                if (t.a <= 0)
                    continue;
                c.Over(int(tx) + x + 2, int(ty) + y + 3, {0, 0, 0, t.a * 0.5f});
                RGBA g = Mix(kGoldLight, kGold, float(y) / float(text.H()));
                g.a = t.a;
                c.Over(int(tx) + x, int(ty) + y, g);
            }
    });
    ui("IMAGE_PARTICLE_SPARK", 16, 16, [](Canvas& c) {
        c.Glow(Star(8, 8, 7, 1.5f, 4), kWhite, 3, 1);
    });
    ui("IMAGE_HINT_MODES", 180, 50, [](Canvas& c) {
        Button(c, 0, 6, 50, 38, kTeal, false);
        Button(c, 54, 6, 70, 38, kTeal, false);
        Button(c, 128, 6, 52, 38, kTeal, false);
        for (int i = 0; i < 3; ++i)
            c.Bevel(Circle(25 + float(i) * 64, 25, 7), Solid(BrickColour(i * 4)), 2, 0.6f, 0.3f);
    });
}

void AddTitle(Builder& b)
{
    auto load = [&](const std::string& id, int w, int h, std::function<void(Canvas&)> p) {
        b.Add(id, "Loading", "images/title/" + Lower(id) + ".png", w, h, std::move(p));
    };
    load("IMAGE_LOAD_OLVANE", 400, 220, [](Canvas& c) {
        Canvas text = RenderText("Olvane Studio", DejaVuPath("DejaVuSerif-Bold.ttf"), 42, 2);
        Sdf emblem = Union(Circle(200, 80, 50), Star(200, 80, 64, 44, 8));
        c.Bevel(emblem, LinearY(kGoldLight, kGoldDark, 20, 140), 6, 0.6f, 0.3f);
        c.Bevel(Circle(200, 80, 37), LinearY(kTealLight, kTealDeep, 45, 115), 5, -0.5f, 0);
        c.FillAdd(Ellipse(200, 80, 13, 26), Solid(Hex(0xa0f0e0, 0.8f)));
        int tx = 200 - text.W() / 2, ty = 150;
        for (int y = 0; y < text.H(); ++y)
            for (int x = 0; x < text.W(); ++x) {
                RGBA g = Mix(kGoldLight, kGold, float(y) / float(text.H()));
                g.a = text.At(x, y).a;
                c.Over(tx + x, ty + y, g);
            }
    });
    load("IMAGE_LOAD_VILLAGE_SKY", 800, 660, [](Canvas& c) {
        for (int y = 0; y < c.H(); ++y)
            for (int x = 0; x < c.W(); ++x) {
                float t = float(y) / float(c.H());
                RGBA s = Mix(Hex(0x1a2f4f), Hex(0xf2b27a), t * t * 1.3f);
                float cl = Clamp01((Fbm(71, float(x) / 160.f, float(y) / 50.f, 5) - 0.5f) * 3);
                s = Mix(s, Mix(Hex(0xffe0c0), s, t), cl * 0.5f);
                c.At(x, y) = s;
            }
        c.Glow(Circle(560, 470, 40), Hex(0xfff0c0), 120, 0.6f);
        c.Fill(Circle(560, 470, 38), Solid(Hex(0xfff4d8)));
        c.Opaque();
    });
    auto ridge = [](Canvas& c, uint32_t seed, float base, float amp, RGBA col, RGBA low) {
        float h = float(c.H());
        c.Fill([=](float x, float y) { return (base - amp * Fbm(seed, x / 200.f, 0.3f, 4)) - y; },
            LinearY(col, low, base - amp, h));
    };
    load("IMAGE_LOAD_VILLAGE_LAYER1", 800, 360, [=](Canvas& c) {
        ridge(c, 81, 180, 170, Hex(0x5a6a7a), Hex(0x34404c));
    });
    load("IMAGE_LOAD_VILLAGE_LAYER2", 800, 360, [=](Canvas& c) {
        ridge(c, 82, 220, 90, Hex(0x405a48), Hex(0x203028));
        for (int i = 0; i < 9; ++i)
            House(c, i, 40 + float(i) * 85 + Hash(83, i, 0) * 20, 120 + Hash(83, i, 1) * 40, 50 + Hash(83, i, 2) * 20, 70 + Hash(83, i, 3) * 30);
        c.Fill([](float, float y) { return 205 - y; }, LinearY(Hex(0x2f4a34), Hex(0x16241a), 205, 360));
    });
    // 360 high: rising, it starts at y 250 and must reach the screen's
    // bottom; only the first 260 rows show once it has sunk to y 350.
    load("IMAGE_LOAD_VILLAGE_LAYER3", 800, 360, [=](Canvas& c) {
        // A marsh bank behind the water hides the village hill's foot.
        c.Fill([](float x, float y) { return 62 + 6 * std::sin(x / 45.f) - y; }, LinearY(Hex(0x243a26), Hex(0x18261a), 60, 130));
        c.Fill([](float x, float y) { return 110 + 14 * std::sin(x / 70.f) - y; }, [](float x, float y) {
            return Mix(Mix(kTealLight, kTeal, Clamp01((y - 100) / 160)), Hex(0xf0c090), 0.25f * ValueNoise(84, x / 40, y / 3));
        });
        for (int i = 0; i < 90; ++i) {
            float x = Hash(85, i, 0) * 800, top = 20 + Hash(85, i, 1) * 80;
            c.Fill(Segment(x, 140, x + (Hash(85, i, 2) - 0.5f) * 20, top, 1.6f), Solid(Shade(kMossDark, 0.7f + Hash(85, i, 3) * 0.5f)));
        }
    });
    load("IMAGE_LOAD_VILLAGE_LAYER4", 800, 285, [=](Canvas& c) {
        c.Fill([](float x, float y) { return 160 + 30 * std::sin(x / 90.f + 1) - y; }, LinearY(Hex(0x1f3020), Hex(0x0e160f), 120, 285));
        for (int i = 0; i < 120; ++i) {
            float x = Hash(86, i, 0) * 800, top = 40 + Hash(86, i, 1) * 120;
            c.Fill(Segment(x, 200, x + (Hash(86, i, 2) - 0.5f) * 30, top, 2.2f), Solid(Shade(Hex(0x1a2a18), 0.8f + Hash(86, i, 3) * 0.5f)));
        }
        for (int i = 0; i < 6; ++i) {
            float x = 40 + float(i) * 140, y = 150 + Hash(87, i, 0) * 40;
            c.Fill(Ellipse(x, y, 10, 5), Solid(Hex(0x8a5a30)));
            c.Fill(Segment(x, y, x, y + 40, 1), Solid(Hex(0x1a2a18)));
        }
    });
    load("IMAGE_LOAD_TITLE", 640, 150, [](Canvas& c) {
        Canvas text = RenderText("Marrowfen", DejaVuPath("DejaVuSerif-Bold.ttf"), 104, 6);
        int tx = 320 - text.W() / 2, ty = 75 - text.H() / 2;
        // An outline, a drop shadow and a gold face.
        for (int y = 0; y < text.H(); ++y)
            for (int x = 0; x < text.W(); ++x) {
                float a = text.At(x, y).a;
                if (a <= 0)
                    continue;
                for (int oy = -3; oy <= 3; ++oy)
                    for (int ox = -3; ox <= 3; ++ox)
                        if (ox * ox + oy * oy <= 9)
                            c.Over(tx + x + ox, ty + y + oy, {0.12f, 0.07f, 0.03f, a * 0.5f});
            }
        for (int y = 0; y < text.H(); ++y)
            for (int x = 0; x < text.W(); ++x) {
                float a = text.At(x, y).a;
                float t = float(y) / float(text.H());
                RGBA g = t < 0.55f ? Mix(kGoldLight, kGold, t / 0.55f) : Mix(kGold, kGoldDark, (t - 0.55f) / 0.45f);
                g.a = a;
                c.Over(tx + x, ty + y, g);
            }
    });
    load("IMAGE_LOAD_LINE_BACK", 300, 40, [](Canvas& c) {
        Panel(c, 0, 4, 300, 34, 14, kTealDeep, kGold, 4);
        for (int i = 0; i < 19; ++i)
            c.Fill(Circle(32 + std::floor(13.4f * float(i)) + 6, 24, 4), Solid({0, 0, 0, 0.35f}));
    });
    load("IMAGE_LOAD_LINE_FORE", 12, 12, [](Canvas& c) {
        c.Bevel(Circle(6, 6, 5.5f), Radial(kGoldLight, kGoldDark, 4, 4, 7), 3, 0.6f, 0.4f);
    });
}

void AddBricks(Builder& b)
{
    const int s = 44;
    for (int i = 0; i < 10; ++i) {
        std::string n = std::to_string(i);
        b.Add("BRICK_" + n, "Bricks", "images/bricks/brick_" + n + ".png", s, s, [=](Canvas& c) {
            ForCels(c, s, s, [&](float x, float y, int k, int cels) { PaintBrick(c, i, x, y, float(s), float(k) / float(cels)); });
        }, 10, "loop", 5);
        b.Add("BRICK_SHINE_" + n, "Bricks", "images/bricks/brick_shine_" + n + ".png", s, s, [=](Canvas& c) {
            // The game draws a shining brick from this sheet alone: each cel
            // is the brick's first frame with the light band over it.
            ForCels(c, s, s, [&](float x, float y, int k, int cels) {
                PaintBrick(c, i, x, y, float(s), 0);
                Sdf shape = BrickShape(i, x + s / 2.f, y + s / 2.f, s * 0.43f);
                float p = -20 + 84 * float(k) / float(cels - 1);
                Sdf band = [=](float px, float py) { return std::abs((px - x) + (py - y) * 0.6f - p) - 5; };
                c.Fill(Intersect(shape, band), Solid({1, 1, 1, 0.75f}));
            });
        }, 8, "once", 3);
        b.Add("BRICK_GLOW_" + n, "Bricks", "images/bricks/brick_glow_" + n + ".png", s, s, [=](Canvas& c) {
            ForCels(c, s, s, [&](float x, float y, int k, int) {
                c.Glow(BrickShape(i, x + s / 2.f, y + s / 2.f, s * (0.3f + 0.03f * float(k))), Shade(BrickColour(i), 1.2f), 6 + float(k), 0.9f);
            });
            c.Opaque();
        }, 4);
        b.Add("BRICK_MASK_" + n, "Bricks", "images/bricks/brick_mask_" + n + ".png", s, s, [=](Canvas& c) {
            c.Clear({0, 0, 0, 1});
            // Hard-edged: the outline rays stop at the first dark pixel.
            Sdf shape = BrickShape(i, s / 2.f, s / 2.f, s * 0.43f);
            for (int y = 0; y < s; ++y)
                for (int x = 0; x < s; ++x)
                    if (shape(float(x) + 0.5f, float(y) + 0.5f) < 0)
                        c.At(x, y) = kWhite;
        });
    }
    b.Add("BRICK_KEY", "Bricks", "images/bricks/brick_key.png", s, s, [](Canvas& c) {
        ForCels(c, s, s, [&](float x, float y, int k, int cels) {
            float ph = float(k) / float(cels);
            c.Glow(Circle(x + 22, y + 22, 12), Hex(0xffd060), 10, 0.5f + 0.3f * std::sin(ph * 2 * kPi));
            Sdf key = Transformed(Union(Subtract(Circle(x + 13, y + 22, 9), Circle(x + 13, y + 22, 4)),
                Union(RoundRect(x + 20, y + 19.5f, 20, 5, 2), RoundRect(x + 32, y + 24, 4, 8, 1))), x + 22, y + 22,
                0.25f * std::sin(ph * 2 * kPi), 1);
            c.Shadow(key, 1, 2, 2, 0.5f);
            c.Bevel(key, LinearY(kGoldLight, kGoldDark, y + 10, y + 34), 3, 0.6f, 0.3f);
        });
    }, 8, "loop", 6);
    b.Add("BRICK_MOD_FRAME", "Bricks", "images/bricks/brick_mod_frame.png", 45, 45, [](Canvas& c) {
        c.Bevel(Subtract(RoundRect(1, 1, 43, 43, 8), RoundRect(5, 5, 35, 35, 6)), LinearY(Hex(0xb8c0c4), Hex(0x5a6268), 0, 45), 2, 0.6f, 0);
    });
    for (int k = 1; k <= 2; ++k)
        b.Add("BRICK_MOD_CHAIN" + std::to_string(k), "Bricks", "images/bricks/brick_mod_chain" + std::to_string(k) + ".png", 45, 45, [=](Canvas& c) {
            for (int link = 0; link < 5; ++link) {
                float t = float(link) / 4;
                float x = k == 1 ? 4 + 37 * t : 41 - 37 * t, y = 4 + 37 * t;
                float ang = (k == 1 ? kPi / 4 : -kPi / 4) + (link % 2 ? kPi / 2 : 0);
                Sdf ring = Transformed(Outline(Ellipse(x, y, 7, 4), 1.6f), x, y, ang, 1);
                c.Shadow(ring, 1, 1.5f, 2, 0.5f);
                c.Bevel(ring, LinearY(Hex(0xe0e4e8), Hex(0x606870), y - 6, y + 6), 1.5f, 0.7f, 0.3f);
            }
        });
    b.Add("BRICK_MOD_BOX", "Bricks", "images/bricks/brick_mod_box.png", 48, 50, [](Canvas& c) {
        Sdf frame = Subtract(RoundRect(1, 1, 46, 48, 4), RoundRect(7, 7, 34, 36, 2));
        Sdf slats = Union(Segment(7, 7, 41, 43, 3), Segment(41, 7, 7, 43, 3));
        c.Shadow(frame, 1, 2, 3, 0.5f);
        c.Bevel(slats, [](float x, float y) { return Mix(kWoodLight, kWood, Fbm(91, x / 10, y / 3, 2)); }, 2, 0.6f, 0);
        c.Bevel(frame, [](float x, float y) { return Mix(kWoodLight, kWood, Fbm(92, x / 3, y / 12, 2)); }, 3, 0.6f, 0);
        for (float x : {4.f, 44.f})
            for (float y : {4.f, 46.f})
                c.Bevel(Circle(x, y, 2), Solid(kStone), 1, 0.6f, 0);
    });
    auto burst = [&](const std::string& id, uint32_t seed, RGBA col, bool wood) {
        b.Add(id, "Bricks", "images/bricks/" + Lower(id) + ".png", 64, 64, [=](Canvas& c) {
            ForCels(c, 64, 64, [&](float x, float y, int k, int cels) {
                float t = float(k + 1) / float(cels);
                for (int p = 0; p < 12; ++p) {
                    float a = Hash(seed, p, 0) * 2 * kPi, d = 6 + t * (18 + Hash(seed, p, 1) * 10);
                    float px = x + 32 + std::cos(a) * d, py = y + 32 + std::sin(a) * d + t * t * 6;
                    float sz = (4 + Hash(seed, p, 2) * 4) * (1 - t * 0.5f);
                    Sdf shard = Transformed(wood ? RoundRect(px - sz, py - sz * 0.4f, sz * 2, sz * 0.8f, 1)
                                                 : Polygon({{px, py - sz}, {px + sz, py + sz * 0.6f}, {px - sz * 0.8f, py + sz * 0.4f}}),
                        px, py, a + t * 3, 1);
                    c.Bevel(shard, Solid(col), 1.5f, 0.5f, 0);
                }
                c.Glow(Circle(x + 32, y + 32, 6 * (1 - t)), Mix(col, kWhite, 0.5f), 10 * (1 - t) + 1, 0.6f * (1 - t));
            });
        }, 10, "once", 3);
    };
    burst("BRICK_MOD_CELL_EXPLODE", 93, Hex(0xf2ead6), false);
    burst("BRICK_MOD_BOX_EXPLODE", 94, kWoodLight, true);
    auto bonus = [&](const std::string& id, int size, std::function<void(Canvas&)> p) {
        b.Add(id, "Bricks", "images/bricks/" + Lower(id) + ".png", size, size, std::move(p));
    };
    bonus("BRICK_BONUS_BOMB", 48, [](Canvas& c) {
        c.Shadow(Circle(18, 28, 15), 1.5f, 2, 3, 0.5f);
        c.Bevel(Circle(18, 28, 15), Radial(Hex(0x6a7078), Hex(0x15181c), 12, 22, 20), 5, 0.6f, 0.3f);
        c.Bevel(RoundRect(20, 9, 10, 7, 2), Solid(kStone), 2, 0.6f, 0);
        c.Fill(Segment(27, 10, 36, 4, 1.2f), Solid(kWood));
        c.Glow(Star(38, 4, 5, 2, 5), Hex(0xffc040), 4, 1);
    });
    bonus("BRICK_BONUS_PALKA", 48, [](Canvas& c) {
        Sdf bolt = Polygon({{28, 2}, {10, 26}, {22, 26}, {16, 46}, {38, 18}, {26, 18}, {34, 2}});
        c.Glow(bolt, Hex(0x80c0ff), 5, 0.6f);
        c.Bevel(bolt, LinearY(Hex(0xffffff), Hex(0x70b0ff), 2, 46), 3, 0.6f, 0.3f);
    });
    bonus("BRICK_BONUS_ROW", 50, [](Canvas& c) {
        Sdf a = Union(ArrowRight(25, 14, 24, 22), Mirror(ArrowRight(25, 14, 24, 22), 50));
        c.Shadow(a, 1, 2, 3, 0.5f);
        c.Bevel(a, LinearY(Hex(0xff9a80), Hex(0xb02010), 14, 36), 3, 0.6f, 0.3f);
        c.Bevel(Circle(25, 25, 6), Solid(kGoldLight), 2, 0.6f, 0.3f);
    });
    bonus("BRICK_BONUS_MAGNIT", 48, [](Canvas& c) {
        Sdf u = Subtract(Union(Circle(20, 22, 16), RoundRect(4, 22, 32, 20, 1)), Union(Circle(20, 22, 7), RoundRect(13, 22, 14, 24, 1)));
        Sdf tips = Intersect(u, [](float, float y) { return 34 - y; });
        c.Shadow(u, 1, 2, 3, 0.5f);
        c.Bevel(u, LinearY(Hex(0xff6a5a), Hex(0x901810), 6, 42), 3, 0.6f, 0.3f);
        c.Fill(Subtract(u, [](float, float y) { return 34 - y; }), Solid(Hex(0xd8dde0)));
        (void)tips;
    });
    bonus("BRICK_BONUS_MIXER", 48, [](Canvas& c) {
        for (int k = 0; k < 2; ++k) {
            float a0 = float(k) * kPi;
            Sdf arc = Subtract(Intersect(Circle(24, 24, 18), [=](float x, float y) {
                return -((x - 24) * std::cos(a0) + (y - 24) * std::sin(a0)) + 2;
            }), Circle(24, 24, 11));
            c.Shadow(arc, 1, 2, 3, 0.4f);
            c.Bevel(arc, Solid(k ? BrickColour(7) : BrickColour(5)), 3, 0.6f, 0.3f);
        }
        c.Bevel(Polygon({{4, 18}, {14, 28}, {2, 30}}), Solid(BrickColour(7)), 2, 0.6f, 0);
        c.Bevel(Polygon({{44, 30}, {34, 20}, {46, 18}}), Solid(BrickColour(5)), 2, 0.6f, 0);
    });
    for (bool right : {false, true})
        bonus(right ? "BRICK_BONUS_ROW_PART_RIGHT" : "BRICK_BONUS_ROW_PART_LEFT", 45, [=](Canvas& c) {
            Sdf a = ArrowRight(6, 10, 34, 25);
            Sdf s = right ? a : Mirror(a, 45);
            c.Glow(s, Hex(0xff6040), 5, 0.8f);
            c.Bevel(s, LinearY(Hex(0xffd0a0), Hex(0xe04020), 10, 35), 3, 0.6f, 0.3f);
        });
}

void AddBoardAnimations(Builder& b)
{
    b.Add("IMAGE_BOARD_PATH_ARROW", "Common", "images/ui/image_board_path_arrow.png", 24, 16, [](Canvas& c) {
        ForCels(c, 24, 16, [&](float x, float y, int k, int cels) {
            float t = std::sin(float(k) / float(cels) * 2 * kPi);
            Sdf a = ArrowRight(x + 2 + t, y + 2, 20, 12);
            c.Glow(a, Hex(0xfff0a0), 2, 0.5f);
            c.Bevel(a, Solid(Hex(0xfff4c0)), 2, 0.5f, 0);
        });
    }, 6, "loop", 5);
    b.Add("IMAGE_BOARD_TARGET_CELL", "Common", "images/ui/image_board_target_cell.png", 45, 45, [](Canvas& c) {
        ForCels(c, 45, 45, [&](float x, float y, int k, int cels) {
            float ph = float(k) / float(cels);
            c.Bevel(Circle(x + 22.5f, y + 22.5f, 17), Radial(kTealDeep, Hex(0x000000), x + 22.5f, y + 22.5f, 17), 4, -0.7f, 0);
            for (int r = 0; r < 4; ++r) {
                float a = ph * 2 * kPi + float(r) * kPi / 2;
                c.FillAdd(Circle(x + 22.5f + std::cos(a) * 12, y + 22.5f + std::sin(a) * 12, 2.2f), Solid(Hex(0xffd060, 0.9f)));
            }
            c.Fill(Outline(Circle(x + 22.5f, y + 22.5f, 18), 1.5f), Solid(kGold));
        });
    }, 8, "loop", 6);
}

void AddBackgrounds(Builder& b)
{
    for (int i = 1; i <= 5; ++i)
        b.Add("IMAGE_GAME_BACKGROUND_0" + std::to_string(i), "Common", "images/backgrounds/background_0" + std::to_string(i) + ".png",
            800, 600, [=](Canvas& c) { Landscape(c, uint32_t(100 + i), float(i - 1) / 4, float(i - 1) / 4); });
}

// The town: layout shared by the images here and the items file.
void AddTown(Builder& b)
{
    b.Add("IMAGE_TOWN_BG", "Town", "images/town/town_bg.png", 800, 600, [](Canvas& c) {
        Landscape(c, 300, 0.5f, 0);
        // A meadow rising in front of the water for the houses to stand on.
        c.Fill([](float x, float y) { return 300 + 20 * std::sin(x / 130.f) - y; }, [](float x, float y) {
            return Mix(Mix(Hex(0x7aa050), Hex(0x3e6a30), Clamp01((y - 280) / 320)), Hex(0x5a7a3a), Fbm(301, x / 40, y / 40, 3) * 0.5f);
        });
        c.Opaque();
    });
    for (int k = 0; k < 20; ++k) {
        char id[8];
        std::snprintf(id, sizeof id, "B%02d", k);
        std::string base = std::string("IMAGE_TOWN_") + id, file = "images/town/" + Lower(id);
        BuildingSize size = SizeOf(k);
        int w = size.w, h = size.h, split = size.split;
        auto full = [=](Canvas& c) {
            // The mill, chapel, town hall and lantern tower get what marks them.
            float fw = float(w), fh = float(h), roofH = float(split - 2);
            House(c, k, 0, 0, fw, fh - 0.5f);
            if (k == 2)
                for (int blade = 0; blade < 4; ++blade) {
                    float a = 0.4f + float(blade) * kPi / 2, cx = fw / 2, cy = roofH * 0.9f;
                    Sdf sail = Transformed(RoundRect(cx - 4, cy - fw * 0.48f, 8, fw * 0.44f, 1), cx, cy, a, 1);
                    c.Bevel(sail, Solid(Hex(0xe8dcc0)), 1.5f, 0.4f, 0);
                    c.Fill(Transformed(Segment(cx, cy, cx, cy - fw * 0.48f, 0.8f), cx, cy, a, 1), Solid(kWoodDark));
                }
            if (k == 2)
                c.Bevel(Circle(fw / 2, roofH * 0.9f, 3), Solid(kWood), 1.5f, 0.5f, 0);
            if (k == 8 || k == 16) {
                Sdf flag = Union(Segment(fw / 2, 0.5f, fw / 2, roofH * 0.3f, 0.8f), k == 8
                    ? Union(Segment(fw / 2 - 3, 3, fw / 2 + 3, 3, 0.8f), Circle(-10, -10, 1))
                    : Polygon({{fw / 2, 1}, {fw / 2 + 10, 4}, {fw / 2, 7}}));
                c.Bevel(flag, Solid(k == 8 ? kGold : Hex(0xc03030)), 1, 0.5f, 0);
            }
            if (k == 17)
                c.Glow(Circle(fw / 2, roofH + 10, 4), Hex(0xffd070), 10, 0.9f);
        };
        b.Add(base, "Town", file + ".png", w, h, full);
        b.Add(base + "_P1", "Town", file + "_p1.png", w, h - split, [=](Canvas& c) {
            Canvas whole(w, h);
            full(whole);
            c.Draw(whole.Crop(0, split, w, h - split), 0, 0);
        });
        b.Add(base + "_P2", "Town", file + "_p2.png", w, split, [=](Canvas& c) {
            Canvas whole(w, h);
            full(whole);
            c.Draw(whole.Crop(0, 0, w, split), 0, 0);
        });
        b.Add(base + "_PREVIEW", "Town", file + "_preview.png", 100, 75, [=](Canvas& c) {
            c.Fill(RoundRect(0, 0, 100, 75, 6), LinearY(Hex(0x9ab8c8), Hex(0x7aa050), 0, 75));
            Canvas whole(w, h);
            full(whole);
            float scale = std::min(90.f / float(w), 66.f / float(h));
            c.DrawScaled(whole, 50 - float(w) * scale / 2, 71 - float(h) * scale, scale);
        });
    }
    for (int s = 0; s < 5; ++s)
        b.Add("IMAGE_TOWN_S" + std::to_string(s) + "_DECO", "Town", "images/town/s" + std::to_string(s) + "_deco.png", 800, 80, [=](Canvas& c) {
            // Paths, fences and trees that arrive with each finished stage.
            float x0 = 160.f * float(s);
            c.Fill(RoundRect(x0 + 10, 56, 140, 14, 7), LinearY(Hex(0xd8c49a), Hex(0xa89068), 56, 70));
            for (int i = 0; i < 3; ++i) {
                float tx = x0 + 20 + float(i) * 55 + Hash(310, s, i) * 20;
                c.Fill(RoundRect(tx - 2, 40, 4, 22, 1), Solid(kWood));
                c.Shadow(Circle(tx, 28, 14), 2, 3, 4, 0.3f);
                c.Bevel(Union(Circle(tx, 28, 14), Circle(tx - 8, 34, 9)), LinearY(Hex(0x8ac060), Hex(0x3a6a2a), 14, 44), 5, 0.5f, 0.1f);
            }
            for (int i = 0; i < 8; ++i)
                c.Bevel(RoundRect(x0 + 8 + float(i) * 18, 60, 3, 16, 1), Solid(kWoodLight), 1, 0.5f, 0);
        });
    b.Add("IMAGE_TOWN_SMOKE", "Town", "images/town/town_smoke.png", 32, 48, [](Canvas& c) {
        ForCels(c, 32, 48, [&](float x, float y, int k, int cels) {
            for (int p = 0; p < 4; ++p) {
                float t = std::fmod(float(k) / float(cels) + float(p) / 4, 1.f);
                float py = y + 44 - t * 40, px = x + 16 + std::sin(t * 5 + float(p)) * 4;
                c.Fill(Circle(px, py, 3 + t * 7), Solid(Hex(0xd8d8d8, 0.5f * (1 - t))));
            }
        });
    }, 8, "loop", 8);
}

} // namespace

std::pair<int, int> TownPlace(int k)
{
    BuildingSize s = SizeOf(k);
    Place p = PlaceOf(k);
    return {p.cx - s.w / 2 + (k * 5) % 9 - 4, kRowBaseline[p.row] - s.h};
}

Canvas Scene(const std::vector<Placement>& placements)
{
    Canvas scene(800, 600);
    scene.Clear({0, 0, 0, 1});
    for (const Placement& p : placements)
        for (const ImageDef& d : AllImages())
            if (d.id == p.id) {
                Canvas c = PaintImage(d);
                int cel = p.cel % (d.cols * d.rows);
                Canvas one = p.srcW > 0 ? c.Crop(p.srcX, p.srcY, p.srcW, p.srcH)
                                        : c.Crop((cel % d.cols) * d.celW, (cel / d.cols) * d.celH, d.celW, d.celH);
                int x = p.centred ? p.x - d.celW / 2 : p.x, y = p.centred ? p.y - d.celH / 2 : p.y;
                scene.Draw(one, x, y);
            }
    return scene;
}

std::vector<std::pair<std::string, std::vector<Placement>>> Scenes()
{
    std::vector<std::pair<std::string, std::vector<Placement>>> out;
    // The town with its first `stages` stages built, back to front:
    // background, stage decorations, rows from the back.
    auto townAt = [](int stages) {
        std::vector<Placement> town = {{"IMAGE_TOWN_BG", 0, 0}};
        for (int s = 0; s < stages; ++s)
            town.push_back({"IMAGE_TOWN_S" + std::to_string(s) + "_DECO", 0, 226});
        for (int row = 0; row < 3; ++row)
            for (int k = 0; k < stages * 4; ++k)
                if (PlaceOf(k).row == row) {
                    char id[24];
                    std::snprintf(id, sizeof id, "IMAGE_TOWN_B%02d", k);
                    auto [x, y] = TownPlace(k);
                    town.push_back({id, x, y});
                }
        return town;
    };
    for (int stages = 0; stages <= 5; ++stages)
        out.push_back({"town_" + std::to_string(stages), townAt(stages)});
    std::vector<Placement> town = townAt(5);
    town.push_back({"IMAGE_UI_UPGRADE_PANEL_BACKGROUND", 0, 485});
    out.push_back({"town", town});
    // The title screen with its layers at rest.
    out.push_back({"title", {{"IMAGE_LOAD_VILLAGE_SKY", 0, -50}, {"IMAGE_LOAD_VILLAGE_LAYER1", 0, 247},
        {"IMAGE_LOAD_VILLAGE_LAYER2", 0, 65}, {"IMAGE_LOAD_VILLAGE_LAYER3", 0, 350}, {"IMAGE_LOAD_VILLAGE_LAYER4", 0, 326},
        {"IMAGE_LOAD_TITLE", 80, 20}, {"IMAGE_LOAD_LINE_BACK", 250, 555}}});
    // A game in progress: background, board, bricks, frame and panels.
    std::vector<Placement> game = {{"IMAGE_GAME_BACKGROUND_03", 0, 0}, {"IMAGE_BONUS_BACKGROUND", 0, 455},
        {"IMAGE_BOARD_BACKGROUND", 400, 265, 0, true}};
    for (int i = 0; i < 5; ++i) {
        const int slot[5][2] = {{178, 86}, {260, 91}, {341, 92}, {420, 89}, {506, 84}};
        game.push_back({"IMAGE_BONUS_SLOT" + std::to_string(i + 1), slot[i][0], 455 + slot[i][1]});
        game.push_back({"IMAGE_BONUS_PROGRESS" + std::to_string(i + 1) + "_BACK", slot[i][0] - 21 + 28, 455 + slot[i][1] + 8});
    }
    game.push_back({"IMAGE_BONUS_BUTTON_MENU", 696, 455 + 61});
    game.push_back({"IMAGE_BONUS_BUTTON_TOWN", 30, 455 + 55});
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            if (y >= 6 && x >= 2 && x <= 7)
                game.push_back({"IMAGE_BOARD_CELLS", 175 + x * 45, 40 + y * 45, 0, false, x * 45, y * 45, 45, 45});
            int colour = int(Hash(7, x, y) * 6);
            const int set[6] = {0, 1, 3, 6, 7, 8};
            game.push_back({"BRICK_" + std::to_string(set[colour]), 175 + x * 45 + 22, 40 + y * 45 + 22, 0, true});
        }
    game.push_back({"BRICK_MOD_CHAIN1", 175 + 3 * 45 + 22, 40 + 2 * 45 + 22, 0, true});
    game.push_back({"BRICK_MOD_BOX", 175 + 6 * 45 + 20, 40 + 4 * 45 + 19, 0, true});
    game.push_back({"BRICK_KEY", 175 + 8 * 45 + 22, 40 + 0 * 45 + 22, 0, true});
    game.push_back({"IMAGE_FIELD_FRAME", 58, 0});
    game.push_back({"IMAGE_FIELD_SCORE_PANEL", 0, -5});
    game.push_back({"IMAGE_FIELD_TIMER_PROGRESS", 275, 17});
    game.push_back({"IMAGE_FIELD_ARROW_LEFT", 142, 1});
    game.push_back({"IMAGE_FIELD_ARROW_RIGHT", 547, 1});
    game.push_back({"IMAGE_FIELD_ARROW2_LEFT", 138, 475});
    game.push_back({"IMAGE_FIELD_ARROW2_RIGHT", 621, 475});
    game.push_back({"IMAGE_FIELD_BUTTON_GROUP", 292, 502});
    game.push_back({"IMAGE_FIELD_BUTTON_CHAIN", 359, 504});
    game.push_back({"IMAGE_FIELD_BUTTON_SWAP", 457, 501});
    game.push_back({"IMAGE_FIELD_BUTTON_SWAP_B", 457, 501});
    game.push_back({"IMAGE_UI_EXTRA_PANEL", 645, 5});
    out.push_back({"game", game});
    // The main menu over the town, with a window open.
    std::vector<Placement> menu = town;
    menu.pop_back();
    menu.push_back({"UI_MAIN_BACKGROUND", 0, 460});
    menu.push_back({"UI_MAIN_BUTTON_GREEN", 702, 460 + 36});
    menu.push_back({"UI_MAIN_BUTTON_RED", 0, 460 + 35});
    menu.push_back({"UI_MAIN_BUTTON_LEFT", 120, 460 + 73});
    menu.push_back({"UI_MAIN_BUTTON_RIGHT", 539, 460 + 73});
    menu.push_back({"IMAGE_UI_WINDOW_SMALL", 190, 150});
    menu.push_back({"IMAGE_UI_BUTTON_SMALL", 270, 150 + 155});
    menu.push_back({"IMAGE_UI_BUTTON_SMALL_DOWN", 410, 150 + 155});
    menu.push_back({"CURSOR_POINTER", 460, 330});
    out.push_back({"menu", menu});
    return out;
}

std::string TownItemsXml()
{
    // Three rows on the meadow, the front row (drawn on top) first.
    std::string items;
    std::vector<std::string> rows(3);
    for (int k = 0; k < 20; ++k) {
        BuildingSize s = SizeOf(k);
        int row = PlaceOf(k).row;
        auto [x, y] = TownPlace(k);
        char id[8];
        std::snprintf(id, sizeof id, "b%02d", k);
        std::string up = id;
        up[0] = 'B';
        std::string o = std::string("  <Object id=\"") + id + "\">\n";
        o += std::string("    <Name id=\"town_") + id + "_name\"/><Description id=\"town_" + id + "_desc\"/><Type id=\"building\"/>\n";
        o += "    <Layer x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\">\n";
        if (k % 4 == 3) {
            // Chimney smoke once the end animation is on: an animated image,
            // or (every other one) the particle emitter.
            int cx = int(float(s.w) * 0.68f) - 12, cy = int(float(s.h - s.split) * 0.0f) - 40;
            std::string smoke = k % 8 == 7 ? "<Particles id=\"town_smoke\" x=\"16\" y=\"44\"/>" : "<Image id=\"IMAGE_TOWN_SMOKE\"/>";
            o += "      <Layer name=\"animation\" x=\"" + std::to_string(cx) + "\" y=\"" + std::to_string(cy) + "\">" + smoke +
                "</Layer>\n";
        }
        if (k == 17) {
            // The lantern of the tower sparkles.
            o += "      <Particles id=\"town_sparkles\" name=\"lantern\" x=\"" + std::to_string(s.w / 2) + "\" y=\"" +
                std::to_string(s.split + 8) + "\"/>\n";
        }
        o += "      <Layer name=\"town\"><Image id=\"IMAGE_TOWN_" + up + "\"/></Layer>\n";
        o += "      <Layer name=\"gfx\"><Image id=\"IMAGE_TOWN_" + up + "_P2\"/><Image id=\"IMAGE_TOWN_" + up +
            "_P1\" y=\"" + std::to_string(s.split) + "\"/></Layer>\n";
        o += "      <Layer name=\"preview\"><Image id=\"IMAGE_TOWN_" + up + "_PREVIEW\"/></Layer>\n";
        o += "    </Layer>\n  </Object>\n";
        rows[size_t(row)] += o;
    }
    for (int r = 2; r >= 0; --r)
        items += rows[size_t(r)];
    for (int s = 0; s < 5; ++s)
        items += "  <Object id=\"s" + std::to_string(s) + "_deco\"><Type id=\"stage\"/><Layer x=\"0\" y=\"226\"><Image id=\"IMAGE_TOWN_S" +
            std::to_string(s) + "_DECO\"/></Layer></Object>\n";
    items += "  <Object id=\"town_bg\"><Type id=\"background\"/><Layer><Image id=\"IMAGE_TOWN_BG\"/></Layer></Object>\n";
    return "<?xml version=\"1.0\"?>\n<!-- Written by datagen from the town art's layout. Earlier objects are drawn on top. -->\n<Objects>\n" + items + "</Objects>\n";
}

RGBA BrickColour(int i)
{
    return Hex(kBrickRgb[i % 10]);
}

const std::vector<ImageDef>& AllImages()
{
    static const std::vector<ImageDef> all = [] {
        Builder b;
        AddTitle(b);
        AddUi(b);
        AddBoardAnimations(b);
        AddBackgrounds(b);
        AddBricks(b);
        AddTown(b);
        return b.defs;
    }();
    return all;
}

Canvas PaintImage(const ImageDef& def)
{
    Canvas c(def.celW * def.cols, def.celH * def.rows);
    def.paint(c);
    return c;
}

} // namespace datagen
