#pragma once
// The rasterizer's entry: a strip of vertices in floating point, clipped to a
// rectangle, set up in 16.16 fixed point, fanned into triangles and drawn by
// the span function that the destination format and the options select.
#include "framework/raster/RasterTypes.h"
#include "framework/raster/SpanFunctions.h"

#include <cstdint>

namespace Kivo {

// Draws count - 2 triangles: (0, 1, 2), (1, 3, 2), (2, 3, 4), ... so every
// triangle has the winding of the first. texture may be null (untextured:
// only vertex colours draw). The draw mode is accepted for the caller's
// convenience and not used: nothing is drawn additively. bits is pixel (0, 0)
// of the destination and pitch its row length in bytes; every write lies
// inside the clip rectangle, which must lie inside the destination. Uses
// no shared state, so separate destinations may be drawn from separate
// threads at once.
void DrawTriangleStrip(const StripVertex* strip, int count, RasterTextureSource* texture, const StripColor* colour,
                       int drawMode, const StripRect* clip, uint8_t* bits, uint32_t pitch, int32_t format,
                       bool linearBlend, bool vertexColours);

// The same through another table, so that tests can watch the dispatch.
void DrawTriangleStripWithTable(const TriangleFuncTable& table, const StripVertex* strip, int count,
                                RasterTextureSource* texture, const StripColor* colour, const StripRect* clip,
                                uint8_t* bits, uint32_t pitch, int32_t format, bool linearBlend,
                                bool vertexColours);

// x, y (and u, v scaled by the texture size) to 16.16: truncation toward
// zero, NaN as 0 and values beyond the 32-bit range held at its ends.
int32_t ToFixed(double value);

} // namespace Kivo
