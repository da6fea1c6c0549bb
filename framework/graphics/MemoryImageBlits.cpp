// The memory image's blits that do not map pixels one to one: sub-pixel
// placement, rotation, stretching, matrix and textured triangles.
#include "framework/graphics/MemoryImageBlits.h"

#include "framework/graphics/BltRects.h"
#include "framework/graphics/GraphicsHost.h"
#include "framework/graphics/Matrix3x3.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/MemoryImageRaster.h"
#include "framework/graphics/PixelBlend.h"
#include "framework/graphics/PixelRows.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace Kivo {

namespace {

bool IsWhite(const Color& c) { return c.mRed == 255 && c.mGreen == 255 && c.mBlue == 255 && c.mAlpha == 255; }

uint32_t Channel(int v) { return static_cast<uint32_t>(v & 0xFF); }

// The source rect must lie wholly inside the source: the blits below read
// every pixel of it (and the filters their neighbours) without further tests.
bool SourceRectInside(const Rect& r, const Image* image)
{
    return r.mWidth > 0 && r.mHeight > 0 && r.mX >= 0 && r.mY >= 0 && r.mX <= image->mWidth - r.mWidth &&
           r.mY <= image->mHeight - r.mHeight;
}

Rect ClipToImage(const Rect& clip, const Image* image)
{
    return clip.Intersection(Rect(0, 0, image->mWidth, image->mHeight));
}

// Pixels of a source: its bits, or its 256-colour form.
struct DirectPixels {
    const uint32_t* bits;
    uint32_t operator[](size_t i) const { return bits[i]; }
};
struct PalettePixels {
    const uint32_t* table;
    const uint8_t* indices;
    uint32_t operator[](size_t i) const { return table[indices[i]]; }
};

template <typename Run>
void WithSourcePixels(MemoryImage* src, Run run)
{
    if (!src->mBits && src->mColorTable && src->mColorIndices)
        run(PalettePixels{ src->mColorTable, src->mColorIndices });
    else
        run(DirectPixels{ src->GetBits() });
}

// value x 65536 truncated, held inside a range where the span arithmetic
// below cannot overflow; NaN gives 0.
int64_t Fixed(double value)
{
    const double v = value * 65536.0;
    if (!(v == v))
        return 0;
    return static_cast<int64_t>(std::clamp(v, -4e15, 4e15));
}

// Narrows [start, end] so that every 2 x 2 tap along the row stays inside a
// source of `size` pixels along this axis; false when no pixel can.
// `position` is the row's first 16.16 position and `step` the step per
// pixel. The bounds are chosen so that truncating divisions err inwards.
bool LimitSpan(int64_t position, int64_t step, int64_t size, bool vertical, int64_t& start, int64_t& end)
{
    const int64_t full = size << 16;
    if (step < 0) {
        if ((position >> 16) < 0)
            return false;
        start = std::max(start, (full - position - 0x27FFF) / step);
        end = std::min(end, vertical ? -(position / step) : (0x7FFF - position) / step);
    } else if (step == 0) {
        if (position < 0 || position >= full - 0x10000)
            return false;
    } else {
        if ((position >> 16) >= size - 1)
            return false;
        start = std::max(start, (0x10000 - position) / step);
        end = std::min(end, (full - position - 0x17FFF) / step);
    }
    return true;
}

// The rotated blit's walk: for each destination pixel of the bounds whose
// taps lie in the source rect, `blend(d, taps, weights)` mixes the four taps
// (top-left, top-right, bottom-left, bottom-right) with their 16-bit weights
// into destination pixel d.
template <typename Pixels, typename Blend>
void RotatedWalk(uint32_t* dst, int dstWidth, const Pixels& src, int srcWidth, const Rect& srcRect,
                 const FRect& bounds, double angle, float x, float y, float cx, float cy, Blend blend)
{
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    const int64_t du = static_cast<int64_t>(c * 65536);
    const int64_t dv = static_cast<int64_t>(s * 65536);
    const int x0 = static_cast<int>(bounds.mX);
    const int y0 = static_cast<int>(bounds.mY);
    const int64_t last = static_cast<int64_t>(bounds.mWidth - 1.0);
    for (int row = 0; row < bounds.mHeight; ++row) {
        const double dx = static_cast<double>(x0) - cx - x;
        const double dy = static_cast<double>(y0 + row) - cy - y;
        const int64_t uRow = Fixed(dx * c - dy * s + cx);
        const int64_t vRow = Fixed(dy * c + dx * s + cy);
        int64_t start = 0;
        int64_t end = last;
        if (!LimitSpan(uRow, du, srcRect.mWidth, false, start, end) ||
            !LimitSpan(vRow, dv, srcRect.mHeight, true, start, end) || start > end)
            continue;
        // Inside the span every position lies in the source rect, so 32 bits
        // hold it.
        int32_t u = static_cast<int32_t>(uRow + du * start);
        int32_t v = static_cast<int32_t>(vRow + dv * start);
        uint32_t* d = dst + static_cast<size_t>(y0 + row) * dstWidth + x0;
        for (int64_t i = start; i <= end; ++i, u += static_cast<int32_t>(du), v += static_cast<int32_t>(dv)) {
            const size_t at = static_cast<size_t>(srcRect.mY + (v >> 16)) * srcWidth + srcRect.mX + (u >> 16);
            const uint32_t taps[4] = { src[at], src[at + 1], src[at + srcWidth], src[at + srcWidth + 1] };
            // Odd fractions: no weight is ever 0 or 0x10000.
            const uint32_t fx = (static_cast<uint32_t>(u) & 0xFFFE) + 1;
            const uint32_t fy = (static_cast<uint32_t>(v) & 0xFFFE) + 1;
            const uint32_t gx = 0x10000 - fx;
            const uint32_t gy = 0x10000 - fy;
            const uint32_t weights[4] = { (gx * gy) >> 16, (fx * gy) >> 16, (gx * fy) >> 16, (fx * fy) >> 16 };
            blend(d[i], taps, weights);
        }
    }
}

struct Sums {
    uint32_t alpha = 0, red = 0, green = 0, blue = 0;
};

// Each tap's alpha weight ((weight x alpha) >> 16, then x alphaScale >> 8;
// 256 leaves it as it is) and the channel sums weighted by them.
Sums WeightedSums(const uint32_t (&taps)[4], const uint32_t (&weights)[4], uint32_t alphaScale)
{
    Sums s;
    for (int k = 0; k < 4; ++k) {
        const uint32_t a = (((weights[k] * (taps[k] >> 24)) >> 16) * alphaScale) >> 8;
        s.alpha += a;
        s.red += ((taps[k] >> 16) & 0xFF) * a;
        s.green += ((taps[k] >> 8) & 0xFF) * a;
        s.blue += (taps[k] & 0xFF) * a;
    }
    return s;
}

template <typename Pixels>
void RotatedBlt(uint32_t* dst, int dstWidth, const Pixels& src, int srcWidth, const Rect& srcRect,
                const FRect& bounds, double angle, float x, float y, float cx, float cy, const Color& color,
                int drawMode, const uint8_t* t)
{
    const bool white = IsWhite(color);
    const uint32_t cr = Channel(color.mRed), cg = Channel(color.mGreen), cb = Channel(color.mBlue);
    const uint32_t ca = Channel(color.mAlpha);
    auto walk = [&](auto blend) {
        RotatedWalk(dst, dstWidth, src, srcWidth, srcRect, bounds, angle, x, y, cx, cy, blend);
    };
    if (drawMode == DRAWMODE_NORMAL) {
        walk([=](uint32_t& d, const uint32_t(&taps)[4], const uint32_t(&weights)[4]) {
            Sums s = WeightedSums(taps, weights, white ? 256 : ca);
            const uint32_t A = s.alpha;
            if (A == 0)
                return;
            if (!white) {
                s.red = (s.red >> 8) * (cr + 1);
                s.green = (s.green >> 8) * (cg + 1);
                s.blue = (s.blue >> 8) * (cb + 1);
            }
            s.red &= ~0xFFu;
            s.green &= ~0xFFu;
            s.blue &= ~0xFFu;
            if (A >= 251) {
                d = 0xFF000000 | ((s.red >> 8) << 16) | ((s.green >> 8) << 8) | (s.blue >> 8);
                return;
            }
            const uint32_t da = d >> 24;
            const uint32_t D = 256 - (((256 - da) * (256 - A)) >> 8);
            auto mix = [&](uint32_t dc, uint32_t sc) { return (((dc * da) >> 8) * (256 - A) + sc) / D; };
            d = ((D - 1) << 24) | (mix((d >> 16) & 0xFF, s.red) << 16) | (mix((d >> 8) & 0xFF, s.green) << 8) |
                mix(d & 0xFF, s.blue);
        });
        return;
    }
    // Additive: the destination's alpha is kept; the saturation table adds.
    auto add = [t](uint32_t d, uint32_t r, uint32_t g, uint32_t b) {
        return (d & 0xFF000000) | (static_cast<uint32_t>(t[((d >> 16) & 0xFF) + r]) << 16) |
               (static_cast<uint32_t>(t[((d >> 8) & 0xFF) + g]) << 8) | t[(d & 0xFF) + b];
    };
    if (white) {
        walk([=](uint32_t& d, const uint32_t(&taps)[4], const uint32_t(&weights)[4]) {
            const Sums s = WeightedSums(taps, weights, 256);
            if (s.alpha)
                d = add(d, s.red >> 8, s.green >> 8, s.blue >> 8);
        });
        return;
    }
    const uint32_t kr = (cr * ca) / 255, kg = (cg * ca) / 255, kb = (cb * ca) / 255;
    walk([=](uint32_t& d, const uint32_t(&taps)[4], const uint32_t(&weights)[4]) {
        const Sums s = WeightedSums(taps, weights, 256);
        if (s.alpha)
            d = add(d, ((s.red >> 8) * kr) >> 8, (s.green * kg) >> 16, (s.blue * kb) >> 16);
    });
}

// Over-blend of a source pixel; an opaque one's weight and new alpha are
// always 255 whatever the destination, so it does not read it.
inline uint32_t Over(uint32_t d, uint32_t s)
{
    const uint32_t a = s >> 24;
    if (a == 255)
        return rows::OpaqueOver(s);
    return a ? blend::OverShiftThenSum(d, s, a) : d;
}

// Nearest pixel. Pixel i of a row reads the column reached after i + 1
// steps, which passes the source rect's last column on the last pixel; the
// column and row are held to the source rect.
template <typename Pixels>
void FastStretch(uint32_t* dst, int dstWidth, const Rect& dest, const Pixels& src, int srcWidth,
                 const Rect& srcRect, const FRect& area)
{
    const double stepX = area.mWidth / dest.mWidth;
    const double stepY = area.mHeight / dest.mHeight;
    const int lastCol = srcRect.mX + srcRect.mWidth - 1;
    const int lastRow = srcRect.mY + srcRect.mHeight - 1;
    // Every row reads the same columns.
    std::vector<int> columns(static_cast<size_t>(dest.mWidth));
    double pos = area.mX;
    for (int& c : columns) {
        pos += stepX;
        c = std::clamp(static_cast<int>(pos), srcRect.mX, lastCol);
    }
    for (int r = 0; r < dest.mHeight; ++r) {
        const int sy = std::clamp(static_cast<int>(area.mY + r * stepY), srcRect.mY, lastRow);
        const size_t rowStart = static_cast<size_t>(sy) * srcWidth;
        uint32_t* d = dst + static_cast<size_t>(dest.mY + r) * dstWidth + dest.mX;
        for (int i = 0; i < dest.mWidth; ++i)
            d[i] = Over(d[i], src[rowStart + static_cast<size_t>(columns[static_cast<size_t>(i)])]);
    }
}

// Four channel sums, two to a 64-bit word (blue and red, green and alpha)
// so that one multiplication weighs two. No sum reaches 2^32 (at most
// 255 x 257 x 257), so the halves never carry into each other.
struct Cell {
    uint64_t blueRed = 0, greenAlpha = 0;

