// The memory image's stretched blits, and the filtered stretch: separable in
// fixed point through precomputed weights per column and per row, by SSE2
// kernels or, where the processor has them, AVX2 ones to the same pixels.
// The nearest-pixel stretch is in MemoryImageFastStretch.cpp.
#include "framework/graphics/BltRects.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/MemoryImageBlits.h"
#include "framework/graphics/PixelBlend.h"
#include "framework/graphics/PixelRows.h"
#include "framework/graphics/SourcePixels.h"
#include "framework/raster/WideKernels.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <type_traits>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Kivo {

namespace {

// One weighted contribution of a source column (or row) to a cell (or row
// of cells).
struct Tap {
    int to;
    int from;
    uint32_t weight;
};

// The taps of one axis of the filtered stretch: `count` source items from
// `first` onto `cells` cells, `size` of them shown (cell 0 is a margin), for
// a source run starting at srcStart, `length` long. Enlarging fills cells
// 1..enlarged with weights out of `unit`.
std::vector<Tap> AxisTaps(int count, int first, double srcStart, double length, int size, int cells, int enlarged,
                          uint32_t unit)
{
    std::vector<Tap> taps;
    taps.reserve(static_cast<size_t>(2 * std::max(count, enlarged)));
    if (size <= length) {
        // Area averaging: item j covers the cells from j s + o to (j + 1) s + o,
        // o = (first - srcStart) s + 1; s <= 1, so it touches at most two.
        const double s = size / length;
        const double o = (first - srcStart) * s + 1.0;
        const uint32_t whole = static_cast<uint32_t>(s * 257);
        for (int j = 0; j < count; ++j) {
            const double start = j * s + o;
            const double end = (j + 1) * s + o;
            const int c0 = static_cast<int>(start);
            if (c0 < 0 || c0 >= cells)
                continue;
            const double boundary = c0 + 1;
            if (end <= boundary) {
                taps.push_back({ c0, j, whole });
                continue;
            }
            taps.push_back({ c0, j, static_cast<uint32_t>((boundary - start) * 257) });
            if (c0 + 1 < cells)
                taps.push_back({ c0 + 1, j, static_cast<uint32_t>((end - boundary) * 257) });
        }
        return taps;
    }
    // Enlarging: cell i takes the two items around (i - 1) step, both held to
    // the source area, the first weighted trunc((1 - frac) unit).
    const double step = size == 1 ? length : (length - 1) / (size - 1);
    const int last = first + count - 1;
    for (int i = 1; i <= enlarged; ++i) {
        const double p = std::clamp((i - 1) * step + srcStart, static_cast<double>(first), static_cast<double>(last));
        const int lo = static_cast<int>(p);
        const uint32_t w = static_cast<uint32_t>((1.0 - (p - lo)) * unit);
        taps.push_back({ i, lo - first, w });
        taps.push_back({ i, std::min(lo + 1, last) - first, unit - w });
    }
    return taps;
}

// The shown cells of one axis as the kernels read them: output k (cell
// k + 1) weighs `taps` consecutive source items from first[k] on, the same
// count for every output (the ones an output does not use weigh 0), each
// weight repeated for the four channels. Outputs past `shown`, up to a
// multiple of eight, weigh nothing.
struct AxisWeights {
    struct Extra {
        int output, column;
        uint16_t weight[4]; // one per channel
    };
    int shown = 0, outputs = 0, taps = 1;
    std::vector<int> first;
    std::vector<uint16_t> wide; // outputs x taps x 4
    std::vector<Extra> extras; // taps added one by one after the others

