#include "framework/raster/SpanFunctions.h"

#include "framework/raster/PixelFormats.h"
#include "framework/raster/SpanFrame.h"
#include "framework/raster/TexelSampling.h"

#include <tuple>
#include <utility>

namespace Kivo {
namespace Raster {
namespace {

// Each vertex colour word scaled by the matching draw-colour channel, on the
// frame's own copy of the vertices.
inline void ScaleVertexColours(RasterVertex* v, const RasterColor& c)
{
    for (int i = 0; i < 3; ++i) {
        v[i].alpha = static_cast<int32_t>((static_cast<uint32_t>(v[i].alpha) * c.alpha) >> 8);
        v[i].red = static_cast<int32_t>((static_cast<uint32_t>(v[i].red) * c.red) >> 8);
        v[i].green = static_cast<int32_t>((static_cast<uint32_t>(v[i].green) * c.green) >> 8);
        v[i].blue = static_cast<int32_t>((static_cast<uint32_t>(v[i].blue) * c.blue) >> 8);
    }
}

// Untextured fills: alpha above 240.0 writes opaque, above 8.0 blends with its
// integer part, anything lower leaves the pixel alone.
template <class Fmt, bool Mod>
struct FillShader {
    using Pixel = typename Fmt::Pixel;
    static constexpr int kFirst = 2;
    static constexpr int kCount = 4;
    static constexpr bool kScalesColours = Mod;

    const RasterColor* colour;

    void ScaleColours(RasterVertex* v) const { ScaleVertexColours(v, *colour); }
    static void SpanStart(uint32_t*) {}

    static void Draw(Pixel* d, const uint32_t* val)
    {
        const uint32_t A = ClampColour(val[0]);
        const uint32_t R = ClampColour(val[1]);
        const uint32_t G = ClampColour(val[2]);
        const uint32_t B = ClampColour(val[3]);
        const uint32_t c = (R & 0xFF0000u) | ((G >> 8) & 0xFF00u) | (B >> 16);
        if (A > 0xF00000u) {
            Fmt::WriteOpaque(d, c);
        } else if (A > 0x80000u) {
            const uint32_t a = A >> 16;
            // The ARGB fill weights red and green with part of their fraction.
            if constexpr (Fmt::kGroup == 0)
                Fmt::template BlendWeighted<false>(d, (R * a) >> 24, ((G >> 8) * a) >> 16, ((B >> 16) * a) >> 8, a);
            else
                Fmt::BlendStraight(d, c, a);
        }
    }
};

// Textured members. Per pixel: sample one texel or four; with Blend, a
// sample alpha of 8 or less leaves the pixel alone; modulate by the vertex
// colours, the draw colour or both; form the effective alpha; four-texel
// members premultiply by the alpha factor; write opaque from 240 on,
// otherwise blend (straight for one texel, premultiplied for four).
template <class Fmt, bool Blend, bool Gouraud, bool Mod, bool Linear>
struct TexShader {
    using Pixel = typename Fmt::Pixel;
    static constexpr int kFirst = Gouraud ? 2 : 6;
    static constexpr int kCount = Gouraud ? 6 : 2;
    static constexpr bool kScalesColours = Gouraud && Mod;
    static constexpr int kU = kCount - 2;
    static constexpr int kV = kCount - 1;

    RasterTexture texture;
    RasterColor colour;
    bool wide;

    void ScaleColours(RasterVertex* v) const { ScaleVertexColours(v, colour); }

    static void SpanStart(uint32_t* val)
    {
        if constexpr (Linear) {
            val[kU] -= 0x8000;
            val[kV] -= 0x8000;
        }
    }

    void Draw(Pixel* d, const uint32_t* val) const
    {
        Shade(d, Linear ? SampleFourTexels(texture, val[kU], val[kV]) : NearestTexel(texture, val[kU], val[kV]),
              val);
    }

    // The plain blended members over ARGB handle eight pixels side by side.
    static constexpr bool kOverSpan = Fmt::kGroup == 0 && Blend && !Gouraud && !Mod;

    // Four-texel members sample eight pixels at a time.
    void DrawSpan(Pixel* d, int64_t count, uint32_t* val, const int32_t* dk) const
        requires(Linear || kOverSpan)
    {
        uint32_t s[8];
        for (; count > 0; count -= 8) {
            const int n = count < 8 ? static_cast<int>(count) : 8;
            if constexpr (Linear) {
                SampleFourTexelsRow(texture, val[kU], val[kV], static_cast<uint32_t>(dk[kU]),
                                    static_cast<uint32_t>(dk[kV]), wide, s);
            } else {
                NearestTexelRow(texture, val[kU], val[kV], static_cast<uint32_t>(dk[kU]),
                                static_cast<uint32_t>(dk[kV]), wide, s);
            }
            if constexpr (kOverSpan) {
                Fmt::template OverSpan<Linear>(d, s, n, wide);
                d += n;
                for (int j = 0; j < kCount; ++j)
                    val[j] += static_cast<uint32_t>(n) * static_cast<uint32_t>(dk[j]);
                continue;
            }
            for (int k = 0; k < n; ++k, ++d) {
                Shade(d, s[k], val);
                for (int j = 0; j < kCount; ++j)
                    val[j] += static_cast<uint32_t>(dk[j]);
            }
        }
    }

