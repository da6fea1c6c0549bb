// The software Direct3D 7: its object, the device's state and the
// rasterizer of pre-transformed primitives.
//
// Triangles are scan-converted here rather than by the framework's span
// functions: those draw only source-over blending, place texel centres on
// integers and own their fill rule, while this device must follow
// Direct3D's rules (pixel centres on integers, texel centres on halves,
// top-left fill, every blend factor pair the program sets, the alpha
// operation as set). The inner loops are specialised by destination format,
// blend and filter so that the common cases run without per-pixel branches.
#include "platform/ddraw/D3D.h"
#include "platform/ddraw/SurfaceMemory.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <cstring>
#include <type_traits>
#if defined(__SSE2__)
#include <emmintrin.h>
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define KIVO_D3D_WIDE_SPANS 1
#endif
#endif

namespace platform {
namespace {

// Texture formats the device can offer, in enumeration order.
struct OfferedFormat {
    DWORD bit;
    DDPIXELFORMAT format;
};
const OfferedFormat kFormats[] = {
    { 1, { sizeof(DDPIXELFORMAT), DDPF_RGB | DDPF_ALPHAPIXELS, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000 } },
    { 2, { sizeof(DDPIXELFORMAT), DDPF_RGB | DDPF_ALPHAPIXELS, 0, 16, 0xF00, 0xF0, 0xF, 0xF000 } },
    { 4, { sizeof(DDPIXELFORMAT), DDPF_RGB, 0, 16, 0xF800, 0x7E0, 0x1F, 0 } },
    { 8, { sizeof(DDPIXELFORMAT), DDPF_RGB | DDPF_PALETTEINDEXED8, 0, 8, 0, 0, 0, 0 } },
};

// a x b / 255, rounded, for bytes.
inline uint32_t Mul255(uint32_t a, uint32_t b)
{
    const uint32_t t = a * b + 128;
    return (t + (t >> 8)) >> 8;
}

// Destination pixel formats: load as 0x00RRGGBB, store from 0x00RRGGBB.
struct Fmt32 {
    using Pixel = uint32_t;
    static constexpr int kBytes = 4;
    static uint32_t Load(const uint8_t* p)
    {
        uint32_t v;
        std::memcpy(&v, p, 4);
        return v & 0xFFFFFF;
    }
    static void Store(uint8_t* p, uint32_t c) { std::memcpy(p, &c, 4); }
};
struct Fmt565 {
    static constexpr int kBytes = 2;
    static uint32_t Load(const uint8_t* p)
    {
        uint16_t v;
        std::memcpy(&v, p, 2);
        const uint32_t r = v >> 11, g = (v >> 5) & 0x3F, b = v & 0x1F;
        return (r << 3 | r >> 2) << 16 | (g << 2 | g >> 4) << 8 | (b << 3 | b >> 2);
    }
    static void Store(uint8_t* p, uint32_t c)
    {
        const uint16_t v = uint16_t((c >> 8 & 0xF800) | (c >> 5 & 0x7E0) | (c >> 3 & 0x1F));
        std::memcpy(p, &v, 2);
    }
};
struct Fmt555 {
    static constexpr int kBytes = 2;
    static uint32_t Load(const uint8_t* p)
    {
        uint16_t v;
        std::memcpy(&v, p, 2);
        const uint32_t r = (v >> 10) & 0x1F, g = (v >> 5) & 0x1F, b = v & 0x1F;
        return (r << 3 | r >> 2) << 16 | (g << 3 | g >> 2) << 8 | (b << 3 | b >> 2);
    }
    static void Store(uint8_t* p, uint32_t c)
    {
        const uint16_t v = uint16_t((c >> 9 & 0x7C00) | (c >> 6 & 0x3E0) | (c >> 3 & 0x1F));
        std::memcpy(p, &v, 2);
    }
};
struct Fmt24 {
    static constexpr int kBytes = 3;
    static uint32_t Load(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16; }
    static void Store(uint8_t* p, uint32_t c)
    {
        p[0] = uint8_t(c);
        p[1] = uint8_t(c >> 8);
        p[2] = uint8_t(c >> 16);
    }
};

enum BlendKind { kOpaque, kAlpha, kAdd, kAlphaAdd, kGeneral };

struct BlendFactors {
    DWORD src;
    DWORD dest;
};

inline uint32_t Factor(DWORD f, uint32_t channel, uint32_t srcChannel, uint32_t srcAlpha, uint32_t destChannel,
                       bool forSource)
{
    (void)destChannel;
    switch (f) {
    case D3DBLEND_ZERO:
        return 0;
    case D3DBLEND_ONE:
        return channel;
    case D3DBLEND_SRCCOLOR:
        return Mul255(channel, srcChannel);
    case D3DBLEND_INVSRCCOLOR:
        return Mul255(channel, 255 - srcChannel);
    case D3DBLEND_SRCALPHA:
        return Mul255(channel, srcAlpha);
    case D3DBLEND_INVSRCALPHA:
        return Mul255(channel, 255 - srcAlpha);
    default:
        return forSource ? channel : 0;
    }
}

// Red and blue (or alpha and green, shifted down) of two pixels weighted by
// f and 255 - f, divided by 255 with rounding, in one multiply each.
inline uint32_t Mix2(uint32_t s, uint32_t d, uint32_t f)
{
    uint32_t t = (s & 0xFF00FF) * f + (d & 0xFF00FF) * (255 - f) + 0x800080;
    return ((t + ((t >> 8) & 0xFF00FF)) >> 8) & 0xFF00FF;
}

inline uint32_t Scale2(uint32_t s, uint32_t f)
{
    uint32_t t = (s & 0xFF00FF) * f + 0x800080;
    return ((t + ((t >> 8) & 0xFF00FF)) >> 8) & 0xFF00FF;
}

inline uint32_t AddSaturate(uint32_t s, uint32_t d)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8)
        out |= std::min<uint32_t>((s >> shift & 0xFF) + (d >> shift & 0xFF), 255) << shift;
    return out;
}

template <int Blend>
inline uint32_t BlendPixel(uint32_t s, uint32_t d, const BlendFactors& f)
{
    const uint32_t a = s >> 24;
    if constexpr (Blend == kOpaque) {
        return s & 0xFFFFFF;
    } else if constexpr (Blend == kAlpha) {
        return Mix2(s, d, a) | Mix2(s >> 8, d >> 8, a) << 8;
    } else if constexpr (Blend == kAdd) {
        return AddSaturate(s, d);
    } else if constexpr (Blend == kAlphaAdd) {
        return AddSaturate(Scale2(s, a) | Scale2(s >> 8, a) << 8, d);
    } else {
        uint32_t out = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            const uint32_t sc = s >> shift & 0xFF, dc = d >> shift & 0xFF;
            const uint32_t v = Factor(f.src, sc, sc, a, dc, true) + Factor(f.dest, dc, sc, a, dc, false);
            out |= std::min<uint32_t>(v, 255) << shift;
        }
        return out;
    }
}