    uint16_t Weight(int k, int t) const { return wide[(static_cast<size_t>(k) * taps + t) * 4]; }
};

AxisWeights ResolveAxis(const std::vector<Tap>& taps, int shown, int count)
{
    AxisWeights a;
    a.shown = shown;
    a.outputs = (shown + 7) & ~7;
    a.first.assign(static_cast<size_t>(a.outputs), INT_MAX);
    std::vector<int> last(static_cast<size_t>(a.outputs), -1);
    for (const Tap& t : taps) {
        if (t.to < 1 || t.to > shown)
            continue;
        const size_t k = static_cast<size_t>(t.to - 1);
        a.first[k] = std::min(a.first[k], t.from);
        last[k] = std::max(last[k], t.from);
    }
    for (size_t k = 0; k < a.first.size(); ++k)
        if (last[k] >= 0)
            a.taps = std::max(a.taps, last[k] - a.first[k] + 1);
    // Every output's taps stay inside the source items: an output near the
    // end starts early, its first taps weighing nothing.
    for (size_t k = 0; k < a.first.size(); ++k)
        a.first[k] = last[k] < 0 ? 0 : std::min(a.first[k], count - a.taps);
    a.wide.assign(static_cast<size_t>(a.outputs) * a.taps * 4, 0);
    for (const Tap& t : taps) {
        if (t.to < 1 || t.to > shown)
            continue;
        const size_t k = static_cast<size_t>(t.to - 1);
        uint16_t* w = &a.wide[(k * a.taps + static_cast<size_t>(t.from - a.first[k])) * 4];
        for (int c = 0; c < 4; ++c)
            w[c] = static_cast<uint16_t>(w[c] + t.weight);
    }
    return a;
}

// Where no output takes more than three items, the third (when it weighs
// anything) is added on its own: in a reduction by less than two most
// outputs take only two.
void SplitThirdTaps(AxisWeights& a)
{
    if (a.taps != 3)
        return;
    std::vector<uint16_t> wide(static_cast<size_t>(a.outputs) * 2 * 4);
    for (int k = 0; k < a.outputs; ++k) {
        std::copy_n(&a.wide[static_cast<size_t>(k) * 12], 8, &wide[static_cast<size_t>(k) * 8]);
        if (const uint16_t w = a.Weight(k, 2))
            a.extras.push_back({ k, a.first[static_cast<size_t>(k)] + 2, { w, w, w, w } });
    }
    a.wide = std::move(wide);
    a.taps = 2;
}

// A cell of the horizontal pass: four 16-bit channel sums (blue, green, red,
// alpha) of at most 255 x 257 = 65535, each stored less 32768 so that the
// vertical pass reads it as a signed 16-bit number.
constexpr uint16_t kCellBias = 0x8000;

// The horizontal pass over one source row (the area's columns) into
// `cells`, four values per output.
template <int kTaps>
void HorizontalPass(const uint32_t* row, const AxisWeights& ax, uint16_t* cells)
{
    const int taps = kTaps ? kTaps : ax.taps;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i bias = _mm_set1_epi16(static_cast<short>(kCellBias));
    // Two outputs at a time; each pair of taps is one 64-bit load of two
    // neighbouring pixels per output. The axis is read into locals: the
    // stores to `cells` could otherwise be taken to change it.
    const int* first = ax.first.data();
    const uint16_t* wide = ax.wide.data();
    const int outputs = ax.outputs;
    for (int k = 0; k < outputs; k += 2) {
        const uint32_t* a = row + first[k];
        const uint32_t* b = row + first[k + 1];
        const uint16_t* wa = wide + static_cast<size_t>(k) * taps * 4;
        const uint16_t* wb = wa + taps * 4;
        __m128i sum = zero;
        int t = 0;
        for (; t + 2 <= taps; t += 2) {
            __m128i pa = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(a + t)), zero);
            __m128i pb = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(b + t)), zero);
            pa = _mm_mullo_epi16(pa, _mm_loadu_si128(reinterpret_cast<const __m128i*>(wa + t * 4)));
            pb = _mm_mullo_epi16(pb, _mm_loadu_si128(reinterpret_cast<const __m128i*>(wb + t * 4)));
            sum = _mm_add_epi16(sum, _mm_add_epi16(_mm_unpacklo_epi64(pa, pb), _mm_unpackhi_epi64(pa, pb)));
        }
        if (t < taps) {
            const __m128i pa = _mm_cvtsi32_si128(static_cast<int>(a[t]));
            const __m128i pb = _mm_cvtsi32_si128(static_cast<int>(b[t]));
            const __m128i p = _mm_unpacklo_epi8(_mm_unpacklo_epi32(pa, pb), zero);
            const __m128i w = _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(wa + t * 4)),
                                                 _mm_loadl_epi64(reinterpret_cast<const __m128i*>(wb + t * 4)));
            sum = _mm_add_epi16(sum, _mm_mullo_epi16(p, w));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(cells + static_cast<size_t>(k) * 4), _mm_xor_si128(sum, bias));
    }