    // One pixel from its sample s.
    void Shade(Pixel* d, uint32_t s, const uint32_t* val) const
    {
        const uint32_t A = s >> 24;
        if (Blend && A <= 8)
            return;
        if constexpr (!Gouraud && !Mod) {
            // No alpha factor: the opaque members always overwrite, the
            // blended ones take the sample's alpha as it is.
            if (!Blend || A >= 240)
                Fmt::WriteOpaque(d, s);
            else if constexpr (Linear)
                Fmt::BlendPremultiplied(d, s, A);
            else
                Fmt::BlendStraight(d, s, A);
        } else {
            uint32_t wr, wg, wb, factor;
            if constexpr (Gouraud && Mod) {
                factor = (colour.alpha * ClampColour(val[0])) >> 24;
                wr = (colour.red * ClampColour(val[1])) >> 24;
                wg = (colour.green * ClampColour(val[2])) >> 24;
                wb = (colour.blue * ClampColour(val[3])) >> 24;
            } else if constexpr (Gouraud) {
                factor = ClampColour(val[0]) >> 16;
                wr = ClampColour(val[1]) >> 16;
                wg = ClampColour(val[2]) >> 16;
                wb = ClampColour(val[3]) >> 16;
            } else {
                factor = colour.alpha;
                wr = colour.red;
                wg = colour.green;
                wb = colour.blue;
            }
            uint32_t c = Modulate(s, wr, wg, wb);
            const uint32_t a = (factor * (Blend ? A : 255u)) >> 8;
            if constexpr (Linear)
                c = Modulate(c, factor, factor, factor);
            if (a >= 240)
                Fmt::WriteOpaque(d, c);
            else if constexpr (Linear)
                Fmt::BlendPremultiplied(d, c, a);
            else
                Fmt::BlendStraight(d, c, a);
        }
    }
};

template <int Group>
using FormatOf = std::tuple_element_t<Group, std::tuple<FormatARGB, FormatX888, Format565, Format555>>;

// The member that serves table index i: untextured members ignore Blend and
// Linear, untextured slots without Gouraud draw nothing, and the opaque
// textured slots 16 and 17 are shared by the two 32-bit groups, whose opaque
// writes are the same.
constexpr std::pair<int, int> CanonicalMember(int index)
{
    int group = index >> 5;
    int slot = index & 31;
    if (!(slot & 16)) {
        slot &= ~(8 | 1);
        if (!(slot & 4))
            return { -1, -1 };
    } else if (slot <= 17 && group == 1) {
        group = 0;
    }
    return { group, slot };
}

template <size_t I>
constexpr TriangleFunc TableEntry()
{
    constexpr auto member = CanonicalMember(I);
    if constexpr (member.first < 0)
        return &DrawTriangleNull;
    else
        return &SpanFunction<member.first, member.second>;
}

template <size_t... I>
constexpr TriangleFuncTable MakeTable(std::index_sequence<I...>)
{
    return { TableEntry<I>()... };
}

} // namespace
} // namespace Raster

template <int Group, int Slot>
void SpanFunction(const RasterVertex* vertices, uint8_t* bits, uint32_t pitch,
                  const RasterTexture* texture, const RasterColor* colour)
{
    using Fmt = Raster::FormatOf<Group>;
    if constexpr (Slot & 16) {
        using Shader = Raster::TexShader<Fmt, (Slot & 8) != 0, (Slot & 4) != 0, (Slot & 2) != 0, (Slot & 1) != 0>;
        Raster::ScanTriangle(vertices, bits, pitch, Shader{ *texture, (Slot & 2) ? *colour : RasterColor{}, WideKernels() });
    } else {
        Raster::ScanTriangle(vertices, bits, pitch, Raster::FillShader<Fmt, (Slot & 2) != 0>{ colour });
    }
}

#define KIVO_SPAN_INSTANCE(name, group, slot)                                                   \
    template void SpanFunction<group, slot>(const RasterVertex*, uint8_t*, uint32_t,           \
                                            const RasterTexture*, const RasterColor*);
KIVO_SPAN_FUNCTIONS(KIVO_SPAN_INSTANCE)
#undef KIVO_SPAN_INSTANCE

void DrawTriangleNull(const RasterVertex*, uint8_t*, uint32_t, const RasterTexture*, const RasterColor*) {}

constinit const TriangleFuncTable gTriangleFuncs = Raster::MakeTable(std::make_index_sequence<128>());

void SelectTriangleFunc(bool tex, bool blend, bool gouraud, bool mod, const RasterVertex* vertices,
                        uint8_t* bits, uint32_t pitch, const RasterTexture* texture,
                        const RasterColor* colour, int32_t format, bool linear)
{
    gTriangleFuncs[TriangleFuncIndex(tex, blend, gouraud, mod, format, linear)](vertices, bits, pitch, texture, colour);
}

void InitTriangleFuncTable() {}

} // namespace Kivo
