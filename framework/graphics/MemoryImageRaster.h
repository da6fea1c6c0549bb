#pragma once
// The memory image's way into the software triangle rasterizer.
#include "framework/graphics/Color.h"
#include "framework/graphics/Rect.h"
#include "framework/raster/RasterTypes.h"

#include <cstdint>

namespace Kivo {

class MemoryImage;

// Draws a strip of count vertices (count - 2 triangles) into 32-bit pixels
// with rows of `pitch` bytes, textured from `source` when it is not null,
// clipped to clipRect, which must lie inside the destination.
void DrawTriangleStrip(const StripVertex* strip, int count, MemoryImage* source, const Color& color, int drawMode,
                       const Rect& clipRect, uint32_t* bits, int pitch, int pixelFormat, bool blend,
                       bool hasVertexColors);

} // namespace Kivo