#else
    for (int k = 0; k < ax.outputs; ++k) {
        const uint32_t* p = row + ax.first[static_cast<size_t>(k)];
        const uint16_t* w = ax.wide.data() + static_cast<size_t>(k) * taps * 4;
        for (int c = 0; c < 4; ++c) {
            uint32_t sum = 0;
            for (int t = 0; t < taps; ++t)
                sum += ((p[t] >> (8 * c)) & 0xFF) * w[t * 4];
            cells[static_cast<size_t>(k) * 4 + c] = static_cast<uint16_t>(sum ^ kCellBias);
        }
    }
#endif
}

void HorizontalPassAny(const uint32_t* row, const AxisWeights& ax, uint16_t* cells)
{
    switch (ax.taps) {
    case 1: HorizontalPass<1>(row, ax, cells); break;
    case 2: HorizontalPass<2>(row, ax, cells); break;
    case 3: HorizontalPass<3>(row, ax, cells); break;
    default: HorizontalPass<0>(row, ax, cells); break;
    }
    // Sums stay below 65536, so adding to the biased cells in 16 bits keeps
    // them exact.
    for (const AxisWeights::Extra& e : ax.extras) {
        uint16_t* cell = cells + static_cast<size_t>(e.output) * 4;
#if defined(__SSE2__)
        const __m128i p = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(row[e.column])), _mm_setzero_si128());
        const __m128i add = _mm_mullo_epi16(p, _mm_loadl_epi64(reinterpret_cast<const __m128i*>(e.weight)));
        const __m128i sum = _mm_add_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(cell)), add);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(cell), sum);
#else
        for (int c = 0; c < 4; ++c)
            cell[c] = static_cast<uint16_t>(cell[c] + ((row[e.column] >> (8 * c)) & 0xFF) * e.weight[c]);
#endif
    }
}

// A filtered pixel (each channel sum >> 16, held to 255) over the
// destination: nothing where its alpha is 0.
inline uint32_t FilteredOver(uint32_t d, uint32_t p)
{
    const uint32_t A = p >> 24;
    if (A == 0)
        return d;
    const uint32_t da = d >> 24;
    auto mix = [A](uint32_t c, uint32_t dc) { return ((c * A) >> 8) + ((dc * (256 - A)) >> 8); };
    return ((da + ((255 - da) * A) / 255) << 24) | (mix((p >> 16) & 0xFF, (d >> 16) & 0xFF) << 16) |
           (mix((p >> 8) & 0xFF, (d >> 8) & 0xFF) << 8) | mix(p & 0xFF, d & 0xFF);
}

// The vertical pass takes rows of cells two at a time: each channel of
// output cell x gains wa x cell x of `a` + wb x cell x of `b` (biased as
// stored), in 32 bits.
struct RowPair {
    const uint16_t* a;
    const uint16_t* b;
    uint32_t wa, wb;
};

