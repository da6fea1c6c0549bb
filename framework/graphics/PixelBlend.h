#pragma once
// The blend formulas of the software drawing paths, on 0xAARRGGBB words.
// Every result is exact integer arithmetic; the in-place forms keep each
// channel at its position in the word, so their rounding is that of the
// word arithmetic (red and blue may share one product).
#include <cstdint>

namespace Kivo::blend {

// Alpha of "over" onto a destination with alpha da, for source alpha a.
inline uint32_t OverAlpha(uint32_t da, uint32_t a) { return da + ((255 - da) * a) / 255; }
// Weight of the source in that blend (0..255).
inline uint32_t OverWeight(uint32_t a, uint32_t na) { return (255 * a) / na; }

// Both at once. An opaque destination (na = 255, w = a) and a transparent
// one (na = a, w = 255) give the same numbers without the divisions.
inline void OverParams(uint32_t da, uint32_t a, uint32_t& na, uint32_t& w)
{
    if (da == 255) {
        na = 255;
        w = a;
    } else if (da == 0) {
        na = a;
        w = 255;
    } else {
        na = OverAlpha(da, a);
        w = OverWeight(a, na);
    }
}

// Over-blend of colour `s` (its alpha ignored) with alpha a (1..255), each
// channel (d_c (256 - w) + s_c w) >> 8.
inline uint32_t OverSumThenShift(uint32_t d, uint32_t s, uint32_t a)
{
    uint32_t na, w;
    OverParams(d >> 24, a, na, w);
    const uint32_t iw = 256 - w;
    uint32_t r = ((((d >> 16) & 0xFF) * iw + ((s >> 16) & 0xFF) * w) >> 8) << 16;
    uint32_t g = ((((d >> 8) & 0xFF) * iw + ((s >> 8) & 0xFF) * w) >> 8) << 8;
    uint32_t b = ((d & 0xFF) * iw + (s & 0xFF) * w) >> 8;
    return (na << 24) | r | g | b;
}

// The same blend, each channel ((d_c (256 - w)) >> 8) + ((s_c w) >> 8).
inline uint32_t OverShiftThenSum(uint32_t d, uint32_t s, uint32_t a)
{
    uint32_t na, w;
    OverParams(d >> 24, a, na, w);
    const uint32_t iw = 256 - w;
    uint32_t rb = (((d & 0xFF00FF) * iw >> 8) & 0xFF00FF) + (((s & 0xFF00FF) * w >> 8) & 0xFF00FF);
    uint32_t g = (((d & 0xFF00) * iw >> 8) & 0xFF00) + (((s & 0xFF00) * w >> 8) & 0xFF00);
    return (na << 24) | rb | g;
}

// The tinted form of the shift-then-sum blend, for a colour (r, g, b, ca)
// other than white: the source's alpha becomes (sa x ca) / 255 and each
// channel is scaled by the colour's, in word arithmetic (the channels'
// dropped fractions can carry). A grey colour scales red and blue in one
// product, which rounds differently from the three-product form.
struct TintedOver {
    uint32_t ca, cr, cg, cb;

    TintedOver(int red, int green, int blue, int alpha)
        : ca(static_cast<uint32_t>(alpha & 0xFF)), cr(static_cast<uint32_t>(red & 0xFF)),
          cg(static_cast<uint32_t>(green & 0xFF)), cb(static_cast<uint32_t>(blue & 0xFF))
    {
    }

    bool Grey() const { return cr == cg && cg == cb; }

    template <bool grey>
    uint32_t Blend(uint32_t d, uint32_t s) const
    {
        const uint32_t a = ((s >> 24) * ca) / 255;
        if (a == 0)
            return d;
        uint32_t na, w;
        OverParams(d >> 24, a, na, w);
        const uint32_t iw = 256 - w;
        if constexpr (grey) {
            const uint32_t rb =
                (((((s & 0xFF00FF) * cr >> 8) & 0xFF00FF) * w >> 8) + ((d & 0xFF00FF) * iw >> 8)) & 0xFF00FF;
            const uint32_t gg = (((s & 0xFF00) * w * cr >> 16) + ((d & 0xFF00) * iw >> 8)) & 0xFF00;
            return (na << 24) | rb | gg;
        } else {
            const uint32_t rr = ((((s & 0xFF0000) * w >> 8) * cr >> 8) + ((d & 0xFF0000) * iw >> 8)) & 0xFF0000;
            const uint32_t gg = (((s & 0xFF00) * w * cg >> 16) + ((d & 0xFF00) * iw >> 8)) & 0xFF00;
            const uint32_t bb = (((s & 0xFF) * w * cb >> 16) + ((d & 0xFF) * iw >> 8)) & 0xFF;
            return (na << 24) | rr | gg | bb;
        }
    }
};

} // namespace Kivo::blend