// Writes a combined colour 0xAARRGGBB through the blend.
template <typename Fmt, int Blend>
inline void Put(uint8_t* p, uint32_t c, const BlendFactors& f)
{
    if constexpr (Blend == kOpaque) {
        Fmt::Store(p, c & 0xFFFFFF);
    } else if constexpr (Blend == kAlpha) {
        const uint32_t a = c >> 24;
        if (a == 255)
            Fmt::Store(p, c & 0xFFFFFF);
        else if (a != 0)
            Fmt::Store(p, BlendPixel<kAlpha>(c, Fmt::Load(p), f));
    } else if constexpr (Blend == kAlphaAdd) {
        if ((c >> 24) != 0 && (c & 0xFFFFFF) != 0)
            Fmt::Store(p, BlendPixel<kAlphaAdd>(c, Fmt::Load(p), f));
    } else if constexpr (Blend == kAdd) {
        if ((c & 0xFFFFFF) != 0)
            Fmt::Store(p, BlendPixel<kAdd>(c, Fmt::Load(p), f));
    } else {
        Fmt::Store(p, BlendPixel<kGeneral>(c, Fmt::Load(p), f));
    }
}

// What a span needs: the texture, the combiner switches and the blend.
struct SpanSetup {
    const uint32_t* texels = nullptr;
    int texWidth = 0;
    int texHeight = 0;
    bool clampU = false;
    bool clampV = false;
    bool alphaModulate = false;
    bool gouraud = false;
    BlendFactors factors { D3DBLEND_ONE, D3DBLEND_ZERO };
    // Spans of one colour or of one texel per pixel take the chunked passes.
    bool unitSteps = true;
    // Their blends run eight pixels at a time (AVX2).
    bool wide = false;
};

// Attributes at a pixel, in 16.16: u, v in texels; colour channels x 65536.
struct SpanAttribs {
    int32_t u, v, a, r, g, b;
};

inline int WrapIndex(int i, int n, bool clamp)
{
    if (clamp)
        return i < 0 ? 0 : (i >= n ? n - 1 : i);
    i %= n;
    return i < 0 ? i + n : i;
}

inline uint32_t Lerp(uint32_t a, uint32_t b, uint32_t f) // f in 0..256
{
    const uint32_t rb = ((a & 0xFF00FF) * (256 - f) + (b & 0xFF00FF) * f) >> 8 & 0xFF00FF;
    const uint32_t ag = ((a >> 8 & 0xFF00FF) * (256 - f) + (b >> 8 & 0xFF00FF) * f) & 0xFF00FF00;
    return rb | ag;
}

template <int Filter> // 0 none, 1 point, 2 linear
inline uint32_t Sample(const SpanSetup& s, int32_t u, int32_t v)
{
    if constexpr (Filter == 1) {
        const int x = WrapIndex(u >> 16, s.texWidth, s.clampU);
        const int y = WrapIndex(v >> 16, s.texHeight, s.clampV);
        return s.texels[size_t(y) * size_t(s.texWidth) + size_t(x)];
    } else {
        // Texel centres lie on halves: sample between the two nearest.
        const int32_t uu = u - 0x8000, vv = v - 0x8000;
        const int x0 = uu >> 16, y0 = vv >> 16;
        const uint32_t fx = uint32_t(uu >> 8) & 0xFF, fy = uint32_t(vv >> 8) & 0xFF;
        // Away from the texture's edges the four texels need no addressing.
        if (unsigned(x0) < unsigned(s.texWidth - 1) && unsigned(y0) < unsigned(s.texHeight - 1)) {
            const uint32_t* ra = s.texels + size_t(y0) * size_t(s.texWidth) + size_t(x0);
            const uint32_t* rb = ra + s.texWidth;
            return Lerp(Lerp(ra[0], ra[1], fx), Lerp(rb[0], rb[1], fx), fy);
        }
        const int xa = WrapIndex(x0, s.texWidth, s.clampU), xb = WrapIndex(x0 + 1, s.texWidth, s.clampU);
        const int ya = WrapIndex(y0, s.texHeight, s.clampV), yb = WrapIndex(y0 + 1, s.texHeight, s.clampV);
        const uint32_t* ra = s.texels + size_t(ya) * size_t(s.texWidth);
        const uint32_t* rb = s.texels + size_t(yb) * size_t(s.texWidth);
        return Lerp(Lerp(ra[xa], ra[xb], fx), Lerp(rb[xa], rb[xb], fx), fy);
    }
}

inline uint32_t Channel(int32_t v) { return uint32_t(std::clamp(v >> 16, 0, 255)); }

// The stage: texture colour modulated by the diffuse colour; alpha from the
// texture, or modulated too.
inline uint32_t Combine(uint32_t t, const SpanAttribs& at, bool alphaModulate)
{
    const uint32_t r = Mul255(t >> 16 & 0xFF, Channel(at.r));
    const uint32_t g = Mul255(t >> 8 & 0xFF, Channel(at.g));
    const uint32_t b = Mul255(t & 0xFF, Channel(at.b));
    const uint32_t a = alphaModulate ? Mul255(t >> 24, Channel(at.a)) : t >> 24;
    return a << 24 | r << 16 | g << 8 | b;
}

// ---- Spans of one colour and spans one texel per pixel along u ----------
//
// Most of what the program draws are quads at their own size: each pixel of
// a span then moves u by exactly one texel and v not at all, so a bilinear
// sample's weights are the same for the whole span and its two rows of
// texels are fixed. Such spans are drawn in three passes over a chunk of
// pixels: the texels (read where they lie, or mixed with the span's two
// weights), the diffuse colour when it is not white, and the blend into the
// target. Each pass gives exactly what the per-pixel sampler and Put give.

constexpr int kChunk = 256;

// Bilinear texels of `n` pixels whose left texels are ra[x], ra[x + 1], ...
// and rb[x], ..., all inside their rows, with the weights fx, fy (not both
// 0: those are the texels themselves).
void MixRows(uint32_t* out, int n, const uint32_t* ra, const uint32_t* rb, uint32_t fx, uint32_t fy)
{
    int i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i wl = _mm_set1_epi16(short(256 - fx)), wr = _mm_set1_epi16(short(fx));
    const __m128i wt = _mm_set1_epi16(short(256 - fy)), wb = _mm_set1_epi16(short(fy));
    // (l * w0 + r * w1) >> 8 in each 16-bit lane, as Lerp weighs.
    auto mix = [](__m128i l, __m128i r, __m128i w0, __m128i w1) {
        return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(l, w0), _mm_mullo_epi16(r, w1)), 8);
    };
    auto lo = [&](__m128i v) { return _mm_unpacklo_epi8(v, zero); };
    auto hi = [&](__m128i v) { return _mm_unpackhi_epi8(v, zero); };
    auto load = [](const uint32_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
    if (fx == 0) {
        // Whole texels across (a layer at a whole x and a fractional y): a
        // weight of 0 leaves each row's texel as it is, so only the rows mix.
        for (; i + 4 <= n; i += 4) {
            const __m128i a = load(ra + i), c = load(rb + i);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                             _mm_packus_epi16(mix(lo(a), lo(c), wt, wb), mix(hi(a), hi(c), wt, wb)));
        }
    } else {
        // ra[x + 1 .. x + 4] is read for the last pixel x + 3, which lies inside.
        for (; i + 4 <= n; i += 4) {
            const __m128i a = load(ra + i), b = load(ra + i + 1);
            __m128i l = mix(lo(a), lo(b), wl, wr), h = mix(hi(a), hi(b), wl, wr);
            if (fy != 0) {
                const __m128i c = load(rb + i), d = load(rb + i + 1);
                l = mix(l, mix(lo(c), lo(d), wl, wr), wt, wb);
                h = mix(h, mix(hi(c), hi(d), wl, wr), wt, wb);
            }
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(l, h));
        }
    }