#if defined(__SSE2__)
// Cells x and x + 1 of a pair, weighted.
inline void PairSums(const RowPair& r, int x, __m128i weights, __m128i& first, __m128i& second)
{
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r.a + static_cast<size_t>(x) * 4));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r.b + static_cast<size_t>(x) * 4));
    first = _mm_madd_epi16(_mm_unpacklo_epi16(a, b), weights);
    second = _mm_madd_epi16(_mm_unpackhi_epi16(a, b), weights);
}

inline __m128i PairWeights(const RowPair& r) { return _mm_set1_epi32(static_cast<int>(r.wa | r.wb << 16)); }
#endif

// acc (four 32-bit sums per cell) gains the pair; `start` begins it anew.
void AccumulatePair(const RowPair& r, int32_t* acc, int outputs, bool start)
{
#if defined(__SSE2__)
    const RowPair pair = r; // a local copy, as in OutputRow
    const __m128i w = PairWeights(pair);
    for (int x = 0; x < outputs; x += 2) {
        __m128i s0, s1;
        PairSums(pair, x, w, s0, s1);
        __m128i* out = reinterpret_cast<__m128i*>(acc + static_cast<size_t>(x) * 4);
        if (!start) {
            s0 = _mm_add_epi32(s0, _mm_loadu_si128(out));
            s1 = _mm_add_epi32(s1, _mm_loadu_si128(out + 1));
        }
        _mm_storeu_si128(out, s0);
        _mm_storeu_si128(out + 1, s1);
    }
#else
    for (size_t i = 0; i < static_cast<size_t>(outputs) * 4; ++i) {
        const int32_t s = static_cast<int32_t>(r.wa) * static_cast<int16_t>(r.a[i]) +
                          static_cast<int32_t>(r.wb) * static_cast<int16_t>(r.b[i]);
        acc[i] = start ? s : acc[i] + s;
    }
#endif
}

// The last one or two pairs of an output row, plus acc when there is one,
// plus `bias` (32768 x the row's weights, undoing the cells' bias), >> 16
// and held to 255: the filtered pixels, blended onto the destination row d
// of `shown` pixels. Where four pixels are all opaque they are stored, as
// their blend does not read the destination.
void OutputRow(const RowPair* pairs, int count, const int32_t* acc, int32_t bias, uint32_t* d, int shown)
{
#if defined(__SSE2__)
    // Local copies: the stores to d could otherwise be taken to change them.
    const RowPair first = pairs[0], second = pairs[count - 1];
    const __m128i w0 = PairWeights(first);
    const __m128i w1 = PairWeights(second);
    const __m128i b = _mm_set1_epi32(bias);
    const __m128i alpha = _mm_set1_epi32(static_cast<int>(0xFF000000));
    const __m128i one = _mm_set1_epi32(0x00010101);
    for (int x = 0; x < shown; x += 4) {
        __m128i s[4];
        PairSums(first, x, w0, s[0], s[1]);
        PairSums(first, x + 2, w0, s[2], s[3]);
        if (count == 2) {
            __m128i t[4];
            PairSums(second, x, w1, t[0], t[1]);
            PairSums(second, x + 2, w1, t[2], t[3]);
            for (int i = 0; i < 4; ++i)
                s[i] = _mm_add_epi32(s[i], t[i]);
        }
        for (int i = 0; i < 4; ++i) {
            if (acc)
                s[i] = _mm_add_epi32(s[i], _mm_loadu_si128(reinterpret_cast<const __m128i*>(
                                               acc + static_cast<size_t>(x + i) * 4)));
            s[i] = _mm_srli_epi32(_mm_add_epi32(s[i], b), 16);
        }
        const __m128i p = _mm_packus_epi16(_mm_packs_epi32(s[0], s[1]), _mm_packs_epi32(s[2], s[3]));
        const __m128i a = _mm_and_si128(p, alpha);
        const int n = std::min(4, shown - x);
        if (n == 4 && _mm_movemask_epi8(_mm_cmpeq_epi32(a, alpha)) == 0xFFFF) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + x), _mm_or_si128(_mm_subs_epu8(p, one), alpha));
            continue;
        }
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(a, _mm_setzero_si128())) == 0xFFFF)
            continue;
        uint32_t px[4];
        _mm_storeu_si128(reinterpret_cast<__m128i*>(px), p);
        for (int i = 0; i < n; ++i)
            d[x + i] = FilteredOver(d[x + i], px[i]);
    }
