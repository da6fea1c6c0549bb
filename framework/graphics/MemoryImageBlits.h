#pragma once
// The transformed blits on raw destination pixels, shared by the memory
// image and the display's surface image.
#include "framework/graphics/Color.h"
#include "framework/graphics/FRect.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/Rect.h"

#include <cstdint>

namespace Kivo {

class Matrix3x3;
class MemoryImage;

// The source rect, centred on the origin, through the matrix, moved to
// (x - 0.5, y - 0.5), as one textured strip. `pitch` is in bytes.
void SoftwareBltMatrix(MemoryImage* source, float x, float y, const Matrix3x3& matrix, const Rect& clipRect,
                       const Color& color, int drawMode, const Rect& srcRect, uint32_t* bits, int pitch,
                       int pixelFormat, bool blend);

// Each triangle moved by (tx, ty) as a strip of three; a null source draws
// the triangles untextured.
void SoftwareBltTrianglesTex(MemoryImage* source, const TriVertex (*vertices)[3], int numTriangles,
                             const Rect& clipRect, const Color& color, int drawMode, uint32_t* bits, int pitch,
                             int pixelFormat, float tx, float ty, bool blend);

// The separable area-averaging / interpolating stretch of the source area
// srcArea (from GetStretchBltRects) onto clippedDest of 32-bit ARGB pixels
// with rows of dstWidth pixels. Colour and draw mode do not apply.
void FilteredStretchBlt(MemoryImage* source, const FRect& srcArea, uint32_t* bits, int dstWidth,
                        const Rect& clippedDest);

// The nearest-pixel stretch of srcRect's area srcArea (from
// GetStretchBltRects) onto clippedDest, tinted by a colour other than white
// as the one to one blit is.
void FastStretchBlt(MemoryImage* source, const Rect& srcRect, const FRect& srcArea, uint32_t* bits, int dstWidth,
                    const Rect& clippedDest, const Color& color);

} // namespace Kivo