#endif
    for (; i < n; ++i)
        out[i] = Lerp(Lerp(ra[i], ra[i + 1], fx), Lerp(rb[i], rb[i + 1], fx), fy);
}

// The texels of `n` pixels from u (16.16, one texel per pixel) on the row
// of v, as Sample<Filter> gives them pixel by pixel: written to `out`, or,
// where they are a run of the texture's own texels, that run itself.
template <int Filter>
const uint32_t* UnitStepTexels(uint32_t* out, int n, int32_t u, int32_t v, const SpanSetup& s)
{
    const int w = s.texWidth;
    const bool linear = Filter == 2;
    const int32_t uu = linear ? u - 0x8000 : u, vv = linear ? v - 0x8000 : v;
    const int x = uu >> 16, y = vv >> 16;
    const uint32_t fx = uint32_t(uu >> 8) & 0xFF, fy = uint32_t(vv >> 8) & 0xFF;
    const uint32_t* ra = s.texels + size_t(WrapIndex(y, s.texHeight, s.clampV)) * size_t(w);
    const uint32_t* rb = s.texels + size_t(WrapIndex(y + 1, s.texHeight, s.clampV)) * size_t(w);
    // Pixels whose texels (one, or two side by side) need no addressing.
    const int last = linear ? w - 2 : w - 1;
    const int from = std::clamp(-x, 0, n), to = std::clamp(last - x + 1, from, n);
    const bool copies = !linear || (fx == 0 && fy == 0);
    if (copies && from == 0 && to == n)
        return ra + x;
    auto edge = [&](int i) {
        const int xa = WrapIndex(x + i, w, s.clampU);
        if (!linear)
            return ra[xa];
        const int xb = WrapIndex(x + i + 1, w, s.clampU);
        return Lerp(Lerp(ra[xa], ra[xb], fx), Lerp(rb[xa], rb[xb], fx), fy);
    };
    for (int i = 0; i < from; ++i)
        out[i] = edge(i);
    if (to > from && !copies)
        MixRows(out + from, to - from, ra + x + from, rb + x + from, fx, fy);
    else if (to > from)
        std::memcpy(out + from, ra + x + from, size_t(to - from) * 4);
    for (int i = to; i < n; ++i)
        out[i] = edge(i);
    return out;
}

#ifdef KIVO_D3D_WIDE_SPANS
bool ProcessorHasAvx2()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

// PutRow's alpha blend into 32-bit pixels, eight at a time, to the same
// values as its four-at-a-time form; returns how many pixels it blended.
__attribute__((target("avx2"))) int PutRowAlphaWide(uint8_t* p, const uint32_t* c, int n)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i rgb = _mm256_set1_epi32(0xFFFFFF), full = _mm256_set1_epi32(255);
    const __m256i c128 = _mm256_set1_epi16(128), c255 = _mm256_set1_epi16(255);
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        auto* q = reinterpret_cast<__m256i*>(p + ptrdiff_t(i) * 4);
        const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(c + i));
        const __m256i sm = _mm256_and_si256(s, rgb);
        const __m256i a = _mm256_srli_epi32(s, 24);
        const __m256i opaque = _mm256_cmpeq_epi32(a, full), clear = _mm256_cmpeq_epi32(a, zero);
        const int opaqueBits = _mm256_movemask_epi8(opaque);
        if (opaqueBits == -1) {
            _mm256_storeu_si256(q, sm);
            continue;
        }
        if (opaqueBits == 0 && _mm256_movemask_epi8(clear) == -1)
            continue;
        const __m256i d = _mm256_loadu_si256(q);
        const __m256i dm = _mm256_and_si256(d, rgb);
        const __m256i sl = _mm256_unpacklo_epi8(s, zero), sh = _mm256_unpackhi_epi8(s, zero);
        const __m256i al = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(sl, 0xFF), 0xFF);
        const __m256i ah = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(sh, 0xFF), 0xFF);
        const __m256i dl = _mm256_unpacklo_epi8(dm, zero), dh = _mm256_unpackhi_epi8(dm, zero);
        __m256i bl = _mm256_add_epi16(_mm256_add_epi16(_mm256_mullo_epi16(sl, al),
                                                       _mm256_mullo_epi16(dl, _mm256_sub_epi16(c255, al))),
                                      c128);
        __m256i bh = _mm256_add_epi16(_mm256_add_epi16(_mm256_mullo_epi16(sh, ah),
                                                       _mm256_mullo_epi16(dh, _mm256_sub_epi16(c255, ah))),
                                      c128);
        bl = _mm256_srli_epi16(_mm256_add_epi16(bl, _mm256_srli_epi16(bl, 8)), 8);
        bh = _mm256_srli_epi16(_mm256_add_epi16(bh, _mm256_srli_epi16(bh, 8)), 8);
        const __m256i out = _mm256_or_si256(_mm256_and_si256(opaque, sm),
                                            _mm256_andnot_si256(opaque, _mm256_packus_epi16(bl, bh)));
        _mm256_storeu_si256(q, _mm256_or_si256(_mm256_and_si256(clear, d), _mm256_andnot_si256(clear, out)));
    }
    return i;
}
#endif

