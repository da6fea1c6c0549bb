#pragma once
// The four destination layouts of the span functions. Each packs a source
// colour 0xAARRGGBB, writes it opaque, and blends it with an alpha a (0..255)
// as a straight source (weighted by a in the blend) or a premultiplied one
// (each channel already at most a). Channels are truncated, never rounded.
#include <algorithm>
#include <array>
#include <cstdint>

namespace Kivo::Raster {

// 32-bit 0xAARRGGBB; the blends weight the destination colour by its own
// alpha and update that alpha.
struct FormatARGB {
    using Pixel = uint32_t;
    static constexpr int kGroup = 0;

    static uint32_t Pack(uint32_t s) { return s | 0xFF000000u; }
    static void WriteOpaque(Pixel* d, uint32_t s) { *d = Pack(s); }
    static void BlendStraight(Pixel* d, uint32_t s, uint32_t a)
    {
        BlendWeighted<false>(d, (((s >> 16) & 0xFF) * a) >> 8, (((s >> 8) & 0xFF) * a) >> 8,
                             ((s & 0xFF) * a) >> 8, a);
    }
    static void BlendPremultiplied(Pixel* d, uint32_t s, uint32_t a)
    {
        BlendWeighted<true>(d, (s >> 16) & 0xFF, (s >> 8) & 0xFF, s & 0xFF, a);
    }

    // sr, sg, sb are the source channels already weighted by a. With Limit the
    // results are cut to 255 (a premultiplied source may exceed it by one).
    template <bool Limit>
    static void BlendWeighted(Pixel* d, uint32_t sr, uint32_t sg, uint32_t sb, uint32_t a)
    {
        const uint32_t dv = *d;
        const uint32_t da = dv >> 24;
        const uint32_t ia = 256 - a;
        const uint32_t outA = 256 - (((256 - da) * ia) >> 8);
        // a = 0 onto a transparent pixel: the source has no weight and the
        // destination shows nothing, so the pixel stays as it is.
        if (outA == 0)
            return;
        auto write = [&](auto divide) {
            auto channel = [&](uint32_t dc, uint32_t sc) {
                const uint32_t out = divide(((dc * da) >> 8) * ia + sc * 256);
                return Limit ? std::min(out, 255u) : out;
            };
            *d = ((outA - 1) << 24) | (channel((dv >> 16) & 0xFF, sr) << 16)
                | (channel((dv >> 8) & 0xFF, sg) << 8) | channel(dv & 0xFF, sb);
        };
        // Onto an opaque pixel (the screen) the divisor is 256, and as the
        // source part is a multiple of 256 each channel is
        // ((dc × da >> 8) × ia >> 8) + sc: red and blue side by side in one
        // word, every product below 65536 so no field carries into the next.
        if (outA == 256) {
            uint32_t rb = (((((dv & 0xFF00FFu) * da) >> 8) & 0xFF00FFu) * ia >> 8 & 0xFF00FFu) + (sr << 16 | sb);
            uint32_t g = (((((dv >> 8) & 0xFFu) * da) >> 8) * ia >> 8) + sg;
            if constexpr (Limit) {
                // A field that reached 256 becomes 255.
                const uint32_t over = rb & 0x1000100u;
                rb = (rb | (over - (over >> 8))) & 0xFF00FFu;
                g = std::min(g, 255u);
            }
            *d = 0xFF000000u | rb | (g << 8);
            return;
        }
        // n / outA for n < 2^17 and outA <= 256 is exactly (n × m) >> 32 with
        // m = floor((2^32 - 1) / outA) + 1: the error term stays below 2^-15,
        // less than the smallest fractional gap 1/256. The factors come from
        // a table: no division at all.
        const uint64_t m = kReciprocals[outA];
        write([m](uint32_t n) { return static_cast<uint32_t>((n * m) >> 32); });
    }

    static constexpr std::array<uint64_t, 257> kReciprocals = [] {
        std::array<uint64_t, 257> r{};
        for (uint32_t i = 1; i <= 256; ++i)
            r[i] = uint64_t{ 0xFFFFFFFFu / i } + 1;
        return r;
    }();
};

// 32-bit with the alpha byte never read and always written 0xFF.
struct FormatX888 {
    using Pixel = uint32_t;
    static constexpr int kGroup = 1;

    static uint32_t Pack(uint32_t s) { return s | 0xFF000000u; }
    static void WriteOpaque(Pixel* d, uint32_t s) { *d = Pack(s); }
    static uint32_t Keep(uint32_t d, uint32_t a)
    {
        const uint32_t w = 255 - a;
        return ((((d & 0xFF00FFu) * w) >> 8) & 0xFF00FFu) | ((((d & 0xFF00u) * w) >> 8) & 0xFF00u);
    }
    // Each channel sum stays within 255, so the fields never carry.
    static void BlendStraight(Pixel* d, uint32_t s, uint32_t a)
    {
        const uint32_t src = ((((s & 0xFF00FFu) * a) >> 8) & 0xFF00FFu) | ((((s & 0xFF00u) * a) >> 8) & 0xFF00u);
        *d = 0xFF000000u | (Keep(*d, a) + src);
    }
    static void BlendPremultiplied(Pixel* d, uint32_t s, uint32_t a)
    {
        *d = 0xFF000000u | (Keep(*d, a) + (s & 0xFFFFFFu));
    }
};

// 16-bit formats: the destination keeps (255 - a) >> 3 thirty-seconds of
// each field and the source part is added without carries between fields.
template <uint32_t RedBlueMask, uint32_t GreenMask, int RedShift, int GreenShift, int GreenSrcShift, int Group>
struct Format16 {
    using Pixel = uint16_t;
    static constexpr int kGroup = Group;

    static uint32_t Pack(uint32_t s)
    {
        return ((s >> RedShift) & (RedBlueMask & ~0x1Fu)) | ((s >> GreenShift) & GreenMask) | ((s >> 3) & 0x1F);
    }
    static void WriteOpaque(Pixel* d, uint32_t s) { *d = static_cast<Pixel>(Pack(s)); }
    static uint32_t Keep(uint32_t d, uint32_t a)
    {
        const uint32_t w = (255 - a) >> 3;
        return ((((d & RedBlueMask) * w) >> 5) & RedBlueMask) | ((((d & GreenMask) * w) >> 5) & GreenMask);
    }
    static void BlendStraight(Pixel* d, uint32_t s, uint32_t a)
    {
        const uint32_t rb = (((s & 0xFF00FFu) * a) >> 8) & 0xFF00FFu;
        const uint32_t src = ((rb >> RedShift) & (RedBlueMask & ~0x1Fu)) | ((rb >> 3) & 0x1F)
            | ((((s & 0xFF00u) * a) >> GreenSrcShift) & GreenMask);
        *d = static_cast<Pixel>(Keep(*d, a) + src);
    }
    static void BlendPremultiplied(Pixel* d, uint32_t s, uint32_t a)
    {
        *d = static_cast<Pixel>(Keep(*d, a) + Pack(s));
    }
};

using Format565 = Format16<0xF81F, 0x7E0, 8, 5, 13, 2>;
using Format555 = Format16<0x7C1F, 0x3E0, 9, 6, 14, 3>;

// The group a pixel-format code selects: 0x888 → 1, 0x565 → 2, 0x555 → 3,
// anything else → 0 (ARGB).
constexpr int FormatGroup(int32_t format)
{
    switch (format) {
    case 0x888: return 1;
    case 0x565: return 2;
    case 0x555: return 3;
    default: return 0;
    }
}

} // namespace Kivo::Raster