    void Add(uint32_t pixel, uint32_t w)
    {
        blueRed += ((pixel & 0xFF) | (uint64_t(pixel & 0xFF0000) << 16)) * w;
        greenAlpha += (((pixel >> 8) & 0xFF) | (uint64_t(pixel >> 24) << 32)) * w;
    }
    void Add(const Cell& c, uint32_t w)
    {
        blueRed += c.blueRed * w;
        greenAlpha += c.greenAlpha * w;
    }
    uint32_t Blue() const { return static_cast<uint32_t>(blueRed); }
    uint32_t Red() const { return static_cast<uint32_t>(blueRed >> 32); }
    uint32_t Green() const { return static_cast<uint32_t>(greenAlpha); }
    uint32_t Alpha() const { return static_cast<uint32_t>(greenAlpha >> 32); }
};

// One weighted contribution of a source column (or row of cells) to a cell
// (or row of cells).
struct Tap {
    int to;
    int from;
    uint32_t weight;
};

// The taps of one axis of the filtered stretch: `count` source items from
// `first` onto `cells` cells, `size` of them shown (cell 0 is a margin), for
// a source run starting at srcStart, `length` long. Enlarging fills cells
// 1..enlarged with weights out of `unit`. The taps come sorted by cell.
std::vector<Tap> AxisTaps(int count, int first, double srcStart, double length, int size, int cells, int enlarged,
                          uint32_t unit)
{
    std::vector<Tap> taps;
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
        std::stable_sort(taps.begin(), taps.end(), [](const Tap& a, const Tap& b) { return a.to < b.to; });
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

// Separable: a horizontal pass turns each source row of the area into cells
// of 8.8 sums, a vertical pass mixes rows of cells. Rows of either pass are
// made as the output needs them, in order, so only a few are held.
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
    const int stride = dw + 4;
    const std::vector<Tap> across = AxisTaps(width, x0, area.mX, area.mWidth, dw, stride, dw + 2, 257);
    const std::vector<Tap> down = AxisTaps(height, y0, area.mY, area.mHeight, dh, dh + 4, dh, 256);

    // The last two rows of the horizontal pass.
    std::vector<Cell> made[2] = { std::vector<Cell>(static_cast<size_t>(stride)),
                                  std::vector<Cell>(static_cast<size_t>(stride)) };
    int madeRow[2] = { -1, -1 };
    int next = 0;
    auto sourceRow = [&](int j) -> const Cell* {
        for (int k = 0; k < 2; ++k)
            if (madeRow[k] == j)
                return made[k].data();
        std::vector<Cell>& cells = made[next];
        std::fill(cells.begin(), cells.end(), Cell());
        const size_t rowStart = static_cast<size_t>(y0 + j) * srcWidth + x0;
        for (const Tap& t : across)
            cells[static_cast<size_t>(t.to)].Add(src[rowStart + static_cast<size_t>(t.from)], t.weight);
        madeRow[next] = j;
        next ^= 1;
        return cells.data();
    };

    // Both passes weigh by up to 257, so a full channel can sum to
    // 255 x 257 x 257, which is 256 after the shift: held to 255 so that it
    // cannot spill into the next channel.
    auto value = [](uint32_t sum) { return std::min<uint32_t>(sum >> 16, 255); };
    std::vector<Cell> row(static_cast<size_t>(stride));
    size_t t = 0;
    // Output row y is cell row y + 1; cell row 0 and those past dh are not
    // shown.
    while (t < down.size() && down[t].to < 1)
        ++t;
    for (int y = 0; y < dh; ++y) {
        std::fill(row.begin(), row.end(), Cell());
        for (; t < down.size() && down[t].to == y + 1; ++t) {
            const Cell* in = sourceRow(down[t].from);
            for (int c = 0; c < stride; ++c)
                row[static_cast<size_t>(c)].Add(in[c], down[t].weight);
        }
        const Cell* cells = row.data() + 1;
        uint32_t* d = dst + static_cast<size_t>(dest.mY + y) * dstWidth + dest.mX;
        for (int x = 0; x < dw; ++x) {
            const uint32_t A = value(cells[x].Alpha());
            if (A == 0)
                continue;
            const uint32_t p = d[x];
            const uint32_t da = p >> 24;
            auto mix = [&](uint32_t c, uint32_t dc) { return ((c * A) >> 8) + ((dc * (256 - A)) >> 8); };
            d[x] = ((da + ((255 - da) * A) / 255) << 24) | (mix(value(cells[x].Red()), (p >> 16) & 0xFF) << 16) |
                   (mix(value(cells[x].Green()), (p >> 8) & 0xFF) << 8) | mix(value(cells[x].Blue()), p & 0xFF);
        }
    }
}

// 0x888 when this image's alpha is forced to "opaque", else 0x8888.
int RasterFormatOf(const MemoryImage* image)
{
    return image->mForcedMode && !image->mHasTrans && !image->mHasAlpha ? 0x888 : 0x8888;
}

} // namespace