// Blends `n` combined colours into the target as Put does one by one.
template <typename Fmt, int Blend>
void PutRow(uint8_t* p, const uint32_t* c, int n, const SpanSetup& setup)
{
    int i = 0;
#ifdef KIVO_D3D_WIDE_SPANS
    if constexpr (std::is_same_v<Fmt, Fmt32> && Blend == kAlpha)
        if (setup.wide)
            i = PutRowAlphaWide(p, c, n);
#endif
#if defined(__SSE2__)
    if constexpr (std::is_same_v<Fmt, Fmt32> && Blend != kGeneral) {
        const __m128i zero = _mm_setzero_si128();
        const __m128i rgb = _mm_set1_epi32(0xFFFFFF);
        const __m128i c128 = _mm_set1_epi16(128), c255 = _mm_set1_epi16(255);
        // x * y / 255 rounded per 16-bit lane, as Mul255 and Mix2 round.
        auto round255 = [&](__m128i t) {
            t = _mm_add_epi16(t, c128);
            return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
        };
        auto alphaLanes = [](__m128i v) { return _mm_shufflehi_epi16(_mm_shufflelo_epi16(v, 0xFF), 0xFF); };
        for (; i + 4 <= n; i += 4) {
            auto* q = reinterpret_cast<__m128i*>(p + ptrdiff_t(i) * 4);
            const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(c + i));
            const __m128i sm = _mm_and_si128(s, rgb);
            if constexpr (Blend == kOpaque) {
                _mm_storeu_si128(q, sm);
                continue;
            }
            const __m128i a = _mm_srli_epi32(s, 24);
            if constexpr (Blend == kAlpha) {
                // Four opaque or four clear pixels: stored or left alone.
                const int opaque = _mm_movemask_epi8(_mm_cmpeq_epi32(a, _mm_set1_epi32(255)));
                if (opaque == 0xFFFF) {
                    _mm_storeu_si128(q, sm);
                    continue;
                }
                if (opaque == 0 && _mm_movemask_epi8(_mm_cmpeq_epi32(a, zero)) == 0xFFFF)
                    continue;
            }
            const __m128i d = _mm_loadu_si128(q);
            const __m128i dm = _mm_and_si128(d, rgb);
            const __m128i sl = _mm_unpacklo_epi8(s, zero), sh = _mm_unpackhi_epi8(s, zero);
            __m128i out, keep;
            if constexpr (Blend == kAlpha) {
                const __m128i al = alphaLanes(sl), ah = alphaLanes(sh);
                const __m128i dl = _mm_unpacklo_epi8(dm, zero), dh = _mm_unpackhi_epi8(dm, zero);
                const __m128i bl = round255(_mm_add_epi16(_mm_mullo_epi16(sl, al), _mm_mullo_epi16(dl, _mm_sub_epi16(c255, al))));
                const __m128i bh = round255(_mm_add_epi16(_mm_mullo_epi16(sh, ah), _mm_mullo_epi16(dh, _mm_sub_epi16(c255, ah))));
                const __m128i opaque = _mm_cmpeq_epi32(a, _mm_set1_epi32(255));
                out = _mm_or_si128(_mm_and_si128(opaque, sm), _mm_andnot_si128(opaque, _mm_packus_epi16(bl, bh)));
                keep = _mm_cmpeq_epi32(a, zero);
            } else if constexpr (Blend == kAdd) {
                out = _mm_adds_epu8(sm, dm);
                keep = _mm_cmpeq_epi32(sm, zero);
            } else { // kAlphaAdd
                const __m128i scaled = _mm_packus_epi16(round255(_mm_mullo_epi16(sl, alphaLanes(sl))),
                                                        round255(_mm_mullo_epi16(sh, alphaLanes(sh))));
                out = _mm_adds_epu8(_mm_and_si128(scaled, rgb), dm);
                keep = _mm_or_si128(_mm_cmpeq_epi32(a, zero), _mm_cmpeq_epi32(sm, zero));
            }
            _mm_storeu_si128(q, _mm_or_si128(_mm_and_si128(keep, d), _mm_andnot_si128(keep, out)));
        }
    }
#endif
    for (; i < n; ++i)
        Put<Fmt, Blend>(p + ptrdiff_t(i) * Fmt::kBytes, c[i], setup.factors);
}

// How far from one texel a step of u may be and still be drawn in runs of
// fixed weights: the set-up's rounding leaves unscaled quads a few 16.16
// units off.
constexpr int32_t kNearUnitStep = 16;

// A span of one colour (Filter 0), or one whose u steps by one texel give or
// take kNearUnitStep 16.16 units per pixel. With a step of 0x10000 + e, the
// n-th pixel's u is n whole texels plus the first pixel's u plus n e: the
// weights and the texel offset stay fixed while (u + n e) >> 8 does, so the
// span is drawn in runs of fixed weights (at least 256 / |e| pixels long).
template <typename Fmt, int Blend, int Filter>
void UnitStepSpan(uint8_t* p, int n, const SpanAttribs& at, int32_t stepU, const SpanSetup& s)
{
    uint32_t colours[kChunk];
    const uint32_t tint = Channel(at.a) << 24 | Channel(at.r) << 16 | Channel(at.g) << 8 | Channel(at.b);
    if constexpr (Filter == 0) {
        std::fill_n(colours, std::min(n, kChunk), tint);
        for (int done = 0; done < n; done += kChunk)
            PutRow<Fmt, Blend>(p + ptrdiff_t(done) * Fmt::kBytes, colours, std::min(kChunk, n - done), s);
        return;
    }
    const bool white = at.a >= (255 << 16) && at.r >= (255 << 16) && at.g >= (255 << 16) && at.b >= (255 << 16);
    const int64_t e = int64_t(stepU) - 0x10000;
    for (int done = 0; done < n;) {
        const int64_t u = int64_t(at.u) + int64_t(done) * stepU;
        int m = std::min(kChunk, n - done);
        if (e != 0) {
            const int64_t uu = Filter == 2 ? u - 0x8000 : u, base = uu & ~int64_t(0xFF);
            m = int(std::min<int64_t>(m, e < 0 ? (uu - base) / -e + 1 : (base + 256 - uu + e - 1) / e));
        }
        const uint32_t* texels = UnitStepTexels<Filter>(colours, m, int32_t(u), at.v, s);
        if (!white) {
            for (int i = 0; i < m; ++i)
                colours[i] = Combine(texels[i], at, s.alphaModulate);
            texels = colours;
        }
        PutRow<Fmt, Blend>(p + ptrdiff_t(done) * Fmt::kBytes, texels, m, s);
        done += m;
    }
}

template <typename Fmt, int Blend, int Filter>
void DrawSpan(uint8_t* row, int x0, int x1, SpanAttribs at, const SpanAttribs& step, const SpanSetup& s)
{
    uint8_t* p = row + ptrdiff_t(x0) * Fmt::kBytes;
    const int n = x1 - x0;
    // One colour, or u about one texel further per pixel and v fixed (and
    // u no further than 16.16 reaches): the chunked passes above.
    if (s.unitSteps && !s.gouraud &&
        (Filter == 0 ||
         (std::abs(step.u - 0x10000) <= kNearUnitStep && step.v == 0 &&
          int64_t(at.u) + int64_t(n) * step.u <= INT32_MAX))) {
        UnitStepSpan<Fmt, Blend, Filter>(p, n, at, step.u, s);
        return;
    }
    if constexpr (Filter == 0) {
        for (int i = 0; i < n; ++i, p += Fmt::kBytes) {
            Put<Fmt, Blend>(p, Channel(at.a) << 24 | Channel(at.r) << 16 | Channel(at.g) << 8 | Channel(at.b),
                            s.factors);
            at.a += step.a;
            at.r += step.r;
            at.g += step.g;
            at.b += step.b;
        }
        return;
    } else {
        const bool white = !s.gouraud && at.a >= (255 << 16) && at.r >= (255 << 16) && at.g >= (255 << 16) &&
                           at.b >= (255 << 16);
        // Point samples whose span stays inside the texture need no
        // addressing per texel.
        bool inside = false;
        if constexpr (Filter == 1) {
            const int64_t uEnd = int64_t(at.u) + int64_t(step.u) * (n - 1);
            const int64_t vEnd = int64_t(at.v) + int64_t(step.v) * (n - 1);
            const int64_t w = int64_t(s.texWidth) << 16, h = int64_t(s.texHeight) << 16;
            inside = at.u >= 0 && at.v >= 0 && uEnd >= 0 && vEnd >= 0 && at.u < w && uEnd < w && at.v < h && vEnd < h;
        }
        if (inside && white && step.v == 0) {
            const uint32_t* line = s.texels + size_t(at.v >> 16) * size_t(s.texWidth);
            for (int i = 0; i < n; ++i, p += Fmt::kBytes, at.u += step.u)
                Put<Fmt, Blend>(p, line[at.u >> 16], s.factors);
            return;
        }
        const size_t pitch = size_t(s.texWidth);
        for (int i = 0; i < n; ++i, p += Fmt::kBytes) {
            const uint32_t t = inside ? s.texels[size_t(at.v >> 16) * pitch + size_t(at.u >> 16)]
                                      : Sample<Filter>(s, at.u, at.v);
            Put<Fmt, Blend>(p, white ? t : Combine(t, at, s.alphaModulate), s.factors);
            at.u += step.u;
            at.v += step.v;
            if (s.gouraud) {
                at.a += step.a;
                at.r += step.r;
                at.g += step.g;
                at.b += step.b;
            }
        }
    }
}

