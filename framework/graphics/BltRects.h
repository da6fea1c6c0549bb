#pragma once
// The geometry of the rotated and stretched blits, shared by the memory image
// and the display's surface image.
#include "framework/graphics/FRect.h"
#include "framework/graphics/Rect.h"

#include <cstdint>

namespace Kivo {

// The box of the source rect turned by `angle` (radians) about (cx, cy),
// relative to the rect's top-left corner, which unturned lies at (x, y);
// clipped to clipRect. False when nothing of it is left.
bool GetRotatedBltBounds(float x, float y, const Rect& srcRect, const Rect& clipRect, double angle, float cx,
                         float cy, FRect& bounds);

// One axis of a row of the rotated blit: narrows [start, end] to the pixels
// i whose 16.16 sample position + i x step lies on the source rect's pixel
// grid, from 0 to (size - 1) x 65536, so every pixel of the rect can be drawn.
// A sample on the last column or row weighs its right or lower neighbours 0,
// so the caller reads no further. False when no pixel is left.
bool LimitRotatedSpan(int64_t position, int64_t step, int64_t size, int64_t& start, int64_t& end);

// The part of destRect inside clipRect, and the part of the source rect that
// maps onto it. False when either is empty.
bool GetStretchBltRects(const Rect& srcRect, const Rect& clipRect, const Rect& destRect, Rect& clippedDest,
                        FRect& clippedSrc);

// The same for a mirrored stretch: the clipped part is taken from the other
// end of the source row.
bool GetStretchBltMirrorRects(const Rect& srcRect, const Rect& clipRect, const Rect& destRect, Rect& clippedDest,
                              FRect& clippedSrc);

} // namespace Kivo