#else
    for (int x = 0; x < shown; ++x) {
        uint32_t p = 0;
        for (int c = 0; c < 4; ++c) {
            const size_t i = static_cast<size_t>(x) * 4 + c;
            int32_t s = bias + (acc ? acc[i] : 0);
            for (int k = 0; k < count; ++k)
                s += static_cast<int32_t>(pairs[k].wa) * static_cast<int16_t>(pairs[k].a[i]) +
                     static_cast<int32_t>(pairs[k].wb) * static_cast<int16_t>(pairs[k].b[i]);
            p |= std::min<uint32_t>(static_cast<uint32_t>(s) >> 16, 255) << (8 * c);
        }
        d[x] = FilteredOver(d[x], p);
    }
#endif
}

#if defined(KIVO_WIDE_KERNELS)
// The horizontal axis as the AVX2 pass reads it, four outputs k .. k + 3
// (a, b, c, d) a group: the group loads the eight source pixels from
// base[g] on, and one permute of them puts taps 0 and 1 of the outputs in
// the order a0 b0 a1 b1 | c0 d0 c1 d1, another tap 2 as a2 b2 _ _ | c2 d2 _ _,
// by the group's eight `index` values (the permute reads bits 0-2 of each,
// the second one bits 8-10, shifted down). Each tap then widens to
// a b | c d, and its 16 weights (one per output, repeated for the four
// channels) follow in that order, tap by tap. An axis fits where no output
// takes more than three items and every group's items lie within eight:
// enlarging, and reducing by up to about 1.6.
struct WideAxis {
    int taps = 2;
    std::vector<int> base;
    std::vector<int32_t> index;
    std::vector<uint16_t> weights;
};

bool FitWideAxis(const AxisWeights& a, int count, WideAxis& w)
{
    if (a.taps > 3 || count < 8)
        return false;
    w.taps = a.taps == 3 ? 3 : 2;
    const size_t groups = static_cast<size_t>(a.outputs / 4);
    const size_t indices = 8, per = static_cast<size_t>(w.taps) * 16;
    w.base.resize(groups);
    w.index.assign(groups * indices, 0);
    w.weights.assign(groups * per, 0);
    auto weight = [&a](int k, int t) { return t < a.taps ? a.Weight(k, t) : uint16_t{ 0 }; };
    for (size_t g = 0; g < groups; ++g) {
        const int k0 = static_cast<int>(g) * 4;
        int base = INT_MAX;
        for (int k = k0; k < k0 + 4; ++k)
            for (int t = 0; t < a.taps; ++t)
                if (weight(k, t))
                    base = std::min(base, a.first[static_cast<size_t>(k)]);
        base = std::min(base == INT_MAX ? 0 : base, count - 8);
        w.base[g] = base;
        int32_t* index = &w.index[g * indices];
        uint16_t* weights = &w.weights[g * per];
        // Taps that weigh nothing stay at index 0, weight 0.
        for (int t = 0; t < w.taps; ++t)
            for (int i = 0; i < 4; ++i) {
                const uint16_t v = weight(k0 + i, t);
                if (!v)
                    continue;
                const int at = a.first[static_cast<size_t>(k0 + i)] + t - base;
                if (at < 0 || at > 7)
                    return false;
                index[(i / 2) * 4 + (t % 2) * 2 + i % 2] |= at << (t / 2) * 8;
                std::fill_n(weights + (t * 4 + i) * 4, 4, v);
            }
    }
    return true;
}