using SpanFn = void (*)(uint8_t*, int, int, SpanAttribs, const SpanAttribs&, const SpanSetup&);

template <typename Fmt, int Blend>
SpanFn PickFilter(int filter)
{
    switch (filter) {
    case 0:
        return &DrawSpan<Fmt, Blend, 0>;
    case 1:
        return &DrawSpan<Fmt, Blend, 1>;
    default:
        return &DrawSpan<Fmt, Blend, 2>;
    }
}

template <typename Fmt>
SpanFn PickBlend(int blend, int filter)
{
    switch (blend) {
    case kOpaque:
        return PickFilter<Fmt, kOpaque>(filter);
    case kAlpha:
        return PickFilter<Fmt, kAlpha>(filter);
    case kAdd:
        return PickFilter<Fmt, kAdd>(filter);
    case kAlphaAdd:
        return PickFilter<Fmt, kAlphaAdd>(filter);
    default:
        return PickFilter<Fmt, kGeneral>(filter);
    }
}

enum TargetFormat { kTarget32, kTarget565, kTarget555, kTarget24, kTargetNone };

TargetFormat ClassifyTarget(const DDPIXELFORMAT& f)
{
    if (f.dwRGBBitCount == 32 && f.dwRBitMask == 0xFF0000 && f.dwGBitMask == 0xFF00 && f.dwBBitMask == 0xFF)
        return kTarget32;
    if (f.dwRGBBitCount == 24 && f.dwRBitMask == 0xFF0000 && f.dwGBitMask == 0xFF00 && f.dwBBitMask == 0xFF)
        return kTarget24;
    if (f.dwRGBBitCount == 16 && f.dwRBitMask == 0xF800 && f.dwGBitMask == 0x7E0 && f.dwBBitMask == 0x1F)
        return kTarget565;
    if (f.dwRGBBitCount == 16 && f.dwRBitMask == 0x7C00 && f.dwGBitMask == 0x3E0 && f.dwBBitMask == 0x1F)
        return kTarget555;
    return kTargetNone;
}

std::atomic<int> gDeviceCount { 0 };

class SoftDevice;

class SoftDirect3D final : public IDirect3D7 {
public:
    explicit SoftDirect3D(IDirectDraw7* directDraw) : directDraw_(directDraw) { directDraw_->AddRef(); }
    HRESULT QueryInterface(REFIID, void** out) override
    {
        if (out)
            *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override
    {
        const ULONG left = --refs_;
        if (left == 0) {
            directDraw_->Release();
            delete this;
        }
        return left;
    }
    HRESULT CreateDevice(REFIID type, IDirectDrawSurface7* target, IDirect3DDevice7** out) override;

private:
    ~SoftDirect3D() = default;
    IDirectDraw7* directDraw_;
    std::atomic<ULONG> refs_ { 1 };
};

struct Vertex {
    float x, y, u, v;
    uint32_t color;
};

class SoftDevice final : public IDirect3DDevice7 {
public:
    explicit SoftDevice(IDirectDrawSurface7* target) : target_(target)
    {
        target_->AddRef();
        ++gDeviceCount;
        SurfaceMemory m;
        GetSurfaceMemory(target_, m);
        viewport_ = { 0, 0, DWORD(m.width), DWORD(m.height), 0.0f, 1.0f };
    }

    HRESULT QueryInterface(REFIID, void** out) override
    {
        if (out)
            *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override
    {
        const ULONG left = --refs_;
        if (left == 0)
            delete this;
        return left;
    }

    HRESULT GetCaps(D3DDEVICEDESC7* desc) override
    {
        if (!desc)
            return DDERR_INVALIDPARAMS;
        if (HRESULT hr = DDrawEnter("GetCaps"); FAILED(hr))
            return hr;
        const DDrawControls& c = DDraw();
        *desc = {};
        desc->dpcTriCaps.dwSize = desc->dpcLineCaps.dwSize = sizeof(D3DPRIMCAPS);
        desc->dpcTriCaps.dwTextureCaps = c.d3dAlphaPalette ? D3DPTEXTURECAPS_ALPHAPALETTE : 0;
        desc->dwMinTextureWidth = c.d3dMinTextureWidth;
        desc->dwMinTextureHeight = c.d3dMinTextureHeight;
        desc->dwMaxTextureWidth = c.d3dMaxTextureWidth;
        desc->dwMaxTextureHeight = c.d3dMaxTextureHeight;
        desc->dwMaxTextureAspectRatio = c.d3dMaxTextureAspectRatio;
        desc->deviceGUID = IID_IDirect3DHALDevice;
        return DD_OK;
    }

    HRESULT EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK callback, void* context) override
    {
        if (!callback)
            return DDERR_INVALIDPARAMS;
        if (HRESULT hr = DDrawEnter("EnumTextureFormats"); FAILED(hr))
            return hr;
        const DWORD offered = DDraw().d3dTextureFormats;
        for (const OfferedFormat& f : kFormats) {
            if (!(offered & f.bit))
                continue;
            DDPIXELFORMAT copy = f.format;
            if (callback(&copy, context) == HRESULT(DDENUMRET_CANCEL))
                break;
        }
        return DD_OK;
    }

    HRESULT BeginScene() override
    {
        if (HRESULT hr = DDrawEnter("BeginScene"); FAILED(hr))
            return hr;
        if (inScene_)
            return D3DERR_SCENE_IN_SCENE;
        inScene_ = true;
        return DD_OK;
    }

    HRESULT EndScene() override
    {
        if (HRESULT hr = DDrawEnter("EndScene"); FAILED(hr))
            return hr;
        if (!inScene_)
            return D3DERR_SCENE_NOT_IN_SCENE;
        inScene_ = false;
        return DD_OK;
    }

    HRESULT SetRenderTarget(IDirectDrawSurface7* target, DWORD) override
    {
        if (!target)
            return DDERR_INVALIDPARAMS;
        if (HRESULT hr = DDrawEnter("SetRenderTarget"); FAILED(hr))
            return hr;
        SurfaceMemory m;
        GetSurfaceMemory(target, m);
        if (!(m.caps & DDSCAPS_3DDEVICE))
            return DDERR_INVALIDPARAMS;
        target->AddRef();
        target_->Release();
        target_ = target;
        return DD_OK;
    }

