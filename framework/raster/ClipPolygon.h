#pragma once
// Clipping of one strip triangle to the clip rectangle, in floating point,
// one bound at a time (left, right, top, bottom; all bounds inclusive).
// Vertices inside a bound are passed on as the same pointers; each crossing
// is a new vertex taken from the caller's scratch pool, so concurrent calls
// with their own scratch never share state.
#include "framework/raster/RasterTypes.h"

namespace Kivo {

struct ClipScratch {
    static constexpr int kCapacity = 64;
    StripVertex pool[kCapacity];
    int poolCount = 0;
    // The working list of the ping-pong between the four bounds.
    const StripVertex* work[kCapacity];
};

// Clips the triangle input[0..2] and writes the polygon's vertices to output
// (room for ClipScratch::kCapacity pointers, ended by a null). Returns their
// number: 0 when nothing is left or any input x or y is not finite,
// otherwise at least 3. The polygon stays valid until scratch is reused.
int ClipPolygonToRect(const StripVertex* const* input, const StripVertex** output, float left, float right,
                      float top, float bottom, ClipScratch& scratch);

// One bound each: the polygon in (ended by a null) clipped into out, ended by
// a null. Returns the number of vertices written.
int ClipPolygonLeft(const StripVertex** out, const StripVertex* const* in, float bound, ClipScratch& scratch);
int ClipPolygonRight(const StripVertex** out, const StripVertex* const* in, float bound, ClipScratch& scratch);
int ClipPolygonTop(const StripVertex** out, const StripVertex* const* in, float bound, ClipScratch& scratch);
int ClipPolygonBottom(const StripVertex** out, const StripVertex* const* in, float bound, ClipScratch& scratch);

// The point where the edge from outside to inside crosses x = bound (y =
// bound). Always computed from the outside end, so an edge shared by two
// triangles gives the same vertex in both.
void InterpolateVertexX(const StripVertex& outside, const StripVertex& inside, StripVertex& result, float bound);
void InterpolateVertexY(const StripVertex& outside, const StripVertex& inside, StripVertex& result, float bound);

} // namespace Kivo