// The horizontal pass over one source row, four outputs at a time.
template <int kTaps>
KIVO_AVX2 void HorizontalPassWide(const uint32_t* row, const WideAxis& ax, uint16_t* cells)
{
    const __m256i bias = _mm256_set1_epi16(static_cast<short>(kCellBias));
    const __m256i zero = _mm256_setzero_si256();
    const int* base = ax.base.data();
    const int* end = base + ax.base.size();
    const __m256i* index = reinterpret_cast<const __m256i*>(ax.index.data());
    const __m256i* w = reinterpret_cast<const __m256i*>(ax.weights.data());
    for (; base != end; ++base, ++index, w += kTaps, cells += 16) {
        const __m256i run = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + *base));
        const __m256i p = _mm256_permutevar8x32_epi32(run, _mm256_loadu_si256(index));
        __m256i sum = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(p, zero), _mm256_loadu_si256(w)),
                                       _mm256_mullo_epi16(_mm256_unpackhi_epi8(p, zero), _mm256_loadu_si256(w + 1)));
        if constexpr (kTaps == 3) {
            const __m256i q = _mm256_permutevar8x32_epi32(run, _mm256_srli_epi32(_mm256_loadu_si256(index), 8));
            sum = _mm256_add_epi16(sum, _mm256_mullo_epi16(_mm256_unpacklo_epi8(q, zero), _mm256_loadu_si256(w + 2)));
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(cells), _mm256_xor_si256(sum, bias));
    }
}

// Cells x .. x + 3 of a pair, weighted: x and x + 2 in `even`, x + 1 and
// x + 3 in `odd`.
KIVO_AVX2 inline void PairSumsWide(const RowPair& r, int x, __m256i weights, __m256i& even, __m256i& odd)
{
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(r.a + static_cast<size_t>(x) * 4));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(r.b + static_cast<size_t>(x) * 4));
    even = _mm256_madd_epi16(_mm256_unpacklo_epi16(a, b), weights);
    odd = _mm256_madd_epi16(_mm256_unpackhi_epi16(a, b), weights);
}

// OutputRow eight pixels at a time, for kCount pairs, with acc or without
// (kAcc): each form keeps its sums in registers.
template <int kCount, bool kAcc>
KIVO_AVX2 void OutputRowWideOf(const RowPair* pairs, const int32_t* acc, int32_t bias, uint32_t* d, int shown)
{
    const RowPair first = pairs[0], second = pairs[kCount - 1];
    const __m256i w0 = _mm256_set1_epi32(static_cast<int>(first.wa | first.wb << 16));
    const __m256i w1 = _mm256_set1_epi32(static_cast<int>(second.wa | second.wb << 16));
    const __m256i b = _mm256_set1_epi32(bias);
    const __m256i alpha = _mm256_set1_epi32(static_cast<int>(0xFF000000));
    const __m256i one = _mm256_set1_epi32(0x00010101);
    for (int x = 0; x < shown; x += 8) {
        // Cells x, x + 2 | x + 1, x + 3 | x + 4, x + 6 | x + 5, x + 7.
        __m256i s[4];
        PairSumsWide(first, x, w0, s[0], s[1]);
        PairSumsWide(first, x + 4, w0, s[2], s[3]);
        if constexpr (kCount == 2) {
            __m256i t[4];
            PairSumsWide(second, x, w1, t[0], t[1]);
            PairSumsWide(second, x + 4, w1, t[2], t[3]);
            for (int i = 0; i < 4; ++i)
                s[i] = _mm256_add_epi32(s[i], t[i]);
        }
        for (int i = 0; i < 4; ++i) {
            if constexpr (kAcc) {
                const int32_t* cell = acc + static_cast<size_t>(x + (i >> 1) * 4 + (i & 1)) * 4;
                const __m256i more = _mm256_inserti128_si256(
                    _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(cell))),
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(cell + 8)), 1);
                s[i] = _mm256_add_epi32(s[i], more);
            }
            s[i] = _mm256_srli_epi32(_mm256_add_epi32(s[i], b), 16);
        }
        // The packs work within halves: back to x .. x + 7 by 64-bit pairs.
        const __m256i p = _mm256_permute4x64_epi64(
            _mm256_packus_epi16(_mm256_packs_epi32(s[0], s[1]), _mm256_packs_epi32(s[2], s[3])), 0xD8);
        const __m256i a = _mm256_and_si256(p, alpha);
        const int n = std::min(8, shown - x);
        if (n == 8 && _mm256_movemask_epi8(_mm256_cmpeq_epi32(a, alpha)) == -1) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + x), _mm256_or_si256(_mm256_subs_epu8(p, one), alpha));
            continue;
        }
        if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(a, _mm256_setzero_si256())) == -1)
            continue;
        uint32_t px[8];
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(px), p);
        for (int i = 0; i < n; ++i)
            d[x + i] = FilteredOver(d[x + i], px[i]);
    }
}

