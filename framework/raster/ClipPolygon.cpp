#include "framework/raster/ClipPolygon.h"

#include <cmath>
#include <cstdint>

namespace Kivo {
namespace {

// Position, texture position and colour bytes from outside towards inside by
// t. The colour bytes are lerped in floating point and truncated. t lies in
// [0, 1] for any sane edge; an edge whose length overflows a float gives NaN,
// which is taken as 0 so that the colour conversion stays defined (the
// position is then held inside the clip when it is converted to fixed point).
void Interpolate(const StripVertex& o, const StripVertex& i, StripVertex& r, float t)
{
    if (!(t >= 0.0f))
        t = 0.0f;
    else if (t > 1.0f)
        t = 1.0f;
    r.x = o.x + (i.x - o.x) * t;
    r.y = o.y + (i.y - o.y) * t;
    r.u = o.u + (i.u - o.u) * t;
    r.v = o.v + (i.v - o.v) * t;
    uint32_t colour = 0;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const int co = static_cast<int>((o.colour >> shift) & 0xFF);
        const int ci = static_cast<int>((i.colour >> shift) & 0xFF);
        const auto c = static_cast<uint32_t>(static_cast<int>(co + (ci - co) * t));
        colour = colour * 256 + c;
    }
    r.colour = colour;
}

// Outside(coordinate) is the strict test against the bound; Crossing makes
// the vertex on the bound.
template <class Outside, class Crossing>
int ClipOne(const StripVertex** out, const StripVertex* const* in, ClipScratch& scratch, Outside outside,
            Crossing crossing)
{
    int n = 0;
    if (!in[0]) {
        out[0] = nullptr;
        return 0;
    }
    for (int k = 0; in[k]; ++k) {
        const StripVertex* cur = in[k];
        const StripVertex* next = in[k + 1] ? in[k + 1] : in[0];
        const bool curOut = outside(*cur);
        const bool nextOut = outside(*next);
        if (!curOut)
            out[n++] = cur;
        if (curOut != nextOut) {
            // A convex triangle needs at most eight crossings and seven list
            // entries; give up rather than overrun on anything else.
            if (scratch.poolCount >= ClipScratch::kCapacity || n >= ClipScratch::kCapacity - 1) {
                out[0] = nullptr;
                return 0;
            }
            StripVertex& r = scratch.pool[scratch.poolCount++];
            if (curOut)
                crossing(*cur, *next, r);
            else
                crossing(*next, *cur, r);
            out[n++] = &r;
        }
    }
    out[n] = nullptr;
    return n;
}

} // namespace

void InterpolateVertexX(const StripVertex& outside, const StripVertex& inside, StripVertex& result, float bound)
{
    const float t = (bound - outside.x) / (inside.x - outside.x);
    Interpolate(outside, inside, result, t);
}

void InterpolateVertexY(const StripVertex& outside, const StripVertex& inside, StripVertex& result, float bound)
{
    const float t = (bound - outside.y) / (inside.y - outside.y);
    Interpolate(outside, inside, result, t);
}

int ClipPolygonLeft(const StripVertex** out, const StripVertex* const* in, float bound, ClipScratch& scratch)
{
    return ClipOne(
        out, in, scratch, [bound](const StripVertex& v) { return v.x < bound; },
        [bound](const StripVertex& o, const StripVertex& i, StripVertex& r) { InterpolateVertexX(o, i, r, bound); });
}

int ClipPolygonRight(const StripVertex** out, const StripVertex* const* in, float bound, ClipScratch& scratch)
{
    return ClipOne(
        out, in, scratch, [bound](const StripVertex& v) { return v.x > bound; },
        [bound](const StripVertex& o, const StripVertex& i, StripVertex& r) { InterpolateVertexX(o, i, r, bound); });
}

int ClipPolygonTop(const StripVertex** out, const StripVertex* const* in, float bound, ClipScratch& scratch)
{
    return ClipOne(
        out, in, scratch, [bound](const StripVertex& v) { return v.y < bound; },
        [bound](const StripVertex& o, const StripVertex& i, StripVertex& r) { InterpolateVertexY(o, i, r, bound); });
}

int ClipPolygonBottom(const StripVertex** out, const StripVertex* const* in, float bound, ClipScratch& scratch)
{
    return ClipOne(
        out, in, scratch, [bound](const StripVertex& v) { return v.y > bound; },
        [bound](const StripVertex& o, const StripVertex& i, StripVertex& r) { InterpolateVertexY(o, i, r, bound); });
}

int ClipPolygonToRect(const StripVertex* const* input, const StripVertex** output, float left, float right,
                      float top, float bottom, ClipScratch& scratch)
{
    scratch.poolCount = 0;
    output[0] = nullptr;
    // A vertex that is not a finite number would pass the bounds (NaN) or
    // make a NaN crossing (infinity) and reach the fixed-point conversion.
    for (int k = 0; k < 3; ++k)
        if (!std::isfinite(input[k]->x) || !std::isfinite(input[k]->y))
            return 0;
    const StripVertex* triangle[4] = { input[0], input[1], input[2], nullptr };
    int n = ClipPolygonLeft(scratch.work, triangle, left, scratch);
    if (n >= 3)
        n = ClipPolygonRight(output, scratch.work, right, scratch);
    if (n >= 3)
        n = ClipPolygonTop(scratch.work, output, top, scratch);
    if (n >= 3)
        n = ClipPolygonBottom(output, scratch.work, bottom, scratch);
    if (n < 3) {
        output[0] = nullptr;
        return 0;
    }
    return n;
}

} // namespace Kivo
