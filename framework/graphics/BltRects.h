#pragma once
// The geometry of the rotated and stretched blits, shared by the memory image
// and the display's surface image.
#include "framework/graphics/FRect.h"
#include "framework/graphics/Rect.h"

namespace Kivo {

// The box of the source rect turned by `angle` (radians) about (cx, cy),
// relative to the rect's top-left corner, which unturned lies at (x, y);
// clipped to clipRect. False when nothing of it is left.
bool GetRotatedBltBounds(float x, float y, const Rect& srcRect, const Rect& clipRect, double angle, float cx,
                         float cy, FRect& bounds);

// The part of destRect inside clipRect, and the part of the source rect that
// maps onto it. False when either is empty.
bool GetStretchBltRects(const Rect& srcRect, const Rect& clipRect, const Rect& destRect, Rect& clippedDest,
                        FRect& clippedSrc);

// The same for a mirrored stretch: the clipped part is taken from the other
// end of the source row.
bool GetStretchBltMirrorRects(const Rect& srcRect, const Rect& clipRect, const Rect& destRect, Rect& clippedDest,
                              FRect& clippedSrc);

} // namespace Kivo