void OutputRowWide(const RowPair* pairs, int count, const int32_t* acc, int32_t bias, uint32_t* d, int shown)
{
    if (count == 2) {
        (acc ? OutputRowWideOf<2, true> : OutputRowWideOf<2, false>)(pairs, acc, bias, d, shown);
    } else {
        (acc ? OutputRowWideOf<1, true> : OutputRowWideOf<1, false>)(pairs, acc, bias, d, shown);
    }
}
#endif

// Separable: a horizontal pass turns each source row of the area into cells
// of 16-bit sums, a vertical pass weighs rows of cells into 32-bit sums. Rows
// of the horizontal pass are made as the output needs them, in order, each
// once.
template <typename Pixels>
void FilteredStretch(uint32_t* dst, int dstWidth, const Rect& dest, const Pixels& src, int srcWidth,
                     int srcHeight, const FRect& area)
{
    int x0 = static_cast<int>(std::floor(area.mX));
    int y0 = static_cast<int>(std::floor(area.mY));
    int width = static_cast<int>(std::ceil(area.mX - x0 + area.mWidth));
    int height = static_cast<int>(std::ceil(area.mY - y0 + area.mHeight));
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    width = std::min(width, srcWidth - x0);
    height = std::min(height, srcHeight - y0);
    if (width < 1 || height < 1)
        return;
    const int dw = dest.mWidth;
    const int dh = dest.mHeight;
    AxisWeights across = ResolveAxis(AxisTaps(width, x0, area.mX, area.mWidth, dw, dw + 4, dw + 2, 257), dw, width);
    [[maybe_unused]] const bool wide = WideKernels();
#if defined(KIVO_WIDE_KERNELS)
    WideAxis wideAcross;
    const bool wideRows = wide && FitWideAxis(across, width, wideAcross);
#else
    const bool wideRows = false;
#endif
    if (!wideRows)
        SplitThirdTaps(across);
    const AxisWeights down = ResolveAxis(AxisTaps(height, y0, area.mY, area.mHeight, dh, dh + 4, dh, 256), dh, height);

    // A palette source's row is looked up into `expanded` first.
    std::vector<uint32_t> expanded;
    auto sourceRow = [&](int j) -> const uint32_t* {
        const size_t start = static_cast<size_t>(y0 + j) * srcWidth + x0;
        if constexpr (std::is_same_v<Pixels, DirectPixels>) {
            return src.bits + start;
        } else {
            expanded.resize(static_cast<size_t>(width));
            for (int i = 0; i < width; ++i)
                expanded[static_cast<size_t>(i)] = src[start + static_cast<size_t>(i)];
            return expanded.data();
        }
    };
    // The last rows of the horizontal pass; a new one takes the place of
    // the lowest, as the rows are asked for in order and no output row
    // reads more than four at once.
    constexpr int kSlots = 4;
    const size_t rowCells = static_cast<size_t>(across.outputs) * 4;
    std::vector<uint16_t> made(rowCells * kSlots);
    int madeRow[kSlots] = { -1, -1, -1, -1 };
    auto cellRow = [&](int j) -> const uint16_t* {
        int slot = 0;
        for (int k = 0; k < kSlots; ++k) {
            if (madeRow[k] == j)
                return made.data() + rowCells * k;
            if (madeRow[k] < madeRow[slot])
                slot = k;
        }
        uint16_t* cells = made.data() + rowCells * slot;
#if defined(KIVO_WIDE_KERNELS)
        if (wideRows) {
            (wideAcross.taps == 3 ? HorizontalPassWide<3> : HorizontalPassWide<2>)(sourceRow(j), wideAcross, cells);
        } else
#endif
            HorizontalPassAny(sourceRow(j), across, cells);
        madeRow[slot] = j;
        return cells;
    };

    std::vector<int32_t> acc;
    for (int y = 0; y < dh; ++y) {
        // The row's taps that weigh something, lo..hi, in pairs; an odd last
        // one pairs with itself at weight 0.
        int lo = down.taps, hi = -1;
        int32_t total = 0;
        for (int t = 0; t < down.taps; ++t) {
            const int32_t w = down.Weight(y, t);
            total += w;
            if (w) {
                lo = std::min(lo, t);
                hi = t;
            }
        }
        if (hi < 0)
            continue; // all sums 0: nothing drawn
        const int first = down.first[static_cast<size_t>(y)];
        const int pairCount = (hi - lo + 2) / 2;
        RowPair pairs[2], early;
        bool accumulated = false;
        for (int k = 0; k < pairCount; ++k) {
            const int t = lo + 2 * k;
            const int second = std::min(t + 1, hi);
            const int fused = k - std::max(0, pairCount - 2);
            RowPair& pair = fused < 0 ? early : pairs[fused];
            pair.a = cellRow(first + t);
            pair.b = cellRow(first + second);
            pair.wa = down.Weight(y, t);
            pair.wb = second == t ? 0 : down.Weight(y, second);
            if (fused < 0) {
                acc.resize(rowCells);
                AccumulatePair(pair, acc.data(), across.outputs, !accumulated);
                accumulated = true;
            }
        }
        auto* output = OutputRow;
#if defined(KIVO_WIDE_KERNELS)
        if (wide)
            output = OutputRowWide;
#endif
        output(pairs, std::min(pairCount, 2), accumulated ? acc.data() : nullptr, total * 32768,
               dst + static_cast<size_t>(dest.mY + y) * dstWidth + dest.mX, dw);
    }
}

} // namespace

void FilteredStretchBlt(MemoryImage* source, const FRect& srcArea, uint32_t* bits, int dstWidth,
                        const Rect& clippedDest)
{
    WithSourcePixels(source, [&](const auto& pixels) {
        FilteredStretch(bits, dstWidth, clippedDest, pixels, source->mWidth, source->mHeight, srcArea);
    });
}

void MemoryImage::StretchBlt(Image* source, const Rect& destRect, const Rect& srcRect, const Rect& clipRect,
                             const Color& color, int drawMode, bool fastStretch)
{
    (void)drawMode; // neither stretch has an additive form
    source->mDrawn = true;
    auto* src = dynamic_cast<MemoryImage*>(source);
    Rect dest;
    FRect area;
    if (!src || !SourceRectInside(srcRect, src) ||
        !GetStretchBltRects(srcRect, ClipToImage(clipRect, this), destRect, dest, area))
        return;
    uint32_t* dst = GetBits();
    if (fastStretch) {
        FastStretchBlt(src, srcRect, area, dst, mWidth, dest, color);
    } else {
        FilteredStretchBlt(src, area, dst, mWidth, dest);
    }
    BitsChanged();
}

} // namespace Kivo