    HRESULT Clear(DWORD count, D3DRECT* rects, DWORD flags, DWORD color, float, DWORD) override
    {
        if (HRESULT hr = DDrawEnter("Clear"); FAILED(hr))
            return hr;
        if (count && !rects)
            return DDERR_INVALIDPARAMS;
        if (!(flags & D3DCLEAR_TARGET))
            return DD_OK;
        SurfaceMemory m;
        GetSurfaceMemory(target_, m);
        const D3DRECT whole { LONG(viewport_.dwX), LONG(viewport_.dwY), LONG(viewport_.dwX + viewport_.dwWidth),
                              LONG(viewport_.dwY + viewport_.dwHeight) };
        for (DWORD i = 0; i < std::max<DWORD>(count, 1); ++i) {
            const D3DRECT r = count ? rects[i] : whole;
            const int x0 = std::max<int>({ int(r.x1), int(whole.x1), 0 });
            const int y0 = std::max<int>({ int(r.y1), int(whole.y1), 0 });
            const int x1 = std::min<int>({ int(r.x2), int(whole.x2), m.width });
            const int y1 = std::min<int>({ int(r.y2), int(whole.y2), m.height });
            const int bytes = int(m.format.dwRGBBitCount / 8);
            uint32_t packed = 0;
            switch (ClassifyTarget(m.format)) {
            case kTarget565: {
                uint8_t p[2];
                Fmt565::Store(p, color);
                packed = uint32_t(p[0]) | uint32_t(p[1]) << 8;
                break;
            }
            case kTarget555: {
                uint8_t p[2];
                Fmt555::Store(p, color);
                packed = uint32_t(p[0]) | uint32_t(p[1]) << 8;
                break;
            }
            default:
                packed = color & 0xFFFFFF;
                break;
            }
            for (int y = y0; y < y1; ++y)
                for (int x = x0; x < x1; ++x)
                    std::memcpy(m.pixels + ptrdiff_t(y) * m.pitch + ptrdiff_t(x) * bytes, &packed, size_t(bytes));
        }
        return DD_OK;
    }

    HRESULT SetViewport(D3DVIEWPORT7* viewport) override
    {
        if (!viewport)
            return DDERR_INVALIDPARAMS;
        if (HRESULT hr = DDrawEnter("SetViewport"); FAILED(hr))
            return hr;
        SurfaceMemory m;
        GetSurfaceMemory(target_, m);
        if (uint64_t(viewport->dwX) + viewport->dwWidth > uint64_t(m.width) ||
            uint64_t(viewport->dwY) + viewport->dwHeight > uint64_t(m.height))
            return DDERR_INVALIDPARAMS;
        viewport_ = *viewport;
        return DD_OK;
    }

    HRESULT GetViewport(D3DVIEWPORT7* viewport) override
    {
        if (!viewport)
            return DDERR_INVALIDPARAMS;
        *viewport = viewport_;
        return DD_OK;
    }

    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override
    {
        if (HRESULT hr = DDrawEnter("SetRenderState"); FAILED(hr))
            return hr;
        switch (state) {
        case D3DRENDERSTATE_ALPHABLENDENABLE:
            alphaBlend_ = value != 0;
            break;
        case D3DRENDERSTATE_SRCBLEND:
            factors_.src = value;
            break;
        case D3DRENDERSTATE_DESTBLEND:
            factors_.dest = value;
            break;
        case D3DRENDERSTATE_CULLMODE:
            cull_ = value;
            break;
        default:
            break; // depth, dithering, specular and lighting do not apply here
        }
        return DD_OK;
    }

    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override
    {
        if (!value)
            return DDERR_INVALIDPARAMS;
        switch (state) {
        case D3DRENDERSTATE_ALPHABLENDENABLE:
            *value = alphaBlend_;
            break;
        case D3DRENDERSTATE_SRCBLEND:
            *value = factors_.src;
            break;
        case D3DRENDERSTATE_DESTBLEND:
            *value = factors_.dest;
            break;
        case D3DRENDERSTATE_CULLMODE:
            *value = cull_;
            break;
        default:
            *value = 0;
            break;
        }
        return DD_OK;
    }

    HRESULT SetTexture(DWORD stage, IDirectDrawSurface7* texture) override
    {
        if (HRESULT hr = DDrawEnter("SetTexture"); FAILED(hr))
            return hr;
        if (stage != 0)
            return DDERR_INVALIDPARAMS;
        if (texture) {
            SurfaceMemory m;
            GetSurfaceMemory(texture, m);
            if (!(m.caps & DDSCAPS_TEXTURE))
                return DDERR_INVALIDPARAMS;
            texture->AddRef();
        }
        if (texture_)
            texture_->Release();
        texture_ = texture;
        return DD_OK;
    }

    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE state, DWORD value) override
    {
        if (HRESULT hr = DDrawEnter("SetTextureStageState"); FAILED(hr))
            return hr;
        if (stage != 0)
            return DD_OK; // one stage is drawn; later stages keep their defaults (disabled)
        switch (state) {
        case D3DTSS_ALPHAOP:
            if (!DDraw().d3dIgnoreAlphaOp)
                alphaOp_ = value;
            break;
        case D3DTSS_MAGFILTER:
            magFilter_ = value;
            break;
        case D3DTSS_MINFILTER:
            minFilter_ = value;
            break;
        case D3DTSS_ADDRESSU:
            addressU_ = value;
            break;
        case D3DTSS_ADDRESSV:
            addressV_ = value;
            break;
        default:
            break;
        }
        return DD_OK;
    }

    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, DWORD fvf, void* vertices, DWORD count, DWORD) override
    {
        if (HRESULT hr = DDrawEnter("DrawPrimitive"); FAILED(hr))
            return hr;
        if (!inScene_)
            return D3DERR_SCENE_NOT_IN_SCENE;
        if (!(fvf & D3DFVF_XYZRHW))
            return D3DERR_INVALIDVERTEXTYPE;
        if (!vertices && count)
            return DDERR_INVALIDPARAMS;
        // Layout of the flexible vertex: position and rhw, then the optional
        // diffuse and specular colours, then one u, v pair.
        size_t stride = 16, diffuseAt = 0, texAt = 0;
        if (fvf & D3DFVF_DIFFUSE) {
            diffuseAt = stride;
            stride += 4;
        }
        if (fvf & D3DFVF_SPECULAR)
            stride += 4;
        if (fvf & D3DFVF_TEX1) {
            texAt = stride;
            stride += 8;
        }
        verts_.resize(count);
        const auto* bytes = static_cast<const uint8_t*>(vertices);
        for (DWORD i = 0; i < count; ++i) {
            const uint8_t* v = bytes + i * stride;
            Vertex& out = verts_[i];
            std::memcpy(&out.x, v, 4);
            std::memcpy(&out.y, v + 4, 4);
            out.color = 0xFFFFFFFF;
            if (diffuseAt)
                std::memcpy(&out.color, v + diffuseAt, 4);
            out.u = out.v = 0;
            if (texAt) {
                std::memcpy(&out.u, v + texAt, 4);
                std::memcpy(&out.v, v + texAt + 4, 4);
            }
        }
        if (!Prepare(texAt != 0))
            return DD_OK;
        const Vertex* v = verts_.data();
        switch (type) {
        case D3DPT_LINESTRIP:
            for (DWORD i = 0; i + 1 < count; ++i)
                Line(v[i], v[i + 1]);
            break;
        case D3DPT_LINELIST:
            for (DWORD i = 0; i + 1 < count; i += 2)
                Line(v[i], v[i + 1]);
            break;
        case D3DPT_TRIANGLELIST:
            for (DWORD i = 0; i + 2 < count; i += 3)
                Triangle(v[i], v[i + 1], v[i + 2]);
            break;
        case D3DPT_TRIANGLESTRIP:
            if (count == 4 && AxisAlignedQuad(v)) {
                Rectangle(v);
                break;
            }
            // Every other triangle swaps two vertices, so all keep the
            // first one's winding.
            for (DWORD i = 0; i + 2 < count; ++i) {
                if (i & 1)
                    Triangle(v[i + 1], v[i], v[i + 2]);
                else
                    Triangle(v[i], v[i + 1], v[i + 2]);
            }
            break;
        case D3DPT_TRIANGLEFAN:
            for (DWORD i = 1; i + 1 < count; ++i)
                Triangle(v[0], v[i], v[i + 1]);
            break;
        default:
            return D3DERR_INVALIDPRIMITIVETYPE;
        }
        return DD_OK;
    }