void SoftwareBltMatrix(MemoryImage* source, float x, float y, const Matrix3x3& matrix, const Rect& clipRect,
                       const Color& color, int drawMode, const Rect& srcRect, uint32_t* bits, int pitch,
                       int pixelFormat, bool blend)
{
    const float w = static_cast<float>(srcRect.mWidth);
    const float h = static_cast<float>(srcRect.mHeight);
    const float iw = static_cast<float>(source->mWidth);
    const float ih = static_cast<float>(source->mHeight);
    const float u0 = static_cast<float>(srcRect.mX) / iw;
    const float u1 = static_cast<float>(srcRect.mX + srcRect.mWidth) / iw;
    const float v0 = static_cast<float>(srcRect.mY) / ih;
    const float v1 = static_cast<float>(srcRect.mY + srcRect.mHeight) / ih;
    StripVertex strip[4] = {
        { -w / 2, -h / 2, u0, v0, 0xFFFFFFFF },
        { w / 2, -h / 2, u1, v0, 0xFFFFFFFF },
        { -w / 2, h / 2, u0, v1, 0xFFFFFFFF },
        { w / 2, h / 2, u1, v1, 0xFFFFFFFF },
    };
    for (StripVertex& p : strip) {
        const Vector3 t = matrix.TransformPoint(p.x, p.y);
        p.x = t.x + (x - 0.5f);
        p.y = t.y + (y - 0.5f);
    }
    DrawTriangleStrip(strip, 4, source, color, drawMode, clipRect, bits, pitch, pixelFormat, blend, false);
}

