#pragma once
// The span functions and their dispatch table. Index layout (7 bits): format
// group in bits 6-5, then Tex 16, Blend 8, Gouraud 4, Mod 2, Linear 1. The
// table is complete at compile time and never written, so any thread may
// draw through it.
#include "framework/raster/PixelFormats.h"
#include "framework/raster/RasterTypes.h"
#include "framework/raster/SpanFunctionList.h"

#include <array>
#include <cstdint>

namespace Kivo {

// One member per distinct (group, slot); defined for the pairs listed in
// SpanFunctionList.h.
template <int Group, int Slot>
void SpanFunction(const RasterVertex* vertices, uint8_t* bits, uint32_t pitch,
                  const RasterTexture* texture, const RasterColor* colour);

// Draws nothing: slots 0-3 and 8-11 of every group.
void DrawTriangleNull(const RasterVertex* vertices, uint8_t* bits, uint32_t pitch,
                      const RasterTexture* texture, const RasterColor* colour);

#define KIVO_SPAN_NAME(name, group, slot) inline constexpr TriangleFunc name = &SpanFunction<group, slot>;
KIVO_SPAN_FUNCTIONS(KIVO_SPAN_NAME)
#undef KIVO_SPAN_NAME

using TriangleFuncTable = std::array<TriangleFunc, 128>;
extern const TriangleFuncTable gTriangleFuncs;

// Table index of a set of options for a pixel-format code.
constexpr int TriangleFuncIndex(bool tex, bool blend, bool gouraud, bool mod, int32_t format, bool linear)
{
    return tex * 16 + blend * 8 + gouraud * 4 + mod * 2 + linear + 32 * Raster::FormatGroup(format);
}

void SelectTriangleFunc(bool tex, bool blend, bool gouraud, bool mod, const RasterVertex* vertices,
                        uint8_t* bits, uint32_t pitch, const RasterTexture* texture,
                        const RasterColor* colour, int32_t format, bool linear);

// Kept for the callers that prepare the table before drawing; the table is
// built at compile time, so this does nothing.
void InitTriangleFuncTable();

} // namespace Kivo