private:
    ~SoftDevice()
    {
        if (texture_)
            texture_->Release();
        target_->Release();
        --gDeviceCount;
    }

    // Binds the target, texture and span function for this draw; false when
    // nothing can be drawn.
    bool Prepare(bool hasTexCoords)
    {
        GetSurfaceMemory(target_, target_mem_);
        clipX0_ = int(viewport_.dwX);
        clipY0_ = int(viewport_.dwY);
        clipX1_ = std::min<int>(int(viewport_.dwX + viewport_.dwWidth), target_mem_.width);
        clipY1_ = std::min<int>(int(viewport_.dwY + viewport_.dwHeight), target_mem_.height);
        int filter = 0;
        setup_.texels = nullptr;
        if (texture_ && hasTexCoords) {
            SurfaceMemory t;
            GetSurfaceMemory(texture_, t);
            setup_.texels = GetSurfaceTexels(texture_);
            setup_.texWidth = t.width;
            setup_.texHeight = t.height;
            filter = magFilter_ == D3DTFG_LINEAR || minFilter_ == D3DTFN_LINEAR ? 2 : 1;
        }
        setup_.clampU = addressU_ == D3DTADDRESS_CLAMP;
        setup_.clampV = addressV_ == D3DTADDRESS_CLAMP;
        // Without a texture the stage passes the diffuse colour and alpha.
        setup_.alphaModulate = alphaOp_ == D3DTOP_MODULATE || !setup_.texels;
        setup_.factors = factors_;
        setup_.unitSteps = DDraw().d3dUnitStepSpans;
#ifdef KIVO_D3D_WIDE_SPANS
        static const bool avx2 = ProcessorHasAvx2();
        setup_.wide = avx2 && DDraw().d3dWideSpans;
#endif
        int blend = kOpaque;
        if (alphaBlend_) {
            const DWORD s = factors_.src, d = factors_.dest;
            if (s == D3DBLEND_SRCALPHA && d == D3DBLEND_INVSRCALPHA)
                blend = kAlpha;
            else if (s == D3DBLEND_ONE && d == D3DBLEND_ONE)
                blend = kAdd;
            else if (s == D3DBLEND_SRCALPHA && d == D3DBLEND_ONE)
                blend = kAlphaAdd;
            else if (!(s == D3DBLEND_ONE && d == D3DBLEND_ZERO))
                blend = kGeneral;
        }
        switch (ClassifyTarget(target_mem_.format)) {
        case kTarget32:
            span_ = PickBlend<Fmt32>(blend, filter);
            break;
        case kTarget565:
            span_ = PickBlend<Fmt565>(blend, filter);
            break;
        case kTarget555:
            span_ = PickBlend<Fmt555>(blend, filter);
            break;
        case kTarget24:
            span_ = PickBlend<Fmt24>(blend, filter);
            break;
        default:
            return false;
        }
        return clipX0_ < clipX1_ && clipY0_ < clipY1_;
    }

    // A strip (left top, left bottom, right top, right bottom) of one colour
    // whose texture runs along the axes: both triangles share one plane, so
    // the pair covers exactly the rectangle and is drawn as one.
    static bool AxisAlignedQuad(const Vertex* v)
    {
        return v[0].x == v[1].x && v[2].x == v[3].x && v[0].y == v[2].y && v[1].y == v[3].y && v[0].u == v[1].u &&
               v[2].u == v[3].u && v[0].v == v[2].v && v[1].v == v[3].v && v[0].color == v[1].color &&
               v[0].color == v[2].color && v[0].color == v[3].color && v[0].x != v[2].x && v[0].y != v[1].y;
    }

    void Rectangle(const Vertex* v)
    {
        const double area = (double(v[1].x) - v[0].x) * (double(v[2].y) - v[0].y) -
                            (double(v[2].x) - v[0].x) * (double(v[1].y) - v[0].y);
        if (!std::isfinite(area) || (cull_ == D3DCULL_CCW && area < 0) || (cull_ == D3DCULL_CW && area > 0))
            return;
        const double tw = setup_.texels ? setup_.texWidth : 0, th = setup_.texels ? setup_.texHeight : 0;
        const double dudx = (double(v[2].u) - v[0].u) * tw / (double(v[2].x) - v[0].x);
        const double dvdy = (double(v[1].v) - v[0].v) * th / (double(v[1].y) - v[0].y);
        const double left = std::min(v[0].x, v[2].x), right = std::max(v[0].x, v[2].x);
        const double top = std::min(v[0].y, v[1].y), bottom = std::max(v[0].y, v[1].y);
        const int xa = std::max(clipX0_, int(std::ceil(left)));
        const int xb = std::min(clipX1_, int(std::ceil(right)));
        const int ya = std::max(clipY0_, int(std::ceil(top)));
        const int yb = std::min(clipY1_, int(std::ceil(bottom)));
        if (xa >= xb || ya >= yb)
            return;
        auto fixed = [](double value) -> int32_t {
            const double f = value * 65536.0;
            return int32_t(f > 2147483000.0 ? 2147483000.0 : f < -2147483000.0 ? -2147483000.0 : f);
        };
        setup_.gouraud = false;
        const uint32_t c = v[0].color;
        const SpanAttribs step { fixed(dudx), 0, 0, 0, 0, 0 };
        SpanAttribs at { fixed(v[0].u * tw + (xa - double(v[0].x)) * dudx), 0, int32_t(c >> 24) << 16,
                         int32_t(c >> 16 & 0xFF) << 16, int32_t(c >> 8 & 0xFF) << 16, int32_t(c & 0xFF) << 16 };
        for (int y = ya; y < yb; ++y) {
            at.v = fixed(v[0].v * th + (y - double(v[0].y)) * dvdy);
            span_(target_mem_.pixels + ptrdiff_t(y) * target_mem_.pitch, xa, xb, at, step, setup_);
        }
    }

    void Triangle(const Vertex& a, const Vertex& b, const Vertex& c)
    {
        const double area = double(b.x - a.x) * double(c.y - a.y) - double(c.x - a.x) * double(b.y - a.y);
        if (!(area != 0) || !std::isfinite(area))
            return;
        // Screen y grows downwards: a positive area is clockwise on screen.
        if ((cull_ == D3DCULL_CCW && area < 0) || (cull_ == D3DCULL_CW && area > 0))
            return;
        const Vertex* v[3] = { &a, &b, &c };
        if (v[1]->y < v[0]->y)
            std::swap(v[0], v[1]);
        if (v[2]->y < v[1]->y)
            std::swap(v[1], v[2]);
        if (v[1]->y < v[0]->y)
            std::swap(v[0], v[1]);

        // Plane equations of the attributes: value at (x, y) = value at a
        // + dx (x - a.x) + dy (y - a.y). Colours only when they differ.
        const double inv = 1.0 / area;
        const double tw = setup_.texels ? setup_.texWidth : 0, th = setup_.texels ? setup_.texHeight : 0;
        setup_.gouraud = a.color != b.color || a.color != c.color;
        const int planes = setup_.gouraud ? 6 : 2;
        double dx[6] {}, dy[6] {}, base[6] {};
        const double abx = double(b.x) - a.x, aby = double(b.y) - a.y, acx = double(c.x) - a.x,
                     acy = double(c.y) - a.y;
        auto channel = [](uint32_t color, int i) { return double(color >> (24 - 8 * i) & 0xFF); };
        for (int i = 0; i < planes; ++i) {
            double va, vb, vc;
            if (i == 0) {
                va = a.u * tw, vb = b.u * tw, vc = c.u * tw;
            } else if (i == 1) {
                va = a.v * th, vb = b.v * th, vc = c.v * th;
            } else {
                va = channel(a.color, i - 2), vb = channel(b.color, i - 2), vc = channel(c.color, i - 2);
            }
            dx[i] = ((vb - va) * acy - (vc - va) * aby) * inv;
            dy[i] = ((vc - va) * abx - (vb - va) * acx) * inv;
            base[i] = va;
        }
        auto fixed = [](double value) -> int32_t {
            const double f = value * 65536.0;
            return int32_t(f > 2147483000.0 ? 2147483000.0 : f < -2147483000.0 ? -2147483000.0 : f);
        };
        SpanAttribs step { fixed(dx[0]), fixed(dx[1]), 0, 0, 0, 0 };
        SpanAttribs at {};
        if (setup_.gouraud) {
            step.a = fixed(dx[2]);
            step.r = fixed(dx[3]);
            step.g = fixed(dx[4]);
            step.b = fixed(dx[5]);
        } else {
            at.a = int32_t(a.color >> 24) << 16;
            at.r = int32_t(a.color >> 16 & 0xFF) << 16;
            at.g = int32_t(a.color >> 8 & 0xFF) << 16;
            at.b = int32_t(a.color & 0xFF) << 16;
        }

        // Rows whose pixel centre (an integer) lies in [top, bottom), and
        // in each the columns whose centre lies in [left, right).
        const double x0 = v[0]->x, y0 = v[0]->y, x1 = v[1]->x, y1 = v[1]->y, x2 = v[2]->x, y2 = v[2]->y;
        const int yStart = std::max(clipY0_, int(std::ceil(y0)));
        const int yEnd = std::min(clipY1_, int(std::ceil(y2)));
        const double longSlope = (x2 - x0) / (y2 - y0);
        const double topSlope = y1 > y0 ? (x1 - x0) / (y1 - y0) : 0;
        const double bottomSlope = y2 > y1 ? (x2 - x1) / (y2 - y1) : 0;
        for (int y = yStart; y < yEnd; ++y) {
            const double fy = y;
            const double xl = x0 + (fy - y0) * longSlope;
            const double xs = fy < y1 ? x0 + (fy - y0) * topSlope : x1 + (fy - y1) * bottomSlope;
            const double left = xl < xs ? xl : xs, right = xl < xs ? xs : xl;
            const int xa = std::max(clipX0_, int(std::ceil(left)));
            const int xb = std::min(clipX1_, int(std::ceil(right)));
            if (xa >= xb)
                continue;
            const double px = xa - double(a.x), py = fy - double(a.y);
            at.u = fixed(base[0] + dx[0] * px + dy[0] * py);
            at.v = fixed(base[1] + dx[1] * px + dy[1] * py);
            if (setup_.gouraud) {
                at.a = fixed(base[2] + dx[2] * px + dy[2] * py);
                at.r = fixed(base[3] + dx[3] * px + dy[3] * py);
                at.g = fixed(base[4] + dx[4] * px + dy[4] * py);
                at.b = fixed(base[5] + dx[5] * px + dy[5] * py);
            }
            span_(target_mem_.pixels + ptrdiff_t(y) * target_mem_.pitch, xa, xb, at, step, setup_);
        }
    }

    // A line lights the pixels its centre passes along the major axis,
    // without the last one.
    void Line(const Vertex& a, const Vertex& b)
    {
        const double dx = double(b.x) - a.x, dy = double(b.y) - a.y;
        const double len = std::max(std::fabs(dx), std::fabs(dy));
        const int steps = int(std::lround(len));
        if (steps <= 0)
            return;
        setup_.gouraud = false;
        const SpanAttribs zero {};
        for (int i = 0; i < steps; ++i) {
            const double t = double(i) / len;
            const int x = int(std::floor(a.x + dx * t + 0.5));
            const int y = int(std::floor(a.y + dy * t + 0.5));
            if (x < clipX0_ || x >= clipX1_ || y < clipY0_ || y >= clipY1_)
                continue;
            const uint32_t col = a.color;
            SpanAttribs at { int32_t(a.u * setup_.texWidth * 65536), int32_t(a.v * setup_.texHeight * 65536),
                             int32_t(col >> 24) << 16, int32_t(col >> 16 & 0xFF) << 16,
                             int32_t(col >> 8 & 0xFF) << 16, int32_t(col & 0xFF) << 16 };
            span_(target_mem_.pixels + ptrdiff_t(y) * target_mem_.pitch, x, x + 1, at, zero, setup_);
        }
    }

    IDirectDrawSurface7* target_;
    IDirectDrawSurface7* texture_ = nullptr;
    std::atomic<ULONG> refs_ { 1 };
    D3DVIEWPORT7 viewport_ {};
    bool inScene_ = false;
    bool alphaBlend_ = false;
    BlendFactors factors_ { D3DBLEND_ONE, D3DBLEND_ZERO };
    DWORD cull_ = D3DCULL_CCW;
    DWORD alphaOp_ = D3DTOP_SELECTARG1;
    DWORD magFilter_ = D3DTFG_POINT;
    DWORD minFilter_ = D3DTFN_POINT;
    DWORD addressU_ = D3DTADDRESS_WRAP;
    DWORD addressV_ = D3DTADDRESS_WRAP;
    std::vector<Vertex> verts_;
    SurfaceMemory target_mem_;
    SpanSetup setup_;
    SpanFn span_ = nullptr;
    int clipX0_ = 0, clipY0_ = 0, clipX1_ = 0, clipY1_ = 0;
};

HRESULT SoftDirect3D::CreateDevice(REFIID type, IDirectDrawSurface7* target, IDirect3DDevice7** out)
{
    if (!out)
        return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (HRESULT hr = DDrawEnter("CreateDevice"); FAILED(hr))
        return hr;
    if (!target || !(type == IID_IDirect3DHALDevice || type == IID_IDirect3DTnLHalDevice))
        return DDERR_INVALIDPARAMS;
    SurfaceMemory m;
    GetSurfaceMemory(target, m);
    if (!(m.caps & DDSCAPS_3DDEVICE))
        return DDERR_INVALIDPARAMS;
    if (ClassifyTarget(m.format) == kTargetNone)
        return DDERR_INVALIDPIXELFORMAT;
    *out = new SoftDevice(target);
    return DD_OK;
}

} // namespace

HRESULT CreateSoftDirect3D(IDirectDraw7* directDraw, IDirect3D7** out)
{
    if (!out)
        return DDERR_INVALIDPARAMS;
    *out = new SoftDirect3D(directDraw);
    return DD_OK;
}

} // namespace platform