void SoftwareBltTrianglesTex(MemoryImage* source, const TriVertex (*vertices)[3], int numTriangles,
                             const Rect& clipRect, const Color& color, int drawMode, uint32_t* bits, int pitch,
                             int pixelFormat, float tx, float ty, bool blend)
{
    for (int i = 0; i < numTriangles; ++i) {
        StripVertex strip[3];
        bool vertexColors = false;
        for (int k = 0; k < 3; ++k) {
            const TriVertex& v = vertices[i][k];
            strip[k] = { v.x + tx, v.y + ty, v.u, v.v, v.color };
            vertexColors = vertexColors || v.color != 0;
        }
        DrawTriangleStrip(strip, 3, source, color, drawMode, clipRect, bits, pitch, pixelFormat, blend,
                          vertexColors);
    }
}

void FilteredStretchBlt(MemoryImage* source, const FRect& srcArea, uint32_t* bits, int dstWidth,
                        const Rect& clippedDest)
{
    WithSourcePixels(source, [&](const auto& pixels) {
        FilteredStretch(bits, dstWidth, clippedDest, pixels, source->mWidth, source->mHeight, srcArea);
    });
}

void MemoryImage::BltF(Image* source, float x, float y, const Rect& srcRect, const Rect& clipRect,
                       const Color& color, int drawMode)
{
    BltRotated(source, x, y, srcRect, clipRect, color, drawMode, 0, 0, 0);
}

void MemoryImage::BltRotated(Image* source, float x, float y, const Rect& srcRect, const Rect& clipRect,
                             const Color& color, int drawMode, double angle, float centerX, float centerY)
{
    source->mDrawn = true;
    auto* src = dynamic_cast<MemoryImage*>(source);
    FRect bounds;
    if (!src || !SourceRectInside(srcRect, src) ||
        !GetRotatedBltBounds(x, y, srcRect, ClipToImage(clipRect, this), angle, centerX, centerY, bounds))
        return;
    uint32_t* dst = GetBits();
    const uint8_t* t = mHost->GetSaturationTable();
    WithSourcePixels(src, [&](const auto& pixels) {
        RotatedBlt(dst, mWidth, pixels, src->mWidth, srcRect, bounds, angle, x, y, centerX, centerY, color,
                   drawMode, t);
    });
    BitsChanged();
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
    // The fast stretch has no colour form: with any colour but white it
    // draws nothing.
    if (fastStretch && !IsWhite(color))
        return;
    uint32_t* dst = GetBits();
    if (fastStretch) {
        WithSourcePixels(src, [&](const auto& pixels) {
            FastStretch(dst, mWidth, dest, pixels, src->mWidth, srcRect, area);
        });
    } else {
        FilteredStretchBlt(src, area, dst, mWidth, dest);
    }
    BitsChanged();
}

void MemoryImage::BltMatrix(Image* source, float x, float y, const Matrix3x3& matrix, const Rect& clipRect,
                            const Color& color, int drawMode, const Rect& srcRect, bool blend)
{
    source->mDrawn = true;
    auto* src = dynamic_cast<MemoryImage*>(source);
    const Rect clip = ClipToImage(clipRect, this);
    if (!src || !SourceRectInside(srcRect, src) || clip.mWidth <= 0 || clip.mHeight <= 0)
        return;
    uint32_t* dst = GetBits();
    if (!dst) // an image whose pixels live only on the display
        return;
    SoftwareBltMatrix(src, x, y, matrix, clip, color, drawMode, srcRect, dst, mWidth * 4, RasterFormatOf(this),
                      blend);
    BitsChanged();
}

void MemoryImage::BltTrianglesTex(Image* source, const TriVertex (*vertices)[3], int numTriangles,
                                  const Rect& clipRect, const Color& color, int drawMode, float tx, float ty,
                                  bool blend)
{
    if (source)
        source->mDrawn = true;
    const Rect clip = ClipToImage(clipRect, this);
    if (!vertices || numTriangles <= 0 || clip.mWidth <= 0 || clip.mHeight <= 0)
        return;
    uint32_t* dst = GetBits();
    if (!dst)
        return;
    SoftwareBltTrianglesTex(dynamic_cast<MemoryImage*>(source), vertices, numTriangles, clip, color, drawMode, dst,
                            mWidth * 4, RasterFormatOf(this), tx, ty, blend);
    BitsChanged();
}

} // namespace Kivo
